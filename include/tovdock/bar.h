#pragma once
/// @file
/// A bar of the dock as the application sees it, and the relay through which a bar finds its dock.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "tovdock/export.h"
#include "tovdock/platform.h"

namespace tov {

class TovDock;
class clsBars;
struct BarInternals;
struct BarsInternals;

/// A bar's `Index` (1-based, fixed for the bar's life) in the calls that go beyond the classic
/// interface; the classic procedures keep the 16- or 32-bit numbers they always took.
using BarIndex = std::int32_t;

/// State of a bar.
enum ETovBarStates : std::int32_t {
  eBarCollapsed = 0,  ///< title only
  eBarExpanded = 1,   ///< title and body
  eBarHidden = 2,     ///< not shown, takes no room
};

/// Group of a bar in the stack.
enum eAlignBar : std::int32_t {
  eAlignTop = 1,     ///< the full-width group at the top
  eAlignLeft = 2,    ///< the left column
  eAlignRight = 3,   ///< the right column
  eAlignBottom = 4,  ///< the full-width group at the bottom
};

/// The dock-locator relay. Bars and the collection hold it instead of the dock; `Dock()` asks the
/// owning dock for itself and yields null once the dock has let go of the relay.
class TOVDOCK_EXPORT clsEvents {
 public:
  /// Raised by Dock(); the owning dock stores itself into the argument.
  std::function<void(std::shared_ptr<TovDock>& Dock)> evGetDockBar;

  /// The dock that owns the relay, or null when no dock answers.
  std::shared_ptr<TovDock> Dock() const;
};

/// Font of a title, stored for the application only.
using FontRef = std::shared_ptr<Font>;

/// One bar. Created by `clsBars::Add`; the application keeps the shared reference it gets.
///
/// Setters that change the screen reach the dock through the relay; when the dock is gone they
/// throw a Failure (errObjectNotSet) to the application.
class TOVDOCK_EXPORT cTovBar : public std::enable_shared_from_this<cTovBar> {
 public:
  /// Only the library makes bars: the key to the constructor is its own.
  class Passkey {
    friend struct BarInternals;
    Passkey() = default;
  };
  /// Made by the library only (see Passkey).
  explicit cTovBar(Passkey) {}
  cTovBar(const cTovBar&) = delete;
  cTovBar& operator=(const cTovBar&) = delete;

  ///@{
  /// A number for the application; the library never reads it.
  std::int32_t ID() const { return mID; }
  void setID(std::int32_t v) { mID = v; }
  ///@}
  ///@{
  /// The bar's place in the collection, 1..Count, which is also the index of its elements in the
  /// dock. `clsBars::Add` sets it; it stays for the bar's life.
  std::int32_t Index() const { return mIndex; }
  void setIndex(std::int32_t v) { mIndex = v; }
  ///@}

  ///@{
  /// The bar's group in the stack (`eAlignBar`). Only 1..4 are stored; other values are refused
  /// with a Failure (errInvalidValue).
  std::int32_t AlignBar() const { return mAlignBar; }
  void setAlignBar(std::int32_t v);
  ///@}

  ///@{
  /// Whether the bar takes a share of the dock's height and has a splitter. Reads true only while
  /// expanded and the resize flag is set. Setting also sets ShowResize.
  bool AllowResize() const;
  void setAllowResize(bool v);
  ///@}
  /// The resize flag as set, whatever the state.
  bool ResizeFlag() const { return mAllowResize; }

  ///@{
  /// Colour of the bar's frame and splitter strip.
  Color BackColor() const { return mBackColor; }
  void setBackColor(Color v) { mBackColor = v; }
  ///@}

  ///@{
  /// Whether the title offers collapse and expand. Setting also decides the collapsed height (18,
  /// or 0 without title and expand button).
  bool CanExpand() const { return mCanExpand; }
  void setCanExpand(bool v);
  ///@}
  ///@{
  /// Whether the user may drag the bar by its title to another place.
  bool CanMove() const { return mCanMove; }
  void setCanMove(bool v) { mCanMove = v; }
  ///@}

  ///@{
  /// The hosted control. `setControl` is the by-reference assignment the application normally
  /// uses: a control whose "Align" is set is refused with a message box. `letControl` adopts
  /// without that check. Assigning null hides the control and hands it back to its former parent.
  ControlRef Control() const { return mControl; }
  void setControl(ControlRef c);
  void letControl(ControlRef c);
  ///@}

