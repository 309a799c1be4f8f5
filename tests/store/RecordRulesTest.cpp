// The rules every writer of an archive shares, each with its one message.
#include <gtest/gtest.h>

#include "store/RecordRules.h"

using namespace store;

namespace {

const std::string kBad = " holds a comma, a line break or a NUL character.";

const std::vector<std::string> kTitles{"User Name", "Login", "Confirm"};

// Records numbered from row 1, as the owner sees them.
std::vector<Record> Numbered(const std::vector<std::vector<std::string>> &rows) {
  std::vector<Record> records;
  for (size_t i = 0; i < rows.size(); ++i) records.push_back({static_cast<int>(i) + 1, rows[i]});
  return records;
}

struct RefusalCase {
  const char *name;
  std::vector<std::vector<std::string>> entries;
  std::string hint;
  std::string refusal;  // "" when the records can be written
};

class RefusalTest : public testing::TestWithParam<RefusalCase> {};

TEST_P(RefusalTest, NamesTheCellAtFault) {
  const RefusalCase &c = GetParam();
  const auto refusal = ArchiveRefusal(kTitles, c.hint, Numbered(c.entries));
  EXPECT_EQ(refusal ? refusal->Text() : std::string(), c.refusal);
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
const std::string kTooLong = "Row 2 (" + k100 + ") is too long: at most 510 bytes fit in one record.";

INSTANTIATE_TEST_SUITE_P(
    RecordRules, RefusalTest,
    testing::Values(
        RefusalCase{"Ordinary", {{"Bank", "alice", "pass", ""}, {"LoginPassword", "h", "l", "e"}}, "h", ""},
        RefusalCase{"Nothing", {}, "h", ""},
        RefusalCase{"HintWithComma", {{"Bank", "a", "b", ""}}, "a,b", "The hint word" + kBad},
        RefusalCase{"TooManyRecords",
                    std::vector<std::vector<std::string>>(100, {"Row", "", "", ""}),
                    "",
                    "The table is larger than an archive can hold: at most 99 rows and 9 columns."},
        RefusalCase{"AFullArchive", std::vector<std::vector<std::string>>(99, {"Row", "", "", ""}), "", ""},
        RefusalCase{"CommaInValue",
                    {{"Bank", "a", "b", ""}, {"Card", "x", "1,2", ""}},
                    "",
                    "Row 2 (Card), column 2 (Login) holds a comma, a line break or a NUL character."},
        RefusalCase{"CommaInItemName",
                    {{"Bank, old", "a", "b", ""}},
                    "",
                    "Row 1 (Bank, old), the item name holds a comma, a line break or a NUL character."},
        RefusalCase{"CarriageReturn",
                    {{"Bank", "a", "b", "x\r"}},
                    "",
                    "Row 1 (Bank), column 3 (Confirm) holds a comma, a line break or a NUL character."},
        RefusalCase{"LineFeed",
                    {{"Bank", "a\nb", "b", ""}},
                    "",
                    "Row 1 (Bank), column 1 (User Name) holds a comma, a line break or a NUL character."},
        RefusalCase{"Nul",
                    {{"Bank", "a", std::string("b\0c", 3), ""}},
                    "",
                    "Row 1 (Bank), column 2 (Login) holds a comma, a line break or a NUL character."},
        RefusalCase{"FirstFaultOnly",
                    {{"Bank", "a,", "b", ""}, {"Card,", "x", "", ""}},
                    "",
                    "Row 1 (Bank), column 1 (User Name) holds a comma, a line break or a NUL character."},
        // 4 * 100 + 4 + 106 = 510
        RefusalCase{"FirstRecordFitsWithTheHint", {{k100, k100, k100, k100}}, std::string(106, 'h'), ""},
        RefusalCase{"FirstRecordTooLongByTheHint",
                    {{k100, k100, k100, k100}},
                    std::string(107, 'h'),
                    "Row 1 (" + k100 + ") is too long: at most 510 bytes fit in one record."},
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
                    "Row 2 (" + k100 + ") is too long: at most 510 bytes fit in one record."}),
    [](const testing::TestParamInfo<RefusalCase> &info) { return std::string(info.param.name); });


struct CredentialsCase {
  const char *name;
  std::string login, edit, hint;
  std::string refusal;  // "" when accepted
};

class CredentialsRuleTest : public testing::TestWithParam<CredentialsCase> {};

TEST_P(CredentialsRuleTest, FirstBrokenRuleIsNamed) {
  const CredentialsCase &c = GetParam();
  const auto refusal = CredentialsRefusal(c.login, c.edit, c.hint);
  EXPECT_EQ(refusal ? refusal->Text() : std::string(), c.refusal);
}

const std::string kDifferent = "\r\n異なるパスワードを設定してください。";

INSTANTIATE_TEST_SUITE_P(
    RecordRules, CredentialsRuleTest,
    testing::Values(
        CredentialsCase{"Accepted", "log", "ed", "hint", ""},
        CredentialsCase{"EmptyHintAccepted", "log", "ed", "", ""},
        CredentialsCase{"CaseDiffers", "Pass", "pass", "", ""},
        CredentialsCase{"LoginEmpty", "", "ed", "", "ログインパスワードが設定されていません。"},
        CredentialsCase{"LoginBlanksOnly", "   ", "ed", "", "ログインパスワードが設定されていません。"},
        CredentialsCase{"BothEmpty", "", "", "", "ログインパスワードが設定されていません。"},
        CredentialsCase{"EditEmpty", "log", " ", "", "編集パスワードが設定されていません。"},
        CredentialsCase{"PasswordsEqual", "same", "same", "", "ログインパスワードと編集パスワードが同じです。" + kDifferent},
        CredentialsCase{"EqualOnceTrimmed", "same", " same ", "", "ログインパスワードと編集パスワードが同じです。" + kDifferent},
        CredentialsCase{"HintIsLogin", "log", "ed", "log", "ログインパスワードと連想言葉が同じです。" + kDifferent},
        CredentialsCase{"HintIsEdit", "log", "ed", "ed", "編集パスワードと連想言葉が同じです。" + kDifferent},
        CredentialsCase{"AllEqual", "x", "x", "x", "ログインパスワードと編集パスワードが同じです。" + kDifferent}),
    [](const testing::TestParamInfo<CredentialsCase> &info) { return std::string(info.param.name); });

struct ColumnsCase {
  const char *name;
  int columns;
  std::string login, edit, hint;
  std::string refusal;  // "" when accepted
};

class CredentialColumnsTest : public testing::TestWithParam<ColumnsCase> {};

// Records of fewer than three columns hold no edit password (and of one
// column no login password): no rule asks for what they cannot hold.
TEST_P(CredentialColumnsTest, OnlyWhatTheColumnsHold) {
  const ColumnsCase &c = GetParam();
  const auto refusal = CredentialsRefusal(Credentials{true, c.hint, c.login, c.edit}, c.columns);
  EXPECT_EQ(refusal ? refusal->Text() : std::string(), c.refusal);
}

INSTANTIATE_TEST_SUITE_P(
    RecordRules, CredentialColumnsTest,
    testing::Values(
        ColumnsCase{"NoColumns", 0, "", "", "", ""},
        ColumnsCase{"HintOnly", 1, "", "", "hint", ""},
        ColumnsCase{"HintOnlyEmpty", 1, "", "", "", ""},
        ColumnsCase{"TwoColumnsNoEditPassword", 2, "log", "", "hint", ""},
        ColumnsCase{"TwoColumnsLoginEmpty", 2, " ", "", "hint", "ログインパスワードが設定されていません。"},
        ColumnsCase{"TwoColumnsHintIsLogin", 2, "log", "", "log", "ログインパスワードと連想言葉が同じです。" + kDifferent},
        ColumnsCase{"ThreeColumnsAsEver", 3, "log", "", "hint", "編集パスワードが設定されていません。"},
        ColumnsCase{"MoreColumnsAsEver", 7, "same", "same", "", "ログインパスワードと編集パスワードが同じです。" + kDifferent}),
    [](const testing::TestParamInfo<ColumnsCase> &info) { return std::string(info.param.name); });

// As the next start takes them: the last credentials row wins, its hint even
// when empty, its passwords where they are set.
TEST(CredentialsOf, TakesThemAsTheNextStartDoes) {
  EXPECT_FALSE(CredentialsOf(Numbered({{"Bank", "a", "b", "c"}})).found);
  const Credentials one = CredentialsOf(Numbered({{"Bank", "a"}, {"LoginPassword", "h", "l", "e"}}));
  EXPECT_TRUE(one.found);
  EXPECT_EQ(one.hint + "|" + one.login + "|" + one.edit, "h|l|e");
  const Credentials two =
      CredentialsOf(Numbered({{"LoginPassword", "h1", "l1", "e1"}, {"LoginPassword", "", "l2", ""}}));
  EXPECT_EQ(two.hint + "|" + two.login + "|" + two.edit, "|l2|e1");
  const Credentials empty = CredentialsOf(Numbered({{"LoginPassword", "h", "", ""}}));
  EXPECT_EQ(empty.login + empty.edit, "");
  EXPECT_FALSE(CredentialsOf(Numbered({{"loginpassword", "h", "l", "e"}})).found);
}

}  // namespace
