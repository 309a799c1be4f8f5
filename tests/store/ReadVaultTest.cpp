#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include "runtime/MessageBox.h"
#include "store/CipherLibrary.h"
#include "store/Messages.h"
#include "store/Module1.h"
#include "store/ArchiveReader.h"
#include "store/Vault.h"
#include "tests/store/VaultFixture.h"
#include "tests/support/DecimalCommaLocale.h"

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
      {"characters outside @..O count by their low four bits",
       [&] {
         std::string t = MakeArchive("3x3,U,P,N", chain);
         for (size_t i = t.find("\r\n") + 2; i < t.size(); ++i)
           if (t[i] >= '@' && t[i] <= 'O') t[i] = static_cast<char>(t[i] + (i % 2 ? 0x20 : 0x10));
         return t;
       },
       3, Says::Nothing},
      {"a malformed line: very long",
       [&] { return MakeArchive("3x3,U,P,N", {chain[0], chain[1]}) + longLine + "\r\n"; }, 0, Says::Corrupted},
      {"a line longer than the cipher can make",
       [&] { return MakeArchive("3x3,U,P,N", chain) + std::string(2052, 'A') + "\r\n"; }, 0, Says::Corrupted},
      {"a header longer than any header",
       [&] { return "3x3," + std::string(5000, 'T') + "\r\n" + MakeArchive("", chain).substr(2); }, 0,
       Says::Corrupted},
      {"byte-order mark before the header",
       [&] { return "\xEF\xBB\xBF" + MakeArchive("3x3,U,P,N", chain); }, 0, Says::Corrupted},
      {"damaged first digit", [&] { return MakeArchive("#x3,U,P,N", chain); }, 0, Says::Corrupted},
      {"no rows declared, records follow", [&] { return MakeArchive("0x3,U,P,N", chain); }, 0, Says::Corrupted},
      {"binary file",
       [] {
         std::string t;
         for (int i = 0; i < 3000; ++i) t.push_back(static_cast<char>((i * 131 + 7) % 256));
         return t;
       },
       0, Says::Corrupted},
      {"header only, no rows", [] { return std::string("0x3,U,P,N\r\n"); }, 0, Says::Nothing},
      {"header only, without a line end", [] { return std::string("3x3,U,P,N"); }, 0, Says::Nothing},
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
    testing::internal::CaptureStderr();
    EXPECT_EQ(ReadVault(), c.result) << c.what;
    const std::string errors = testing::internal::GetCapturedStderr();
    // Every end but a good read says on standard error what and where.
    if (c.result == 0) {
      EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << c.what << ": " << errors;
      EXPECT_EQ(errors.rfind("Vantry: " + folder.File("Vantry.csv") + ": ", 0), 0u) << c.what << ": " << errors;
      const char *kind = c.says == Says::Corrupted ? ": damaged: " : ": nothing to open: ";
      EXPECT_NE(errors.find(kind), std::string::npos) << c.what << ": " << errors;
    } else {
      EXPECT_EQ(errors, "") << c.what;
    }
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

// Anything but a regular file is refused before it could block or be read.
TEST_F(ReadVaultTest, OnlyARegularFileIsRead) {
  struct Case {
    const char *what;
    std::function<void(const std::string &)> make;
    const char *why;
  };
  const Case cases[] = {
      {"missing", [](const std::string &) {}, "No such file or directory"},
      {"named pipe", [](const std::string &p) { ASSERT_EQ(mkfifo(p.c_str(), 0600), 0); }, "named pipe"},
      {"folder", [](const std::string &p) { std::filesystem::create_directory(p); }, "folder"},
      {"link to a device", [](const std::string &p) { ASSERT_EQ(symlink("/dev/zero", p.c_str()), 0); }, "device"},
      {"socket",
       [](const std::string &p) {
         const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
         sockaddr_un address{};
         address.sun_family = AF_UNIX;
         ASSERT_LT(p.size(), sizeof address.sun_path);
         p.copy(address.sun_path, p.size());
         ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
         close(sock);
       },
       "socket"},
  };
  alarm(60);  // a reader blocked on a pipe ends the run instead of hanging it
  for (const Case &c : cases) {
    TempFolder local;
    c.make(local.File("Vantry.csv"));
    box.Clear();
    testing::internal::CaptureStderr();
    EXPECT_EQ(ReadVault(), 0) << c.what;
    const std::string errors = testing::internal::GetCapturedStderr();
    ASSERT_EQ(box.Shown().size(), 1u) << c.what;
    EXPECT_EQ(box.Shown()[0].text, "   Can not open Vantry.csv !    ");
    EXPECT_EQ(box.Shown()[0].caption, "Error");
    EXPECT_EQ(box.Shown()[0].style, 4144);
    EXPECT_EQ(errors.rfind("Vantry: " + local.File("Vantry.csv") + ": cannot open: ", 0), 0u) << c.what << errors;
    EXPECT_NE(errors.find(c.why), std::string::npos) << c.what << ": " << errors;
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << c.what;
  }
  alarm(0);
}

