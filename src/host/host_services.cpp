#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
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
/// The longest a call waits for another process that holds the store's write lock: the dock
/// saves on the UI thread.
constexpr auto kCallWait = std::chrono::milliseconds(200);
/// The longest the end of the object waits to write saves still pending.
constexpr auto kFinalWait = std::chrono::seconds(2);
/// After the store was found busy, saves are only kept in memory for this long.
constexpr auto kRetryAfter = std::chrono::milliseconds(500);
constexpr auto kBusyStep = std::chrono::milliseconds(5);

constexpr std::int32_t rgb(int r, int g, int b) {
  return static_cast<std::int32_t>(r | (g << 8) | (b << 16));
}

bool isBusy(int rc) {
  const int primary = rc & 0xff;
  return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

/// The folder that holds the applications' folders; `fallback` tells whether it is the shared
/// temporary folder's private subfolder.
std::filesystem::path configBase(bool* fallback) {
  *fallback = false;
  // Relative values are ignored, as the XDG base directory rules demand.
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg == '/') return xdg;
  if (const char* home = std::getenv("HOME"); home && *home) return std::filesystem::path(home) / ".config";
  *fallback = true;
  return std::filesystem::temp_directory_path() / ("tovdock-" + std::to_string(getuid()));
}

std::filesystem::path storePathIn(const std::filesystem::path& base, const std::string& application) {
  std::string name = application;
  for (char& c : name)
    if (c == '/') c = '_';
  if (name.empty() || name == "." || name == "..") name = "tovdock";
  return base / name / "settings.sqlite";
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
  using Clock = std::chrono::steady_clock;
  using Key = std::pair<std::string, std::string>;

  enum class State { closed, open, off };
  /// How an attempt to open the store ended.
  struct Outcome {
    enum { ready, busy, refused } kind;
    std::string why;
  };

  std::filesystem::path path;
  /// The temporary fallback folder when the store lies in it: it must be this user's alone.
  std::filesystem::path privateFolder;
  mutable std::mutex mutex;
  State state = State::closed;
  /// While the store is busy, it is not tried again before this time.
  Clock::time_point retryAt{};
  /// End of the wait for other processes in the call under way.
  Clock::time_point deadline{};
  sqlite3* db = nullptr;
  sqlite3_stmt* select = nullptr;
  sqlite3_stmt* upsert = nullptr;
  bool readOnly = false;
  /// The store has its settings table (a new or read-only one may not).
  bool hasSettings = false;
  bool readOnlyReported = false;
  bool runtimeFailureReported = false;
  /// Saves not yet written, by section and key.
  std::map<Key, std::string> pending;
  /// Settings batches begun and not yet ended.
  int batches = 0;
  /// The read transaction of the batch under way is open (never while the store is closed).
  bool reading = false;
  std::vector<std::string> messages;

  ~Impl() { close(); }

  void close() {
    reading = false;
    sqlite3_finalize(select);
    sqlite3_finalize(upsert);
    select = upsert = nullptr;
    if (db) sqlite3_close_v2(db);
    db = nullptr;
    readOnly = false;
  }

  void waitAtMost(Clock::duration d) { deadline = Clock::now() + d; }

  /// SQLite's busy handler: waits in short steps until the call's deadline.
  static int onBusy(void* self, int) {
    const auto left = static_cast<Impl*>(self)->deadline - Clock::now();
    if (left <= Clock::duration::zero()) return 0;
    std::this_thread::sleep_for(std::min<Clock::duration>(left, kBusyStep));
    return 1;
  }

  /// SQLite returns SQLITE_BUSY without calling the busy handler in a few WAL situations
  /// (recovery, snapshot upgrade); true when such a result may be retried before the deadline.
  bool retry(int rc) {
    if (!isBusy(rc) || Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(kBusyStep);
    return true;
  }

  /// Opens the store when it is not open yet; a busy store is tried again after a pause.
  bool ensureOpen(bool ignorePause = false) {
    if (state == State::open) return true;
    if (state == State::off) return false;
    if (!ignorePause && Clock::now() < retryAt) return false;
    const Outcome outcome = open();
    if (outcome.kind == Outcome::ready) {
      state = State::open;
      return true;
    }
    close();
    if (outcome.kind == Outcome::busy) {
      retryAt = Clock::now() + kRetryAfter;
      return false;
    }
    state = State::off;
    pending.clear();
    std::cerr << "tovdock: settings will not be kept in this run: " << outcome.why << '\n';
    return false;
  }

  std::string sqliteError(const std::string& what) const {
    return what + " (" + (db ? sqlite3_errmsg(db) : "out of memory") + ")";
  }

  /// Runs `sql` without results.
  int exec(const char* sql) {
    int rc;
    while (retry(rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr))) {
      // A script that stopped halfway holds its transaction open; start it again from the top.
      if (!sqlite3_get_autocommit(db)) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    return rc;
  }

  /// Runs a query and hands each row to `row`; SQLITE_OK when all went through.
  int query(const char* sql, const std::function<void(sqlite3_stmt*)>& row) {
    for (;;) {
      sqlite3_stmt* st = nullptr;
      int rc = sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
      if (rc == SQLITE_OK) {
        while ((rc = sqlite3_step(st)) == SQLITE_ROW)
          row(st);
        if (rc == SQLITE_DONE) rc = SQLITE_OK;
      }
      sqlite3_finalize(st);
      if (!retry(rc)) return rc;
    }
  }

  static std::string text(sqlite3_stmt* st, int column) {
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(st, column));
    return bytes ? std::string(bytes, static_cast<std::size_t>(sqlite3_column_bytes(st, column)))
                 : std::string();
  }

  static std::string lower(std::string s) {
    for (char& c : s)
      c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
  }

  /// Creates the folders of `dir` that are missing, each private to the user.
  static std::string makeFolders(const std::filesystem::path& dir) {
    std::filesystem::path at;
    for (const auto& part : dir) {
      at /= part;
      if (::mkdir(at.c_str(), 0700) == 0) {
        ::chmod(at.c_str(), 0700);  // whatever the umask took away or left
        continue;
      }
      const int error = errno;
      struct stat st {};
      if (::stat(at.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) continue;
      return "cannot create the folder " + dir.string() + " (" + at.string() + ": " + std::strerror(error) +
             ")";
    }
    return {};
  }

  /// The fallback folder is shared with every user of the machine: it is used only when it is a
  /// real folder that this user owns and nobody else may enter.
  std::string checkPrivateFolder() const {
    if (::mkdir(privateFolder.c_str(), 0700) == 0) ::chmod(privateFolder.c_str(), 0700);
    struct stat st {};
    if (::lstat(privateFolder.c_str(), &st) != 0)
      return "cannot create the folder " + privateFolder.string() + " (" + std::strerror(errno) + ")";
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() || (st.st_mode & 077) != 0)
      return "the folder " + privateFolder.string() + " is not a private folder of user " +
             std::to_string(::geteuid()) + " (owner only, mode 0700); it was not used";
    return {};
  }

  /// Empty when the file is a usable start for a store: missing (it is then created, empty and
  /// private), empty, or an SQLite database in UTF-8. Nothing but the new file is written.
  std::string checkFile(const std::string& where) const {
    constexpr const char* kLeftAlone = "; it was left as it is (move it away to start afresh)";
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
      if (errno != ENOENT) return "cannot use " + where + " (" + std::strerror(errno) + ")";
      const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
      if (fd < 0 && errno != EEXIST) return "cannot create " + where + " (" + std::strerror(errno) + ")";
      if (fd >= 0) {
        ::fchmod(fd, 0600);
        ::close(fd);
      }
      if (::lstat(path.c_str(), &st) != 0) return "cannot use " + where + " (" + std::strerror(errno) + ")";
    }
    if (S_ISLNK(st.st_mode)) return where + " is a symbolic link" + kLeftAlone;
    if (!S_ISREG(st.st_mode)) return where + " is not a regular file" + kLeftAlone;
    if (st.st_size == 0) return {};

    unsigned char header[100] = {};
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return "cannot read " + where + " (" + std::strerror(errno) + ")";
    const ssize_t got = ::read(fd, header, sizeof header);
    ::close(fd);
    if (got != static_cast<ssize_t>(sizeof header) || std::memcmp(header, "SQLite format 3", 16) != 0)
      return where + " is not a database" + kLeftAlone;
    // Text in a UTF-16 store would pass through a conversion that does not keep every byte.
    const auto encoding = (std::uint32_t{header[56]} << 24) | (std::uint32_t{header[57]} << 16) |
                          (std::uint32_t{header[58]} << 8) | header[59];
    if (encoding > 1)
      return where + " keeps its text in UTF-16, this program keeps settings in UTF-8 stores" + kLeftAlone;
    return {};
  }

  /// Opens the store, checks it without writing, then readies it for use.
  Outcome open() {
    const auto where = "the settings store " + path.string();
    if (!privateFolder.empty())
      if (auto why = checkPrivateFolder(); !why.empty()) return {Outcome::refused, why};
    if (const auto dir = path.parent_path(); !dir.empty())
      if (auto why = makeFolders(dir); !why.empty()) return {Outcome::refused, why};
    if (auto why = checkFile(where); !why.empty()) return {Outcome::refused, why};

    int rc = sqlite3_open_v2(path.c_str(), &db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW, nullptr);
    if (rc != SQLITE_OK) return {Outcome::refused, sqliteError("cannot open " + where)};
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_handler(db, &Impl::onBusy, this);
    readOnly = sqlite3_db_readonly(db, "main") == 1;

    for (bool created = false;;) {
      const Outcome outcome = inspect(where);
      if (outcome.kind != Outcome::ready) return outcome;
      if (readOnly || hasSettings) break;
      if (created) return {Outcome::refused, where + " could not be prepared"};
      // A new store, or one whose settings table is missing: created in one short transaction,
      // then checked again like any other.
      rc = exec(
          "BEGIN IMMEDIATE;"
          "CREATE TABLE IF NOT EXISTS meta(name TEXT PRIMARY KEY, value TEXT NOT NULL);"
          "INSERT OR IGNORE INTO meta(name, value) VALUES('format', '1');"
          "CREATE TABLE IF NOT EXISTS settings(section TEXT NOT NULL, key TEXT NOT NULL, value TEXT NOT NULL,"
          " PRIMARY KEY(section, key));"
          "COMMIT;");
      if (rc != SQLITE_OK) {
        if (!sqlite3_get_autocommit(db)) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        return failure(rc, "cannot prepare " + where);
      }
      created = true;
    }

    if (hasSettings && sqlite3_prepare_v3(db, "SELECT value FROM settings WHERE section = ?1 AND key = ?2",
                                          -1, SQLITE_PREPARE_PERSISTENT, &select, nullptr) != SQLITE_OK)
      return {Outcome::refused, sqliteError("cannot use " + where)};
    if (!readOnly && sqlite3_prepare_v3(db,
                                        "INSERT INTO settings(section, key, value) VALUES(?1, ?2, ?3)"
                                        " ON CONFLICT(section, key) DO UPDATE SET value = excluded.value",
                                        -1, SQLITE_PREPARE_PERSISTENT, &upsert, nullptr) != SQLITE_OK)
      return {Outcome::refused, sqliteError("cannot use " + where)};
    return {Outcome::ready, {}};
  }

  Outcome failure(int rc, const std::string& what) const {
    return {isBusy(rc) ? Outcome::busy : Outcome::refused, sqliteError(what)};
  }

  /// Reads a percent-escaped URI for `path` that opens it read-only without locks or journal.
  std::string immutableUri() const {
    std::string uri = "file:";
    for (unsigned char c : path.string()) {
      if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
        uri += static_cast<char>(c);
      } else {
        constexpr const char* kHex = "0123456789ABCDEF";
        uri += '%';
        uri += kHex[c >> 4];
        uri += kHex[c & 15];
      }
    }
    return uri + "?immutable=1";
  }

  /// Checks the store with reads only: integrity, our format, the tables' exact layout. Then, when
  /// the store can be written, makes it a WAL store.
  Outcome inspect(const std::string& where) {
    constexpr const char* kLeftAlone = "; it was left as it is (move it away to start afresh)";
    std::string check;
    int rc = query("PRAGMA quick_check", [&](sqlite3_stmt* st) { check += text(st, 0); });
    // Reading a WAL store needs its -wal and -shm files; where they cannot be made, the store is
    // read as it lies in its file.
    if ((rc & 0xff) == SQLITE_CANTOPEN || (rc & 0xff) == SQLITE_READONLY) {
      close();
      rc = sqlite3_open_v2(
          immutableUri().c_str(), &db,
          SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW, nullptr);
      if (rc != SQLITE_OK) return {Outcome::refused, sqliteError("cannot open " + where)};
      sqlite3_extended_result_codes(db, 1);
      readOnly = true;
      check.clear();
      rc = query("PRAGMA quick_check", [&](sqlite3_stmt* st) { check += text(st, 0); });
    }
    if ((rc & 0xff) == SQLITE_NOTADB) return {Outcome::refused, where + " is not a database" + kLeftAlone};
    if ((rc & 0xff) == SQLITE_CORRUPT)
      return {Outcome::refused, sqliteError(where + " is damaged") + kLeftAlone};
    if (rc != SQLITE_OK) return failure(rc, "cannot read " + where);
    if (check != "ok")
      return {Outcome::refused, where + " is damaged (" + check.substr(0, 200) + ")" + kLeftAlone};

    std::vector<std::array<std::string, 3>> objects;  // type, name, table
    rc = query("SELECT type, name, tbl_name FROM sqlite_master", [&](sqlite3_stmt* st) {
      objects.push_back({text(st, 0), text(st, 1), text(st, 2)});
    });
    if (rc != SQLITE_OK) return failure(rc, "cannot read " + where);
    const auto has = [&](const char* type, const char* name) {
      return std::any_of(objects.begin(), objects.end(),
                         [&](const auto& o) { return o[0] == type && lower(o[1]) == name; });
    };
    hasSettings = has("table", "settings");
    if (!objects.empty()) {
      if (!has("table", "meta"))
        return {Outcome::refused, where + " holds other data, not this program's settings" + kLeftAlone};
      std::optional<std::string> format;
      rc = query("SELECT value FROM meta WHERE name = 'format'",
                 [&](sqlite3_stmt* st) { format = text(st, 0); });
      if (isBusy(rc)) return failure(rc, "cannot read " + where);
      if (rc != SQLITE_OK)
        return {Outcome::refused, where + " holds other data, not this program's settings" + kLeftAlone};
      if (format != std::to_string(kFormatVersion))
        return {Outcome::refused, where + " has format " + format.value_or("0") +
                                      ", this program reads format " + std::to_string(kFormatVersion) +
                                      "; it was left as it is"};
      if (hasSettings) {
        std::string why;
        rc = checkSettingsTable(objects, why);
        if (rc != SQLITE_OK) return failure(rc, "cannot read " + where);
        if (!why.empty())
          return {Outcome::refused, where + "'s settings table " + why +
                                        ", so values might not come back as saved" + kLeftAlone};
      }
    }
    if (readOnly) return {Outcome::ready, {}};

    // WAL lets several processes read while one writes; NORMAL sync keeps each commit cheap and
    // loses nothing when a program crashes, only on power loss. Switching is a write, so it is done
    // only when the store is not a WAL store yet.
    std::string mode;
    rc = query("PRAGMA journal_mode", [&](sqlite3_stmt* st) { mode = lower(text(st, 0)); });
    if (rc == SQLITE_OK && mode != "wal")
      rc = query("PRAGMA journal_mode=WAL", [&](sqlite3_stmt* st) { mode = lower(text(st, 0)); });
    if (rc != SQLITE_OK) return failure(rc, "cannot use " + where);
    if (mode != "wal")
      return {isBusy(sqlite3_errcode(db)) ? Outcome::busy : Outcome::refused,
              where + " cannot be switched to WAL mode"};
    rc = exec("PRAGMA synchronous=NORMAL");
    if (rc != SQLITE_OK) return failure(rc, "cannot use " + where);
    return {Outcome::ready, {}};
  }

  /// Empty `why` when the settings table is exactly the one this program creates: three text
  /// columns compared bytewise, the key of section and key, no trigger, no other index. Any other
  /// declared type, collation or trigger could change a value on its way in or out.
  int checkSettingsTable(const std::vector<std::array<std::string, 3>>& objects, std::string& why) {
    for (const auto& [type, name, table] : objects) {
      if (lower(table) != "settings") continue;
      if (type == "trigger") why = "has a trigger";
      if (type == "index" && name != "sqlite_autoindex_settings_1") why = "has an index of its own";
      if (!why.empty()) return SQLITE_OK;
    }
    struct Column {
      std::string name, type;
      bool notNull;
      int key;
      int hidden;
    };
    std::vector<Column> columns;
    int rc = query("PRAGMA main.table_xinfo(settings)", [&](sqlite3_stmt* st) {
      columns.push_back({text(st, 1), lower(text(st, 2)), sqlite3_column_int(st, 3) != 0,
                         sqlite3_column_int(st, 5), sqlite3_column_int(st, 6)});
    });
    if (rc != SQLITE_OK) return rc;
    const Column expected[] = {
        {"section", "text", true, 1, 0}, {"key", "text", true, 2, 0}, {"value", "text", true, 0, 0}};
    if (columns.size() != std::size(expected)) {
      why = "has " + std::to_string(columns.size()) + " columns, not 3";
      return SQLITE_OK;
    }
    for (std::size_t i = 0; i < columns.size(); ++i) {
      const auto& c = columns[i];
      const auto& e = expected[i];
      const char* collation = nullptr;
      if (sqlite3_table_column_metadata(db, "main", "settings", c.name.c_str(), nullptr, &collation, nullptr,
                                        nullptr, nullptr) != SQLITE_OK)
        collation = nullptr;
      if (c.name != e.name || c.type != e.type || c.notNull != e.notNull || c.key != e.key ||
          c.hidden != e.hidden || !collation || lower(collation) != "binary") {
        why = "has column '" + c.name + "' declared '" + c.type + "'" +
              (collation ? std::string(" collated ") + collation : std::string()) + ", not '" + e.name +
              " TEXT'";
        return SQLITE_OK;
      }
    }
    // The primary key's index: section and key, ascending, compared bytewise.
    std::vector<std::string> indexes;
    rc = query("PRAGMA main.index_list(settings)", [&](sqlite3_stmt* st) {
      indexes.push_back(text(st, 3) + (sqlite3_column_int(st, 2) ? ":unique:" : ":") +
                        (sqlite3_column_int(st, 4) ? "partial:" : "") + text(st, 1));
    });
    if (rc != SQLITE_OK) return rc;
    if (indexes.size() != 1 || !indexes[0].starts_with("pk:unique:")) {
      why = "has other indexes than its key";
      return SQLITE_OK;
    }
    std::string keyColumns;
    const auto sql = "PRAGMA main.index_xinfo('" + indexes[0].substr(10) + "')";
    rc = query(sql.c_str(), [&](sqlite3_stmt* st) {
      if (sqlite3_column_int(st, 5) == 0) return;  // the row id or other columns of the table row
      keyColumns += text(st, 2) + " " + lower(text(st, 4)) + (sqlite3_column_int(st, 3) ? " desc" : "") + ";";
    });
    if (rc != SQLITE_OK) return rc;
    if (keyColumns != "section binary;key binary;") why = "has another key (" + keyColumns + ")";
    return SQLITE_OK;
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

  void reportReadOnly() {
    if (readOnlyReported) return;
    readOnlyReported = true;
    std::cerr << "tovdock: the settings store " << path.string()
              << " cannot be written; changes are kept only while the program runs\n";
  }

  /// Steps a statement to its end.
  int step(sqlite3_stmt* st, std::string* row) {
    for (;;) {
      int rc;
      while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        if (row) *row = text(st, 0);
      sqlite3_reset(st);
      if (rc == SQLITE_DONE) return SQLITE_OK;
      if (!retry(rc)) return rc;
    }
  }

  /// Ends the read transaction of a batch: later reads see what was written since.
  void endReading() {
    if (!reading) return;
    reading = false;
    if (!sqlite3_get_autocommit(db)) sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  }

  /// Writes `records` in one transaction.
  int write(const std::vector<std::pair<Key, std::string>>& records) {
    endReading();
    int rc = exec("BEGIN IMMEDIATE");
    for (std::size_t i = 0; rc == SQLITE_OK && i < records.size(); ++i) {
      const auto& [key, value] = records[i];
      rc = bindText(upsert, 1, key.first);
      if (rc == SQLITE_OK) rc = bindText(upsert, 2, key.second);
      if (rc == SQLITE_OK) rc = bindText(upsert, 3, value);
      // Inside the transaction the write lock is held: a busy result here is not waited for.
      if (rc == SQLITE_OK) rc = sqlite3_step(upsert);
      if (rc == SQLITE_DONE) rc = SQLITE_OK;
      sqlite3_reset(upsert);
      sqlite3_clear_bindings(upsert);
    }
    if (rc == SQLITE_OK) rc = exec("COMMIT");
    if (rc != SQLITE_OK && !sqlite3_get_autocommit(db))
      sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    return rc;
  }

  /// Writes the pending saves; true when none is left. A busy store keeps them for later, a store
  /// that refuses one for another reason (disk full, I/O error) loses that one, reported once.
  bool flush(bool ignorePause) {
    if (pending.empty()) return true;
    if (!ensureOpen(ignorePause)) return false;
    if (readOnly) {
      reportReadOnly();
      return false;
    }
    if (!ignorePause && Clock::now() < retryAt) return false;
    std::vector<std::pair<Key, std::string>> records(pending.begin(), pending.end());
    int rc = write(records);
    if (rc == SQLITE_OK) {
      pending.clear();
      return true;
    }
    if (isBusy(rc)) {
      retryAt = Clock::now() + kRetryAfter;
      return false;
    }
    if ((rc & 0xff) == SQLITE_READONLY) {
      readOnly = true;
      reportReadOnly();
      return false;
    }
    // One record may be the cause: the others are written on their own.
    for (auto& record : records) {
      rc = records.size() == 1 ? rc : write({record});
      if (isBusy(rc)) {
        retryAt = Clock::now() + kRetryAfter;
        continue;
      }
      if (rc != SQLITE_OK) reportRuntime("cannot write to");
      pending.erase(record.first);
    }
    return pending.empty();
  }

  std::string get(const std::string& section, const std::string& key) {
    std::lock_guard lock(mutex);
    waitAtMost(kCallWait);
    if (const auto it = pending.find(Key(section, key)); it != pending.end()) return it->second;
    if (!ensureOpen() || !select) return {};
    // The reads of a batch share one read transaction: the store's locks are taken once, not for
    // every record. Without it (it could not begin), each read is a transaction of its own.
    if (batches > 0 && !reading) reading = exec("BEGIN") == SQLITE_OK;
    std::string value;
    int rc = bindText(select, 1, section);
    if (rc == SQLITE_OK) rc = bindText(select, 2, key);
    if (rc == SQLITE_OK) rc = step(select, &value);
    sqlite3_clear_bindings(select);
    if (rc != SQLITE_OK) {
      if (!isBusy(rc)) reportRuntime("cannot read from");
      return {};
    }
    return value;
  }

  void save(const std::string& section, const std::string& key, const std::string& value) {
    std::lock_guard lock(mutex);
    waitAtMost(kCallWait);
    if (state == State::off) return;
    pending[Key(section, key)] = value;
    // A batch writes its saves together when it ends.
    if (batches == 0) flush(false);
  }

  void beginBatch() {
    std::lock_guard lock(mutex);
    ++batches;
  }

  void endBatch() {
    std::lock_guard lock(mutex);
    if (batches == 0 || --batches > 0) return;
    endReading();
    waitAtMost(kCallWait);
    flush(false);
  }

  /// At the end of the object's life the pending saves get a longer wait.
  void finish() {
    std::lock_guard lock(mutex);
    batches = 0;
    endReading();
    if (pending.empty() || state == State::off) return;
    waitAtMost(kFinalWait);
    while (!flush(true) && !readOnly && state != State::off && Clock::now() < deadline)
      std::this_thread::sleep_for(kBusyStep);
    if (!pending.empty() && !readOnly && state != State::off)
      std::cerr << "tovdock: " << pending.size() << " setting(s) could not be written to the settings store "
                << path.string() << " before the end (it stayed busy); they are lost\n";
  }
};

