#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <iterator>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "runtime/Files.h"
#include "runtime/MessageBox.h"
#include "store/CipherLibrary.h"
#include "store/Leftovers.h"
#include "store/Module1.h"
#include "store/Vault.h"
#include "tests/store/VaultFixture.h"

namespace {

using Module1::VaultTable;

class WriteVaultTest : public testing::Test {
 protected:
  void SetUp() override {
    UseBuiltCipher();
    FillTable({"Bank", "LoginPassword", "Mail"}, 3);
    VaultTable[1][1] = "hint";
    Module1::HintText = "hint";
  }
  void TearDown() override { runtime::ResetFiles(); }

  // Reads the archive back into a fresh table.
  int ReadBack() {
    Module1::Reset();
    Module1::AppFolder = folder.Path();
    return ReadVault();
  }

  TempFolder folder;
  ScriptedMessageBox box;
};

TEST_F(WriteVaultTest, WritesWhatReadsBack) {
  ASSERT_TRUE(WriteVault());
  EXPECT_TRUE(box.Shown().empty());
  const std::string text = folder.Read("Vantry.csv");
  EXPECT_EQ(text.substr(0, text.find("\r\n")), "3x3,Title1,Title2,Title3");
  ASSERT_EQ(ReadBack(), 3);
  EXPECT_EQ(Module1::RowCount, 3);
  EXPECT_EQ(Module1::ColumnCount, 3);
  EXPECT_EQ(Module1::ColumnTitles[2], "Title2");
  EXPECT_EQ(VaultTable[0][0], "Bank");
  EXPECT_EQ(VaultTable[2][3], "Mail.3");
  EXPECT_EQ(VaultTable[0][4], "hint");
  EXPECT_EQ(VaultTable[2][4], "LoginPassword");
}

TEST_F(WriteVaultTest, EveryByteValueOutsideTheSeparatorsRoundTrips) {
  std::string odd;
  for (int b = 1; b < 256; ++b)
    if (b != ',' && b != '\r' && b != '\n') odd.push_back(static_cast<char>(b));
  VaultTable[0][2] = odd.substr(0, 200);
  VaultTable[2][2] = odd.substr(200) + " パスワード ";
  ASSERT_TRUE(WriteVault());
  ASSERT_EQ(ReadBack(), 3);
  EXPECT_EQ(VaultTable[0][2], odd.substr(0, 200));
  EXPECT_EQ(VaultTable[2][2], odd.substr(200) + " パスワード ");
}

TEST_F(WriteVaultTest, ArchiveIsOwnerOnlyAndLinesDifferEverySave) {
  ASSERT_TRUE(WriteVault());
  const std::string first = folder.Read("Vantry.csv");
  ASSERT_TRUE(WriteVault());
  const std::string second = folder.Read("Vantry.csv");
  EXPECT_EQ(first.substr(0, first.find("\r\n")), second.substr(0, second.find("\r\n")));
  EXPECT_NE(first, second);
  for (const char *name : {"Vantry.csv", "Vantry1.csv"}) {
    struct stat st {};
    ASSERT_EQ(stat(folder.File(name).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << name;
  }
}

TEST_F(WriteVaultTest, NoRowsWritesTheHeaderOnly) {
  Module1::RowCount = 0;
  ASSERT_TRUE(WriteVault());
  EXPECT_EQ(folder.Read("Vantry.csv"), "0x3,Title1,Title2,Title3\r\n");
}

TEST_F(WriteVaultTest, BackupsRotate) {
  struct Case {
    const char *what;
    std::map<std::string, std::string> before;
    std::map<std::string, std::string> after;  // "new" stands for the file just written
  };
  const Case cases[] = {
      {"none present", {}, {{"Vantry.csv", "new"}}},
      {"only the archive", {{"Vantry.csv", "A"}}, {{"Vantry.csv", "new"}, {"Vantry1.csv", "A"}}},
      {"all four",
       {{"Vantry.csv", "D"}, {"Vantry1.csv", "C"}, {"Vantry2.csv", "B"}, {"Vantry3.csv", "A"}},
       {{"Vantry.csv", "new"}, {"Vantry1.csv", "D"}, {"Vantry2.csv", "C"}, {"Vantry3.csv", "B"}}},
      {"gap at 2",
       {{"Vantry.csv", "C"}, {"Vantry1.csv", "B"}, {"Vantry3.csv", "A"}},
       {{"Vantry.csv", "new"}, {"Vantry1.csv", "C"}, {"Vantry2.csv", "B"}, {"Vantry3.csv", "A"}}},
      {"no first backup leaves 2 and 3",
       {{"Vantry.csv", "C"}, {"Vantry2.csv", "B"}, {"Vantry3.csv", "A"}},
       {{"Vantry.csv", "new"}, {"Vantry1.csv", "C"}, {"Vantry2.csv", "B"}, {"Vantry3.csv", "A"}}},
      {"backups without an archive",
       {{"Vantry1.csv", "B"}, {"Vantry2.csv", "A"}},
       {{"Vantry.csv", "new"}, {"Vantry2.csv", "B"}, {"Vantry3.csv", "A"}}},
  };
  // With hard links, and with a copy where the file system has none (FAT).
  for (const bool links : {true, false}) {
    for (const Case &c : cases) {
      TempFolder local;
      if (!links) runtime::Files().link = [](const char *, const char *) { errno = EPERM; return -1; };
      FillTable({"Bank", "LoginPassword"}, 3);
      for (const auto &[name, content] : c.before) local.Write(name, content);
      ASSERT_TRUE(WriteVault()) << c.what;
      auto after = local.Snapshot();
      ASSERT_EQ(after.size(), c.after.size()) << c.what << (links ? "" : ", copied");
      for (const auto &[name, content] : c.after) {
        ASSERT_TRUE(after.count(name)) << c.what << ": " << name;
        if (content == std::string("new"))
          EXPECT_EQ(after[name].substr(0, 3), "2x3") << c.what;
        else
          EXPECT_EQ(after[name], content) << c.what << ": " << name;
      }
    }
  }
}

TEST_F(WriteVaultTest, FourSavesKeepTheThreeBefore) {
  folder.Write("Vantry.csv", "A");
  std::vector<std::string> written;
  for (const char *title : {"B", "C", "D", "E"}) {
    Module1::ColumnTitles[1] = title;
    ASSERT_TRUE(WriteVault());
    written.push_back(folder.Read("Vantry.csv"));
  }
  EXPECT_EQ(folder.Read("Vantry.csv"), written[3]);
  EXPECT_EQ(folder.Read("Vantry1.csv"), written[2]);
  EXPECT_EQ(folder.Read("Vantry2.csv"), written[1]);
  EXPECT_EQ(folder.Read("Vantry3.csv"), written[0]);
  EXPECT_EQ(folder.Snapshot().size(), 4u);
}

TEST_F(WriteVaultTest, RefusesWhatTheFormatCannotHold) {
  struct Case {
    const char *what;
    std::function<void()> spoil;
    const char *named;  // a piece of the message
  };
  const Case cases[] = {
      {"comma in a value", [] { VaultTable[2][3] = "a,b"; }, "Row 3 (Mail), column 3 (Title3)"},
      {"line feed in a value", [] { VaultTable[0][1] = "a\nb"; }, "Row 1 (Bank), column 1 (Title1)"},
      {"carriage return in a name", [] { VaultTable[0][0] = "Ba\rnk"; }, "the item name"},
      {"comma in a title", [] { Module1::ColumnTitles[2] = "x,y"; }, "column 2"},
      {"comma in the hint", [] { Module1::HintText = "a,b"; }, "hint"},
      {"record over 510 bytes", [] { VaultTable[1][2] = std::string(500, 'p'); }, "Row 2 (LoginPassword)"},
      {"more rows than an archive holds", [] { Module1::RowCount = 100; }, "larger"},
      {"titles longer than a header holds", [] { Module1::ColumnTitles[1] = std::string(5000, 't'); },
       "column titles are too long"},
  };
  for (const Case &c : cases) {
    TempFolder local;
    FillTable({"Bank", "LoginPassword", "Mail"}, 3);
    Module1::HintText = "hint";
    local.Write("Vantry.csv", "old archive");
    c.spoil();
    box.Clear();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(WriteVault()) << c.what;
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(errors.rfind("Vantry: " + local.File("Vantry.csv") + ": not saved: ", 0), 0u) << c.what << errors;
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << c.what << errors;
    ASSERT_EQ(box.Shown().size(), 1u) << c.what;
    EXPECT_NE(box.Shown()[0].text.find(c.named), std::string::npos) << c.what << ": " << box.Shown()[0].text;
    const auto after = local.Snapshot();
    EXPECT_EQ(after.size(), 1u) << c.what;
    EXPECT_EQ(local.Read("Vantry.csv"), "old archive") << c.what;
  }
}

TEST_F(WriteVaultTest, RecordOfExactly510BytesFits) {
  FillTable({"A"}, 1);
  Module1::HintText = "";
  VaultTable[0][1] = std::string(510 - 3, 'x');  // "A," + value + ","
  ASSERT_TRUE(WriteVault());
  ASSERT_EQ(ReadBack(), 1);
  EXPECT_EQ(VaultTable[0][1].size(), 507u);
}

// Each fault leaves every file as it was and tells the user.
TEST_F(WriteVaultTest, FaultsLeaveTheArchiveAndBackupsAlone) {
  struct Fault {
    const char *what;
    std::function<void()> inject;
    const char *said;  // on standard error, after the archive's path
  };
  static int calls;
  // Fails the n-th call of one step with an error; the other calls go through.
  static int failAt;
  static int failWith;
  static runtime::FileOps real = runtime::Files();
  auto failing = [](int n, int error) {
    calls = 0;
    failAt = n;
    failWith = error;
  };
  auto fails = []() {
    if (++calls != failAt) return false;
    errno = failWith;
    return true;
  };
  static bool (*failsNow)() = fails;
  const Fault faults[] = {
      {"folder not writable",
       [&] {
         failing(1, EACCES);
         runtime::Files().makeTemp = [](char *p) { return failsNow() ? -1 : real.makeTemp(p); };
       },
       ": cannot save: creating a new file in "},
      {"disk full part way",
       [] {
         calls = 0;
         runtime::Files().write = [](int fd, const void *data, size_t size) -> ssize_t {
           if (++calls > 1) {
             errno = ENOSPC;
             return -1;
           }
           return ::write(fd, data, size / 2);
         };
       },
       "No space left on device"},
      {"sync fails",
       [&] {
         failing(1, EIO);
         runtime::Files().fsync = [](int fd) { return failsNow() ? -1 : real.fsync(fd); };
       },
       ": cannot save: syncing "},
      {"first rename fails",
       [&] {
         failing(1, EPERM);
         runtime::Files().rename = [](const char *f, const char *t) { return failsNow() ? -1 : real.rename(f, t); };
       },
       "Operation not permitted"},
      {"third rename fails",
       [&] {
         failing(3, EPERM);
         runtime::Files().rename = [](const char *f, const char *t) { return failsNow() ? -1 : real.rename(f, t); };
       },
       "Vantry1.csv to "},
      {"link fails",
       [&] {
         failing(1, EIO);
         runtime::Files().link = [](const char *f, const char *t) { return failsNow() ? -1 : real.link(f, t); };
       },
       ": cannot save: linking "},
      {"no links, and the copy cannot be made",
       [&] {
         failing(2, ENOSPC);
         runtime::Files().link = [](const char *, const char *) { errno = EXDEV; return -1; };
         runtime::Files().makeTemp = [](char *p) { return failsNow() ? -1 : real.makeTemp(p); };
       },
       "No space left on device"},
      {"no links, and the copy cannot be put in place",
       [&] {
         failing(4, EPERM);
         runtime::Files().link = [](const char *, const char *) { errno = ENOTSUP; return -1; };
         runtime::Files().rename = [](const char *f, const char *t) { return failsNow() ? -1 : real.rename(f, t); };
       },
       "Vantry1.csv: Operation not permitted"},
      {"replacing the archive fails",
       [&] {
         failing(1, EIO);
         runtime::Files().replace = [](const char *f, const char *t) { return failsNow() ? -1 : real.replace(f, t); };
       },
       "Input/output error"},
      {"folder sync fails",
       [&] {
         failing(2, EIO);
         runtime::Files().fsync = [](int fd) { return failsNow() ? -1 : real.fsync(fd); };
       },
       ": cannot save: syncing the folder "},
      {"library missing", [] { store::SetCipherLibraryPath("/nonexistent/libQuenta.so"); },
       ": not saved: The library /nonexistent/libQuenta.so could not be loaded: "},
  };
  for (const Fault &f : faults) {
    TempFolder local;
    FillTable({"Bank", "LoginPassword"}, 3);
    for (const char *name : {"Vantry.csv", "Vantry1.csv", "Vantry2.csv", "Vantry3.csv"})
      local.Write(name, std::string("old ") + name);
    const auto before = local.Snapshot();
    f.inject();
    box.Clear();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(WriteVault()) << f.what;
    const std::string errors = testing::internal::GetCapturedStderr();
    runtime::ResetFiles();
    UseBuiltCipher();
    EXPECT_EQ(local.Snapshot(), before) << f.what;
    EXPECT_EQ(box.Shown().size(), 1u) << f.what;
    EXPECT_EQ(errors.rfind("Vantry: " + local.File("Vantry.csv") + ": ", 0), 0u) << f.what << ": " << errors;
    EXPECT_NE(errors.find(f.said), std::string::npos) << f.what << ": " << errors;
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << f.what << ": " << errors;
  }
}

// A named pipe or folder in the archive's place is neither replaced nor read.
TEST_F(WriteVaultTest, LeavesWhatIsNotARegularFileInTheArchivesPlace) {
  ASSERT_EQ(mkfifo(folder.File("Vantry.csv").c_str(), 0600), 0);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(WriteVault());
  const std::string errors = testing::internal::GetCapturedStderr();
  struct stat st {};
  ASSERT_EQ(lstat(folder.File("Vantry.csv").c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);
  ASSERT_EQ(box.Shown().size(), 1u);
  EXPECT_EQ(box.Shown()[0].text, "   Can not open Vantry.csv !    ");
  EXPECT_NE(errors.find(": cannot save: "), std::string::npos) << errors;
}

// Leftovers of an interrupted save go once the archive reads; nothing else
// does, the owner's own copies beside the archive least of all, whatever
// they are called.
TEST_F(WriteVaultTest, RemovesOnlyOurLeftovers) {
  const std::vector<std::string> ours = {".Vantry-save-a1B2c3", ".Vantry-save-Zz9Yy8.old"};
  const std::vector<std::string> others = {
      // The owner's, some of the shape earlier versions used for their own.
      "Vantry.csv.backup", "Vantry.csv.240115", "Vantry.csv.a1B2c3", "Vantry.csv.Zz9Yy8.old", "Vantry.csv.bak",
      // Near our names, but not ours.
      ".Vantry-save-a1B2c", ".Vantry-save-a1B2c3.new", ".Vantry-save-a-B2c3", "Vantry-save-a1B2c3",
      ".vantry-save-a1B2c3", ".Vantry-save-a1B2c3.old.old", "Notes.txt"};
  for (const auto &name : ours) EXPECT_TRUE(store::IsLeftoverName(name)) << name;
  for (const auto &name : others) EXPECT_FALSE(store::IsLeftoverName(name)) << name;

  auto plant = [&](const TempFolder &f) {
    for (const auto &name : ours) f.Write(name, "leftover");
    for (const auto &name : others) f.Write(name, "keep");
    ASSERT_EQ(symlink(f.File("Notes.txt").c_str(), f.File(".Vantry-save-L1nk00").c_str()), 0);
  };
  auto named = [](const TempFolder &f) {
    std::set<std::string> names;
    for (const auto &[name, content] : f.Snapshot()) names.insert(name);
    return names;
  };
  // A damaged archive keeps them: they may hold all there is.
  folder.Write("Vantry.csv", MakeArchive("2x1,T", {"Mail,m,Bank", "Bank,b,hint"}));
  plant(folder);
  const auto before = named(folder);
  store::RemoveLeftovers(folder.Path());
  EXPECT_EQ(named(folder), before);
  // After a save the archive reads, and only ours of this user go.
  ASSERT_TRUE(WriteVault());
  const auto after = named(folder);
  for (const auto &name : ours) EXPECT_EQ(after.count(name), 0u) << name;
  for (const auto &name : others) EXPECT_EQ(after.count(name), 1u) << name;
  EXPECT_EQ(after.count(".Vantry-save-L1nk00"), 1u);
}

// Another user's files of that name are not ours to remove.
TEST_F(WriteVaultTest, KeepsAnotherUsersLeftovers) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to make a file of another user";
  folder.Write(".Vantry-save-Other1", "theirs");
  ASSERT_EQ(chown(folder.File(".Vantry-save-Other1").c_str(), 65534, 65534), 0);
  ASSERT_TRUE(WriteVault());
  EXPECT_EQ(folder.Read(".Vantry-save-Other1"), "theirs");
}

// A real read-only folder. Root writes anywhere, so as root the save runs
// in a child that has become an ordinary user.
TEST_F(WriteVaultTest, ReadOnlyFolder) {
  folder.Write("Vantry.csv", "old");
  const uid_t nobody = 65534;
  const bool asRoot = geteuid() == 0;
  if (asRoot) {
    ASSERT_EQ(chown(folder.Path().c_str(), nobody, nobody), 0);
  }
  chmod(folder.Path().c_str(), 0500);
  const pid_t child = fork();
  if (child == 0) {
    if (asRoot && (setgid(nobody) != 0 || setuid(nobody) != 0)) _exit(2);
    const bool saved = WriteVault();
    const bool told = box.Shown().size() == 1 && box.Shown()[0].text == "   Can not open Vantry.csv !    ";
    _exit(!saved && told ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  chmod(folder.Path().c_str(), 0700);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(folder.Read("Vantry.csv"), "old");
  EXPECT_EQ(folder.Snapshot().size(), 1u);
}

}  // namespace

namespace {

// What happens to "Vantry.csv" between the read and the save.
struct Meanwhile {
  const char *what;
  void (*act)(TempFolder &folder, const std::string &read);
  bool asks;
};

void PutBackAnother(TempFolder &f, const std::string &) { f.Write("Vantry.csv", f.Read("Vantry1.csv")); }
void AppendAByte(TempFolder &f, const std::string &read) { f.Write("Vantry.csv", read + "\n"); }
void SameBytesAnew(TempFolder &f, const std::string &read) {
  std::filesystem::remove(f.File("Vantry.csv"));
  f.Write("Vantry.csv", read);
}
void Removed(TempFolder &f, const std::string &) { std::filesystem::remove(f.File("Vantry.csv")); }
void Nothing(TempFolder &, const std::string &) {}

}  // namespace

// A save overwrites only the archive this program read or last wrote: one
// changed since (another copy of Vantry, a sync tool, a backup put back by
// hand) becomes the first backup only when the owner says so.
TEST_F(WriteVaultTest, AsksBeforeSavingOverAnArchiveThatChangedOnDisk) {
  const Meanwhile cases[] = {
      {"another version put back", PutBackAnother, true},
      {"one byte more", AppendAByte, true},
      {"the same bytes written anew", SameBytesAnew, false},
      {"removed", Removed, false},
      {"nothing", Nothing, false},
  };
  for (const Meanwhile &c : cases) {
    for (const int answer : {runtime::kAnswerCancel, runtime::kAnswerOk}) {
      SCOPED_TRACE(std::string(c.what) + (answer == runtime::kAnswerOk ? ", OK" : ", Cancel"));
      TempFolder local;
      Module1::AppFolder = local.Path();
      FillTable({"Old", "LoginPassword"}, 3);
      ASSERT_TRUE(WriteVault());
      FillTable({"Bank", "LoginPassword"}, 3);
      ASSERT_TRUE(WriteVault());
      // A start reads it; then the file changes under the running program.
      const std::string read = local.Read("Vantry.csv");
      Module1::Reset();
      Module1::AppFolder = local.Path();
      ASSERT_EQ(ReadVault(), 2);
      c.act(local, read);
      const auto before = local.Snapshot();
      box.Clear();
      box.Answer(answer);
      VaultTable[0][1] = "changed in the grid";
      const bool saved = WriteVault();
      if (!c.asks) {
        EXPECT_TRUE(saved);
        EXPECT_TRUE(box.Shown().empty());
        continue;
      }
      ASSERT_EQ(box.Shown().size(), 1u);
      EXPECT_EQ(box.Shown()[0].caption, "Save / Vantry");
      EXPECT_EQ(box.Shown()[0].style, runtime::kStyleQuestionOkCancel);
      EXPECT_NE(box.Shown()[0].text.find(local.File("Vantry.csv")), std::string::npos) << box.Shown()[0].text;
      EXPECT_NE(box.Shown()[0].text.find("becomes the backup Vantry1.csv"), std::string::npos);
      if (answer == runtime::kAnswerCancel) {
        EXPECT_FALSE(saved);
        EXPECT_EQ(local.Snapshot(), before);
        continue;
      }
      EXPECT_TRUE(saved);
      EXPECT_EQ(local.Read("Vantry1.csv"), before.at("Vantry.csv"));
      // Once saved, the new archive is what the program knows: no question.
      box.Clear();
      ASSERT_TRUE(WriteVault());
      EXPECT_TRUE(box.Shown().empty());
    }
  }
}
