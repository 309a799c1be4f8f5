#include <gtest/gtest.h>

#include <cerrno>

#include "runtime/Files.h"
#include "runtime/MessageBox.h"
#include "store/BackupRecovery.h"
#include "store/Module1.h"
#include "store/Vault.h"
#include "tests/store/VaultFixture.h"

namespace {

std::string Archive(const std::string &name) {
  return MakeArchive("2x3,User,Pass,Note", {name + ",u,p,n,hint", "LoginPassword,hint,log,edit," + name});
}

// Record lines exchanged: the chain breaks.
std::string Damaged() {
  return MakeArchive("2x3,User,Pass,Note", {"LoginPassword,hint,log,edit,Bank", "Bank,u,p,n,hint"});
}

class BackupRecoveryTest : public testing::Test {
 protected:
  void SetUp() override { UseBuiltCipher(); }
  void TearDown() override { runtime::ResetFiles(); }

  std::vector<std::string> DamagedCopies() const {
    std::vector<std::string> names;
    for (const auto &[name, content] : folder.Snapshot())
      if (name.rfind("Vantry.damaged-", 0) == 0) names.push_back(name);
    return names;
  }

  TempFolder folder;
  ScriptedMessageBox box;
};

struct Case {
  const char *what;
  std::vector<std::pair<std::string, std::string>> files;  // besides a damaged Vantry.csv
  int newest;                                              // 0: none reads whole
};

TEST_F(BackupRecoveryTest, NewestIntactBackupByTheReadersRules) {
  const Case cases[] = {
      {"no backups", {}, 0},
      {"the first", {{"Vantry1.csv", Archive("One")}, {"Vantry2.csv", Archive("Two")}}, 1},
      {"first damaged, second whole", {{"Vantry1.csv", Damaged()}, {"Vantry2.csv", Archive("Two")}}, 2},
      {"only the third", {{"Vantry1.csv", ""}, {"Vantry2.csv", "2x2,U,P\r\n"}, {"Vantry3.csv", Archive("3")}}, 3},
      {"none whole", {{"Vantry1.csv", Damaged()}, {"Vantry3.csv", "garbage"}}, 0},
  };
  for (const Case &c : cases) {
    TempFolder here;
    for (const auto &[name, content] : c.files) here.Write(name, content);
    EXPECT_EQ(store::NewestIntactBackup(), c.newest) << c.what;
  }
}

TEST_F(BackupRecoveryTest, OkKeepsTheDamagedFileAndOpensACopyOfTheBackup) {
  folder.Write("Vantry.csv", Damaged());
  folder.Write("Vantry1.csv", Damaged());
  folder.Write("Vantry2.csv", Archive("Two"));
  const auto before = folder.Snapshot();
  box.Answer(runtime::kAnswerOk);
  ASSERT_TRUE(store::OfferNewestBackup());

  ASSERT_EQ(box.Shown().size(), 1u);
  EXPECT_EQ(box.Shown()[0].style, runtime::kStyleQuestionOkCancel);
  EXPECT_EQ(box.Shown()[0].caption, "Read File / Vantry");
  EXPECT_NE(box.Shown()[0].text.find("Vantry2.csv, saved "), std::string::npos) << box.Shown()[0].text;

  const auto kept = DamagedCopies();
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_NE(box.Shown()[0].text.find(kept[0]), std::string::npos);
  EXPECT_EQ(folder.Read(kept[0]), before.at("Vantry.csv"));
  EXPECT_EQ(folder.Read("Vantry.csv"), before.at("Vantry2.csv"));
  for (const char *name : {"Vantry1.csv", "Vantry2.csv"}) EXPECT_EQ(folder.Read(name), before.at(name));
  EXPECT_EQ(Module1::RowCount, 2);
  EXPECT_EQ(Module1::VaultTable[0][0], "Two");
  EXPECT_EQ(Module1::LoginPasswordText, "log");
}

TEST_F(BackupRecoveryTest, NothingChangesUnlessTheBackupIsPutInPlace) {
  struct Refusal {
    const char *what;
    int answer;
    bool replaceFails;
    size_t messages;  // the question, and a failure message
  };
  const Refusal cases[] = {
      {"Cancel", runtime::kAnswerCancel, false, 1},
      {"the last step fails", runtime::kAnswerOk, true, 2},
  };
  for (const Refusal &c : cases) {
    TempFolder here;
    ScriptedMessageBox answers;
    here.Write("Vantry.csv", Damaged());
    here.Write("Vantry1.csv", Archive("One"));
    const auto before = here.Snapshot();
    answers.Answer(c.answer);
    if (c.replaceFails)
      runtime::Files().replace = [](const char *, const char *) {
        errno = EIO;
        return -1;
      };
    EXPECT_FALSE(store::OfferNewestBackup()) << c.what;
    runtime::ResetFiles();
    EXPECT_EQ(here.Snapshot(), before) << c.what;
    EXPECT_EQ(answers.Shown().size(), c.messages) << c.what;
  }
}

TEST_F(BackupRecoveryTest, OnlyADamagedArchiveIsReplaced) {
  const std::pair<const char *, std::string> cases[] = {
      {"whole", Archive("Main")}, {"header only", "2x2,U,P\r\n"}, {"empty", ""}};
  for (const auto &[what, content] : cases) {
    TempFolder here;
    here.Write("Vantry.csv", content);
    here.Write("Vantry1.csv", Archive("One"));
    const auto before = here.Snapshot();
    EXPECT_FALSE(store::OfferNewestBackup()) << what;
    EXPECT_EQ(here.Snapshot(), before) << what;
  }
  EXPECT_TRUE(box.Shown().empty());
}

TEST_F(BackupRecoveryTest, DamagedNamesNeverReplaceOneAnother) {
  const std::string first = store::DamagedName(1700000000);
  EXPECT_NE(first.find("/Vantry.damaged-"), std::string::npos);
  EXPECT_EQ(first.substr(first.size() - 4), ".csv");
  folder.Write(first.substr(first.rfind('/') + 1), "kept");
  const std::string second = store::DamagedName(1700000000);
  EXPECT_NE(second, first);
  EXPECT_EQ(second.substr(second.size() - 6), "-2.csv");
}

}  // namespace
