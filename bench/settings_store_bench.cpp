// Cost of the settings store's reads (which check the file for changes made by another process)
// and of its atomic rewrites, against an in-memory tree lookup as the baseline. The
// "file_checks" counter is the number of times the file's status was looked at per operation:
// one for a whole load of the settings, as for a single read.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "app/settings.h"
#include "base/registry_tree.h"
#include "base/settings_store.h"

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
  const std::uint64_t before = store.file_checks();
  for (auto _ : state) {
    benchmark::DoNotOptimize(korvane::ReadBoolean(store, korvane::Setting::kIgnoreColSeq));
  }
  state.counters["file_checks"] = benchmark::Counter(
      static_cast<double>(store.file_checks() - before), benchmark::Counter::kAvgIterations);
  std::filesystem::remove(BenchFile());
}
BENCHMARK(BM_StoreRead)->Arg(1)->Arg(50);

// Loading every setting read at start-up: one operation, one look at the file.
void BM_LoadSettings(benchmark::State& state) {
  std::filesystem::remove(BenchFile());
  korvane::SettingsStore store(BenchFile());
  FillServers(store, static_cast<int>(state.range(0)));
  const std::uint64_t before = store.file_checks();
  for (auto _ : state)
    benchmark::DoNotOptimize(korvane::LoadSettings(store, true));
  state.counters["file_checks"] = benchmark::Counter(
      static_cast<double>(store.file_checks() - before), benchmark::Counter::kAvgIterations);
  std::filesystem::remove(BenchFile());
}
BENCHMARK(BM_LoadSettings)->Arg(1)->Arg(50);

// Reading a store of many keys from its text.
void BM_ParseStore(benchmark::State& state) {
  std::string text = "Windows Registry Editor Version 5.00\r\n\r\n";
  for (int n = 0; n < state.range(0); ++n) {
    text += "[HKEY_CURRENT_USER\\Software\\KVN\\Servers\\Server" + std::to_string(n) +
            "]\r\n\"Name\"=\"s\"\r\n\r\n";
  }
  for (auto _ : state)
    benchmark::DoNotOptimize(korvane::RegistryTree::Parse(text));
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ParseStore)->Arg(1000)->Arg(10000)->Arg(100000)->Complexity();

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
