#include "platform/qt/qt_nodes.h"

#include <QEnterEvent>
#include <QFontMetrics>
#include <QHashFunctions>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPixmapCache>
#include <QRegion>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <tuple>

namespace tov::qt::detail {

namespace {

// Assigning a picture sizes an image to it at the classic 15 twips per pixel.
constexpr double kPictureTwips = kTwipsPerPixel96;

// A panel that is drawn on but not painted compacts its drawing when it has grown to twice its
// size after the last time, and not below this.
constexpr std::size_t kCompactUnpainted = 256;
// Stroke extents are compared in eighths of a twip, which keeps neighbouring bands joined.
constexpr double kUnitsPerTwip = 8;

/// Cuts a segment to a rectangle (Liang and Barsky); false when nothing of it lies inside.
bool clipSegment(double& x1, double& y1, double& x2, double& y2, double w, double h) {
  double t0 = 0, t1 = 1;
  const double dx = x2 - x1, dy = y2 - y1;
  const double p[4] = {-dx, dx, -dy, dy}, q[4] = {x1, w - x1, y1, h - y1};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
    } else {
      const double t = q[i] / p[i];
      if (p[i] < 0) {
        t0 = std::max(t0, t);
      } else {
        t1 = std::min(t1, t);
      }
    }
  }
  if (t0 > t1) return false;
  x2 = x1 + t1 * dx;
  y2 = y1 + t1 * dy;
  x1 += t0 * dx;
  y1 += t0 * dy;
  return true;
}

bool axial(const PanelNode::Stroke& s) {
  return s.x1 == s.x2 || s.y1 == s.y2;
}

/// What a stroke covers in eighths of a twip: a line is one pixel wide at `pixelsPerTwip`.
QRect extentOf(const PanelNode::Stroke& s, double pixelsPerTwip) {
  const double pen = s.fill ? 0 : 1 / pixelsPerTwip;
  auto unit = [](double twips) { return roundToInt(twips * kUnitsPerTwip); };
  const int left = unit(std::min(s.x1, s.x2)), top = unit(std::min(s.y1, s.y2));
  const int right = unit(std::max(s.x1, s.x2) + pen), bottom = unit(std::max(s.y1, s.y2) + pen);
  return QRect(left, top, right - left, bottom - top);
}

/// Whether two extents make one rectangle together: side by side along a common edge.
bool joins(const QRect& a, const QRect& b) {
  return (a.top() == b.top() && a.bottom() == b.bottom() && a.left() <= b.right() + 1 &&
          a.right() >= b.left() - 1) ||
         (a.left() == b.left() && a.right() == b.right() && a.top() <= b.bottom() + 1 &&
          a.bottom() >= b.top() - 1);
}

using Box = PanelNode::Box;

Box boxOf(const PanelNode::Stroke& s) {
  return {s.x1, s.y1, s.x2, s.y2};
}

/// Whether a fill lies against a box along one whole edge of it, outside it.
bool besides(const Box& f, const Box& b) {
  return (f.y1 == b.y1 && f.y2 == b.y2 && (f.x1 == b.x2 || f.x2 == b.x1)) ||
         (f.x1 == b.x1 && f.x2 == b.x2 && (f.y1 == b.y2 || f.y2 == b.y1));
}

Box around(const Box& a, const Box& b) {
  return {std::min(a.x1, b.x1), std::min(a.y1, b.y1), std::max(a.x2, b.x2), std::max(a.y2, b.y2)};
}

bool holds(const Box& a, const Box& b) {
  return a.x1 <= b.x1 && a.y1 <= b.y1 && a.x2 >= b.x2 && a.y2 >= b.y2;
}

/// Whether a compaction could find no unit of a fill: it is less than a unit across.
bool thin(const Box& f) {
  return (f.x2 - f.x1) * kUnitsPerTwip < 1 || (f.y2 - f.y1) * kUnitsPerTwip < 1;
}

/// Pictures drawn once and shared through Qt's pixmap cache, found by a key of plain numbers
/// rather than by a text made for every look asked for. Never destroyed, as the cache is not.
template <class Key>
class Looks {
 public:
  bool find(const Key& key, QPixmap* out) const {
    const auto it = mKeys.find(key);
    return it != mKeys.end() && QPixmapCache::find(it->second, out);
  }
  void insert(const Key& key, const QPixmap& look) {
    if (mKeys.size() >= 2 * mSwept + 64) {
      // Looks the cache let go of.
      std::erase_if(mKeys, [](const auto& entry) { return !entry.second.isValid(); });
      mSwept = mKeys.size();
    }
    mKeys[key] = QPixmapCache::insert(look);
  }

 private:
  std::map<Key, QPixmapCache::Key> mKeys;
  std::size_t mSwept = 0;
};

/// Whether the mouse can hold a button down (the left one).
bool leftButton(const QEvent& e) {
  return static_cast<const QMouseEvent&>(e).button() == Qt::LeftButton;
}

}  // namespace

