#include "tests/library/LogTestSupport.h"

#include <fcntl.h>
#include <poll.h>
#include <semaphore.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sstream>
#include <stdexcept>

#include <gtest/gtest.h>

#include "library/SharedNames.h"

namespace fs = std::filesystem;

namespace {
// A helper killed while the test still writes to it must not end the test.
const bool ignoreBrokenPipes = [] {
  signal(SIGPIPE, SIG_IGN);
  return true;
}();

std::string ObjectName(const std::string &folder, const char *base) {
  char name[160];
  quenta::SharedObjectName(name, sizeof name, base, geteuid(), folder.c_str());
  return name;
}
}  // namespace

LogFolder::LogFolder() {
  char resolved[PATH_MAX];
  if (realpath(folder_.Path().c_str(), resolved) == nullptr) throw std::runtime_error("realpath failed");
  path_ = resolved;
}

LogFolder::~LogFolder() {
  shm_unlink(SectionName().c_str());
  sem_unlink(SemaphoreName().c_str());
}

void LogFolder::MakeQuentaFolder() const { fs::create_directories(File("Quenta")); }

void LogFolder::Configure(const std::string &line) const {
  MakeQuentaFolder();
  Write("Quenta/Quenta.cfg", line);
}

std::vector<std::string> LogFolder::Entries(const std::string &folder) const {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto &entry : fs::directory_iterator(folder.empty() ? path_ : File(folder), ec))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> LogFolder::Records(const std::string &name) const {
  const std::string text = Read(name);
  std::vector<std::string> records;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      records.push_back(text.substr(start));
      break;
    }
    records.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return records;
}

std::string LogFolder::SectionName() const { return ObjectName(path_, quenta::kSectionBaseName); }
std::string LogFolder::SemaphoreName() const { return ObjectName(path_, quenta::kSemaphoreBaseName); }

int LogFolder::SemaphoreValue() const {
  sem_t *semaphore = sem_open(SemaphoreName().c_str(), 0);
  if (semaphore == SEM_FAILED) return -1;
  int value = -1;
  sem_getvalue(semaphore, &value);
  sem_close(semaphore);
  return value;
}

Helper::Helper(const LogFolder &folder, const std::string &library, bool withoutStandardError) {
  errorFile_ = (fs::temp_directory_path() / "quenta-helper-XXXXXX").string();
  const int errorFd = mkostemp(errorFile_.data(), O_CLOEXEC);
  int in[2], out[2];
  if (errorFd < 0 || pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0)
    throw std::runtime_error("cannot start a helper");
  pid_ = fork();
  if (pid_ == 0) {
    if (chdir(folder.Path().c_str()) != 0) _exit(126);
    dup2(in[0], 0);
    dup2(out[1], 1);
    dup2(errorFd, 2);
    execl(QUENTA_LOG_HELPER_PATH, QUENTA_LOG_HELPER_PATH, library.c_str(),
          withoutStandardError ? "--no-stderr" : static_cast<char *>(nullptr), static_cast<char *>(nullptr));
    _exit(127);
  }
  close(errorFd);
  close(in[0]);
  close(out[1]);
  input_ = in[1];
  output_ = out[0];
}

// A sanitizer report of a helper fails the test that ran it.
static void FailOnSanitizerReport(const std::string &errors) {
  if (errors.find("Sanitizer") != std::string::npos || errors.find("runtime error:") != std::string::npos)
    ADD_FAILURE() << "helper process:\n" << errors;
}

Helper::~Helper() {
  if (pid_ > 0) Kill();
  if (input_ >= 0) close(input_);
  if (output_ >= 0) close(output_);
  unlink(errorFile_.c_str());
}

