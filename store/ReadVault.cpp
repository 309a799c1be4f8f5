#include <array>
#include <cstring>
#include <fstream>

#include "runtime/Files.h"
#include "runtime/MessageBox.h"
#include "runtime/NumberValue.h"
#include "store/CipherLibrary.h"
#include "store/Messages.h"
#include "store/Module1.h"
#include "store/Vault.h"

namespace {

constexpr size_t kMaxRecordLine = 1023;  // 3 + 2 x 510 characters

bool GetLine(std::istream &in, std::string &line) {
  if (!std::getline(in, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

// Only text the writer can have made is handed to the decoder.
bool IsRecordLine(const std::string &line) {
  if (line.size() < 3 || line.size() > kMaxRecordLine || line.size() % 2 == 0) return false;
  for (const char c : line)
    if (c < '@' || c > 'O') return false;
  return true;
}

// The plain record of one line; a malformed line gives an empty record and
// the chain check decides.
std::string Unscramble(const std::string &line) {
  if (!IsRecordLine(line)) return std::string();
  std::array<char, store::kCipherBufferSize> buffer{};
  const auto n = store::CallModulate(buffer.data(), line.c_str(), 1);
  if (!n) return std::string();
  return std::string(buffer.data(), strnlen(buffer.data(), buffer.size()));
}

}  // namespace

int16_t ReadVault() {
  using namespace Module1;
  std::ifstream in(VaultPath(), std::ios::binary);
  if (!in.is_open() || !runtime::FileExists(VaultPath())) {
    store::ShowCanNotOpen();
    return 0;
  }
  if (!store::CipherAvailable()) {
    runtime::MsgBox("   Can not read Vantry.csv !    \r\nThe library libQuenta.so could not be loaded:\r\n" +
                        store::CipherError(),
                    runtime::kStyleCritical, store::kCaptionRead);
    return 0;
  }

  VaultTable[0][0].clear();

  std::string header;
  GetLine(in, header);
  std::string first;
  int p = SplitField(header, first, 1);
  const auto x = first.find('x');
  const auto rows = runtime::NumericValueOf(first);
  const auto columns = runtime::NumericValueOf(x == std::string::npos ? first : first.substr(x + 1));
  // Counts the table cannot hold can only come from a damaged file.
  if (!rows.fits || !columns.fits || rows.value < 0 || rows.value > kMaxFileRows ||
      columns.value < 0 || columns.value > kMaxFileColumns) {
    store::ShowCorrupted();
    return 0;
  }
  RowCount = rows.value;
  ColumnCount = columns.value;
  for (int i = 1; i <= ColumnCount; ++i) p = SplitField(header, ColumnTitles[i], p);

  int k = 0;
  std::string line;
  while (GetLine(in, line)) {
    const std::string record = Unscramble(line);
    int q = 1;
    for (int c = 0; c <= ColumnCount + 1; ++c) {
      q = SplitField(record, VaultTable[k][c], q);
      if (q == 0) break;
    }
    ++k;
    VaultTable[k][0].clear();
    if (k > kMaxFileRows - 1) break;
  }
  in.close();

  LoadCredentials();
  VaultTable[0][ColumnCount + 1] = HintText;
  for (int r = 1; r < RowCount; ++r) {
    if (VaultTable[r][ColumnCount + 1] != VaultTable[r - 1][0]) {
      for (int i = 0; i < kMaxFileRows; ++i) VaultTable[i][0].clear();
      store::ShowCorrupted();
      return 0;
    }
  }
  return static_cast<int16_t>(k);
}
