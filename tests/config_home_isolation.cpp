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

class ConfigHomeIsolation : public testing::EmptyTestEventListener {
 public:
  void OnTestProgramStart(const testing::UnitTest&) override {
    const char* base = std::getenv("XDG_CONFIG_HOME");
    const std::filesystem::path root =
        base && *base == '/' ? std::filesystem::path(base) : std::filesystem::temp_directory_path();
    std::error_code ec;
    std::filesystem::create_directories(root, ec);
    std::string pattern = (root / "tovdock-test-XXXXXX").string();
    if (!ec && mkdtemp(pattern.data())) mRoot = pattern;
  }

  void OnTestStart(const testing::TestInfo& info) override {
    if (mRoot.empty()) return;
    // Parameterised names contain '/'; each test's folder lies directly below the root.
    std::string name = std::string(info.test_suite_name()) + "." + info.name();
    std::replace(name.begin(), name.end(), '/', '_');
    const auto home = mRoot / name;
    std::error_code ec;
    std::filesystem::create_directories(home, ec);
    setenv("XDG_CONFIG_HOME", home.c_str(), 1);
  }

  void OnTestProgramEnd(const testing::UnitTest&) override {
    std::error_code ec;
    if (!mRoot.empty()) std::filesystem::remove_all(mRoot, ec);
  }

 private:
  std::filesystem::path mRoot;
};

[[maybe_unused]] const bool registered = [] {
  testing::UnitTest::GetInstance()->listeners().Append(new ConfigHomeIsolation);
  return true;
}();

}  // namespace
