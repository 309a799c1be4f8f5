// The library's one-time start, run on load and at the head of every export.
#pragma once

namespace quenta {
void InitLibrary();
}
