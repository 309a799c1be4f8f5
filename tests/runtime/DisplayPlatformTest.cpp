#include "runtime/DisplayPlatform.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QtGlobal>
#include <optional>
#include <string>

namespace {

struct Case {
  std::optional<std::string> before;  // QT_QPA_PLATFORM at start; nullopt: unset
  std::string after;
};

class DisplayPlatformTest : public ::testing::TestWithParam<Case> {
 protected:
  void TearDown() override { qunsetenv("QT_QPA_PLATFORM"); }
};

TEST_P(DisplayPlatformTest, OwnersChoiceStandsElseXcb) {
  const Case &c = GetParam();
  if (c.before) {
    qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(*c.before));
  } else {
    qunsetenv("QT_QPA_PLATFORM");
  }
  runtime::ChooseDisplayPlatform();
  EXPECT_EQ(qgetenv("QT_QPA_PLATFORM").toStdString(), c.after);
}

INSTANTIATE_TEST_SUITE_P(Choices, DisplayPlatformTest,
                         ::testing::Values(Case{std::nullopt, "xcb"}, Case{"", "xcb"}, Case{"wayland", "wayland"},
                                           Case{"offscreen", "offscreen"}, Case{"wayland;xcb", "wayland;xcb"}));

}  // namespace
