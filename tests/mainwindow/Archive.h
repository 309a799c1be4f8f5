// Archives for the window tests: written by the store and read back by it,
// so the window starts from what the program would find in its folder.
#pragma once
#include <string>
#include <vector>

#include "store/Module1.h"
#include "store/Vault.h"

using TableRows = std::vector<std::vector<std::string>>;

// Call with a TempFolder alive. True when the archive came back whole.
inline bool WriteAndReadArchive(const std::vector<std::string> &titles, const TableRows &rows) {
  using namespace Module1;
  ColumnCount = static_cast<int16_t>(titles.size());
  for (size_t c = 0; c < titles.size(); ++c) ColumnTitles[c + 1] = titles[c];
  RowCount = static_cast<int16_t>(rows.size());
  for (size_t r = 0; r < rows.size(); ++r)
    for (size_t f = 0; f < rows[r].size(); ++f) VaultTable[r][f] = rows[r][f];
  LoadCredentials();  // the hint word chains the first record
  if (!WriteVault()) return false;
  for (auto &row : VaultTable) row.fill(std::string());
  ColumnTitles.fill(std::string());
  HintText.clear();
  LoginPasswordText.clear();
  EditPasswordText.clear();
  RowCount = 99;  // as start-up leaves them before reading
  ColumnCount = 9;
  return ReadVault() == static_cast<int16_t>(rows.size());
}

inline const std::vector<std::string> kTitles{"User Name", "Login", "Confirm"};

// Item name, then the three columns; row 1 holds hint, login and edit password.
inline const TableRows kRows{
    {"Bank", "alice", "b4nk-pass", ""},
    {"LoginPassword", "blue whale", "open sesame", "edit sesame"},
    {"Card", "", "1234", " padded "},
    {"Mail", "alice@example.org", "m41l", "x"},
};