// ---- panel -----------------------------------------------------------------------------------

PanelNode::PanelNode(Node& container) : QtElement(container.sharedState()) {
  auto* w = new ElementWidget(this, container.hostWidget());
  w->hide();
  mWidget.reset(w, state());
  setContainerNode(&container);
}

Hwnd PanelNode::hWnd() const {
  return state().handleOf(widget());
}

void PanelNode::setBackColor(Color c) {
  // With nothing drawn, the colour it has already changes no pixel.
  if (c == mBackColor && mDrawing.empty()) return;
  mBackColor = c;
  // As with a picture box, a new back colour erases what was drawn.
  mDrawing.clear();
  mDrawing.shrink_to_fit();
  mCompacted = 0;
  mCover = Cover{};
  mLook.strokesKnown = false;
  if (QWidget* w = widget()) w->update();
}

void PanelNode::applyGeometry() {
  // A splitter step moves every bar below the dragged one by the same distance, from the top
  // down: each would land on the next one while that is still in place, and Qt would paint them
  // all again. Moves are held back until the handlers return (see applyHeldMoves).
  ElementWidget* w = mWidget.get();
  ToolkitState& s = state();
  if (w && s.holdingMoves() && w->isVisible()) {
    const QRect r = pxRect();
    if (r.size() == w->size()) {
      if (r.topLeft() != w->pos() && w->heldEpoch != s.heldEpoch) {
        w->heldEpoch = s.heldEpoch;
        s.heldMoves.emplace_back(w);
      }
      return;
    }
  }
  Node::applyGeometry();
}

void PanelNode::record(const Stroke& s) {
  // Compacted when painted, once the drawing is complete; a panel drawn on but never painted is
  // compacted here now and then.
  if (mDrawing.size() >= std::max(2 * mCompacted, kCompactUnpainted)) compact();
  mDrawing.push_back(s);
  Cover& c = mCover;
  if (!s.fill) {
    c.lines = true;
    c.open = false;
  } else {
    // Each fill of a run lies outside the ones before it, so none covers another; one too thin
    // for a compaction to weigh ends the run.
    const Box f = boxOf(s);
    if (c.open && !c.closed && besides(f, c.box)) {
      c.box = around(c.box, f);
      c.closed = thin(f);
    } else if (!thin(f)) {
      c.open = true;
      c.closed = false;
      c.box = f;
      c.from = mDrawing.size() - 1;
      c.anyBefore = c.any;
      c.before = c.bounds;
    } else {
      c.open = false;
    }
    c.bounds = c.any ? around(c.bounds, f) : f;
    c.any = true;
    if (c.open) dropCovered();
  }
  drew();
}

void PanelNode::dropCovered() {
  Cover& c = mCover;
  if (c.from > 0 && !c.lines && c.anyBefore && holds(c.box, c.before)) {
    mDrawing.erase(mDrawing.begin(), mDrawing.begin() + static_cast<std::ptrdiff_t>(c.from));
    c.from = 0;
    c.anyBefore = false;
    c.bounds = c.box;
  }
  // The run alone is left: as a compaction leaves it.
  if (c.from == 0) mCompacted = mDrawing.size();
}

void PanelNode::drew() {
  mLook.strokesKnown = false;
  // A gradient is sixty strokes: the first asks for the repaint, which shows them all.
  if (mRepaintAsked) return;
  mRepaintAsked = true;
  if (QWidget* w = widget()) w->update();
}

