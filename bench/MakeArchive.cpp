// Writes an archive for start-up measurements and end-to-end runs:
//   make_archive FOLDER ROWS COLUMNS LOGIN EDIT HINT
// Rows are named Item1.. with values of about 45 bytes; the row before the
// last is the credentials row.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "runtime/MessageBox.h"
#include "store/CipherLibrary.h"
#include "store/Module1.h"
#include "store/Vault.h"

int main(int argc, char **argv) {
  if (argc != 7) {
    std::fprintf(stderr, "usage: %s FOLDER ROWS COLUMNS LOGIN EDIT HINT\n", argv[0]);
    return 2;
  }
  using namespace Module1;
  runtime::SetMessageBoxHandler([](const std::string &text, int, const std::string &caption) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return runtime::kAnswerOk;
  });
  store::SetCipherLibraryPath(QUENTA_LIBRARY_PATH);
  AppFolder = argv[1];
  const int rows = std::atoi(argv[2]), columns = std::atoi(argv[3]);
  if (rows < 2 || rows > kMaxFileRows || columns < 3 || columns > kMaxFileColumns) return 2;
  RowCount = static_cast<int16_t>(rows);
  ColumnCount = static_cast<int16_t>(columns);
  for (int c = 1; c <= columns; ++c) ColumnTitles[c] = "Column " + std::to_string(c);
  for (int r = 0; r < rows; ++r) {
    VaultTable[r][0] = "Item" + std::to_string(r + 1);
    for (int c = 1; c <= columns; ++c)
      VaultTable[r][c] = "value-" + std::to_string(r + 1) + "-" + std::to_string(c) + std::string(36, 'x');
  }
  Row &credentials = VaultTable[rows - 2];
  credentials[0] = "LoginPassword";
  credentials[1] = HintText = argv[6];
  credentials[2] = argv[4];
  credentials[3] = argv[5];
  return WriteVault() ? 0 : 1;
}
