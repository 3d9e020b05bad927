#include <atomic>
#include <iostream>
#include <stdexcept>
#include <utility>

#include "platform/headless/internal.h"

namespace tov::headless {

namespace {

// Handles are unique across every toolkit of the process, so a stale handle never names a newer window.
Hwnd newHandle() {
  static std::atomic<Hwnd> last{0};
  return ++last;
}

}  // namespace

Hwnd World::addWindow(Hwnd parent, const Node* owner) {
  const Hwnd h = newHandle();
  Window& w = windows[h];
  w.parent = windows.count(parent) ? parent : 0;
  w.owner = owner;
  return h;
}

void World::removeWindow(Hwnd h) {
  windows.erase(h);
}

Hwnd World::liveParent(const Window& w) const {
  return windows.count(w.parent) ? w.parent : 0;
}

PointPx World::screenPos(Hwnd h) const {
  auto it = windows.find(h);
  if (it == windows.end()) return {};
  const Window& w = it->second;
  if (w.owner) return w.owner->screenPos();
  const PointPx base = screenPos(liveParent(w));
  return {base.x + toInt32(w.left / kTwipsPerPixel96), base.y + toInt32(w.top / kTwipsPerPixel96)};
}

Hwnd World::SetParent(Hwnd child, Hwnd parent) {
  auto it = windows.find(child);
  if (it == windows.end() || (parent != 0 && !windows.count(parent))) return 0;
  // A window cannot become a descendant of itself.
  for (Hwnd p = parent; p != 0; p = liveParent(windows.at(p)))
    if (p == child) return 0;
  const Hwnd former = liveParent(it->second);
  it->second.parent = parent;
  // The hook may add or remove windows: the map entry is not used after it.
  if (auto hook = it->second.onReparent; hook && former != parent) hook();
  return former;
}

Hwnd World::GetParent(Hwnd child) {
  auto it = windows.find(child);
  return it == windows.end() ? 0 : liveParent(it->second);
}

PointPx World::ScreenToClient(Hwnd window, PointPx screen) {
  const PointPx origin = screenPos(window);
  return {screen.x - origin.x, screen.y - origin.y};
}

HeadlessToolkit::HeadlessToolkit() : d(std::make_shared<Impl>()) {}
HeadlessToolkit::~HeadlessToolkit() = default;

std::unique_ptr<Surface> HeadlessToolkit::createSurface() {
  return std::make_unique<HeadlessSurface>(d);
}

NativeWindows& HeadlessToolkit::native() {
  return *d;
}

void HeadlessToolkit::messageBox(const std::string& text, const std::string& title) {
  d->messages.push_back({text, title});
  if (d->echo) std::cerr << "[" << title << "] " << text << '\n';
}

const std::vector<ShownMessage>& HeadlessToolkit::messages() const {
  return d->messages;
}
void HeadlessToolkit::clearMessages() {
  d->messages.clear();
}
void HeadlessToolkit::setEcho(bool on) {
  d->echo = on;
}

Hwnd HeadlessToolkit::createWindow(Hwnd parent) {
  return d->addWindow(parent, nullptr);
}
bool HeadlessToolkit::windowExists(Hwnd h) const {
  return d->windows.count(h) != 0;
}
void HeadlessToolkit::setCursorPos(PointPx p) {
  d->cursor = p;
}

std::vector<DrawOp> drawing(const Panel& panel) {
  auto* p = dynamic_cast<const HeadlessPanel*>(&panel);
  if (!p) throw std::invalid_argument("drawing: not a headless panel");
  return p->mDrawn;
}

double textWidth(const std::string& caption) {
  double n = 0;
  for (unsigned char c : caption)
    if ((c & 0xC0) != 0x80) ++n;  // count code points, not continuation bytes
  return n * 100;
}

}  // namespace tov::headless
