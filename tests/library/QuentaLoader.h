// The library as a program sees it: loaded by name, exports looked up.
#pragma once
#include <dlfcn.h>

#include "library/Quenta.h"

struct QuentaLoader {
  void *handle = dlopen(QUENTA_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
  ModulateFunction modulate =
      handle ? reinterpret_cast<ModulateFunction>(dlsym(handle, "Modulate")) : nullptr;
  QuentaFunction quenta = handle ? reinterpret_cast<QuentaFunction>(dlsym(handle, "Quenta")) : nullptr;
};
