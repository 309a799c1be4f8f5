#include <gtest/gtest.h>

#include <string>

#include "tests/library/QuentaLoader.h"

TEST(CipherFreshProcess, FirstScramblesDrawKnownHeaders) {
  QuentaLoader lib;
  ASSERT_NE(lib.modulate, nullptr) << dlerror();
  const char *expected[] = {"IB@", "CBH", "NKH", "DHG", "ANJ"};
  char buffer[2052];
  for (const char *header : expected) {
    lib.modulate(buffer, "abc", 0);
    EXPECT_EQ(std::string(buffer, 3), header);
  }
}
