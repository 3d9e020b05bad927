#include "tovdock/qt/qt_toolkit.h"

#include <QApplication>
#include <QMessageBox>
#include <QVariant>
#include <atomic>
#include <optional>
#include <unordered_map>

#include "platform/qt/qt_nodes.h"

namespace tov::qt {

using detail::asNode;

namespace {

// A widget carries its handle, as a window does: a hosted control's handle, read before any toolkit
// saw the widget, still finds it. An element's widget keeps it in a member, which is read and set
// without a property lookup by name.
constexpr char kHandleProperty[] = "tovdock_hWnd";

Hwnd handleOn(const QWidget* w) {
  if (const auto* own = dynamic_cast<const detail::NodeWidget*>(w)) return own->handle;
  bool ok = false;
  const Hwnd h = w->property(kHandleProperty).toInt(&ok);
  return ok ? h : 0;
}

void carryHandle(QWidget* w, Hwnd h) {
  if (auto* own = dynamic_cast<detail::NodeWidget*>(w)) {
    own->handle = h;
  } else {
    w->setProperty(kHandleProperty, h);
  }
}

// Handle numbers are unique across every toolkit of the process, so a stale handle never names a
// newer window; which windows a toolkit knows is its own.
Hwnd newHandle() {
  static std::atomic<Hwnd> last{0xFFFF};
  return ++last;
}

// The widget each handle was given to, so that a toolkit finds a hosted control by its handle
// without reading the handle of every widget of the application, and each widget's handle, so
// that it is not read from the widget's properties each time. Gone widgets are swept out as the
// table grows. Never destroyed: widgets may give their handles until the process ends.
class HandleTable {
 public:
  void add(Hwnd h, QWidget* w) {
    if (mWidgets.size() >= 2 * mSwept + 64) sweep();
    mWidgets[h] = w;
    mHandles[w] = h;
  }
  /// The widget the handle was given to while it still carries it, or null.
  QWidget* find(Hwnd h) const {
    const auto it = mWidgets.find(h);
    QWidget* w = it != mWidgets.end() ? it->second.data() : nullptr;
    return w && handleOn(w) == h ? w : nullptr;
  }
  /// The handle given to a widget that still lives, or 0.
  Hwnd given(const QWidget* w) const {
    const auto it = mHandles.find(w);
    if (it == mHandles.end()) return 0;
    const auto at = mWidgets.find(it->second);
    return at != mWidgets.end() && at->second.data() == w ? it->second : 0;
  }

