#include <gtest/gtest.h>

#include <cerrno>

#include "runtime/ErrorLine.h"

TEST(ErrorLine, OneLineWithPathWhatAndWhy) {
  struct Case {
    std::string path, what, why, line;
  };
  const Case cases[] = {
      {"/a/Vantry.csv", "cannot open", runtime::SystemReason(ENOENT),
       "Vantry: /a/Vantry.csv: cannot open: No such file or directory\n"},
      {"/a/Vantry.csv", "nothing to open", "", "Vantry: /a/Vantry.csv: nothing to open\n"},
      {"/a/b\nc", "damaged", "line 2\r\n", "Vantry: /a/b?c: damaged: line 2??\n"},
  };
  for (const Case &c : cases) {
    testing::internal::CaptureStderr();
    runtime::ErrorLine(c.path, c.what, c.why);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.line);
  }
}
