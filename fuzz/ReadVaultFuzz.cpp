// Any bytes as "Vantry.csv": the reader must neither crash nor read out of bounds.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "runtime/MessageBox.h"
#include "store/CipherLibrary.h"
#include "store/Module1.h"
#include "store/Vault.h"

namespace {
std::string Folder() {
  static std::string folder = [] {
    char pattern[] = "/tmp/vantry-fuzz-XXXXXX";
    const char *made = mkdtemp(pattern);
    return std::string(made != nullptr ? made : "/tmp");
  }();
  return folder;
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  store::SetCipherLibraryPath(QUENTA_LIBRARY_PATH);
  runtime::SetMessageBoxHandler([](const std::string &, int, const std::string &) { return 1; });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string path = Folder() + "/Vantry.csv";
  FILE *f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  Module1::Reset();
  Module1::AppFolder = Folder();
  Module1::RowCount = 99;
  Module1::ColumnCount = 9;
  const int16_t n = ReadVault();
  if (n < 0 || n > 99) std::abort();
  if (Module1::RowCount < 0 || Module1::RowCount > 99 || Module1::ColumnCount < 0 || Module1::ColumnCount > 9)
    if (n != 0) std::abort();
  return 0;
}
