#include "InitLibrary.h"
#include "KeyTable.h"
#include "Quenta.h"
#include "Random.h"

namespace {
constexpr int kMaxPlain = 1024;

int32_t Scramble(unsigned char *out, const unsigned char *text) {
  const int32_t r = quenta::NextRandom() & 0xFFF;
  out[0] = static_cast<unsigned char>(0x40 + (r & 15));
  out[1] = static_cast<unsigned char>(0x40 + ((r >> 4) & 15));
  out[2] = static_cast<unsigned char>(0x40 + ((r >> 8) & 15));
  int index = r & 0x1FF;
  int32_t n = 0;
  unsigned char *p = out + 3;
  while (n < kMaxPlain && text[n] != 0) {
    const unsigned v = (text[n] + static_cast<unsigned>(quenta::KeyTable[index])) & 0xFFu;
    *p++ = static_cast<unsigned char>(0x40 + (v & 15));
    *p++ = static_cast<unsigned char>(0x40 + (v >> 4));
    if (++index > 511) index = 0;
    ++n;
  }
  *p = 0;
  return n;
}

int32_t Unscramble(unsigned char *out, const unsigned char *text) {
  // A text shorter than its header decodes to nothing; never read past its end.
  if (text[0] == 0 || text[1] == 0 || text[2] == 0) {
    out[0] = 0;
    return 0;
  }
  int index = (text[0] & 15) + 16 * (text[1] & 15) + 256 * (text[2] & 1);
  const unsigned char *p = text + 3;
  int32_t n = 0;
  while (n < kMaxPlain) {
    const unsigned c0 = p[0];
    if (c0 == 0) break;
    const unsigned c1 = p[1];
    if (c1 == 0) break;  // odd body: the last half byte is dropped
    const unsigned v = (c0 & 15) + 16 * (c1 & 15) - static_cast<unsigned>(quenta::KeyTable[index]);
    out[n++] = static_cast<unsigned char>(v & 0xFFu);
    if (++index > 511) index = 0;
    p += 2;
  }
  out[n] = 0;
  return n;
}
}  // namespace

extern "C" int32_t Modulate(char *buffer, const char *text, int32_t direction) {
  quenta::InitLibrary();
  if (buffer == nullptr) return 0;
  if (text == nullptr) {
    buffer[0] = 0;
    return 0;
  }
  auto *out = reinterpret_cast<unsigned char *>(buffer);
  const auto *in = reinterpret_cast<const unsigned char *>(text);
  return direction == 0 ? Scramble(out, in) : Unscramble(out, in);
}
