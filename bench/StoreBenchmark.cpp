// Cipher throughput and a full archive's save and read.
#include <benchmark/benchmark.h>

#include <array>
#include <dlfcn.h>
#include <string>

#include "library/Quenta.h"
#include "store/CipherLibrary.h"
#include "store/Module1.h"
#include "store/Vault.h"
#include "tests/support/ScriptedMessageBox.h"
#include "tests/support/TempFolder.h"

namespace {

ModulateFunction Modulate() {
  static void *handle = dlopen(QUENTA_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
  static auto fn = reinterpret_cast<ModulateFunction>(dlsym(handle, "Modulate"));
  return fn;
}

std::string Record510() {
  std::string r;
  while (r.size() < 510) r += "Bank-0042,alice@example.org,S3cr3t!,";
  r.resize(510);
  return r;
}

void BM_Scramble510(benchmark::State &state) {
  const std::string plain = Record510();
  std::array<char, 2052> out{};
  for (auto _ : state) benchmark::DoNotOptimize(Modulate()(out.data(), plain.c_str(), 0));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 510);
}
BENCHMARK(BM_Scramble510);

void BM_Unscramble510(benchmark::State &state) {
  std::array<char, 2052> scrambled{};
  Modulate()(scrambled.data(), Record510().c_str(), 0);
  std::array<char, 1025> out{};
  for (auto _ : state) benchmark::DoNotOptimize(Modulate()(out.data(), scrambled.data(), 1));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 510);
}
BENCHMARK(BM_Unscramble510);

// 99 rows by 9 columns, each record near the 510-byte limit (about 480 bytes).
void FillFullTable() {
  using namespace Module1;
  RowCount = 99;
  ColumnCount = 9;
  for (int c = 1; c <= 9; ++c) ColumnTitles[c] = "Column " + std::to_string(c);
  for (int r = 0; r < 99; ++r) {
    VaultTable[r][0] = r == 97 ? "LoginPassword" : "Item" + std::to_string(r);
    for (int c = 1; c <= 9; ++c) VaultTable[r][c] = std::string(47, static_cast<char>('a' + c));
  }
  HintText = VaultTable[97][1].substr(0, 10);
}

void BM_WriteVaultFull(benchmark::State &state) {
  store::SetCipherLibraryPath(QUENTA_LIBRARY_PATH);
  TempFolder folder;
  ScriptedMessageBox box;
  FillFullTable();
  for (auto _ : state)
    if (!WriteVault()) state.SkipWithError("the archive was not written");
}
BENCHMARK(BM_WriteVaultFull)->Unit(benchmark::kMicrosecond);

void BM_ReadVaultFull(benchmark::State &state) {
  store::SetCipherLibraryPath(QUENTA_LIBRARY_PATH);
  TempFolder folder;
  ScriptedMessageBox box;
  FillFullTable();
  if (!WriteVault()) state.SkipWithError("the archive was not written");
  for (auto _ : state) {
    Module1::RowCount = 99;
    Module1::ColumnCount = 9;
    if (ReadVault() != 99) state.SkipWithError("the archive did not read back");
  }
}
BENCHMARK(BM_ReadVaultFull)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
