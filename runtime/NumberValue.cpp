#include "runtime/NumberValue.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <string>

namespace runtime {
namespace {

bool IsIgnored(char c) { return c == ' ' || c == '\t' || c == '\n'; }

NumericValue FromDouble(double d) {
  if (!std::isfinite(d)) return {0, false};
  const double r = std::nearbyint(d);  // default rounding: half to even
  if (r < -32768.0 || r > 32767.0) return {0, false};
  return {static_cast<int16_t>(r), true};
}

// &H and &O numbers: up to four hex digits are a 16-bit pattern, as the
// runtime reads them (&HFFFF is -1); longer ones a 32-bit pattern.
NumericValue FromRadix(const std::string &s, size_t pos, int radix) {
  uint64_t v = 0;
  size_t digits = 0;
  for (; pos < s.size(); ++pos) {
    const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(s[pos])));
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (radix == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else break;
    if (d >= radix) break;
    if (v > 0xFFFFFFFFull) return {0, false};
    v = v * static_cast<uint64_t>(radix) + static_cast<uint64_t>(d);
    ++digits;
  }
  if (v > 0xFFFFFFFFull) return {0, false};
  if (v <= 0xFFFF && (radix == 16 ? digits <= 4 : v <= 0xFFFF))
    return {static_cast<int16_t>(static_cast<uint16_t>(v)), true};
  const auto wide = static_cast<int32_t>(static_cast<uint32_t>(v));
  return FromDouble(static_cast<double>(wide));
}

// The decimal point is always ".", whatever locale the toolkit has set
// (a decimal comma would read "1.6" as 1).
double ToDouble(const std::string &num) {
  static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t{});
  return c != locale_t{} ? strtod_l(num.c_str(), nullptr, c) : std::strtod(num.c_str(), nullptr);
}

}  // namespace

NumericValue NumericValueOf(std::string_view text) {
  std::string s;
  s.reserve(text.size());
  for (char c : text)
    if (!IsIgnored(c)) s.push_back(c);

  if (s.size() >= 2 && s[0] == '&') {
    const char kind = static_cast<char>(std::toupper(static_cast<unsigned char>(s[1])));
    if (kind == 'H') return FromRadix(s, 2, 16);
    if (kind == 'O') return FromRadix(s, 2, 8);
  }

  // Take the longest leading run that forms a number, then convert it.
  size_t i = 0;
  std::string num;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) num.push_back(s[i++]);
  size_t mantissaDigits = 0;
  while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
    num.push_back(s[i++]);
    ++mantissaDigits;
  }
  if (i < s.size() && s[i] == '.') {
    num.push_back(s[i++]);
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) {
      num.push_back(s[i++]);
      ++mantissaDigits;
    }
  }
  if (mantissaDigits == 0) return {0, true};
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
    size_t j = i + 1;
    std::string exp = "e";
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) exp.push_back(s[j++]);
    size_t expDigits = 0;
    while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) {
      exp.push_back(s[j++]);
      ++expDigits;
    }
    if (expDigits > 0) num += exp;
  }
  return FromDouble(ToDouble(num));
}

}  // namespace runtime
