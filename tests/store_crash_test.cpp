// The settings store when a program dies while saving, when several save at once, and when the
// store cannot be written: a layout once saved is never lost or torn, and the program goes on.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <thread>

#include "support/dock_access.h"
#include "tovdock/dock.h"
#include "tovdock/headless.h"
#include "tovdock/host.h"

namespace fs = std::filesystem;

namespace tov::test {
namespace {

constexpr int kKeys = 24;

std::string keyOf(int k) {
  return "bar" + std::to_string(k);
}

/// A value that shows whole or torn: its generation, its key, and a fill whose length and
/// letter follow from both (some fills span several database pages).
std::string valueOf(int k, long generation) {
  const auto size = static_cast<std::size_t>((generation * 7919 + k * 104729) % 9000);
  return std::to_string(generation) + ":" + keyOf(k) + ":" +
         std::string(size, static_cast<char>('a' + (generation + k) % 26));
}

/// The generation of a whole value of key `k`, or -1 for anything else.
long generationOf(int k, const std::string& value) {
  const auto colon = value.find(':');
  if (colon == std::string::npos || colon == 0) return -1;
  long generation = -1;
  try {
    generation = std::stol(value.substr(0, colon));
  } catch (const std::exception&) {
    return -1;
  }
  return value == valueOf(k, generation) ? generation : -1;
}

class StoreCrash : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "tovdock-crash-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir = pattern;
    store = dir / "settings.sqlite";
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }

  /// A child that saves every key over and over, generation after generation, from `first` on.
  /// With `ready`, it writes a byte there once the store is open.
  pid_t startSaver(long first, int keyOffset, int ready = -1) {
    const pid_t pid = fork();
    if (pid != 0) return pid;
    alarm(30);  // never outlives a test that failed to kill it
    DefaultHostServices services(store);
    services.persistent();
    if (ready >= 0 && write(ready, "r", 1) != 1) _exit(3);
    for (long g = first;; ++g)
      for (int k = 0; k < kKeys; ++k)
        services.SaveSetting("DockBar", keyOf(k + keyOffset), valueOf(k + keyOffset, g), 0);
  }

  fs::path dir;
  fs::path store;
};

