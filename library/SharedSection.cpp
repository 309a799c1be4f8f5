#include "SharedSection.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Message.h"
#include "SharedNames.h"
#include "SharedObjectFile.h"

namespace quenta {
namespace {

constexpr uint32_t kMagic = 0x31544E51;  // "QNT1"

SharedSection privateSection;
SharedSection *section = &privateSection;
int sectionFd = -1;
pthread_mutex_t sectionMutex = PTHREAD_MUTEX_INITIALIZER;
ProcessWord self = 0;
pid_t registeredPid = 0;
char sectionName[128];
char semaphoreName[128];

// Reads the state letter and the start time (field 22) of /proc/<pid>/stat.
bool ReadProcessStat(pid_t pid, char *state, uint64_t *start) {
  char path[64];
  std::snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(pid));
  const int fd = AboveStandardStreams(open(path, O_RDONLY | O_CLOEXEC));
  if (fd < 0) return false;
  char text[1024];
  const ssize_t n = read(fd, text, sizeof text - 1);
  close(fd);
  if (n <= 0) return false;
  text[n] = 0;
  // The command name in parentheses may hold blanks: fields follow the last ')'.
  const char *p = std::strrchr(text, ')');
  if (p == nullptr || p[1] != ' ' || p[2] == 0) return false;
  *state = p[2];
  p += 2;
  for (int field = 3; field < 22; ++field) {
    p = std::strchr(p, ' ');
    if (p == nullptr) return false;
    ++p;
  }
  char *end = nullptr;
  *start = std::strtoull(p, &end, 10);
  return end != p;
}

ProcessWord Word(pid_t pid, uint64_t start) {
  return (static_cast<uint64_t>(static_cast<uint32_t>(pid)) << 32) | static_cast<uint32_t>(start);
}

void Prune(SharedSection &s) {
  if (s.attachedCount > kMaxAttached) s.attachedCount = kMaxAttached;
  for (uint32_t i = 0; i < s.attachedCount;) {
    if (IsAlive(s.attached[i])) {
      ++i;
    } else {
      s.attached[i] = s.attached[--s.attachedCount];
      s.attached[s.attachedCount] = 0;
    }
  }
}

void NewLifetime(SharedSection &s) {
  StoreShared(s.LogRecordCount, 0);
  StoreShared(s.StartDone, 0);
  StoreShared(s.LogSwitch, '\0');
  s.lifetime += 1;
}

// Fixed at the first attach: a forked child keeps its parent's objects.
void SetUpNames() {
  if (sectionName[0] != 0) return;
#ifdef QUENTA_TEST_BUILD
  char folder[PATH_MAX];
  const char *where = getcwd(folder, sizeof folder) != nullptr ? folder : "";
#else
  const char *where = nullptr;
#endif
  SharedObjectName(sectionName, sizeof sectionName, kSectionBaseName, geteuid(), where);
  SharedObjectName(semaphoreName, sizeof semaphoreName, kSemaphoreBaseName, geteuid(), where);
}

bool IsRegular(const struct stat &st) { return S_ISREG(st.st_mode); }

// Opens the shared object, refusing one that another user could touch. One of
// the user's own that is no file (a folder, a FIFO) is made anew.
int OpenSharedObject() {
  char path[192];
  SharedObjectPath(path, sizeof path, "", sectionName);
  const int fd =
      ClearBadObject(path, IsRegular) ? AboveStandardStreams(shm_open(sectionName, O_RDWR | O_CREAT, 0600)) : -1;
  if (fd < 0 && errno != EACCES) return -1;
  struct stat st {};
  if (fd < 0 || fstat(fd, &st) != 0 || !IsPrivateFile(st)) {
    ShowMessage("Quenta Open Error", "the shared section is not private to this user");
    if (fd >= 0) close(fd);
    return -1;
  }
  if ((st.st_mode & 0600) != 0600) fchmod(fd, 0600);
  return fd;
}

void LockFile(int fd, int operation) {
  while (flock(fd, operation) != 0 && errno == EINTR) {
  }
}

}  // namespace

