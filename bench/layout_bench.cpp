// Cost of the layout routines for 10 to 10,000 bars on the headless backend.
#include <benchmark/benchmark.h>

#include "support/dock_access.h"
#include "support/memory_host.h"
#include "tovdock/headless.h"
#include "tovdock/host.h"

#include <malloc.h>
#include <unistd.h>

#include <filesystem>

namespace tov {
namespace {

// Whether showing 10,000 bars found its memory freed in the heap or had the system give it fresh
// pages depended on what ran before it under glibc's adaptive thresholds, down to the output
// format: 32 ms in one run and 94 ms in the next. The benchmarks run with fixed thresholds, so
// blocks freed by an earlier fixture are reused, as in the Qt benchmark.
const bool kFixedThresholds = [] {
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 128 << 20);
  return true;
}();

// A hosted control that only keeps its geometry, as a real widget would.
class PlainControl : public Control {
 public:
  Value invoke(std::string_view member, Access access, std::span<const Value> args) override {
    if (member == "Move") {
      left = valueToDouble(args[0]);
      top = valueToDouble(args[1]);
      width = valueToDouble(args[2]);
    } else if (member == "Height") {
      if (access == Access::Let) height = valueToDouble(args[0]);
      return height;
    } else if (member == "Visible") {
      if (access == Access::Let) visible = valueToBool(args[0]);
      return visible;
    } else {
      throw Failure("Object doesn't support this property or method", errNoSuchMember);
    }
    return {};
  }
  double left = 0, top = 0, width = 0, height = 0;
  bool visible = true;
};

struct Fixture {
  explicit Fixture(int n, bool show = true, std::shared_ptr<HostServices> services = nullptr) {
    HostServices::setInstance(services ? services : host);
    dock = TovDock::create(toolkit);
    // 402 twips for each bar at every N: showing the dock sizes each bar from 1000 to 402 in one
    // step. A fixed margin on top of 400 per bar would leave 10,000 bars a share below the smallest
    // automatic height, and the sizing would take every one of its steps there, a case of its own.
    dock->resize(8000, 402.0 * n);
    for (int i = 1; i <= n; ++i) {
      BarRef b = dock->Bars()->Add();
      b->setKey("bar" + std::to_string(i));
      b->setTitle("Element " + std::to_string(i));
      b->setTitleRight("rechts");
      b->setShowClose(true);
      b->setShowOptions(true);
      b->setAllowResize(true);
      b->setAlignBar(1 + (i % 4));
      b->setHeight(1000);
      b->setControl(std::make_shared<PlainControl>());
    }
    if (show) dock->setShow(true);
  }
  ~Fixture() {
    dock.reset();
    HostServices::setInstance(nullptr);
  }
  std::shared_ptr<headless::HeadlessToolkit> toolkit = std::make_shared<headless::HeadlessToolkit>();
  std::shared_ptr<test::MemoryHost> host = std::make_shared<test::MemoryHost>();
  DockRef dock;
};

void BM_OrderBars(benchmark::State& state) {
  Fixture f(static_cast<int>(state.range(0)));
  DockTestAccess acc(*f.dock);
  for (auto _ : state)
    acc.OrderBars(false);
  state.SetComplexityN(state.range(0));
}

void BM_AutoSize(benchmark::State& state) {
  Fixture f(static_cast<int>(state.range(0)));
  TovDockPrivate& acc = TovDockPrivate::of(*f.dock);
  double h = f.dock->Height();
  for (auto _ : state) {
    // Alternate the dock height so every run has work to do.
    h = h > 400.0 * state.range(0) + 1000 ? h - 2000 : h + 2000;
    f.dock->surface().setHeight(h);
    acc.pAutoSize();
  }
  state.SetComplexityN(state.range(0));
}

void BM_SetHeightMax(benchmark::State& state) {
  Fixture f(static_cast<int>(state.range(0)));
  TovDockPrivate& acc = TovDockPrivate::of(*f.dock);
  for (auto _ : state)
    acc.pSetHeightMax();
  state.SetComplexityN(state.range(0));
}

void BM_ResizeBarStep(benchmark::State& state) {
  Fixture f(static_cast<int>(state.range(0)));
  TovDockPrivate& acc = TovDockPrivate::of(*f.dock);
  BarRef b = f.dock->Bars()->ItemByOrderVisible(1);
  std::int32_t h = b->Height();
  for (auto _ : state) {
    h = h == 1200 ? 1100 : 1200;
    b->setHeight(h);
    acc.pResizeBar(static_cast<std::int16_t>(b->Index()));
  }
  state.SetComplexityN(state.range(0));
}

void BM_ShowFreshDock(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto f = std::make_unique<Fixture>(static_cast<int>(state.range(0)), false);
    state.ResumeTiming();
    f->dock->setShow(true);
    state.PauseTiming();
    f.reset();
    state.ResumeTiming();
  }
  state.SetComplexityN(state.range(0));
}

// Saving and loading through the dock with the default SQLite store, as a user's change does.
struct SqliteDock {
  SqliteDock()
      : dir(std::filesystem::temp_directory_path() / ("tovdock-bench-" + std::to_string(::getpid()))),
        fixture(100, true, std::make_shared<DefaultHostServices>(dir / "settings.sqlite")) {}
  ~SqliteDock() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  std::filesystem::path dir;
  Fixture fixture;
};

void BM_DockSaveSettings100(benchmark::State& state) {
  SqliteDock d;
  DockTestAccess acc(*d.fixture.dock);
  for (auto _ : state)
    acc.pSaveSettings();
}

void BM_DockLoadSettings100(benchmark::State& state) {
  SqliteDock d;
  DockTestAccess acc(*d.fixture.dock);
  acc.pSaveSettings();
  for (auto _ : state)
    acc.pLoadSettings();
}

BENCHMARK(BM_DockSaveSettings100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DockLoadSettings100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OrderBars)->RangeMultiplier(10)->Range(10, 10000)->Unit(benchmark::kMicrosecond)->Complexity();
BENCHMARK(BM_AutoSize)->RangeMultiplier(10)->Range(10, 10000)->Unit(benchmark::kMicrosecond)->Complexity();
BENCHMARK(BM_SetHeightMax)
    ->RangeMultiplier(10)
    ->Range(10, 10000)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity();
BENCHMARK(BM_ResizeBarStep)
    ->RangeMultiplier(10)
    ->Range(10, 10000)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity();
BENCHMARK(BM_ShowFreshDock)
    ->RangeMultiplier(10)
    ->Range(10, 10000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Complexity();

}  // namespace
}  // namespace tov
