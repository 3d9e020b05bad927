#include "platform/qt/qt_input.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>

namespace tov::qt::detail {

namespace {

std::int16_t buttonMask(Qt::MouseButtons b) {
  std::int16_t m = 0;
  if (b & Qt::LeftButton) m |= btnLeft;
  if (b & Qt::RightButton) m |= btnRight;
  if (b & Qt::MiddleButton) m |= btnMiddle;
  return m;
}

std::int16_t shiftMask(Qt::KeyboardModifiers k) {
  std::int16_t m = 0;
  if (k & Qt::ShiftModifier) m |= 1;
  if (k & Qt::ControlModifier) m |= 2;
  if (k & Qt::AltModifier) m |= 4;
  return m;
}

bool alive(const std::weak_ptr<int>& token) {
  return !token.expired();
}

/// Mouse arguments for a point in the surface's client twips.
MouseArgs argsAt(const Node& target, QPointF surfacePoint, std::int16_t button, std::int16_t shift) {
  MouseArgs a;
  a.button = button;
  a.shift = shift;
  a.x = static_cast<float>(surfacePoint.x() - target.absLeft());
  a.y = static_cast<float>(surfacePoint.y() - target.absTop());
  return a;
}

/// Marks what a drop would do: a line where the dragged bar would go in, or the area it would
/// go to, in the palette's highlight colour. It lies in the window over the outline, which would
/// hide it near the cursor, and covers no more of the surface than is on view.
class DropMarker final : public QWidget {
 public:
  DropMarker(QWidget* window, QWidget* surface) : QWidget(window), mSurface(surface) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    setPalette(surface->palette());
  }
  /// Shows a hint given in the surface's twips at `pixelsPerTwip`.
  void mark(const DropHint& hint, double pixelsPerTwip) {
    if (!mSurface) return;
    // The surface's rectangle in the window, cut by every container it lies in.
    QRect r = mSurface->rect();
    for (QWidget* w = mSurface; w != parentWidget() && w->parentWidget(); w = w->parentWidget())
      r = r.translated(w->pos()) & w->parentWidget()->rect();
    if (hint == mHint && pixelsPerTwip == mScale && r == geometry() && isVisible()) return;
    mHint = hint;
    mScale = pixelsPerTwip;
    mSurfaceSize = mSurface->size();
    mOrigin = r.topLeft() - mSurface->mapTo(parentWidget(), QPoint(0, 0));
    setGeometry(r);
    raise();
    show();
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    const double k = mScale;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(-mOrigin);
    const QColor c = palette().color(QPalette::Highlight);
    constexpr double kWidth = 3;  // logical pixels: read at a glance over the dragged copy
    if (mHint.kind == DropHint::Kind::Line) {
      // Kept whole inside the surface at its top and bottom edges.
      const double y = std::clamp(mHint.y1 * k, kWidth / 2, mSurfaceSize.height() - kWidth / 2);
      p.setPen(QPen(c, kWidth, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(mHint.x1 * k + kWidth, y), QPointF(mHint.x2 * k - kWidth, y));
    } else if (mHint.kind == DropHint::Kind::Area) {
      const QRectF r = QRectF(QPointF(mHint.x1 * k, mHint.y1 * k), QPointF(mHint.x2 * k, mHint.y2 * k))
                           .adjusted(kWidth, kWidth, -kWidth, -kWidth);
      QColor fill = c;
      fill.setAlphaF(0.18f);
      p.setPen(QPen(c, kWidth));
      p.setBrush(fill);
      p.drawRoundedRect(r, 3, 3);
    }
  }

 private:
  QPointer<QWidget> mSurface;
  DropHint mHint;
  double mScale = 0;
  QSize mSurfaceSize;
  QPoint mOrigin;
};

/// Ends the drag on Escape: no drop, the dock as it was.
class EscapeWatch final : public QObject {
 public:
  explicit EscapeWatch(std::weak_ptr<ToolkitState> state) : mState(std::move(state)) {
    qApp->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() != QEvent::KeyPress && e->type() != QEvent::ShortcutOverride)
      return QObject::eventFilter(o, e);
    auto state = mState.lock();
    if (!state || !state->drag || !state->drag->shown || state->drag->cancelled) return false;
    if (static_cast<QKeyEvent*>(e)->key() != Qt::Key_Escape) return false;
    // Taken before a shortcut of the application can claim the key.
    e->accept();
    if (e->type() == QEvent::KeyPress) {
      state->drag->cancelled = true;
      state->clearDragFeedback(*state->drag);
    }
    return true;
  }

