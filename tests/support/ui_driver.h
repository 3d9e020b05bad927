#pragma once
// Backend-neutral test driver: the behaviour tests script input through it so that the same tests
// run on every backend that is built. Points are in the dock surface's client twips.
#include "tovdock/platform.h"

namespace tov::test {

class UiDriver {
 public:
  virtual ~UiDriver() = default;
  /// The toolkit docks of this backend are created on.
  virtual std::shared_ptr<Toolkit> toolkit() = 0;
  /// Called once the dock exists: binds the driver to its surface.
  virtual void attach(Surface& surface) = 0;

  virtual void resize(double width, double height) = 0;
  virtual void setUserMode(bool running) = 0;

  virtual void press(double x, double y, std::int16_t button = btnLeft) = 0;
  virtual void move(double x, double y, std::int16_t buttons = btnLeft) = 0;
  virtual void release(double x, double y, std::int16_t button = btnLeft) = 0;
  void click(double x, double y, std::int16_t button = btnLeft) {
    press(x, y, button);
    release(x, y, button);
  }
  /// What the drag in progress marks at the cursor (nothing without one).
  virtual DropHint dropHint() = 0;
  /// The user moved the scroll bar's thumb to a value.
  virtual void scrollTo(ScrollBar& bar, std::int32_t value) = 0;

  /// Message boxes shown so far, as "title|text".
  virtual std::vector<std::string> messages() = 0;

  /// Absolute position of an element in the surface's client twips: read from the elements
  /// themselves, so every backend answers alike.
  static double absLeft(const Element& e) { return at(e, &Element::Left); }
  static double absTop(const Element& e) { return at(e, &Element::Top); }
  /// A hosted control for this backend, with an optional "Align" member.
  virtual ControlRef makeControl(const std::string& name,
                                 std::optional<std::int32_t> align = std::nullopt) = 0;

 private:
  static double at(const Element& e, double (Element::*edge)() const) {
    return e.kind() == Element::Kind::Surface ? 0
                                              : (e.*edge)() + (e.Container() ? at(*e.Container(), edge) : 0);
  }
};

/// Names of the backends built ("headless", and "qt" when the Qt backend is built).
std::vector<std::string> backendNames();
/// A fresh driver for a backend, made by one of the factories below.
std::unique_ptr<UiDriver> makeDriver(const std::string& backend);
std::unique_ptr<UiDriver> makeHeadlessDriver();
std::unique_ptr<UiDriver> makeQtDriver();

/// Places an element and shows it.
template <class E>
std::unique_ptr<E> place(std::unique_ptr<E> e, double left, double top, double width, double height) {
  e->setLeft(left), e->setTop(top), e->setWidth(width), e->setHeight(height), e->setVisible(true);
  return e;
}

/// The number of the failure `f` raises, or 0.
inline std::int32_t failureNumber(const std::function<void()>& f) {
  try {
    f();
  } catch (const Failure& e) {
    return e.Number();
  }
  return 0;
}

}  // namespace tov::test
