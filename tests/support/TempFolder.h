// A fresh program folder for one test, removed afterwards. It becomes
// AppFolder, and the table starts empty.
#pragma once
#include <map>
#include <string>

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder &) = delete;
  TempFolder &operator=(const TempFolder &) = delete;

  const std::string &Path() const { return path_; }
  std::string File(const std::string &name) const { return path_ + "/" + name; }

  std::string Read(const std::string &name) const;  // empty when missing
  void Write(const std::string &name, const std::string &content) const;
  bool Has(const std::string &name) const;
  std::map<std::string, std::string> Snapshot() const;  // every file and its content

 private:
  std::string path_;
};

// Binds the cipher to the library just built.
void UseBuiltCipher();