void PanelNode::compact() const {
  // From the newest stroke back: a stroke that those after it cover entirely shows nowhere. A
  // title gradient drawn again for a new width replaces the old one this way. Its bands (or
  // lines) join to one rectangle, two while a gradient is halfway drawn over another, which are
  // tested cheaply; other unions go to a region.
  constexpr std::size_t kBoxes = 4;
  const double k = scale().pixelsPerTwip;
  std::vector<QRect> boxes;
  QRegion covered;
  bool inBoxes = true;
  auto hidden = [&](const QRect& r) {
    if (!inBoxes) return QRegion(r).subtracted(covered).isEmpty();
    return std::any_of(boxes.begin(), boxes.end(), [&r](const QRect& b) { return b.contains(r); });
  };
  std::vector<Stroke> kept;
  kept.reserve(mDrawing.size());
  // The open run's fills lie side by side: none of them is covered, and they make one box.
  Cover& c = mCover;
  const std::size_t older = c.open ? c.from : mDrawing.size();
  const std::size_t runLength = mDrawing.size() - older;
  if (c.open) {
    kept.assign(mDrawing.rbegin(), mDrawing.rbegin() + static_cast<std::ptrdiff_t>(runLength));
    boxes.push_back(extentOf({c.box.x1, c.box.y1, c.box.x2, c.box.y2, 0, true}, k));
  }
  Cover next;
  for (auto it = std::make_reverse_iterator(mDrawing.begin() + static_cast<std::ptrdiff_t>(older));
       it != mDrawing.rend(); ++it) {
    // A fill inside the open run is hidden: its extent lies in the run's, which the boxes hold.
    if (c.open && it->fill && holds(c.box, boxOf(*it))) continue;
    QRect r = extentOf(*it, k);
    if (hidden(r)) continue;
    kept.push_back(*it);
    if (it->fill) {
      next.before = next.anyBefore ? around(next.before, boxOf(*it)) : boxOf(*it);
      next.anyBefore = true;
    } else {
      next.lines = true;
    }
    if (!it->fill && !axial(*it)) continue;
    if (!inBoxes) {
      covered += r;
      continue;
    }
    // A joined box may join another one in turn.
    for (auto b = boxes.begin(); b != boxes.end();) {
      if (joins(r, *b)) {
        r = r.united(*b);
        boxes.erase(b);
        b = boxes.begin();
      } else {
        ++b;
      }
    }
    boxes.push_back(r);
    if (boxes.size() > kBoxes) {
      inBoxes = false;
      for (const QRect& b : boxes)
        covered += b;
    }
  }
  mDrawing.assign(kept.rbegin(), kept.rend());
  mCompacted = mDrawing.size();
  // The run stays open: fills drawn next may still join it.
  next.any = next.anyBefore;
  next.bounds = next.before;
  next.from = mDrawing.size() - runLength;
  if (c.open) {
    next.open = true;
    next.closed = c.closed;
    next.box = c.box;
    next.bounds = next.any ? around(next.bounds, c.box) : c.box;
    next.any = true;
  }
  c = next;
}

void PanelNode::drawLine(double x1, double y1, double x2, double y2, Color c) {
  // What falls outside the panel is lost, as on a picture of the panel's size.
  if (!clipSegment(x1, y1, x2, y2, mWidth, mHeight)) return;
  record({static_cast<float>(x1), static_cast<float>(y1), static_cast<float>(x2), static_cast<float>(y2), c,
          false});
}

void PanelNode::fillRect(double x1, double y1, double x2, double y2, Color c) {
  const double left = std::max(0.0, std::min(x1, x2)), right = std::min(mWidth, std::max(x1, x2));
  const double top = std::max(0.0, std::min(y1, y2)), bottom = std::min(mHeight, std::max(y1, y2));
  if (left >= right || top >= bottom) return;
  record({static_cast<float>(left), static_cast<float>(top), static_cast<float>(right),
          static_cast<float>(bottom), c, true});
}

void PanelNode::fillBands(std::span<const Color> colors, double step, double height) {
  // Bands of a positive step lie side by side. Drawn one by one, the first opens a run of fills,
  // each next one joins it, and a thin last one ends it: they are recorded at once with the state
  // that leaves. Any other case is drawn one by one.
  // Cut as fillRect cuts the fills from 0 to `height`: they start at the top.
  const double top = 0, bottom = std::min(mHeight, std::max(0.0, height));
  const std::size_t from = mDrawing.size();
  auto oneByOne = [&] {
    mDrawing.resize(from);
    Panel::fillBands(colors, step, height);
  };
  if (!(step > 0) || !(top < bottom)) return oneByOne();
  const auto y1 = static_cast<float>(top), y2 = static_cast<float>(bottom);
  bool closed = false;
  for (std::size_t i = 0; i < colors.size(); ++i) {
    // Cut as fillRect cuts a band: it starts at 0 or right of it.
    const double left = step * static_cast<double>(i),
                 right = std::min(mWidth, step * static_cast<double>(i + 1));
    if (left >= right) continue;
    const Stroke s{static_cast<float>(left), y1, static_cast<float>(right), y2, colors[i], true};
    if (closed) return oneByOne();
    closed = thin(boxOf(s));
    if (closed && mDrawing.size() == from) return oneByOne();
    mDrawing.push_back(s);
  }
  if (mDrawing.size() == from) return;
  Cover& c = mCover;
  const Box box{mDrawing[from].x1, y1, mDrawing.back().x2, y2};
  // One by one, the first band would join an open run, or the drawing would be compacted midway.
  if ((c.open && !c.closed && besides(boxOf(mDrawing[from]), c.box)) || mDrawing.size() > kCompactUnpainted)
    return oneByOne();
  c.anyBefore = c.any;
  c.before = c.bounds;
  c.bounds = c.any ? around(c.bounds, box) : box;
  c.any = true;
  c.open = true;
  c.closed = closed;
  c.box = box;
  c.from = from;
  // The run grows with each band, so it would have covered the fills before it by the last one.
  dropCovered();
  drew();
}

void PanelNode::setGradient(const std::optional<Gradient>& g) {
  if (g == mGradient) return;
  mGradient = g;
  if (QWidget* w = widget()) w->update();
}