DefaultHostServices::DefaultHostServices(std::optional<std::filesystem::path> storePath,
                                         std::optional<std::string> application)
    : d(std::make_unique<Impl>()) {
  if (storePath) {
    d->path = std::move(*storePath);
  } else {
    bool fallback = false;
    d->path = storePathIn(configBase(&fallback), application ? *application : programName());
    if (fallback) d->privateFolder = d->path.parent_path().parent_path();
  }
}

DefaultHostServices::~DefaultHostServices() {
  try {
    d->finish();
  } catch (const std::exception& e) {
    std::cerr << "tovdock: saving the settings failed: " << e.what() << '\n';
  }
}

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

void DefaultHostServices::BeginSettingsBatch() {
  d->beginBatch();
}

void DefaultHostServices::EndSettingsBatch() {
  try {
    d->endBatch();
  } catch (const std::exception& e) {
    std::cerr << "tovdock: saving the settings failed: " << e.what() << '\n';
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
  d->waitAtMost(kCallWait);
  d->ensureOpen();
  return d->state != Impl::State::off && !d->readOnly;
}

std::size_t DefaultHostServices::pendingSaves() const {
  std::lock_guard lock(d->mutex);
  return d->pending.size();
}

bool DefaultHostServices::flush() {
  std::lock_guard lock(d->mutex);
  d->waitAtMost(kCallWait);
  return d->flush(true);
}

std::vector<std::string> DefaultHostServices::messages() const {
  std::lock_guard lock(d->mutex);
  return d->messages;
}

std::filesystem::path DefaultHostServices::defaultStorePath(const std::string& application) {
  bool fallback = false;
  return storePathIn(configBase(&fallback), application);
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
