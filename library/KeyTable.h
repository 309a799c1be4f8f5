// The cipher key: fixed when the library was first built. Every archive ever
// written depends on these values, so they must never change.
#pragma once
#include <cstdint>

namespace quenta {
constexpr int kKeySize = 512;
extern const int32_t KeyTable[kKeySize];
}
