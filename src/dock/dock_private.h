#pragma once
// The dock's implementation: the element sets of its bars, its state and its routines. The public
// `TovDock` owns one; bars and the collection reach the procedures they call on the dock through
// `TovDockPrivate::of`.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
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

/// Scheme colour and flag numbers of the host services.
namespace scheme {
inline constexpr std::int32_t kDock = 10, kBar = 140, kTitleStart = 143, kTitleEnd = 144, kTitleText = 150;
inline constexpr std::int32_t kTitleVertical = 141;
}  // namespace scheme

/// The button and cursor pictures, drawn in code.
namespace pictures {
PictureRef closeButton();
PictureRef expandButton();
PictureRef collapseButton();
PictureRef optionsButton();
PictureRef handCursor();
}  // namespace pictures

/// The title gradient last drawn on a strip; drawing the same one again changes nothing.
struct GradientKey {
  Color start = 0, end = 0;
  bool vertical = false;
  float step = 0;
  bool operator==(const GradientKey&) const = default;
};

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
/// set is a copy of it. What every layout pass reads comes first, within its first 96 bytes (the icon
/// for a bar that has one); the title's contents only where a title is arranged anew. Members that hold
/// others come before them.
struct BarElements {
  std::unique_ptr<Panel> picDockBar;
  std::unique_ptr<Panel> picTitel;
  std::unique_ptr<Panel> picSplit;
  TitleArrangement arranged;
  /// The gradient on the title strip, once one was drawn.
  std::optional<GradientKey> gradient;
  /// While the gradients are held (TovDockPrivate::holdGradients), the latest one waits here: one
  /// drawn over by a later one is never seen.
  std::optional<GradientKey> heldGradient;
  std::unique_ptr<Image> imgIcon;
  std::unique_ptr<Label> lblTitel;
  std::unique_ptr<Label> lblTitelRight;
  std::unique_ptr<Image> imgClose;
  std::unique_ptr<Image> imgCollapse;
  std::unique_ptr<Image> imgExpand;
  std::unique_ptr<Image> imgOpt;
  /// The grip lines move with the splitter strip; no pass reads them.
  std::unique_ptr<Line> lineSplit0;
  std::unique_ptr<Line> lineSplit1;
  std::unique_ptr<Line> lineSplit2;

  /// A copy of the template: the frame and the splitter stay hidden, as do the buttons and the
  /// icon; the title strip, its captions and the grip lines are shown inside their containers.
  static std::unique_ptr<BarElements> copyOf(const BarElements& t, const PictureRef& hand);
  /// Unloads the members, contents before their containers and the frame last.
  void unload();
};

class TovDockPrivate {
 public:
  TovDockPrivate(TovDock& dock, std::shared_ptr<Toolkit> toolkit);
  ~TovDockPrivate();

  static TovDockPrivate& of(TovDock& dock) { return *dock.d; }

  // Called by the bars and the collection.
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
  /// How a walk over every bar steps: by display position or by index.
  enum class Walk { ByPosition, ByIndex };
  /// The widths a pass gives the frames: `full` in the top and bottom groups, `column` in the
  /// columns.
  struct PassWidths {
    std::int32_t full = 0, column = 0;
  };
  /// What a walk reads of each bar: the bar alone; the bar, its set and its frame; or besides those
  /// what a repaint reads, the splitter and the title's elements.
  enum class Reach { Bar, Frame, Repaint };
  /// Asks memory, at step `at` of a walk, for what the walk reads of the bars a few steps ahead;
  /// changes nothing. A walk that gives the frames new widths names them: a title arranged for
  /// another width is arranged anew and reads all its elements.
  void warmAhead(std::int32_t at, Walk walk, Reach reach = Reach::Repaint,
                 const PassWidths* widths = nullptr) const;
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
  /// The same bars without taking a share in them, into `out`: only for walks that run none of
  /// the application's code while they use them.
  void visibleBarsInto(std::vector<cTovBar*>& out) const;
  /// The collection's records of the visible bars in display order; valid until a bar is added.
  void visibleRecordsInto(std::vector<const BarRecord*>& out) const;
  /// Calls `f` with the record of each visible bar in display order, reading the collection's
  /// compact records rather than the bars: with many bars, the walk stays in cache. `f` must run
  /// none of the application's code.
  template <class F>
  void eachVisibleRecord(F&& f) const;
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
  /// The gradient a bar's title strip shows, as it is sized now.
  static GradientKey gradientFor(const cTovBar& b, const Panel& strip);
  /// After the toolkit measured the title elements again (another screen), every title is arranged
  /// again at the next pass.
  void forgetTitleArrangements();
  void drawGradient(BarElements& e, const GradientKey& key);
  /// Holds every bar's gradient until the returned object goes, then draws the ones held: a pass
  /// that arranges the titles at one width and then at a wider one draws each gradient once.
  [[nodiscard]] auto holdGradients() {
    struct Hold {
      TovDockPrivate& d;
      ~Hold() { d.releaseGradients(); }
    };
    ++mGradientHolds;
    return Hold{*this};
  }
  void releaseGradients();

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

  // Height exchange.
  void pCalcHeight(const std::int16_t& Index, std::int16_t& PartnerIndex);
  void pResizeBar(std::int16_t Index);
  void pBarChanged(std::int16_t Index);

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

  /// Bar whose title is being dragged by a drag the dock started; 0 when no such drag is on.
  std::int32_t mDragSource = 0;
  bool mAllowScroll = false;
  bool mShow = false;
  bool mLoading = false;
  /// While above 0, every bar's title gradient waits as its set's held one (see holdGradients).
  int mGradientHolds = 0;
  /// The band colours of the gradient last drawn: they depend on its colours and direction only,
  /// which every bar of a scheme shares, not on the strip's size. Before any, those of the black
  /// gradient, which are all black.
  struct GradientBands {
    Color start = 0, end = 0;
    bool vertical = false;
    std::array<Color, 61> colors{};
  };
  GradientBands mBands;
  /// Counts the state changes after which the splitter limits were set again (see fSetState).
  std::uint32_t mLimitsRedone = 0;
  bool mTerminated = false;
  /// Whether the dock has been shown (and so has loaded the stored layout) at least once.
  bool mEverShown = false;
  /// Left position of every hosted control in its bar.
  std::int32_t mControlLeft = 0;
  /// Kept between layout passes so a walk over many bars allocates nothing; a nested pass that
  /// finds it taken uses its own.
  std::vector<cTovBar*> mVisibleScratch;
  std::vector<const BarRecord*> mRecordScratch;
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

template <class F>
void TovDockPrivate::eachVisibleRecord(F&& f) const {
  if (!mBars) return;
  const auto& records = BarsInternals::fRecords(*mBars);
  const auto& order = BarsInternals::fOrder(*mBars);
  const std::size_t count = std::min(records.size(), order.empty() ? 0 : order.size() - 1);
  for (std::size_t pos = 1; pos <= count; ++pos) {
    const std::int32_t index = order[pos];
    if (index < 1 || static_cast<std::size_t>(index) > records.size()) continue;
    const BarRecord& r = records[static_cast<std::size_t>(index) - 1];
    if (r.state != eBarHidden) f(r);
  }
}

}  // namespace tov
