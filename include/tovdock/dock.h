#pragma once
/// TovDock: a vertical stack of bars with title strips, splitters, columns, scrolling, drag and drop
/// reordering and a remembered layout.
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
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tovdock/bar.h"
#include "tovdock/bars.h"
#include "tovdock/platform.h"

namespace tov {

template <class T>
class ElementArray;
struct DockTestAccess;

class TovDock : public std::enable_shared_from_this<TovDock> {
 public:
  /// A new, inactive dock on a surface of `toolkit` (the default toolkit when null).
  static std::shared_ptr<TovDock> create(std::shared_ptr<Toolkit> toolkit = nullptr);
  /// Terminates the dock (see Terminate).
  ~TovDock();
  TovDock(const TovDock&) = delete;
  TovDock& operator=(const TovDock&) = delete;

  /// The bar collection; the same object for the dock's life.
  BarsRef Bars() const { return mBars; }

  /// Scroll mode: the stack may be taller than the dock. Takes effect at the next layout.
  bool AllowScroll() const { return mAllowScroll; }
  void setAllowScroll(bool v) { mAllowScroll = v; }

  /// Activates the dock: loads colours and stored settings, sizes, paints and lays out the bars.
  /// False only stops further layout, painting and saving.
  bool Show() const { return mShow; }
  void setShow(bool b);

  /// Shows bars again: 0 all hidden bars, -1 resets states, heights and order, else bar `Index`.
  void ShowElement(std::int32_t Index);

  /// The native window of bar `Index`'s frame (0: the template's). Throws for a missing bar.
  Hwnd hWndItem(std::int16_t Index) const;

  /// Saves the settings (inside a running application), hands the hosted controls back and drops
  /// the bars. Runs once; the destructor calls it when the application has not.
  void Terminate();

  /// Events; every argument is by reference so a handler may change it.
  std::function<void(std::string& Key)> Closed;
  std::function<void(std::string& Key)> CtlResize;
  std::function<void(std::string& Key, bool& bReLoad)> OptShow;
  std::function<void(std::string& Key)> RightClick;

  /// The dock's own area, to be placed in the application's window.
  Surface& surface() const { return *mSurface; }
  Toolkit& toolkit() const { return *mToolkit; }
  /// Size of the dock in twips. Setting it is what the container does when it resizes the dock;
  /// a width or height that is not a finite number within 32 bits is refused with a Failure
  /// (errInvalidCall) and changes nothing.
  double Width() const;
  double Height() const;
  void resize(double width, double height);

  // Library-internal: called by the bars and the collection.
  BarRef fBarAdd();
  void fClear();
  void fRepaintBar(std::int32_t Index);
  void fSetState(std::int16_t Index, std::int32_t& OldState);
  void fSetHeight(std::int16_t Index, std::int32_t Height);
  void fSetTop(std::int16_t Index, std::int32_t& Top);
  std::int32_t fGetTop(std::int16_t Index);
  std::int32_t fGetWidth(std::int16_t Index);
  void fSetLeft(std::int16_t Index, std::int32_t& Left);
  void fSetWidth(std::int16_t Index, std::int32_t& Width);
  void fSetShowResize(std::int32_t Index);
  void fRefreshTitle(std::int16_t Index);

 private:
  friend struct DockTestAccess;
  explicit TovDock(std::shared_ptr<Toolkit> toolkit);
  void initialise();
  void buildTemplate();
  void wireMember(std::int16_t i);
  void onSurfaceResize();

  // Layout.
  void OrderBars(bool bSave);
  std::int32_t pResizeHeight();
  void pResizeWidth(const std::int32_t& W);
  void pSetHeightMax();
  void pAutoSize();
  std::int32_t scrollStep(std::int32_t T);

  // Scrolling and hosted controls.
  void VScroll_Change();
  void VScroll_Scroll();
  void pPlaceSplit(std::int16_t Index);
  void pPlaceControl(std::int16_t Index);
  /// The visible bars in display order.
  std::vector<BarRef> visibleBars() const;

  // Title strip.
  void pLoadColors();
  Color pGetColor(std::int32_t ColorNumber);
  void pPaint(std::int16_t Index);
  void pArrangeTitle(std::int32_t Index);
  void pPaintGradient(std::int32_t Index);