 private:
  std::weak_ptr<ToolkitState> mState;
};

/// The element a drop at a point of the surface goes to: the one there or, over a hosted widget, the
/// element holding it: a pane's body is its frame.
Node* dropTargetAt(Node& surface, QPointF at) {
  const Node::Hit hit = surface.hitAt(at);
  if (hit.node) return hit.node;
  for (QWidget* w = hit.widget; w; w = w->parentWidget())
    if (Node* n = nodeOfWidget(w)) return n;
  return nullptr;
}

/// Asks the element under a global point what a drop would do, and shows it.
void showDropHint(ToolkitState& state, QPoint global) {
  ToolkitState::Drag& d = *state.drag;
  if (!alive(d.surfaceToken) || !d.surface) return;
  const QPointF at = d.surface->toTwips(global);
  Node* target = dropTargetAt(*d.surface, at);
  Element* source = alive(d.token) ? &d.source->self() : nullptr;
  DropHint hint;
  if (target) {
    auto handler = target->self().handler(&ElementHandlers::onDragOver);
    if (handler) {
      const MouseArgs a = argsAt(*target, at, 0, 0);
      const std::shared_ptr<ToolkitState> keep = state.shared_from_this();
      DispatchScope scope(state);
      try {
        hint = handler(source, a.x, a.y);
      } catch (const std::exception& e) {
        reportHandlerFailure(e.what());
      }
    }
  }
  // The handler only looks, but whatever it did, the drag may be over.
  if (!state.drag || state.drag->cancelled || !alive(state.drag->surfaceToken)) return;
  ToolkitState::Drag& now = *state.drag;
  now.hint = hint;
  QWidget* surface = now.surface->widget();
  if (hint.kind == DropHint::Kind::None) {
    if (now.marker) now.marker->hide();
  } else if (surface && now.window) {
    if (!now.marker) now.marker = new DropMarker(now.window, surface);
    static_cast<DropMarker*>(now.marker.data())->mark(hint, now.surface->scale().pixelsPerTwip);
  }
  // A release here would change nothing: the cursor says so.
  const bool forbidden = hint.kind == DropHint::Kind::None;
  if (forbidden && !now.forbidden) QGuiApplication::setOverrideCursor(Qt::ForbiddenCursor);
  if (!forbidden && now.forbidden) QGuiApplication::restoreOverrideCursor();
  now.forbidden = forbidden;
}

/// Follows the cursor with the drag's outline and marker; false when no drag is on.
bool moveDrag(ToolkitState& state, QPoint global) {
  auto& drag = state.drag;
  if (!drag) return false;
  if (drag->cancelled) return true;
  if (!drag->shown) {
    // Until the cursor goes the start distance, the press may still be a plain click on the title.
    if ((global - drag->pressAt).manhattanLength() < QApplication::startDragDistance()) return true;
    drag->shown = true;
    // The copy lies in the surface, which cuts it at the dock's edges; the marker lies over it.
    QWidget* surface = alive(drag->surfaceToken) && drag->surface ? drag->surface->widget() : nullptr;
    if (surface && drag->window && !drag->outline.isEmpty()) {
      auto* band = new QRubberBand(QRubberBand::Rectangle, surface);
      band->setAttribute(Qt::WA_TransparentForMouseEvents);
      band->setGeometry(QRect(surface->mapFrom(drag->window, drag->outline.topLeft()), drag->outline.size()));
      band->show();
      band->raise();
      drag->band = band;
    }
  }
  if (drag->band && drag->window)
    drag->band->move(drag->band->parentWidget()->mapFromGlobal(global) + drag->offset);
  showDropHint(state, global);
  return true;
}

/// Ends a manual drag at a global point: drops on the element there, unless Escape ended it.
void endDrag(ToolkitState& state, QPointF global) {
  if (!state.drag) return;
  ToolkitState::Drag s = std::move(*state.drag);
  state.drag.reset();
  state.clearDragFeedback(s);
  if (s.cancelled || !alive(s.surfaceToken) || !s.surface) return;
  Element* source = alive(s.token) ? &s.source->self() : nullptr;
  const QPointF at = s.surface->toTwips(global);
  // Outside the dock nothing of it is dropped on.
  Node* target = dropTargetAt(*s.surface, at);
  if (!target) return;
  const MouseArgs a = argsAt(*target, at, 0, 0);
  callHandler(state, target->self().handler(&ElementHandlers::onDragDrop), source, a.x, a.y);
}

/// The scroll bar that moves the stack: the one of this backend lying on the surface itself.
QScrollBar* stackScrollBar(Node& n) {
  Node* s = n.surface();
  QWidget* w = s ? s->widget() : nullptr;
  if (!w) return nullptr;
  for (QScrollBar* b : w->findChildren<QScrollBar*>(Qt::FindDirectChildrenOnly))
    if (dynamic_cast<ScrollBarWidget*>(b) && nodeOfWidget(b) && b->isVisible()) return b;
  return nullptr;
}

}  // namespace

