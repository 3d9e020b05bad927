#pragma once
/// @file
/// The dock control, `TovDock`, and the layout as data.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tovdock/bar.h"
#include "tovdock/bars.h"
#include "tovdock/export.h"
#include "tovdock/platform.h"

namespace tov {

class TovDockPrivate;
class HostServices;

/// One bar's place in the layout, as the dock stores it under the bar's key.
struct LayoutRecord {
  /// The bar's `Key`.
  std::string key;
  /// Display position, 1 to the number of bars.
  std::int32_t position = 0;
  /// `eAlignBar`: the bar's group.
  std::int32_t align = eAlignTop;
  /// `ETovBarStates`.
  std::int32_t state = eBarExpanded;
  /// The bar's height: 0 while hidden; for a collapsed bar, the height it expands to.
  std::int32_t height = 0;
  /// Records are equal when every field is.
  bool operator==(const LayoutRecord&) const = default;
  /// The tallest height guarded records give a bar (see TovDock::setGuardedRecords), in twips:
  /// taller than any screen, and the most bars a dock holds at this height still add up in 32 bits.
  static constexpr std::int32_t kHeightMax = 65535;
};

/// The elements that draw a bar, for a layer that presents them (keyboard focus, assistive
/// technology, colours of the grip lines). Members are null while the bar has no elements.
struct BarElementsView {
  Panel* frame = nullptr;                       ///< the bar's frame: title strip and hosted control lie in it
  Panel* title = nullptr;                       ///< the title strip
  Panel* splitter = nullptr;                    ///< the splitter strip under the bar
  Label* caption = nullptr;                     ///< the title text
  Label* captionRight = nullptr;                ///< the right-hand title text
  Image* icon = nullptr;                        ///< the bar's icon on the title strip
  Image* close = nullptr;                       ///< the close button
  Image* collapse = nullptr;                    ///< the collapse button (shown while expanded)
  Image* expand = nullptr;                      ///< the expand button (shown while collapsed)
  Image* options = nullptr;                     ///< the options button
  Line* grip[3] = {nullptr, nullptr, nullptr};  ///< the grip lines on the splitter strip
};

/// The dock control: a vertical stack of bars with title strips, splitters, columns, scrolling,
/// drag and drop reordering and a remembered layout.
///
/// Create it with `TovDock::create`; the application keeps the shared reference. The dock works
/// on the surface its toolkit gives it (`surface()`), which the application places in its window.
/// Typical use:
///
///     auto dock = tov::TovDock::create();
///     auto bar = dock->Bars()->Add();
///     bar->setKey("files"); bar->setTitle("Dateien"); bar->setControl(myControl);
///     dock->setShow(true);
///
/// Everything runs on the thread that owns the surface. Event handlers run synchronously inside
/// the dock's routines and may do anything, including clearing the bars or dropping the last
/// reference to the dock: the dock finishes on what still exists and stays safe.
class TOVDOCK_EXPORT TovDock : public std::enable_shared_from_this<TovDock> {
 public:
  /// A new, inactive dock on a surface of `toolkit` (the default toolkit when null).
  static std::shared_ptr<TovDock> create(std::shared_ptr<Toolkit> toolkit = nullptr);
  /// Terminates the dock (see Terminate).
  ~TovDock();
  TovDock(const TovDock&) = delete;
  TovDock& operator=(const TovDock&) = delete;

  /// The bar collection; the same object for the dock's life, null once it has terminated.
  BarsRef Bars() const;

  ///@{
  /// Scroll mode: the stack may be taller than the dock. Takes effect at the next layout.
  bool AllowScroll() const;
  void setAllowScroll(bool v);
  ///@}

  ///@{
  /// Fit mode (off by default): bars are sized for their content. Without scrolling the stack fills
  /// the dock: the free height goes to the resizable bars in proportion to their share (the height
  /// the user or the application last gave a bar, else its PreferredBodyHeight), the left and the
  /// right column each on its own, and never below a bar's MinBodyHeight; when the dock is too
  /// small for every minimum, bars fold to their titles from the bottom up and unfold again as it
  /// grows. A splitter moves only between two bars of one group and stops at either's minimum;
  /// hosted controls end where the splitter strip begins. With scrolling, a resizable bar takes its
  /// share, else its preferred height. Records store the shares. Takes effect at the next layout.
  bool FitToDock() const;
  void setFitToDock(bool on);
  ///@}
  ///@{
  /// What the shown bars need in fit mode without scrolling, in twips: the least height (every
  /// bar at its minimum, the columns side by side), the height at their preferred heights, and
  /// the least width that keeps every bar as wide as its MinBodyWidth.
  std::int32_t MinimumHeight() const;
  std::int32_t PreferredHeight() const;
  std::int32_t MinimumWidth() const;
  ///@}

  ///@{
  /// Guarded records (off by default), for a stored layout that other runs of the application
  /// share and that may hold anything. A save writes only the records whose value this dock
  /// changed since it last read or wrote them, so that another run's change to a bar this one left
  /// alone stays; a bar the store held no record for is written at the next save; a record the
  /// store could not give when the layout was loaded (HostServices::ReadSetting) is not written
  /// until a later load reads it. Heights from the store and from applyRecords are taken as at
  /// most LayoutRecord::kHeightMax.
  bool GuardedRecords() const;
  void setGuardedRecords(bool on);
  ///@}

  ///@{
  /// Activates the dock: loads colours and stored settings, sizes, paints and lays out the bars.
  /// False only stops further layout, painting and saving.
  bool Show() const;
  void setShow(bool b);
  ///@}

  /// Shows bars again: 0 all hidden bars, -1 resets states, heights and order, else bar `Index`.
  void ShowElement(std::int32_t Index);

