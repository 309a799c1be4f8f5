// The file in /dev/shm behind a shared object (glibc keeps both the shared
// section and the named semaphore there). An object of the wrong kind or size
// would be mapped as it is and crash the process at its first use, so it is
// looked at before it is opened.
#pragma once
#include <sys/stat.h>

#include <cstddef>

namespace quenta {

// "/dev/shm/" + prefix + the name without its leading "/".
void SharedObjectPath(char *out, size_t size, const char *prefix, const char *name);

// A regular file of the caller that nobody else can reach.
bool IsPrivateFile(const struct stat &st);

// Looks at the object without following a link. True when there is none, or
// sound(st) holds, or it was a bad object of the caller's own and has been
// removed (to be made anew). False, errno EACCES, for one of another user.
bool ClearBadObject(const char *path, bool (*sound)(const struct stat &));

}  // namespace quenta
