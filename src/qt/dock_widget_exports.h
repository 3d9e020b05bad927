#pragma once
// The classes and functions of tovdock/qt/dock_widget.h that the shared library exports. Every file
// of the Qt layer sees these declarations first (a forced include), and a class keeps the visibility
// of its first declaration. Delete this file, and the line in CMakeLists.txt that includes it, once
// the header marks them with TOVDOCK_QT_EXPORT itself.
#include <QLocale>

#include "tovdock/qt/export.h"

namespace tov::qt {
class TOVDOCK_QT_EXPORT Pane;
class TOVDOCK_QT_EXPORT DockWidget;
class TOVDOCK_QT_EXPORT QtHostServices;
TOVDOCK_QT_EXPORT void installTranslator(const QLocale& locale);
}  // namespace tov::qt
