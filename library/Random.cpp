#include "Random.h"

namespace quenta {
namespace {
thread_local uint32_t state = 1;
}

int32_t NextRandom() {
  state = state * 214013u + 2531011u;
  return static_cast<int32_t>((state >> 16) & 0x7FFFu);
}

void SeedThisThread(uint32_t seed) { state = seed; }
}  // namespace quenta
