// Any text into the decoder, and every decoded text back through the encoder.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <memory>

#include "library/Quenta.h"

namespace {
ModulateFunction modulate = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  void *handle = dlopen(QUENTA_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) std::abort();
  modulate = reinterpret_cast<ModulateFunction>(dlsym(handle, "Modulate"));
  if (modulate == nullptr) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  // Exactly as long as the text, so that any read past its end is caught.
  const size_t length = strnlen(reinterpret_cast<const char *>(data), size);
  std::unique_ptr<char[]> text(new char[length + 1]);
  std::memcpy(text.get(), data, length);
  text[length] = 0;

  char plain[1025];
  const int32_t n = modulate(plain, text.get(), 1);
  if (n < 0 || n > 1024 || plain[n] != 0) std::abort();

  // A decoded text without NULs scrambles and reads back unchanged.
  if (std::strlen(plain) == static_cast<size_t>(n)) {
    char scrambled[2052];
    char again[1025];
    if (modulate(scrambled, plain, 0) != n) std::abort();
    if (modulate(again, scrambled, 1) != n || std::memcmp(again, plain, static_cast<size_t>(n)) != 0)
      std::abort();
  }
  return 0;
}
