// The record and configuration texts, tested on the library's own functions.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "library/ConfigText.h"
#include "library/RecordFormat.h"

namespace {

using namespace quenta;

std::tm Time() {
  std::tm t{};
  t.tm_year = 2001 - 1900;
  t.tm_mon = 11;
  t.tm_mday = 7;
  t.tm_hour = 9;
  t.tm_min = 5;
  t.tm_sec = 3;
  return t;
}

std::string Head(int32_t code, const char *name, int32_t line) {
  char head[kHeadSize];
  const size_t n = FormatHead(head, Time(), code, name, line);
  EXPECT_EQ(n, std::strlen(head));
  return head;
}

std::string Tail(int32_t number, int32_t value) {
  char tail[kTailSize];
  const size_t n = FormatTail(tail, number, value);
  EXPECT_EQ(n, std::strlen(tail));
  return tail;
}

TEST(RecordText, Head) {
  EXPECT_EQ(Head(0, "Quenta.cpp", 46), "2001/12/07 09:05:03, [00], \"Quenta.cpp\", 46, \"");
  EXPECT_EQ(Head(15, "a.cpp", -3), "2001/12/07 09:05:03, [0f], \"a.cpp\", -3, \"");
  EXPECT_EQ(Head(-2, "a.cpp", 1), "2001/12/07 09:05:03, [fffffffe], \"a.cpp\", 1, \"");
  // Only the low 16 bits of the code count, widened with their sign.
  EXPECT_EQ(Head(0x10005, "a.cpp", 1), "2001/12/07 09:05:03, [05], \"a.cpp\", 1, \"");
  EXPECT_EQ(Head(0x8000, "a.cpp", 1), "2001/12/07 09:05:03, [ffff8000], \"a.cpp\", 1, \"");
}

TEST(RecordText, TailShowsHexAboveFifteen) {
  EXPECT_EQ(Tail(0, 0), "\", 0, 0\r\n");
  EXPECT_EQ(Tail(7, 15), "\", 7, 15\r\n");
  EXPECT_EQ(Tail(7, 16), "\", 7, 16(10H)\r\n");
  EXPECT_EQ(Tail(7, -1), "\", 7, -1(ffffffffH)\r\n");
  EXPECT_EQ(Tail(7, INT32_MIN), "\", 7, -2147483648(80000000H)\r\n");
  EXPECT_EQ(Tail(-1, 1), "\", -1, 1\r\n");
  EXPECT_EQ(Tail(0x18000, 1), "\", -32768, 1\r\n");
  EXPECT_EQ(Tail(70000, 1), "\", 4464, 1\r\n");
}

TEST(RecordText, SourceNameIsThePartAfterTheLastSeparator) {
  EXPECT_STREQ(SourceName("Form1.frm"), "Form1.frm");
  EXPECT_STREQ(SourceName("/home/me/src/Module1.cpp"), "Module1.cpp");
  EXPECT_STREQ(SourceName("C:\\Work\\Vantry\\Form2.frm"), "Form2.frm");
  EXPECT_STREQ(SourceName("a/b\\c/d.cpp"), "d.cpp");
  EXPECT_STREQ(SourceName("folder/"), "");
  EXPECT_STREQ(SourceName(nullptr), "");
}

TEST(RecordText, LongSourceNameIsCutSoTheHeadFits) {
  const std::string longName(5000, 'n');
  const std::string head = Head(-2, longName.c_str(), INT32_MIN);
  EXPECT_LT(head.size(), kHeadSize);
  EXPECT_NE(head.find("\"" + std::string(kMaxSourceName, 'n') + "\", -2147483648, \""), std::string::npos);

  // Never inside a UTF-8 character: "a" and 150 two-byte letters cut to 199 bytes.
  std::string accented = "a";
  for (int i = 0; i < 150; ++i) accented += "\xc3\xa9";
  const std::string cut = Head(1, accented.c_str(), 1);
  std::string expected = "\"";  // built by appending: GCC 12 at -O3 misreads "literal" + temporary
  expected.append(accented, 0, 199).append("\", 1, \"");
  EXPECT_NE(cut.find(expected), std::string::npos);

  // A year of many digits cannot overflow it either.
  std::tm far = Time();
  far.tm_year = INT32_MAX - 1900;
  char head2[kHeadSize];
  EXPECT_LT(FormatHead(head2, far, -2, longName.c_str(), INT32_MIN), kHeadSize);
}

// Tokens of a text given as exactly its bytes, so that a sanitizer sees any
// read beyond them.
std::vector<std::string> Tokens(const std::string &text, int count) {
  std::unique_ptr<char[]> exact(new char[text.size() ? text.size() : 1]);
  std::memcpy(exact.get(), text.data(), text.size());
  const char *end = ConfigEnd(exact.get(), text.size());
  const char *p = exact.get();
  std::vector<std::string> tokens;
  for (int i = 0; i < count; ++i) {
    char token[kTokenSize];
    const char *next = NextToken(token, sizeof token, p, end);
    EXPECT_GE(next, p);
    EXPECT_LE(next, end);
    p = next;
    tokens.push_back(token);
  }
  return tokens;
}

TEST(ConfigText, DefaultLine) {
  EXPECT_EQ(std::string(kDefaultConfig, kDefaultConfigSize),
            "000, 999, No; Log Index/ Max Log Index/ Logging(if you need Quenta, replace 'No' to 'Yes') "
            "Ver 2.10 Dec. 7 '01\r\n");
  const auto t = Tokens(std::string(kDefaultConfig, kDefaultConfigSize), 3);
  EXPECT_EQ(t, (std::vector<std::string>{"000", "999", "No;"}));
  EXPECT_FALSE(SwitchIsOn(t[2].c_str()));
}

TEST(ConfigText, Tokens) {
  EXPECT_EQ(Tokens("000, 999, Yes; comment", 3), (std::vector<std::string>{"000", "999", "Yes;"}));
  EXPECT_EQ(Tokens("  ,, 1,2 ,Yes", 3), (std::vector<std::string>{"1", "2", "Yes"}));
  EXPECT_EQ(Tokens("\"0 0,1\", \"9\",\"Yes\"", 3), (std::vector<std::string>{"0 0,1", "9", "Yes"}));
  // Ends in a separator, or stops early: the missing tokens are empty.
  EXPECT_EQ(Tokens("000, 999,", 3), (std::vector<std::string>{"000", "999", ""}));
  EXPECT_EQ(Tokens("000, 999, ", 4), (std::vector<std::string>{"000", "999", "", ""}));
  EXPECT_EQ(Tokens("", 2), (std::vector<std::string>{"", ""}));
  EXPECT_EQ(Tokens("\"open quote", 2), (std::vector<std::string>{"open quote", ""}));
  // A token ends at the bytes read, and at a NUL.
  EXPECT_EQ(Tokens(std::string(128, 'x'), 2), (std::vector<std::string>{std::string(128, 'x'), ""}));
  EXPECT_EQ(Tokens(std::string("1,2\0,Yes", 8), 3), (std::vector<std::string>{"1", "2", ""}));
}

TEST(ConfigText, TokenIsCutToItsBuffer) {
  const std::string text = "abcdefgh,next";
  char token[4];
  const char *next = NextToken(token, sizeof token, text.data(), text.data() + text.size());
  EXPECT_STREQ(token, "abc");
  EXPECT_STREQ(next, "next");
}

TEST(ConfigText, Numbers) {
  EXPECT_EQ(ConfigNumber("000"), 0);
  EXPECT_EQ(ConfigNumber("999"), 999);
  EXPECT_EQ(ConfigNumber("  42x"), 42);
  EXPECT_EQ(ConfigNumber("-5"), -5);
  EXPECT_EQ(ConfigNumber("+7"), 7);
  EXPECT_EQ(ConfigNumber("No;"), 0);
  EXPECT_EQ(ConfigNumber(""), 0);
  EXPECT_EQ(ConfigNumber("123456789"), 1234567);  // seven characters count
}

TEST(ConfigText, Switch) {
  EXPECT_TRUE(SwitchIsOn("Yes"));
  EXPECT_TRUE(SwitchIsOn("Yes;"));
  EXPECT_TRUE(SwitchIsOn("Yesterday"));
  EXPECT_FALSE(SwitchIsOn("yes"));
  EXPECT_FALSE(SwitchIsOn("Ye"));
  EXPECT_FALSE(SwitchIsOn("No"));
  EXPECT_FALSE(SwitchIsOn(""));
}

}  // namespace
