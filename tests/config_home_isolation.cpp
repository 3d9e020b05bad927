// Gives every test its own XDG_CONFIG_HOME, below the one ctest sets (or the temp folder), so that
// tests running in parallel, or one after another in one process, never share a settings store
// that the default host services create.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

class ConfigHomeIsolation : public testing::EmptyTestEventListener {
  void OnTestProgramStart(const testing::UnitTest&) override {
    const char* base = std::getenv("XDG_CONFIG_HOME");
    const fs::path parent = base && *base == '/' ? fs::path(base) : fs::temp_directory_path();
    std::string pattern = (parent / "tovdock-test-XXXXXX").string();
    fs::create_directories(parent, ec);
    if (!ec && mkdtemp(pattern.data())) root = pattern;
  }
  void OnTestStart(const testing::TestInfo& info) override {
    if (root.empty()) return;
    // Parameterised names contain '/'; each test's folder lies directly below the root.
    std::string name = std::string(info.test_suite_name()) + "." + info.name();
    std::replace(name.begin(), name.end(), '/', '_');
    fs::create_directories(root / name, ec);
    setenv("XDG_CONFIG_HOME", (root / name).c_str(), 1);
  }
  void OnTestProgramEnd(const testing::UnitTest&) override {
    if (!root.empty()) fs::remove_all(root, ec);
  }
  fs::path root;
  std::error_code ec;
};

[[maybe_unused]] const bool registered = [] {
  testing::UnitTest::GetInstance()->listeners().Append(new ConfigHomeIsolation);
  return true;
}();

}  // namespace
