// Seeded random walks over the dock's API and user input, with handlers that re-enter it. The same
// walk runs as a coverage-guided fuzzer (fuzz/operations_fuzz.cpp); its saved inputs are replayed
// here too, so a fault it once found stays fixed in every build.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "support/operations_driver.h"

namespace tov::test {
namespace {

TEST(OperationsWalk, SeededWalksKeepEveryRule) {
  int steps = 0, fitsChecked = 0, restoredChecked = 0, reentries = 0;
  for (std::uint32_t seed = 1; seed <= 6; ++seed) {
    std::mt19937 random(seed);
    std::vector<std::uint8_t> bytes(24000);
    std::generate(bytes.begin(), bytes.end(), [&] { return static_cast<std::uint8_t>(random()); });
    OperationsDriver driver(bytes.data(), bytes.size());
    const auto broken = driver.run(600);
    EXPECT_FALSE(broken) << "seed " << seed << ": " << *broken;
    steps += driver.steps;
    fitsChecked += driver.fitsChecked;
    restoredChecked += driver.restoredChecked;
    reentries += driver.reentries;
  }
  // The walks went the whole way, often met a laid-out stack, restarted from saved layouts and had
  // the host and the hosted controls call back into the dock.
  EXPECT_EQ(steps, 6 * 600);
  EXPECT_GT(fitsChecked, 200);
  EXPECT_GT(restoredChecked, 20);
  EXPECT_GT(reentries, 150);
}

TEST(OperationsWalk, FuzzerFindingsStayFixed) {
  const std::filesystem::path dir = std::filesystem::path(TOVDOCK_TEST_DATA_DIR) / "fuzz" / "operations_fuzz";
  if (!std::filesystem::exists(dir)) GTEST_SKIP() << "no saved inputs";
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    std::ifstream in(entry.path(), std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                          std::istreambuf_iterator<char>()};
    const auto broken = OperationsDriver(bytes.data(), bytes.size()).run(1 << 20);
    EXPECT_FALSE(broken) << entry.path().filename() << ": " << *broken;
  }
}

}  // namespace
}  // namespace tov::test
