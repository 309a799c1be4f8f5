#include <algorithm>

#include "store/Module1.h"
#include "store/Vault.h"

void LoadCredentials() {
  using namespace Module1;
  EditPasswordText = "mosu te ilvarin";
  LoginPasswordText = "pelorinastuvka";
  const int rows = std::clamp<int>(RowCount, 0, kTableRows);
  // Every matching row counts; a later one overrides an earlier one.
  for (int r = 0; r < rows; ++r) {
    const Row &row = VaultTable[r];
    if (row[0] != "LoginPassword") continue;
    HintText = row[1];
    if (!row[2].empty()) LoginPasswordText = row[2];
    if (!row[3].empty()) EditPasswordText = row[3];
  }
}
