// UiDriver on the Qt backend: the dock's surface lies in a shown top-level "form" window. Input is
// sent as QTest does, as mouse events to the widget under the point, with the implicit grab of a
// pressed button; the widget is found on the twips geometry and the event carries the exact
// fractional pixel position, so a point in twips means what it means on the headless backend
// (a splitter strip 80 twips high is 5.33 pixels).
#include <QtTest/QTest>
#include <QtWidgets>
#include <optional>
#include <stdexcept>

#include "support/ui_driver.h"
#include "tovdock/qt/qt_toolkit.h"

namespace tov::test {

namespace {

using qt::QtToolkit;

// The classic button masks have Qt's values.
static_assert(btnLeft == int(Qt::LeftButton) && btnRight == int(Qt::RightButton) &&
              btnMiddle == int(Qt::MiddleButton));
Qt::MouseButtons qtButtons(std::int16_t mask) {
  return Qt::MouseButtons::fromInt(mask & (btnLeft | btnRight | btnMiddle));
}

class QtUiDriver final : public UiDriver {
 public:
  QtUiDriver() {
    mToolkit->setMessageHandler([this](const std::string& text, const std::string& title) {
      mMessages.push_back(title + "|" + text);
    });
    // Hosted controls start on a part of the form that is out of the way of the dock.
    mForm->setGeometry(40, 30, 640, 480), mHome->hide();
  }
  ~QtUiDriver() override { delete mForm.data(); }

  std::shared_ptr<Toolkit> toolkit() override { return mToolkit; }

  void attach(Surface& surface) override {
    mSurface = &surface;
    QtToolkit::widgetOf(surface)->setParent(mForm);
    surface.setLeft(0), surface.setTop(0), surface.setVisible(true);
    mForm->show();
    if (!QTest::qWaitForWindowExposed(mForm)) throw std::runtime_error("UiDriver: the form is not exposed");
  }

  void resize(double width, double height) override { QtToolkit::resizeSurface(*mSurface, width, height); }
  void setUserMode(bool running) override { QtToolkit::setUserMode(*mSurface, running); }

  // The dock presses and releases one button at a time.
  void press(double x, double y, std::int16_t button) override {
    send(QEvent::MouseButtonPress, x, y, mButtons |= qtButtons(button), button);
  }
  void move(double x, double y, std::int16_t buttons) override {
    send(QEvent::MouseMove, x, y, qtButtons(buttons), 0);
  }
  void release(double x, double y, std::int16_t button) override {
    send(QEvent::MouseButtonRelease, x, y, mButtons &= ~qtButtons(button), button);
  }

  DropHint dropHint() override { return mToolkit->dropHint(); }

  void scrollTo(ScrollBar& bar, std::int32_t value) override {
    // The user reaches only a scroll bar on screen.
    auto* widget = qobject_cast<QScrollBar*>(QtToolkit::widgetOf(bar));
    if (widget->isVisible()) widget->setValue(value);
  }

  std::vector<std::string> messages() override { return mMessages; }

  ControlRef makeControl(const std::string& name, std::optional<std::int32_t> align) override {
    auto* w = new QFrame(mHome);
    w->setObjectName(QString::fromStdString(name));
    if (align) w->setProperty("Align", *align);
    w->show();  // visible in its own right, as a control on a form is, though the form part is hidden
    return std::make_shared<qt::WidgetControl>(w);
  }

 private:
  /// The widget under a point of the surface (the captured one while a button is held) and the
  /// point in its coordinates.
  std::pair<QWidget*, QPointF> targetAt(double x, double y) {
    QWidget* s = QtToolkit::widgetOf(*mSurface);
    QWidget* target = mGrab ? mGrab.data() : QtToolkit::widgetAt(*mSurface, x, y);
    if (!target) target = s;
    const double k = qt::pixelsPerTwip();
    return {target, target->mapFromGlobal(s->mapToGlobal(QPointF(x * k, y * k)))};
  }

  void send(QEvent::Type type, double x, double y, Qt::MouseButtons state, std::int16_t button) {
    auto [target, at] = targetAt(x, y);
    if (type == QEvent::MouseButtonPress && !mGrab) mGrab = target;
    if (type == QEvent::MouseButtonRelease && state == Qt::NoButton) mGrab = nullptr;
    QMouseEvent event(type, at, target->mapToGlobal(at), Qt::MouseButton(qtButtons(button).toInt()), state,
                      Qt::NoModifier, QPointingDevice::primaryPointingDevice());
    event.setTimestamp(++mTimestamp);
    QCoreApplication::sendEvent(target, &event);
    QCoreApplication::processEvents();
  }

  std::shared_ptr<QtToolkit> mToolkit = std::make_shared<QtToolkit>();
  QPointer<QWidget> mForm = new QWidget;
  QWidget* mHome = new QWidget(mForm);
  Surface* mSurface = nullptr;
  Qt::MouseButtons mButtons;
  QPointer<QWidget> mGrab;
  ulong mTimestamp = 1000;
  std::vector<std::string> mMessages;
};

}  // namespace

std::unique_ptr<UiDriver> makeQtDriver() {
  return std::make_unique<QtUiDriver>();
}

}  // namespace tov::test
