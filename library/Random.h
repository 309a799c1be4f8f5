// Per-thread linear congruential generator of the cipher's start index.
#pragma once
#include <cstdint>

namespace quenta {
int32_t NextRandom();           // 0 to 32767
void SeedThisThread(uint32_t seed);
}