std::unique_ptr<Element> PanelNode::copyIn(Node& container) const {
  auto c = std::make_unique<PanelNode>(container);
  copyProperties(*this, *c);
  c->bringToFront();
  return c;
}

void PanelNode::paintSelf(QPainter& painter, const QPalette& palette, const QRect& area) const {
  mRepaintAsked = false;
  const QColor back = toQColor(mBackColor, palette);
  if (mDrawing.empty()) {
    painter.fillRect(area, back);
    return;
  }
  if (mDrawing.size() > mCompacted) compact();
  const double k = scale().pixelsPerTwip;
  const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
  if (!mLook.strokesKnown || mLook.palette != palette.cacheKey()) {
    // Title strips of one width are drawn alike: the key of the last drawing is kept.
    struct Known {
      std::vector<Stroke> drawing;
      QRgb back = 0;
      qint64 palette = 0;
      std::size_t key = 0;
    };
    static Known known;
    if (known.drawing != mDrawing || known.back != back.rgba() || known.palette != palette.cacheKey()) {
      std::size_t h = qHashMulti(0, back.rgba(), mDrawing.size());
      for (const Stroke& s : mDrawing)
        h = qHashMulti(h, s.x1, s.y1, s.x2, s.y2, toQRgb(s.color, palette), s.fill);
      known = {mDrawing, back.rgba(), palette.cacheKey(), h};
    }
    mLook.strokes = known.key;
    mLook.palette = palette.cacheKey();
    mLook.strokesKnown = true;
    mLook.pixmap = QPixmap();
  }
  if (mLook.pixmap.isNull() || mLook.size != area.size() || mLook.ratio != ratio || mLook.scale != k) {
    // Title strips of one width and colours look alike: they share one picture of their drawing,
    // made at the device's resolution when first needed and kept in Qt's pixmap cache.
    using Key = std::tuple<std::size_t, int, int, qreal, double>;
    static auto* looks = new Looks<Key>;
    const Key key{mLook.strokes, area.width(), area.height(), ratio, k};
    QPixmap look;
    if (!looks->find(key, &look)) {
      look = QPixmap((QSizeF(area.size()) * ratio).toSize());
      look.setDevicePixelRatio(ratio);
      look.fill(back);
      QPainter p(&look);
      paintDrawing(p, palette, k, ratio);
      p.end();
      looks->insert(key, look);
    }
    mLook.pixmap = look;
    mLook.size = area.size();
    mLook.ratio = ratio;
    mLook.scale = k;
  }
  painter.drawPixmap(area.topLeft(), mLook.pixmap);
}

void PanelNode::paintDrawing(QPainter& painter, const QPalette& palette, double k, qreal ratio) const {
  // Edges fall on whole device pixels: sharp at any pixel ratio, and at ratio 1 the pixels a
  // picture of the panel would have had.
  auto at = [k, ratio](float twips) { return std::round(twips * k * ratio) / ratio; };
  for (const Stroke& s : mDrawing) {
    const QColor c = toQColor(s.color, palette);
    if (s.fill) {
      painter.fillRect(QRectF(QPointF(at(s.x1), at(s.y1)), QPointF(at(s.x2), at(s.y2))), c);
    } else if (axial(s)) {
      // A pen one pixel wide, its end points included.
      const qreal left = at(std::min(s.x1, s.x2)), top = at(std::min(s.y1, s.y2));
      painter.fillRect(
          QRectF(left, top, at(std::max(s.x1, s.x2)) - left + 1, at(std::max(s.y1, s.y2)) - top + 1), c);
    } else {
      painter.setPen(QPen(c, 1));
      painter.drawLine(QLineF(at(s.x1), at(s.y1), at(s.x2), at(s.y2)));
    }
  }
}

const Node* PanelNode::buttonAt(QPointF px) const {
  const double k = scale().pixelsPerTwip;
  const Node* n = windowlessAt(px.x() / k, px.y() / k);
  const auto* image = dynamic_cast<const ImageNode*>(n);
  return image && image->isButton() ? n : nullptr;
}

bool PanelNode::hovered(const Node* button) const {
  return mMouse && button && buttonAt(*mMouse) == button;
}

bool PanelNode::pressed(const Node* button) const {
  return button && button == mPressed && !mPressedToken.expired() && hovered(button);
}

