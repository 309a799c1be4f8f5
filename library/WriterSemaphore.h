// The named semaphore "tovak_Semaphore" (per user, count 1) that serialises the
// writers of every process: the record, the record counter and the moving
// aside of the log.
//
// A POSIX semaphore is not given back when its holder dies, so the holder is
// recorded in the shared section. A writer waits in short slices; after each
// one it looks whether the semaphore is held by a process that has ended (or
// held by nobody on record for a whole second, which is a writer killed just
// after it took it) and then takes it over.
#pragma once
#include <semaphore.h>

namespace quenta {

// Opened once per process; null (with errno) when it cannot be created or opened.
sem_t *WriterSemaphore();

// Waits at most 10000 ms. true: the caller holds the semaphore and must call
// ReleaseWriter. false: the wait ran out while a live process held it.
bool AcquireWriter(sem_t *semaphore);
void ReleaseWriter(sem_t *semaphore);

}  // namespace quenta