  // Commands.
  void pCloseBar(std::int16_t Index);
  void pTitleRightClick(std::int16_t Index);
  void pRepaintAll();
  void pRefreshAll();
  void imgCollapse_Click(std::int16_t Index);
  void imgExpand_Click(std::int16_t Index);
  void imgOpt_Click(std::int16_t Index);
  void UserControl_MouseDown(const MouseArgs& a);

  // Splitter.
  void picSplit_MouseMove(std::int16_t Index, const MouseArgs& a);
  void picSplit_MouseUp(std::int16_t Index, const MouseArgs& a);

  // Drag and drop.
  void picTitel_MouseDown(std::int16_t Index, const MouseArgs& a);
  void DockBar_DragDrop(std::int16_t Index);
  /// Whether a drop ends a drag this dock started on a title and that is still on.
  bool ownDrag(Element* source);
  void UserControl_DragDrop(Element* source, float X, float Y);

  // Settings.
  void pSaveSettings();
  void pLoadSettings();

  // Height exchange.
  void pCalcHeight(const std::int16_t& Index, std::int16_t& PartnerIndex);
  void pResizeBar(std::int16_t Index);
  void pBarChanged(std::int16_t Index);

  /// Raises an event with a copy of the handler; false when the dock was terminated meanwhile.
  template <class F, class... A>
  bool raise(const F& handler, A&... args);
  /// The collection, or a Failure (errObjectNotSet) once the dock has terminated.
  clsBars& bars() const;
  /// The bar at an index, or a Failure (errObjectNotSet) when there is none.
  BarRef bar(std::int32_t Index) const;
  bool alive() const { return !mTerminated; }
  /// Runs a routine that stops at its first failure and shows it titled `context`. A failure that
  /// comes from the dock having terminated under the routine is not shown.
  template <class F>
  bool report(const char* context, F&& body);
  /// Runs one step of a routine that reports a failure titled `context` and goes on.
  template <class F>
  void reportStep(const char* context, F&& step) {
    report(context, std::forward<F>(step));
  }

  /// The title gradient last drawn on a bar's strip; drawing the same one again changes nothing.
  struct GradientKey {
    Color start = 0, end = 0;
    bool vertical = false;
    float step = 0;
    bool operator==(const GradientKey&) const = default;
  };
  std::vector<GradientKey> mGradients;

  std::shared_ptr<Toolkit> mToolkit;
  std::unique_ptr<Surface> mSurface;
  std::shared_ptr<clsEvents> mEvents;
  BarsRef mBars;

  std::unique_ptr<ElementArray<Panel>> picDockBar;
  std::unique_ptr<ElementArray<Panel>> picTitel;
  std::unique_ptr<ElementArray<Label>> lblTitel;
  std::unique_ptr<ElementArray<Label>> lblTitelRight;
  std::unique_ptr<ElementArray<Image>> imgIcon;
  std::unique_ptr<ElementArray<Image>> imgClose;
  std::unique_ptr<ElementArray<Image>> imgCollapse;
  std::unique_ptr<ElementArray<Image>> imgExpand;
  std::unique_ptr<ElementArray<Image>> imgOpt;
  std::unique_ptr<ElementArray<Panel>> picSplit;
  std::unique_ptr<ElementArray<Line>> lineSplit0;
  std::unique_ptr<ElementArray<Line>> lineSplit1;
  std::unique_ptr<ElementArray<Line>> lineSplit2;
  std::unique_ptr<ScrollBar> VScroll;
  std::unique_ptr<Image> imgHand;

  /// Bar whose title is being dragged by a drag the dock started; 0 when no such drag is on.
  std::int32_t mDragSource = 0;
  bool mAllowScroll = false;
  bool mShow = false;
  bool mLoading = false;
  bool mTerminated = false;
  /// Whether the dock has been shown (and so has loaded the stored layout) at least once.
  bool mEverShown = false;
  /// Left position of every hosted control in its bar.
  std::int32_t mControlLeft = 0;
};

using DockRef = std::shared_ptr<TovDock>;

}  // namespace tov