void Helper::Send(const std::string &command) {
  const std::string line = command + "\n";
  size_t done = 0;
  while (input_ >= 0 && done < line.size()) {
    const ssize_t n = write(input_, line.data() + done, line.size() - done);
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

std::string Helper::Answer() {
  for (;;) {
    const size_t newline = pending_.find('\n');
    if (newline != std::string::npos) {
      std::string line = pending_.substr(0, newline);
      pending_.erase(0, newline + 1);
      return line;
    }
    pollfd p{output_, POLLIN, 0};
    if (poll(&p, 1, 120000) <= 0) return "";  // a helper that hangs fails the test, not the run
    char buffer[4096];
    const ssize_t n = read(output_, buffer, sizeof buffer);
    if (n <= 0) return "";
    pending_.append(buffer, static_cast<size_t>(n));
  }
}

int Helper::Finish() {
  if (input_ >= 0) close(input_);
  input_ = -1;
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
  FailOnSanitizerReport(Errors());
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void Helper::Kill() {
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
  FailOnSanitizerReport(Errors());
}

std::string Helper::Errors() const {
  std::ifstream in(errorFile_, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string YesConfig() {
  std::string line = kDefaultConfigLine;
  line.replace(line.find("No;"), 3, "Yes;");
  return line;
}

int Count(const std::vector<std::string> &records, const std::string &text) {
  int n = 0;
  for (const auto &r : records) n += r.find(text) != std::string::npos;
  return n;
}

std::string RunHelper(const LogFolder &folder, const std::vector<std::string> &commands) {
  Helper helper(folder);
  for (const std::string &command : commands) helper.Run(command);
  helper.Finish();
  return helper.Errors();
}

namespace {

bool Digit(char c) { return c >= '0' && c <= '9'; }
bool Hex(char c) { return Digit(c) || (c >= 'a' && c <= 'f'); }

// "yyyy/mm/dd hh:mm:ss"
bool HasTimeStamp(const std::string &r) {
  static const char shape[] = "dddd/dd/dd dd:dd:dd";
  if (r.size() < 19) return false;
  for (size_t i = 0; i < 19; ++i)
    if (shape[i] == 'd' ? !Digit(r[i]) : r[i] != shape[i]) return false;
  return true;
}

bool Take(const std::string &r, size_t &at, const char *text) {
  const size_t n = std::char_traits<char>::length(text);
  if (r.compare(at, n, text) != 0) return false;
  at += n;
  return true;
}

bool TakeInteger(const std::string &r, size_t &at) {
  if (at < r.size() && r[at] == '-') ++at;
  const size_t first = at;
  while (at < r.size() && Digit(r[at])) ++at;
  return at > first;
}

// Backwards: the digits (and sign) that end just before `end`.
size_t IntegerBefore(const std::string &r, size_t end) {
  size_t at = end;
  while (at > 0 && Digit(r[at - 1])) --at;
  if (at == end) return std::string::npos;
  if (at > 0 && r[at - 1] == '-') --at;
  return at;
}

}  // namespace

std::string WithoutTime(const std::string &record) {
  if (!HasTimeStamp(record) || record.compare(19, 3, ", [") != 0) return "";
  return record.substr(19);
}

// stamp, [hex], "name", line, "text", number, value[(hexH)] -- the text may hold anything.
bool IsWellFormed(const std::string &r) {
  if (!HasTimeStamp(r)) return false;
  size_t at = 19;
  if (!Take(r, at, ", [")) return false;
  const size_t hexStart = at;
  while (at < r.size() && Hex(r[at])) ++at;
  if (at - hexStart < 2 || at - hexStart > 8) return false;
  if (!Take(r, at, "], \"")) return false;
  while (at < r.size() && r[at] != '"') ++at;
  if (!Take(r, at, "\", ") || !TakeInteger(r, at) || !Take(r, at, ", \"")) return false;
  const size_t headEnd = at;

  size_t end = r.size();
  if (end >= 2 && r.compare(end - 2, 2, "H)") == 0) {
    const size_t open = r.rfind('(', end - 2);
    if (open == std::string::npos || open + 1 == end - 2) return false;
    for (size_t i = open + 1; i < end - 2; ++i)
      if (!Hex(r[i])) return false;
    end = open;
  }
  const size_t value = IntegerBefore(r, end);
  if (value == std::string::npos || value < 2 || r.compare(value - 2, 2, ", ") != 0) return false;
  const size_t number = IntegerBefore(r, value - 2);
  if (number == std::string::npos || number < 3 || r.compare(number - 3, 3, "\", ") != 0) return false;
  return headEnd <= number - 3;
}

std::string Tab(const std::vector<std::string> &fields) {
  std::string line;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += '\t';
    line += fields[i];
  }
  return line;
}

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}
double SecondsSince(double start) { return Now() - start; }
