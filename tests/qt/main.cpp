// The Qt tests need a QApplication; they run on the offscreen platform with two screens of
// different DPI unless told otherwise.
#include <gtest/gtest.h>

#include <QtWidgets>
#include <cstdlib>

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", TOVDOCK_QT_TEST_PLATFORM, 1);
  // The shared suites run on the headless backend in tovdock_tests already; here they run on Qt.
  // A filter on the command line replaces this one.
  GTEST_FLAG_SET(filter, "-*/headless");
  testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  // Docks that save their layout write it to QSettings: each test program keeps its own, as ctest
  // runs several at once, and leaves none behind.
  QCoreApplication::setOrganizationName(QStringLiteral("TovDocking3 tests"));
  QCoreApplication::setApplicationName(QStringLiteral("qt-tests-%1").arg(QCoreApplication::applicationPid()));
  const int failed = RUN_ALL_TESTS();
  QFile::remove(QSettings().fileName());
  return failed;
}
