#include "store/Vault.h"

int SplitField(const std::string &line, std::string &field, int start) {
  if (start <= 0) return 0;
  const size_t from = static_cast<size_t>(start - 1);
  if (from >= line.size()) {
    field.clear();
    return 0;
  }
  const size_t comma = line.find(',', from);
  if (comma == std::string::npos) {
    field = line.substr(from);
    return 0;
  }
  field = line.substr(from, comma - from);
  return static_cast<int>(comma) + 2;
}
