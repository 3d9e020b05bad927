// The settings store under a dock when another process holds it locked, changes it at the same time, or
// when it cannot be written: a layout once saved is not lost, and the program goes on.
#include <grp.h>
#include <sys/stat.h>

#include "support/store_files.h"
#include "tovdock/dock.h"
#include "tovdock/headless.h"
#include "tovdock/host.h"

namespace tov::test {
namespace {

using StoreCrash = StoreFolderTest;

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
    dock->setGuardedRecords(guarded), dock->setShow(true);
  }
  ~ShownDock() {
    dock.reset();  // terminating saves again
    HostServices::setInstance(nullptr);
  }
  BarRef bar(const char* key) { return dock->Bars()->ItemByKey(key); }

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
  const pid_t locker = holdLocked({store, handMade});
  ASSERT_GT(locker, 0);

  // A busy store is tried again later, not given up; meanwhile the saves are read back from memory.
  auto hand = std::make_unique<DefaultHostServices>(handMade);
  hand->SaveSetting("DockBar", "k", "first", 0);
  hand->SaveSetting("DockBar", "k", "second", 0);
  EXPECT_EQ(std::tuple(hand->GetSetting("DockBar", "k", 0), hand->pendingSaves(), hand->persistent()),
            std::tuple("second", 1u, true));
  testing::internal::CaptureStderr();
  auto shown = std::make_unique<ShownDock>(store);
  shown->dock->collapseBar(shown->bar("b")->Index());
  EXPECT_EQ(std::tuple(shown->bar("b")->State(), shown->services->pendingSaves() > 0,
                       shown->services->GetSetting("DockBar", "b", 0)),
            std::tuple(eBarCollapsed, true, "2:1:0:1000"));

  // The transactions end with the process, unwritten.
  ASSERT_EQ(killed(locker), -1);
  EXPECT_EQ((std::tuple{hand->flush(), hand->pendingSaves()}), std::tuple(true, 0u));
  hand.reset();
  EXPECT_EQ(DefaultHostServices(handMade).GetSetting("DockBar", "k", 0), "second");
  shown.reset();  // writes what is still pending
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "a busy store is no failure";
  EXPECT_EQ(DefaultHostServices(store).GetSetting("DockBar", "b", 0), "2:1:0:1000");
}

TEST_F(StoreCrash, ALayoutTheStoreCouldNotGiveIsNotOverwrittenByTheDefaults) {
  // Rollback mode: the locker keeps readers out, so the first show reads nothing.
  sqlite(store, std::string(kMeta) + kSettings +
                    "INSERT INTO settings VALUES('DockBar', 'a', '3:1:1:700'), ('DockBar', 'b', '1:1:0:900'),"
                    " ('DockBar', 'c', '2:1:1:1100');");
  const std::string stored = readFile(store);
  const pid_t locker = holdLocked({store});
  ASSERT_GT(locker, 0);
  {
    ShownDock shown(store, true);
    EXPECT_EQ(shown.bar("b")->State(), eBarExpanded) << "nothing was read";
    ASSERT_EQ(killed(locker), -1);
    shown.dock->setBarHeight(shown.bar("b")->Index(), 1500);
  }
  // The user's changes of a layout never read are not kept; the stored one is.
  EXPECT_EQ(readFile(store), stored);
  EXPECT_EQ(ShownDock(store, true).bar("b")->State(), eBarCollapsed);
}

TEST_F(StoreCrash, TwoRunsOfOneDockKeepEachOthersChangesToBarsTheyLeftAlone) {
  {
    DefaultHostServices services(store);
    for (const char* key : {"a", "b", "c"})
      services.SaveSetting("DockBar", key, std::to_string(key[0] - 'a' + 1) + ":1:1:1000", 0);
  }
  int shownPipe[2], goPipe[2];
  ASSERT_EQ(std::pair(pipe(shownPipe), pipe(goPipe)), std::pair(0, 0));
  const pid_t first = spawn([&] {
    ShownDock run(store, true);
    char byte = 0;
    if (write(shownPipe[1], "s", 1) != 1 || read(goPipe[0], &byte, 1) != 1) return 3;
    run.dock->collapseBar(run.bar("a")->Index());
    return 0;  // closing saves
  });
  char byte = 0;
  ASSERT_EQ(read(shownPipe[0], &byte, 1), 1);
  {
    ShownDock second(store, true);
    second.dock->collapseBar(second.bar("c")->Index());
  }
  ASSERT_EQ(write(goPipe[1], "g", 1), 1);
  EXPECT_EQ(exitCode(first), 0);
  DefaultHostServices after(store);  // the run that closed last kept the other's change too
  EXPECT_EQ(std::tuple(after.GetSetting("DockBar", "a", 0), after.GetSetting("DockBar", "c", 0)),
            std::tuple("1:1:0:1000", "3:1:0:1000"));
}

TEST_F(StoreCrash, ADockOverAStoreThisUserCannotWriteRestoresItsLayout) {
  // Root writes any file whatever its mode: the dock runs in a child that is another user.
  const auto folder = dir / "read-only", readOnlyStore = folder / "settings.sqlite";
  {
    DefaultHostServices services(readOnlyStore);
    for (auto [key, value] : {std::pair("a", "1:1:1:1000"), {"b", "2:1:0:260"}, {"c", "3:1:1:1000"}})
      services.SaveSetting("DockBar", key, value, 0);
  }
  ASSERT_EQ(
      std::tuple(chmod(dir.c_str(), 0755), chmod(folder.c_str(), 0555), chmod(readOnlyStore.c_str(), 0444)),
      std::tuple(0, 0, 0));
  const std::string bytes = readFile(readOnlyStore);

  constexpr int kCannotArrange = 77;
  const auto [code, err] = inChild([&] {
    if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0))
      return kCannotArrange;
    if (access(readOnlyStore.c_str(), R_OK) != 0 || access(readOnlyStore.c_str(), W_OK) == 0 ||
        access(folder.c_str(), W_OK) == 0)
      return kCannotArrange;
    ShownDock shown(readOnlyStore);
    const BarRef b = shown.bar("b");
    if (b->State() != eBarCollapsed) return 10;  // the layout is restored
    // The first save that cannot be kept is reported.
    shown.dock->expandBar(b->Index()), shown.dock->collapseBar(b->Index()), shown.dock->expandBar(b->Index());
    if (b->State() != eBarExpanded || shown.services->GetSetting("DockBar", "b", 0) != "2:1:1:260") return 11;
    if (shown.services->persistent() || shown.services->pendingSaves() == 0) return 13;
    shown.dock.reset();
    return shown.toolkit->messages().empty() ? 0 : 14;  // a store problem is no reason to interrupt the user
  });
  if (code == kCannotArrange) GTEST_SKIP() << "no user here to whom the store is read-only";
  EXPECT_EQ(std::tuple(code, reports(err), err.find("cannot be written") != std::string::npos),
            std::tuple(0, 1u, true))
      << err;
  EXPECT_EQ(readFile(readOnlyStore), bytes);
  // Nothing appeared next to it: no journal, no WAL.
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
  chmod(folder.c_str(), 0700);
}

}  // namespace
}  // namespace tov::test
