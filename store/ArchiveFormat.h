// What one archive record can hold. The writer refuses anything else; the
// windows check the same rules first, so the owner hears of it in their terms.
#pragma once
#include <cstddef>
#include <string>

namespace store {

// The plain form of a record that still fits the cipher buffer once scrambled.
inline constexpr size_t kMaxPlainRecord = 510;

// The scrambled line of such a record: three header characters, two per byte.
inline constexpr size_t kMaxRecordLine = 3 + 2 * kMaxPlainRecord;

// The longest line the cipher itself can make (1024 bytes); a longer line in
// an archive can only be damage.
inline constexpr size_t kMaxCipherLine = 3 + 2 * 1024;

// The header line: counts and column titles, without its line end.
inline constexpr size_t kMaxHeaderLine = 4096;

// Records are split at commas and lines at CR / LF, and a record crosses to
// the cipher as a C string.
inline bool BreaksFormat(const std::string &value) {
  return value.find_first_of(std::string(",\r\n\0", 4)) != std::string::npos;
}

}  // namespace store
