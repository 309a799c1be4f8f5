#include "InitLibrary.h"

#include <pthread.h>

#include <atomic>

#include "LogConfig.h"
#include "LogWriter.h"
#include "Random.h"
#include "SharedSection.h"

namespace quenta {
namespace {

// The start record names the library's own source and this line.
constexpr char kStartFile[] = "Quenta.cpp";
constexpr int32_t kStartLine = 46;

std::atomic<bool> ready{false};
bool attachedBefore = false;
pthread_mutex_t initMutex = PTHREAD_MUTEX_INITIALIZER;

void BeforeFork() {
  pthread_mutex_lock(&initMutex);
  SectionBeforeFork();
}
void AfterForkParent() {
  SectionAfterForkParent();
  pthread_mutex_unlock(&initMutex);
}
// A forked child attaches itself at its first call, like a process that
// loads the library.
void AfterForkChild() {
  SectionAfterForkChild();
  ready.store(false, std::memory_order_relaxed);
  pthread_mutex_unlock(&initMutex);
}

}  // namespace

void InitLibrary() {
  if (ready.load(std::memory_order_acquire)) return;
  bool writeStart = false;
  pthread_mutex_lock(&initMutex);
  if (!ready.load(std::memory_order_relaxed)) {
    const bool firstLoad = !attachedBefore;
    if (firstLoad) pthread_atfork(BeforeFork, AfterForkParent, AfterForkChild);
    AttachSection();
    {
      // Locked, so that of processes starting together exactly one starts,
      // and the others see the switch it read.
      SectionLock lock;
      SharedSection &s = Section();
      if (LoadShared(s.StartDone) == 0) {
        StoreShared(s.StartDone, 1);
        ReadLogConfig();
        writeStart = true;
      }
    }
    if (firstLoad || writeStart) SeedThisThread(1);
    attachedBefore = true;
    ready.store(true, std::memory_order_release);
  }
  pthread_mutex_unlock(&initMutex);
  if (writeStart) WriteRecord(0, kStartFile, kStartLine, "DLL Start", 0, 0);
}

// Process attach and detach.
__attribute__((constructor)) static void AttachProcess() { InitLibrary(); }
__attribute__((destructor)) static void DetachProcess() { DetachSection(); }

}  // namespace quenta
