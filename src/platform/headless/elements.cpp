#include <algorithm>
#include <cstdint>
#include <tuple>
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

void HeadlessPanel::draw(const DrawOp& op) {
  // The same figure drawn again covers the older one; dropping it keeps repaints from growing
  // the list. The colour is no part of the figure.
  std::erase_if(mDrawn, [&op](const DrawOp& o) {
    return std::tie(o.kind, o.x1, o.y1, o.x2, o.y2) == std::tie(op.kind, op.x1, op.y1, op.x2, op.y2);
  });
  mDrawn.push_back(op);
}

void HeadlessPanel::drawLine(double x1, double y1, double x2, double y2, Color c) {
  draw({DrawOp::Kind::Line, x1, y1, x2, y2, c});
}

void HeadlessPanel::fillRect(double x1, double y1, double x2, double y2, Color c) {
  draw({DrawOp::Kind::FillRect, x1, y1, x2, y2, c});
}

// Label

void HeadlessLabel::setCaption(const std::string& v) {
  mP.caption = v;
  if (mP.autoSize) mWidth = textWidth(v);
}

void HeadlessLabel::setAutoSize(bool v) {
  mP.autoSize = v;
  if (v) mWidth = textWidth(mP.caption);
}

// Image

void HeadlessImage::setPicture(PictureRef p) {
  if (p) {
    mWidth = p->width * kTwipsPerPixel96;
    mHeight = p->height * kTwipsPerPixel96;
  }
  mP.picture = std::move(p);
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
