// Cost of the settings store's reads (which check the file for changes made by another process)
// and of its atomic rewrites, against an in-memory tree lookup as the baseline.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "app/registry_tree.h"
#include "app/settings.h"
#include "app/settings_store.h"

namespace {

std::filesystem::path BenchFile() {
  return std::filesystem::temp_directory_path() / "korvane-bench-settings.reg";
}

void FillServers(korvane::SettingsStore& store, int servers) {
  store.Update([servers](korvane::RegistryTree& tree) {
    for (int n = 1; n <= servers; ++n) {
      const std::string key = "Software\\KVN\\Servers\\Server" + std::to_string(n);
      tree.SetValue(key, "Name", korvane::RegistryValue::String("server" + std::to_string(n)));
      tree.SetValue(key, "SQLAuth", korvane::RegistryValue::Dword(1));
    }
  });
}

void BM_TreeLookup(benchmark::State& state) {
  korvane::RegistryTree tree;
  tree.SetValue("HKEY_CURRENT_USER\\Software\\KVN\\Comparisons", "IgnoreColSeq",
                korvane::RegistryValue::Dword(1));
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        tree.FindValue("HKEY_CURRENT_USER\\Software\\KVN\\Comparisons", "IgnoreColSeq"));
  }
}
BENCHMARK(BM_TreeLookup);

void BM_StoreRead(benchmark::State& state) {
  std::filesystem::remove(BenchFile());
  korvane::SettingsStore store(BenchFile());
  FillServers(store, static_cast<int>(state.range(0)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(korvane::ReadBoolean(store, korvane::Setting::kIgnoreColSeq));
  }
  std::filesystem::remove(BenchFile());
}
BENCHMARK(BM_StoreRead)->Arg(1)->Arg(50);

void BM_StoreWrite(benchmark::State& state) {
  std::filesystem::remove(BenchFile());
  korvane::SettingsStore store(BenchFile());
  FillServers(store, static_cast<int>(state.range(0)));
  std::uint32_t value = 0;
  for (auto _ : state) {
    korvane::WriteNumber(store, korvane::Setting::kTimeout, ++value);
  }
  std::filesystem::remove(BenchFile());
}
BENCHMARK(BM_StoreWrite)->Arg(1)->Arg(50);

}  // namespace
