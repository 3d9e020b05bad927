// The dock's texts in English, through Qt's translation mechanism.
#include <QCoreApplication>
#include <QHash>
#include <QPointer>
#include <QTranslator>

#include "tovdock/qt/dock_widget.h"

namespace tov::qt {

namespace {

class EnglishTexts : public QTranslator {
 public:
  using QTranslator::QTranslator;
  bool isEmpty() const override { return false; }
  QString translate(const char* context, const char* source, const char*, int) const override {
    static const QHash<QString, QString> texts{
        {QStringLiteral("Element ausblenden"), QStringLiteral("Close")},
        {QStringLiteral("Element zuklappen"), QStringLiteral("Collapse")},
        {QStringLiteral("Element aufklappen"), QStringLiteral("Expand")},
        {QStringLiteral("Einstellungen ändern"), QStringLiteral("Options")},
        {QStringLiteral("Hier ziehen, um die Größe des Elements zu verändern"),
         QStringLiteral("Drag to resize")},
        {QStringLiteral("Element kann durch 'drag and drop' verschoben werden"),
         QStringLiteral("Drag to move")},
        {QStringLiteral("Sie müssen mindestens ein Element sichtbar lassen!"),
         QStringLiteral("At least one pane must stay visible")},
    };
    if (qstrcmp(context, "tov") != 0) return {};
    return texts.value(QString::fromUtf8(source));
  }
};

QPointer<EnglishTexts> installed;

}  // namespace

void installTranslator(const QLocale& locale) {
  if (installed) {
    QCoreApplication::removeTranslator(installed);
    delete installed;
  }
  if (locale.language() == QLocale::German || !QCoreApplication::instance()) return;
  installed = new EnglishTexts(QCoreApplication::instance());
  QCoreApplication::installTranslator(installed);
}

}  // namespace tov::qt
