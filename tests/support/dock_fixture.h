#pragma once
// A dock on a chosen backend, with host services in memory. Behaviour tests derive from DockTest
// and are instantiated for every backend that is built.
#include <gtest/gtest.h>

#include "support/dock_access.h"
#include "support/memory_host.h"
#include "support/ui_driver.h"
#include "tovdock/dock.h"

namespace tov::test {

struct DockTest : ::testing::TestWithParam<std::string> {
  void SetUp() override {
    HostServices::setInstance(host);
    ui = makeDriver(GetParam());
    newDock();
  }
  void TearDown() override {
    dock.reset();
    ui.reset();
    HostServices::setInstance(nullptr);
  }

  /// A fresh dock in place of the one the test holds (which terminates unless held elsewhere).
  void newDock() {
    dock = TovDock::create(ui->toolkit());
    ui->attach(dock->surface());
  }
  BarsRef bars() { return dock->Bars(); }
  void show(double w = 6000, double h = 3600) {
    dock->resize(w, h);
    dock->setShow(true);
  }
  DockTestAccess access() { return DockTestAccess(*dock); }
  /// The window a hosted control's window is a child of.
  Hwnd parentOf(const ControlRef& c) {
    return ui->toolkit()->native().GetParent(valueToInt32(c->get("hWnd")));
  }

  /// Adds a bar with a key and title; `height` above 100 is given to it.
  BarRef addBar(const std::string& key, std::int32_t height = 0, std::int32_t align = eAlignTop,
                bool resizable = false) {
    BarRef b = bars()->Add();
    b->setKey(key);
    b->setTitle(key);
    b->setAlignBar(align);
    b->setAllowResize(resizable);
    if (height > 100) b->setHeight(height);
    return b;
  }

  /// A black icon of 16 by 16 pixels.
  static PictureRef icon16() {
    return std::make_shared<const Picture>(Picture{16, 16, std::vector<std::uint32_t>(256, 0xFF000000u)});
  }
  /// Whether each element is visible, as a string of 0 and 1.
  static std::string visible(std::initializer_list<const Element*> parts) {
    std::string s;
    for (const Element* e : parts)
      s += e->Visible() ? '1' : '0';
    return s;
  }

  /// Top bars with these keys, each `height` high, resizable or not.
  std::vector<BarRef> addBars(std::initializer_list<const char*> keys, std::int32_t height = 1000,
                              bool resizable = true) {
    std::vector<BarRef> made;
    for (const char* key : keys)
      made.push_back(addBar(key, height, eAlignTop, resizable));
    return made;
  }

  /// Top of a bar's frame in the dock.
  double top(const BarRef& b) { return access().picDockBar(b->Index()).Top(); }
  /// The display order as a list of keys, or with `detail` every bar as "key:group:state:height@top".
  std::string order(bool detail = false) {
    std::string s;
    for (std::int32_t i = 1; i <= bars()->Count(); ++i) {
      const BarRef b = bars()->ItemByOrder(i);
      s += (i == 1 ? "" : detail ? " " : ",") + b->Key();
      if (detail)
        s += ":" + std::to_string(b->AlignBar()) + ":" + std::to_string(b->State()) + ":" +
             std::to_string(b->Height()) + "@" + std::to_string(toInt32(top(b)));
    }
    return s;
  }
  std::string snap() { return order(true); }

  std::shared_ptr<MemoryHost> host = std::make_shared<MemoryHost>();
  std::unique_ptr<UiDriver> ui;
  DockRef dock;
};

/// Instantiates a DockTest-derived suite for every backend.
#define TOV_BACKEND_SUITE(Suite)                                                      \
  INSTANTIATE_TEST_SUITE_P(, Suite, ::testing::ValuesIn(::tov::test::backendNames()), \
                           [](const auto& info) { return info.param; })

}  // namespace tov::test
