// What the two programs that build the form share: the dock the form must give, and their main
// (each program includes this header once).
#pragma once
#include <gtest/gtest.h>

#include <QApplication>

#include "tovdock/qt/dock_widget.h"

namespace tov::qt {

/// Each pane in display order as key=title.
inline std::string panesOf(const DockWidget* dock) {
  QStringList out;
  for (const Pane* p : dock->panes())
    out << p->key() + "=" + p->title();
  return out.join(" ").toStdString();
}

/// The form's dock as dock_form.ui describes it.
inline void expectFormDock(const DockWidget* dock) {
  EXPECT_EQ(panesOf(dock), "files=Files notes=Notes");
  EXPECT_EQ(std::tuple(dock->isScrollable(), dock->autoSave()), std::tuple(true, false));
}

}  // namespace tov::qt

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
