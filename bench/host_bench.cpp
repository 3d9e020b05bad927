// Settings store speed: a dock saves one record per bar after every user change, so saving the
// records of 100 bars must stay well below what a user notices (budget: 20 ms). The dock saves and
// loads them in one batch each; the `Single` variants make every call on its own.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "tovdock/host.h"

namespace {

constexpr int kBars = 100;
constexpr double kBudgetMs = 20.0;

class TempStore {
 public:
  TempStore() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tovdock-bench-XXXXXX").string();
    if (mkdtemp(pattern.data())) mDir = pattern;
  }
  ~TempStore() {
    std::error_code ec;
    if (!mDir.empty()) std::filesystem::remove_all(mDir, ec);
  }
  std::filesystem::path path() const { return mDir / "settings.sqlite"; }

 private:
  std::filesystem::path mDir;
};

std::vector<std::string> barKeys() {
  std::vector<std::string> keys;
  for (int i = 0; i < kBars; ++i)
    keys.push_back("bar-" + std::to_string(i));
  return keys;
}

/// Checks the mean time of one iteration against the budget after the run.
void checkBudget(benchmark::State& state, std::chrono::steady_clock::duration total) {
  if (state.iterations() == 0) return;
  const double meanMs = std::chrono::duration<double, std::milli>(total).count() / state.iterations();
  state.counters["ms_per_100"] = meanMs;
  if (meanMs > kBudgetMs) state.SkipWithError("over the 20 ms budget for 100 records");
}

// Saves the records of 100 bars per iteration and, with `load`, reads them all back.
void saveRecords(benchmark::State& state, bool load, bool batch = true) {
  TempStore dir;
  tov::DefaultHostServices services(dir.path());
  const auto keys = barKeys();
  if (!services.persistent()) {
    state.SkipWithError("the settings store could not be opened");
    return;
  }
  std::chrono::steady_clock::duration total{};
  int round = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    ++round;
    if (batch) services.BeginSettingsBatch();
    for (int i = 0; i < kBars; ++i)
      services.SaveSetting("DockBar", keys[i], std::to_string(i + 1) + ":1:1:" + std::to_string(2000 + round),
                           0);
    if (batch) services.EndSettingsBatch();
    if (load) {
      std::size_t bytes = 0;
      if (batch) services.BeginSettingsBatch();
      for (int i = 0; i < kBars; ++i)
        bytes += services.GetSetting("DockBar", keys[i], 0).size();
      if (batch) services.EndSettingsBatch();
      benchmark::DoNotOptimize(bytes);
    }
    total += std::chrono::steady_clock::now() - start;
  }
  checkBudget(state, total);
  state.SetItemsProcessed(state.iterations() * kBars);
}

void BM_Save100Records(benchmark::State& state) {
  saveRecords(state, false);
}
void BM_SaveAndLoad100Records(benchmark::State& state) {
  saveRecords(state, true);
}
void BM_SaveAndLoad100RecordsSingle(benchmark::State& state) {
  saveRecords(state, true, false);
}
BENCHMARK(BM_Save100Records)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveAndLoad100Records)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveAndLoad100RecordsSingle)->Unit(benchmark::kMillisecond);

/// A new run of the application: open the store and read every record once.
void BM_OpenAndLoad100Records(benchmark::State& state) {
  TempStore dir;
  const auto keys = barKeys();
  {
    tov::DefaultHostServices services(dir.path());
    for (int i = 0; i < kBars; ++i)
      services.SaveSetting("DockBar", keys[i], "1:1:1:2400", 0);
  }
  for (auto _ : state) {
    tov::DefaultHostServices services(dir.path());
    std::size_t bytes = 0;
    services.BeginSettingsBatch();
    for (int i = 0; i < kBars; ++i)
      bytes += services.GetSetting("DockBar", keys[i], 0).size();
    services.EndSettingsBatch();
    benchmark::DoNotOptimize(bytes);
  }
}
BENCHMARK(BM_OpenAndLoad100Records)->Unit(benchmark::kMillisecond);

}  // namespace
