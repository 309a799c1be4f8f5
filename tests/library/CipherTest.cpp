#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

#include "tests/library/QuentaLoader.h"

namespace {

class Cipher : public testing::Test {
 protected:
  static QuentaLoader &Lib() {
    static QuentaLoader lib;
    return lib;
  }
  void SetUp() override { ASSERT_NE(Lib().modulate, nullptr); }

  std::string Scramble(const std::string &plain, int32_t *count = nullptr) {
    char out[2052];
    const int32_t n = Lib().modulate(out, plain.c_str(), 0);
    if (count) *count = n;
    return out;
  }
  std::string Unscramble(const std::string &text, int32_t *count = nullptr) {
    char out[1025];
    const int32_t n = Lib().modulate(out, text.c_str(), 1);
    if (count) *count = n;
    return std::string(out, static_cast<size_t>(n));
  }
  // A scrambled text with the given start index (the body re-encoded for it).
  static std::string Header(int start) {
    return {static_cast<char>(0x40 + (start & 15)), static_cast<char>(0x40 + ((start >> 4) & 15)),
            static_cast<char>(0x40 + ((start >> 8) & 1))};
  }
};

TEST_F(Cipher, EmptyText) {
  int32_t n = -1;
  const std::string s = Scramble("", &n);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(s.size(), 3u);
  EXPECT_EQ(Unscramble(s, &n), "");
  EXPECT_EQ(n, 0);
}

TEST_F(Cipher, OutputUsesOnlyAtToO) {
  const std::string s = Scramble("Bank,alice,S3cr3t!,パスワード");
  EXPECT_EQ(s.size(), 3 + 2 * std::strlen("Bank,alice,S3cr3t!,パスワード"));
  for (char c : s) EXPECT_TRUE(c >= '@' && c <= 'O') << c;
}

TEST_F(Cipher, SameTextTwiceDiffersButReadsBack) {
  const std::string a = Scramble("LoginPassword,hint,pw1,pw2");
  const std::string b = Scramble("LoginPassword,hint,pw1,pw2");
  EXPECT_NE(a, b);
  EXPECT_EQ(Unscramble(a), "LoginPassword,hint,pw1,pw2");
  EXPECT_EQ(Unscramble(b), "LoginPassword,hint,pw1,pw2");
}

TEST_F(Cipher, EveryByteAtEveryStartIndexRoundTrips) {
  // Scramble until every start index has been drawn once, using a text that
  // holds every byte value 1..255; indexes near 511 wrap to 0.
  std::string all;
  for (int b = 1; b <= 255; ++b) all.push_back(static_cast<char>(b));
  bool seen[512] = {};
  int distinct = 0;
  for (int i = 0; i < 200000 && distinct < 512; ++i) {
    const std::string s = Scramble(all);
    const int start = (s[0] & 15) + 16 * (s[1] & 15) + 256 * (s[2] & 1);
    if (seen[start]) continue;
    seen[start] = true;
    ++distinct;
    ASSERT_EQ(Unscramble(s), all) << "start index " << start;
  }
  EXPECT_EQ(distinct, 512);
}

TEST_F(Cipher, LongInputStopsAt1024Bytes) {
  const std::string plain(1025, 'a');
  int32_t n = 0;
  const std::string s = Scramble(plain, &n);
  EXPECT_EQ(n, 1024);
  EXPECT_EQ(s.size(), 3u + 2048u);
  EXPECT_EQ(Unscramble(s, &n), std::string(1024, 'a'));
  EXPECT_EQ(n, 1024);
}

TEST_F(Cipher, DecoderCountsOnlyLowFourBits) {
  const std::string s = Scramble("xyz");
  std::string shifted = s;
  for (size_t i = 3; i < shifted.size(); ++i)
    if (shifted[i] == '@') shifted[i] = 'P';  // 'P' counts as 0, like '@'
  EXPECT_EQ(Unscramble(shifted), "xyz");
}

TEST_F(Cipher, MalformedTextIsNeverReadPastItsEnd) {
  struct Case {
    std::string text;
    size_t bytes;
  };
  const Case cases[] = {{"", 0}, {"@", 0}, {"@A", 0}, {Header(0) + "A", 0}, {Header(7) + "ABC", 1}};
  for (const Case &c : cases) {
    // Copy into a buffer of exact size so that the sanitizer sees any overread.
    std::unique_ptr<char[]> exact(new char[c.text.size() + 1]);
    std::memcpy(exact.get(), c.text.c_str(), c.text.size() + 1);
    char out[1025];
    EXPECT_EQ(static_cast<size_t>(Lib().modulate(out, exact.get(), 1)), c.bytes) << c.text;
  }
}

TEST_F(Cipher, EachThreadHasItsOwnGenerator) {
  std::string inThread;
  std::thread t([&] { inThread = Scramble("a").substr(0, 3); });
  t.join();
  EXPECT_EQ(inThread, "IB@");  // a new thread's generator starts at 1
}

}  // namespace
