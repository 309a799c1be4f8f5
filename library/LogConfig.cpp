#include "LogConfig.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "ConfigText.h"
#include "LogFiles.h"
#include "Message.h"
#include "SharedSection.h"

namespace quenta {
namespace {

// Up to kConfigReadSize bytes from the start of the file; 0 when none.
size_t ReadStart(int fd, char (&text)[kConfigReadSize]) {
  if (fd < 0) return 0;
  size_t got = 0;
  while (got < sizeof text) {
    const ssize_t n = pread(fd, text + got, sizeof text - got, static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  return got;
}

void WriteStart(int fd, const char *text, size_t size) {
  size_t done = 0;
  while (done < size) {
    const ssize_t n = pwrite(fd, text + done, size - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

}  // namespace

void ReadLogConfig() {
  SharedSection &s = Section();
  StoreShared(s.LogSwitch, 'N');
  const QuentaFolder folder;
  const int fd = folder.Open(kConfigName, O_RDWR | O_CREAT);
  char text[kConfigReadSize];
  const size_t size = ReadStart(fd, text);
  if (size == 0) {
    if (fd >= 0) {
      WriteStart(fd, kDefaultConfig, kDefaultConfigSize);
      close(fd);
    }
    return;
  }
  close(fd);
  const char *end = ConfigEnd(text, size);
  char token[kTokenSize];
  const char *p = text;
  for (int i = 0; i < 3; ++i) p = NextToken(token, sizeof token, p, end);
  if (SwitchIsOn(token)) StoreShared(s.LogSwitch, 'Y');
}

bool GetSufix(char *suffix, size_t size) {
  const QuentaFolder folder;
  const int fd = folder.Open(kConfigName, O_RDWR | O_CREAT);
  if (fd < 0) return false;
  char text[kConfigReadSize];
  const size_t read = ReadStart(fd, text);
  if (read == 0) {
    ShowMessage("Quenta.cfg Open Error", "GetSufix");
    close(fd);
    folder.Remove(kConfigName);
    ReadLogConfig();
    std::snprintf(suffix, size, "%03d", 0);
    return true;
  }
  const char *end = ConfigEnd(text, read);
  char token[kTokenSize];
  const char *p = NextToken(token, sizeof token, text, end);
  int32_t index = ConfigNumber(token);
  NextToken(token, sizeof token, p, end);
  const int32_t maximum = ConfigNumber(token);
  if (index < 0 || index > maximum) index = 0;
  std::snprintf(suffix, size, "%03d", static_cast<int>(index));

  ++index;
  if (index < 0 || index > maximum) index = 0;
  char next[16];
  std::snprintf(next, sizeof next, "%03d", static_cast<int>(index));
  // The index is rewritten in place as three characters and a comma; an index
  // of 1000 or more loses its last digits. Only the bytes read go back, so a
  // configuration shorter than four bytes does not grow.
  char head[4] = {next[0], next[1], next[2], ','};
  std::memcpy(text, head, read < sizeof head ? read : sizeof head);
  WriteStart(fd, text, read);
  close(fd);
  return true;
}

}  // namespace quenta
