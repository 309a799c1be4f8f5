// The logger in a folder others can write: links and files planted there are
// never followed or written, and what the logger creates is private. Damaged
// shared objects in /dev/shm never crash the process.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <semaphore.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tests/library/LogTestSupport.h"

namespace fs = std::filesystem;

namespace {

constexpr uid_t kNobody = 65534;
const std::string kVictim = "the owner's own file\n";

// Every entry below the folder, links and all, as kind, owner, mode and content.
std::map<std::string, std::string> Everything(const LogFolder &folder) {
  std::map<std::string, std::string> all;
  for (const auto &entry : fs::recursive_directory_iterator(folder.Path())) {
    const std::string name = fs::relative(entry.path(), folder.Path()).string();
    struct stat st {};
    lstat(entry.path().c_str(), &st);
    std::string what = std::to_string(st.st_uid) + " " + std::to_string(st.st_mode) + " ";
    if (S_ISLNK(st.st_mode))
      what += "-> " + fs::read_symlink(entry.path()).string();
    else if (S_ISREG(st.st_mode))
      what += folder.Read(name);
    all[name] = what;
  }
  return all;
}

void Link(const LogFolder &folder, const std::string &target, const std::string &name) {
  ASSERT_EQ(symlink(target.c_str(), folder.File(name).c_str()), 0) << name;
}

void Chmod(const LogFolder &folder, const std::string &name, mode_t mode) {
  ASSERT_EQ(chmod(folder.File(name).c_str(), mode), 0) << name;
}

void GiveAway(const LogFolder &folder, const std::string &name) {
  ASSERT_EQ(lchown(folder.File(name).c_str(), kNobody, kNobody), 0) << name;
}

struct PlantCase {
  std::string name;
  bool needsRoot;  // to plant a file of another user
  std::function<void(const LogFolder &)> plant;
};

void PrintTo(const PlantCase &c, std::ostream *os) { *os << c.name; }

class PlantedLogFiles : public testing::TestWithParam<PlantCase> {};

// Logging is on and "victim" holds a file of the owner beside the folder; the
// case plants something. Whatever it is, the logger writes nothing anywhere.
TEST_P(PlantedLogFiles, AreNeitherFollowedNorWritten) {
  if (GetParam().needsRoot && geteuid() != 0) {
    GTEST_SKIP() << "needs root to plant another user's file";
  }
  LogFolder folder;
  folder.Configure(YesConfig());
  folder.Write("victim", kVictim);
  GetParam().plant(folder);
  const auto before = Everything(folder);
  RunHelper(folder, {Tab({"log", "3", "x"})});
  EXPECT_EQ(Everything(folder), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlantedLogFiles,
    testing::Values(
        PlantCase{"ConfigLinkToAFileWithYes", false,
                  [](const LogFolder &f) {
                    f.Write("victim", YesConfig());
                    fs::remove(f.File("Quenta/Quenta.cfg"));
                    Link(f, "../victim", "Quenta/Quenta.cfg");
                  }},
        PlantCase{"ConfigLinkToAnEmptyFile", false,
                  [](const LogFolder &f) {
                    f.Write("victim", "");
                    fs::remove(f.File("Quenta/Quenta.cfg"));
                    Link(f, "../victim", "Quenta/Quenta.cfg");
                  }},
        PlantCase{"ConfigLinkToNothing", false,
                  [](const LogFolder &f) {
                    fs::remove(f.File("Quenta/Quenta.cfg"));
                    Link(f, "../created", "Quenta/Quenta.cfg");
                  }},
        PlantCase{"ConfigWritableByGroup", false, [](const LogFolder &f) { Chmod(f, "Quenta/Quenta.cfg", 0660); }},
        PlantCase{"ConfigWritableByOthers", false, [](const LogFolder &f) { Chmod(f, "Quenta/Quenta.cfg", 0602); }},
        PlantCase{"ConfigOfAnotherUser", true, [](const LogFolder &f) { GiveAway(f, "Quenta/Quenta.cfg"); }},
        PlantCase{"ConfigIsAFifo", false,
                  [](const LogFolder &f) {
                    fs::remove(f.File("Quenta/Quenta.cfg"));
                    ASSERT_EQ(mkfifo(f.File("Quenta/Quenta.cfg").c_str(), 0600), 0);
                  }},
        PlantCase{"LogLinkToAFile", false, [](const LogFolder &f) { Link(f, "../victim", "Quenta/Quenta.csv"); }},
        PlantCase{"LogLinkToNothing", false, [](const LogFolder &f) { Link(f, "../created", "Quenta/Quenta.csv"); }},
        PlantCase{"LogHardLinkedToAFile", false,
                  [](const LogFolder &f) {
                    ASSERT_EQ(link(f.File("victim").c_str(), f.File("Quenta/Quenta.csv").c_str()), 0);
                  }},
        PlantCase{"LogWritableByGroup", false,
                  [](const LogFolder &f) {
                    f.Write("Quenta/Quenta.csv", "old\r\n");
                    Chmod(f, "Quenta/Quenta.csv", 0620);
                  }},
        PlantCase{"LogWritableByOthers", false,
                  [](const LogFolder &f) {
                    f.Write("Quenta/Quenta.csv", "old\r\n");
                    Chmod(f, "Quenta/Quenta.csv", 0606);
                  }},
        PlantCase{"LogOfAnotherUser", true,
                  [](const LogFolder &f) {
                    f.Write("Quenta/Quenta.csv", "old\r\n");
                    GiveAway(f, "Quenta/Quenta.csv");
                  }},
        PlantCase{"LogIsAFolder", false, [](const LogFolder &f) { fs::create_directory(f.File("Quenta/Quenta.csv")); }},
        PlantCase{"LogIsAFifo", false,
                  [](const LogFolder &f) { ASSERT_EQ(mkfifo(f.File("Quenta/Quenta.csv").c_str(), 0600), 0); }},
        PlantCase{"FolderIsALink", false,
                  [](const LogFolder &f) {
                    fs::rename(f.File("Quenta"), f.File("elsewhere"));
                    Link(f, "elsewhere", "Quenta");
                  }},
        PlantCase{"FolderOfAnotherUser", true, [](const LogFolder &f) { GiveAway(f, "Quenta"); }}),
    [](const testing::TestParamInfo<PlantCase> &info) { return info.param.name; });

TEST(LogSafety, RefusedLogIsReportedWithoutRetrying) {
  const std::pair<std::function<void(const LogFolder &)>, std::string> cases[] = {
      {[](const LogFolder &f) { Link(f, "../victim", "Quenta/Quenta.csv"); }, "Too many levels of symbolic links"},
      {[](const LogFolder &f) {
         f.Write("Quenta/Quenta.csv", "");
         Chmod(f, "Quenta/Quenta.csv", 0660);
       },
       "Quenta/Quenta.csv is not a private file of this user"},
  };
  for (const auto &[plant, text] : cases) {
    SCOPED_TRACE(text);
    LogFolder folder;
    folder.Configure(YesConfig());
    plant(folder);
    const double start = Now();
    const std::string errors = RunHelper(folder, {Tab({"log", "1", "x"})});
    // Two series of tries would sleep at least 2 x 1000 x 1 ms in the test build.
    EXPECT_LT(SecondsSince(start), 2.0);
    const std::string line = "Quenta Open Error: " + text + "\n";
    EXPECT_EQ(errors, line + line);  // the start record and the one logged
  }
}

// The folder swapped for a link while logging is on: nothing is written through it.
TEST(LogSafety, FolderTurnedIntoALinkIsRefusedAtOnce) {
  LogFolder folder;
  folder.Configure(YesConfig());
  Helper helper(folder);
  helper.Run(Tab({"hook", "state"}));  // loaded: the start record is written
  fs::rename(folder.File("Quenta"), folder.File("elsewhere"));
  Link(folder, "elsewhere", "Quenta");
  const double start = Now();
  helper.Run(Tab({"log", "1", "x"}));
  EXPECT_LT(SecondsSince(start), 1.0);  // a series of tries would sleep 1000 x 1 ms
  helper.Finish();
  EXPECT_EQ(helper.Errors(), "Quenta Open Error: Not a directory\n");  // the link is no folder
  EXPECT_EQ(folder.Records("elsewhere/Quenta.csv").size(), 1u);
}

TEST(LogSafety, NewFilesArePrivateWhateverTheUmask) {
  LogFolder folder;
  folder.MakeQuentaFolder();
  const mode_t old = umask(0);
  RunHelper(folder, {});
  folder.Write("Quenta/Quenta.cfg", YesConfig());
  Chmod(folder, "Quenta/Quenta.cfg", 0600);
  RunHelper(folder, {Tab({"log", "1", "x"})});
  umask(old);
  for (const char *name : {"Quenta/Quenta.cfg", "Quenta/Quenta.csv"}) {
    struct stat st {};
    ASSERT_EQ(stat(folder.File(name).c_str(), &st), 0) << name;
    EXPECT_EQ(st.st_mode & 0777, 0600u) << name;
  }
  EXPECT_EQ(folder.Records().size(), 2u);
}

// A name for the moved-aside log that is held by something not ours is left
// alone; the next record moves the log to the next name.
TEST(LogSafety, PlantedOldLogIsSkipped) {
  LogFolder folder;
  folder.Configure("000, 2, Yes;");
  folder.Write("victim", kVictim);
  Link(folder, "../victim", "Quenta/Quenta.000");
  folder.Write("Quenta/Quenta.csv", std::string(128 * 10000, '.'));
  Helper helper(folder);  // its start record would move the log to 000
  helper.Run(Tab({"hook", "state"}));  // loaded: the start record is written
  EXPECT_TRUE(folder.Has("Quenta/Quenta.csv"));
  EXPECT_EQ(folder.Read("Quenta/Quenta.cfg"), "001, 2, Yes;");
  helper.Run(Tab({"log", "1", "next"}));
  helper.Finish();
  EXPECT_FALSE(folder.Has("Quenta/Quenta.csv"));
  const auto moved = folder.Records("Quenta/Quenta.001");
  ASSERT_EQ(moved.size(), 2u);  // the start record ends the line of dots
  EXPECT_NE(moved.back().find("\"next 1\""), std::string::npos);
  EXPECT_EQ(folder.Read("Quenta/Quenta.cfg"), "002, 2, Yes;");
  EXPECT_EQ(fs::read_symlink(folder.File("Quenta/Quenta.000")), "../victim");
  EXPECT_EQ(folder.Read("victim"), kVictim);
}

// Damaged or foreign objects in /dev/shm where the library keeps its shared
// section and its semaphore.
struct ObjectCase {
  std::string name;
  bool needsRoot;
  bool logs;  // replaced, and logging goes on; else refused with a message and the records lost
  std::function<void(const LogFolder &)> plant;
};

std::string SemaphoreFile(const LogFolder &f) { return "/dev/shm/sem." + f.SemaphoreName().substr(1); }
std::string SectionFile(const LogFolder &f) { return "/dev/shm" + f.SectionName(); }

void PlantFile(const std::string &path, size_t size, mode_t mode = 0600, uid_t owner = 0) {
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL, mode);
  ASSERT_GE(fd, 0) << path;
  ASSERT_EQ(ftruncate(fd, static_cast<off_t>(size)), 0);
  if (owner != 0) {
    ASSERT_EQ(fchown(fd, owner, owner), 0);
  }
  close(fd);
}

void PrintTo(const ObjectCase &c, std::ostream *os) { *os << c.name; }

class DamagedSharedObjects : public testing::TestWithParam<ObjectCase> {};

TEST_P(DamagedSharedObjects, NeverCrashTheProcess) {
  if (GetParam().needsRoot && geteuid() != 0) {
    GTEST_SKIP() << "needs root to plant another user's object";
  }
  LogFolder folder;
  folder.Configure(YesConfig());
  GetParam().plant(folder);
  Helper helper(folder);
  helper.Run(Tab({"log", "1", "x"}));
  EXPECT_EQ(helper.Finish(), 0);
  if (GetParam().logs) {
    EXPECT_EQ(helper.Errors(), "");
    EXPECT_EQ(folder.Records().size(), 2u);
    struct stat st {};
    ASSERT_EQ(lstat(SemaphoreFile(folder).c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_size, static_cast<off_t>(sizeof(sem_t)));
  } else {
    EXPECT_NE(helper.Errors().find("Quenta Open Error: "), std::string::npos) << helper.Errors();
    EXPECT_EQ(folder.Records().size(), 0u);
  }
  std::error_code ignored;
  fs::remove(SemaphoreFile(folder), ignored);  // one of another user is not removed by the folder
  fs::remove(SectionFile(folder), ignored);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedSharedObjects,
    testing::Values(
        ObjectCase{"EmptySemaphore", false, true, [](const LogFolder &f) { PlantFile(SemaphoreFile(f), 0); }},
        ObjectCase{"ShortSemaphore", false, true, [](const LogFolder &f) { PlantFile(SemaphoreFile(f), 8); }},
        ObjectCase{"LongSemaphore", false, true, [](const LogFolder &f) { PlantFile(SemaphoreFile(f), 8192); }},
        ObjectCase{"SemaphoreIsAFolder", false, true,
                   [](const LogFolder &f) { ASSERT_EQ(mkdir(SemaphoreFile(f).c_str(), 0700), 0); }},
        ObjectCase{"SemaphoreIsAFifo", false, true,
                   [](const LogFolder &f) { ASSERT_EQ(mkfifo(SemaphoreFile(f).c_str(), 0600), 0); }},
        ObjectCase{"SemaphoreIsALink", false, true,
                   [](const LogFolder &f) {
                     f.Write("victim", kVictim);
                     ASSERT_EQ(symlink(f.File("victim").c_str(), SemaphoreFile(f).c_str()), 0);
                   }},
        ObjectCase{"EmptySemaphoreOfAnotherUser", true, false,
                   [](const LogFolder &f) { PlantFile(SemaphoreFile(f), 0, 0666, kNobody); }},
        ObjectCase{"EmptySection", false, true, [](const LogFolder &f) { PlantFile(SectionFile(f), 0); }},
        ObjectCase{"SectionIsAFolder", false, true,
                   [](const LogFolder &f) { ASSERT_EQ(mkdir(SectionFile(f).c_str(), 0700), 0); }},
        ObjectCase{"SectionIsAFifo", false, true,
                   [](const LogFolder &f) { ASSERT_EQ(mkfifo(SectionFile(f).c_str(), 0600), 0); }}),
    [](const testing::TestParamInfo<ObjectCase> &info) { return info.param.name; });

}  // namespace
