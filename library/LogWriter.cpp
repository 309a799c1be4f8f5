#include "LogWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "LogConfig.h"
#include "LogFiles.h"
#include "Message.h"
#include "RecordFormat.h"
#include "SharedSection.h"
#include "WriterSemaphore.h"

namespace quenta {
namespace {

constexpr int kOpenTries = 1000;
#ifdef QUENTA_TEST_BUILD
constexpr long kOpenRetryMs = 1;  // the test build gives up after about a second
#else
constexpr long kOpenRetryMs = 30;
#endif

void SleepMs(long ms) {
  timespec t{ms / 1000, (ms % 1000) * 1000000};
  while (nanosleep(&t, &t) != 0 && errno == EINTR) {
  }
}

// Appends at the end in one call, so that records never mix, even those
// written without the semaphore. A name held by something else than a private
// file of the caller is refused at once: trying again would not change it.
int OpenLog(int tries, int *error, bool *refused) {
  for (int i = 0; i < tries; ++i) {
    if (i > 0) SleepMs(kOpenRetryMs);
    const QuentaFolder folder;
    const int fd = folder.Open(kLogName, O_WRONLY | O_CREAT | O_APPEND, refused);
    if (fd >= 0) return fd;
    *error = errno;
    if (*refused) break;
  }
  return -1;
}

bool AppendAll(int fd, iovec *pieces, int count) {
  while (count > 0) {
    const ssize_t n = writev(fd, pieces, count);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    auto left = static_cast<size_t>(n);
    while (count > 0 && left >= pieces->iov_len) {
      left -= pieces->iov_len;
      ++pieces;
      --count;
    }
    if (count > 0) {
      pieces->iov_base = static_cast<char *>(pieces->iov_base) + left;
      pieces->iov_len -= left;
    }
  }
  return true;
}

// The record count of a log not counted yet, from its size: 128 bytes a record.
int32_t EstimatedCount(int fd) {
  struct stat st {};
  if (fstat(fd, &st) != 0) return 0;
  const off_t records = st.st_size / 128;
  return records > INT32_MAX ? INT32_MAX : static_cast<int32_t>(records);
}

// By name within the folder. Without a usable configuration, or when the old
// name is held by something not ours, the log stays and the next record tries
// again (with the next suffix).
void MoveAside(SharedSection &s) {
  char suffix[16];
  if (!GetSufix(suffix, sizeof suffix)) return;
  char oldLog[32];
  std::snprintf(oldLog, sizeof oldLog, kOldLogPattern, suffix);
  const QuentaFolder folder;
  if (!folder.OwnFileOrNothing(oldLog)) return;
  folder.Remove(oldLog);
  folder.Rename(kLogName, oldLog);
  StoreShared(s.LogRecordCount, 0);
}

}  // namespace

void WriteRecord(int32_t code, const char *file, int32_t line, const char *text, int32_t number,
                 int32_t value) {
  SharedSection &s = Section();
  if (LoadShared(s.LogSwitch) == 'N' || Low16(code) == -1) return;
  const char *name = SourceName(file);

  sem_t *semaphore = WriterSemaphore();
  if (semaphore == nullptr) {
    ShowErrorMessage("Quenta Open Error", errno);
    return;
  }
  // When the wait runs out, the record is written once all the same, without
  // the semaphore: appended in one call, counted, but never moving the log
  // aside (the next writer holding the semaphore does that).
  const bool locked = AcquireWriter(semaphore);
  if (LoadShared(s.LogSwitch) != 'Y') {
    if (locked) ReleaseWriter(semaphore);
    return;
  }

  const time_t now = time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char head[kHeadSize];
  char tail[kTailSize];
  const size_t headLength = FormatHead(head, local, code, name, line);
  const size_t tailLength = FormatTail(tail, number, value);

  // Holding the semaphore, one series of tries; without it, one try.
  int error = 0;
  bool refused = false;
  const int fd = OpenLog(locked ? kOpenTries : 1, &error, &refused);
  if (fd < 0) {
    // The record is dropped. A file that opened but is refused has no system text.
    if (refused && error == EACCES)
      ShowMessage("Quenta Open Error", "Quenta/Quenta.csv is not a private file of this user");
    else
      ShowErrorMessage("Quenta Open Error", error);
    if (locked) ReleaseWriter(semaphore);
    return;
  }
  if (LoadShared(s.LogRecordCount) == 0) ReplaceShared(s.LogRecordCount, 0, EstimatedCount(fd));
  const char *body = text != nullptr ? text : "";
  iovec pieces[3] = {{head, headLength}, {const_cast<char *>(body), std::strlen(body)}, {tail, tailLength}};
  // A record that could not be appended counts all the same, so that a log
  // which no longer grows is still moved aside in its turn.
  AppendAll(fd, pieces, 3);
  close(fd);
  if (AddShared(s.LogRecordCount, 1) > kRecordsPerLog && locked) MoveAside(s);
  if (locked) ReleaseWriter(semaphore);
}

}  // namespace quenta
