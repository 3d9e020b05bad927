#pragma once
/// @file
/// The headless backend: a complete toolkit in memory, with the standard library only.
///
/// It keeps geometry in twips, containment, z-order, visibility, what was drawn on panels and the
/// message boxes shown, and it delivers the same notifications a windowed toolkit does. Tests and
/// tools drive it with injected input: presses, moves, releases, clicks, drags, drops and scroll
/// bar moves, all given in the surface's client twips.
///
/// Screen model: a surface lies at `screenOrigin()` (pixels); one pixel is 15 twips. Windowless
/// elements (labels, images, lines) receive input like windowed ones.
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tovdock/export.h"
#include "tovdock/platform.h"

namespace tov::headless {

/// One thing drawn on a panel.
struct DrawOp {
  /// What was drawn.
  enum class Kind {
    Line,     ///< a line from (x1,y1) to (x2,y2)
    FillRect  ///< a filled rectangle of corners (x1,y1) and (x2,y2)
  };
  Kind kind = Kind::Line;  ///< a line or a filled rectangle
  ///@{
  /// The points, in the panel's twips.
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  ///@}
  Color color = 0;  ///< the colour it was drawn in
  /// Ops are equal when every field is.
  bool operator==(const DrawOp&) const = default;
};

/// A message box the headless toolkit was asked to show.
struct ShownMessage {
  std::string text;   ///< the message
  std::string title;  ///< the box's title ("" for the default one)
};

class HeadlessSurface;

/// The headless toolkit. Message boxes are recorded (and printed to stderr when `echo` is on).
class TOVDOCK_EXPORT HeadlessToolkit : public Toolkit {
 public:
  /// A toolkit with no windows, the cursor at the screen's origin and echo off.
  HeadlessToolkit();
  ~HeadlessToolkit() override;

  std::unique_ptr<Surface> createSurface() override;
  NativeWindows& native() override;
  /// Records the message box (see messages()); nothing waits for a user.
  void messageBox(const std::string& text, const std::string& title) override;

  /// The message boxes shown so far, oldest first.
  const std::vector<ShownMessage>& messages() const;
  /// Forgets the message boxes shown so far.
  void clearMessages();
  /// On, every message box is also printed to stderr.
  void setEcho(bool on);

  /// Creates a plain native window (for a test's former parent of a hosted control).
  Hwnd createWindow(Hwnd parent = 0);
  /// Whether a native window handle is alive.
  bool windowExists(Hwnd h) const;

  /// Cursor position on the screen in pixels (what GetCursorPos reports).
  void setCursorPos(PointPx p);

  /// The toolkit's state (internal).
  struct TOVDOCK_NO_EXPORT Impl;

 private:
  friend class TestControl;
  /// Shared with the surfaces, elements and test controls made here, which may outlive the toolkit.
  std::shared_ptr<Impl> d;
};

/// Input and inspection for one headless surface. It holds no state of its own, so any number of
/// drivers may be made for one surface. A handler may destroy the surface itself: from then on the
/// driver's input goes nowhere and its queries find nothing.
/// Points are in the surface's client twips; the element under a point is the front-most visible
/// element there, windowless elements included, searched from the innermost container outwards.
class TOVDOCK_EXPORT Driver {
 public:
  /// Throws std::invalid_argument for a surface of another toolkit.
  explicit Driver(Surface& surface);

  /// Resizes the surface as its container would (raises onResize).
  void resize(double width, double height);
  /// Sets the container's ambient user mode (true: running application; false: designer).
  void setUserMode(bool running);
  /// Places the surface on the screen (pixels).
  void setScreenOrigin(PointPx p);

