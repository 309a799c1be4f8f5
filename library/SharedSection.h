// The section shared by every process that has the library loaded: the
// logger's control words, the processes attached to it, and the writer that
// holds the semaphore.
//
// Its lifetime ends when every attached process has ended: the next process to
// attach finds none of them alive (crashed ones included) and clears the
// control words, so the one-time start runs again.
#pragma once
#include <atomic>
#include <cstdint>

namespace quenta {

// A process as (pid << 32) | low 32 bits of its start time, so that a later
// process that reuses the pid is not taken for it. 0 is no process.
using ProcessWord = uint64_t;

constexpr int kMaxAttached = 1024;

struct SharedSection {
  uint32_t magic;  // set last when the section is set up
  uint32_t layoutSize;
  // Control words of the current lifetime.
  int32_t LogRecordCount;  // records in the current log as far as known; 0 unknown
  int32_t StartDone;       // 1 once the one-time start ran in this lifetime
  char LogSwitch;          // 'Y', 'N', or 0 before the start
  char reserved[7];
  uint64_t lifetime;  // how many lifetimes this section has seen
  // The writer holding the semaphore, and how often it was taken. They
  // describe the semaphore, which outlives a lifetime, so they are kept.
  ProcessWord holder;
  uint64_t acquisitions;
  // The processes attached now (touched only under SectionLock).
  uint32_t attachedCount;
  uint32_t reserved2;
  ProcessWord attached[kMaxAttached];
};

// The mapped section, or a section of this process alone when the shared
// object cannot be used.
SharedSection &Section();

// Maps the section and records the calling process in it; starts a new
// lifetime when no process attached before is still alive. Run again in a
// forked child.
void AttachSection();
// Removes the calling process from the section (the mapping stays).
void DetachSection();

ProcessWord ThisProcess();
bool IsAlive(ProcessWord process);
const char *SemaphoreName();

// Excludes every other thread of this process and every other process.
class SectionLock {
 public:
  SectionLock();
  ~SectionLock();
  SectionLock(const SectionLock &) = delete;
  SectionLock &operator=(const SectionLock &) = delete;
};

// Around fork: the lock is held over the fork, and the child must attach anew.
void SectionBeforeFork();
void SectionAfterForkParent();
void SectionAfterForkChild();

template <class T>
T LoadShared(T &word) {
  return std::atomic_ref<T>(word).load(std::memory_order_acquire);
}
template <class T>
void StoreShared(T &word, T value) {
  std::atomic_ref<T>(word).store(value, std::memory_order_release);
}
template <class T>
bool ReplaceShared(T &word, T expected, T value) {
  return std::atomic_ref<T>(word).compare_exchange_strong(expected, value, std::memory_order_acq_rel);
}
template <class T>
T AddShared(T &word, T amount) {
  return std::atomic_ref<T>(word).fetch_add(amount, std::memory_order_acq_rel) + amount;
}

}  // namespace quenta