SharedSection &Section() { return *section; }
ProcessWord ThisProcess() { return self; }
const char *SemaphoreName() { return semaphoreName; }

bool IsAlive(ProcessWord process) {
  const pid_t pid = static_cast<pid_t>(process >> 32);
  if (pid <= 0) return false;
  if (process == self) return true;
  // ESRCH: gone. EPERM: the pid now belongs to another user, so ours is gone.
  if (kill(pid, 0) != 0) return false;
  char state = 0;
  uint64_t start = 0;
  if (ReadProcessStat(pid, &state, &start)) {
    if (state == 'Z' || state == 'X') return false;
    const uint32_t recorded = static_cast<uint32_t>(process);
    if (recorded != 0 && recorded != static_cast<uint32_t>(start)) return false;
  }
  return true;
}

SectionLock::SectionLock() {
  pthread_mutex_lock(&sectionMutex);
  if (sectionFd >= 0) LockFile(sectionFd, LOCK_EX);
}

SectionLock::~SectionLock() {
  if (sectionFd >= 0) LockFile(sectionFd, LOCK_UN);
  pthread_mutex_unlock(&sectionMutex);
}

void AttachSection() {
  SetUpNames();
  char state = 0;
  uint64_t start = 0;
  const pid_t pid = getpid();
  self = Word(pid, ReadProcessStat(pid, &state, &start) ? start : 0);

  // A forked child shares its parent's descriptor, whose lock would not keep
  // the two apart: it opens and maps the section anew.
  pthread_mutex_lock(&sectionMutex);
  if (sectionFd >= 0) close(sectionFd);
  sectionFd = OpenSharedObject();
  SharedSection *mapped = nullptr;
  if (sectionFd >= 0) {
    LockFile(sectionFd, LOCK_EX);
    // Its pages are given now: a section short of them (a full /dev/shm) would
    // crash the process at its first touch.
    if (posix_fallocate(sectionFd, 0, sizeof(SharedSection)) == 0) {
      void *p = mmap(nullptr, sizeof(SharedSection), PROT_READ | PROT_WRITE, MAP_SHARED, sectionFd, 0);
      if (p != MAP_FAILED) mapped = static_cast<SharedSection *>(p);
    }
    if (mapped == nullptr) {
      LockFile(sectionFd, LOCK_UN);
      close(sectionFd);
      sectionFd = -1;
    }
  }
  if (mapped == nullptr) {
    // No shared section: this process keeps the words to itself.
    if (section != &privateSection) munmap(section, sizeof(SharedSection));
    section = &privateSection;
    registeredPid = 0;
    pthread_mutex_unlock(&sectionMutex);
    return;
  }

  SharedSection &s = *mapped;
  if (LoadShared(s.magic) != kMagic || s.layoutSize != sizeof(SharedSection)) {
    // New, or left half set up by a process that ended during it.
    std::memset(static_cast<void *>(&s), 0, sizeof s);
    s.layoutSize = sizeof(SharedSection);
    StoreShared(s.magic, kMagic);
  }
  Prune(s);
  if (s.attachedCount == 0) NewLifetime(s);
  if (s.attachedCount < kMaxAttached) s.attached[s.attachedCount++] = self;
  registeredPid = pid;

  SharedSection *old = section;
  section = mapped;
  if (old != &privateSection) munmap(old, sizeof(SharedSection));
  LockFile(sectionFd, LOCK_UN);
  pthread_mutex_unlock(&sectionMutex);
}

void DetachSection() {
  if (registeredPid == 0 || registeredPid != getpid()) return;
  SectionLock lock;
  SharedSection &s = Section();
  for (uint32_t i = 0; i < s.attachedCount && i < kMaxAttached; ++i) {
    if (s.attached[i] == self) {
      s.attached[i] = s.attached[--s.attachedCount];
      s.attached[s.attachedCount] = 0;
      break;
    }
  }
  registeredPid = 0;
}

void SectionBeforeFork() { pthread_mutex_lock(&sectionMutex); }
void SectionAfterForkParent() { pthread_mutex_unlock(&sectionMutex); }
void SectionAfterForkChild() { pthread_mutex_unlock(&sectionMutex); }

}  // namespace quenta
