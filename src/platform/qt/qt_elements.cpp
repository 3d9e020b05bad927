#include "platform/qt/qt_elements.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QRubberBand>
#include <QScreen>
#include <QToolTip>
#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

#include "platform/qt/qt_nodes.h"
#include "tovdock/qt/qt_toolkit.h"

namespace tov::qt {

double pixelsPerTwip() {
  static double cached = 0;
  if (cached <= 0) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    cached = (dpi > 0 ? dpi : 96.0) / 1440.0;
  }
  return cached;
}

}  // namespace tov::qt

namespace tov::qt::detail {

int px(double twips) {
  return static_cast<int>(std::lround(twips * pixelsPerTwip()));
}

int& dispatchDepth() {
  static int depth = 0;
  return depth;
}

void reportHandlerFailure(const char* what) {
  qWarning("tovdock: an event handler failed: %s", what);
}

QColor toQColor(Color c, const QPalette& palette) {
  if (c & static_cast<Color>(0x80000000u)) {
    switch (c & 0xFF) {
      case 0x00:  // scroll bars
      case 0x0F:  // button face
        return palette.color(QPalette::Button);
      case 0x05:  // window background
        return palette.color(QPalette::Base);
      case 0x08:  // window text
      case 0x12:  // button text
        return palette.color(QPalette::WindowText);
      case 0x10:  // button shadow
        return palette.color(QPalette::Mid);
      case 0x14:  // button highlight
        return palette.color(QPalette::Light);
      default:  // inactive border and the rest of the window furniture
        return palette.color(QPalette::Window);
    }
  }
  return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

namespace {

QImage convert(const Picture& p) {
  if (p.width <= 0 || p.height <= 0 ||
      p.pixels.size() < static_cast<std::size_t>(p.width) * static_cast<std::size_t>(p.height)) {
    return {};
  }
  // Picture pixels are 0xAARRGGBB words, which is QImage's ARGB32 layout.
  QImage view(reinterpret_cast<const uchar*>(p.pixels.data()), p.width, p.height, p.width * 4,
              QImage::Format_ARGB32);
  return view.copy();
}

// Every bar shows the same few pictures: one image and one cursor per picture, shared.
struct Converted {
  std::weak_ptr<const Picture> picture;
  QImage image;
  std::optional<QCursor> cursor;
};

std::map<const Picture*, Converted>& conversions() {
  static std::map<const Picture*, Converted> cache;
  return cache;
}

Converted& converted(const PictureRef& p) {
  auto& cache = conversions();
  static bool cleanup = false;
  if (!cleanup) {
    // Cursors and images must go while the application still exists.
    qAddPostRoutine([] { conversions().clear(); });
    cleanup = true;
  }
  for (auto it = cache.begin(); it != cache.end();) {
    it = it->second.picture.expired() ? cache.erase(it) : std::next(it);
  }
  Converted& c = cache[p.get()];
  if (c.picture.expired()) c = Converted{p, convert(*p), std::nullopt};
  return c;
}

}  // namespace

QImage toImage(const PictureRef& p) {
  return p ? converted(p).image : QImage();
}

QCursor toCursor(const PictureRef& p) {
  if (!p) return QCursor(Qt::ArrowCursor);
  Converted& c = converted(p);
  if (!c.cursor) {
    c.cursor =
        c.image.isNull() ? QCursor(Qt::ArrowCursor) : QCursor(QPixmap::fromImage(c.image), p->hotX, p->hotY);
  }
  return *c.cursor;
}

QFont toQFont(const Font& f) {
  QFont q(QString::fromStdString(f.name));
  q.setPointSizeF(f.size > 0 ? f.size : 9);
  q.setBold(f.bold);
  return q;
}

namespace {
QPoint gCursor;
bool gCursorKnown = false;
}  // namespace

void noteCursorPos(QPoint global) {
  gCursor = global;
  gCursorKnown = true;
}

QPoint cursorPos() {
  // Inside a handler of a mouse event the event's position is where the user is; the window
  // system's cursor may have moved on, and synthesized input (tests) does not move it at all.
  // The offscreen platform has no cursor of its own.
  const QString platform = QGuiApplication::platformName();
  if (gCursorKnown && (dispatchDepth() > 0 || platform == "offscreen" || platform == "minimal"))
    return gCursor;
  return QCursor::pos();
}

Node* nodeOfWidget(QWidget* w) {
  if (auto* e = dynamic_cast<ElementWidget*>(w)) return e->node();
  if (auto* s = dynamic_cast<ScrollBarWidget*>(w)) return s->node();
  return nullptr;
}

Node* asNode(const Element* e) {
  return e ? dynamic_cast<Node*>(const_cast<Element*>(e)) : nullptr;
}

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

}  // namespace

// ---- Node ------------------------------------------------------------------------------------

Node::Node(Element& self, Node* container) : mSelf(self), mContainer(container) {}

Node::~Node() {
  if (dragSource() == this) cancelDrag();
  for (Node* c : mChildren)
    c->mContainer = nullptr;
  if (mContainer) {
    auto& siblings = mContainer->mChildren;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    auto& wl = mContainer->mWindowless;
    const bool painted = std::find(wl.begin(), wl.end(), this) != wl.end();
    wl.erase(std::remove(wl.begin(), wl.end(), this), wl.end());
    if (painted && mVisible) updateHost();
  }
}

SurfaceNode* Node::surface() {
  Node* n = this;
  while (n->mContainer)
    n = n->mContainer;
  return dynamic_cast<SurfaceNode*>(n);
}

QWidget* Node::hostWidget() const {
  if (windowed()) return widget();
  return mContainer ? mContainer->hostWidget() : nullptr;
}

QRect Node::pxRect() const {
  const int x = px(mLeft), y = px(mTop);
  return QRect(x, y, std::max(0, px(mLeft + mWidth) - x), std::max(0, px(mTop + mHeight) - y));
}

void Node::updateHost() const {
  if (windowed()) return;
  if (QWidget* h = hostWidget()) h->update(pxRect().adjusted(-1, -1, 2, 2));
}

void Node::applyGeometry() {
  if (windowed()) {
    if (QWidget* w = widget()) w->setGeometry(pxRect());
  } else if (QWidget* h = hostWidget()) {
    // The old rectangle is not kept; windowless elements are small, so the host repaints whole.
    h->update();
  }
}

void Node::applyVisible() {
  if (windowed()) {
    if (QWidget* w = widget()) w->setVisible(mVisible);
  } else {
    updateHost();
  }
}

void Node::setVisibleFlag(bool v) {
  if (v == mVisible) return;
  mVisible = v;
  applyVisible();
}

void Node::setContainerNode(Node* c) {
  if (c == mContainer && c) return;
  for (Node* up = c; up; up = up->mContainer) {
    if (up == this) throw Failure::invalidValue("Container");
  }
  if (mContainer) {
    if (!windowed()) updateHost();
    auto& siblings = mContainer->mChildren;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    auto& wl = mContainer->mWindowless;
    wl.erase(std::remove(wl.begin(), wl.end(), this), wl.end());
  }
  mContainer = c;
  if (!c) return;
  c->mChildren.push_back(this);
  if (windowed()) {
    if (QWidget* w = widget()) {
      QWidget* parent = c->hostWidget();
      if (w->parentWidget() != parent) w->setParent(parent);
      w->setGeometry(pxRect());
      w->setVisible(mVisible);
      w->raise();
    }
  } else {
    c->mWindowless.push_back(this);
    updateHost();
  }
}

void Node::bringToFront() {
  if (windowed()) {
    if (QWidget* w = widget()) w->raise();
    return;
  }
  if (!mContainer) return;
  auto& wl = mContainer->mWindowless;
  wl.erase(std::remove(wl.begin(), wl.end(), this), wl.end());
  wl.push_back(this);
  updateHost();
}

void Node::setPointer(std::int32_t pointer, PictureRef icon) {
  mPointer = pointer;
  mIcon = std::move(icon);
  mHasCursor = true;
  switch (mPointer) {
    case ptrDefault:
      mHasCursor = false;
      break;
    case ptrArrow:
      mCursor = QCursor(Qt::ArrowCursor);
      break;
    case 2:
      mCursor = QCursor(Qt::CrossCursor);
      break;
    case 3:
      mCursor = QCursor(Qt::IBeamCursor);
      break;
    case ptrSizeAll:
    case ptrSizeAllAlt:
      mCursor = QCursor(Qt::SizeAllCursor);
      break;
    case 6:
      mCursor = QCursor(Qt::SizeBDiagCursor);
      break;
    case ptrSizeNS:
      mCursor = QCursor(Qt::SizeVerCursor);
      break;
    case 8:
      mCursor = QCursor(Qt::SizeFDiagCursor);
      break;
    case 9:
      mCursor = QCursor(Qt::SizeHorCursor);
      break;
    case 10:
      mCursor = QCursor(Qt::UpArrowCursor);
      break;
    case 11:
      mCursor = QCursor(Qt::WaitCursor);
      break;
    case 12:
      mCursor = QCursor(Qt::ForbiddenCursor);
      break;
    case 13:
      mCursor = QCursor(Qt::BusyCursor);
      break;
    case ptrCustom:
      mCursor = toCursor(mIcon);
      break;
    default:
      mCursor = QCursor(Qt::ArrowCursor);
      break;
  }
  if (windowed()) {
    if (QWidget* w = widget()) {
      if (mHasCursor) {
        w->setCursor(mCursor);
      } else {
        w->unsetCursor();
      }
    }
  }
}

bool Node::cursor(QCursor& out) const {
  if (!mHasCursor) return false;
  out = mCursor;
  return true;
}

double Node::absLeft() const {
  double x = 0;
  for (const Node* n = this; n && n->mContainer; n = n->mContainer)
    x += n->mLeft;
  return x;
}

double Node::absTop() const {
  double y = 0;
  for (const Node* n = this; n && n->mContainer; n = n->mContainer)
    y += n->mTop;
  return y;
}

Node* Node::windowlessAt(double x, double y) const {
  for (auto it = mWindowless.rbegin(); it != mWindowless.rend(); ++it) {
    if ((*it)->mVisible && (*it)->hits(x, y)) return *it;
  }
  return nullptr;
}

Node::Hit Node::hitTest(double x, double y) const {
  // Geometry in twips decides, not the pixels it maps to: a strip 80 twips high is 5.33 pixels.
  if (QWidget* w = widget()) {
    const QObjectList& kids = w->children();
    for (auto it = kids.crbegin(); it != kids.crend(); ++it) {
      auto* cw = qobject_cast<QWidget*>(*it);
      if (!cw || cw->isHidden() || cw->isWindow() || cw->testAttribute(Qt::WA_TransparentForMouseEvents)) {
        continue;
      }
      if (Node* n = nodeOfWidget(cw)) {
        if (!n->hits(x, y)) continue;
        const Hit inner = n->hitTest(x - n->mLeft, y - n->mTop);
        return inner.node || inner.widget ? inner : Hit{n, cw};
      }
      const QPoint p(static_cast<int>(std::floor(x * pixelsPerTwip())),
                     static_cast<int>(std::floor(y * pixelsPerTwip())));
      if (cw->geometry().contains(p)) {
        QWidget* deepest = cw->childAt(cw->mapFromParent(p));
        return {nullptr, deepest ? deepest : cw};
      }
    }
  }
  if (Node* n = windowlessAt(x, y)) return {n, n->hostWidget()};
  return {};
}

void Node::paintWindowless(QPainter& painter, const QPalette& palette) const {
  for (Node* n : mWindowless) {
    if (n->mVisible) n->paintSelf(painter, palette, n->pxRect());
  }
}

void Node::paintSelf(QPainter&, const QPalette&, const QRect&) const {}

MouseArgs Node::argsAt(QPointF surfacePoint, std::int16_t button, std::int16_t shift) const {
  MouseArgs a;
  a.button = button;
  a.shift = shift;
  a.x = static_cast<float>(surfacePoint.x() - absLeft());
  a.y = static_cast<float>(surfacePoint.y() - absTop());
  return a;
}

// ---- drag ------------------------------------------------------------------------------------

namespace {

struct DragState {
  std::weak_ptr<int> token;
  Node* source = nullptr;
  std::weak_ptr<int> surfaceToken;
  SurfaceNode* surface = nullptr;
  QPointer<QWidget> window;
  QPointer<QRubberBand> band;
  QPoint offset;
};
std::optional<DragState> gDrag;

}  // namespace

bool dragActive() {
  return gDrag.has_value();
}

Node* dragSource() {
  return gDrag && alive(gDrag->token) ? gDrag->source : nullptr;
}

void Node::startDrag() {
  cancelDrag();
  DragState s;
  s.token = token();
  s.source = this;
  s.surface = surface();
  if (s.surface) s.surfaceToken = s.surface->token();
  QWidget* host = hostWidget();
  if (host && s.surface && s.surface->widget()) {
    s.window = s.surface->widget()->window();
    const QRect own = windowed() ? QRect(QPoint(0, 0), host->size()) : pxRect();
    const QRect r(host->mapTo(s.window, own.topLeft()), own.size());
    s.offset = r.topLeft() - s.window->mapFromGlobal(cursorPos());
    auto* band = new QRubberBand(QRubberBand::Rectangle, s.window);
    band->setAttribute(Qt::WA_TransparentForMouseEvents);
    band->setGeometry(r);
    band->show();
    band->raise();
    s.band = band;
  }
  gDrag = std::move(s);
}

void cancelDrag() {
  if (!gDrag) return;
  delete gDrag->band.data();
  gDrag.reset();
}

bool moveDrag(QPoint global) {
  if (!gDrag) return false;
  if (gDrag->band && gDrag->window) gDrag->band->move(gDrag->window->mapFromGlobal(global) + gDrag->offset);
  return true;
}

void endDrag(QPointF global) {
  if (!gDrag) return;
  DragState s = std::move(*gDrag);
  gDrag.reset();
  delete s.band.data();
  if (!alive(s.surfaceToken) || !s.surface) return;
  Element* source = alive(s.token) ? &s.source->self() : nullptr;
  const QPointF at = s.surface->toTwips(global);
  // Outside the dock, or over a hosted control, nothing of the dock is dropped on.
  Node* target = s.surface->hitAt(at).node;
  if (!target) return;
  const MouseArgs a = target->argsAt(at, 0, 0);
  callHandler(target->self().onDragDrop, source, a.x, a.y);
}

// ---- ElementWidget ---------------------------------------------------------------------------

ElementWidget::ElementWidget(Node* node, QWidget* parent) : QWidget(parent), mNode(node) {
  setMouseTracking(true);
  setAcceptDrops(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

bool ElementWidget::onForeignChild(QPoint p) const {
  QWidget* c = childAt(p);
  return c && !nodeOfWidget(c);
}

QPointF ElementWidget::surfacePoint(QPointF local) const {
  const SurfaceNode* s = mNode ? mNode->surface() : nullptr;
  if (s && s->widget()) return s->toTwips(mapToGlobal(local));
  const QPointF own = local / pixelsPerTwip();
  return mNode ? own + QPointF(mNode->absLeft(), mNode->absTop()) : own;
}

Node* ElementWidget::targetAt(QPointF surfacePoint) const {
  if (!mNode) return nullptr;
  Node* w = mNode->windowlessAt(surfacePoint.x() - mNode->absLeft(), surfacePoint.y() - mNode->absTop());
  return w ? w : mNode;
}

void ElementWidget::showCursorFor(Node* target) {
  if (!mNode || target == mCursorFrom) return;
  mCursorFrom = target;
  QCursor c;
  if (target && target != mNode && target->cursor(c)) {
    setCursor(c);
  } else if (mNode->cursor(c)) {
    setCursor(c);
  } else {
    unsetCursor();
  }
}

bool ElementWidget::event(QEvent* e) {
  if (e->type() == QEvent::ToolTip && mNode) {
    auto* he = static_cast<QHelpEvent*>(e);
    Node* t = targetAt(surfacePoint(he->pos()));
    if (!t || t->mToolTip.empty() || onForeignChild(he->pos())) {
      QToolTip::hideText();
      e->ignore();
    } else {
      const QRect area = t == mNode ? rect() : t->pxRect();
      QToolTip::showText(he->globalPos(), QString::fromStdString(t->mToolTip), this, area);
    }
    return true;
  }
  return QWidget::event(e);
}

void ElementWidget::paintEvent(QPaintEvent* e) {
  if (!mNode) return;
  QPainter p(this);
  p.setClipRegion(e->region());
  mNode->paintSelf(p, palette(), rect());
  mNode->paintWindowless(p, palette());
}

void ElementWidget::mousePressEvent(QMouseEvent* e) {
  if (!mNode || onForeignChild(e->position().toPoint())) {
    e->ignore();
    return;
  }
  e->accept();
  noteCursorPos(e->globalPosition().toPoint());
  const QPointF at = surfacePoint(e->position());
  Node* target = targetAt(at);
  mCapture = target;
  mCaptureToken = target->token();
  callHandler(target->self().onMouseDown,
              target->argsAt(at, buttonMask(e->button()), shiftMask(e->modifiers())));
}

void ElementWidget::mouseMoveEvent(QMouseEvent* e) {
  noteCursorPos(e->globalPosition().toPoint());
  if (moveDrag(e->globalPosition().toPoint())) return;
  if (!mNode) return;
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
  callHandler(target->self().onMouseMove,
              target->argsAt(at, buttonMask(e->buttons()), shiftMask(e->modifiers())));
}

void ElementWidget::mouseReleaseEvent(QMouseEvent* e) {
  noteCursorPos(e->globalPosition().toPoint());
  if (dragActive()) {
    mCapture = nullptr;
    mCaptureToken.reset();
    endDrag(e->globalPosition());
    return;
  }
  if (!mNode || !alive(mCaptureToken)) return;
  e->accept();
  Node* target = mCapture;
  std::weak_ptr<int> token = mCaptureToken;
  mCapture = nullptr;
  mCaptureToken.reset();
  const QPointF global = e->globalPosition();
  const QPointF at = surfacePoint(e->position());
  callHandler(target->self().onMouseUp,
              target->argsAt(at, buttonMask(e->button()), shiftMask(e->modifiers())));
  // The handler may have unloaded the element, or this widget with it.
  if (!alive(token)) return;
  // A click is the left button's, released over the element it was pressed on.
  if (e->button() != Qt::LeftButton) return;
  SurfaceNode* s = target->surface();
  if (s && s->hitAt(s->toTwips(global)).node == target) callHandler(target->self().onClick);
}

void ElementWidget::leaveEvent(QEvent* e) {
  mCursorFrom = nullptr;
  QWidget::leaveEvent(e);
}

void ElementWidget::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  if (mNode) mNode->widgetResized(size());
}

void ElementWidget::dragEnterEvent(QDragEnterEvent* e) {
  if (mNode) e->acceptProposedAction();
}

void ElementWidget::dragMoveEvent(QDragMoveEvent* e) {
  if (mNode) e->acceptProposedAction();
}

void ElementWidget::dropEvent(QDropEvent* e) {
  if (!mNode) return;
  noteCursorPos(mapToGlobal(e->position().toPoint()));
  const QPointF at = surfacePoint(e->position());
  Node* target = targetAt(at);
  e->acceptProposedAction();
  const MouseArgs a = target->argsAt(at, 0, 0);
  callHandler(target->self().onDragDrop, nullptr, a.x, a.y);
}

}  // namespace tov::qt::detail
