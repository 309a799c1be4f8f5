// Any bytes as an archive, read from memory: the reader must neither crash
// nor read out of bounds, and what it calls whole must fit the table.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "store/ArchiveReader.h"
#include "store/CipherLibrary.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  store::SetCipherLibraryPath(QUENTA_LIBRARY_PATH);
  if (!store::CipherAvailable()) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  // As a start leaves the table before reading.
  auto image = std::make_unique<store::ArchiveImage>();
  image->rows = 99;
  image->columns = 9;
  const auto check =
      store::ReadArchiveText(std::string_view(reinterpret_cast<const char *>(data), size), *image);
  if (image->records < 0 || image->records > 99) std::abort();
  if (check.verdict == store::Verdict::kWhole &&
      (image->rows < 1 || image->rows > 99 || image->columns < 0 || image->columns > 9 || image->records < 1))
    std::abort();
  return 0;
}
