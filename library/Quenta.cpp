#include "Quenta.h"

#include "InitLibrary.h"

extern "C" int32_t Quenta(int32_t, const char *, int32_t, const char *, int32_t, int32_t) {
  quenta::InitLibrary();
  return 0;
}
