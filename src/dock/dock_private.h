#pragma once
// The dock's implementation: the element sets of its bars, its state and its routines. The public
// `TovDock` owns one; bars and the collection reach the procedures they call on the dock through
// `TovDockPrivate::of`.
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "model/internals.h"
#include "tovdock/dock.h"
#include "tovdock/failure.h"
#include "tovdock/host.h"

namespace tov {

/// Lengths of the element template and of the layout, in twips.
namespace twips {
// The dock as designed, and the least it is resized to.
inline constexpr double kDesignWidth = 7560, kDesignHeight = 6375;
inline constexpr double kMinWidth = 500, kMinHeight = 200;
// Splitter strip: its height, the far end of its grip lines and the y of each line.
inline constexpr double kSplitHeight = 80;
inline constexpr double kGripLength = 20840;
inline constexpr double kGripWhite = 10, kGripLight = 25, kGripDark = 40;
/// Wider than any dock: splitter strips and vertical gradient lines run across the whole bar.
inline constexpr double kAcross = 25000;
/// Height of a horizontal gradient band: more than any title strip.
inline constexpr double kBandHeight = 500;
// Title strip: the designed height, the button size and where captions start.
inline constexpr double kTitleHeight = 260;
inline constexpr double kButtonSize = 240;
inline constexpr double kCaptionLeft = 50;
/// Gap between the icon and the caption that follows it.
inline constexpr double kIconGap = 100;
/// The first button's distance from the strip's right edge, and the right caption's from the buttons.
inline constexpr std::int32_t kButtonsInset = 20;
inline constexpr double kRightCaptionGap = 40;
// Layout.
/// Height every bar may reach in scroll mode.
inline constexpr std::int32_t kScrollHeightMax = 20000;
/// Kept free for the next bar when a bar grows at its neighbour's cost.
inline constexpr std::int32_t kNeighbourReserve = 500;
/// The least height that automatic sizing gives a resizable bar.
inline constexpr std::int32_t kAutoSizeMin = 400;
/// Automatic sizing stops once the stack is this close to the dock's height.
inline constexpr std::int32_t kAutoSizeSlack = 10;
inline constexpr int kAutoSizeRounds = 4;
/// Left free under the stack when a height is exchanged between two bars.
inline constexpr std::int32_t kExchangeReserve = 100;
/// Narrowest width the bars are laid out with.
inline constexpr std::int32_t kMinBarWidth = 200;
/// Gap between the two columns, on each side of the middle.
inline constexpr double kColumnGap = 30;
/// Space kept right of the bars, and right of and below the scroll bar.
inline constexpr double kRightMargin = 20, kScrollMargin = 50;
/// Longest scroll range and the least one.
inline constexpr std::int32_t kMaxScroll = 20000, kMinScroll = 20;
/// A drop this close to the dock's top edge joins the top group.
inline constexpr std::int32_t kTopDropStrip = 20;
/// A splitter dragged up stops here, and snaps to kSplitSnap once above kSplitStop.
inline constexpr double kSplitStop = 280, kSplitSnap = 300;
/// Splitter strips sit this far above the bottom of their bar.
inline constexpr double kSplitBottom = 20;
/// Height a resizable bar gets when the layout is reset.
inline constexpr std::int32_t kResetHeight = 600;
}  // namespace twips

/// Tooltips and texts of the dock.
namespace templ {
inline constexpr const char* kTipClose = "Element ausblenden";
inline constexpr const char* kTipCollapse = "Element zuklappen";
inline constexpr const char* kTipExpand = "Element aufklappen";
inline constexpr const char* kTipOptions = "Einstellungen ändern";
inline constexpr const char* kTipSplit = "Hier ziehen, um die Größe des Elements zu verändern";
inline constexpr const char* kTipMove = "Element kann durch 'drag and drop' verschoben werden";
inline constexpr const char* kKeepOneVisible = "Sie müssen mindestens ein Element sichtbar lassen!";
inline constexpr const char* kSection = "DockBar";
}  // namespace templ

/// The button and cursor pictures, drawn in code.
namespace pictures {
PictureRef closeButton();
PictureRef expandButton();
PictureRef collapseButton();
PictureRef optionsButton();
PictureRef handCursor();
}  // namespace pictures

/// What a title strip was last arranged for: the bar's texts and icon (by their stamp), the frame's
/// width and the bar's switches. Arranged again for the same, the strip would stay as it is.
struct TitleArrangement {
  std::uint64_t stamp = 0;
  double width = 0;
  /// The switches the arrangement reads, one bit each; 0 until an arrangement is kept.
  std::uint8_t switches = 0;
  bool operator==(const TitleArrangement&) const = default;
};

/// The elements that draw one bar, loaded and unloaded together. Set 0 is the template; every other
/// set is a copy of it. Members that hold others come before them.
struct BarElements {
  std::unique_ptr<Panel> picDockBar;
  std::unique_ptr<Panel> picTitel;
  std::unique_ptr<Panel> picSplit;
  TitleArrangement arranged;
  std::unique_ptr<Image> imgIcon;
  std::unique_ptr<Label> lblTitel;
  std::unique_ptr<Label> lblTitelRight;
  std::unique_ptr<Image> imgClose;
  std::unique_ptr<Image> imgCollapse;
  std::unique_ptr<Image> imgExpand;
  std::unique_ptr<Image> imgOpt;
  std::unique_ptr<Line> lineSplit0;
  std::unique_ptr<Line> lineSplit1;
  std::unique_ptr<Line> lineSplit2;