TEST_F(StoreCrash, KilledWhileSavingLeavesEveryKeyWholeOldOrNew) {
  {
    DefaultHostServices services(store);
    for (int k = 0; k < kKeys; ++k)
      services.SaveSetting("DockBar", keyOf(k), valueOf(k, 0), 0);
    ASSERT_TRUE(services.persistent());
  }
  std::map<int, long> last;
  for (int k = 0; k < kKeys; ++k)
    last[k] = 0;

  std::mt19937 random(20261206);
  constexpr int kKills = 150;
  long generation = 1;
  int advanced = 0;
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  for (int run = 0; run < kKills; ++run) {
    // Every other kill waits for the store to be open, so that however slow the machine, many
    // fall among the saves; the others may also fall while the store is opened or recovered.
    const bool afterOpen = run % 2 == 1;
    const pid_t pid = startSaver(generation, 0, afterOpen ? ready[1] : -1);
    ASSERT_GT(pid, 0);
    char byte = 0;
    if (afterOpen) {
      ASSERT_EQ(read(ready[0], &byte, 1), 1);
    }
    std::this_thread::sleep_for(
        std::chrono::microseconds(std::uniform_int_distribution<int>(0, 20000)(random)));
    ASSERT_EQ(kill(pid, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the saver stopped by itself in run " << run;

    testing::internal::CaptureStderr();
    DefaultHostServices services(store);
    const bool usable = services.persistent();
    const std::string err = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(usable) << "run " << run << ": " << err;
    long newest = generation - 1;
    for (int k = 0; k < kKeys; ++k) {
      const std::string value = services.GetSetting("DockBar", keyOf(k), 0);
      const long g = generationOf(k, value);
      ASSERT_GE(g, 0) << "run " << run << ", " << keyOf(k) << ": torn or missing (" << value.substr(0, 40)
                      << ")";
      // Saves that returned before the kill are kept: a key never goes back to an older value.
      ASSERT_GE(g, last[k]) << "run " << run << ", " << keyOf(k);
      if (g > last[k]) ++advanced;
      last[k] = g;
      newest = std::max(newest, g);
    }
    generation = newest + 1;
  }
  close(ready[0]);
  close(ready[1]);
  // The kills fell while saves were going on, not only before the first one.
  EXPECT_GT(advanced, kKills / 4);
  std::printf("%d kills, %d keys found advanced, none torn or lost\n", kKills, advanced);
}

TEST_F(StoreCrash, AWriterKilledAgainAndAgainCostsAnotherWriterNothing) {
  constexpr int kRounds = 150;
  const pid_t steady = fork();
  ASSERT_GE(steady, 0);
  if (steady == 0) {
    alarm(60);
    DefaultHostServices services(store);
    for (int round = 1; round <= kRounds; ++round)
      for (int k = 0; k < kKeys; ++k)
        services.SaveSetting("DockBar", keyOf(100 + k), valueOf(100 + k, round), 0);
    _exit(services.persistent() ? 0 : 4);
  }

  std::mt19937 random(7);
  int kills = 0;
  for (;;) {
    int status = 0;
    const pid_t done = waitpid(steady, &status, WNOHANG);
    ASSERT_GE(done, 0);
    if (done == steady) {
      ASSERT_TRUE(WIFEXITED(status));
      EXPECT_EQ(WEXITSTATUS(status), 0);
      break;
    }
    const pid_t victim = startSaver(1, 0);
    ASSERT_GT(victim, 0);
    std::this_thread::sleep_for(
        std::chrono::microseconds(std::uniform_int_distribution<int>(500, 20000)(random)));
    kill(victim, SIGKILL);
    waitpid(victim, nullptr, 0);
    ++kills;
    ASSERT_LT(kills, 2000) << "the steady writer does not finish";
  }
  EXPECT_GT(kills, 0);

  DefaultHostServices services(store);
  ASSERT_TRUE(services.persistent());
  for (int k = 0; k < kKeys; ++k)
    EXPECT_EQ(generationOf(100 + k, services.GetSetting("DockBar", keyOf(100 + k), 0)), kRounds)
        << keyOf(100 + k);
}

TEST_F(StoreCrash, ADockOverAStoreThatCannotBeWrittenSaysSoOnceAndGoesOn) {
  // A folder where the file should be: opening fails even for root.
  fs::create_directories(store);
  auto services = std::make_shared<DefaultHostServices>(store);
  HostServices::setInstance(services);
  auto toolkit = std::make_shared<headless::HeadlessToolkit>();
  testing::internal::CaptureStderr();
  {
    auto dock = TovDock::create(toolkit);
    headless::Driver ui(dock->surface());
    ui.setUserMode(true);
    dock->resize(6000, 3000);
    for (const char* key : {"a", "b", "c"}) {
      BarRef b = dock->Bars()->Add();
      b->setKey(key);
      b->setTitle(key);
      b->setAllowResize(true);
    }
    dock->setShow(true);
    DockTestAccess(*dock).pSaveSettings();
    std::int32_t sum = 0;
    for (std::int32_t i = 1; i <= 3; ++i)
      sum += dock->Bars()->Item(i)->Height();
    EXPECT_NEAR(sum, 3000, 30) << "the dock still lays its bars out";
    dock->Bars()->Item(2)->setState(eBarCollapsed);
    EXPECT_EQ(dock->Bars()->Item(2)->State(), eBarCollapsed);
  }  // terminating saves again
  const std::string err = testing::internal::GetCapturedStderr();
  HostServices::setInstance(nullptr);
  EXPECT_FALSE(services->persistent());
  std::size_t lines = 0;
  for (auto at = err.find("tovdock:"); at != std::string::npos; at = err.find("tovdock:", at + 1))
    ++lines;
  EXPECT_EQ(lines, 1u) << err;
  EXPECT_NE(err.find(store.string()), std::string::npos) << err;
  EXPECT_TRUE(toolkit->messages().empty()) << "a store problem is no reason to interrupt the user";
}

}  // namespace
}  // namespace tov::test