  ///@{
  /// The bar's height in twips; 0 while hidden. Setting ignores values of 100 or less, the current
  /// value, and hidden bars.
  std::int32_t Height() const;
  void setHeight(std::int32_t h);
  ///@}
  ///@{
  /// The height the bar takes when it is next expanded (its height while it is expanded). Setting
  /// it changes nothing else; values of 100 or less are ignored.
  std::int32_t HeightExpanded() const { return mHeightExpanded; }
  void setHeightExpanded(std::int32_t h) {
    if (h > 100) mHeightExpanded = mShare = h;
  }
  ///@}

  ///@{
  /// Least and preferred height of the bar's body and least width of it, in twips (0: none; values
  /// below 0 count as 0). Only the dock's fit mode reads them (TovDock::setFitToDock); setting them
  /// stores them for the next layout (TovDock::relayout).
  std::int32_t MinBodyHeight() const { return mMinBodyHeight; }
  void setMinBodyHeight(std::int32_t v) { mMinBodyHeight = v > 0 ? v : 0; }
  std::int32_t PreferredBodyHeight() const { return mPreferredBodyHeight; }
  void setPreferredBodyHeight(std::int32_t v) { mPreferredBodyHeight = v > 0 ? v : 0; }
  std::int32_t MinBodyWidth() const { return mMinBodyWidth; }
  void setMinBodyWidth(std::int32_t v) { mMinBodyWidth = v > 0 ? v : 0; }
  ///@}

  ///@{
  /// The upper limit of a splitter drag, kept by the dock.
  std::int32_t HeightMax() const { return mHeightMax; }
  void setHeightMax(std::int32_t v);
  ///@}

  ///@{
  /// The picture at the left of the title (null: none).
  PictureRef Icon() const { return mIcon; }
  void setIcon(PictureRef v);
  ///@}

  ///@{
  /// A number for the application; the library never reads it.
  std::int32_t ItemData() const { return mItemData; }
  void setItemData(std::int32_t v) { mItemData = v; }
  ///@}
  ///@{
  /// The application's key of the bar: events name the bar by it, and the layout is stored under
  /// it. Give every bar a key of its own.
  const std::string& Key() const { return mKey; }
  void setKey(const std::string& v) { mKey = v; }
  ///@}

  /// Moves the bar's frame; not stored.
  void setLeft(std::int32_t v);

  ///@{
  /// Always false; setting shows "Redraw obsolet".
  bool Redraw() const { return false; }
  void setRedraw(bool v);
  ///@}

  ///@{
  /// Whether the title shows the close button.
  bool ShowClose() const { return mShowClose; }
  void setShowClose(bool v) { mShowClose = v; }
  ///@}
  ///@{
  /// Whether the bar shows its splitter strip.
  bool ShowResize() const { return mShowResize; }
  void setShowResize(bool v);
  ///@}
  ///@{
  /// Whether the title shows the options button.
  bool ShowOptions() const { return mShowOptions; }
  void setShowOptions(bool v) { mShowOptions = v; }
  ///@}

  ///@{
  /// The bar's state (`ETovBarStates`). Only 0..2 are stored; other values are refused with a
  /// Failure (errInvalidValue). Expanding gives the bar its expanded height back, collapsing the
  /// height of its title.
  std::int32_t State() const { return mState; }
  void setState(std::int32_t s);
  ///@}

  ///@{
  /// A text for the application; the library never reads it.
  const std::string& Tag() const { return mTag; }
  void setTag(const std::string& v) { mTag = v; }
  ///@}
  ///@{
  /// The title text at the left of the title strip.
  const std::string& Title() const { return mTitle; }
  void setTitle(const std::string& t);
  ///@}
  ///@{
  /// The title text at the right of the title strip.
  const std::string& TitleRight() const { return mTitleRight; }
  void setTitleRight(const std::string& t);
  ///@}

