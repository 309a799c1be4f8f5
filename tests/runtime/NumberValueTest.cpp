#include <gtest/gtest.h>

#include "runtime/NumberValue.h"
#include "tests/support/DecimalCommaLocale.h"

namespace {

struct Case {
  const char *text;
  int value;
  bool fits;
};

const Case kCases[] = {
    {"6.5", 6, true},      {"7.5", 8, true},     {"3abc", 3, true},     {"1 0", 10, true},
    {"&H1F", 31, true},    {"&h1f", 31, true},   {"&O17", 15, true},    {"abc", 0, true},
    {"", 0, true},         {"  42  ", 42, true}, {"\t4\n2", 42, true},  {"-7", -7, true},
    {"+7", 7, true},       {"2.5", 2, true},     {"-2.5", -2, true},    {"0.5", 0, true},
    {".5", 0, true},       {"1e2", 100, true},   {"1E", 1, true},       {"32767", 32767, true},
    {"-32768", -32768, true}, {"32767.5", 0, false}, {"32768", 0, false}, {"-32769", 0, false},
    {"7x5", 7, true},      {"&HFFFF", -1, true}, {"&H10000", 0, false}, {"1e999", 0, false},
    {"1234567890123456789012345678901234567890", 0, false},
    {"1.6x1", 2, true},    {"1,6", 1, true},     {"1e-999", 0, true},   {"2.5e1", 25, true},
};

void ExpectCases(const char *where) {
  for (const Case &c : kCases) {
    const auto v = runtime::NumericValueOf(c.text);
    EXPECT_EQ(v.fits, c.fits) << where << ": \"" << c.text << '"';
    if (c.fits) {
      EXPECT_EQ(v.value, c.value) << where << ": \"" << c.text << '"';
    }
  }
}

TEST(NumericValue, ReadsLeadingNumberAndRoundsHalfToEven) { ExpectCases("C locale"); }

// Qt takes the locale from LANG; a decimal comma must not change any number.
TEST(NumericValue, SameUnderADecimalCommaLocale) {
  DecimalCommaLocale locale;
  if (!locale.Active()) GTEST_SKIP() << "no decimal-comma locale installed (scripts/install-deps.sh makes de_DE.UTF-8)";
  ExpectCases("decimal-comma locale");
}

}  // namespace
