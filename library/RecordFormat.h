// The text of one log record: head, the caller's text byte for byte, tail.
//   head  "yyyy/mm/dd hh:mm:ss, [code], \"file\", line, \""
//   tail  "\", number, value\r\n"  or  "\", number, value(hexH)\r\n"
// Pure functions.
#pragma once
#include <cstddef>
#include <cstdint>
#include <ctime>

namespace quenta {

constexpr size_t kHeadSize = 256;
constexpr size_t kTailSize = 64;
// A longer source file name is cut to this many bytes (never inside a UTF-8
// character), so that the head always fits.
constexpr size_t kMaxSourceName = 200;

// The low 16 bits, widened with their sign.
int32_t Low16(int32_t value);

// The part of a path after its last "/" or backslash; "" for no path.
const char *SourceName(const char *file);

// Each returns the length written (without the NUL).
size_t FormatHead(char (&head)[kHeadSize], const std::tm &time, int32_t code, const char *name,
                  int32_t line);
size_t FormatTail(char (&tail)[kTailSize], int32_t number, int32_t value);

}  // namespace quenta