  /// Mouse input. Every call first moves the cursor to the point. A press captures the element
  /// under the point (the surface where no element is): moves and the release go to it until the
  /// release, as on the classic toolkit. A move without capture goes to the element under the
  /// point. A release over the pressed element also raises its click. If a handler started a drag
  /// during the press or a captured move, the drag is in progress: moves raise nothing more, and
  /// the release raises no mouse-up and no click but a drop on the element under the release point
  /// (the surface where no element is). Each move of the drag asks the element under the point what
  /// a drop there would do (`dropHint`).
  ///@{
  /// A press, a move with `buttons` held, a release: `button` is one of `MouseButton`, `shift` the
  /// shift mask.
  void press(double x, double y, std::int16_t button = btnLeft, std::int16_t shift = 0);
  void move(double x, double y, std::int16_t buttons = btnLeft, std::int16_t shift = 0);
  void release(double x, double y, std::int16_t button = btnLeft, std::int16_t shift = 0);
  ///@}
  /// Press and release on the same point.
  void click(double x, double y, std::int16_t button = btnLeft);

  /// Drop of something the dock did not drag (an application's own drag) at a point.
  void dropForeign(double x, double y);

  /// Scroll bar input: the user moved the thumb to a value (raises the change notification), or
  /// is dragging the thumb (raises the scroll notification while the value follows).
  ///@{
  /// Scroll bar input (see above).
  void scrollTo(ScrollBar& bar, std::int32_t value);
  void scrollThumb(ScrollBar& bar, std::int32_t value);
  ///@}

  /// The element under a point, or null for the surface itself.
  Element* elementAt(double x, double y) const;
  ///@{
  /// Absolute position of an element's top left corner in the surface's client twips.
  double absLeft(const Element& e) const;
  double absTop(const Element& e) const;
  ///@}
  /// Whether the element and all its containers are visible.
  bool shown(const Element& e) const;
  /// Children of an element, back to front.
  std::vector<Element*> children(const Element& container) const;
  /// Whether a drag is in progress and what is being dragged.
  Element* dragging() const;
  /// What the element under the cursor said a drop would do at the last move of the drag in
  /// progress; nothing without a drag or before its first move.
  DropHint dropHint() const;

 private:
  bool alive() const { return !mAlive.expired(); }

  HeadlessSurface& mSurface;
  std::weak_ptr<const void> mAlive;
};

/// What has been drawn on a panel and is still visible (later ops that cover the same rectangle
/// or line replace earlier ones), oldest first.
TOVDOCK_EXPORT std::vector<DrawOp> drawing(const Panel& panel);

/// Width in twips that the headless toolkit gives a caption: 100 twips per character.
TOVDOCK_EXPORT double textWidth(const std::string& caption);

/// A hosted control for tests and tools: a native window with members "Move", "Visible", "Height",
/// "hWnd", "Name", and "Align" when constructed with one. It records every member call.
class TOVDOCK_EXPORT TestControl : public Control {
 public:
  /// A control named `name` with a new native window of `toolkit`, a child of `parent` (0: none).
  TestControl(HeadlessToolkit& toolkit, std::string name, std::optional<std::int32_t> align = std::nullopt,
              Hwnd parent = 0);
  ~TestControl() override;
  /// Calls a member by name and records the call; a member in `missing` fails with errNoSuchMember.
  Value invoke(std::string_view member, Access access, std::span<const Value> args) override;

  /// The control's native window.
  Hwnd hWnd() const { return mHwnd; }
  ///@{
  /// The geometry last given by "Move" or "Height", in twips of the window it lies in.
  double left() const { return mLeft; }
  double top() const { return mTop; }
  double width() const { return mWidth; }
  double height() const { return mHeight; }
  ///@}
  /// The "Visible" value last set.
  bool visible() const { return mVisible; }
  /// Member names called, in order ("Move", "Let Visible", "Let Height", "Get Align", ...).
  std::vector<std::string> calls;
  /// Members this control pretends not to have (a call fails with errNoSuchMember).
  std::vector<std::string> missing;
  /// Called after a Move, a Height or Visible assignment and a change of the window's parent, with
  /// the member's name ("Move", "Height", "Visible", "Parent"). It may do anything, including
  /// calling back into the dock and dropping the last reference to this control.
  std::function<void(std::string_view member)> onMember;

 private:
  std::shared_ptr<HeadlessToolkit::Impl> mWorld;
  std::string mName;
  std::optional<std::int32_t> mAlign;
  Hwnd mHwnd = 0;
  double mLeft = 0, mTop = 0, mWidth = 0, mHeight = 0;
  bool mVisible = true;

  void changed(const char* member);
};

}  // namespace tov::headless
