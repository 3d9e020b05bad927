// The settings store when a program dies while saving, when another holds it locked, and when it
// cannot be written: a layout once saved is never lost or torn, and the program goes on.
#include <grp.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <random>
#include <thread>
#include <vector>

#include "support/store_files.h"
#include "tovdock/dock.h"
#include "tovdock/headless.h"
#include "tovdock/host.h"

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
  const long generation = std::strtol(value.c_str(), nullptr, 10);
  return generation >= 0 && generation < (1L << 40) && value == valueOf(k, generation) ? generation : -1;
}

using StoreCrash = StoreFolderTest;

TEST_F(StoreCrash, KilledWhileSavingLeavesEveryKeyWholeOldOrNew) {
  {
    DefaultHostServices services(store);
    for (int k = 0; k < kKeys; ++k)
      services.SaveSetting("DockBar", keyOf(k), valueOf(k, 0), 0);
    ASSERT_TRUE(services.persistent());
  }
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  std::map<int, long> last;
  std::mt19937 random(20261206);
  constexpr int kKills = 150;
  long generation = 1;
  int advanced = 0;
  for (int run = 0; run < kKills; ++run) {
    // Every other kill waits for the store to be open, so that however slow the machine, many
    // fall among the saves; the others may also fall while the store is opened or recovered.
    const bool afterOpen = run % 2 == 1;
    int acks[2];
    ASSERT_EQ(pipe(acks), 0);
    // The saver saves every key over and over, generation after generation. It sends the key and
    // generation of every save that is in the store, as soon as nothing is pending.
    const pid_t pid = spawn([&] {
      DefaultHostServices services(store);
      services.persistent();
      if (afterOpen && write(ready[1], "r", 1) != 1) return 3;
      std::vector<std::array<long, 2>> unwritten;
      for (long g = generation;; ++g)
        for (int k = 0; k < kKeys; ++k) {
          services.SaveSetting("DockBar", keyOf(k), valueOf(k, g), 0);
          unwritten.push_back({k, g});
          if (services.pendingSaves() != 0) continue;
          const auto bytes = unwritten.size() * sizeof unwritten[0];
          if (write(acks[1], unwritten.data(), bytes) != static_cast<ssize_t>(bytes)) return 5;
          unwritten.clear();
        }
    });
    close(acks[1]);
    ASSERT_GT(pid, 0);
    char byte = 0;
    ASSERT_TRUE(!afterOpen || read(ready[0], &byte, 1) == 1);
    std::this_thread::sleep_for(
        std::chrono::microseconds(std::uniform_int_distribution<int>(0, 20000)(random)));
    ASSERT_TRUE(kill(pid, SIGKILL) == 0 && exitCode(pid) == -1)
        << "the saver stopped by itself in run " << run;
    std::map<int, long> acknowledged;  // the last save of each key the saver saw written
    for (std::array<long, 2> ack; read(acks[0], &ack, sizeof ack) == static_cast<ssize_t>(sizeof ack);)
      acknowledged[static_cast<int>(ack[0])] = ack[1];
    close(acks[0]);

    DefaultHostServices services(store);
    ASSERT_TRUE(services.persistent()) << "run " << run;  // the reason is on stderr
    for (int k = 0; k < kKeys; ++k) {
      const std::string value = services.GetSetting("DockBar", keyOf(k), 0);
      const long g = generationOf(k, value);
      // Whole, and saves that returned before the kill are kept: a key never goes back to an older
      // value, and holds at least the last save the saver saw written.
      ASSERT_GE(g, std::max(last[k], acknowledged[k]))
          << "run " << run << ", " << keyOf(k) << ": torn, missing or lost (" << value.substr(0, 40) << ")";
      advanced += g > last[k];
      last[k] = g;
      generation = std::max(generation, g + 1);
    }
  }
  // The kills fell while saves were going on, not only before the first one.
  EXPECT_GT(advanced, kKills / 4);
}

/// A dock with three resizable keyed bars over the store at `path`, shown in a running application.
struct ShownDock {
  explicit ShownDock(const fs::path& path, bool guarded = false)
      : services(std::make_shared<DefaultHostServices>(path)),
        toolkit((HostServices::setInstance(services), std::make_shared<headless::HeadlessToolkit>())),
        dock(TovDock::create(toolkit)),
        ui(dock->surface()) {
    ui.setUserMode(true), dock->resize(6000, 3000);
    for (const char* key : {"a", "b", "c"})
      if (BarRef b = dock->Bars()->Add()) b->setKey(key), b->setTitle(key), b->setAllowResize(true);
    dock->setGuardedRecords(guarded);
    dock->setShow(true);
  }
  ~ShownDock() {
    dock.reset();  // terminating saves again
    HostServices::setInstance(nullptr);
  }
  BarRef b() { return dock->Bars()->ItemByKey("b"); }
  std::int32_t indexOf(const char* key) { return dock->Bars()->ItemByKey(key)->Index(); }

