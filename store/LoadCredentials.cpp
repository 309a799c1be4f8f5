#include <algorithm>

#include "store/Module1.h"
#include "store/RecordRules.h"
#include "store/Vault.h"

void LoadCredentials() {
  using namespace Module1;
  const int rows = std::clamp<int>(RowCount, 0, kTableRows);
  std::vector<store::Record> records;
  for (int r = 0; r < rows; ++r) records.push_back({r + 1, {VaultTable[r].begin(), VaultTable[r].begin() + 4}});
  // The same reading Save checks the credentials by; the built-in passwords
  // stand in where the table gives none.
  const store::Credentials found = store::CredentialsOf(records);
  EditPasswordText = found.edit.empty() ? "mosu te ilvarin" : found.edit;
  LoginPasswordText = found.login.empty() ? "pelorinastuvka" : found.login;
  if (found.found) HintText = found.hint;
}
