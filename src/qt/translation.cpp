// The dock widget's texts in the language of a locale: English, the language of its source texts, or
// one of the translations shipped with it, whose .qm files are installed with the library (and lie in
// the build tree of a library not installed).
#include <dlfcn.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QStandardPaths>
#include <QStringList>
#include <QTranslator>

#include "tovdock/qt/dock_widget.h"

namespace tov::qt {

namespace {

QPointer<QTranslator> installed;

/// Where the translations may lie: beside the installed library (or the program it is linked into),
/// in the data folders of the system and the user, and in the build tree.
QStringList translationFolders() {
  QStringList folders;
  Dl_info self{};
  if (dladdr(reinterpret_cast<void*>(&installTranslator), &self) != 0 && self.dli_fname) {
    const QDir binary = QFileInfo(QString::fromLocal8Bit(self.dli_fname)).absoluteDir();
    folders << binary.filePath(QStringLiteral(TOVDOCK_QT_TRANSLATIONS_FROM_LIBDIR))
            << binary.filePath(QStringLiteral(TOVDOCK_QT_TRANSLATIONS_FROM_BINDIR));
  }
  folders << QStandardPaths::locateAll(QStandardPaths::GenericDataLocation,
                                       QStringLiteral("tovdock/translations"),
                                       QStandardPaths::LocateDirectory);
  folders << QStringLiteral(TOVDOCK_QT_TRANSLATIONS_BUILD_DIR);
  return folders;
}

}  // namespace

void installTranslator(const QLocale& locale) {
  if (installed) {
    QCoreApplication::removeTranslator(installed);
    delete installed;
  }
  if (!QCoreApplication::instance()) return;
  // English needs none: no file is found for it.
  auto* translator = new QTranslator(QCoreApplication::instance());
  for (const QString& folder : translationFolders()) {
    if (translator->load(locale, QStringLiteral("tovdock"), QStringLiteral("_"), folder)) {
      QCoreApplication::installTranslator(translator);
      installed = translator;
      return;
    }
  }
  delete translator;
}

}  // namespace tov::qt
