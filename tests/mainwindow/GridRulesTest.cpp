#include <gtest/gtest.h>

#include "mainwindow/GridRules.h"

using grid_rules::Entry;

namespace {

struct RowCase {
  const char *name;
  int row;
  int rows;
  bool insert, remove, open, drop;  // CanInsert, CanDelete, CanOpenRow, CanRemoveRow
};

class RowRulesTest : public testing::TestWithParam<RowCase> {};

TEST_P(RowRulesTest, Boundaries) {
  const RowCase &c = GetParam();
  EXPECT_EQ(grid_rules::CanInsert(c.row, c.rows), c.insert);
  EXPECT_EQ(grid_rules::CanDelete(c.row, c.rows), c.remove);
  EXPECT_EQ(grid_rules::CanOpenRow(c.row, c.rows), c.open);
  EXPECT_EQ(grid_rules::CanRemoveRow(c.row, c.rows), c.drop);
}

INSTANTIATE_TEST_SUITE_P(
    GridRules, RowRulesTest,
    testing::Values(RowCase{"FirstRow", 1, 10, true, true, true, true},
                    RowCase{"LastRow", 10, 10, true, true, true, true},
                    RowCase{"HeaderRow", 0, 10, false, false, false, false},
                    RowCase{"PastTheLastRow", 11, 10, false, false, false, false},
                    RowCase{"NegativeRow", -1, 10, false, false, false, false},
                    RowCase{"InsertAt97", 97, 98, true, true, true, true},
                    RowCase{"InsertAt98", 98, 98, false, true, true, true},
                    RowCase{"FullGrid", 50, 99, false, true, false, true},
                    RowCase{"ThreeRows", 2, 3, true, true, true, true},
                    RowCase{"TwoRowsStay", 2, 2, true, false, true, true},
                    RowCase{"OneRow", 1, 1, true, false, true, true}),
    [](const testing::TestParamInfo<RowCase> &info) { return std::string(info.param.name); });

std::array<std::string, Module1::kTableFields> Titles() {
  return {"", "User Name", "Login", "Confirm"};
}

struct RefusalCase {
  const char *name;
  std::vector<Entry> entries;
  std::string hint;
  std::string refusal;  // "" when Save can go ahead
};

class RefusalTest : public testing::TestWithParam<RefusalCase> {};

TEST_P(RefusalTest, NamesTheCellAtFault) {
  const RefusalCase &c = GetParam();
  EXPECT_EQ(grid_rules::Refusal(c.entries, c.hint, Titles()), c.refusal);
}

// A record is the fields joined by commas, a comma, and the chain: the hint
// word for the first record, the item name before it for every other.
// Four fields of n bytes each and a chain of k bytes: 4n + 4 + k bytes.
const std::string k100(100, 'a');

std::string Kana(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += "あ";
  return s;
}
const std::string kTooLong = "Can not save: row 2 (" + k100 + ") is too long: at most 510 bytes fit in one record.";

INSTANTIATE_TEST_SUITE_P(
    GridRules, RefusalTest,
    testing::Values(
        RefusalCase{"Ordinary", {{"Bank", "alice", "pass", ""}, {"LoginPassword", "h", "l", "e"}}, "h", ""},
        RefusalCase{"Nothing", {}, "h", ""},
        RefusalCase{"CommaInValue",
                    {{"Bank", "a", "b", ""}, {"Card", "x", "1,2", ""}},
                    "",
                    "Can not save: row 2 (Card), column 2 (Login) holds a comma, a line break or a NUL character."},
        RefusalCase{"CommaInItemName",
                    {{"Bank, old", "a", "b", ""}},
                    "",
                    "Can not save: row 1 (Bank, old), the item name holds a comma, a line break or a NUL character."},
        RefusalCase{"CarriageReturn",
                    {{"Bank", "a", "b", "x\r"}},
                    "",
                    "Can not save: row 1 (Bank), column 3 (Confirm) holds a comma, a line break or a NUL character."},
        RefusalCase{"LineFeed",
                    {{"Bank", "a\nb", "b", ""}},
                    "",
                    "Can not save: row 1 (Bank), column 1 (User Name) holds a comma, a line break or a NUL character."},
        RefusalCase{"Nul",
                    {{"Bank", "a", std::string("b\0c", 3), ""}},
                    "",
                    "Can not save: row 1 (Bank), column 2 (Login) holds a comma, a line break or a NUL character."},
        RefusalCase{"FirstFaultOnly",
                    {{"Bank", "a,", "b", ""}, {"Card,", "x", "", ""}},
                    "",
                    "Can not save: row 1 (Bank), column 1 (User Name) holds a comma, a line break or a NUL character."},
        // 4 * 100 + 4 + 106 = 510
        RefusalCase{"FirstRecordFitsWithTheHint", {{k100, k100, k100, k100}}, std::string(106, 'h'), ""},
        RefusalCase{"FirstRecordTooLongByTheHint",
                    {{k100, k100, k100, k100}},
                    std::string(107, 'h'),
                    "Can not save: row 1 (" + k100 + ") is too long: at most 510 bytes fit in one record."},
        // The second record chains the first item name: 4 * 100 + 4 + 100 = 504, plus 6 more.
        RefusalCase{"LaterRecordFitsWithThePreviousName",
                    {{k100, "", "", ""}, {k100, k100, k100, k100 + "123456"}},
                    "",
                    ""},
        RefusalCase{"LaterRecordTooLongByThePreviousName",
                    {{k100 + "x", "", "", ""}, {k100, k100, k100, k100 + "123456"}},
                    "",
                    kTooLong},
        // Bytes are counted, not characters: "あ" is three bytes in UTF-8.
        // 3 * 100 + 3k + 4 + 4 ("Bank") = 308 + 3k bytes.
        RefusalCase{"JapaneseFits", {{"Bank", "", "", ""}, {k100, k100, k100, Kana(67)}}, "", ""},
        RefusalCase{"JapaneseCountsItsBytes",
                    {{"Bank", "", "", ""}, {k100, k100, k100, Kana(68)}},
                    "",
                    "Can not save: row 2 (" + k100 + ") is too long: at most 510 bytes fit in one record."}),
    [](const testing::TestParamInfo<RefusalCase> &info) { return std::string(info.param.name); });

}  // namespace
