#pragma once
// Helpers for tests of the settings store on disk: a private folder per test, files read whole, SQLite files
// made by hand, and children that run with their own stderr.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <regex>
#include <string>

namespace tov::test {

namespace fs = std::filesystem;

inline std::string readFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

/// How many diagnostics the library wrote to a captured stderr.
inline std::size_t reports(const std::string& err) {
  const std::regex mark("tovdock:");
  return std::distance(std::sregex_iterator(err.begin(), err.end(), mark), std::sregex_iterator());
}

/// Whether no journal, WAL or shared memory file lies next to `file`.
inline bool aloneIn(const fs::path& file) {
  for (const char* suffix : {"-wal", "-shm", "-journal"})
    if (fs::exists(fs::symlink_status(file.string() + suffix))) return false;
  return true;
}

constexpr const char* kMeta =
    "CREATE TABLE meta(name TEXT PRIMARY KEY, value TEXT NOT NULL); INSERT INTO meta VALUES('format', '1');";
constexpr const char* kSettings =
    "CREATE TABLE settings(section TEXT NOT NULL, key TEXT NOT NULL, value TEXT NOT NULL,"
    " PRIMARY KEY(section, key));";

/// Runs `sql` on a new database at `path`, or on the one there; the first value it returns.
inline std::string sqlite(const fs::path& path, const std::string& sql, bool fresh = true) {
  for (const char* suffix : {"", "-wal", "-shm", "-journal"})
    if (fresh) fs::remove(path.string() + suffix);
  sqlite3* db = nullptr;
  std::string first = "<none>";
  auto keepFirst = [](void* out, int, char** values, char**) {
    if (*static_cast<std::string*>(out) == "<none>" && values[0]) *static_cast<std::string*>(out) = values[0];
    return 0;
  };
  EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(db, sql.c_str(), keepFirst, &first, nullptr), SQLITE_OK)
      << sqlite3_errmsg(db) << ": " << sql;
  sqlite3_close(db);
  return first;
}

/// Runs `body` in a child that exits with its result and never outlives `seconds`.
inline pid_t spawn(const std::function<int()>& body, unsigned seconds = 30) {
  const pid_t pid = fork();
  if (pid == 0) {
    alarm(seconds);
    _exit(body());
  }
  return pid;
}

/// The exit code of the child `pid` once it has ended, or -1 when a signal ended it; with `kill` set, the
/// child is killed first (-2 when it cannot be).
inline int exitCode(pid_t pid, bool kill = false) {
  int status = 0;
  if (kill && ::kill(pid, SIGKILL) != 0) return -2;
  return waitpid(pid, &status, 0) == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

/// A child that holds an exclusive transaction on each store until it is killed (30 s at most); -1 when
/// it could not lock them all.
inline pid_t holdLocked(std::initializer_list<fs::path> stores) {
  int locked[2];
  if (pipe(locked) != 0) return -1;
  const pid_t pid = spawn([&] {
    for (const fs::path& store : stores) {
      sqlite3* db = nullptr;
      if (sqlite3_open(store.c_str(), &db) != SQLITE_OK ||
          sqlite3_exec(db, "BEGIN EXCLUSIVE; INSERT INTO settings VALUES('Locker', 'k', 'v');", nullptr,
                       nullptr, nullptr) != SQLITE_OK)
        return 3;
    }
    return write(locked[1], "l", 1) == 1 ? pause() : 4;
  });
  close(locked[1]);
  char byte = 0;
  const bool held = read(locked[0], &byte, 1) == 1;
  close(locked[0]);
  return held ? pid : -1;
}

/// A folder of its own for each test, removed afterwards, with `store` in it.
struct HostStoreTest : testing::Test {
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "tovdock-store-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir = pattern;
    store = dir / "settings.sqlite";
  }
  void TearDown() override { fs::remove_all(dir, ec); }

  /// Runs `body` in a child whose stderr goes to a file; the child's exit code and that stderr.
  std::pair<int, std::string> inChild(const std::function<int()>& body) {
    const auto errFile = dir / "child-stderr.txt";
    const int code = exitCode(spawn([&] {
      if (!freopen(errFile.c_str(), "w", stderr)) return 3;
      const int result = body();
      std::fflush(stderr);
      return result;
    }));
    return {code, readFile(errFile)};
  }

  fs::path dir, store;
  std::error_code ec;
};

}  // namespace tov::test
