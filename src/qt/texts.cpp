// The dock widget's texts: English source texts, translated by Qt's translation files
// (translations/tovdock_<language>.ts). The core's own texts are mapped to them here, and only here.
#include "texts.h"

#include <QCoreApplication>
#include <array>
#include <utility>

namespace tov::qt::detail {

namespace {

constexpr char kContext[] = "tov::qt::DockWidget";

struct CoreText {
  const char* core;
  const char* english;
};

// The core's texts exactly as it sets them.
constexpr std::array kCoreTexts{
    CoreText{"Element ausblenden", QT_TRANSLATE_NOOP("tov::qt::DockWidget", "Close")},
    CoreText{"Element zuklappen", QT_TRANSLATE_NOOP("tov::qt::DockWidget", "Collapse")},
    CoreText{"Element aufklappen", QT_TRANSLATE_NOOP("tov::qt::DockWidget", "Expand")},
    CoreText{"Einstellungen ändern", QT_TRANSLATE_NOOP("tov::qt::DockWidget", "Options")},
    CoreText{"Hier ziehen, um die Größe des Elements zu verändern",
             QT_TRANSLATE_NOOP("tov::qt::DockWidget", "Drag to resize")},
    CoreText{"Element kann durch 'drag and drop' verschoben werden",
             QT_TRANSLATE_NOOP("tov::qt::DockWidget", "Drag to move")},
    CoreText{"Sie müssen mindestens ein Element sichtbar lassen!",
             QT_TRANSLATE_NOOP("tov::qt::DockWidget", "At least one pane must stay visible")},
};

constexpr std::array kPartNames{
    QT_TRANSLATE_NOOP("tov::qt::DockWidget", "Close %1"),
    QT_TRANSLATE_NOOP("tov::qt::DockWidget", "Collapse %1"),
    QT_TRANSLATE_NOOP("tov::qt::DockWidget", "Expand %1"),
    QT_TRANSLATE_NOOP("tov::qt::DockWidget", "Options for %1"),
    QT_TRANSLATE_NOOP("tov::qt::DockWidget", "Resize %1"),
};

}  // namespace

QString presented(const std::string& coreText) {
  for (const CoreText& t : kCoreTexts)
    if (coreText == t.core) return QCoreApplication::translate(kContext, t.english);
  return QString::fromStdString(coreText);
}

QString nameOf(PanePart part, const QString& pane) {
  return QCoreApplication::translate(kContext, kPartNames.at(static_cast<std::size_t>(part))).arg(pane);
}

}  // namespace tov::qt::detail
