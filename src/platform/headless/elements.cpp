#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <utility>

#include "platform/headless/internal.h"

namespace tov::headless {

namespace {

/// How far a line's hit box reaches beyond the line on every side: one pixel.
constexpr double kLineSlack = kTwipsPerPixel96;

Failure badContainer() {
  return Failure::invalidValue("Container");
}

}  // namespace

Node* nodeOf(const Element* e) {
  return const_cast<Node*>(dynamic_cast<const Node*>(e));
}

Node::Node(std::shared_ptr<World> world, HeadlessSurface* surface, Node* container, bool windowed)
    : mLinks(std::make_shared<NodeLinks>()) {
  mLinks->self = this;
  mLinks->world = std::move(world);
  mLinks->surface = surface;
  if (windowed) mLinks->hwnd = mLinks->world->addWindow(container ? container->mLinks->hwnd : 0, this);
  if (container) attach(container);
}

namespace {
/// Takes `child` out of the children of `container`; the child behind it comes to the front.
void unlink(Node& container, Node* child) {
  // Searched from the front-most end: the element unloaded is usually the newest.
  auto& siblings = container.mLinks->children;
  auto it = std::find(siblings.rbegin(), siblings.rend(), child);
  if (it == siblings.rend()) return;
  siblings.erase(std::next(it).base());
  if (child->mFront && !siblings.empty()) siblings.back()->mFront = true;
  child->mFront = false;
}
}  // namespace

Node::~Node() {
  // Expire the references first: dispatch code that holds one must not find a half-destroyed node.
  NodeLinks links = std::move(*mLinks);
  mLinks.reset();
  if (links.container) unlink(*links.container, this);
  for (Node* child : links.children)
    child->orphan();
  if (links.hwnd) links.world->removeWindow(links.hwnd);
}

void Node::orphan() {
  mLinks->container = nullptr;
  mFront = false;
  std::vector<Node*> pending{this};
  while (!pending.empty()) {
    Node* n = pending.back();
    pending.pop_back();
    n->mLinks->surface = nullptr;
    pending.insert(pending.end(), n->mLinks->children.begin(), n->mLinks->children.end());
  }
}

void Node::attach(Node* container) {
  mLinks->container = container;
  auto& siblings = container->mLinks->children;
  if (!siblings.empty()) siblings.back()->mFront = false;
  siblings.push_back(this);
  mFront = true;
  if (mLinks->hwnd) mLinks->world->windows[mLinks->hwnd].parent = container->mLinks->hwnd;
}

void Node::detach() {
  if (!mLinks->container) return;
  unlink(*mLinks->container, this);
  mLinks->container = nullptr;
}

bool Node::isContainer() const {
  const auto k = element().kind();
  return k == Element::Kind::Surface || k == Element::Kind::Panel;
}

bool Node::contains(double x, double y) const {
  const Element& e = element();
  if (e.kind() == Element::Kind::Line) {
    return x >= e.Left() - kLineSlack && x <= e.Left() + e.Width() + kLineSlack &&
           y >= e.Top() - kLineSlack && y <= e.Top() + e.Height() + kLineSlack;
  }
  return x >= e.Left() && x < e.Left() + e.Width() && y >= e.Top() && y < e.Top() + e.Height();
}

double Node::absLeft() const {
  double v = 0;
  for (const Node* n = this; n->mLinks->container; n = n->mLinks->container)
    v += n->element().Left();
  return v;
}

double Node::absTop() const {
  double v = 0;
  for (const Node* n = this; n->mLinks->container; n = n->mLinks->container)
    v += n->element().Top();
  return v;
}

PointPx Node::screenPos() const {
  const PointPx origin = mLinks->surface ? mLinks->surface->mScreenOrigin : PointPx{};
  return {origin.x + toInt32(absLeft() / kTwipsPerPixel96), origin.y + toInt32(absTop() / kTwipsPerPixel96)};
}

void Node::moveTo(Element* container) {
  Node* target = nodeOf(container);
  if (!target || !mLinks->container || !target->isContainer() || target->mLinks->surface != mLinks->surface)
    throw badContainer();
  for (const Node* n = target; n; n = n->mLinks->container)
    if (n == this) throw badContainer();
  if (target == mLinks->container) return;
  detach();
  attach(target);
}

void Node::toFront() {
  // Already in front: taking it out and putting it back would change nothing.
  if (mFront || !mLinks->container) return;
  Node* container = mLinks->container;
  detach();
  attach(container);
}

void Node::beginDrag() {
  if (mLinks->surface) mLinks->surface->mDrag = ref();
}

// Panel

namespace {
using Stroke = HeadlessPanel::Stroke;

bool sameBits(double a, double b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

// A figure is its kind and coordinates, bit for bit; the colour does not matter for covering.
bool sameFigure(const Stroke& a, const Stroke& b) {
  return a.fill == b.fill && sameBits(a.x1, b.x1) && sameBits(a.y1, b.y1) && sameBits(a.x2, b.x2) &&
         sameBits(a.y2, b.y2);
}

std::size_t figureHash(const Stroke& op) {
  std::uint64_t h = static_cast<std::uint64_t>(op.fill) + 0x9E3779B97F4A7C15u;
  for (double v : {op.x1, op.y1, op.x2, op.y2}) {
    h ^= std::bit_cast<std::uint64_t>(v) + 0x9E3779B97F4A7C15u + (h << 6) + (h >> 2);
    h *= 0xBF58476D1CE4E5B9u;
  }
  return static_cast<std::size_t>(h ^ (h >> 31));
}

// The dock draws one thing on a panel: a title gradient of up to 61 bands, drawn again beside the
// first when the strip narrows as the scroll bar comes. A panel's first draw makes room for two of
// them, so a strip costs two allocations rather than a dozen regrowths that leave the heap in pieces.
constexpr std::size_t kFirstRoom = 128;
}  // namespace

std::uint32_t& HeadlessPanel::figureSlot(const Stroke& op) {
  const std::size_t mask = mFigureSlots.size() - 1;
  for (std::size_t i = figureHash(op) & mask;; i = (i + 1) & mask) {
    std::uint32_t& slot = mFigureSlots[i];
    if (slot == 0 || sameFigure(mDrawn[slot - 1], op)) return slot;
  }
}

void HeadlessPanel::indexFigures() {
  // At most half the slots taken keeps the probes short; the table is sized for the ops the list
  // has room for, so it is built again only when the list grows.
  std::size_t size = 16;
  while (size < 2 * std::max(mDrawn.size() + 1, mDrawn.capacity()))
    size *= 2;
  mFigureSlots.assign(size, 0);
  for (std::size_t i = 0; i < mDrawn.size(); ++i)
    if (!mDrawn[i].dead) figureSlot(mDrawn[i]) = static_cast<std::uint32_t>(i + 1);
}

void HeadlessPanel::draw(const Stroke& op) {
  if (mBandColors) spellOutBands();
  // Drawing the same figure again covers the older one completely; dropping the older op keeps
  // repeated repaints from growing the list.
  if (mDrawn.capacity() == 0) mDrawn.reserve(kFirstRoom);
  if (2 * (mDrawn.size() + 1) > mFigureSlots.size()) indexFigures();
  std::uint32_t& slot = figureSlot(op);
  if (slot != 0) {
    mDrawn[slot - 1].dead = true;
    ++mDeadCount;
  }
  slot = static_cast<std::uint32_t>(mDrawn.size() + 1);
  mDrawn.push_back(op);
  if (mDeadCount > mDrawn.size() / 2) {
    std::erase_if(mDrawn, [](const Stroke& s) { return s.dead; });
    mDeadCount = 0;
    indexFigures();
  }
}

std::vector<DrawOp> HeadlessPanel::liveDrawing() const {
  const std::size_t bands = mBandColors ? mBandColors->size() : 0;
  std::vector<DrawOp> live;
  live.reserve(mDrawn.size() - mDeadCount + bands);
  for (const Stroke& s : mDrawn)
    if (!s.dead)
      live.push_back({s.fill ? DrawOp::Kind::FillRect : DrawOp::Kind::Line, s.x1, s.y1, s.x2, s.y2, s.color});
  // A run only ever stands alone (see fillBands); its bands are the fills Panel::fillBands makes.
  for (std::size_t i = 0; i < bands; ++i)
    live.push_back({DrawOp::Kind::FillRect, mBandStep * static_cast<double>(i), 0,
                    mBandStep * static_cast<double>(i + 1), mBandHeight, (*mBandColors)[i]});
  return live;
}

void HeadlessPanel::drawLine(double x1, double y1, double x2, double y2, Color c) {
  draw({x1, y1, x2, y2, c, false, false});
}

void HeadlessPanel::fillRect(double x1, double y1, double x2, double y2, Color c) {
  draw({x1, y1, x2, y2, c, true, false});
}

void HeadlessPanel::fillBands(std::span<const Color> colors, double step, double height) {
  // With a positive, finite step no two bands have the same figure, so none covers another. New
  // bands cover a run when they repeat its figures (the same step and height) and as many or more.
  const double n = static_cast<double>(colors.size());
  const bool apart = step > 0 && std::isfinite(step * n);
  const bool covers = !mBandColors ? mDrawn.empty()
                                   : sameBits(step, mBandStep) && sameBits(height, mBandHeight) &&
                                         colors.size() >= mBandColors->size();
  if (colors.empty() || !apart || !covers) {
    Panel::fillBands(colors, step, height);
    return;
  }
  // Every title strip of a dock is drawn with the same colours: the last ones drawn are shared.
  thread_local std::shared_ptr<const std::vector<Color>> lastColors;
  if (!lastColors || !std::ranges::equal(*lastColors, colors))
    lastColors = std::make_shared<const std::vector<Color>>(colors.begin(), colors.end());
  mBandColors = lastColors;
  mBandStep = step;
  mBandHeight = height;
}

void HeadlessPanel::spellOutBands() {
  // The run becomes the ops the bands would have made one by one, in their order.
  const auto colors = std::exchange(mBandColors, nullptr);
  Panel::fillBands(*colors, mBandStep, mBandHeight);
}

// Label

void HeadlessLabel::setCaption(const std::string& v) {
  assign(mP.caption, v);
  if (mP.autoSize) assign(mWidth, textWidth(v));
}

void HeadlessLabel::setAutoSize(bool v) {
  mP.autoSize = v;
  if (v) mWidth = textWidth(mP.caption);
}

// Image

void HeadlessImage::setPicture(PictureRef p) {
  if (p) {
    assign(mWidth, p->width * kTwipsPerPixel96);
    assign(mHeight, p->height * kTwipsPerPixel96);
  }
  if (p != mP.picture) mP.picture = std::move(p);
}

// Scroll bar

bool HeadlessScrollBar::setValueQuietly(std::int32_t v) {
  v = std::clamp(v, 0, mP.max);
  if (v == mP.value) return false;
  mP.value = v;
  return true;
}

void HeadlessScrollBar::setValue(std::int32_t v) {
  if (!setValueQuietly(v)) return;
  auto handler = onChange;
  if (handler) handler();
}

void HeadlessScrollBar::setMax(std::int32_t v) {
  // The classic scroll bar holds 16-bit positions; the range here starts at 0.
  if (v < 0 || v > 32767) throw Failure::invalidValue("Max");
  mP.max = v;
  if (mP.value <= v) return;
  mP.value = v;
  auto handler = onChange;
  if (handler) handler();
}

// Surface

HeadlessSurface::HeadlessSurface(std::shared_ptr<World> world)
    : Basic(std::move(world), this, nullptr, true) {}

std::unique_ptr<Element> HeadlessSurface::clone() const {
  auto c = std::make_unique<HeadlessSurface>(mLinks->world);
  copyProperties(*this, *c);
  c->mUserMode = mUserMode;
  return c;
}

Node* HeadlessSurface::hostFor(Element* container) {
  if (!container) return this;
  Node* n = nodeOf(container);
  if (!n || n->mLinks->surface != this || !n->isContainer()) throw badContainer();
  return n;
}

std::unique_ptr<Panel> HeadlessSurface::createPanel(Element* container) {
  return std::make_unique<HeadlessPanel>(mLinks->world, this, hostFor(container));
}

std::unique_ptr<Label> HeadlessSurface::createLabel(Element* container) {
  return std::make_unique<HeadlessLabel>(mLinks->world, this, hostFor(container));
}

std::unique_ptr<Image> HeadlessSurface::createImage(Element* container) {
  return std::make_unique<HeadlessImage>(mLinks->world, this, hostFor(container));
}

std::unique_ptr<Line> HeadlessSurface::createLine(Element* container) {
  return std::make_unique<HeadlessLine>(mLinks->world, this, hostFor(container));
}

std::unique_ptr<ScrollBar> HeadlessSurface::createScrollBar(Element* container) {
  return std::make_unique<HeadlessScrollBar>(mLinks->world, this, hostFor(container));
}

}  // namespace tov::headless