 private:
  void sweep() {
    std::erase_if(mWidgets, [](const auto& entry) { return entry.second.isNull(); });
    // A widget's entry stays while the handle's names it: another widget may have its address now.
    std::erase_if(mHandles, [this](const auto& entry) {
      const auto at = mWidgets.find(entry.second);
      return at == mWidgets.end() || at->second.data() != entry.first;
    });
    mSwept = mWidgets.size();
  }
  std::unordered_map<Hwnd, QPointer<QWidget>> mWidgets;
  std::unordered_map<const QWidget*, Hwnd> mHandles;
  std::size_t mSwept = 0;
};

HandleTable& handles() {
  static auto* table = new HandleTable;
  return *table;
}

}  // namespace

// ---- native windows --------------------------------------------------------------------------

Hwnd QtToolkit::Impl::handleOf(QWidget* w) {
  const Hwnd h = QtToolkit::handleOf(w);
  if (h && !mWindows.count(h)) {
    // Gone windows are swept out as the table grows, rather than each watched for its end: a
    // connection costs every bar's widgets a few hundred bytes.
    if (mWindows.size() >= 2 * mWindowsSwept + 64) {
      std::erase_if(mWindows, [](const auto& entry) { return entry.second.isNull(); });
      mWindowsSwept = mWindows.size();
    }
    mWindows.emplace(h, w);
  }
  return h;
}

QWidget* QtToolkit::Impl::widgetFor(Hwnd h) {
  if (!h) return nullptr;
  if (auto it = mWindows.find(h); it != mWindows.end()) {
    if (QWidget* w = it->second.data()) return w;
    mWindows.erase(it);
  }
  auto adopt = [&](QWidget* w) -> QWidget* {
    detail::Node* n = detail::nodeOfWidget(w);
    if (n && &n->state() != this) return nullptr;
    handleOf(w);
    return w;
  };
  if (QWidget* w = handles().find(h)) return adopt(w);
  // A handle set on a widget by other means.
  for (QWidget* w : QApplication::allWidgets()) {
    if (handleOn(w) == h) return adopt(w);
  }
  return nullptr;
}

Hwnd QtToolkit::Impl::SetParent(Hwnd child, Hwnd parent) {
  QWidget* c = widgetFor(child);
  QWidget* p = parent ? widgetFor(parent) : nullptr;
  if (!c || (parent && !p)) return 0;
  for (QWidget* up = p; up; up = up->parentWidget()) {
    if (up == c) return 0;
  }
  QWidget* former = c->parentWidget();
  if (former == p) return handleOf(former);
  // Reparenting hides a widget; a window keeps its visibility when it changes parent.
  const bool shown = !c->isHidden();
  c->setParent(p);
  if (shown) {
    // Shown in a parent without a layout, a widget never sized is first sized to its hint, which
    // lays out its whole content. An element's widget places what it hosts itself, so that size
    // would be replaced before anyone sees it; the widget keeps the size it has until then.
    const bool placedByUs = p && !p->layout() && detail::nodeOfWidget(p);
    const bool sized = c->testAttribute(Qt::WA_Resized);
    if (placedByUs) c->setAttribute(Qt::WA_Resized);
    c->show();
    if (placedByUs) c->setAttribute(Qt::WA_Resized, sized);
  }
  return handleOf(former);
}

Hwnd QtToolkit::Impl::GetParent(Hwnd child) {
  QWidget* c = widgetFor(child);
  return c ? handleOf(c->parentWidget()) : 0;
}

PointPx QtToolkit::Impl::GetCursorPos() {
  const QPoint p = cursorPos();
  return {p.x(), p.y()};
}

PointPx QtToolkit::Impl::ScreenToClient(Hwnd window, PointPx screen) {
  QWidget* w = widgetFor(window);
  if (!w) return screen;
  const QPoint p = w->mapFromGlobal(QPoint(screen.x, screen.y));
  return {p.x(), p.y()};
}

// ---- QtToolkit -------------------------------------------------------------------------------

QtToolkit::EventScope::EventScope(const QtToolkit& toolkit) : mState(toolkit.d) {
  ++mState->dispatchDepth;
}

QtToolkit::EventScope::~EventScope() {
  if (--mState->dispatchDepth == 0 && !mState->heldMoves.empty()) mState->applyHeldMoves();
}

QtToolkit::QtToolkit() : d(std::make_shared<Impl>()) {}
QtToolkit::~QtToolkit() = default;

std::unique_ptr<Surface> QtToolkit::createSurface() {
  return std::make_unique<detail::SurfaceNode>(d);
}

NativeWindows& QtToolkit::native() {
  return *d;
}

void QtToolkit::messageBox(const std::string& text, const std::string& title) {
  if (MessageHandler h = d->messageHandler) {
    h(text, title);
    return;
  }
  const QString caption =
      title.empty() ? QApplication::applicationDisplayName() : QString::fromStdString(title);
  QMessageBox box(QMessageBox::NoIcon, caption, QString::fromStdString(text), QMessageBox::Ok,
                  QApplication::activeWindow());
  box.setWindowModality(Qt::ApplicationModal);
  detail::DispatchScope scope(*d);
  box.exec();
}

void QtToolkit::setMessageHandler(MessageHandler handler) {
  d->messageHandler = std::move(handler);
}

void QtToolkit::setTextPresenter(TextPresenter present) {
  d->presentText = std::move(present);
}

void QtToolkit::cancelDrag() {
  d->cancelDrag();
}

QWidget* QtToolkit::widgetOf(const Element& e) {
  detail::Node* n = asNode(&e);
  return n && n->windowed() ? n->widget() : nullptr;
}

QWidget* QtToolkit::drawnOn(const Element& e) {
  const detail::Node* n = asNode(&e);
  const detail::Node* h = n ? n->host() : nullptr;
  return h ? h->widget() : nullptr;
}

QWidget* QtToolkit::innerWidgetOf(const Element& e) {
  detail::Node* n = asNode(&e);
  return n && n->windowed() ? n->innerWidget() : nullptr;
}

double QtToolkit::pixelsPerTwip(const Element& e) {
  const detail::Node* n = asNode(&e);
  return n ? n->scale().pixelsPerTwip : qt::pixelsPerTwip();
}

QRect QtToolkit::pixelRect(const Element& e) {
  const detail::Node* n = asNode(&e);
  return n ? n->hostRect() : QRect();
}

Hwnd QtToolkit::handleOf(QWidget* w) {
  if (!w) return 0;
  if (const Hwnd known = handles().given(w)) return known;
  Hwnd h = handleOn(w);
  if (!h) {
    h = newHandle();
    carryHandle(w, h);
  }
  handles().add(h, w);
  return h;
}

QWidget* QtToolkit::widgetFor(Hwnd h) {
  return d->widgetFor(h);
}

void QtToolkit::setUserMode(Surface& s, bool running) {
  if (auto* n = dynamic_cast<detail::SurfaceNode*>(&s)) n->setUserMode(running);
}

void QtToolkit::resizeSurface(Surface& s, double width, double height) {
  if (auto* n = dynamic_cast<detail::SurfaceNode*>(&s)) {
    n->resizeTo(width, height, true);
  } else {
    s.setWidth(width);
    s.setHeight(height);
    if (auto h = s.onResize) h();
  }
}

Element* QtToolkit::elementAt(Surface& s, double x, double y) {
  auto* n = dynamic_cast<detail::SurfaceNode*>(&s);
  if (!n) return nullptr;
  detail::Node* t = n->hitAt(QPointF(x, y)).node;
  return t && t != n ? &t->self() : nullptr;
}

QWidget* QtToolkit::widgetAt(Surface& s, double x, double y) {
  auto* n = dynamic_cast<detail::SurfaceNode*>(&s);
  return n ? n->hitAt(QPointF(x, y)).widget : nullptr;
}

Element* QtToolkit::dragging() const {
  detail::Node* n = d->dragSource();
  return n ? &n->self() : nullptr;
}

DropHint QtToolkit::dropHint() const {
  return d->dragSource() ? d->drag->hint : DropHint{};
}

// ---- WidgetControl ---------------------------------------------------------------------------

namespace {

Failure noSuchMember(std::string_view member) {
  return Failure("Object doesn't support this property or method: " + std::string(member), errNoSuchMember);
}

/// Sets a hosted widget's geometry at once: the application may read it in CtlResize. Qt then marks
/// what the widget covers to be painted again and copies no pixels from there, so the dock's own
/// widgets first take the geometry held for them, while what only moves can still be copied.
void placeHosted(QWidget* w, const QRect& r) {
  if (r == w->geometry()) return;
  if (detail::Node* frame = detail::nodeOfWidget(w->parentWidget())) {
    if (!frame->state().heldMoves.empty()) frame->state().applyHeldMoves();
  }
  w->setGeometry(r);
}

}  // namespace

WidgetControl::WidgetControl(QWidget* widget) : mWidget(widget) {}

bool WidgetControl::mayHave(std::string_view member) const {
  const QWidget* w = mWidget.data();
  return !w || member != "Align" || w->property("Align").isValid();
}

Value WidgetControl::invoke(std::string_view member, Access access, std::span<const Value> args) {
  QWidget* w = mWidget.data();
  if (!w) throw Failure::objectNotSet();
  const bool get = access == Access::Get;
  const auto argAt = [&](std::size_t i) -> double {
    if (i >= args.size()) throw Failure("Argument not optional", errArgumentMissing);
    return valueToDouble(args[i]);
  };
  // Reads return the twips last set while the widget still has the pixels they gave.
  const bool exact = w->geometry() == mSetPx;
  // Finding the widget's screen is most of a call that needs no lengths.
  std::optional<detail::Scale> scale;
  const auto k = [&]() -> const detail::Scale& {
    if (!scale) scale = detail::scaleOf(w);
    return *scale;
  };
  const auto twipsOf = [&k](int pixels) { return k().twips(pixels); };

  // The widget's own code runs in setGeometry and may delete it: it is looked at again after.
  const auto place = [&] {
    placeHosted(w, k().pxRect(mLeft, mTop, mWidth, mHeight));
    if (mWidget) mSetPx = w->geometry();
  };
  if (member == "Move" && access != Access::Get) {
    mLeft = argAt(0);
    mTop = args.size() > 1 ? argAt(1) : (exact ? mTop : twipsOf(w->y()));
    mWidth = args.size() > 2 ? argAt(2) : (exact ? mWidth : twipsOf(w->width()));
    mHeight = args.size() > 3 ? argAt(3) : (exact ? mHeight : twipsOf(w->height()));
    place();
    return {};
  }
  if (member == "Visible") {
    if (get) return !w->isHidden();
    if (args.empty()) throw Failure("Argument not optional", errArgumentMissing);
    w->setVisible(valueToBool(args[0]));
    return {};
  }
  if (member == "Height" || member == "Width" || member == "Left" || member == "Top") {
    if (get) {
      if (member == "Height") return exact ? mHeight : twipsOf(w->height());
      if (member == "Width") return exact ? mWidth : twipsOf(w->width());
      if (member == "Left") return exact ? mLeft : twipsOf(w->x());
      return exact ? mTop : twipsOf(w->y());
    }
    if (!exact) {
      mLeft = twipsOf(w->x());
      mTop = twipsOf(w->y());
      mWidth = twipsOf(w->width());
      mHeight = twipsOf(w->height());
    }
    const double v = argAt(0);
    if (member == "Height") mHeight = v;
    if (member == "Width") mWidth = v;
    if (member == "Left") mLeft = v;
    if (member == "Top") mTop = v;
    place();
    return {};
  }
  if (member == "Align") {
    const QVariant align = w->property("Align");
    if (!align.isValid()) throw noSuchMember(member);
    if (get) return static_cast<std::int32_t>(align.toInt());
    w->setProperty("Align", static_cast<int>(valueToInt32(args.empty() ? Value{} : args[0])));
    return {};
  }
  if (member == "hWnd" && get) return QtToolkit::handleOf(w);
  if (member == "Name" && get) return w->objectName().toStdString();
  throw noSuchMember(member);
}

}  // namespace tov::qt
