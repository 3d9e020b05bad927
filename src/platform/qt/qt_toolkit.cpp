#include "tovdock/qt/qt_toolkit.h"

#include <QApplication>
#include <QMessageBox>
#include <QVariant>
#include <unordered_map>

#include "platform/qt/qt_nodes.h"

namespace tov::qt {

using detail::asNode;
using detail::px;

namespace {

// One handle table per process: handles stand for widgets as window handles do for windows.
struct HandleTable {
  std::unordered_map<const QObject*, Hwnd> byWidget;
  std::unordered_map<Hwnd, QPointer<QWidget>> byHandle;
  Hwnd next = 0x10000;
};

HandleTable& handles() {
  static HandleTable table;
  return table;
}

class QtNative final : public NativeWindows {
 public:
  Hwnd SetParent(Hwnd child, Hwnd parent) override {
    QWidget* c = QtToolkit::widgetFor(child);
    QWidget* p = parent ? QtToolkit::widgetFor(parent) : nullptr;
    if (!c || (parent && !p)) return 0;
    for (QWidget* up = p; up; up = up->parentWidget()) {
      if (up == c) return 0;
    }
    QWidget* former = c->parentWidget();
    if (former == p) return QtToolkit::handleOf(former);
    // Reparenting hides a widget; a window keeps its visibility when it changes parent.
    const bool shown = !c->isHidden();
    c->setParent(p);
    if (shown) c->show();
    return QtToolkit::handleOf(former);
  }

  Hwnd GetParent(Hwnd child) override {
    QWidget* c = QtToolkit::widgetFor(child);
    return c ? QtToolkit::handleOf(c->parentWidget()) : 0;
  }

  PointPx GetCursorPos() override {
    const QPoint p = detail::cursorPos();
    return {p.x(), p.y()};
  }

  PointPx ScreenToClient(Hwnd window, PointPx screen) override {
    QWidget* w = QtToolkit::widgetFor(window);
    if (!w) return screen;
    const QPoint p = w->mapFromGlobal(QPoint(screen.x, screen.y));
    return {p.x(), p.y()};
  }
};

}  // namespace

struct QtToolkit::Impl {
  MessageHandler handler;
  QtNative native;
};

QtToolkit::QtToolkit() : d(std::make_unique<Impl>()) {}
QtToolkit::~QtToolkit() = default;

std::unique_ptr<Surface> QtToolkit::createSurface() {
  return std::make_unique<detail::SurfaceNode>();
}

NativeWindows& QtToolkit::native() {
  return d->native;
}

void QtToolkit::messageBox(const std::string& text, const std::string& title) {
  if (MessageHandler h = d->handler) {
    h(text, title);
    return;
  }
  const QString caption =
      title.empty() ? QApplication::applicationDisplayName() : QString::fromStdString(title);
  QMessageBox box(QMessageBox::NoIcon, caption, QString::fromStdString(text), QMessageBox::Ok,
                  QApplication::activeWindow());
  box.setWindowModality(Qt::ApplicationModal);
  detail::DispatchScope scope;
  box.exec();
}

void QtToolkit::setMessageHandler(MessageHandler handler) {
  d->handler = std::move(handler);
}

QWidget* QtToolkit::widgetOf(const Element& e) {
  detail::Node* n = asNode(&e);
  return n && n->windowed() ? n->widget() : nullptr;
}

Hwnd QtToolkit::handleOf(QWidget* w) {
  if (!w) return 0;
  HandleTable& t = handles();
  if (auto it = t.byWidget.find(w); it != t.byWidget.end()) return it->second;
  const Hwnd h = t.next++;
  t.byWidget.emplace(w, h);
  t.byHandle.emplace(h, w);
  QObject::connect(w, &QObject::destroyed, [h](QObject* gone) {
    HandleTable& table = handles();
    table.byWidget.erase(gone);
    table.byHandle.erase(h);
  });
  return h;
}

QWidget* QtToolkit::widgetFor(Hwnd h) {
  HandleTable& t = handles();
  auto it = t.byHandle.find(h);
  return it == t.byHandle.end() ? nullptr : it->second.data();
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

Element* QtToolkit::dragging() {
  detail::Node* n = detail::dragSource();
  return n ? &n->self() : nullptr;
}

// ---- WidgetControl ---------------------------------------------------------------------------

namespace {

Failure noSuchMember(std::string_view member) {
  return Failure("Object doesn't support this property or method: " + std::string(member), errNoSuchMember);
}

double twipsOf(int pixels) {
  return pixels / pixelsPerTwip();
}

}  // namespace

WidgetControl::WidgetControl(QWidget* widget) : mWidget(widget) {}

Value WidgetControl::invoke(std::string_view member, Access access, std::span<const Value> args) {
  QWidget* w = mWidget.data();
  if (!w) throw Failure::objectNotSet();
  const bool get = access == Access::Get;
  const auto argAt = [&](std::size_t i) -> double {
    if (i >= args.size()) throw Failure("Argument not optional", 449);
    return valueToDouble(args[i]);
  };
  // Reads return the twips last set while the widget still has the pixels they gave.
  const bool exact = w->geometry() == mSetPx;

  if (member == "Move" && access != Access::Get) {
    mLeft = argAt(0);
    mTop = args.size() > 1 ? argAt(1) : (exact ? mTop : twipsOf(w->y()));
    mWidth = args.size() > 2 ? argAt(2) : (exact ? mWidth : twipsOf(w->width()));
    mHeight = args.size() > 3 ? argAt(3) : (exact ? mHeight : twipsOf(w->height()));
    const int x = px(mLeft), y = px(mTop);
    w->setGeometry(x, y, std::max(0, px(mLeft + mWidth) - x), std::max(0, px(mTop + mHeight) - y));
    mSetPx = w->geometry();
    return {};
  }
  if (member == "Visible") {
    if (get) return !w->isHidden();
    if (args.empty()) throw Failure("Argument not optional", 449);
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
    const int x = px(mLeft), y = px(mTop);
    w->setGeometry(x, y, std::max(0, px(mLeft + mWidth) - x), std::max(0, px(mTop + mHeight) - y));
    mSetPx = w->geometry();
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
