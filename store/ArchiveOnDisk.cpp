#include "store/ArchiveOnDisk.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

#include "runtime/Files.h"

namespace store {
namespace {

struct Seen {
  std::string path;
  Fingerprint fingerprint;
};

std::optional<Seen> &LastSeen() {
  static std::optional<Seen> seen;
  return seen;
}

constexpr uint64_t kOffset = 14695981039346656037ull;  // FNV-1a, 64 bits
constexpr uint64_t kPrime = 1099511628211ull;
// An archive is at most about 100 KiB; past this only the size is compared,
// so a huge file in its place costs no long read.
constexpr uint64_t kHashedBytes = 16u << 20;

uint64_t Mix(uint64_t hash, std::string_view bytes) {
  for (const unsigned char c : bytes) hash = (hash ^ c) * kPrime;
  return hash;
}

}  // namespace

Fingerprint FingerprintOf(std::string_view bytes) { return {bytes.size(), Mix(kOffset, bytes)}; }

bool FingerprintOfFile(int fd, Fingerprint &out) {
  struct stat st {};
  if (fstat(fd, &st) != 0 || lseek(fd, 0, SEEK_SET) != 0) return false;
  Fingerprint f{static_cast<uint64_t>(st.st_size), kOffset};
  char buffer[65536];
  for (uint64_t done = 0; done < kHashedBytes;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    const size_t take = static_cast<size_t>(std::min<uint64_t>(static_cast<uint64_t>(n), kHashedBytes - done));
    f.hash = Mix(f.hash, std::string_view(buffer, take));
    done += take;
  }
  out = f;
  return true;
}

void RememberArchive(const std::string &path, const Fingerprint &seen) { LastSeen() = Seen{path, seen}; }

void ForgetArchive() { LastSeen().reset(); }

OnDisk ArchiveOnDisk(const std::string &path) {
  const auto &seen = LastSeen();
  if (!seen || seen->path != path) return OnDisk::kNothingKnown;
  struct stat st {};
  if (lstat(path.c_str(), &st) != 0 && errno == ENOENT) return OnDisk::kMissing;
  std::string why;
  const int fd = runtime::OpenRegularFile(path, why);
  if (fd < 0) return OnDisk::kChanged;
  Fingerprint now;
  const bool read = fstat(fd, &st) == 0 && static_cast<uint64_t>(st.st_size) == seen->fingerprint.size &&
                    FingerprintOfFile(fd, now);
  close(fd);
  return read && now == seen->fingerprint ? OnDisk::kAsLastSeen : OnDisk::kChanged;
}

}  // namespace store
