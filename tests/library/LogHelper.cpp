// A process that loads the library given as its argument and runs commands
// from standard input, one a line, fields separated by tabs, answering each
// with a line beginning "ok":
//   log <count> <tag>      records "<tag> <i>" for i = 1..count (line i, number i, value i)
//   record <code> <file> <line> <text> <number> <value>
//   modulate <text>        answers with the scrambled text
//   hook <operation>       the test copy's QuentaTestHook; answers with its result and text
//   symbol <name>          answers 1 when the library exports that name
//   limit-file-size <bytes> no file of this process grows past that size (writes
//                          beyond it fail instead of raising a signal)
//   fork-log <count> <tag> a forked child logs like "log", answers "child" and
//                          the hook's state, and exits; then the answer "ok"
// It ends at the end of its input. With a second argument "--no-stderr" it
// closes its standard error before it loads the library.
#include <dlfcn.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "library/Quenta.h"

namespace {

using HookFunction = int (*)(const char *, char *, int);

std::vector<std::string> Fields(const std::string &line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    const size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab - start));
    if (tab == std::string::npos) return fields;
    start = tab + 1;
  }
}

int32_t Number(const std::string &text) { return static_cast<int32_t>(std::strtoll(text.c_str(), nullptr, 0)); }

}  // namespace

int main(int argc, char **argv) {
  if (argc < 2) return 2;
  if (argc > 2 && std::string(argv[2]) == "--no-stderr") close(2);
  void *library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    std::fprintf(stderr, "helper: %s\n", dlerror());
    return 3;
  }
  auto quenta = reinterpret_cast<QuentaFunction>(dlsym(library, "Quenta"));
  auto modulate = reinterpret_cast<ModulateFunction>(dlsym(library, "Modulate"));
  auto hook = reinterpret_cast<HookFunction>(dlsym(library, "QuentaTestHook"));
  if (quenta == nullptr || modulate == nullptr) return 4;

  std::string line;
  while (std::getline(std::cin, line)) {
    const std::vector<std::string> f = Fields(line);
    std::string answer = "ok";
    if (f[0] == "log" && f.size() == 3) {
      const int count = Number(f[1]);
      for (int i = 1; i <= count; ++i) {
        const std::string text = f[2] + " " + std::to_string(i);
        quenta(1, "tests/library/LogHelper.cpp", i, text.c_str(), i, i);
      }
    } else if (f[0] == "fork-log" && f.size() == 3 && hook != nullptr) {
      const pid_t child = fork();
      if (child == 0) {
        for (int i = 1; i <= Number(f[1]); ++i) {
          const std::string text = f[2] + " " + std::to_string(i);
          quenta(1, "tests/library/LogHelper.cpp", i, text.c_str(), i, i);
        }
        char out[256];
        hook("state", out, sizeof out);
        std::cout << "child " << out << std::endl;
        std::exit(0);  // unloads the library normally
      }
      waitpid(child, nullptr, 0);
    } else if (f[0] == "record" && f.size() == 7) {
      quenta(Number(f[1]), f[2].c_str(), Number(f[3]), f[4].c_str(), Number(f[5]), Number(f[6]));
    } else if (f[0] == "modulate" && f.size() == 2) {
      char buffer[2052];
      modulate(buffer, f[1].c_str(), 0);
      answer += " ";
      answer += buffer;
    } else if (f[0] == "hook" && f.size() == 2 && hook != nullptr) {
      char out[256];
      const int result = hook(f[1].c_str(), out, sizeof out);
      // Appended piece by piece: GCC 12 at -O3 misreads "literal" + temporary as overlapping copies.
      answer += " ";
      answer += std::to_string(result);
      answer += " ";
      answer += out;
    } else if (f[0] == "limit-file-size" && f.size() == 2) {
      signal(SIGXFSZ, SIG_IGN);
      const rlimit limit{static_cast<rlim_t>(std::strtoull(f[1].c_str(), nullptr, 10)),
                         static_cast<rlim_t>(std::strtoull(f[1].c_str(), nullptr, 10))};
      if (setrlimit(RLIMIT_FSIZE, &limit) != 0) answer = "error setrlimit";
    } else if (f[0] == "symbol" && f.size() == 2) {
      answer += dlsym(library, f[1].c_str()) != nullptr ? " 1" : " 0";
    } else {
      answer = "error " + line;
    }
    std::cout << answer << std::endl;
  }
  return 0;
}
