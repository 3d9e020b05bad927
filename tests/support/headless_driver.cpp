// UiDriver on the headless toolkit: input goes straight to its Driver, and hosted controls are
// TestControls whose windows start on one "form" window, so a test can see them handed back.
#include "support/ui_driver.h"
#include "tovdock/headless.h"

namespace tov::test {

namespace {

class HeadlessUiDriver final : public UiDriver {
 public:
  std::shared_ptr<Toolkit> toolkit() override { return mToolkit; }

  void attach(Surface& surface) override {
    mDriver.emplace(surface);
    // The form holds the dock and shows it, as a container does with its user controls.
    mToolkit->native().SetParent(surface.hWnd(), mForm);
    surface.setVisible(true);
  }

  void resize(double width, double height) override { driver().resize(width, height); }
  void setUserMode(bool running) override { driver().setUserMode(running); }

  void press(double x, double y, std::int16_t button) override { driver().press(x, y, button); }
  void move(double x, double y, std::int16_t buttons) override { driver().move(x, y, buttons); }
  void release(double x, double y, std::int16_t button) override { driver().release(x, y, button); }
  DropHint dropHint() override { return driver().dropHint(); }
  void scrollTo(ScrollBar& bar, std::int32_t value) override { driver().scrollTo(bar, value); }

  std::vector<std::string> messages() override {
    std::vector<std::string> out;
    for (const auto& m : mToolkit->messages())
      out.push_back(m.title + "|" + m.text);
    return out;
  }

  ControlRef makeControl(const std::string& name, std::optional<std::int32_t> align) override {
    return std::make_shared<headless::TestControl>(*mToolkit, name, align, mForm);
  }

 private:
  headless::Driver& driver() { return mDriver.value(); }  // throws before attach

  std::shared_ptr<headless::HeadlessToolkit> mToolkit = std::make_shared<headless::HeadlessToolkit>();
  Hwnd mForm = mToolkit->createWindow();
  std::optional<headless::Driver> mDriver;
};

}  // namespace

std::unique_ptr<UiDriver> makeHeadlessDriver() {
  return std::make_unique<HeadlessUiDriver>();
}

}  // namespace tov::test