  /// A copy of the template: the frame and the splitter stay hidden, as do the buttons and the
  /// icon; the title strip, its captions and the grip lines are shown inside their containers.
  static std::unique_ptr<BarElements> copyOf(const BarElements& t, const PictureRef& hand);
  /// Unloads the members, contents before their containers and the frame last.
  void unload();
};

class TovDockPrivate final : public DockLink {
 public:
  TovDockPrivate(TovDock& dock, std::shared_ptr<Toolkit> toolkit);
  ~TovDockPrivate();

  static TovDockPrivate& of(TovDock& dock) { return *dock.d; }

  // Called by the bars and the collection.
  BarRef fBarAdd() override;
  void fClear() override;
  void fRepaintBar(std::int32_t Index) override;
  void fSetState(std::int16_t Index, std::int32_t& OldState) override;
  void fSetHeight(std::int16_t Index, std::int32_t Height) override;
  void fSetTop(std::int16_t Index, std::int32_t& Top) override;
  std::int32_t fGetTop(std::int16_t Index) override;
  std::int32_t fGetWidth(std::int16_t Index) override;
  void fSetLeft(std::int16_t Index, std::int32_t& Left) override;
  void fSetWidth(std::int16_t Index, std::int32_t& Width) override;
  void fSetShowResize(std::int32_t Index) override;
  void fRefreshTitle(std::int16_t Index) override;
  void fLayoutTouched() override;
  void fEnterRun() override { ++mRuns; }
  void fLeaveRun() override {
    if (--mRuns == 0) endRun();
  }
  Hwnd fHwndItem(std::int16_t Index) override { return elements(Index).picDockBar->hWnd(); }

  /// One run of the dock for a caller: a public call, a toolkit event, a bar's call. It keeps the
  /// dock alive; the outermost one ends by running a relayout asked for meanwhile and telling
  /// LayoutChanged when the layout changed.
  class Run {
   public:
    explicit Run(TovDockPrivate& d);
    ~Run();
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

   private:
    TovDockPrivate& d;
    std::shared_ptr<TovDock> mKeep;
  };
  /// Ends the outermost run: the relayout asked for, then the notification.
  void endRun();
  /// A bar's state, group or height or the display order changed.
  void layoutChanged();
  /// Applies the groups to the order, fits and lays out a shown dock.
  void relayoutNow();

  // Lifecycle.
  void initialise();
  void buildTemplate();
  void wireMember(std::int16_t i);
  void onSurfaceResize();
  void setShow(bool b);
  void ShowElement(std::int32_t Index);
  void Terminate();

