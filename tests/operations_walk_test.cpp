// Seeded random walks over the dock's API and user input, with handlers that re-enter it. The same
// walk runs as a coverage-guided fuzzer (fuzz/operations_fuzz.cpp); its saved inputs are replayed
// here too, so a fault it once found stays fixed in every build.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "support/operations_driver.h"

namespace tov::test {
namespace {

struct Reached {
  int steps = 0, fitsChecked = 0, restoredChecked = 0, reentries = 0;
};

std::optional<std::string> walk(const std::vector<std::uint8_t>& bytes, int maxSteps,
                                Reached* reached = nullptr) {
  OperationsDriver driver(bytes.data(), bytes.size());
  auto broken = driver.run(maxSteps);
  if (reached) {
    reached->steps += driver.steps;
    reached->fitsChecked += driver.fitsChecked;
    reached->restoredChecked += driver.restoredChecked;
    reached->reentries += driver.reentries;
  }
  return broken;
}

TEST(OperationsWalk, SeededWalksKeepEveryRule) {
  Reached r;
  for (std::uint32_t seed = 1; seed <= 6; ++seed) {
    std::mt19937 random(seed);
    std::vector<std::uint8_t> bytes(24000);
    for (auto& b : bytes)
      b = static_cast<std::uint8_t>(random());
    const auto broken = walk(bytes, 600, &r);
    EXPECT_FALSE(broken) << "seed " << seed << ": " << *broken;
  }
  // The walks went the whole way, often met a laid-out stack, restarted from saved layouts and had
  // the host and the hosted controls call back into the dock.
  EXPECT_EQ(r.steps, 6 * 600);
  EXPECT_GT(r.fitsChecked, 200);
  EXPECT_GT(r.restoredChecked, 20);
  EXPECT_GT(r.reentries, 150);
  std::printf("%d steps, %d layouts and %d restored bars checked, %d re-entries\n", r.steps, r.fitsChecked,
              r.restoredChecked, r.reentries);
}

TEST(OperationsWalk, FuzzerFindingsStayFixed) {
  const std::filesystem::path dir = std::filesystem::path(TOVDOCK_TEST_DATA_DIR) / "fuzz" / "operations_fuzz";
  if (!std::filesystem::exists(dir)) GTEST_SKIP() << "no saved inputs";
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    std::ifstream in(entry.path(), std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                          std::istreambuf_iterator<char>()};
    const auto broken = walk(bytes, 1 << 20);
    EXPECT_FALSE(broken) << entry.path().filename() << ": " << *broken;
  }
}

}  // namespace
}  // namespace tov::test
