#include <gtest/gtest.h>

#include <limits>

#include "mainwindow/PasswordEntry.h"

using password_entry::Decide;
using password_entry::Reply;
using password_entry::Rule;
using password_entry::WindowState;

namespace {

const std::string kLogin = "open sesame";
const std::string kEdit = "edit sesame";

constexpr WindowState kClosed{false, false, 0};
constexpr WindowState kOpened{true, true, 0};
constexpr WindowState kLevel1{true, true, 1};
constexpr WindowState kLevel2{true, true, 2};

struct DecideCase {
  const char *name;
  std::string typed;
  WindowState state;
  std::string login, edit;
  Rule rule;
};

class DecideTest : public testing::TestWithParam<DecideCase> {};

TEST_P(DecideTest, FirstRuleThatAppliesWins) {
  const DecideCase &c = GetParam();
  EXPECT_EQ(Decide(c.typed, c.state, c.login, c.edit), c.rule);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, DecideTest,
    testing::Values(
        DecideCase{"LoginWhileClosed", kLogin, kClosed, kLogin, kEdit, Rule::Login},
        DecideCase{"EditBeforeLoginIsWrong", kEdit, kClosed, kLogin, kEdit, Rule::WrongBeforeLogin},
        DecideCase{"EditAfterLoginUnlocks", kEdit, kOpened, kLogin, kEdit, Rule::Unlock},
        DecideCase{"LoginAgainAfterLogin", kLogin, kOpened, kLogin, kEdit, Rule::Login},
        DecideCase{"UpperCaseIsWrong", "Open Sesame", kClosed, kLogin, kEdit, Rule::WrongBeforeLogin},
        DecideCase{"TrailingBlankIsWrong", kLogin + " ", kClosed, kLogin, kEdit, Rule::WrongBeforeLogin},
        DecideCase{"LeadingBlankIsWrong", " " + kLogin, kClosed, kLogin, kEdit, Rule::WrongBeforeLogin},
        DecideCase{"PrefixIsWrong", "open", kClosed, kLogin, kEdit, Rule::WrongBeforeLogin},
        DecideCase{"EmptyIsWrong", "", kClosed, kLogin, kEdit, Rule::WrongBeforeLogin},
        DecideCase{"EditWithTrailingBlankAfterLogin", kEdit + " ", kOpened, kLogin, kEdit,
                   Rule::WrongAfterLogin},
        DecideCase{"WrongAfterLoginIsIgnored", "guess", kOpened, kLogin, kEdit, Rule::WrongAfterLogin},
        DecideCase{"EqualPasswordsNeverUnlock", kLogin, kOpened, kLogin, kLogin, Rule::Login},
        DecideCase{"Level2RenamesInsteadOfLogin", kLogin, kLevel2, kLogin, kEdit, Rule::ItemName},
        DecideCase{"Level2RenamesInsteadOfUnlock", kEdit, kLevel2, kLogin, kEdit, Rule::ItemName},
        DecideCase{"Level2RenamesAnyText", "Bank 2", kLevel2, kLogin, kEdit, Rule::ItemName},
        DecideCase{"Level1StillCompares", kEdit, kLevel1, kLogin, kEdit, Rule::Unlock},
        // Level 2 with the grid hidden cannot rename: no row is in view.
        DecideCase{"Level2WhileClosedCounts", "guess", {false, false, 2}, kLogin, kEdit,
                   Rule::WrongBeforeLogin}),
    [](const testing::TestParamInfo<DecideCase> &info) { return info.param.name; });

TEST(CountWrongEntryTest, AnswersEachEntryOfASequence) {
  const Reply expected[] = {
      Reply::None,          Reply::None,          Reply::Hint,    Reply::None,
      Reply::None,          Reply::None,          Reply::ReturnRequest, Reply::ReturnRequest,
      Reply::ReturnRequest, Reply::LockOut,       Reply::LockOut, Reply::LockOut,
  };
  int16_t tries = 0;
  for (int entry = 1; entry <= 12; ++entry) {
    SCOPED_TRACE(entry);
    EXPECT_EQ(password_entry::CountWrongEntry(tries), expected[entry - 1]);
    EXPECT_EQ(tries, entry);
  }
}

TEST(CountWrongEntryTest, StopsAtItsLargestValueAndStaysLockedOut) {
  constexpr int16_t kMax = std::numeric_limits<int16_t>::max();
  int16_t tries = kMax - 1;
  EXPECT_EQ(password_entry::CountWrongEntry(tries), Reply::LockOut);
  EXPECT_EQ(tries, kMax);
  EXPECT_EQ(password_entry::CountWrongEntry(tries), Reply::LockOut);
  EXPECT_EQ(tries, kMax);
}

TEST(MessagesTest, TextsAsTheOwnerAndFinderSeeThem) {
  EXPECT_EQ(password_entry::HintMessage("blue whale"),
            "Did you forget the password?\r\nPssword Hint: \r\nblue whale");
  EXPECT_EQ(password_entry::HintMessage(""), "Did you forget the password?\r\nPssword Hint: \r\n");
  EXPECT_EQ(password_entry::ReturnMessage(),
            "Is this Vantry yours ?\r\nPlease return this Vantry to the owner. \r\nmn(_\"_)nm");
  EXPECT_STREQ(password_entry::kCaption, "Password Entry");
}

}  // namespace
