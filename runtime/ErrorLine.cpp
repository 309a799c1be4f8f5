#include "runtime/ErrorLine.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace runtime {
namespace {

void Append(std::string &line, const std::string &part) {
  for (const char c : part) line.push_back(static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '?' : c);
}

}  // namespace

void ErrorLine(const std::string &path, const std::string &what, const std::string &why) {
  std::string line = "Vantry: ";
  Append(line, path);
  line += ": ";
  Append(line, what);
  if (!why.empty()) {
    line += ": ";
    Append(line, why);
  }
  line += '\n';
  // One write, so that lines of several processes do not interleave.
  size_t done = 0;
  while (done < line.size()) {
    const ssize_t n = ::write(STDERR_FILENO, line.data() + done, line.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

std::string SystemReason(int error) {
  char buffer[256];
  // The GNU strerror_r: returns the text, which may not be in buffer.
  return strerror_r(error, buffer, sizeof buffer);
}

}  // namespace runtime
