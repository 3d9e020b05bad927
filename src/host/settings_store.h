#pragma once
// The settings store behind `DefaultHostServices`, shared by the files of src/host: where the store
// lives (store_location.cpp), opening and checking the SQLite file (store_open.cpp), and reads, saves
// and batches while the program runs (settings_store.cpp).
#include <sqlite3.h>

#include <array>
#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tov::host {

/// Ends every refusal of a file that the store leaves untouched.
inline constexpr const char* kLeftAlone = "; it was left as it is (move it away to start afresh)";

/// Where a store lives.
struct StorePlace {
  std::filesystem::path file;
  /// The temporary fallback folder when the store lies in it (it must be this user's alone), else empty.
  std::filesystem::path privateFolder;
};

/// The per-user place of `application`'s store: `$XDG_CONFIG_HOME/<application>/settings.sqlite`, else
/// under `~/.config`, else in the private folder `tovdock-<uid>` of the temporary folder.
StorePlace defaultPlace(const std::string& application);

/// Readies the folders and the file of `place` without touching anything that is already there but
/// the modes of folders it creates. Empty when the file can be opened: the private folder is this
/// user's alone, missing folders were created private (0700), and the file is a regular file, not a
/// link (a missing one was created empty and private, 0600). `empty` tells whether the file holds
/// nothing yet. Otherwise why not; `where` names the store in that text.
std::string preparePlace(const StorePlace& place, const std::string& where, bool& empty);

/// SQLite's primary result code of an extended one.
inline int primaryCode(int rc) {
  return rc & 0xff;
}

/// Another connection holds what this one needs.
inline bool isBusy(int rc) {
  return primaryCode(rc) == SQLITE_BUSY || primaryCode(rc) == SQLITE_LOCKED;
}

/// The settings in one SQLite file. Every public call takes the store's lock, so the object may be
/// used from several threads. A store that is busy is tried again after a pause; saves it could not
/// take yet are kept in memory until it can.
class SettingsStore {
 public:
  explicit SettingsStore(StorePlace place);
  ~SettingsStore();
  SettingsStore(const SettingsStore&) = delete;
  SettingsStore& operator=(const SettingsStore&) = delete;

  const std::filesystem::path& path() const { return place.file; }
  /// The value saved for section and key ("" when none is), or nothing when the store could not be
  /// read: another process holds it, or it cannot be used.
  std::optional<std::string> read(const std::string& section, const std::string& key);
  void save(const std::string& section, const std::string& key, const std::string& value);
  void beginBatch();
  void endBatch();
  /// Opens the store when it can; false when it was refused or cannot be written.
  bool persistent();
  std::size_t pendingSaves() const;
  /// Writes the pending saves now; true when none is left.
  bool flush();
  /// At the end of the object's life the pending saves get a longer wait.
  void finish();

 private:
  using Clock = std::chrono::steady_clock;
  using Key = std::pair<std::string, std::string>;

  enum class State { closed, open, off };
  /// How an attempt to open the store ended.
  struct Outcome {
    enum { ready, busy, refused } kind;
    std::string why;
  };

  // Opening and checking (store_open.cpp).
  Outcome open();
  int openDatabase(const char* name, int flags);
  Outcome inspect(const std::string& where);
  int checkSettingsTable(const std::vector<std::array<std::string, 3>>& objects, std::string& why);
  std::string immutableUri() const;
  Outcome failure(int rc, const std::string& what) const;

  // The connection at run time (settings_store.cpp).
  void close();
  bool ensureOpen(bool ignorePause = false);
  bool writable() const { return state != State::off && !readOnly; }
  void waitAtMost(Clock::duration d) { deadline = Clock::now() + d; }
  void pauseRetries();
  static int onBusy(void* self, int);
  bool retry(int rc);
  std::string sqliteError(const std::string& what) const;
  std::string where() const;
  int exec(const char* sql);
  int query(const char* sql, const std::function<void(sqlite3_stmt*)>& row);
  void rollbackOpenTransaction();
  int step(sqlite3_stmt* st, std::string* row);
  void endReading();
  int write(const std::vector<std::pair<Key, std::string>>& records);
  bool writePending(bool ignorePause);
  void reportRuntime(const std::string& what);
  void reportReadOnly();

  StorePlace place;
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
};

/// The text of a result column, every byte of it.
std::string columnText(sqlite3_stmt* st, int column);
/// `s` in ASCII lower case.
std::string lowerCase(std::string s);

}  // namespace tov::host
