#include "runtime/ProcessGuard.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include "runtime/Clipboard.h"
#include "runtime/MessageBox.h"

namespace runtime {
namespace {

int signalPipe[2] = {-1, -1};

// Only what is safe in a signal handler: one byte down the pipe.
void OnSignal(int signo) {
  const int saved = errno;
  const char byte = static_cast<char>(signo);
  [[maybe_unused]] const ssize_t n = write(signalPipe[1], &byte, 1);
  errno = saved;
}

void EndCleanly() {
  CloseMessageBoxes();
  ClearClipboardIfOurs();
  ClearSelectionIfOurs();
  QCoreApplication::exit(0);
}

}  // namespace

void ProtectProcess() {
#ifndef VANTRY_KEEP_DUMPABLE
  const rlimit none{0, 0};
  setrlimit(RLIMIT_CORE, &none);
  prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
#endif
}

void EndOnSignals() {
  if (signalPipe[0] >= 0 || QCoreApplication::instance() == nullptr) return;
  if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
  QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
    char bytes[16];
    while (read(signalPipe[0], bytes, sizeof bytes) > 0) {
    }
    EndCleanly();
  });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signo : {SIGTERM, SIGHUP, SIGINT}) sigaction(signo, &action, nullptr);
}

}  // namespace runtime