// A sparse 2 GiB file is judged from its first few kilobytes.
TEST_F(ReadVaultTest, HugeFileIsDamagedNotRead) {
  for (const std::string &start : {std::string(), MakeArchive("3x3,U,P,N", Chain3())}) {
    TempFolder local;
    local.Write("Vantry.csv", start);
    ASSERT_EQ(truncate(local.File("Vantry.csv").c_str(), 2LL << 30), 0);
    box.Clear();
    EXPECT_EQ(ReadVault(), 0);
    ASSERT_EQ(box.Shown().size(), 1u);
    EXPECT_EQ(box.Shown()[0].text, "データファイルは壊れています");
  }
}

// Qt sets the locale from LANG; the header's counts read the same in any.
// (In a child: the leak checker cannot walk a process whose locale changed
// while the library was loaded.)
TEST_F(ReadVaultTest, CountsIgnoreTheLocale) {
  folder.Write("Vantry.csv", MakeArchive("1.6x2.5,A,B", {"Bank,a,b,hint", "Mail,c,d,Bank"}));
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    DecimalCommaLocale locale;
    if (!locale.Active()) _exit(2);
    const bool read = ReadVault() == 2 && Module1::RowCount == 2 && Module1::ColumnCount == 2;
    _exit(read ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 2) GTEST_SKIP() << "no decimal-comma locale installed (scripts/install-deps.sh makes de_DE.UTF-8)";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the header 1.6x2.5 did not read as 2 rows and 2 columns";
}

// The checks alone, on any file, leave the shared state as it was.
TEST_F(ReadVaultTest, CheckArchiveTouchesNothing) {
  folder.Write("good.csv", MakeArchive("3x3,U,P,N", Chain3()));
  folder.Write("bad.csv", MakeArchive("3x3,U,P,N", {Chain3()[1], Chain3()[0]}));
  Module1::VaultTable[0][0] = "kept";
  Module1::RowCount = 7;
  testing::internal::CaptureStderr();
  EXPECT_EQ(store::CheckArchive(folder.File("good.csv")).verdict, store::Verdict::kWhole);
  const auto bad = store::CheckArchive(folder.File("bad.csv"));
  EXPECT_EQ(store::CheckArchive(folder.File("none.csv")).verdict, store::Verdict::kCannotOpen);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(bad.verdict, store::Verdict::kCorrupted);
  EXPECT_NE(bad.reason.find("record 2"), std::string::npos) << bad.reason;
  EXPECT_TRUE(box.Shown().empty());
  EXPECT_EQ(Module1::VaultTable[0][0], "kept");
  EXPECT_EQ(Module1::RowCount, 7);
}

TEST_F(ReadVaultTest, MissingLibraryLeavesTheTableUntouched) {
  folder.Write("Vantry.csv", MakeArchive("3x3,U,P,N", Chain3()));
  Module1::VaultTable[0][0] = "untouched";
  store::SetCipherLibraryPath(folder.File("no-such-libQuenta.so"));
  testing::internal::CaptureStderr();
  EXPECT_EQ(ReadVault(), 0);
  const std::string errors = testing::internal::GetCapturedStderr();
  UseBuiltCipher();
  EXPECT_EQ(errors.rfind("Vantry: " + folder.File("no-such-libQuenta.so") + ": cannot load the cipher to read " +
                             folder.File("Vantry.csv") + ": ",
                         0),
            0u)
      << errors;
  EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1);
  ASSERT_EQ(box.Shown().size(), 1u);
  EXPECT_NE(box.Shown()[0].text.find("libQuenta.so"), std::string::npos);
  EXPECT_EQ(Module1::VaultTable[0][0], "untouched");
  EXPECT_EQ(Module1::ColumnTitles[1], "");
}

}  // namespace
