#include "store/CipherLibrary.h"

#include <dlfcn.h>

#include "library/Quenta.h"
#include "runtime/AppPath.h"

namespace store {
namespace {

struct Binding {
  bool tried = false;
  void *handle = nullptr;
  ModulateFunction modulate = nullptr;
  std::string error;
  std::string overridePath;
};

Binding &State() {
  static Binding binding;
  return binding;
}

void Bind() {
  Binding &b = State();
  if (b.tried) return;
  b.tried = true;
  if (!b.overridePath.empty()) {
    b.handle = dlopen(b.overridePath.c_str(), RTLD_NOW | RTLD_LOCAL);
  } else {
    const std::string own = CipherLibraryPath();
    b.handle = dlopen(own.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (b.handle == nullptr) b.handle = dlopen("libQuenta.so", RTLD_NOW | RTLD_LOCAL);
  }
  if (b.handle == nullptr) {
    const char *why = dlerror();
    b.error = why != nullptr ? why : "libQuenta.so not found";
    return;
  }
  b.modulate = reinterpret_cast<ModulateFunction>(dlsym(b.handle, "Modulate"));
  if (b.modulate == nullptr) b.error = "libQuenta.so has no Modulate";
}

}  // namespace

bool CipherAvailable() {
  Bind();
  return State().modulate != nullptr;
}

std::optional<int32_t> CallModulate(char *buffer, const char *text, int32_t direction) {
  if (!CipherAvailable()) return std::nullopt;
  return State().modulate(buffer, text, direction);
}

std::string CipherError() {
  Bind();
  return State().error;
}

std::string CipherLibraryPath() {
  const Binding &b = State();
  return b.overridePath.empty() ? runtime::AppPath() + "/libQuenta.so" : b.overridePath;
}

void SetCipherLibraryPath(const std::string &path) {
  Binding &b = State();
  // The old handle stays loaded: its code may still be on a caller's stack.
  b = Binding{};
  b.overridePath = path;
}

}  // namespace store
