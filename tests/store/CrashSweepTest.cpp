// A save killed at each step that changes the folder, in turn: the archive is
// always there and reads whole, old or new, and the next save clears up.
#include <gtest/gtest.h>

#include <cctype>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include "runtime/Files.h"
#include "store/Module1.h"
#include "store/Vault.h"
#include "tests/store/VaultFixture.h"

namespace {

using Files = std::map<std::string, std::string>;

runtime::FileOps real;
int stopAt = 0;  // the step before which the saving process dies
int step = 0;
bool links = true;

void Step() {
  if (++step == stopAt) raise(SIGKILL);
}

void CountSteps() {
  real = runtime::Files();
  auto &ops = runtime::Files();
  ops.makeTemp = [](char *p) { return Step(), real.makeTemp(p); };
  ops.write = [](int fd, const void *d, size_t n) { return Step(), real.write(fd, d, n); };
  ops.fsync = [](int fd) { return Step(), real.fsync(fd); };
  ops.close = [](int fd) { return Step(), real.close(fd); };
  ops.rename = [](const char *f, const char *t) { return Step(), real.rename(f, t); };
  ops.replace = [](const char *f, const char *t) { return Step(), real.replace(f, t); };
  ops.link = [](const char *f, const char *t) {
    Step();
    if (links) return real.link(f, t);
    errno = EPERM;  // as on a FAT drive
    return -1;
  };
  ops.unlink = [](const char *p) { return Step(), real.unlink(p); };
}

// The table a save of `title` writes, as the reader gives it back.
void Fill(const std::string &title) {
  FillTable({"Bank", "LoginPassword", title}, 2);
  Module1::ColumnTitles[1] = title;
  Module1::HintText = "hint";
  Module1::VaultTable[1][1] = "hint";
}

// The title of the archive in folder, or empty when it does not read whole.
std::string ReadTitle(const TempFolder &folder) {
  if (!folder.Has("Vantry.csv")) return std::string();
  Module1::Reset();
  Module1::AppFolder = folder.Path();
  if (ReadVault() != 3) return std::string();
  return Module1::ColumnTitles[1];
}

struct Scenario {
  const char *what;
  std::vector<std::string> before;  // archives present, by title: Vantry.csv first, then the backups
  bool links;
};

void PrintTo(const Scenario &s, std::ostream *os) { *os << s.what; }

class CrashSweepTest : public testing::TestWithParam<Scenario> {
 protected:
  void SetUp() override { UseBuiltCipher(); }
  ScriptedMessageBox box;
};

TEST_P(CrashSweepTest, ArchiveNeverMissingAndLeftoversCleared) {
  const Scenario &s = GetParam();
  // The folder before the save, made by real saves.
  TempFolder model;
  for (auto it = s.before.rbegin(); it != s.before.rend(); ++it) {
    Fill(*it);
    Module1::AppFolder = model.Path();
    ASSERT_TRUE(WriteVault());
  }
  const Files start = model.Snapshot();
  ASSERT_EQ(start.size(), s.before.size());

  bool finished = false;
  int stops = 0;
  for (stopAt = 1; !finished; ++stopAt) {
    TempFolder folder;
    for (const auto &[name, content] : start) folder.Write(name, content);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      links = s.links;
      step = 0;
      Fill("New");
      Module1::AppFolder = folder.Path();
      CountSteps();
      _exit(WriteVault() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    if (WIFEXITED(status)) {
      ASSERT_EQ(WEXITSTATUS(status), 0) << s.what << ": the save failed without a fault";
      finished = true;
    } else {
      ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
      ++stops;
    }
    const std::string where = std::string(s.what) + ", killed before step " + std::to_string(stopAt);

    // Old or new, never absent once there was an archive.
    const std::string title = ReadTitle(folder);
    if (!s.before.empty()) {
      EXPECT_TRUE(title == "New" || title == s.before.front()) << where << ": read \"" << title << '"';
    } else if (folder.Has("Vantry.csv")) {
      EXPECT_EQ(title, "New") << where;
    }
    if (finished) {
      EXPECT_EQ(title, "New") << where;
    }
    // Every earlier archive but the oldest is still somewhere in the folder.
    const Files now = folder.Snapshot();
    for (const auto &[name, content] : start) {
      if (name == "Vantry3.csv") continue;
      bool kept = false;
      for (const auto &[n, c] : now) kept = kept || c == content;
      EXPECT_TRUE(kept) << where << ": the content of " << name << " is lost";
    }

    // The next save succeeds and leaves nothing behind.
    Fill("Later");
    Module1::AppFolder = folder.Path();
    ASSERT_TRUE(WriteVault()) << where;
    for (const auto &[name, content] : folder.Snapshot())
      EXPECT_TRUE(name == "Vantry.csv" || name == "Vantry1.csv" || name == "Vantry2.csv" || name == "Vantry3.csv")
          << where << ": left " << name;
    EXPECT_EQ(ReadTitle(folder), "Later") << where;
  }
  EXPECT_GT(stops, 5) << s.what;
  EXPECT_TRUE(box.Shown().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Saves, CrashSweepTest,
    testing::Values(Scenario{"first save", {}, true}, Scenario{"archive only", {"A"}, true},
                    Scenario{"archive and three backups", {"D", "C", "B", "A"}, true},
                    Scenario{"three backups, no links", {"D", "C", "B", "A"}, false},
                    Scenario{"archive only, no links", {"A"}, false}),
    [](const testing::TestParamInfo<Scenario> &info) {
      std::string name;
      for (const char *p = info.param.what; *p; ++p)
        if (isalnum(static_cast<unsigned char>(*p))) name += *p;
      return name;
    });

}  // namespace
