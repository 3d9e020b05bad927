#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <thread>
#include <utility>

#include "tovdock/host.h"

namespace tov {

namespace {

std::mutex& instanceMutex() {
  static std::mutex m;
  return m;
}

std::shared_ptr<HostServices>& instanceSlot() {
  static std::shared_ptr<HostServices> slot;
  return slot;
}

/// Version of the store's tables; a store written by a later version is left alone.
constexpr int kFormatVersion = 1;
constexpr int kBusyTimeoutMs = 5000;
/// SQLite returns SQLITE_BUSY without waiting in a few WAL situations (recovery, snapshot upgrade);
/// those are retried for at most this long.
constexpr auto kBusyRetryFor = std::chrono::seconds(10);

constexpr std::int32_t rgb(int r, int g, int b) {
  return static_cast<std::int32_t>(r | (g << 8) | (b << 16));
}

bool isBusy(int rc) {
  const int primary = rc & 0xff;
  return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

}  // namespace

std::shared_ptr<HostServices> HostServices::instance() {
  std::lock_guard lock(instanceMutex());
  auto& slot = instanceSlot();
  if (!slot) slot = std::make_shared<DefaultHostServices>();
  return slot;
}

void HostServices::setInstance(std::shared_ptr<HostServices> services) {
  std::shared_ptr<HostServices> previous;
  {
    std::lock_guard lock(instanceMutex());
    previous = std::exchange(instanceSlot(), std::move(services));
  }
  // `previous` is released outside the lock: its destructor may do I/O.
}

struct DefaultHostServices::Impl {
  std::filesystem::path path;
  mutable std::mutex mutex;
  bool opened = false;  // the one attempt to open was made
  sqlite3* db = nullptr;
  sqlite3_stmt* select = nullptr;
  sqlite3_stmt* upsert = nullptr;
  bool runtimeFailureReported = false;
  std::vector<std::string> messages;

  ~Impl() { close(); }

  void close() {
    sqlite3_finalize(select);
    sqlite3_finalize(upsert);
    select = upsert = nullptr;
    if (db) sqlite3_close_v2(db);
    db = nullptr;
  }

  /// Opens the store on first use, so a program that never touches settings creates no file.
  bool ensureOpen() {
    if (!opened) {
      opened = true;
      std::string why = open();
      if (!why.empty()) {
        close();
        std::cerr << "tovdock: settings will not be kept in this run: " << why << '\n';
      }
    }
    return db != nullptr;
  }

  std::string sqliteError(const std::string& what) const {
    return what + " (" + (db ? sqlite3_errmsg(db) : "out of memory") + ")";
  }

