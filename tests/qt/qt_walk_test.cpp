// Seeded walks over the dock widget's API and input, with slots that delete the dock, add, remove,
// restore and reset (qt_walk.h). The same walk runs as a fuzzer (fuzz/qt_walk_fuzz.cpp).
#include <gtest/gtest.h>

#include <random>

#include "qt_walk.h"

namespace tov::qt::test {
namespace {

TEST(QtWalk, SeededWalksKeepEveryRule) {
  int deletions = 0, reentries = 0;
  for (const std::uint32_t seed :
       {1,   2,   3,   4,    6,    7,    9,    13,   17,   19,   20,   22,   23,   26,  27,
        28,  29,  32,  35,   42,   49,   73,   75,   78,   79,   80,   101,  144,  145, 154,
        157, 197, 873, 1041, 1127, 1602, 2118, 3266, 3350, 3573, 3637, 7112, 16437}) {
    std::mt19937 random(seed);
    std::vector<std::uint8_t> bytes(20000);
    std::generate(bytes.begin(), bytes.end(), [&] { return static_cast<std::uint8_t>(random()); });
    QtWalk walk(bytes.data(), bytes.size());
    const auto broken = walk.run(300);
    EXPECT_EQ(std::pair(broken.value_or(""), walk.steps), std::pair(std::string(), 300)) << "seed " << seed;
    deletions += walk.deletions, reentries += walk.reentries;
  }
  // Slots deleted docks and acted inside the dock's calls and signals.
  EXPECT_GT(deletions, 20);
  EXPECT_GT(reentries, 150);
  RecordProperty("deletions", deletions), RecordProperty("reentries", reentries);
}

}  // namespace
}  // namespace tov::qt::test
