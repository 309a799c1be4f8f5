// What this program last saw of "Vantry.csv": the bytes it read at start or
// last wrote. Another copy of the program on the same drive, a sync tool or
// a backup put back by hand may have changed the file since, and a save
// must not turn their version into a backup without a word.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace store {

struct Fingerprint {
  uint64_t size = 0;
  uint64_t hash = 0;
  bool operator==(const Fingerprint &) const = default;
};

Fingerprint FingerprintOf(std::string_view bytes);

// The fingerprint of an open file, read from its start; false when it
// cannot be read.
bool FingerprintOfFile(int fd, Fingerprint &out);

// The archive at path now holds these bytes, as read or written.
void RememberArchive(const std::string &path, const Fingerprint &seen);
void ForgetArchive();

enum class OnDisk {
  kAsLastSeen,    // the bytes read or last written
  kNothingKnown,  // not read or written by this run (a new vault)
  kMissing,       // gone: a save overwrites nothing
  kChanged,       // other bytes, or a file that can no longer be read
};

OnDisk ArchiveOnDisk(const std::string &path);

}  // namespace store