  std::shared_ptr<DefaultHostServices> services;
  std::shared_ptr<headless::HeadlessToolkit> toolkit;
  DockRef dock;
  headless::Driver ui;
};

TEST_F(StoreCrash, AStoreAnotherProcessKeepsLockedLosesNoSave) {
  { DefaultHostServices(store).SaveSetting("Other", "made", "by this library", 0); }
  // A store made by hand in rollback mode: there the lock keeps readers out too, so it cannot even
  // be opened while it is held.
  const auto handMade = dir / "handmade.sqlite";
  sqlite(handMade, std::string(kMeta) + kSettings);
  int locked[2];
  ASSERT_EQ(pipe(locked), 0);
  const pid_t locker = spawn([&] {  // holds the locks until it is killed, 30 s at most
    sqlite3* dbs[2] = {};
    for (int i = 0; i < 2; ++i)
      if (sqlite3_open((i ? handMade : store).c_str(), &dbs[i]) != SQLITE_OK ||
          sqlite3_exec(dbs[i], "BEGIN EXCLUSIVE; INSERT INTO settings VALUES('Locker', 'k', 'v');", nullptr,
                       nullptr, nullptr) != SQLITE_OK)
        return 3;
    return write(locked[1], "l", 1) == 1 ? pause() : 4;
  });
  close(locked[1]);
  char byte = 0;
  ASSERT_EQ(read(locked[0], &byte, 1), 1) << "the locker could not lock both stores";
  close(locked[0]);

  // A busy store is tried again later, not given up; meanwhile the saves are read back from memory.
  auto hand = std::make_unique<DefaultHostServices>(handMade);
  hand->SaveSetting("DockBar", "k", "first", 0);
  hand->SaveSetting("DockBar", "k", "second", 0);
  EXPECT_EQ(std::tuple(hand->GetSetting("DockBar", "k", 0), hand->pendingSaves(), hand->persistent()),
            std::tuple("second", 1u, true));
  testing::internal::CaptureStderr();
  auto shown = std::make_unique<ShownDock>(store);
  shown->dock->collapseBar(shown->b()->Index());
  EXPECT_EQ(std::tuple(shown->b()->State(), shown->services->pendingSaves() > 0,
                       shown->services->GetSetting("DockBar", "b", 0)),
            std::tuple(eBarCollapsed, true, "2:1:0:1000"));

  // The transactions end with the process, unwritten.
  ASSERT_TRUE(kill(locker, SIGKILL) == 0 && exitCode(locker) == -1);
  EXPECT_TRUE(hand->flush());
  EXPECT_EQ(hand->pendingSaves(), 0u);
  hand.reset();
  EXPECT_EQ(DefaultHostServices(handMade).GetSetting("DockBar", "k", 0), "second");
  shown.reset();  // writes what is still pending
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "a busy store is no failure";
  EXPECT_EQ(DefaultHostServices(store).GetSetting("DockBar", "b", 0), "2:1:0:1000");
  EXPECT_EQ(ShownDock(store).b()->State(), eBarCollapsed) << "the next run restores the layout";
}

TEST_F(StoreCrash, ALayoutTheStoreCouldNotGiveIsNotOverwrittenByTheDefaults) {
  // Rollback mode: the locker keeps readers out, so the first show reads nothing.
  sqlite(store, std::string(kMeta) + kSettings +
                    "INSERT INTO settings VALUES('DockBar', 'a', '3:1:1:700'), ('DockBar', 'b', '1:1:0:900'),"
                    " ('DockBar', 'c', '2:1:1:1100');");
  const std::string stored = readFile(store);
  int locked[2];
  ASSERT_EQ(pipe(locked), 0);
  const pid_t locker = spawn([&] {
    sqlite3* db = nullptr;
    if (sqlite3_open(store.c_str(), &db) != SQLITE_OK ||
        sqlite3_exec(db, "BEGIN EXCLUSIVE; INSERT INTO settings VALUES('Locker', 'k', 'v');", nullptr,
                     nullptr, nullptr) != SQLITE_OK)
      return 3;
    return write(locked[1], "l", 1) == 1 ? pause() : 4;
  });
  close(locked[1]);
  char byte = 0;
  ASSERT_EQ(read(locked[0], &byte, 1), 1);
  close(locked[0]);
  {
    ShownDock shown(store, true);
    EXPECT_EQ(shown.b()->State(), eBarExpanded) << "nothing was read";
    ASSERT_TRUE(kill(locker, SIGKILL) == 0 && exitCode(locker) == -1);
    shown.dock->setBarHeight(shown.indexOf("b"), 1500);
  }
  // The user's changes of a layout never read are not kept; the stored one is.
  EXPECT_EQ(readFile(store), stored);
  EXPECT_EQ(ShownDock(store, true).b()->State(), eBarCollapsed);
}

