#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "runtime/SingleInstance.h"
#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

// Runs the probe ("once" or "hold") for a program folder ("" for its own).
pid_t StartProbe(const char *mode, const std::string &programFolder, int out) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (out >= 0) dup2(out, 1);
    if (programFolder.empty())
      execl(INSTANCE_PROBE, INSTANCE_PROBE, mode, nullptr);
    else
      execl(INSTANCE_PROBE, INSTANCE_PROBE, mode, programFolder.c_str(), nullptr);
    _exit(99);
  }
  return pid;
}

int RunProbe(const std::string &programFolder = "") {
  const pid_t pid = StartProbe("once", programFolder, -1);
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A probe that holds the lock of a program folder until the object ends.
class Holder {
 public:
  explicit Holder(const std::string &programFolder = "") {
    int out[2];
    if (pipe(out) != 0) return;
    pid_ = StartProbe("hold", programFolder, out[1]);
    close(out[1]);
    if (read(out[0], &answer_, 1) != 1) answer_ = '?';
    close(out[0]);
  }
  ~Holder() { Kill(); }
  char Answer() const { return answer_; }
  void Kill() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
  char answer_ = 0;
};

// Sets an environment variable for one test, or removes it.
class Environment {
 public:
  Environment(const char *name, const char *value) : name_(name) {
    const char *old = std::getenv(name);
    if (old != nullptr) old_ = old, hadOld_ = true;
    if (value != nullptr)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  ~Environment() {
    if (hadOld_)
      setenv(name_, old_.c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char *name_;
  std::string old_;
  bool hadOld_ = false;
};

TEST(PrevInstance, SecondStartSeesTheFirstAndACrashFreesTheLock) {
  TempFolder runtimeDir;
  Environment xdg("XDG_RUNTIME_DIR", runtimeDir.Path().c_str());
  EXPECT_EQ(RunProbe(), 0);  // nobody holds it

  Holder holder;
  EXPECT_EQ(holder.Answer(), '0');
  EXPECT_EQ(RunProbe(), 1);  // a second instance

  holder.Kill();
  EXPECT_EQ(RunProbe(), 0);  // the dead holder blocks nobody
}

// Two vaults in two program folders are independent; the same folder twice is not.
TEST(PrevInstance, OneInstancePerProgramFolder) {
  TempFolder runtimeDir;
  Environment xdg("XDG_RUNTIME_DIR", runtimeDir.Path().c_str());
  Holder first("/media/owner/stick/Vantry");
  EXPECT_EQ(first.Answer(), '0');
  EXPECT_EQ(RunProbe("/media/owner/stick/Vantry"), 1);
  EXPECT_EQ(RunProbe("/media/owner/other/Vantry"), 0);
  EXPECT_EQ(RunProbe(), 0);
  EXPECT_NE(runtime::InstanceLockName("/a"), runtime::InstanceLockName("/b"));
}

// Without XDG_RUNTIME_DIR the lock lives in a folder of the user's own.
TEST(PrevInstance, WithoutRuntimeDirAPrivateFolderIsMade) {
  TempFolder tmp;
  Environment xdg("XDG_RUNTIME_DIR", nullptr);
  Environment tmpdir("TMPDIR", tmp.Path().c_str());
  const std::string folder = tmp.Path() + "/Vantry-" + std::to_string(geteuid());
  EXPECT_EQ(runtime::InstanceLockFolder(), folder);

  Holder holder;
  EXPECT_EQ(holder.Answer(), '0');
  EXPECT_EQ(RunProbe(), 1);
  struct stat st {};
  ASSERT_EQ(lstat(folder.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  int locks = 0;
  for (const auto &entry : fs::directory_iterator(folder)) {
    ASSERT_EQ(lstat(entry.path().c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ++locks;
  }
  EXPECT_EQ(locks, 1);
}

// Every entry below a folder, links and all, as owner, mode and link target.
std::map<std::string, std::string> Everything(const std::string &root) {
  std::map<std::string, std::string> all;
  for (const auto &entry : fs::recursive_directory_iterator(root)) {
    struct stat st {};
    lstat(entry.path().c_str(), &st);
    std::string what = std::to_string(st.st_uid) + " " + std::to_string(st.st_mode);
    if (S_ISLNK(st.st_mode)) what += " -> " + fs::read_symlink(entry.path()).string();
    all[fs::relative(entry.path(), root).string()] = what;
  }
  return all;
}

struct LockPlant {
  std::string name;
  bool needsRoot;  // to plant a folder of another user
  // Plants at the lock folder's path, in the temporary folder tmp.
  std::function<void(const std::string &tmp, const std::string &lockFolder)> plant;
};

void PrintTo(const LockPlant &c, std::ostream *os) { *os << c.name; }

class PlantedLockFolder : public testing::TestWithParam<LockPlant> {};

// What another user (or a link) holds at the lock folder's path is not used:
// nothing is created through it, and the owner's program is not kept out.
TEST_P(PlantedLockFolder, IsNotUsedAndKeepsNobodyOut) {
  if (GetParam().needsRoot && geteuid() != 0) {
    GTEST_SKIP() << "needs root to plant another user's folder";
  }
  TempFolder tmp;
  Environment xdg("XDG_RUNTIME_DIR", nullptr);
  Environment tmpdir("TMPDIR", tmp.Path().c_str());
  const std::string lockFolder = tmp.Path() + "/Vantry-" + std::to_string(geteuid());
  GetParam().plant(tmp.Path(), lockFolder);
  const auto before = Everything(tmp.Path());
  Holder holder;
  EXPECT_EQ(holder.Answer(), '0');
  EXPECT_EQ(RunProbe(), 0);
  EXPECT_EQ(Everything(tmp.Path()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlantedLockFolder,
    testing::Values(
        LockPlant{"FolderIsALink", false,
                  [](const std::string &tmp, const std::string &lockFolder) {
                    fs::create_directory(tmp + "/elsewhere");
                    fs::permissions(tmp + "/elsewhere", fs::perms::owner_all);
                    fs::create_directory_symlink(tmp + "/elsewhere", lockFolder);
                  }},
        LockPlant{"FolderOpenToOthers", false,
                  [](const std::string &, const std::string &lockFolder) {
                    fs::create_directory(lockFolder);
                    fs::permissions(lockFolder, fs::perms::all);
                  }},
        LockPlant{"FolderOpenToGroup", false,
                  [](const std::string &, const std::string &lockFolder) {
                    fs::create_directory(lockFolder);
                    fs::permissions(lockFolder, fs::perms::owner_all | fs::perms::group_all);
                  }},
        LockPlant{"FolderOfAnotherUser", true,
                  [](const std::string &, const std::string &lockFolder) {
                    fs::create_directory(lockFolder);
                    fs::permissions(lockFolder, fs::perms::owner_all);
                    ASSERT_EQ(chown(lockFolder.c_str(), 65534, 65534), 0);
                  }},
        LockPlant{"AFileInsteadOfAFolder", false,
                  [](const std::string &, const std::string &lockFolder) {
                    FILE *f = std::fopen(lockFolder.c_str(), "w");
                    ASSERT_NE(f, nullptr);
                    std::fclose(f);
                  }}),
    [](const testing::TestParamInfo<LockPlant> &info) { return info.param.name; });

// Inside the user's own folder a link at the lock's name is not followed.
TEST(PrevInstance, LinkAtTheLockNameIsNotFollowed) {
  TempFolder runtimeDir;
  Environment xdg("XDG_RUNTIME_DIR", runtimeDir.Path().c_str());
  const std::string lock = runtimeDir.Path() + "/" + runtime::InstanceLockName("/p");
  fs::create_symlink(runtimeDir.Path() + "/created", lock);
  EXPECT_EQ(RunProbe("/p"), 0);
  EXPECT_FALSE(fs::exists(runtimeDir.Path() + "/created"));
}

}  // namespace

namespace {

// The probe with taking the lock failing as errno `error`: its exit status
// and what it wrote to standard error.
std::pair<int, std::string> ProbeWithLockError(int error) {
  int err[2];
  if (pipe(err) != 0) return {-1, ""};
  const std::string code = std::to_string(error);
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(err[1], 2);
    execl(INSTANCE_PROBE, INSTANCE_PROBE, "once", "/p", code.c_str(), nullptr);
    _exit(99);
  }
  close(err[1]);
  std::string said;
  char buffer[512];
  for (ssize_t n; (n = read(err[0], buffer, sizeof buffer)) > 0;) said.append(buffer, static_cast<size_t>(n));
  close(err[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, said};
}

}  // namespace

// Only a lock held by another instance keeps a start out. Where the system
// cannot give a lock at all, the program runs and says why.
TEST(PrevInstance, ALockTheSystemCannotGiveKeepsNobodyOut) {
  TempFolder runtimeDir;
  Environment xdg("XDG_RUNTIME_DIR", runtimeDir.Path().c_str());
  for (const int error : {ENOLCK, EINVAL, ENOSYS, EIO, EBADF}) {
    const auto [status, said] = ProbeWithLockError(error);
    EXPECT_EQ(status, 0) << strerror(error);
    EXPECT_NE(said.find("no single-instance lock, starting anyway: " + std::string(strerror(error))),
              std::string::npos)
        << said;
    EXPECT_NE(said.find(runtimeDir.Path()), std::string::npos) << said;
  }
  const auto [status, said] = ProbeWithLockError(EWOULDBLOCK);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(said, "");
}