  // Layout.
  void OrderBars(bool bSave);
  std::int32_t pResizeHeight();
  void pResizeWidth(const std::int32_t& W);
  void pSetHeightMax();
  void pAutoSize();
  /// Applies the current order again, grouped by alignment; when it no longer holds, fits the bars
  /// instead.
  void reorderOrFit();
  std::int32_t scrollStep(std::int32_t T);

  // Scrolling and hosted controls.
  void VScroll_Change();
  void VScroll_Scroll();
  void pPlaceSplit(std::int16_t Index);
  void pPlaceControl(std::int16_t Index);
  /// The visible bars in display order.
  std::vector<BarRef> visibleBars() const;
  /// Gives every bar the scroll mode's height limit (which runs no application code).
  void pSetScrollHeightMax();

  // Title strip.
  void pLoadColors();
  Color pGetColor(std::int32_t ColorNumber);
  void pPaint(std::int16_t Index);
  void pArrangeTitle(std::int32_t Index);
  /// The arrangement of a bar found in its set; runs none of the application's code.
  void arrangeTitle(const cTovBar& b, BarElements& e);
  void paintGradient(const cTovBar& b, BarElements& e);
  /// The gradient a bar's title strip shows.
  static Gradient gradientOf(const cTovBar& b);
  /// After the toolkit measured the title elements again (another screen), every title is arranged
  /// again at the next pass.
  void forgetTitleArrangements();
  /// Gives every splitter strip, the template's among them, a window of its own or takes it.
  void giveSplitsWindows(bool own);

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

  // Drag and drop. A drop is planned, then applied; the toolkit shows the same plan while dragging.
  /// What a drop does to the dragged bar: where it goes and which column it joins.
  struct DropPlan {
    enum class Kind {
      Nothing,
      AtTarget,    ///< takes the place of `target` in the order (0: the first place)
      AfterTarget  ///< goes behind `target` (0: behind the first bar)
    };
    Kind kind = Kind::Nothing;
    std::int32_t source = 0;
    std::int32_t target = 0;
    /// The alignment the bar is given before it moves; none keeps its own.
    std::optional<std::int32_t> align;
  };
  void picTitel_MouseDown(std::int16_t Index, const MouseArgs& a);
  /// Drop of the bar `d` on bar `Index`; reads the cursor, as the drop does.
  DropPlan planBarDrop(std::int16_t Index, std::int32_t d);
  /// Drop of the bar `d` on the free area at `X`.
  DropPlan planFreeDrop(std::int32_t d, float X);
  void applyDrop(const DropPlan& plan);
  /// What to show while the dragged bar is over a place: nothing when a drop there changes nothing.
  DropHint dropHint(const DropPlan& plan, float X);
  void DockBar_DragDrop(std::int16_t Index);
  DropHint DockBar_DragOver(std::int16_t Index, Element* source);
  /// Whether a drop ends a drag this dock started on a title and that is still on.
  bool ownDrag(Element* source);
  void UserControl_DragDrop(Element* source, float X, float Y);
  DropHint UserControl_DragOver(Element* source, float X, float Y);

  // Settings.
  void pSaveSettings();
  void pLoadSettings();
  /// The layout as stored: what pSaveSettings writes.
  std::vector<LayoutRecord> layoutRecords();
  /// Guarded records: the records as the dock holds them after a load are what the store holds.
  void knowRecords();
  /// What loading the layout does with a bar's record, found for its key by `lookup` (which may run
  /// foreign code): the rules of pLoadSettings, with the dock inactive meanwhile.
  void applyLayout(const std::function<std::optional<LayoutRecord>(const std::string& key)>& lookup);

  // Height exchange.
  void pCalcHeight(const std::int16_t& Index, std::int16_t& PartnerIndex);
  void pResizeBar(std::int16_t Index);
  /// `byHand`: the user gave the bar its height (a splitter released, setBarHeight).
  void pBarChanged(std::int16_t Index, bool byHand = false);

