// restoreState given any bytes, on a dock of four panes before and after it is shown: it takes them
// or refuses them and changes nothing, what it saves then comes back as saved, a pane stays shown, and
// the dock answers the next call.
#include <QApplication>
#include <QLabel>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "tovdock/qt/dock_core.h"
#include "tovdock/qt/dock_widget.h"

static void fail(const std::string& what) {
  std::fprintf(stderr, "restore_state_fuzz: %s\n", what.c_str());
  std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  new QApplication(*argc, *argv);
  // What Qt allocates once for good (fonts, styles) is allocated before the leak checks begin.
  return LLVMFuzzerTestOneInput(nullptr, 0);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tov::qt;
  QWidget window;
  auto* dock = new DockWidget(&window);
  dock->setAutoSave(false);
  coreToolkit(dock)->setMessageHandler([](const std::string& text, const std::string&) { fail(text); });
  for (const char* key : {"k0", "k1", "k2", "k3"})
    dock->addPane(key, new QLabel(key), key);
  dock->setGeometry(0, 0, 300, 450);
  for (const bool shown : {false, true}) {
    window.setVisible(shown);
    const QByteArray before = dock->saveState();
    const bool taken = dock->restoreState(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    QCoreApplication::processEvents();
    const QByteArray after = dock->saveState();
    if (!taken && after != before) fail("a refused state changed the layout");
    if (!dock->restoreState(after) || dock->saveState() != after) fail("a saved state does not come back");
    const QList<Pane*> all = dock->panes();
    if (std::none_of(all.begin(), all.end(), [](Pane* p) { return p->state() != PaneState::Hidden; }))
      fail("every pane is hidden");
    if (!dock->movePane("k2", 0) || dock->indexOf("k2") != 0) fail("the dock no longer moves its panes");
  }
  return 0;
}
