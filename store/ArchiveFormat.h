// What one archive record can hold. The writer refuses anything else; the
// windows check the same rules first, so the owner hears of it in their terms.
#pragma once
#include <cstddef>
#include <string>

namespace store {

// The plain form of a record that still fits the cipher buffer once scrambled.
inline constexpr size_t kMaxPlainRecord = 510;

// Records are split at commas and lines at CR / LF, and a record crosses to
// the cipher as a C string.
inline bool BreaksFormat(const std::string &value) {
  return value.find_first_of(std::string(",\r\n\0", 4)) != std::string::npos;
}

}  // namespace store