  // Fit mode (fit.cpp), in place of automatic sizing, the splitter limits, the stacking and the
  // height exchange while mFitToDock is set.
  /// Sizes the bars for their content: fills the dock or, with scrolling, gives each its share.
  /// Every layout pass (OrderBars) begins with it.
  void fitToDock();
  /// Splitters between two resizable bars of one group, and how far each may grow.
  void fitLimits();
  /// Stacks the bars group by group: both columns below the top group, the bottom group below both.
  std::int32_t fitStack();
  /// A height the application gives an expanded bar is its share.
  void fitHeightSet(std::int16_t Index);
  /// A state the application or the user gave a bar: the stack is fitted again. The fit's own
  /// folding is left to the fit.
  void fitStateSet(std::int16_t Index);
  /// The two bars a splitter of bar `Index` exchanges height between, as they are now.
  void fitCapturePair(std::int16_t Index);
  void fitResizeBar(std::int16_t Index);
  void fitBarChanged(std::int16_t Index, bool byHand);
  /// Every expanded resizable bar takes its height as its share.
  void fitTakeShares();
  /// What a bar's record holds in fit mode: its share, and a state without the fit's folding.
  LayoutRecord fitRecord(const cTovBar& b, std::int32_t position) const;
  /// What the shown bars need without scrolling: at their minimum or at their preferred height.
  std::int32_t fitNeeds(bool preferred) const;

  // Look-ups.
  /// The element set of bar `Index` (0: the template), or null.
  BarElements* set(std::int32_t Index) const {
    if (Index < 0 || static_cast<std::size_t>(Index) >= mSets.size()) return nullptr;
    return mSets[static_cast<std::size_t>(Index)].get();
  }
  /// The element set of bar `Index`; a failure (errElementMissing) when it is not loaded.
  BarElements& elements(std::int32_t Index) const;
  /// Highest loaded set (0 while only the template exists).
  std::int32_t UBound() const { return static_cast<std::int32_t>(mSets.size()) - 1; }
  /// The collection, or null once the dock has terminated.
  clsBars* collection() const { return mBars.get(); }
  /// The collection, or a Failure (errObjectNotSet) once the dock has terminated.
  clsBars& bars() const;
  /// The bar at an index, or null.
  BarRef barAt(std::int32_t Index) const;
  /// The bar at an index without taking a share in it, or null: only for code that runs none of
  /// the application's code while it uses the bar.
  cTovBar* barPtr(std::int32_t Index) const {
    if (!mBars) return nullptr;
    const auto& items = BarsInternals::fItems(*mBars);
    if (Index < 1 || static_cast<std::size_t>(Index) > items.size()) return nullptr;
    return items[static_cast<std::size_t>(Index) - 1].get();
  }
  /// The bar at a position of the order, as ItemByOrder finds it, without taking a share in it:
  /// as barPtr.
  cTovBar* barPtrByOrder(std::int32_t pos) const {
    if (!mBars) return nullptr;
    const auto& order = BarsInternals::fOrder(*mBars);
    if (pos < 1 || pos > mBars->Count() || static_cast<std::size_t>(pos) >= order.size()) return nullptr;
    return barPtr(order[static_cast<std::size_t>(pos)]);
  }
  /// The bar at an index, or a Failure (errObjectNotSet) when there is none.
  BarRef bar(std::int32_t Index) const;
  /// The host services of this dock: its own when it has them, else the process-wide ones.
  std::shared_ptr<HostServices> host() const { return mHost ? mHost : HostServices::instance(); }
  /// Number of bars, 0 once the dock has terminated.
  std::int32_t count() const;
  bool alive() const { return !mTerminated; }
  double Width() const { return mSurface->Width(); }
  double Height() const { return mSurface->Height(); }

  /// Raises an event with a copy of the handler; false when the dock was terminated meanwhile.
  template <class F, class... A>
  bool raise(const F& handler, A&... args) {
    // A copy: the handler may replace itself or drop the dock.
    if (F copy = handler) copy(args...);
    return alive();
  }
  /// Runs a routine that stops at its first failure and shows it titled `context`. A failure that
  /// comes from the dock having terminated under the routine is not shown.
  template <class F>
  bool report(const char* context, F&& body);

