#include "WriterSemaphore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <ctime>

#include "SharedObjectFile.h"
#include "SharedSection.h"

namespace quenta {
namespace {

constexpr long kWaitMs = 10000;
constexpr long kSliceMs = 200;
constexpr long kUnrecordedHolderMs = 1000;

std::atomic<sem_t *> opened{nullptr};

long long NowMs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<long long>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

timespec AtMs(long long ms) {
  timespec t{};
  t.tv_sec = static_cast<time_t>(ms / 1000);
  t.tv_nsec = static_cast<long>(ms % 1000) * 1000000;
  return t;
}

// glibc keeps a named semaphore as /dev/shm/sem.<name> and maps it without
// looking: it must be a private file of exactly one semaphore.
bool IsSoundSemaphore(const struct stat &st) {
  return IsPrivateFile(st) && st.st_size == static_cast<off_t>(sizeof(sem_t));
}

// Opened under the section lock, so that a process removing a bad semaphore
// never removes the sound one another has just made in its place.
sem_t *OpenSemaphore(const char *name) {
  SectionLock lock;
  char path[192];
  SharedObjectPath(path, sizeof path, "sem.", name);
  if (!ClearBadObject(path, IsSoundSemaphore)) return nullptr;
  sem_t *semaphore = sem_open(name, O_CREAT, 0600, 1);
  if (semaphore == SEM_FAILED) return nullptr;
  struct stat st {};
  // Kept elsewhere than /dev/shm: nothing to check.
  if (lstat(path, &st) == 0 && !IsSoundSemaphore(st)) {
    sem_close(semaphore);
    errno = EACCES;
    return nullptr;
  }
  return semaphore;
}

void MarkHolder(SharedSection &s) {
  StoreShared(s.holder, ThisProcess());
  AddShared(s.acquisitions, uint64_t{1});
}

// What a waiter whose slice ran out has seen of a holder not on record.
struct Unrecorded {
  bool seen = false;
  uint64_t acquisitions = 0;
  long long sinceMs = 0;
};

bool TakeOverFromEndedHolder(sem_t *semaphore, Unrecorded &unrecorded) {
  SectionLock lock;
  SharedSection &s = Section();
  if (sem_trywait(semaphore) == 0) {  // given back meanwhile
    MarkHolder(s);
    return true;
  }
  const ProcessWord holder = LoadShared(s.holder);
  const uint64_t acquisitions = LoadShared(s.acquisitions);
  if (holder != 0) {
    unrecorded.seen = false;
    if (IsAlive(holder) || !ReplaceShared(s.holder, holder, ThisProcess())) return false;
    AddShared(s.acquisitions, uint64_t{1});
    return true;
  }
  // A live writer records itself at once after it took the semaphore; held by
  // nobody on record for a whole second, with nobody taking it meanwhile,
  // means its holder was killed in between.
  const long long now = NowMs();
  if (!unrecorded.seen || unrecorded.acquisitions != acquisitions) {
    unrecorded = {true, acquisitions, now};
    return false;
  }
  if (now - unrecorded.sinceMs < kUnrecordedHolderMs) return false;
  if (!ReplaceShared(s.holder, ProcessWord{0}, ThisProcess())) return false;
  AddShared(s.acquisitions, uint64_t{1});
  return true;
}

}  // namespace

sem_t *WriterSemaphore() {
  sem_t *semaphore = opened.load(std::memory_order_acquire);
  if (semaphore != nullptr) return semaphore;
  semaphore = OpenSemaphore(SemaphoreName());
  if (semaphore == nullptr) return nullptr;
  sem_t *expected = nullptr;
  if (!opened.compare_exchange_strong(expected, semaphore)) {
    sem_close(semaphore);  // another thread was first
    return expected;
  }
  return semaphore;
}

bool AcquireWriter(sem_t *semaphore) {
  SharedSection &s = Section();
  const long long deadline = NowMs() + kWaitMs;
  Unrecorded unrecorded;
  for (;;) {
    long long sliceEnd = NowMs() + kSliceMs;
    if (sliceEnd > deadline) sliceEnd = deadline;
    const timespec until = AtMs(sliceEnd);
    if (sem_clockwait(semaphore, CLOCK_MONOTONIC, &until) == 0) {
      MarkHolder(s);
      return true;
    }
    if (errno == EINTR) continue;
    if (errno != ETIMEDOUT) return false;
    if (TakeOverFromEndedHolder(semaphore, unrecorded)) return true;
    if (NowMs() >= deadline) return false;
  }
}

void ReleaseWriter(sem_t *semaphore) {
  ReplaceShared(Section().holder, ThisProcess(), ProcessWord{0});
  sem_post(semaphore);
}

}  // namespace quenta
