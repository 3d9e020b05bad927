#include "platform/qt/qt_input.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>
#include <QToolTip>

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

/// Moves the drag outline; false when no drag is on.
bool moveDrag(ToolkitState& state, QPoint global) {
  auto& drag = state.drag;
  if (!drag) return false;
  if (drag->band && drag->window) drag->band->move(drag->window->mapFromGlobal(global) + drag->offset);
  return true;
}

/// Ends a manual drag at a global point: drops on the element there.
void endDrag(ToolkitState& state, QPointF global) {
  if (!state.drag) return;
  ToolkitState::Drag s = std::move(*state.drag);
  state.drag.reset();
  delete s.band.data();
  if (!alive(s.surfaceToken) || !s.surface) return;
  Element* source = alive(s.token) ? &s.source->self() : nullptr;
  const QPointF at = s.surface->toTwips(global);
  // Outside the dock, or over a hosted control, nothing of the dock is dropped on.
  Node* target = s.surface->hitAt(at).node;
  if (!target) return;
  const MouseArgs a = argsAt(*target, at, 0, 0);
  callHandler(state, target->self().onDragDrop, source, a.x, a.y);
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
  QWidget* host = source.hostWidget();
  if (host && s.surface && s.surface->widget()) {
    s.window = s.surface->widget()->window();
    const QRect own = source.windowed() ? QRect(QPoint(0, 0), host->size()) : source.pxRect();
    const QRect r(host->mapTo(s.window, own.topLeft()), own.size());
    s.offset = r.topLeft() - s.window->mapFromGlobal(state.cursorPos());
    auto* band = new QRubberBand(QRubberBand::Rectangle, s.window);
    band->setAttribute(Qt::WA_TransparentForMouseEvents);
    band->setGeometry(r);
    band->show();
    band->raise();
    s.band = band;
  }
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
  Node* w = n->windowlessAt(surfacePoint.x() - n->absLeft(), surfacePoint.y() - n->absTop());
  return w ? w : n;
}

void ElementWidget::showCursorFor(Node* target) {
  Node* n = node();
  if (!n || target == mCursorFrom) return;
  mCursorFrom = target;
  QCursor c;
  if (target && target != n && target->cursor(c)) {
    setCursor(c);
  } else if (n->cursor(c)) {
    setCursor(c);
  } else {
    unsetCursor();
  }
}

bool ElementWidget::event(QEvent* e) {
  Node* n = node();
  if (n && (e->type() == QEvent::Show || e->type() == QEvent::ParentChange)) n->windowChanged();
  if (e->type() == QEvent::ToolTip && n) {
    auto* he = static_cast<QHelpEvent*>(e);
    Node* t = targetAt(surfacePoint(he->pos()));
    if (!t || t->mToolTip.empty() || onForeignChild(he->pos())) {
      QToolTip::hideText();
      e->ignore();
    } else {
      const QRect area = t == n ? rect() : t->pxRect();
      // The texts are the dock's own; an installed translation shows them in the application's language.
      QToolTip::showText(he->globalPos(), QCoreApplication::translate("tov", t->mToolTip.c_str()), this,
                         area);
    }
    return true;
  }
  return QWidget::event(e);
}

void ElementWidget::paintEvent(QPaintEvent* e) {
  Node* n = node();
  if (!n) return;
  QPainter p(this);
  p.setClipRegion(e->region());
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
  callHandler(state, target->self().onMouseDown,
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
  callHandler(state, target->self().onMouseMove,
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
  callHandler(state, target->self().onMouseUp,
              argsAt(*target, at, buttonMask(e->button()), shiftMask(e->modifiers())));
  // The handler may have unloaded the element, or this widget with it.
  if (!alive(token)) return;
  // A click is the left button's, released over the element it was pressed on.
  if (e->button() != Qt::LeftButton) return;
  Node* s = target->surface();
  if (s && s->hitAt(s->toTwips(global)).node == target) callHandler(state, target->self().onClick);
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
  callHandler(n->state(), target->self().onDragDrop, nullptr, a.x, a.y);
}

}  // namespace tov::qt::detail
