// Seeded random walks over the dock's API and user input, with handlers that re-enter it. The same
// walk runs as a coverage-guided fuzzer (fuzz/operations_fuzz.cpp); its saved inputs are replayed
// here too, so a fault it once found stays fixed in every build.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "support/operations_driver.h"

namespace tov::test {
namespace {

TEST(OperationsWalk, SeededWalksKeepEveryRule) {
  // Steps, laid-out stacks checked, bars restored from saved layouts, calls of the host and the
  // hosted controls back into the dock, stacks checked in fit mode.
  std::array<int, 5> reached{};
  for (const std::uint32_t seed : {1, 2, 3, 4, 5, 6, 67, 27445}) {
    std::mt19937 random(seed);
    std::vector<std::uint8_t> bytes(24000);
    std::generate(bytes.begin(), bytes.end(), [&] { return static_cast<std::uint8_t>(random()); });
    OperationsDriver d(bytes.data(), bytes.size());
    const auto broken = d.run(600);
    EXPECT_FALSE(broken) << "seed " << seed << ": " << *broken;
    const std::array now{d.steps, d.fitsChecked, d.restoredChecked, d.reentries, d.fitChecked};
    for (std::size_t k = 0; k < now.size(); ++k)
      reached[k] += now[k];
  }
  // The walks went the whole way and met each of these often.
  EXPECT_EQ(reached[0], 8 * 600);
  EXPECT_EQ((std::vector{reached[1] > 150, reached[2] > 20, reached[3] > 150, reached[4] > 200}),
            std::vector(4, true))
      << reached[1] << " " << reached[2] << " " << reached[3] << " " << reached[4];
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
