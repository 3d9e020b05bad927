#pragma once
// The state one Qt toolkit shares with its elements, and the dispatch of element handlers.
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QRubberBand>
#include <QWidget>
#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/qt/qt_convert.h"
#include "tovdock/qt/qt_toolkit.h"

namespace tov::qt {

namespace detail {
class Node;
}

/// Everything one toolkit keeps beside its elements. Elements hold it by shared pointer, so they may
/// outlive the toolkit object; two toolkits in one process share nothing.
struct QtToolkit::Impl final : NativeWindows, std::enable_shared_from_this<Impl> {
  /// A drag still on gives the cursor back.
  ~Impl() override { cancelDrag(); }
  /// The handle of a widget, registered as a window of this toolkit.
  Hwnd handleOf(QWidget* w);
  /// The widget behind a handle: a window of this toolkit, or a widget that is no element of another
  /// toolkit (a hosted control whose handle was read before this toolkit saw it); null otherwise.
  QWidget* widgetFor(Hwnd h);

  /// Records the position of a mouse event for GetCursorPos (the offscreen platform has no cursor).
  void noteCursorPos(QPoint global);
  QPoint cursorPos() const;

  /// A manual drag in progress: its source, the outline following the cursor, the marker of what
  /// a drop would do and the cursor saying when it would do nothing.
  struct Drag {
    std::weak_ptr<int> token;
    detail::Node* source = nullptr;
    std::weak_ptr<int> surfaceToken;
    detail::Node* surface = nullptr;
    QPointer<QWidget> window;
    /// The source's rectangle in the window and the cursor's offset from it at the press.
    QRect outline;
    QPoint offset;
    /// Where the press was: the outline shows once the cursor went the start distance from it.
    QPoint pressAt;
    bool shown = false;
    /// Escape ended the drag: the rest of the press moves and drops nothing.
    bool cancelled = false;
    QPointer<QRubberBand> band;
    QPointer<QWidget> marker;
    DropHint hint;
    bool forbidden = false;
    /// Watches the keyboard for Escape while the drag is on.
    std::unique_ptr<QObject> keys;
  };
  std::optional<Drag> drag;
  /// The element being dragged, null when none is or it is gone.
  detail::Node* dragSource() const;
  /// Takes the outline, the marker and the cursor of a drag away.
  void clearDragFeedback(Drag& d);
  /// Ends a drag without a drop.
  void cancelDrag();

  /// While handlers called from Qt are running, a widget whose element goes away is deleted later:
  /// its own event or signal may be the one running the handler.
  int dispatchDepth = 0;

  /// Element widgets on screen whose geometry changed while handlers ran. They take it when the
  /// outermost handler returns, all at once (applyHeldMoves, in qt_moves.cpp).
  std::vector<QPointer<QWidget>> heldMoves;
  /// Tells the widgets held since the last time the held moves were applied.
  std::uint64_t heldEpoch = 1;
  void applyHeldMoves();

  /// The pictures' images and cursors. They go with the toolkit and its elements, which hold widgets
  /// and so go before the application.
  detail::PictureCache pictures;

  MessageHandler messageHandler;
  TextPresenter presentText;

  Hwnd SetParent(Hwnd child, Hwnd parent) override;
  Hwnd GetParent(Hwnd child) override;
  PointPx GetCursorPos() override;
  PointPx ScreenToClient(Hwnd window, PointPx screen) override;

 private:
  std::unordered_map<Hwnd, QPointer<QWidget>> mWindows;
  std::size_t mWindowsSwept = 0;
  QPoint mCursor;
  bool mCursorKnown = false;
};

namespace detail {

using ToolkitState = QtToolkit::Impl;

struct DispatchScope {
  explicit DispatchScope(ToolkitState& state) : mState(state) { ++mState.dispatchDepth; }
  ~DispatchScope() {
    if (--mState.dispatchDepth == 0 && !mState.heldMoves.empty()) mState.applyHeldMoves();
  }
  DispatchScope(const DispatchScope&) = delete;
  DispatchScope& operator=(const DispatchScope&) = delete;

 private:
  ToolkitState& mState;
};

void reportHandlerFailure(const char* what);

/// Calls a copy of a handler; an exception from it must not unwind through Qt.
template <class F, class... A>
void callHandler(ToolkitState& state, F handler, A&&... args) {
  if (!handler) return;
  // The handler may drop the last element holding the state.
  const std::shared_ptr<ToolkitState> keep = state.shared_from_this();
  DispatchScope scope(state);
  try {
    handler(std::forward<A>(args)...);
  } catch (const std::exception& e) {
    reportHandlerFailure(e.what());
  }
}

}  // namespace detail
}  // namespace tov::qt
