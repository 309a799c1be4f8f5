#include "tests/store/VaultFixture.h"

#include <array>

#include "store/CipherLibrary.h"
#include "store/Module1.h"

std::string ScrambleLine(const std::string &plain) {
  std::array<char, store::kCipherBufferSize> buffer{};
  store::CallModulate(buffer.data(), plain.c_str(), 0);
  return buffer.data();
}

std::string MakeArchive(const std::string &header, const std::vector<std::string> &plainRecords) {
  std::string text = header + "\r\n";
  for (const auto &plain : plainRecords) text += ScrambleLine(plain) + "\r\n";
  return text;
}

void FillTable(const std::vector<std::string> &names, int columns) {
  using namespace Module1;
  RowCount = static_cast<int16_t>(names.size());
  ColumnCount = static_cast<int16_t>(columns);
  for (int c = 1; c <= columns; ++c) ColumnTitles[c] = "Title" + std::to_string(c);
  for (size_t r = 0; r < names.size(); ++r) {
    VaultTable[r][0] = names[r];
    for (int c = 1; c <= columns; ++c) VaultTable[r][c] = names[r] + "." + std::to_string(c);
  }
}