TEST_F(StoreCrash, TwoRunsOfOneDockKeepEachOthersChangesToBarsTheyLeftAlone) {
  {
    DefaultHostServices services(store);
    for (const char* key : {"a", "b", "c"})
      services.SaveSetting("DockBar", key, std::to_string(key[0] - 'a' + 1) + ":1:1:1000", 0);
  }
  int shownPipe[2], goPipe[2];
  ASSERT_EQ(pipe(shownPipe), 0);
  ASSERT_EQ(pipe(goPipe), 0);
  const pid_t first = spawn([&] {
    ShownDock run(store, true);
    char byte = 0;
    if (write(shownPipe[1], "s", 1) != 1 || read(goPipe[0], &byte, 1) != 1) return 3;
    run.dock->collapseBar(run.indexOf("a"));
    return 0;  // closing saves
  });
  char byte = 0;
  ASSERT_EQ(read(shownPipe[0], &byte, 1), 1);
  {
    ShownDock second(store, true);
    second.dock->collapseBar(second.indexOf("c"));
  }
  ASSERT_EQ(write(goPipe[1], "g", 1), 1);
  EXPECT_EQ(exitCode(first), 0);
  DefaultHostServices after(store);
  EXPECT_EQ(after.GetSetting("DockBar", "a", 0), "1:1:0:1000");
  EXPECT_EQ(after.GetSetting("DockBar", "c", 0), "3:1:0:1000") << "the run that closed last kept it";
}

TEST_F(StoreCrash, ADockOverAStoreThisUserCannotWriteRestoresItsLayout) {
  // Root writes any file whatever its mode: the dock runs in a child that is another user.
  const auto folder = dir / "read-only", readOnlyStore = folder / "settings.sqlite";
  {
    DefaultHostServices services(readOnlyStore);
    services.SaveSetting("DockBar", "a", "1:1:1:1000", 0);
    services.SaveSetting("DockBar", "b", "2:1:0:260", 0);
    services.SaveSetting("DockBar", "c", "3:1:1:1000", 0);
  }
  ASSERT_TRUE(chmod(dir.c_str(), 0755) == 0 && chmod(folder.c_str(), 0555) == 0 &&
              chmod(readOnlyStore.c_str(), 0444) == 0);
  const std::string bytes = readFile(readOnlyStore);

  constexpr int kCannotArrange = 77;
  const auto [code, err] = inChild([&] {
    if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0))
      return kCannotArrange;
    if (access(readOnlyStore.c_str(), R_OK) != 0 || access(readOnlyStore.c_str(), W_OK) == 0 ||
        access(folder.c_str(), W_OK) == 0)
      return kCannotArrange;
    ShownDock shown(readOnlyStore);
    if (shown.b()->State() != eBarCollapsed) return 10;  // the layout is restored
    // The first save that cannot be kept is reported.
    shown.dock->expandBar(shown.b()->Index()), shown.dock->collapseBar(shown.b()->Index());
    shown.dock->expandBar(shown.b()->Index());
    if (shown.b()->State() != eBarExpanded || shown.services->GetSetting("DockBar", "b", 0) != "2:1:1:260")
      return 11;
    if (shown.services->persistent() || shown.services->pendingSaves() == 0) return 13;
    shown.dock.reset();
    return shown.toolkit->messages().empty() ? 0 : 14;  // a store problem is no reason to interrupt the user
  });
  if (code == kCannotArrange) GTEST_SKIP() << "no user here to whom the store is read-only";
  EXPECT_TRUE(code == 0 && reports(err) == 1 && err.find("cannot be written") != std::string::npos)
      << code << err;
  EXPECT_EQ(readFile(readOnlyStore), bytes);
  // Nothing appeared next to it: no journal, no WAL.
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
  chmod(folder.c_str(), 0700);
}

}  // namespace
}  // namespace tov::test