  ///@{
  /// The title strip's gradient: from the start colour to the end colour, left to right, or top to
  /// bottom with TitleVertical. Setting one repaints the bar.
  Color TitleBackColorStart() const { return mTitleBackColorStart; }
  void setTitleBackColorStart(Color c);
  Color TitleBackColorEnd() const { return mTitleBackColorEnd; }
  void setTitleBackColorEnd(Color c);
  bool TitleVertical() const { return mTitleVertical; }
  void setTitleVertical(bool v);
  ///@}
  ///@{
  /// A font for the title, stored for the application; the dock draws titles in its own.
  FontRef TitleFont() const { return mTitleFont; }
  void setTitleFont(FontRef f) { mTitleFont = std::move(f); }
  ///@}
  ///@{
  /// A colour for the title text, stored for the application; setting it repaints the bar.
  Color TitleForeColor() const { return mTitleForeColor; }
  void setTitleForeColor(Color c);
  ///@}
  ///@{
  /// A colour for the title text under the mouse, stored for the application only.
  Color TitleForeColorOver() const { return mTitleForeColorOver; }
  void setTitleForeColorOver(Color c) { mTitleForeColorOver = c; }
  ///@}
  ///@{
  /// A tooltip text, stored for the application only.
  const std::string& ToolTipText() const { return mToolTipText; }
  void setToolTipText(const std::string& v) { mToolTipText = v; }
  ///@}

  ///@{
  /// Position and width of the bar's frame in the dock; not stored.
  void setTop(std::int32_t v);
  std::int32_t Top() const;
  void setWidth(std::int32_t v);
  std::int32_t Width() const;
  ///@}

  /// The height the bar takes when it collapses.
  void setfTitleHeight(std::int32_t v) { mTitleHeight = v; }
  /// Stored only; nothing reads it.
  void setfTitleTextHeight(std::int32_t v) { mTitleTextHeight = v; }
  /// Extra distance between the title strip and the hosted control.
  void setfTopBar(std::int32_t v) { mTopBar = v; }

 private:
  friend struct BarInternals;
  friend class clsBars;
  /// The dock, found through the relay; a Failure (errObjectNotSet) when no dock answers.
  std::shared_ptr<TovDock> dock() const;
  Toolkit& toolkit() const;
  std::int16_t index16() const;
  void pSetControl(ControlRef c);

  static std::uint64_t newTitleStamp();

  std::int32_t mID = 0;
  std::int32_t mIndex = 0;
  ControlRef mControl;
  std::string mTitle;
  std::string mTitleRight;
  std::string mToolTipText;
  std::string mKey;
  std::int32_t mItemData = 0;
  Color mTitleBackColorStart = 0;
  Color mTitleBackColorEnd = 0;
  bool mTitleVertical = false;
  Color mBackColor = 0;
  FontRef mTitleFont;
  Color mTitleForeColor = 0;
  Color mTitleForeColorOver = 0;
  bool mCanExpand = true;
  std::string mTag;
  std::int32_t mState = eBarExpanded;
  std::int32_t mAlignBar = eAlignTop;
  bool mAllowResize = false;
  bool mShowClose = false;
  bool mShowResize = false;
  bool mShowOptions = false;
  bool mCanMove = true;
  std::int32_t mTopBar = 0;
  std::int32_t mTitleHeight = 18;
  std::int32_t mTitleTextHeight = 0;
  std::int32_t mHeight = 0;
  std::int32_t mHeightExpanded = 12;
  std::int32_t mHeightMax = 0;
  std::int32_t mMinBodyHeight = 0;
  std::int32_t mPreferredBodyHeight = 0;
  std::int32_t mMinBodyWidth = 0;
  /// In fit mode: the height the user or the application last gave the bar (0: none), whose body
  /// is its share of the free height; and whether the fit folded the bar to its title.
  std::int32_t mShare = 0;
  bool mFitFolded = false;
  /// Set while the bar's state change gives it the height of its new state.
  bool mChangingState = false;
  PictureRef mIcon;
  Hwnd mParentHwnd = 0;
  std::shared_ptr<clsEvents> mEvents;
  /// Renewed with every change of the title, the right title or the icon: a title strip arranged
  /// for the same stamp shows these texts and this icon already.
  std::uint64_t mTitleStamp = newTitleStamp();
  std::shared_ptr<Toolkit> mToolkit;
};

/// The shared reference to a bar that the collection hands out.
using BarRef = std::shared_ptr<cTovBar>;

}  // namespace tov
