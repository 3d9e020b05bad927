// The dock's colours. They follow the widget's palette until setColor gives a role a colour of its
// own; an invalid QColor gives the role back to the palette. The combo box switches schemes.
#include <tovdock/qt/dock_widget.h>

#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>
#include <QWidget>

using tov::qt::DockWidget;

struct Scheme {
  const char* name;
  QColor background, paneBackground, titleStart, titleEnd, titleText;
};

// The first scheme sets nothing: every role follows the palette.
const Scheme kSchemes[] = {
    {"Palette", {}, {}, {}, {}, {}},
    {"Ocean", QColor("#0b2545"), QColor("#13315c"), QColor("#134074"), QColor("#8da9c4"), QColor("#eef4ed")},
    {"Sand", QColor("#f4ecd8"), QColor("#fffaf0"), QColor("#c8a165"), QColor("#f4ecd8"), QColor("#3b2f1e")},
};

static void apply(DockWidget* dock, const Scheme& scheme) {
  dock->setColor(DockWidget::Background, scheme.background);
  dock->setColor(DockWidget::PaneBackground, scheme.paneBackground);
  dock->setColor(DockWidget::TitleStart, scheme.titleStart);
  dock->setColor(DockWidget::TitleEnd, scheme.titleEnd);
  dock->setColor(DockWidget::TitleText, scheme.titleText);
}

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QCoreApplication::setApplicationName("custom-colours");
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  auto* schemes = new QComboBox(&window);
  for (const Scheme& scheme : kSchemes)
    schemes->addItem(scheme.name);
  auto* dock = new DockWidget(&window);
  dock->setAutoSave(false);
  layout->addWidget(schemes);
  layout->addWidget(dock, 1);

  dock->addPane("calendar", new QCalendarWidget, "Calendar");
  auto* list = new QListWidget;
  list->addItems({"Background: the dock around the panes", "Pane background", "Title gradient and text"});
  dock->addPane("roles", list, "Roles");
  dock->addPane("note", new QLabel("Colours set with setColor stay when the palette changes."), "Note")
      ->setGroup(tov::qt::PaneGroup::Bottom);

  QObject::connect(schemes, &QComboBox::currentIndexChanged, dock,
                   [dock](int index) { apply(dock, kSchemes[index]); });
  window.resize(360, 560);
  window.show();
  return app.exec();
}
