// The settings store while the program runs: reads, saves kept while another process holds the
// store, batches, and short waits for other processes.
#include "host/settings_store.h"

#include <algorithm>
#include <cctype>
#include <iostream>
#include <thread>

namespace tov::host {

namespace {

/// The longest a call waits for another process that holds the store's write lock: the dock
/// saves on the UI thread.
constexpr auto kCallWait = std::chrono::milliseconds(200);
/// The longest the end of the object waits to write saves still pending.
constexpr auto kFinalWait = std::chrono::seconds(2);
/// After the store was found busy, saves are only kept in memory for this long.
constexpr auto kRetryAfter = std::chrono::milliseconds(500);
constexpr auto kBusyStep = std::chrono::milliseconds(5);

int bindText(sqlite3_stmt* st, int index, const std::string& text) {
  // The length is passed, so embedded NUL bytes and texts of any size are kept whole.
  return sqlite3_bind_text64(st, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

}  // namespace

std::string columnText(sqlite3_stmt* st, int column) {
  const auto* bytes = static_cast<const char*>(sqlite3_column_blob(st, column));
  return bytes ? std::string(bytes, static_cast<std::size_t>(sqlite3_column_bytes(st, column)))
               : std::string();
}

std::string lowerCase(std::string s) {
  for (char& c : s)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

SettingsStore::SettingsStore(StorePlace place) : place(std::move(place)) {}

SettingsStore::~SettingsStore() {
  close();
}

void SettingsStore::close() {
  reading = false;
  sqlite3_finalize(select);
  sqlite3_finalize(upsert);
  select = upsert = nullptr;
  if (db) sqlite3_close_v2(db);
  db = nullptr;
  readOnly = false;
}

/// Opens the store when it is not open yet; a busy store is tried again after a pause.
bool SettingsStore::ensureOpen(bool ignorePause) {
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
    pauseRetries();
    return false;
  }
  state = State::off;
  pending.clear();
  std::cerr << "tovdock: settings will not be kept in this run: " << outcome.why << '\n';
  return false;
}

void SettingsStore::pauseRetries() {
  retryAt = Clock::now() + kRetryAfter;
}

/// SQLite's busy handler: waits in short steps until the call's deadline.
int SettingsStore::onBusy(void* self, int) {
  const auto left = static_cast<SettingsStore*>(self)->deadline - Clock::now();
  if (left <= Clock::duration::zero()) return 0;
  std::this_thread::sleep_for(std::min<Clock::duration>(left, kBusyStep));
  return 1;
}

/// SQLite returns SQLITE_BUSY without calling the busy handler in a few WAL situations
/// (recovery, snapshot upgrade); true when such a result may be retried before the deadline.
bool SettingsStore::retry(int rc) {
  if (!isBusy(rc) || Clock::now() >= deadline) return false;
  std::this_thread::sleep_for(kBusyStep);
  return true;
}

std::string SettingsStore::sqliteError(const std::string& what) const {
  return what + " (" + (db ? sqlite3_errmsg(db) : "out of memory") + ")";
}

std::string SettingsStore::where() const {
  return "the settings store " + place.file.string();
}

/// Runs `sql` without results.
int SettingsStore::exec(const char* sql) {
  int rc;
  // A script that stopped halfway holds its transaction open; start it again from the top.
  while (retry(rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr)))
    rollbackOpenTransaction();
  return rc;
}

/// Runs a query and hands each row to `row`; SQLITE_OK when all went through.
int SettingsStore::query(const char* sql, const std::function<void(sqlite3_stmt*)>& row) {
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

void SettingsStore::rollbackOpenTransaction() {
  if (!sqlite3_get_autocommit(db)) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
}

/// Steps a statement to its end.
int SettingsStore::step(sqlite3_stmt* st, std::string* row) {
  for (;;) {
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
      if (row) *row = columnText(st, 0);
    sqlite3_reset(st);
    if (rc == SQLITE_DONE) return SQLITE_OK;
    if (!retry(rc)) return rc;
  }
}

/// Ends the read transaction of a batch: later reads see what was written since.
void SettingsStore::endReading() {
  if (!reading) return;
  reading = false;
  if (!sqlite3_get_autocommit(db)) sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
}

/// Writes `records` in one transaction.
int SettingsStore::write(const std::vector<std::pair<Key, std::string>>& records) {
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
  if (rc != SQLITE_OK) rollbackOpenTransaction();
  return rc;
}

/// Writes the pending saves; true when none is left. A busy store keeps them for later, a store
/// that refuses one for another reason (disk full, I/O error) loses that one, reported once.
bool SettingsStore::writePending(bool ignorePause) {
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
    pauseRetries();
    return false;
  }
  if (primaryCode(rc) == SQLITE_READONLY) {
    readOnly = true;
    reportReadOnly();
    return false;
  }
  // One record may be the cause: the others are written on their own.
  for (auto& record : records) {
    rc = records.size() == 1 ? rc : write({record});
    if (isBusy(rc)) {
      pauseRetries();
      continue;
    }
    if (rc != SQLITE_OK) reportRuntime("cannot write to");
    pending.erase(record.first);
  }
  return pending.empty();
}

void SettingsStore::reportRuntime(const std::string& what) {
  if (runtimeFailureReported) return;
  runtimeFailureReported = true;
  std::cerr << "tovdock: " << sqliteError(what + " " + where()) << "; later changes may not be kept\n";
}

void SettingsStore::reportReadOnly() {
  if (readOnlyReported) return;
  readOnlyReported = true;
  std::cerr << "tovdock: " << where() << " cannot be written; changes are kept only while the program runs\n";
}

std::optional<std::string> SettingsStore::read(const std::string& section, const std::string& key) {
  std::lock_guard lock(mutex);
  waitAtMost(kCallWait);
  if (const auto it = pending.find(Key(section, key)); it != pending.end()) return it->second;
  if (!ensureOpen()) return std::nullopt;
  // An open store without its settings table (a new read-only one) holds nothing.
  if (!select) return std::string();
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
    return std::nullopt;
  }
  return value;
}

void SettingsStore::save(const std::string& section, const std::string& key, const std::string& value) {
  std::lock_guard lock(mutex);
  waitAtMost(kCallWait);
  if (state == State::off) return;
  pending[Key(section, key)] = value;
  // A batch writes its saves together when it ends.
  if (batches == 0) writePending(false);
}

void SettingsStore::beginBatch() {
  std::lock_guard lock(mutex);
  ++batches;
}

void SettingsStore::endBatch() {
  std::lock_guard lock(mutex);
  if (batches == 0 || --batches > 0) return;
  endReading();
  waitAtMost(kCallWait);
  writePending(false);
}

bool SettingsStore::persistent() {
  std::lock_guard lock(mutex);
  waitAtMost(kCallWait);
  ensureOpen();
  return writable();
}

std::size_t SettingsStore::pendingSaves() const {
  std::lock_guard lock(mutex);
  return pending.size();
}

bool SettingsStore::flush() {
  std::lock_guard lock(mutex);
  waitAtMost(kCallWait);
  return writePending(true);
}

void SettingsStore::finish() {
  std::lock_guard lock(mutex);
  batches = 0;
  endReading();
  if (pending.empty() || state == State::off) return;
  waitAtMost(kFinalWait);
  while (!writePending(true) && writable() && Clock::now() < deadline)
    std::this_thread::sleep_for(kBusyStep);
  if (!pending.empty() && writable())
    std::cerr << "tovdock: " << pending.size() << " setting(s) could not be written to " << where()
              << " before the end (it stayed busy); they are lost\n";
}

}  // namespace tov::host
