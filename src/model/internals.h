#pragma once
// What the library's own classes reach on a bar and on the collection, and the application cannot:
// creating them, the relay, the procedures of the display order, and the dock's procedures that
// bars and the collection call.
#include <cstdint>
#include <memory>
#include <vector>

#include "tovdock/bar.h"
#include "tovdock/bars.h"

namespace tov {

/// The dock's procedures that its bars and its collection call. The dock implements them; the
/// model finds them through the dock that its relay answers with (`dockLink`).
class DockLink {
 public:
  virtual BarRef fBarAdd() = 0;
  virtual void fClear() = 0;
  virtual void fRepaintBar(std::int32_t Index) = 0;
  virtual void fSetState(std::int16_t Index, std::int32_t& OldState) = 0;
  virtual void fSetHeight(std::int16_t Index, std::int32_t Height) = 0;
  virtual void fSetTop(std::int16_t Index, std::int32_t& Top) = 0;
  virtual std::int32_t fGetTop(std::int16_t Index) = 0;
  virtual std::int32_t fGetWidth(std::int16_t Index) = 0;
  virtual void fSetLeft(std::int16_t Index, std::int32_t& Left) = 0;
  virtual void fSetWidth(std::int16_t Index, std::int32_t& Width) = 0;
  virtual void fSetShowResize(std::int32_t Index) = 0;
  virtual void fRefreshTitle(std::int16_t Index) = 0;
  /// The dock's public hWndItem: the native window of bar `Index`'s frame.
  virtual Hwnd fHwndItem(std::int16_t Index) = 0;
  /// A setter's calls into the dock are one run of it (see TovDock::LayoutChanged).
  virtual void fEnterRun() = 0;
  virtual void fLeaveRun() = 0;
  /// A bar's group or the display order changed: the dock tells its listeners at the end of its run.
  virtual void fLayoutTouched() = 0;

 protected:
  ~DockLink() = default;
};

/// The procedures of a dock (defined with the dock).
DockLink& dockLink(TovDock& dock);

/// Holds a run of the dock that a relay answers with, if any, for the length of a bar's setter.
class LinkRun {
 public:
  explicit LinkRun(const std::shared_ptr<clsEvents>& relay);
  ~LinkRun() {
    if (mDock) dockLink(*mDock).fLeaveRun();
  }
  LinkRun(const LinkRun&) = delete;
  LinkRun& operator=(const LinkRun&) = delete;

 private:
  std::shared_ptr<TovDock> mDock;
};

struct BarInternals {
  static BarRef create() { return std::make_shared<cTovBar>(cTovBar::Passkey()); }
  /// The relay through which the bar finds its dock; null cuts it off.
  static void fEvents(cTovBar& bar, std::shared_ptr<clsEvents> relay) { bar.mEvents = std::move(relay); }
  /// The toolkit of the dock that created the bar: hands controls back even after the dock is gone.
  static void fToolkit(cTovBar& bar, std::shared_ptr<Toolkit> toolkit) { bar.mToolkit = std::move(toolkit); }
  static std::int32_t fTopBar(const cTovBar& bar) { return bar.mTopBar; }
  static std::uint64_t fTitleStamp(const cTovBar& bar) { return bar.mTitleStamp; }
  static std::int32_t fTitleHeight(const cTovBar& bar) { return bar.mTitleHeight; }
  /// The resize switch as set, whatever the state.
  static bool fAllowResize(const cTovBar& bar) { return bar.mAllowResize; }
  /// In fit mode: the height the user or the application last gave the bar (0: none).
  static std::int32_t fShare(const cTovBar& bar) { return bar.mShare; }
  static void fSetShare(cTovBar& bar, std::int32_t h) { bar.mShare = h; }
  /// Whether the fit folded the bar to its title: it is expanded as far as its user knows.
  static bool fFitFolded(const cTovBar& bar) { return bar.mFitFolded; }
  static void fSetFitFolded(cTovBar& bar, bool on) { bar.mFitFolded = on; }
  /// Whether the height being set is the one the bar's new state gives it.
  static bool fChangingState(const cTovBar& bar) { return bar.mChangingState; }
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
  /// Bars in creation order.
  static const std::vector<BarRef>& fItems(const clsBars& bars) { return bars.mCol; }
};

}  // namespace tov
