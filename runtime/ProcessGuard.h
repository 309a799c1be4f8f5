// What the process does for the vault it holds in memory: no core file, no
// other process of the same user reading it, and a clean end on the signals
// a logout, a shutdown or Ctrl+C send.
#pragma once

namespace runtime {

// Core dumps off and the process not dumpable, so that another process of
// the same user can neither attach to it nor read /proc/PID/mem. Call first
// thing, before any archive is read. The sanitizer build leaves it out: its
// leak checker traces the process.
void ProtectProcess();

// SIGTERM, SIGHUP and SIGINT end the program as closing the window does,
// without its questions: every box of ours closed as by Cancel, our
// clipboard copy cleared, and the event loop left with status 0. A write
// under way is finished first, as it runs to completion on this thread.
// Call once the application object exists.
void EndOnSignals();

}  // namespace runtime