  TovDock& q;
  std::shared_ptr<Toolkit> mToolkit;
  std::unique_ptr<Surface> mSurface;
  std::shared_ptr<clsEvents> mEvents;
  BarsRef mBars;
  /// The element sets by bar index; set 0 is the template.
  std::vector<std::unique_ptr<BarElements>> mSets;
  std::unique_ptr<ScrollBar> VScroll;
  std::unique_ptr<Image> imgHand;
  /// Host services of this dock alone (the Qt layer's, for a dock that keeps its layout itself).
  std::shared_ptr<HostServices> mHost;
  /// Records applied before the dock was first shown: its first show applies them instead of the
  /// stored layout.
  std::optional<std::vector<LayoutRecord>> mPendingRecords;
  /// Guarded records (TovDock::setGuardedRecords): each key's stored value as this dock last read
  /// or wrote it, the keys whose reading failed at the last load, and whether the values read are
  /// to be taken as the dock holds them once the run that loaded them has laid it out.
  bool mGuardedRecords = false;
  std::map<std::string, std::string> mRecordsKnown;
  std::set<std::string> mRecordsUnread;
  /// Keys the store held a record for at the last load.
  std::set<std::string> mRecordsStored;
  bool mRecordsLoaded = false;

  /// Bar whose title is being dragged by a drag the dock started; 0 when no such drag is on.
  std::int32_t mDragSource = 0;
  bool mAllowScroll = false;
  bool mShow = false;
  bool mLoading = false;
  /// Counts the splitter limit walks and the state changes that set the limits again: a walk whose
  /// handlers caused either stops (see pSetHeightMax, fSetState).
  std::uint32_t mLimitsRedone = 0;
  /// Counts the fit's stacking walks. Moving a frame may run the application's code (a toolkit
  /// fits the hosted control to its frame's pixels): a walk whose move ran a handler that stacked
  /// the bars anew has sums of heights that no longer hold, and starts over (see fitStack).
  std::uint32_t mStacks = 0;
  /// Counts the fits (see fitToDock), which a frame's move may run anew in the same way.
  std::uint32_t mFits = 0;
  bool mTerminated = false;
  /// Whether the dock has been shown (and so has loaded the stored layout) at least once.
  bool mEverShown = false;
  /// Left position of every hosted control in its bar.
  std::int32_t mControlLeft = 0;
  /// Runs open now (see Run), and what the outermost one does at its end.
  int mRuns = 0;
  bool mRelayoutAsked = false;
  /// Bumped by every change of a bar's state, group or height and of the display order; the
  /// notification tells the listeners once it differs from what they were last told.
  std::uint64_t mLayoutChanges = 0;
  std::uint64_t mLayoutTold = 0;
  /// A splitter drag is on (between its first move and its release): one run for the listeners.
  bool mSplitDragging = false;
  /// While the container resizes the dock, the changes it makes are not told.
  bool mResizing = false;
  /// Fit mode (TovDock::setFitToDock).
  bool mFitToDock = false;
  /// The bar whose state or height the fit is setting: its own change, not the application's.
  std::int32_t mFitBar = 0;
  /// The bar expanded last by the user or the application: the fit folds it last.
  std::int32_t mFitKeep = 0;
  /// The bars a splitter drag of `bar` exchanges height between, as they stood when it began, and
  /// the free height below `bar`'s group then.
  struct SplitPair {
    std::int32_t bar = 0, partner = 0;
    std::int64_t height = 0, partnerHeight = 0, free = 0, least = 0, partnerLeast = 0;
  } mPair;
};

namespace detail {
// Swallows messages once the dock has terminated: the failure then only says the dock went away.
class DockSink : public MessageSink {
 public:
  DockSink(Toolkit& toolkit, const bool& terminated) : mToolkit(toolkit), mTerminated(terminated) {}
  void messageBox(const std::string& text, const std::string& title) override {
    if (!mTerminated) mToolkit.messageBox(text, title);
  }

 private:
  Toolkit& mToolkit;
  const bool& mTerminated;
};
}  // namespace detail

template <class F>
bool TovDockPrivate::report(const char* context, F&& body) {
  detail::DockSink sink(*mToolkit, mTerminated);
  return reportFailure(sink, context, std::forward<F>(body));
}

}  // namespace tov
