// The per-user names of the logger's shared objects: the shared section and the
// writers' semaphore. Both carry the user id. A test build of the library adds a
// hash of the working directory it was loaded in, so that each test folder has
// objects of its own.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace quenta {

constexpr char kSectionBaseName[] = "/Quenta";
constexpr char kSemaphoreBaseName[] = "/tovak_Semaphore";

inline uint64_t FolderHash(const char *folder) {
  uint64_t h = 14695981039346656037ull;  // FNV-1a
  for (const char *p = folder; *p != 0; ++p) {
    h ^= static_cast<unsigned char>(*p);
    h *= 1099511628211ull;
  }
  return h;
}

// "/base.uid", or "/base.uid.hash" when a folder is given.
inline void SharedObjectName(char *out, size_t size, const char *base, unsigned uid,
                             const char *folder) {
  if (folder == nullptr)
    std::snprintf(out, size, "%s.%u", base, uid);
  else
    std::snprintf(out, size, "%s.%u.%016llx", base, uid,
                  static_cast<unsigned long long>(FolderHash(folder)));
}

}  // namespace quenta
