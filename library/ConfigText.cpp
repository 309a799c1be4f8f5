#include "ConfigText.h"

#include <cstring>

namespace quenta {

const char *ConfigEnd(const char *text, size_t size) {
  const void *nul = std::memchr(text, 0, size);
  return nul != nullptr ? static_cast<const char *>(nul) : text + size;
}

const char *NextToken(char *token, size_t tokenSize, const char *in, const char *end) {
  const char *p = in;
  while (p < end && (*p == ' ' || *p == ',')) ++p;
  const char *first = p;
  const char *last;
  if (p < end && *p == '"') {
    first = ++p;
    while (p < end && *p != '"') ++p;
    last = p;
  } else {
    while (p < end && *p != ' ' && *p != ',') ++p;
    last = p;
  }
  if (p < end) ++p;  // the closing quote or the separator
  size_t length = static_cast<size_t>(last - first);
  if (tokenSize == 0) return p;
  if (length > tokenSize - 1) length = tokenSize - 1;
  std::memcpy(token, first, length);
  token[length] = 0;
  return p;
}

int32_t ConfigNumber(const char *token) {
  const size_t length = strnlen(token, kNumberLength);
  size_t i = 0;
  while (i < length && (token[i] == ' ' || token[i] == '\t')) ++i;
  bool negative = false;
  if (i < length && (token[i] == '+' || token[i] == '-')) negative = token[i++] == '-';
  int32_t value = 0;  // at most 7 digits: no overflow
  for (; i < length && token[i] >= '0' && token[i] <= '9'; ++i) value = value * 10 + (token[i] - '0');
  return negative ? -value : value;
}

bool SwitchIsOn(const char *token) { return std::strncmp(token, "Yes", 3) == 0; }

}  // namespace quenta