void startDrag(Node& source) {
  ToolkitState& state = source.state();
  state.cancelDrag();
  ToolkitState::Drag s;
  s.token = source.token();
  s.source = &source;
  s.surface = source.surface();
  if (s.surface) s.surfaceToken = s.surface->token();
  s.pressAt = state.cursorPos();
  QWidget* host = source.hostWidget();
  if (host && s.surface && s.surface->widget()) {
    s.window = s.surface->widget()->window();
    const QRect own = source.windowed() ? QRect(QPoint(0, 0), host->size()) : source.hostRect();
    s.outline = QRect(host->mapTo(s.window, own.topLeft()), own.size());
    s.offset = s.outline.topLeft() - s.window->mapFromGlobal(s.pressAt);
  }
  s.keys = std::make_unique<EscapeWatch>(state.shared_from_this());
  state.drag = std::move(s);
}

ElementWidget::ElementWidget(Node* node, QWidget* parent) : QWidget(parent), NodeWidget(node) {
  setMouseTracking(true);
  setAcceptDrops(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

bool ElementWidget::onForeignChild(QPoint p) const {
  QWidget* c = childAt(p);
  return c && !nodeOfWidget(c);
}

QPointF ElementWidget::surfacePoint(QPointF local) const {
  Node* n = node();
  const Node* s = n ? n->surface() : nullptr;
  if (s && s->widget()) return s->toTwips(mapToGlobal(local));
  const QPointF own = local / (n ? n->scale() : scaleOf(this)).pixelsPerTwip;
  return n ? own + QPointF(n->absLeft(), n->absTop()) : own;
}

Node* ElementWidget::targetAt(QPointF surfacePoint) const {
  Node* n = node();
  if (!n) return nullptr;
  Node* w = n->deepestAt(surfacePoint.x() - n->absLeft(), surfacePoint.y() - n->absTop());
  return w ? w : n;
}

void ElementWidget::showCursorFor(Node* target) {
  Node* n = node();
  if (!n || target == mCursorFrom) return;
  mCursorFrom = target;
  QCursor c;
  if (target && !target->enabled()) {
    setCursor(Qt::ArrowCursor);
  } else if (target && target != n && target->cursor(c)) {
    setCursor(c);
  } else if (n->cursor(c)) {
    setCursor(c);
  } else {
    unsetCursor();
  }
}

bool ElementWidget::event(QEvent* e) {
  Node* n = node();
  switch (e->type()) {
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::Enter:
    case QEvent::Leave:
    case QEvent::Hide:
      if (n) n->pointerEvent(*e);
      break;
    default:
      break;
  }
  if (n && (e->type() == QEvent::Show || e->type() == QEvent::ParentChange)) n->windowChanged();
  if (e->type() == QEvent::ToolTip && n) {
    auto* he = static_cast<QHelpEvent*>(e);
    Node* t = targetAt(surfacePoint(he->pos()));
    if (!t || t->mToolTip.empty() || onForeignChild(he->pos())) {
      QToolTip::hideText();
      e->ignore();
    } else {
      const QRect area = t == n ? rect() : t->hostRect();
      const ToolkitState& state = n->state();
      QToolTip::showText(
          he->globalPos(),
          state.presentText ? state.presentText(t->mToolTip) : QString::fromStdString(t->mToolTip), this,
          area);
    }
    return true;
  }
  return QWidget::event(e);
}

void ElementWidget::paintEvent(QPaintEvent*) {
  Node* n = node();
  if (!n) return;
  // Qt clips the painter to the event's region already.
  QPainter p(this);
  n->paintSelf(p, palette(), rect());
  n->paintWindowless(p, palette());
}

void ElementWidget::mousePressEvent(QMouseEvent* e) {
  Node* n = node();
  if (!n || onForeignChild(e->position().toPoint())) {
    e->ignore();
    return;
  }
  e->accept();
  ToolkitState& state = n->state();
  state.noteCursorPos(e->globalPosition().toPoint());
  const QPointF at = surfacePoint(e->position());
  Node* target = targetAt(at);
  mCapture = target;
  mCaptureToken = target->token();
  callHandler(state, target->self().handler(&ElementHandlers::onMouseDown),
              argsAt(*target, at, buttonMask(e->button()), shiftMask(e->modifiers())));
}

void ElementWidget::mouseMoveEvent(QMouseEvent* e) {
  Node* n = node();
  if (!n) return;
  ToolkitState& state = n->state();
  state.noteCursorPos(e->globalPosition().toPoint());
  if (moveDrag(state, e->globalPosition().toPoint())) return;
  const QPointF at = surfacePoint(e->position());
  Node* target = nullptr;
  if (e->buttons() != Qt::NoButton && alive(mCaptureToken)) {
    target = mCapture;
  } else {
    if (onForeignChild(e->position().toPoint())) {
      e->ignore();
      return;
    }
    target = targetAt(at);
    showCursorFor(target);
  }
  e->accept();
  callHandler(state, target->self().handler(&ElementHandlers::onMouseMove),
              argsAt(*target, at, buttonMask(e->buttons()), shiftMask(e->modifiers())));
}

void ElementWidget::mouseReleaseEvent(QMouseEvent* e) {
  Node* n = node();
  if (!n) return;
  ToolkitState& state = n->state();
  state.noteCursorPos(e->globalPosition().toPoint());
  if (state.drag) {
    mCapture = nullptr;
    mCaptureToken.reset();
    endDrag(state, e->globalPosition());
    return;
  }
  if (!alive(mCaptureToken)) return;
  e->accept();
  Node* target = mCapture;
  std::weak_ptr<int> token = mCaptureToken;
  mCapture = nullptr;
  mCaptureToken.reset();
  const QPointF global = e->globalPosition();
  const QPointF at = surfacePoint(e->position());
  callHandler(state, target->self().handler(&ElementHandlers::onMouseUp),
              argsAt(*target, at, buttonMask(e->button()), shiftMask(e->modifiers())));
  // The handler may have unloaded the element, or this widget with it.
  if (!alive(token)) return;
  // A click is the left button's, released over the element it was pressed on, if it takes clicks.
  if (e->button() != Qt::LeftButton || !target->enabled()) return;
  Node* s = target->surface();
  if (s && s->hitAt(s->toTwips(global)).node == target)
    callHandler(state, target->self().handler(&ElementHandlers::onClick));
}

void ElementWidget::wheelEvent(QWheelEvent* e) {
  // Over the dock's own elements the wheel moves the stack as its scroll bar would; what comes up
  // from a hosted widget stays the application's.
  Node* n = node();
  QScrollBar* bar = n && !onForeignChild(e->position().toPoint()) ? stackScrollBar(*n) : nullptr;
  if (!bar || !bar->isEnabled()) {
    e->ignore();
    return;
  }
  QWheelEvent forwarded(bar->mapFromGlobal(e->globalPosition()), e->globalPosition(), e->pixelDelta(),
                        e->angleDelta(), e->buttons(), e->modifiers(), e->phase(), e->inverted(), e->source(),
                        e->pointingDevice());
  QCoreApplication::sendEvent(bar, &forwarded);
  e->setAccepted(forwarded.isAccepted());
}

void ElementWidget::leaveEvent(QEvent* e) {
  mCursorFrom = nullptr;
  QWidget::leaveEvent(e);
}

void ElementWidget::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  if (Node* n = node()) n->widgetResized(size());
}

void ElementWidget::dragEnterEvent(QDragEnterEvent* e) {
  if (node()) e->acceptProposedAction();
}

void ElementWidget::dragMoveEvent(QDragMoveEvent* e) {
  if (node()) e->acceptProposedAction();
}

void ElementWidget::dropEvent(QDropEvent* e) {
  Node* n = node();
  if (!n) return;
  n->state().noteCursorPos(mapToGlobal(e->position().toPoint()));
  const QPointF at = surfacePoint(e->position());
  Node* target = targetAt(at);
  e->acceptProposedAction();
  const MouseArgs a = argsAt(*target, at, 0, 0);
  callHandler(n->state(), target->self().handler(&ElementHandlers::onDragDrop), nullptr, a.x, a.y);
}

}  // namespace tov::qt::detail
