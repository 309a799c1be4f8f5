// Records per second of the diagnostic logger, in one process and in several
// at once. The library is loaded in a fresh folder whose configuration has
// logging on (log index cycling 000 to 002, so at most three old logs remain).
//
// Logging is on only when this process starts the library's lifetime: when
// another process of the same user already has the library loaded with logging
// off, the benchmarks are skipped.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "library/Quenta.h"

namespace fs = std::filesystem;

namespace {

struct Logger {
  std::string folder;
  QuentaFunction quenta = nullptr;
  std::string error;

  Logger() {
    std::string pattern = (fs::temp_directory_path() / "quenta-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
      error = "mkdtemp failed";
      return;
    }
    folder = pattern;
    fs::create_directories(folder + "/Quenta");
    std::ofstream(folder + "/Quenta/Quenta.cfg", std::ios::binary)
        << "000, 2, Yes; Log Index/ Max Log Index/ Logging\r\n";
    if (chdir(folder.c_str()) != 0) {
      error = "chdir failed";
      return;
    }
    void *library = dlopen(QUENTA_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
      error = dlerror();
      return;
    }
    quenta = reinterpret_cast<QuentaFunction>(dlsym(library, "Quenta"));
    if (!fs::exists("Quenta/Quenta.csv"))
      error = "logging is off: another process has the library loaded in a lifetime without logging";
  }
  ~Logger() {
    std::error_code ec;
    fs::remove_all(folder, ec);
  }
};

Logger &TheLogger() {
  static Logger logger;
  return logger;
}

void Record(QuentaFunction quenta, int i) {
  quenta(1, "bench/LogBenchmark.cpp", 40, "a benchmark record of a typical length, 42 bytes", i, i);
}

void BM_LogOneProcess(benchmark::State &state) {
  Logger &logger = TheLogger();
  if (!logger.error.empty()) {
    state.SkipWithError(logger.error.c_str());
    return;
  }
  int i = 0;
  for (auto _ : state) Record(logger.quenta, ++i);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LogOneProcess);

// Each iteration forks the given number of processes, each writing
// kPerProcess records, and waits for them all.
void BM_LogProcesses(benchmark::State &state) {
  Logger &logger = TheLogger();
  if (!logger.error.empty()) {
    state.SkipWithError(logger.error.c_str());
    return;
  }
  constexpr int kPerProcess = 5000;
  const int processes = static_cast<int>(state.range(0));
  for (auto _ : state) {
    std::vector<pid_t> children;
    for (int p = 0; p < processes; ++p) {
      const pid_t child = fork();
      if (child == 0) {
        for (int i = 1; i <= kPerProcess; ++i) Record(logger.quenta, i);
        _exit(0);
      }
      children.push_back(child);
    }
    for (pid_t child : children) waitpid(child, nullptr, 0);
  }
  state.SetItemsProcessed(state.iterations() * processes * kPerProcess);
}
BENCHMARK(BM_LogProcesses)->Arg(1)->Arg(4)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