  /// Runs `sql` without results, retrying while another process holds the lock.
  int exec(const char* sql) {
    const auto deadline = std::chrono::steady_clock::now() + kBusyRetryFor;
    for (;;) {
      int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
      if (!isBusy(rc) || std::chrono::steady_clock::now() >= deadline) return rc;
      // A script that stopped halfway holds its transaction open; start it again from the top.
      if (!sqlite3_get_autocommit(db)) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }

  /// Empty when the store is ready, else why not.
  std::string open() {
    std::error_code ec;
    const auto dir = path.parent_path();
    if (!dir.empty()) {
      std::filesystem::create_directories(dir, ec);
      if (ec) return "cannot create the folder " + dir.string() + " (" + ec.message() + ")";
    }
    const auto where = "the settings store " + path.string();

    int rc = sqlite3_open_v2(path.c_str(), &db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) return sqliteError("cannot open " + where);
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    if (sqlite3_db_readonly(db, "main") == 1) return where + " is read-only";

    // Checked before anything is written, so a damaged file is never touched.
    std::string check;
    {
      sqlite3_stmt* st = nullptr;
      const auto deadline = std::chrono::steady_clock::now() + kBusyRetryFor;
      for (;;) {
        rc = sqlite3_prepare_v2(db, "PRAGMA quick_check", -1, &st, nullptr);
        if (rc == SQLITE_OK) {
          check.clear();
          while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            const auto* text = sqlite3_column_text(st, 0);
            if (text) check += reinterpret_cast<const char*>(text);
          }
          if (rc == SQLITE_DONE) rc = SQLITE_OK;
        }
        sqlite3_finalize(st);
        st = nullptr;
        if (!isBusy(rc) || std::chrono::steady_clock::now() >= deadline) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
      constexpr const char* kLeftAlone = "; it was left as it is (move it away to start afresh)";
      if ((rc & 0xff) == SQLITE_NOTADB) return where + " is not a database" + kLeftAlone;
      if ((rc & 0xff) == SQLITE_CORRUPT) return sqliteError(where + " is damaged") + kLeftAlone;
      if (rc != SQLITE_OK) return sqliteError("cannot read " + where);
      if (check != "ok") return where + " is damaged (" + check.substr(0, 200) + ")" + kLeftAlone;
    }

    // WAL lets several processes read while one writes; NORMAL sync keeps each commit cheap and
    // loses nothing when a program crashes, only on power loss.
    sqlite3_stmt* st = nullptr;
    rc = sqlite3_prepare_v2(db, "PRAGMA journal_mode=WAL", -1, &st, nullptr);
    if (rc == SQLITE_OK) {
      const auto deadline = std::chrono::steady_clock::now() + kBusyRetryFor;
      while (isBusy(rc = sqlite3_step(st)) && std::chrono::steady_clock::now() < deadline) {
        sqlite3_reset(st);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
      if (rc == SQLITE_ROW || rc == SQLITE_DONE) rc = SQLITE_OK;
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_OK) return sqliteError("cannot use " + where);
    if (exec("PRAGMA synchronous=NORMAL") != SQLITE_OK) return sqliteError("cannot use " + where);

    rc = exec(
        "BEGIN IMMEDIATE;"
        "CREATE TABLE IF NOT EXISTS meta(name TEXT PRIMARY KEY, value TEXT NOT NULL);"
        "INSERT OR IGNORE INTO meta(name, value) VALUES('format', '1');"
        "CREATE TABLE IF NOT EXISTS settings(section TEXT NOT NULL, key TEXT NOT NULL, value TEXT NOT NULL,"
        " PRIMARY KEY(section, key));"
        "COMMIT;");
    if (rc != SQLITE_OK) return sqliteError("cannot prepare " + where);

    int format = 0;
    rc = sqlite3_prepare_v2(db, "SELECT value FROM meta WHERE name = 'format'", -1, &st, nullptr);
    if (rc == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW) format = sqlite3_column_int(st, 0);
    sqlite3_finalize(st);
    if (format != kFormatVersion)
      return where + " has format " + std::to_string(format) + ", this program reads format " +
             std::to_string(kFormatVersion) + "; it was left as it is";

    if (sqlite3_prepare_v3(db, "SELECT value FROM settings WHERE section = ?1 AND key = ?2", -1,
                           SQLITE_PREPARE_PERSISTENT, &select, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v3(db,
                           "INSERT INTO settings(section, key, value) VALUES(?1, ?2, ?3)"
                           " ON CONFLICT(section, key) DO UPDATE SET value = excluded.value",
                           -1, SQLITE_PREPARE_PERSISTENT, &upsert, nullptr) != SQLITE_OK)
      return sqliteError("cannot use " + where);
    return {};
  }

  static int bindText(sqlite3_stmt* st, int index, const std::string& text) {
    // The length is passed, so embedded NUL bytes and texts of any size are kept whole.
    return sqlite3_bind_text64(st, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
  }

  void reportRuntime(const std::string& what) {
    if (runtimeFailureReported) return;
    runtimeFailureReported = true;
    std::cerr << "tovdock: " << sqliteError(what + " the settings store " + path.string())
              << "; later changes may not be kept\n";
  }

  /// Steps a statement to its end, retrying while another process holds the lock.
  int stepRetrying(sqlite3_stmt* st, std::string* row) {
    const auto deadline = std::chrono::steady_clock::now() + kBusyRetryFor;
    for (;;) {
      int rc;
      while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        if (row) {
          const auto* text = static_cast<const char*>(sqlite3_column_blob(st, 0));
          const int size = sqlite3_column_bytes(st, 0);
          row->assign(text ? text : "", text ? static_cast<std::size_t>(size) : 0);
        }
      }
      sqlite3_reset(st);
      if (rc == SQLITE_DONE) return SQLITE_OK;
      if (!isBusy(rc) || std::chrono::steady_clock::now() >= deadline) return rc;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }

  std::string get(const std::string& section, const std::string& key) {
    std::lock_guard lock(mutex);
    if (!ensureOpen()) return {};
    std::string value;
    int rc = bindText(select, 1, section);
    if (rc == SQLITE_OK) rc = bindText(select, 2, key);
    if (rc == SQLITE_OK) rc = stepRetrying(select, &value);
    sqlite3_clear_bindings(select);
    if (rc != SQLITE_OK) {
      reportRuntime("cannot read from");
      return {};
    }
    return value;
  }

  void save(const std::string& section, const std::string& key, const std::string& value) {
    std::lock_guard lock(mutex);
    if (!ensureOpen()) return;
    int rc = bindText(upsert, 1, section);
    if (rc == SQLITE_OK) rc = bindText(upsert, 2, key);
    if (rc == SQLITE_OK) rc = bindText(upsert, 3, value);
    if (rc == SQLITE_OK) rc = stepRetrying(upsert, nullptr);
    sqlite3_clear_bindings(upsert);
    if (rc != SQLITE_OK) reportRuntime("cannot write to");
  }
};

DefaultHostServices::DefaultHostServices(std::optional<std::filesystem::path> storePath,
                                         std::optional<std::string> application)
    : d(std::make_unique<Impl>()) {
  d->path = storePath ? std::move(*storePath) : defaultStorePath(application ? *application : programName());
}

DefaultHostServices::~DefaultHostServices() = default;

void DefaultHostServices::ShowMessage(const std::string& text, std::int32_t, const std::string&, std::int16_t,
                                      std::int32_t) {
  std::lock_guard lock(d->mutex);
  std::cerr << text << std::endl;
  d->messages.push_back(text);
}

std::string DefaultHostServices::GetSetting(const std::string& section, const std::string& key,
                                            std::int16_t) {
  try {
    return d->get(section, key);
  } catch (const std::exception& e) {
    // Only allocation can fail here; settings are a convenience and must not stop the caller.
    std::cerr << "tovdock: reading a setting failed: " << e.what() << '\n';
    return {};
  }
}

void DefaultHostServices::SaveSetting(const std::string& section, const std::string& key,
                                      const std::string& value, std::int32_t) {
  try {
    d->save(section, key, value);
  } catch (const std::exception& e) {
    std::cerr << "tovdock: saving a setting failed: " << e.what() << '\n';
  }
}

bool DefaultHostServices::GetFlag(std::int32_t) {
  // 141 (vertical title gradient) is off in this scheme, as is every other flag.
  return false;
}

std::int32_t DefaultHostServices::GetColor(std::int32_t number) {
  switch (number) {
    case 10:  // dock background
      return rgb(236, 239, 243);
    case 140:  // bar background
      return rgb(250, 251, 252);
    case 143:  // title gradient start: light steel blue
      return rgb(176, 196, 222);
    case 144:  // title gradient end: nearly white
      return rgb(240, 244, 250);
    case 150:  // title text: dark navy, legible on both ends of the gradient
      return rgb(24, 34, 56);
    default:
      return rgb(192, 192, 192);
  }
}

const std::filesystem::path& DefaultHostServices::storePath() const {
  return d->path;
}

bool DefaultHostServices::persistent() const {
  std::lock_guard lock(d->mutex);
  return d->ensureOpen();
}

std::vector<std::string> DefaultHostServices::messages() const {
  std::lock_guard lock(d->mutex);
  return d->messages;
}

std::filesystem::path DefaultHostServices::defaultStorePath(const std::string& application) {
  std::filesystem::path base;
  // Relative values are ignored, as the XDG base directory rules demand.
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = std::filesystem::path(home) / ".config";
  } else {
    base = std::filesystem::temp_directory_path() / ("tovdock-" + std::to_string(getuid()));
  }
  std::string name = application;
  for (char& c : name)
    if (c == '/') c = '_';
  if (name.empty() || name == "." || name == "..") name = "tovdock";
  return base / name / "settings.sqlite";
}

std::string DefaultHostServices::programName() {
  // The executable's file name is complete; comm is cut at 15 characters and serves as fallback.
  std::error_code ec;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec && !exe.filename().empty()) {
    std::string name = exe.filename().string();
    constexpr std::string_view deleted = " (deleted)";
    if (name.ends_with(deleted)) name.resize(name.size() - deleted.size());
    if (!name.empty()) return name;
  }
  std::ifstream comm("/proc/self/comm");
  std::string name;
  if (comm && std::getline(comm, name) && !name.empty()) return name;
  return "tovdock";
}

}  // namespace tov
