#include "tests/support/TempFolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "runtime/Files.h"
#include "store/CipherLibrary.h"
#include "store/Module1.h"

namespace fs = std::filesystem;

TempFolder::TempFolder() {
  std::string pattern = (fs::temp_directory_path() / "vantry-test-XXXXXX").string();
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  if (mkdtemp(buf.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = buf.data();
  Module1::Reset();
  Module1::AppFolder = path_;
  runtime::ResetFiles();
}

TempFolder::~TempFolder() {
  std::error_code ec;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path_, ec);
  runtime::ResetFiles();
}

std::string TempFolder::Read(const std::string &name) const {
  std::ifstream in(File(name), std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void TempFolder::Write(const std::string &name, const std::string &content) const {
  std::ofstream out(File(name), std::ios::binary | std::ios::trunc);
  out << content;
}

bool TempFolder::Has(const std::string &name) const { return fs::exists(File(name)); }

std::map<std::string, std::string> TempFolder::Snapshot() const {
  std::map<std::string, std::string> files;
  for (const auto &entry : fs::directory_iterator(path_))
    files[entry.path().filename().string()] = Read(entry.path().filename().string());
  return files;
}

void UseBuiltCipher() { store::SetCipherLibraryPath(QUENTA_LIBRARY_PATH); }
