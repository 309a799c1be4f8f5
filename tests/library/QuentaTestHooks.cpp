// Compiled into the test copy of the library only: lets a helper process hold
// the library's locks the way a writer does, so that tests can kill it there.
#include <semaphore.h>

#include <cstdio>
#include <cstring>

#include "SharedSection.h"
#include "WriterSemaphore.h"

extern "C" __attribute__((visibility("default"))) int QuentaTestHook(const char *operation, char *out,
                                                                     int size) {
  using namespace quenta;
  out[0] = 0;
  if (std::strcmp(operation, "hold-semaphore") == 0) {
    sem_t *semaphore = WriterSemaphore();
    return semaphore != nullptr && AcquireWriter(semaphore) ? 1 : 0;
  }
  if (std::strcmp(operation, "release-semaphore") == 0) {
    sem_t *semaphore = WriterSemaphore();
    if (semaphore == nullptr) return 0;
    ReleaseWriter(semaphore);
    return 1;
  }
  if (std::strcmp(operation, "take-semaphore-unrecorded") == 0) {
    // Like a writer killed right after its wait succeeded, before it recorded itself.
    sem_t *semaphore = WriterSemaphore();
    return semaphore != nullptr && sem_wait(semaphore) == 0 ? 1 : 0;
  }
  if (std::strcmp(operation, "hold-section-lock") == 0) {
    new SectionLock;  // never released
    return 1;
  }
  if (std::strcmp(operation, "state") == 0) {
    SharedSection &s = Section();
    const char logSwitch = LoadShared(s.LogSwitch);
    std::snprintf(out, static_cast<size_t>(size), "switch=%c start=%d count=%d attached=%u lifetime=%llu",
                  logSwitch != 0 ? logSwitch : '0', static_cast<int>(LoadShared(s.StartDone)),
                  static_cast<int>(LoadShared(s.LogRecordCount)), s.attachedCount,
                  static_cast<unsigned long long>(s.lifetime));
    return 1;
  }
  return -1;
}
