#pragma once
// What holds after a layout pass in fit mode, for the operation walk.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "support/dock_access.h"

namespace tov::test {

/// After a layout pass in fit mode, with the scroll bar at `D`: the groups stacked without overlap (the
/// columns below the top group, the bottom group below both), no open resizable bar below its minimum, the
/// stack ending at the dock's bottom when the minimums fit, and splitters only within a group.
inline std::optional<std::string> fitBreaks(TovDock& dock, clsBars& all, DockTestAccess& access, bool scroll,
                                            std::int64_t D) {
  std::array<std::vector<BarRef>, 4> groups;
  // Heights wide: a bar may be as high as the API lets it be.
  std::array<std::int64_t, 4> height{}, need{};
  bool open = false;
  for (std::int32_t pos = 1; pos <= all.Count(); ++pos) {
    BarRef b = all.ItemByOrder(pos);
    const auto k = static_cast<std::size_t>(b->AlignBar() - eAlignTop);
    groups[k].push_back(b);
    height[k] += b->Height();
    if (b->State() == eBarHidden) continue;
    const std::int32_t i = b->Index();
    // The title strip, the distance to the body and the splitter strip, and at least 400 in all.
    const std::int64_t chrome =
        std::max<std::int64_t>(0, std::llround(access.picTitel(i).Height()) + BarInternals::fTopBar(*b)) +
        std::llround(access.picSplit(i).Height());
    const std::int64_t least = chrome + std::max<std::int64_t>(b->MinBodyHeight(), 400 - chrome);
    open = open || b->AllowResize();
    need[k] += b->AllowResize() ? least : b->Height();
    if (b->AllowResize() && b->Height() < std::min<std::int64_t>(least, INT32_MAX))
      return "bar " + std::to_string(i) + " of " + std::to_string(b->Height()) + " lies below its minimum " +
             std::to_string(least);
  }
  const std::int64_t middle = height[0] + std::max(height[1], height[2]);
  const std::array<std::int64_t, 4> start{0, height[0], height[0], middle};
  // A stack past 32 bits cannot be placed: the pass stops with its message, and the places stay.
  if (middle + height[3] > INT32_MAX) return std::nullopt;
  for (std::size_t k = 0; k < groups.size(); ++k) {
    std::int64_t y = start[k];
    for (std::size_t j = 0; j < groups[k].size(); ++j) {
      const BarRef& b = groups[k][j];
      const double top = access.picDockBar(b->Index()).Top();
      if (b->State() != eBarHidden && top != static_cast<double>(y - D))
        return "bar " + std::to_string(b->Index()) + " lies at " + std::to_string(top) + ", not at " +
               std::to_string(y - D);
      y += b->Height();
      // A splitter joins two resizable neighbours of one group.
      auto next = std::find_if(groups[k].begin() + static_cast<std::ptrdiff_t>(j) + 1, groups[k].end(),
                               [](const BarRef& n) { return n->State() != eBarHidden; });
      const bool joined = next != groups[k].end() && b->AllowResize() && (*next)->AllowResize();
      if (!scroll && b->State() != eBarHidden && b->ShowResize() != joined)
        return "bar " + std::to_string(b->Index()) +
               (joined ? " has no splitter" : " has a splitter to no neighbour");
    }
  }
  const std::int64_t needed = need[0] + std::max(need[1], need[2]) + need[3];
  const std::int64_t extent = middle + height[3];
  if (!scroll && open && needed <= std::llround(dock.Height()) && extent != std::llround(dock.Height()))
    return "the stack ends at " + std::to_string(extent) + " in a dock " + std::to_string(dock.Height()) +
           " high";
  return std::nullopt;
}

}  // namespace tov::test
