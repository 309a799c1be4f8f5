#include "InitLibrary.h"

#include <atomic>

#include "Random.h"

namespace quenta {
namespace {
std::atomic<int> startDone{0};
}

void InitLibrary() {
  if (startDone.load(std::memory_order_acquire) != 0) return;
  int expected = 0;
  if (!startDone.compare_exchange_strong(expected, 1)) return;
  SeedThisThread(1);
}

// Process attach.
__attribute__((constructor)) static void AttachProcess() { InitLibrary(); }
}  // namespace quenta