void PanelNode::pointerEvent(const QEvent& e) {
  const Node* hotBefore = mMouse ? buttonAt(*mMouse) : nullptr;
  const Node* pressedBefore = mPressed;
  switch (e.type()) {
    case QEvent::MouseMove:
      mMouse = static_cast<const QMouseEvent&>(e).position();
      break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      mMouse = static_cast<const QMouseEvent&>(e).position();
      if (leftButton(e)) {
        mPressed = buttonAt(*mMouse);
        mPressedToken = mPressed ? mPressed->token() : std::weak_ptr<int>();
      }
      break;
    case QEvent::MouseButtonRelease:
      mMouse = static_cast<const QMouseEvent&>(e).position();
      if (leftButton(e)) mPressed = nullptr;
      break;
    case QEvent::Enter:
      mMouse = static_cast<const QEnterEvent&>(e).position();
      break;
    case QEvent::Leave:
    case QEvent::Hide:
      mMouse.reset();
      break;
    default:
      return;
  }
  const Node* hot = mMouse ? buttonAt(*mMouse) : nullptr;
  if (hot == hotBefore && mPressed == pressedBefore) return;
  if (QWidget* w = widget()) w->update();
}

namespace {

// A caption within this of its full extent (in twips) is shown whole.
constexpr double kSpanSlack = 0.5;

/// Where a caption of a title row is shown, in its container's twips.
struct Span {
  double left, right;
};

/// The room a caption has in its row. The left caption ends before the first image after it (the
/// buttons); the right one, placed before the buttons by the dock, starts after the left one. When
/// the two meet, the right one gives way down to two fifths of their room and the left one takes
/// the rest. Only the drawing is shortened: hit tests keep the dock's geometry.
Span captionSpan(const LabelNode& label) {
  const Span whole{label.mLeft, label.mLeft + label.mWidth};
  const Node* row = label.container();
  if (!row) return whole;
  const LabelNode* first = nullptr;
  const LabelNode* second = nullptr;
  for (const Node* n : row->windowless()) {
    if (n->self().kind() != Element::Kind::Label) continue;
    const auto* l = static_cast<const LabelNode*>(n);
    if (!l->mVisible || l->text().isEmpty()) continue;
    (l->Alignment() == Label::Align::Right ? second : first) = l;
  }
  if (&label != first && &label != second) return whole;
  const double k = label.scale().pixelsPerTwip;
  // Captions keep a few pixels apart; the dock's gap before the buttons is kept as it is.
  const double gap = 6 / k, buttonGap = 2 / k;
  double end = row->mWidth;
  const double from = first ? first->mLeft : label.mLeft;
  for (const Node* n : row->windowless()) {
    if (n->mVisible && n->self().kind() == Element::Kind::Image && n->mLeft > from)
      end = std::min(end, n->mLeft);
  }
  Span left = first ? Span{first->mLeft, std::min(first->mLeft + first->mWidth, end - buttonGap)} : Span{};
  Span right = second ? Span{second->mLeft, second->mLeft + second->mWidth} : Span{};
  if (first && second && left.right + gap > right.left) {
    const double room = right.right - left.left - gap;
    const double share = std::min(second->mWidth, std::max(room - (left.right - left.left), room * 0.4));
    right.left = right.right - std::max(0.0, share);
    left.right = std::min(left.right, right.left - gap);
  }
  return &label == first ? left : right;
}

/// The colour of the glyphs in a row: its caption's.
QColor inkOf(const Node* row, const QPalette& palette) {
  if (row) {
    for (const Node* n : row->windowless()) {
      if (n->self().kind() == Element::Kind::Label)
        return toQColor(static_cast<const LabelNode*>(n)->ForeColor(), palette);
    }
  }
  return palette.color(QPalette::WindowText);
}

/// A cog wheel of eight teeth with a hole, filling a square of `size` about `c`.
QPainterPath gear(QPointF c, double size) {
  const double outer = size * 0.37, inner = size * 0.27, hole = size * 0.14;
  constexpr int kTeeth = 8;
  constexpr double kStep = 2 * std::numbers::pi / kTeeth;
  QPolygonF rim;
  for (int i = 0; i < kTeeth; ++i) {
    const double a = i * kStep;
    for (auto [r, da] : {std::pair{inner, -0.34}, {outer, -0.20}, {outer, 0.20}, {inner, 0.34}}) {
      const double t = a + da * kStep * 1.25;
      rim << QPointF(c.x() + r * std::cos(t), c.y() + r * std::sin(t));
    }
  }
  QPainterPath path;
  path.setFillRule(Qt::OddEvenFill);
  path.addPolygon(rim);
  path.closeSubpath();
  path.addEllipse(c, hole, hole);
  return path;
}

/// A title button's shape in `box`: a wash of the ink under the mouse (darker on light titles,
/// lighter on dark ones, stronger while held), then the glyph, antialiased.
void drawButton(QPainter& painter, Picture::Symbol symbol, const QRectF& box, const QColor& ink, bool hover,
                bool down) {
  const double size = std::min(box.width(), box.height());
  const QPointF c = box.center();
  painter.setRenderHint(QPainter::Antialiasing, true);
  if (hover) {
    QColor wash = ink;
    wash.setAlphaF(down ? 0.32f : 0.16f);
    painter.setPen(Qt::NoPen);
    painter.setBrush(wash);
    const double radius = size * 0.22;
    painter.drawRoundedRect(QRectF(c.x() - size / 2, c.y() - size / 2, size, size), radius, radius);
  }
  painter.setPen(QPen(ink, std::max(1.0, size / 11), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(Qt::NoBrush);
  if (symbol == Picture::Symbol::Close) {
    const double r = size * 0.21;
    painter.drawLine(QPointF(c.x() - r, c.y() - r), QPointF(c.x() + r, c.y() + r));
    painter.drawLine(QPointF(c.x() - r, c.y() + r), QPointF(c.x() + r, c.y() - r));
  } else if (symbol == Picture::Symbol::Expand || symbol == Picture::Symbol::Collapse) {
    // Two chevrons pointing the way the pane will fold: down to open it, up to close it.
    const double r = size * 0.22, h = size * 0.12, apart = size * 0.13;
    const double tip = symbol == Picture::Symbol::Expand ? h : -h;
    for (double y : {c.y() - apart, c.y() + apart}) {
      const QPointF v[3] = {{c.x() - r, y - tip}, {c.x(), y + tip}, {c.x() + r, y - tip}};
      painter.drawPolyline(v, 3);
    }
  } else {
    painter.setPen(Qt::NoPen);
    painter.setBrush(ink);
    painter.drawPath(gear(c, size));
  }
}

}  // namespace

// ---- label -----------------------------------------------------------------------------------

LabelNode::LabelNode(Node& container) : QtElement(container.sharedState()), mQFont(toQFont(mFont)) {
  setContainerNode(&container);
}

void LabelNode::fit() {
  if (mAutoSize) {
    // Measured as on the screen the label is shown on, whose DPI sizes the font's pixels.
    const QWidget* host = hostWidget();
    const QFontMetrics fm = host ? QFontMetrics(mQFont, host) : QFontMetrics(mQFont);
    mWidth = scale().twips(fm.horizontalAdvance(mText));
  }
  geometryChanged();
}

void LabelNode::setCaption(const std::string& v) {
  // Measuring the text again would give the width it has.
  if (v == mCaption) return;
  mCaption = v;
  mText = QString::fromStdString(v);
  fit();
}

void LabelNode::setAutoSize(bool v) {
  mAutoSize = v;
  fit();
}

void LabelNode::setAlignment(Align a) {
  mAlign = a;
  updateHost();
}

void LabelNode::setFont(const Font& f) {
  mFont = f;
  mQFont = toQFont(f);
  fit();
}

void LabelNode::setForeColor(Color c) {
  mForeColor = c;
  updateHost();
}

std::unique_ptr<Element> LabelNode::copyIn(Node& container) const {
  // What copyProperties leaves, without measuring the caption: the copy ends with this label's
  // width whatever its caption measured. Every bar's captions are copies.
  auto c = std::make_unique<LabelNode>(container);
  c->mFont = mFont;
  c->mQFont = mQFont;
  c->mAlign = mAlign;
  c->mForeColor = mForeColor;
  c->mAutoSize = mAutoSize;
  c->mCaption = mCaption;
  c->mText = mText;
  c->mLeft = mLeft;
  c->mTop = mTop;
  c->mWidth = mWidth;
  c->mHeight = mHeight;
  c->geometryChanged();
  c->setToolTipText(mToolTip);
  c->setMouseIcon(mIcon);
  c->setMousePointer(mPointer);
  return c;
}

const LabelNode::Shaped& LabelNode::shaped(const QPaintDevice* device, int room) const {
  const int dpi = device ? device->logicalDpiY() : 0;
  if (mShaped && mShaped->room == room && mShaped->dpi == dpi && mShaped->source == mText &&
      mShaped->font == mQFont) {
    return *mShaped;
  }
  QString text = mText;
  if (room >= 0) {
    const QWidget* host = hostWidget();
    const QFontMetrics fm = host ? QFontMetrics(mQFont, host) : QFontMetrics(mQFont);
    text = fm.elidedText(mText, Qt::ElideRight, room);
  }
  // One line, as drawText with Qt::TextSingleLine lays it out: breaks become spaces, trailing
  // spaces count, and the height is the line's without its leading.
  for (QChar& c : text) {
    if (c == u'\n' || c == u'\r') c = u' ';
  }
  QTextOption option;
  option.setWrapMode(QTextOption::NoWrap);
  option.setFlags(QTextOption::IncludeTrailingSpaces);
  // Shaped once: the line gives the size and the glyphs that are drawn.
  Shaped s{mText, mQFont, room, dpi, {}, {}};
  if (!text.isEmpty()) {
    QTextLayout layout(text, mQFont, const_cast<QPaintDevice*>(device));
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(0x01000000);
    s.size = QSizeF(line.naturalTextWidth(), line.height());
    layout.endLayout();
    s.glyphs = line.glyphRuns();
  }
  mShaped = std::move(s);
  return *mShaped;
}

void LabelNode::paintSelf(QPainter& painter, const QPalette& palette, const QRect& area) const {
  if (mText.isEmpty()) return;
  QRect shown = area;
  int room = -1;
  const Span span = captionSpan(*this);
  if (span.left > mLeft + kSpanSlack || span.right < mLeft + mWidth - kSpanSlack) {
    // The caption does not fit between its neighbours: it is shortened with an ellipsis there.
    const double k = scale().pixelsPerTwip;
    const int left = area.left() + static_cast<int>(std::ceil((span.left - mLeft) * k));
    const int right = area.left() + static_cast<int>(std::floor((span.right - mLeft) * k));
    shown = QRect(left, area.top(), std::max(0, right - left), area.height());
    room = shown.width();
  }
  const Shaped& text = shaped(painter.device(), room);
  if (text.glyphs.isEmpty()) return;
  // Placed as drawText places a single line in a rectangle.
  const qreal x = mAlign == Align::Right    ? shown.width() - text.size.width()
                  : mAlign == Align::Center ? (shown.width() - text.size.width()) / 2
                                            : 0;
  const QPointF at(shown.left() + x, shown.top() + (shown.height() - text.size.height()) / 2);
  const bool inside = QRectF(shown).contains(QRectF(at, text.size));
  if (!inside) {
    painter.save();
    painter.setClipRect(shown, Qt::IntersectClip);
  }
  painter.setPen(toQColor(mForeColor, palette));
  for (const QGlyphRun& run : text.glyphs)
    painter.drawGlyphRun(at, run);
  if (!inside) painter.restore();
}

// ---- image -----------------------------------------------------------------------------------

ImageNode::ImageNode(Node& container) : QtElement(container.sharedState()) {
  setContainerNode(&container);
}

void ImageNode::setPicture(PictureRef p) {
  // Pictures do not change: the one it shows already gives the same size and pixels.
  if (p == mPicture) return;
  mPicture = std::move(p);
  mLook.pixmap = QPixmap();
  mImage = state().pictures.image(mPicture);
  mSource = iconOf(mPicture);
  if (mPicture) {
    mWidth = mPicture->width * kPictureTwips;
    mHeight = mPicture->height * kPictureTwips;
  }
  geometryChanged();
}

bool ImageNode::isButton() const {
  if (!mPicture) return false;
  switch (mPicture->symbol) {
    case Picture::Symbol::Close:
    case Picture::Symbol::Expand:
    case Picture::Symbol::Collapse:
    case Picture::Symbol::Options:
      return true;
    default:
      return false;
  }
}

std::unique_ptr<Element> ImageNode::copyIn(Node& container) const {
  auto c = std::make_unique<ImageNode>(container);
  copyProperties(*this, *c);
  return c;
}

void ImageNode::paintSelf(QPainter& painter, const QPalette& palette, const QRect& area) const {
  if (area.isEmpty()) return;
  if (isButton()) {
    paintButton(painter, palette, area);
    return;
  }
  if (!mSource.isNull()) {
    // At the painter's pixel ratio, kept whole and centred in the box.
    mSource.paint(&painter, area, Qt::AlignCenter);
    return;
  }
  if (mImage.isNull()) return;
  painter.save();
  painter.setRenderHint(QPainter::SmoothPixmapTransform, area.size() != mImage.size());
  painter.drawImage(area, mImage);
  painter.restore();
}

void ImageNode::paintButton(QPainter& painter, const QPalette& palette, const QRect& area) const {
  const auto* panel = dynamic_cast<const PanelNode*>(container());
  const bool hover = panel && panel->hovered(this);
  const bool down = hover && panel->pressed(this);
  const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
  const QColor ink = inkOf(container(), palette);
  const int state = down ? 2 : hover ? 1 : 0;
  if (mLook.pixmap.isNull() || mLook.size != area.size() || mLook.ratio != ratio || mLook.ink != ink.rgba() ||
      mLook.state != state) {
    // Every bar shows the same few buttons: each look is drawn once, at the device's resolution.
    using Key = std::tuple<int, int, int, qreal, QRgb, int>;
    static auto* looks = new Looks<Key>;
    const Key key{static_cast<int>(mPicture->symbol), area.width(), area.height(), ratio, ink.rgba(), state};
    QPixmap look;
    if (!looks->find(key, &look)) {
      look = QPixmap((QSizeF(area.size()) * ratio).toSize());
      look.setDevicePixelRatio(ratio);
      look.fill(Qt::transparent);
      QPainter p(&look);
      drawButton(p, mPicture->symbol, QRectF(QPointF(0, 0), QSizeF(area.size())), ink, hover, down);
      p.end();
      looks->insert(key, look);
    }
    mLook = {area.size(), ratio, ink.rgba(), state, look};
  }
  painter.drawPixmap(area.topLeft(), mLook.pixmap);
}

// ---- line ------------------------------------------------------------------------------------

LineNode::LineNode(Node& container) : QtElement(container.sharedState()) {
  setContainerNode(&container);
}

void LineNode::sync() {
  mLeft = Left();
  mTop = Top();
  mWidth = Width();
  mHeight = Height();
  updateHost();
  if (QWidget* h = hostWidget()) h->update();
}

void LineNode::setLeft(double v) {
  mPoints.setLeft(v);
  sync();
}

void LineNode::setTop(double v) {
  mPoints.setTop(v);
  sync();
}

void LineNode::setWidth(double v) {
  mPoints.setWidth(v);
  sync();
}

void LineNode::setHeight(double v) {
  mPoints.setHeight(v);
  sync();
}

void LineNode::setPoints(double x1, double y1, double x2, double y2) {
  mPoints = {x1, y1, x2, y2};
  sync();
}

void LineNode::setBorderColor(Color c) {
  mColor = c;
  updateHost();
}

std::unique_ptr<Element> LineNode::copyIn(Node& container) const {
  auto c = std::make_unique<LineNode>(container);
  copyProperties(*this, *c);
  return c;
}

void LineNode::paintSelf(QPainter& painter, const QPalette& palette, const QRect&) const {
  const Scale k = scale();
  const int x1 = k.px(mPoints.x1), y1 = k.px(mPoints.y1), x2 = k.px(mPoints.x2), y2 = k.px(mPoints.y2);
  const QColor c = toQColor(mColor, palette);
  if (x1 == x2 || y1 == y2) {
    // The pixels of a pen one pixel wide, filled: grip lines are drawn for every bar on each paint.
    painter.fillRect(
        QRect(QPoint(std::min(x1, x2), std::min(y1, y2)), QPoint(std::max(x1, x2), std::max(y1, y2))), c);
    return;
  }
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(QPen(c, 1));
  painter.drawLine(x1, y1, x2, y2);
  painter.restore();
}

// ---- scroll bar ------------------------------------------------------------------------------

ScrollBarNode::ScrollBarNode(Node& container) : QtElement(container.sharedState()) {
  auto* w = new ScrollBarWidget(this, container.hostWidget());
  w->hide();
  w->setRange(0, mMax);
  w->setSingleStep(mSmall);
  w->setPageStep(mLarge);
  mWidget.reset(w, state());
  QObject::connect(w, &QScrollBar::valueChanged, w, [w](int v) {
    if (auto* n = dynamic_cast<ScrollBarNode*>(w->node())) n->widgetValueChanged(v, w->isSliderDown());
  });
  QObject::connect(w, &QScrollBar::sliderPressed, w, [w] { w->pressValue = w->value(); });
  QObject::connect(w, &QScrollBar::sliderMoved, w, [w](int v) {
    if (auto* n = dynamic_cast<ScrollBarNode*>(w->node())) {
      n->mValue = v;
      callHandler(n->state(), n->onScroll);
    }
  });
  QObject::connect(w, &QScrollBar::sliderReleased, w, [w] {
    // The value followed the thumb without a change notification; the release reports it.
    if (auto* n = dynamic_cast<ScrollBarNode*>(w->node())) {
      if (w->value() != w->pressValue) callHandler(n->state(), n->onChange);
    }
  });
  setContainerNode(&container);
}

void ScrollBarNode::widgetValueChanged(int v, bool fromThumb) {
  mValue = v;
  if (!fromThumb) callHandler(state(), onChange);
}

void ScrollBarNode::setValue(std::int32_t v) {
  if (v < 0 || v > mMax) throw Failure::invalidValue("Value");
  if (v == mValue) return;
  if (auto* w = mWidget.get()) {
    w->setValue(v);
  } else {
    mValue = v;
    callHandler(state(), onChange);
  }
}

void ScrollBarNode::setMax(std::int32_t v) {
  if (v < 0) throw Failure::invalidValue("Max");
  mMax = v;
  if (auto* w = mWidget.get()) {
    w->setMaximum(v);
  } else if (mValue > v) {
    mValue = v;
    callHandler(state(), onChange);
  }
}

void ScrollBarNode::setSmallChange(std::int32_t v) {
  mSmall = v;
  if (auto* w = mWidget.get()) w->setSingleStep(std::max(1, v));
}

void ScrollBarNode::setLargeChange(std::int32_t v) {
  mLarge = v;
  if (auto* w = mWidget.get()) w->setPageStep(std::max(1, v));
}

std::unique_ptr<Element> ScrollBarNode::copyIn(Node& container) const {
  auto c = std::make_unique<ScrollBarNode>(container);
  copyProperties(*this, *c);
  c->bringToFront();
  return c;
}

void ScrollBarNode::applyToolTip() {
  if (auto* w = mWidget.get()) w->setToolTip(QString::fromStdString(mToolTip));
}

}  // namespace tov::qt::detail
