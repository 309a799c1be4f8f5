// Logger tests run the library in helper processes (quenta_log_helper), each
// in a fresh working folder. The test copy of the library names its shared
// section and semaphore after that folder, so every folder starts a lifetime
// of its own and tests never meet.
#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

#include "library/ConfigText.h"
#include "tests/support/TempFolder.h"

// The configuration line the library writes, and the same with logging on.
const std::string kDefaultConfigLine(quenta::kDefaultConfig, quenta::kDefaultConfigSize);
std::string YesConfig();
// The library's start record without its time stamp.
const std::string kStartRecord = ", [00], \"Quenta.cpp\", 46, \"DLL Start\", 0, 0";

// A working folder for helper processes; removed, with its shared objects, at the end.
class LogFolder {
 public:
  LogFolder();
  ~LogFolder();
  LogFolder(const LogFolder &) = delete;
  LogFolder &operator=(const LogFolder &) = delete;

  const std::string &Path() const { return path_; }
  std::string File(const std::string &name) const { return path_ + "/" + name; }
  void MakeQuentaFolder() const;
  // Makes the folder "Quenta" and writes "Quenta/Quenta.cfg".
  void Configure(const std::string &line) const;
  std::string Read(const std::string &name) const { return folder_.Read(name); }  // "" when missing
  void Write(const std::string &name, const std::string &content) const { folder_.Write(name, content); }
  bool Has(const std::string &name) const { return folder_.Has(name); }
  std::vector<std::string> Entries(const std::string &folder = "") const;  // sorted names
  // The records of a log: its lines without their CR LF. A line not ended by
  // CR LF is kept with what it has, so that a test sees it.
  std::vector<std::string> Records(const std::string &name = "Quenta/Quenta.csv") const;

  std::string SectionName() const;
  std::string SemaphoreName() const;
  // The semaphore's count, or -1 when it does not exist.
  int SemaphoreValue() const;

 private:
  TempFolder folder_;
  std::string path_;  // as the library's getcwd sees it
};

// One helper process working in a folder.
class Helper {
 public:
  // The test copy of the library by default.
  explicit Helper(const LogFolder &folder, const std::string &library = QUENTA_TEST_LIBRARY_PATH,
                  bool withoutStandardError = false);
  ~Helper();
  Helper(const Helper &) = delete;
  Helper &operator=(const Helper &) = delete;

  void Send(const std::string &command);  // without waiting
  std::string Answer();                   // the next answer line ("" when the helper ended)
  std::string Run(const std::string &command) {
    Send(command);
    return Answer();
  }
  // Ends the input and waits; the exit status.
  int Finish();
  void Kill();
  pid_t Pid() const { return pid_; }
  std::string Errors() const;  // what it wrote on standard error so far

 private:
  pid_t pid_ = -1;
  int input_ = -1;
  int output_ = -1;
  std::string errorFile_;
  std::string pending_;
};

// How many records hold the text.
int Count(const std::vector<std::string> &records, const std::string &text);

// Runs one helper through the commands to its end; what it wrote on standard error.
std::string RunHelper(const LogFolder &folder, const std::vector<std::string> &commands);

// A record without its time stamp (the part from ", [" on); "" when the line
// does not start with one.
std::string WithoutTime(const std::string &record);
bool IsWellFormed(const std::string &record);

std::string Tab(const std::vector<std::string> &fields);
double SecondsSince(double start);
double Now();
