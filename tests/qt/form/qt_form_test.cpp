// A dock built by uic from a .ui file: its pages are panes, its properties set.
#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>

#include "tovdock/qt/dock_widget.h"
#include "ui_dock_form.h"

namespace tov::qt {
namespace {

/// Each pane in display order as key=title.
QString panesOf(const DockWidget* dock) {
  QStringList out;
  for (const Pane* p : dock->panes())
    out << p->key() + "=" + p->title();
  return out.join(" ");
}

TEST(QtForm, UicBuildsADockWhosePagesArePanesNamedAndTitledAsInTheForm) {
  QWidget form;
  Ui::DockForm ui;
  ui.setupUi(&form);
  EXPECT_EQ(panesOf(ui.dock), "files=Files notes=Notes");
  EXPECT_EQ(std::tuple(ui.dock->isScrollable(), ui.dock->autoSave()), std::tuple(true, false));
  // A page renamed later, as a retranslation does, renames its pane; a page without a name gets one.
  ui.notes->setWindowTitle("Notizen");
  auto* unnamed = new QWidget;
  unnamed->setWindowTitle("More");
  ui.dock->addPage(unnamed);
  EXPECT_EQ(panesOf(ui.dock), "files=Files notes=Notizen page3=More");
}

}  // namespace
}  // namespace tov::qt

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
