#include <gtest/gtest.h>

#include "runtime/NumberValue.h"

namespace {

struct Case {
  const char *text;
  int value;
  bool fits;
};

TEST(NumericValue, ReadsLeadingNumberAndRoundsHalfToEven) {
  const Case cases[] = {
      {"6.5", 6, true},      {"7.5", 8, true},     {"3abc", 3, true},     {"1 0", 10, true},
      {"&H1F", 31, true},    {"&h1f", 31, true},   {"&O17", 15, true},    {"abc", 0, true},
      {"", 0, true},         {"  42  ", 42, true}, {"\t4\n2", 42, true},  {"-7", -7, true},
      {"+7", 7, true},       {"2.5", 2, true},     {"-2.5", -2, true},    {"0.5", 0, true},
      {".5", 0, true},       {"1e2", 100, true},   {"1E", 1, true},       {"32767", 32767, true},
      {"-32768", -32768, true}, {"32767.5", 0, false}, {"32768", 0, false}, {"-32769", 0, false},
      {"7x5", 7, true},      {"&HFFFF", -1, true}, {"&H10000", 0, false}, {"1e999", 0, false},
      {"1234567890123456789012345678901234567890", 0, false},
  };
  for (const Case &c : cases) {
    const auto v = runtime::NumericValueOf(c.text);
    EXPECT_EQ(v.fits, c.fits) << '"' << c.text << '"';
    if (c.fits) {
      EXPECT_EQ(v.value, c.value) << '"' << c.text << '"';
    }
  }
}

}  // namespace
