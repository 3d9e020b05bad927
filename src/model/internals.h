#pragma once
// What the library's own classes reach on a bar and on the collection, and the application cannot:
// creating them, the relay, and the procedures of the display order.
#include <cstdint>
#include <memory>
#include <vector>

#include "tovdock/bar.h"
#include "tovdock/bars.h"

namespace tov {

struct BarInternals {
  static BarRef create() { return std::make_shared<cTovBar>(cTovBar::Passkey()); }
  /// The relay through which the bar finds its dock; null cuts it off.
  static void fEvents(cTovBar& bar, std::shared_ptr<clsEvents> relay) { bar.mEvents = std::move(relay); }
  /// The toolkit of the dock that created the bar: hands controls back even after the dock is gone.
  static void fToolkit(cTovBar& bar, std::shared_ptr<Toolkit> toolkit) { bar.mToolkit = std::move(toolkit); }
  static std::int32_t fTopBar(const cTovBar& bar) { return bar.mTopBar; }
  static std::uint64_t fTitleStamp(const cTovBar& bar) { return bar.mTitleStamp; }
  static std::int32_t fTitleHeight(const cTovBar& bar) { return bar.mTitleHeight; }
  static std::int32_t fHeightExpanded(const cTovBar& bar) { return bar.mHeightExpanded; }
  /// The height the bar takes when it is expanded, without touching its present one.
  static void fSetHeightExpanded(cTovBar& bar, std::int32_t h) { bar.mHeightExpanded = h; }
  /// The resize switch as set, whatever the state.
  static bool fAllowResize(const cTovBar& bar) { return bar.mAllowResize; }
  static std::int32_t fParentHwnd(const cTovBar& bar) { return bar.mParentHwnd; }
  /// How many times a bar of this process changed its state: a watcher of many bars looks at
  /// them again only when this moved.
  static std::uint64_t fStateChanges();
};

struct BarsInternals {
  /// A collection whose own failures are shown on `toolkit`.
  static BarsRef create(std::shared_ptr<Toolkit> toolkit) {
    auto bars = std::make_shared<clsBars>(clsBars::Passkey());
    bars->mToolkit = std::move(toolkit);
    return bars;
  }
  static void fEvents(clsBars& bars, std::shared_ptr<clsEvents> relay) { bars.mEvents = std::move(relay); }
  /// Display position of a bar index; 1 for index 0, 0 when the index is not in the order.
  static std::int32_t fOrderByIndex(clsBars& bars, std::int32_t Index);
  /// Moves bar `Index` to display position `NewPos`, shifting the bars in between.
  static void fInsert(clsBars& bars, std::int32_t Index, std::int32_t NewPos);
  /// Moves bar `Index` behind bar `AfterIndex` (0: to position 2).
  static void fInsertAfter(clsBars& bars, std::int32_t Index, std::int32_t AfterIndex);
  /// Installs `Order` (slots 1..Count) grouped by alignment when it is a permutation of 1..Count.
  static bool fSetOrder(clsBars& bars, const std::vector<std::int32_t>& Order);
  /// Re-applies the current order grouped by alignment.
  static bool fReorder(clsBars& bars);
  /// Creation order.
  static bool fSetOrderDefault(clsBars& bars);
  /// The display order, slots 0..Count (slot 0 unused).
  static const std::vector<std::int32_t>& fOrder(const clsBars& bars) { return bars.mOrder; }
  /// Bars in creation order (for the dock's fast walks).
  static const std::vector<BarRef>& fItems(const clsBars& bars) { return bars.mCol; }
  /// The records of the bars, at the places of fItems.
  static const std::vector<BarRecord>& fRecords(const clsBars& bars) { return bars.mRecords; }
};

}  // namespace tov
