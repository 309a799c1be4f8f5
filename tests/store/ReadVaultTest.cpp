#include <gtest/gtest.h>

#include <functional>

#include "runtime/MessageBox.h"
#include "store/CipherLibrary.h"
#include "store/Messages.h"
#include "store/Module1.h"
#include "store/Vault.h"
#include "tests/store/VaultFixture.h"

namespace {

using Module1::VaultTable;

// Three records chained as the writer chains them.
std::vector<std::string> Chain3() {
  return {"Bank,alice,pw1,note,hint", "LoginPassword,hint,log,edit,Bank", "Mail,bob,pw2,,LoginPassword"};
}

enum class Says { Nothing, Corrupted, CanNotOpen };

struct Case {
  const char *what;
  std::function<std::string()> file;
  int result;
  Says says;
};

class ReadVaultTest : public testing::Test {
 protected:
  void SetUp() override { UseBuiltCipher(); }
  TempFolder folder;
  ScriptedMessageBox box;
};

TEST_F(ReadVaultTest, OutcomesByFileContent) {
  const auto chain = Chain3();
  std::string longLine(1025, '@');
  const Case cases[] = {
      {"valid", [&] { return MakeArchive("3x3,User,Pass,Note", chain); }, 3, Says::Nothing},
      {"two lines exchanged",
       [&] { return MakeArchive("3x3,U,P,N", {chain[0], chain[2], chain[1]}); }, 0, Says::Corrupted},
      {"middle line deleted", [&] { return MakeArchive("3x3,U,P,N", {chain[0], chain[2]}); }, 0,
       Says::Corrupted},
      {"last line missing", [&] { return MakeArchive("3x3,U,P,N", {chain[0], chain[1]}); }, 0,
       Says::Corrupted},
      {"extra line read, not chained",
       [&] { return MakeArchive("2x3,U,P,N", {chain[0], chain[1], "Extra,x,y,z"}); }, 3, Says::Nothing},
      {"hint changed in record 0 goes unnoticed",
       [&] { return MakeArchive("3x3,U,P,N", {"Bank,alice,pw1,note,OTHER", chain[1], chain[2]}); }, 3,
       Says::Nothing},
      {"header only", [] { return std::string("3x3,U,P,N\r\n"); }, 0, Says::Nothing},
      {"empty file", [] { return std::string(); }, 0, Says::Nothing},
      {"more than 99 rows declared", [&] { return MakeArchive("100x3,U,P,N", chain); }, 0, Says::Corrupted},
      {"more than 9 columns declared", [&] { return MakeArchive("3x10", chain); }, 0, Says::Corrupted},
      {"negative rows", [&] { return MakeArchive("-1x3", chain); }, 0, Says::Corrupted},
      {"negative columns", [&] { return MakeArchive("3x-1", chain); }, 0, Says::Corrupted},
      {"count beyond 16 bits", [&] { return MakeArchive("40000x3", chain); }, 0, Says::Corrupted},
      {"a line cut short",
       [&] {
         std::string t = MakeArchive("3x3,U,P,N", chain);
         return t.substr(0, t.size() - 20);
       },
       0, Says::Corrupted},
      {"a malformed line: too short", [&] { return MakeArchive("3x3,U,P,N", {chain[0], chain[1]}) + "@@\r\n"; },
       0, Says::Corrupted},
      {"a malformed line: even length",
       [&] { return MakeArchive("3x3,U,P,N", {chain[0], chain[1]}) + ScrambleLine(chain[2]) + "A\r\n"; }, 0,
       Says::Corrupted},
      {"a malformed line: comma inside",
       [&] {
         std::string bad = ScrambleLine(chain[2]);
         bad[5] = ',';
         return MakeArchive("3x3,U,P,N", {chain[0], chain[1]}) + bad + "\r\n";
       },
       0, Says::Corrupted},
      {"a malformed line: outside @..O",
       [&] {
         std::string bad = ScrambleLine(chain[2]);
         bad[6] = 'z';
         return MakeArchive("3x3,U,P,N", {chain[0], chain[1]}) + bad + "\r\n";
       },
       0, Says::Corrupted},
      {"a malformed line: very long",
       [&] { return MakeArchive("3x3,U,P,N", {chain[0], chain[1]}) + longLine + "\r\n"; }, 0, Says::Corrupted},
      {"a changed byte breaks the chain",
       [&] {
         std::string t = MakeArchive("3x3,U,P,N", chain);
         const size_t at = t.find("\r\n") + 2 + 3;  // first byte of record 0
         t[at] = t[at] == '@' ? 'A' : '@';
         return t;
       },
       0, Says::Corrupted},
  };
  for (const Case &c : cases) {
    Module1::Reset();
    Module1::AppFolder = folder.Path();
    Module1::RowCount = 99;
    Module1::ColumnCount = 9;
    box.Clear();
    folder.Write("Vantry.csv", c.file());
    EXPECT_EQ(ReadVault(), c.result) << c.what;
    const auto &shown = box.Shown();
    switch (c.says) {
      case Says::Nothing:
        EXPECT_TRUE(shown.empty()) << c.what;
        break;
      case Says::Corrupted:
        ASSERT_EQ(shown.size(), 1u) << c.what;
        EXPECT_EQ(shown[0].text, "データファイルは壊れています") << c.what;
        EXPECT_EQ(shown[0].caption, "Read File / Vantry") << c.what;
        EXPECT_EQ(shown[0].style, 16) << c.what;
        break;
      case Says::CanNotOpen:
        break;
    }
    if (c.says == Says::Corrupted) {
      for (int r = 0; r < 99; ++r) EXPECT_EQ(VaultTable[r][0], "") << c.what << " row " << r;
    }
  }
}

TEST_F(ReadVaultTest, FillsTableTitlesAndChain) {
  folder.Write("Vantry.csv", MakeArchive("3x3,User,,Note", Chain3()));
  ASSERT_EQ(ReadVault(), 3);
  EXPECT_EQ(Module1::RowCount, 3);
  EXPECT_EQ(Module1::ColumnCount, 3);
  EXPECT_EQ(Module1::ColumnTitles[1], "User");
  EXPECT_EQ(Module1::ColumnTitles[2], "");
  EXPECT_EQ(Module1::ColumnTitles[3], "Note");
  EXPECT_EQ(VaultTable[0][0], "Bank");
  EXPECT_EQ(VaultTable[0][4], "hint");  // the hint word closes the chain
  EXPECT_EQ(VaultTable[2][4], "LoginPassword");
  EXPECT_EQ(Module1::LoginPasswordText, "log");
  EXPECT_EQ(Module1::EditPasswordText, "edit");
  EXPECT_EQ(VaultTable[3][0], "");
}

TEST_F(ReadVaultTest, HeaderWithFewerTitlesLeavesTheRestEmpty) {
  folder.Write("Vantry.csv", MakeArchive("1x3,Only", {"A,1,2,3,"}));
  ASSERT_EQ(ReadVault(), 1);
  EXPECT_EQ(Module1::ColumnTitles[1], "Only");
  EXPECT_EQ(Module1::ColumnTitles[2], "");
  EXPECT_EQ(Module1::ColumnTitles[3], "");
}

TEST_F(ReadVaultTest, ReadsAtMost99Lines) {
  for (int lines : {99, 100}) {
    Module1::Reset();
    Module1::AppFolder = folder.Path();
    std::vector<std::string> records;
    std::string previous = "";
    for (int r = 0; r < lines; ++r) {
      const std::string name = "Item" + std::to_string(r);
      records.push_back(name + ",v," + previous);
      previous = name;
    }
    folder.Write("Vantry.csv", MakeArchive("99x1,V", records));
    EXPECT_EQ(ReadVault(), 99) << lines << " lines";
    EXPECT_EQ(VaultTable[98][0], "Item98");
    EXPECT_EQ(VaultTable[99][0], "");
  }
}

TEST_F(ReadVaultTest, MissingFileSaysItCannotOpen) {
  EXPECT_EQ(ReadVault(), 0);
  ASSERT_EQ(box.Shown().size(), 1u);
  EXPECT_EQ(box.Shown()[0].text, "   Can not open Vantry.csv !    ");
  EXPECT_EQ(box.Shown()[0].caption, "Error");
  EXPECT_EQ(box.Shown()[0].style, 4144);
}

TEST_F(ReadVaultTest, MissingLibraryLeavesTheTableUntouched) {
  folder.Write("Vantry.csv", MakeArchive("3x3,U,P,N", Chain3()));
  Module1::VaultTable[0][0] = "untouched";
  store::SetCipherLibraryPath(folder.File("no-such-libQuenta.so"));
  EXPECT_EQ(ReadVault(), 0);
  UseBuiltCipher();
  ASSERT_EQ(box.Shown().size(), 1u);
  EXPECT_NE(box.Shown()[0].text.find("libQuenta.so"), std::string::npos);
  EXPECT_EQ(Module1::VaultTable[0][0], "untouched");
  EXPECT_EQ(Module1::ColumnTitles[1], "");
}

}  // namespace
