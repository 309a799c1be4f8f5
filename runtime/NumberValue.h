// The numeric value of a text, as the forms runtime reads numbers: blanks,
// tabs and line feeds ignored, a leading number (sign, digits, point,
// exponent, or &H / &O), rounded half to even into a 16-bit integer.
#pragma once
#include <cstdint>
#include <string_view>

namespace runtime {

struct NumericValue {
  int16_t value = 0;  // 0 when the number does not fit
  bool fits = true;   // false when the number lies outside -32768..32767
};

NumericValue NumericValueOf(std::string_view text);

}  // namespace runtime
