#include <algorithm>

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
    : mWorld(std::move(world)), mSurface(surface) {
  if (windowed) mHwnd = mWorld->addWindow(container ? container->mHwnd : 0, this);
  if (container) attach(container);
}

Node::~Node() {
  // Expire the token first: dispatch code that holds a reference must not find a half-destroyed node.
  mLife.reset();
  detach();
  for (Node* child : mChildren)
    child->orphan();
  if (mHwnd) mWorld->removeWindow(mHwnd);
}

void Node::orphan() {
  mContainer = nullptr;
  std::vector<Node*> pending{this};
  while (!pending.empty()) {
    Node* n = pending.back();
    pending.pop_back();
    n->mSurface = nullptr;
    pending.insert(pending.end(), n->mChildren.begin(), n->mChildren.end());
  }
}

void Node::attach(Node* container) {
  mContainer = container;
  container->mChildren.push_back(this);
  if (mHwnd) mWorld->windows[mHwnd].parent = container->mHwnd;
}

void Node::detach() {
  if (!mContainer) return;
  // Searched from the front-most end: the element unloaded is usually the newest.
  auto& siblings = mContainer->mChildren;
  auto it = std::find(siblings.rbegin(), siblings.rend(), this);
  if (it != siblings.rend()) siblings.erase(std::next(it).base());
  mContainer = nullptr;
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
  for (const Node* n = this; n->mContainer; n = n->mContainer)
    v += n->element().Left();
  return v;
}

double Node::absTop() const {
  double v = 0;
  for (const Node* n = this; n->mContainer; n = n->mContainer)
    v += n->element().Top();
  return v;
}

PointPx Node::screenPos() const {
  const PointPx origin = mSurface ? mSurface->mScreenOrigin : PointPx{};
  return {origin.x + toInt32(absLeft() / kTwipsPerPixel96), origin.y + toInt32(absTop() / kTwipsPerPixel96)};
}

void Node::moveTo(Element* container) {
  Node* target = nodeOf(container);
  if (!target || !mContainer || !target->isContainer() || target->mSurface != mSurface) throw badContainer();
  for (const Node* n = target; n; n = n->mContainer)
    if (n == this) throw badContainer();
  if (target == mContainer) return;
  detach();
  attach(target);
}

void Node::toFront() {
  if (!mContainer) return;
  Node* container = mContainer;
  detach();
  attach(container);
}

void Node::beginDrag() {
  if (mSurface) mSurface->mDrag = ref();
}

// Panel

namespace {
// Identifies a figure by its kind and coordinates; the colour does not matter for covering.
std::string figureKey(const DrawOp& op) {
  std::string key(reinterpret_cast<const char*>(&op.kind), sizeof op.kind);
  for (double v : {op.x1, op.y1, op.x2, op.y2})
    key.append(reinterpret_cast<const char*>(&v), sizeof v);
  return key;
}
}  // namespace

void HeadlessPanel::draw(const DrawOp& op) {
  // Drawing the same figure again covers the older one completely; dropping the older op keeps
  // repeated repaints from growing the list.
  auto [it, fresh] = mDrawnAt.try_emplace(figureKey(op), mDrawn.size());
  if (!fresh) {
    mDead[it->second] = true;
    ++mDeadCount;
    it->second = mDrawn.size();
  }
  mDrawn.push_back(op);
  mDead.push_back(false);
  if (mDeadCount > mDrawn.size() / 2) {
    std::vector<DrawOp> live = liveDrawing();
    mDrawn = std::move(live);
    mDead.assign(mDrawn.size(), false);
    mDeadCount = 0;
    mDrawnAt.clear();
    for (std::size_t i = 0; i < mDrawn.size(); ++i)
      mDrawnAt[figureKey(mDrawn[i])] = i;
  }
}

std::vector<DrawOp> HeadlessPanel::liveDrawing() const {
  std::vector<DrawOp> live;
  live.reserve(mDrawn.size() - mDeadCount);
  for (std::size_t i = 0; i < mDrawn.size(); ++i)
    if (!mDead[i]) live.push_back(mDrawn[i]);
  return live;
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
  auto c = std::make_unique<HeadlessSurface>(mWorld);
  copyProperties(*this, *c);
  c->mUserMode = mUserMode;
  return c;
}

Node* HeadlessSurface::hostFor(Element* container) {
  if (!container) return this;
  Node* n = nodeOf(container);
  if (!n || n->mSurface != this || !n->isContainer()) throw badContainer();
  return n;
}

std::unique_ptr<Panel> HeadlessSurface::createPanel(Element* container) {
  return std::make_unique<HeadlessPanel>(mWorld, this, hostFor(container));
}

std::unique_ptr<Label> HeadlessSurface::createLabel(Element* container) {
  return std::make_unique<HeadlessLabel>(mWorld, this, hostFor(container));
}

std::unique_ptr<Image> HeadlessSurface::createImage(Element* container) {
  return std::make_unique<HeadlessImage>(mWorld, this, hostFor(container));
}

std::unique_ptr<Line> HeadlessSurface::createLine(Element* container) {
  return std::make_unique<HeadlessLine>(mWorld, this, hostFor(container));
}

std::unique_ptr<ScrollBar> HeadlessSurface::createScrollBar(Element* container) {
  return std::make_unique<HeadlessScrollBar>(mWorld, this, hostFor(container));
}

}  // namespace tov::headless