  /// The native window of bar `Index`'s frame (0: the template's). Throws for a missing bar.
  Hwnd hWndItem(std::int16_t Index) const;

  /// Saves the settings (inside a running application), hands the hosted controls back and drops
  /// the bars. Runs once; the destructor calls it when the application has not.
  void Terminate();

  // Events; every argument is by reference so a handler may change it.

  /// The user hid bar `Key` with its close button.
  std::function<void(std::string& Key)> Closed;
  /// The dock has just placed or resized the control hosted in bar `Key`.
  std::function<void(std::string& Key)> CtlResize;
  /// The user asked for bar `Key`'s options. A handler that sets `bReLoad` has the dock apply the
  /// bar's switches and repaint it afterwards.
  std::function<void(std::string& Key, bool& bReLoad)> OptShow;
  /// A right click on bar `Key`'s title strip, or on the dock's background with an empty key.
  std::function<void(std::string& Key)> RightClick;

  // ---- For the layers above: what the user does, the layout as data, batches ----

  /// What the user does with the mouse, given from code (keyboard, assistive technology, undo).
  /// Each acts exactly as its mouse action does: the same checks, events, layout and saving. Each
  /// returns false and does nothing where the mouse could not do it (no such bar, the button or
  /// strip not offered); closeBar also returns false when the last visible bar is refused.
  ///@{
  /// The collapse, expand and close buttons of bar `Index`.
  bool collapseBar(BarIndex Index);
  bool expandBar(BarIndex Index);
  bool closeBar(BarIndex Index);
  ///@}
  /// The options button.
  bool requestOptions(BarIndex Index);
  /// A right-button press on the bar's title strip.
  bool requestContextMenu(BarIndex Index);
  /// Drags the bar's splitter strip by `dy` twips and releases it (a negative `dy` moves it up): the
  /// drag's limits apply, the partner follows and the layout is saved.
  bool dragSplitter(BarIndex Index, double dy);
  /// The bar takes `height` as a splitter released at its lower edge gives it: the partner
  /// follows and the layout is saved. Only for an expanded bar.
  bool setBarHeight(BarIndex Index, std::int32_t height);
  /// Moves the bar to a display position (1 to the number of bars) in group `align`, as a drop
  /// does: it takes the group, then the place, and the new order is laid out and saved. False for
  /// a bar that cannot move, a position or group out of range, or a move that changes nothing.
  bool moveBar(BarIndex Index, std::int32_t position, std::int32_t align);
  /// Shows a hidden bar again (as ShowElement(Index)) and, on a shown dock, saves the layout.
  bool showBar(BarIndex Index);
  /// Resets the layout (as ShowElement(-1)) and saves it.
  void resetLayout();

  /// Applies the bars' groups to the display order and fits and lays out the stack, on a shown
  /// dock. Called inside a run of the dock (a handler, a Batch) it waits for the run's end.
  void relayout();
  /// Repaints a bar (its title arranged for its switches as they are now), on a shown dock.
  void repaintBar(BarIndex Index);
  /// Loads the colours from the host services again and repaints, on a shown dock.
  void reloadColors();
  /// Host services of this dock alone; null gives it the process-wide ones again.
  void setHostServices(std::shared_ptr<HostServices> services);
  /// The elements of bar `Index` (0: the template every new bar copies).
  BarElementsView elementsOf(BarIndex Index) const;

  /// The layout as the dock stores it: one record per bar with a key, group by group (top, left,
  /// right, bottom), in display order within each group.
  std::vector<LayoutRecord> records() const;
  /// Applies records with the rules of loading the stored layout: each bar with a key takes the
  /// first record of that key; records whose group or state the dock does not know, or whose
  /// position lies outside the bars, are ignored; a hidden bar without a close button comes back
  /// expanded; heights go only to bars that can resize (a collapsed one keeps it for when it
  /// expands, when it is above its title's height); the order is taken when the records give every
  /// bar a place of its own. A shown dock is then repainted and laid out. On a dock that
  /// has never been shown, the records also stand in for the stored layout when it is first shown.
  void applyRecords(const std::vector<LayoutRecord>& records);

  /// Holds the dock's work together: a relayout asked for meanwhile runs once and LayoutChanged is
  /// told once, when the last Batch of the dock ends. Keeps the dock alive meanwhile.
  class Batch {
   public:
    /// Opens a batch of `dock`; the destructor closes it.
    explicit Batch(TovDock& dock);
    ~Batch();
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

   private:
    std::shared_ptr<TovDock> mDock;
  };

  /// Whether a run of the dock is under way: a public call, a toolkit event, a bar's call or a
  /// Batch has not ended yet. Code that a run calls (a handler, a hosted control) is inside it.
  bool inRun() const;

  /// A bar's state, group, display position or height changed: raised once at the end of the run of
  /// the dock in which it changed (a public call, a user's action, a Batch). A splitter drag is one
  /// run from its first move to its release. Changes made by resizing the dock are not told.
  std::function<void()> LayoutChanged;

  /// The dock's own area, to be placed in the application's window.
  Surface& surface() const;
  /// The toolkit the dock was created on.
  Toolkit& toolkit() const;
  ///@{
  /// Size of the dock in twips. Setting it is what the container does when it resizes the dock;
  /// a width or height that is not a finite number within 32 bits is refused with a Failure
  /// (errInvalidCall) and changes nothing.
  double Width() const;
  double Height() const;
  void resize(double width, double height);
  ///@}

 private:
  friend class TovDockPrivate;
  explicit TovDock(std::shared_ptr<Toolkit> toolkit);
  std::unique_ptr<TovDockPrivate> d;
};

/// The shared reference to a dock that `TovDock::create` gives.
using DockRef = std::shared_ptr<TovDock>;

}  // namespace tov
