#include "RecordFormat.h"

#include <cstdio>
#include <cstring>

namespace quenta {
namespace {

size_t Written(int n, size_t size) {
  if (n < 0) return 0;
  return static_cast<size_t>(n) < size ? static_cast<size_t>(n) : size - 1;
}

}  // namespace

int32_t Low16(int32_t value) { return static_cast<int16_t>(static_cast<uint16_t>(value & 0xFFFF)); }

const char *SourceName(const char *file) {
  if (file == nullptr) return "";
  const char *name = file;
  for (const char *p = file; *p != 0; ++p)
    if (*p == '/' || *p == '\\') name = p + 1;
  return name;
}

size_t FormatHead(char (&head)[kHeadSize], const std::tm &time, int32_t code, const char *name,
                  int32_t line) {
  size_t length = strnlen(name, kMaxSourceName + 1);
  if (length > kMaxSourceName) {
    length = kMaxSourceName;
    while (length > 0 && (static_cast<unsigned char>(name[length]) & 0xC0) == 0x80) --length;
  }
  const int n = std::snprintf(head, sizeof head, "%04d/%02d/%02d %02d:%02d:%02d, [%02x], \"%.*s\", %d, \"",
                              time.tm_year + 1900, time.tm_mon + 1, time.tm_mday, time.tm_hour,
                              time.tm_min, time.tm_sec, static_cast<unsigned>(Low16(code)),
                              static_cast<int>(length), name, static_cast<int>(line));
  return Written(n, sizeof head);
}

size_t FormatTail(char (&tail)[kTailSize], int32_t number, int32_t value) {
  const int shortNumber = Low16(number);
  const auto asUnsigned = static_cast<uint32_t>(value);
  const int n = asUnsigned <= 15
                    ? std::snprintf(tail, sizeof tail, "\", %d, %ld\r\n", shortNumber, static_cast<long>(value))
                    : std::snprintf(tail, sizeof tail, "\", %d, %ld(%xH)\r\n", shortNumber,
                                    static_cast<long>(value), static_cast<unsigned>(asUnsigned));
  return Written(n, sizeof tail);
}

}  // namespace quenta
