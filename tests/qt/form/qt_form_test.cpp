// A dock built by uic from a .ui file: its pages are panes, its properties set.
#include "form_support.h"
#include "ui_dock_form.h"

namespace tov::qt {
namespace {

TEST(QtForm, UicBuildsADockWhosePagesArePanesNamedAndTitledAsInTheForm) {
  QWidget form;
  Ui::DockForm ui;
  ui.setupUi(&form);
  expectFormDock(ui.dock);
  // A page renamed later, as a retranslation does, renames its pane; a page without a name gets one.
  ui.notes->setWindowTitle("Notizen");
  auto* unnamed = new QWidget;
  unnamed->setWindowTitle("More"), ui.dock->addPage(unnamed);
  EXPECT_EQ(panesOf(ui.dock), "files=Files notes=Notizen page3=More");
}

}  // namespace
}  // namespace tov::qt
