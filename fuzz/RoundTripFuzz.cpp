// Any table the record rules accept, written as the writer writes it and
// read back by the reader, is the same table, byte for byte.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "store/ArchiveReader.h"
#include "store/CipherLibrary.h"
#include "store/Module1.h"
#include "store/RecordRules.h"
#include "store/Vault.h"

namespace {

// Takes the texts of a table from the input, one after another, each ended
// by a 0x1F byte (or the end of the input).
class Texts {
 public:
  Texts(const uint8_t *data, size_t size) : rest_(reinterpret_cast<const char *>(data), size) {}
  uint8_t Byte() {
    if (rest_.empty()) return 0;
    const auto b = static_cast<uint8_t>(rest_[0]);
    rest_.remove_prefix(1);
    return b;
  }
  std::string Next() {
    const size_t end = rest_.find('\x1f');
    std::string text(rest_.substr(0, end));
    rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
    return text;
  }

 private:
  std::string_view rest_;
};

[[noreturn]] void Differ(const char *what, int row, int field) {
  std::fprintf(stderr, "round trip: %s differs (row %d, field %d)\n", what, row, field);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  store::SetCipherLibraryPath(QUENTA_LIBRARY_PATH);
  if (!store::CipherAvailable()) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  using namespace Module1;
  Texts in(data, size);
  Reset();
  ColumnCount = static_cast<int16_t>(in.Byte() % (kMaxFileColumns + 1));
  RowCount = static_cast<int16_t>(in.Byte() % (kMaxFileRows + 1));
  for (int c = 1; c <= ColumnCount; ++c) ColumnTitles[c] = in.Next();
  HintText = in.Next();
  for (int r = 0; r < RowCount; ++r)
    for (int c = 0; c <= ColumnCount; ++c) VaultTable[r][c] = in.Next();
  if (store::TableRefusal()) return 0;  // the rules keep it out of any archive

  std::string text, why;
  if (!ArchiveText(text, why)) {
    std::fprintf(stderr, "round trip: the rules accept a table the writer refuses: %s\n", why.c_str());
    std::abort();
  }
  auto image = std::make_unique<store::ArchiveImage>();
  image->rows = 99;
  image->columns = 9;
  const auto check = store::ReadArchiveText(text, *image);
  const auto expected = RowCount == 0 ? store::Verdict::kHeaderOnly : store::Verdict::kWhole;
  if (check.verdict != expected) {
    std::fprintf(stderr, "round trip: read back as %d, not %d: %s\n", static_cast<int>(check.verdict),
                 static_cast<int>(expected), check.reason.c_str());
    std::abort();
  }
  if (image->rows != RowCount || image->columns != ColumnCount) Differ("the counts", -1, -1);
  if (image->records != RowCount) Differ("the number of records", -1, -1);
  for (int c = 1; c <= ColumnCount; ++c)
    if (image->titles[c] != ColumnTitles[c]) Differ("a title", 0, c);
  for (int r = 0; r < RowCount; ++r) {
    for (int c = 0; c <= ColumnCount; ++c)
      if (image->table[r][c] != VaultTable[r][c]) Differ("a field", r, c);
    const std::string &chain = r == 0 ? HintText : VaultTable[r - 1][0];
    if (image->table[r][ColumnCount + 1] != chain) Differ("the chain value", r, ColumnCount + 1);
  }
  return 0;
}
