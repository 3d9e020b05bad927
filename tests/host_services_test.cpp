// The default host services: the settings store, its location, the process-wide object and the scheme;
// and the store under a dock when another process holds it locked, changes it at the same time, or when
// it cannot be written: a layout once saved is not lost, and the program goes on.
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <array>
#include <atomic>
#include <thread>

#include "support/store_files.h"
#include "tovdock/dock.h"
#include "tovdock/headless.h"
#include "tovdock/host.h"

namespace tov::test {
namespace {

/// Bytes that no SQLite file starts with and no page of one holds.
std::string garbage(std::size_t size) {
  return "not a database!\n" + std::string(size - 16, '\x9c');
}

/// Sets or removes an environment variable for one scope.
struct ScopedEnv {
  ScopedEnv(const char* name, const char* value) : name(name) {
    if (const char* was = std::getenv(name)) old = was;
    value ? setenv(name, value, 1) : unsetenv(name);
  }
  ~ScopedEnv() { old ? setenv(name, old->c_str(), 1) : unsetenv(name); }
  const char* name;
  std::optional<std::string> old;
};

TEST_F(HostStoreTest, AHandMadeStoreIsUsedAndAwkwardKeysAndValuesComeBackUnchanged) {
  using namespace std::string_literals;
  // Made by hand exactly as this library makes it, in rollback mode.
  sqlite(store, std::string(kMeta) + kSettings + "INSERT INTO settings VALUES('DockBar', 'made', '007');");
  // Sections and keys are exact, values keep every byte, however long.
  const std::vector<std::tuple<std::string, std::string, std::string>> records{
      {"DockBar", "files", "2:2:1:2400"},
      {"DockBar", "Files", "Größe – 😀\r\n"},
      {"dockbar", "files", ""},
      {"", "", "1.50"},
      {"DockBar", "nul\0inside"s, "before\0after\0"s},
      {"DockBar", "long", std::string(400000, '\n') + "end"}};
  {
    DefaultHostServices services(store);
    std::atomic<int> misread = 0;
    auto saveAndRead = [&](const char* key) {
      for (int round = 0; round < 1000; ++round) {
        services.SaveSetting("DockBar", key, "earlier " + std::to_string(round), 0);
        misread += services.GetSetting("DockBar", key, 0) != "earlier " + std::to_string(round);
      }
    };
    std::jthread(saveAndRead, "files"), std::jthread(saveAndRead, "Files");  // share the connection
    EXPECT_EQ(misread, 0);
    // The hand-made store is read. A batch's reading ends with it; its saves are kept until the
    // outermost end, and read meanwhile.
    DefaultHostServices other(store);
    services.BeginSettingsBatch();
    EXPECT_EQ(services.GetSetting("DockBar", "made", 0), "007");
    services.EndSettingsBatch();
    other.SaveSetting("DockBar", "made", "008", 0);
    services.BeginSettingsBatch();
    services.BeginSettingsBatch();
    EXPECT_EQ(services.GetSetting("DockBar", "made", 0), "008");
    services.SaveSetting("DockBar", "made", "009", 0);
    services.EndSettingsBatch();
    EXPECT_EQ(services.pendingSaves(), 1u);
    services.EndSettingsBatch();
    EXPECT_EQ(other.GetSetting("DockBar", "made", 0), "009");
    for (const auto& [section, key, value] : records)  // later saves replace earlier ones
      services.SaveSetting(section, key, value, 0);
  }
  DefaultHostServices later(store);
  for (const auto& [section, key, value] : records)
    EXPECT_EQ(later.GetSetting(section, key, 0), value) << "section '" << section << "' key '" << key << "'";
}

/// Uses a store that cannot be opened, which must be reported once; a `reason` given is named with the file.
void useUnusableStore(const std::string& what, const std::optional<fs::path>& store,
                      const char* reason = "") {
  testing::internal::CaptureStderr();
  DefaultHostServices services(store, "app");
  services.SaveSetting("DockBar", "files", "1:1:1:2400", 0);
  services.SaveSetting("DockBar", "more", "2:1:1:2400", 0);
  // Nothing kept; store problems are diagnostics, not user messages.
  const auto kept = std::tuple(services.GetSetting("DockBar", "files", 0), services.persistent(),
                               services.messages().size());
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(kept, std::tuple("", false, 0u)) << what;
  EXPECT_EQ(std::tuple(reports(err), err.find(reason) != std::string::npos,
                       !*reason || err.find(services.storePath().string()) != std::string::npos),
            std::tuple(1u, true, true))
      << what << ": " << err;
}

TEST_F(HostStoreTest, CorruptStoresAreReportedOnceAndLeftAsTheyAre) {
  {
    DefaultHostServices services(store);
    for (int k = 0; k < 200; ++k)
      services.SaveSetting("DockBar", "key" + std::to_string(k), garbage(100), 0);
  }
  const auto healthy = readFile(store);
  ASSERT_GT(healthy.size(), 3 * 4096u);
  sqlite(store, "UPDATE meta SET value = '2' WHERE name = 'format'", false);
  const auto newer = readFile(store);
  // Files this library did not write, made with SQLite itself, then damaged copies of a healthy store.
  const std::string both = std::string(kMeta) + kSettings;
  auto settingsAs = [](const std::string& columns) {
    return kMeta +
           ("CREATE TABLE settings(section TEXT NOT NULL, " + columns + ", PRIMARY KEY(section, key));");
  };
  std::vector<std::array<std::string, 3>> damages{
      {"another program's database", "other data",
       "CREATE TABLE settings(id INTEGER PRIMARY KEY, value); INSERT INTO settings VALUES(1, 'x');"},
      {"value declared INTEGER", "column 'value'", settingsAs("key TEXT NOT NULL, value INTEGER NOT NULL")},
      {"trigger", "trigger",
       both + "CREATE TRIGGER t AFTER INSERT ON settings BEGIN UPDATE settings SET value = ''; END;"},
      {"missing column", "2 columns", settingsAs("key TEXT NOT NULL")},
      {"UTF-16 store", "UTF-16", "PRAGMA encoding = 'UTF-16le';" + both}};
  for (auto& damage : damages) {
    sqlite(dir / "scratch.sqlite", damage[2]);
    damage[2] = readFile(dir / "scratch.sqlite");
  }
  std::string pages = healthy, freeCount = healthy;
  pages.replace(4096, healthy.size() - 4096, garbage(healthy.size() - 4096));
  // Every record still reads; only the integrity check sees a wrong free page count.
  freeCount[39] = static_cast<char>(freeCount[39] + 7);
  damages.insert(damages.end(), {{"one byte", "not a database", "S"},
                                 {"garbage", "not a database", garbage(8192)},
                                 {"table pages overwritten", "damaged", pages},
                                 {"free page count wrong", "damaged", freeCount},
                                 {"newer format", "format 2", newer}});
  for (const auto& [what, reason, bytes] : damages) {
    for (const char* suffix : {"-wal", "-shm", "-journal"})
      fs::remove(store.string() + suffix);
    std::ofstream(store, std::ios::binary) << bytes;
    useUnusableStore(what, store, reason.c_str());
    EXPECT_EQ(readFile(store), bytes) << what;
    // A file that is not in WAL mode is only read: not even a journal appears next to it.
    if (bytes.size() < 100 || bytes[18] == 1) {
      EXPECT_TRUE(aloneIn(store)) << what;
    }
  }
}

TEST_F(HostStoreTest, SaveFailingLaterIsReportedOnceAndDoesNotStopTheProgram) {
  // The file size limit stands in for a full disk; it is set in a child so this process keeps none.
  const auto [code, err] = inChild([&] {
    DefaultHostServices services(store);
    services.SaveSetting("DockBar", "before", "kept", 0);
    if (!services.persistent()) return 4;
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{256 * 1024, 256 * 1024};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 5;
    const std::string big(1024 * 1024, 'x');
    services.SaveSetting("DockBar", "big", big, 0), services.SaveSetting("DockBar", "big2", big, 0);
    if (services.GetSetting("DockBar", "before", 0) != "kept") return 6;
    return services.GetSetting("DockBar", "big", 0) == big ? 7 : 0;
  });
  EXPECT_EQ(std::tuple(code, reports(err), err.find("cannot write") != std::string::npos),
            std::tuple(0, 1u, true))
      << err;
  EXPECT_EQ(DefaultHostServices(store).GetSetting("DockBar", "before", 0), "kept");
}

TEST_F(HostStoreTest, ThePrivateSqliteStoreIsMadeOnFirstUseAndUnusableLinkedOrSharedPlacesAreRefused) {
  auto mode = [](const fs::path& p) { return static_cast<unsigned>(fs::symlink_status(p).permissions()); };
  // What the library creates is private whatever the umask takes away.
  const mode_t umaskWas = umask(0277);
  const auto nested = dir / "a" / "b" / "settings.sqlite";
  {
    DefaultHostServices services(nested);
    EXPECT_FALSE(fs::exists(nested)) << "nothing is created before settings are used";
    services.SaveSetting("DockBar", "files", "1:1:1:2400", 0);
    EXPECT_EQ((std::vector{mode(dir / "a"), mode(dir / "a" / "b"), mode(nested),
                           mode(nested.string() + "-wal"), mode(nested.string() + "-shm")}),
              (std::vector<unsigned>{0700, 0700, 0600, 0600, 0600}));
  }
  EXPECT_EQ(sqlite(nested,
                   "SELECT (SELECT value FROM meta WHERE name = 'format') || ' ' || value FROM settings"
                   " WHERE section = 'DockBar' AND key = 'files'",
                   false),
            "1 1:1:1:2400");  // format 1, in WAL mode: see -wal above

  // Without XDG_CONFIG_HOME and HOME the store lies in a private folder of the temporary folder.
  ScopedEnv xdg("XDG_CONFIG_HOME", nullptr), home("HOME", nullptr), tmp("TMPDIR", dir.c_str());
  const auto own = dir / ("tovdock-" + std::to_string(getuid()));
  ASSERT_EQ(DefaultHostServices::defaultStorePath("app"), own / "app" / "settings.sqlite");
  DefaultHostServices(std::nullopt, "app").SaveSetting("DockBar", "files", "1:1:1:2400", 0);
  umask(umaskWas);
  EXPECT_EQ(std::pair(mode(own), mode(own / "app")), std::pair(0700u, 0700u));

  // Places that cannot be used, links and shared folders are reported once and left alone.
  // Root ignores permission bits, so these places are unusable by their nature.
  std::ofstream(dir / "plain-file") << "x";
  useUnusableStore("below a file", dir / "plain-file" / "app" / "settings.sqlite");
  useUnusableStore("a folder", dir);
  EXPECT_EQ(readFile(dir / "plain-file"), "x");
  const auto elsewhere = dir / "elsewhere.sqlite";
  { DefaultHostServices(elsewhere).SaveSetting("DockBar", "files", "elsewhere", 0); }
  const auto elsewhereBytes = readFile(elsewhere);
  const auto link = dir / "linked" / "settings.sqlite";
  fs::create_directories(link.parent_path());
  ASSERT_EQ(symlink(elsewhere.c_str(), link.c_str()), 0);
  useUnusableStore("link to a store elsewhere", link);
  ASSERT_EQ(chmod(own.c_str(), 0777), 0);
  useUnusableStore("fallback folder open to all", std::nullopt);
  ASSERT_EQ(std::pair(chmod(own.c_str(), 0700), chown(own.c_str(), 65534, 65534)), std::pair(0, 0));
  useUnusableStore("fallback folder of another user", std::nullopt);
  EXPECT_EQ(std::tuple(readFile(elsewhere) == elsewhereBytes, aloneIn(elsewhere)), std::tuple(true, true));
}

TEST(HostStorePath, FollowsXdgConfigHomeElseHomeConfigAndStaysOneFolderAndMessagesGoToStderr) {
  ScopedEnv home("HOME", "/home/someone");
  for (const char* xdg : {static_cast<const char*>(nullptr), "", "relative/config"}) {
    ScopedEnv env("XDG_CONFIG_HOME", xdg);
    EXPECT_EQ(DefaultHostServices::defaultStorePath("editor"), "/home/someone/.config/editor/settings.sqlite")
        << "XDG_CONFIG_HOME=" << (xdg ? xdg : "<unset>");
  }
  ScopedEnv xdg("XDG_CONFIG_HOME", "/cfg");
  EXPECT_EQ(DefaultHostServices(std::nullopt, "editor").storePath(), fs::path("/cfg/editor/settings.sqlite"));
  EXPECT_EQ(DefaultHostServices().storePath(), fs::path("/cfg/tovdock_tests/settings.sqlite"));
  for (const char* name : {"../escape", "a/b", "", ".."}) {
    const auto path = DefaultHostServices::defaultStorePath(name);
    EXPECT_EQ(path.parent_path().parent_path(), fs::path("/cfg")) << name;
    EXPECT_NE(path.parent_path().filename(), "..") << name;
  }
  // Messages to the user go to stderr, as they are.
  const std::string text = "Sie müssen mindestens ein Element sichtbar lassen!";
  testing::internal::CaptureStderr();
  DefaultHostServices services(fs::path("/proc/tovdock-test-nowhere/settings.sqlite"));
  services.ShowMessage(text, 0, "", 1, 0);
  EXPECT_EQ(std::tuple(testing::internal::GetCapturedStderr(), services.messages()),
            std::tuple(text + "\n", std::vector{text}));
}

using StoreCrash = HostStoreTest;

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
  /// Stores the records of bars a, b and c in the store at `path`.
  static void save(const fs::path& path, const std::array<const char*, 3>& records) {
    DefaultHostServices services(path);
    for (std::size_t k = 0; k < records.size(); ++k)
      services.SaveSetting("DockBar", std::string(1, static_cast<char>('a' + k)), records[k], 0);
  }

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
  ASSERT_EQ(exitCode(locker, true), -1);
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
    ASSERT_EQ(exitCode(locker, true), -1);
    shown.dock->setBarHeight(shown.bar("b")->Index(), 1500);
  }
  // The user's changes of a layout never read are not kept; the stored one is.
  EXPECT_EQ(readFile(store), stored);
  EXPECT_EQ(ShownDock(store, true).bar("b")->State(), eBarCollapsed);
}

TEST_F(StoreCrash, TwoRunsOfOneDockKeepEachOthersChangesToBarsTheyLeftAlone) {
  ShownDock::save(store, {"1:1:1:1000", "2:1:1:1000", "3:1:1:1000"});
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
  ShownDock::save(readOnlyStore, {"1:1:1:1000", "2:1:0:260", "3:1:1:1000"});
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
