#include "platform/qt/qt_state.h"

#include <QCursor>
#include <QGuiApplication>
#include <QtGlobal>

namespace tov::qt {

void QtToolkit::Impl::noteCursorPos(QPoint global) {
  mCursor = global;
  mCursorKnown = true;
}

QPoint QtToolkit::Impl::cursorPos() const {
  // Inside a handler of a mouse event the event's position is where the user is; the window
  // system's cursor may have moved on, and synthesized input (tests) does not move it at all.
  // The offscreen platform has no cursor of its own.
  const QString platform = QGuiApplication::platformName();
  if (mCursorKnown && (dispatchDepth > 0 || platform == "offscreen" || platform == "minimal")) return mCursor;
  return QCursor::pos();
}

detail::Node* QtToolkit::Impl::dragSource() const {
  return drag && !drag->token.expired() ? drag->source : nullptr;
}

void QtToolkit::Impl::clearDragFeedback(Drag& d) {
  delete d.band.data();
  delete d.marker.data();
  if (d.forbidden) QGuiApplication::restoreOverrideCursor();
  d.forbidden = false;
  d.hint = {};
}

void QtToolkit::Impl::cancelDrag() {
  if (!drag) return;
  clearDragFeedback(*drag);
  drag.reset();
}

namespace detail {

void reportHandlerFailure(const char* what) {
  qWarning("tovdock: an event handler failed: %s", what);
}

}  // namespace detail
}  // namespace tov::qt
