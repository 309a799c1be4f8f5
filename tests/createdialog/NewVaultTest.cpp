// The decisions of "Save" without a window: count ranges, refusals, the table.
#include <gtest/gtest.h>

#include "createdialog/NewVault.h"
#include "store/Module1.h"
#include "store/Vault.h"
#include "tests/support/ScriptedMessageBox.h"
#include "tests/support/TempFolder.h"

using namespace createdialog;

namespace {

struct CountCase {
  const char *text;
  int rows;     // the row count it stands for
  int columns;  // the column count it stands for
};

class ConfirmedCountTest : public testing::TestWithParam<CountCase> {};

TEST_P(ConfirmedCountTest, StaysWithinLimits) {
  const CountCase &c = GetParam();
  EXPECT_EQ(ConfirmedCount(c.text, kRowLimits), c.rows);
  EXPECT_EQ(ConfirmedCount(c.text, kColumnLimits), c.columns);
  // The text changes only when the value lies outside the limits.
  const std::string rowsText = ConfirmedCountText(c.text, kRowLimits);
  EXPECT_EQ(ConfirmedCount(rowsText, kRowLimits), c.rows);
}

INSTANTIATE_TEST_SUITE_P(Texts, ConfirmedCountTest,
                         testing::Values(CountCase{"", 7, 3}, CountCase{"abc", 7, 3}, CountCase{"6.5", 7, 6},
                                         CountCase{"7.5", 8, 7}, CountCase{"1 0", 10, 7},
                                         CountCase{"32", 32, 7}, CountCase{"32.5", 32, 7},
                                         CountCase{"33", 32, 7}, CountCase{"&H1F", 31, 7},
                                         CountCase{"32767", 32, 7}, CountCase{"32768", 32, 7},
                                         CountCase{"-32768", 7, 3}, CountCase{"-32769", 7, 3},
                                         CountCase{" - 40000", 7, 3}, CountCase{"1e400", 32, 7},
                                         CountCase{"-1e400", 7, 3}, CountCase{"&HFFFFFFFFFF", 32, 7}));

TEST(ConfirmedCountText, KeepsTextWithinLimitsAndNamesTheLimitOtherwise) {
  EXPECT_EQ(ConfirmedCountText("6.5", kColumnLimits), "6.5");
  EXPECT_EQ(ConfirmedCountText(" 20 ", kRowLimits), " 20 ");
  EXPECT_EQ(ConfirmedCountText("99999999999999999999", kRowLimits), "32");
  EXPECT_EQ(ConfirmedCountText("-99999999999999999999", kColumnLimits), "3");
}

TEST(TrimBlanks, RemovesOnlyLeadingAndTrailingBlanks) {
  EXPECT_EQ(TrimBlanks("  a b  "), "a b");
  EXPECT_EQ(TrimBlanks("   "), "");
  EXPECT_EQ(TrimBlanks("\ta\t"), "\ta\t");
}

NewVault Vault(int rows, int columns, std::string login, std::string edit, std::string hint) {
  NewVault v;
  v.rows = static_cast<int16_t>(rows);
  v.columns = static_cast<int16_t>(columns);
  v.login = std::move(login);
  v.edit = std::move(edit);
  v.hint = std::move(hint);
  for (int c = 1; c <= columns; ++c) v.titles.push_back(std::string("T").append(std::to_string(c)));
  return v;
}

bool WritesWithoutComplaint(const NewVault &v) {
  TempFolder folder;
  ScriptedMessageBox box;
  BuildNewVault(v);
  return WriteVault() && box.Shown().empty();
}

// The length refusal draws the line exactly where the writer does.
TEST(StorageRefusal, AgreesWithTheWriterOnRecordLength) {
  UseBuiltCipher();
  for (int columns : {3, 5, 7}) {
    for (int rows : {7, 12, 32}) {
      size_t length = 400;
      while (!StorageRefusal(Vault(rows, columns, std::string(length + 1, 'l'), "e", "h"))) ++length;
      const NewVault longest = Vault(rows, columns, std::string(length, 'l'), "e", "h");
      const NewVault tooLong = Vault(rows, columns, std::string(length + 1, 'l'), "e", "h");
      EXPECT_TRUE(WritesWithoutComplaint(longest)) << rows << "x" << columns;
      EXPECT_FALSE(WritesWithoutComplaint(tooLong)) << rows << "x" << columns;
      // In the writer's own words: the credentials row is second to last.
      EXPECT_EQ(StorageRefusal(tooLong)->Text(), "Row " + std::to_string(rows - 1) +
                                                     " (LoginPassword) is too long: at most 510 bytes fit in one record.");
    }
  }
}

TEST(StorageRefusal, NamesTheFirstFieldThatBreaksTheFormat) {
  NewVault v = Vault(7, 5, "lo,gin", "ed,it", "");
  const std::string bad = " holds a comma, a line break or a NUL character.";
  EXPECT_EQ(StorageRefusal(v)->Text(), "The login password" + bad);
  v.login = "login";
  EXPECT_EQ(StorageRefusal(v)->Text(), "The edit password" + bad);
  v.edit = "edit";
  v.hint = "hi\nnt";
  EXPECT_EQ(StorageRefusal(v)->Text(), "The hint word" + bad);
  v.hint = "";
  v.titles[4] = "a\r\nb";
  EXPECT_EQ(StorageRefusal(v)->Text(), "The title of column 5" + bad);
}

// Whatever the dialog lets through, the writer takes without a message and
// the reader gives back.
TEST(BuildNewVault, EveryAcceptedSizeIsWrittenAndReadBack) {
  UseBuiltCipher();
  for (int columns = kColumnLimits.lower; columns <= kColumnLimits.upper; ++columns) {
    for (int rows : {7, 8, 31, 32}) {
      TempFolder folder;
      ScriptedMessageBox box;
      const NewVault v = Vault(rows, columns, "ログイン", "編集", "ヒント");
      ASSERT_FALSE(StorageRefusal(v));
      BuildNewVault(v);
      ASSERT_TRUE(WriteVault()) << rows << "x" << columns;
      EXPECT_TRUE(box.Shown().empty());
      Module1::Reset();
      Module1::AppFolder = folder.Path();
      EXPECT_EQ(ReadVault(), rows);
      EXPECT_EQ(Module1::ColumnCount, columns);
      EXPECT_EQ(Module1::VaultTable[rows - 1][0], "New" + std::to_string(rows));
      EXPECT_EQ(Module1::VaultTable[rows - 2][0], "LoginPassword");
      EXPECT_EQ(Module1::LoginPasswordText, "ログイン");
      EXPECT_EQ(Module1::EditPasswordText, "編集");
      EXPECT_EQ(Module1::HintText, "ヒント");
    }
  }
}

}  // namespace
