// Opening the settings store: nothing is written to a file before it is known to be this program's
// store, of its format, with its tables exactly as this program makes them.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <optional>

#include "host/settings_store.h"

namespace tov::host {

namespace {

/// Version of the store's tables; a store written by a later version is left alone.
constexpr int kFormatVersion = 1;

/// Empty when the file at `file` starts as an SQLite database that keeps its text in UTF-8.
std::string checkHeader(const std::filesystem::path& file, const std::string& where) {
  unsigned char header[100] = {};
  const int fd = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
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

}  // namespace

/// Opens the store, checks it without writing, then readies it for use.
SettingsStore::Outcome SettingsStore::open() {
  const auto store = where();
  bool empty = false;
  if (auto why = preparePlace(place, store, empty); !why.empty()) return {Outcome::refused, why};
  if (!empty)
    if (auto why = checkHeader(place.file, store); !why.empty()) return {Outcome::refused, why};

  if (openDatabase(place.file.c_str(), SQLITE_OPEN_READWRITE) != SQLITE_OK)
    return {Outcome::refused, sqliteError("cannot open " + store)};
  sqlite3_busy_handler(db, &SettingsStore::onBusy, this);
  readOnly = sqlite3_db_readonly(db, "main") == 1;

  for (bool created = false;;) {
    const Outcome outcome = inspect(store);
    if (outcome.kind != Outcome::ready) return outcome;
    if (readOnly || hasSettings) break;
    if (created) return {Outcome::refused, store + " could not be prepared"};
    // A new store, or one whose settings table is missing: created in one short transaction,
    // then checked again like any other.
    const auto create =
        "BEGIN IMMEDIATE;"
        "CREATE TABLE IF NOT EXISTS meta(name TEXT PRIMARY KEY, value TEXT NOT NULL);"
        "INSERT OR IGNORE INTO meta(name, value) VALUES('format', '" +
        std::to_string(kFormatVersion) +
        "');"
        "CREATE TABLE IF NOT EXISTS settings(section TEXT NOT NULL, key TEXT NOT NULL, value TEXT NOT NULL,"
        " PRIMARY KEY(section, key));"
        "COMMIT;";
    if (const int rc = exec(create.c_str()); rc != SQLITE_OK) {
      rollbackOpenTransaction();
      return failure(rc, "cannot prepare " + store);
    }
    created = true;
  }

  if (hasSettings && sqlite3_prepare_v3(db, "SELECT value FROM settings WHERE section = ?1 AND key = ?2", -1,
                                        SQLITE_PREPARE_PERSISTENT, &select, nullptr) != SQLITE_OK)
    return {Outcome::refused, sqliteError("cannot use " + store)};
  if (!readOnly && sqlite3_prepare_v3(db,
                                      "INSERT INTO settings(section, key, value) VALUES(?1, ?2, ?3)"
                                      " ON CONFLICT(section, key) DO UPDATE SET value = excluded.value",
                                      -1, SQLITE_PREPARE_PERSISTENT, &upsert, nullptr) != SQLITE_OK)
    return {Outcome::refused, sqliteError("cannot use " + store)};
  return {Outcome::ready, {}};
}

int SettingsStore::openDatabase(const char* name, int flags) {
  const int rc = sqlite3_open_v2(name, &db, flags | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW, nullptr);
  if (rc == SQLITE_OK) sqlite3_extended_result_codes(db, 1);
  return rc;
}

SettingsStore::Outcome SettingsStore::failure(int rc, const std::string& what) const {
  return {isBusy(rc) ? Outcome::busy : Outcome::refused, sqliteError(what)};
}

/// A percent-escaped URI for the store's file that opens it read-only without locks or journal.
std::string SettingsStore::immutableUri() const {
  std::string uri = "file:";
  for (unsigned char c : place.file.string()) {
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
SettingsStore::Outcome SettingsStore::inspect(const std::string& where) {
  std::string check;
  const auto quickCheck = [&] {
    check.clear();
    return query("PRAGMA quick_check", [&](sqlite3_stmt* st) { check += columnText(st, 0); });
  };
  int rc = quickCheck();
  // Reading a WAL store needs its -wal and -shm files; where they cannot be made, the store is
  // read as it lies in its file.
  if (primaryCode(rc) == SQLITE_CANTOPEN || primaryCode(rc) == SQLITE_READONLY) {
    close();
    if (openDatabase(immutableUri().c_str(), SQLITE_OPEN_READONLY | SQLITE_OPEN_URI) != SQLITE_OK)
      return {Outcome::refused, sqliteError("cannot open " + where)};
    readOnly = true;
    rc = quickCheck();
  }
  if (primaryCode(rc) == SQLITE_NOTADB) return {Outcome::refused, where + " is not a database" + kLeftAlone};
  if (primaryCode(rc) == SQLITE_CORRUPT)
    return {Outcome::refused, sqliteError(where + " is damaged") + kLeftAlone};
  if (rc != SQLITE_OK) return failure(rc, "cannot read " + where);
  if (check != "ok")
    return {Outcome::refused, where + " is damaged (" + check.substr(0, 200) + ")" + kLeftAlone};

  std::vector<std::array<std::string, 3>> objects;  // type, name, table
  rc = query("SELECT type, name, tbl_name FROM sqlite_master", [&](sqlite3_stmt* st) {
    objects.push_back({columnText(st, 0), columnText(st, 1), columnText(st, 2)});
  });
  if (rc != SQLITE_OK) return failure(rc, "cannot read " + where);
  const auto has = [&](const char* type, const char* name) {
    return std::any_of(objects.begin(), objects.end(),
                       [&](const auto& o) { return o[0] == type && lowerCase(o[1]) == name; });
  };
  hasSettings = has("table", "settings");
  if (!objects.empty()) {
    const Outcome otherData{Outcome::refused,
                            where + " holds other data, not this program's settings" + kLeftAlone};
    if (!has("table", "meta")) return otherData;
    std::optional<std::string> format;
    rc = query("SELECT value FROM meta WHERE name = 'format'",
               [&](sqlite3_stmt* st) { format = columnText(st, 0); });
    if (isBusy(rc)) return failure(rc, "cannot read " + where);
    if (rc != SQLITE_OK) return otherData;
    if (format != std::to_string(kFormatVersion))
      return {Outcome::refused, where + " has format " + format.value_or("0") +
                                    ", this program reads format " + std::to_string(kFormatVersion) +
                                    "; it was left as it is"};
    if (hasSettings) {
      std::string why;
      rc = checkSettingsTable(objects, why);
      if (rc != SQLITE_OK) return failure(rc, "cannot read " + where);
      if (!why.empty())
        return {Outcome::refused,
                where + "'s settings table " + why + ", so values might not come back as saved" + kLeftAlone};
    }
  }
  if (readOnly) return {Outcome::ready, {}};

  // WAL lets several processes read while one writes; NORMAL sync keeps each commit cheap and
  // loses nothing when a program crashes, only on power loss. Switching is a write, so it is done
  // only when the store is not a WAL store yet.
  std::string mode;
  const auto keepMode = [&](sqlite3_stmt* st) { mode = lowerCase(columnText(st, 0)); };
  rc = query("PRAGMA journal_mode", keepMode);
  if (rc == SQLITE_OK && mode != "wal") rc = query("PRAGMA journal_mode=WAL", keepMode);
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
int SettingsStore::checkSettingsTable(const std::vector<std::array<std::string, 3>>& objects,
                                      std::string& why) {
  for (const auto& [type, name, table] : objects) {
    if (lowerCase(table) != "settings") continue;
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
    columns.push_back({columnText(st, 1), lowerCase(columnText(st, 2)), sqlite3_column_int(st, 3) != 0,
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
        c.hidden != e.hidden || !collation || lowerCase(collation) != "binary") {
      why = "has column '" + c.name + "' declared '" + c.type + "'" +
            (collation ? std::string(" collated ") + collation : std::string()) + ", not '" + e.name +
            " TEXT'";
      return SQLITE_OK;
    }
  }
  // The primary key's index: section and key, ascending, compared bytewise.
  std::vector<std::string> indexes;
  rc = query("PRAGMA main.index_list(settings)", [&](sqlite3_stmt* st) {
    indexes.push_back(columnText(st, 3) + (sqlite3_column_int(st, 2) ? ":unique:" : ":") +
                      (sqlite3_column_int(st, 4) ? "partial:" : "") + columnText(st, 1));
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
    keyColumns += columnText(st, 2) + " " + lowerCase(columnText(st, 4)) +
                  (sqlite3_column_int(st, 3) ? " desc" : "") + ";";
  });
  if (rc != SQLITE_OK) return rc;
  if (keyColumns != "section binary;key binary;") why = "has another key (" + keyColumns + ")";
  return SQLITE_OK;
}

}  // namespace tov::host
