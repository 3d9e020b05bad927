// tovdock-demo: a main window whose two docks host real widgets, with a log of the docks' events.
//
//   tovdock-demo                    opens the window; the layout is remembered between runs
//   tovdock-demo --screenshot FILE  renders the window offscreen into FILE (PNG) and exits
//   tovdock-demo --dark             uses the Fusion style with a dark palette
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFileSystemModel>
#include <QFormLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QPalette>
#include <QPlainTextEdit>
#include <QSettings>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <QTreeView>
#include <QUndoStack>
#include <cstdio>
#include <memory>
#include <optional>

#include "tovdock/qt/dock_core.h"
#include "tovdock/qt/dock_set.h"
#include "tovdock/qt/dock_widget.h"

namespace {

using tov::qt::DockSet;
using tov::qt::DockWidget;
using tov::qt::Pane;
using tov::qt::PaneGroup;
using tov::qt::PaneState;

QWidget* makeForm() {
  auto* form = new QWidget;
  auto* layout = new QFormLayout(form);
  layout->addRow("Name", new QLineEdit("Main dock", form));
  auto* kind = new QComboBox(form);
  kind->addItems({"Sidebar", "Inspector", "Toolbox"});
  layout->addRow("Kind", kind);
  auto* width = new QSpinBox(form);
  width->setRange(100, 2000);
  width->setValue(640);
  layout->addRow("Width", width);
  auto* pinned = new QCheckBox("Pinned", form);
  pinned->setChecked(true);
  layout->addRow("", pinned);
  return form;
}

const char* stateName(PaneState s) {
  switch (s) {
    case PaneState::Collapsed:
      return "collapsed";
    case PaneState::Expanded:
      return "expanded";
    default:
      return "hidden";
  }
}

class DemoWindow : public QMainWindow {
 public:
  DemoWindow() {
    setWindowTitle("TovDock demo");
    auto* split = new QSplitter(Qt::Horizontal, this);
    mDock = new DockWidget(split);
    mDock->setObjectName("main");
    // A second dock in the same set: titles dragged across, or Alt+Left and Alt+Right, move panes.
    mTools = new DockWidget(split);
    mTools->setObjectName("tools");
    mLog = new QPlainTextEdit(split);
    mLog->setReadOnly(true);
    mLog->setMaximumBlockCount(500);
    mLog->setPlaceholderText("Events of the dock appear here.");
    split->addWidget(mDock);
    split->addWidget(mTools);
    split->addWidget(mLog);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    split->setStretchFactor(2, 1);
    setCentralWidget(split);

    auto* model = new QFileSystemModel(this);
    model->setRootPath(QDir::currentPath());
    auto* tree = new QTreeView;
    tree->setModel(model);
    tree->setRootIndex(model->index(QDir::currentPath()));
    tree->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int c = 1; c < model->columnCount(); ++c)
      tree->hideColumn(c);

    auto* editor = new QPlainTextEdit;
    editor->setPlainText(
        "Notes\n\nDrag a title onto another pane to move it there, onto the left or right half of the "
        "free area to put it in a column, or into the top strip to make it a top pane.\n\n"
        "Drag the grip under a pane to change its height.\n\nDrag a title onto the other dock, or press "
        "Alt+Right on it, to move the pane there; Edit > Undo takes any of it back.");
    auto* list = new QListWidget;
    list->addItems({"Write the README", "Measure the splitter", "Check the scroll mode", "Ship it"});
    auto* calendar = new QCalendarWidget;
    calendar->setGridVisible(true);

    // The dock owns the widgets it hosts.
    // Each pane takes its height from its widget's size hints: the form as tall as its fields need,
    // the others sharing the rest of the dock.
    auto add = [&](const QString& key, QWidget* body, PaneGroup group, QStyle::StandardPixmap icon,
                   const QString& right = {}) {
      Pane* p = mDock->addPane(key, body, key.left(1).toUpper() + key.mid(1), style()->standardIcon(icon));
      p->setGroup(group);
      p->setRightTitle(right);
      return p;
    };
    add("files", tree, PaneGroup::Top, QStyle::SP_DirIcon, QDir(QDir::currentPath()).dirName());
    add("notes", editor, PaneGroup::Left, QStyle::SP_FileIcon);
    add("tasks", list, PaneGroup::Right, QStyle::SP_DialogApplyButton, "4");
    add("calendar", calendar, PaneGroup::Right, QStyle::SP_FileDialogDetailedView,
        QDate::currentDate().toString("MMMM yyyy"));
    add("form", makeForm(), PaneGroup::Bottom, QStyle::SP_FileDialogInfoView)->setResizable(false);
    mDock->pane("notes")->setOptionsVisible(true);
    mTools->addPane("clipboard", new QListWidget, "Clipboard",
                    style()->standardIcon(QStyle::SP_DialogSaveButton));
    mTools->addPane("scribble", new QPlainTextEdit("Drag me to the left dock."), "Scribble",
                    style()->standardIcon(QStyle::SP_FileIcon));
    auto* set = new DockSet(this);
    set->addDock(mDock);
    set->addDock(mTools);

    connect(mDock, &DockWidget::paneClosed, this, [this](const QString& key) { log("closed", key); });
    connect(mDock, &DockWidget::paneStateChanged, this,
            [this](const QString& key, PaneState s) { log(stateName(s), key); });
    connect(mDock, &DockWidget::optionsRequested, this, [this](const QString& key) { log("options", key); });
    connect(mDock, &DockWidget::layoutChanged, this,
            [this] { log("layout", QString::number(mDock->count())); });
    connect(mDock, &DockWidget::contextMenuRequested, this, [this](const QString& key, const QPoint&) {
      log("context menu", key.isEmpty() ? "(dock)" : key);
    });

    auto* edit = menuBar()->addMenu("&Edit");
    QAction* undo = set->undoStack()->createUndoAction(edit, "&Undo");
    undo->setShortcut(QKeySequence::Undo);
    QAction* redo = set->undoStack()->createRedoAction(edit, "&Redo");
    redo->setShortcut(QKeySequence::Redo);
    edit->addAction(undo);
    edit->addAction(redo);

    auto* view = menuBar()->addMenu("&View");
    for (Pane* p : mDock->panes())
      view->addAction(p->toggleViewAction());
    view->addSeparator();
    auto* scroll = view->addAction("Allow &scrolling");
    scroll->setCheckable(true);
    // Without scrolling the panes fill the dock; with it, they keep their heights and the stack
    // scrolls.
    connect(scroll, &QAction::toggled, this, [this](bool on) {
      mDock->setScrollable(on);
      log("scrolling", on ? "on" : "off");
    });
    view->addAction("Show &hidden panes", this, [this] { mDock->showAllPanes(); });
    view->addAction("&Reset layout", this, [this] { mDock->resetLayout(); });
    // A pane made and dropped from code: it comes first, and its widget goes with it.
    auto* scratch = view->addAction("S&cratch pane");
    scratch->setCheckable(true);
    connect(scratch, &QAction::toggled, this, [this](bool on) {
      if (on)
        mDock->insertPane(0, "scratch", new QPlainTextEdit("Scratch"), "Scratch");
      else
        mDock->removePane("scratch");
    });
    view->addSeparator();
    view->addAction("&Quit", QKeySequence::Quit, this, &QWidget::close);

    auto* language = menuBar()->addMenu("&Language");
    auto* english = language->addAction("&English");
    auto* german = language->addAction("&Deutsch");
    for (auto* a : {english, german})
      a->setCheckable(true);
    auto* group = new QActionGroup(this);
    group->addAction(english);
    group->addAction(german);
    english->setChecked(true);
    connect(english, &QAction::triggered, this,
            [] { tov::qt::installTranslator(QLocale(QLocale::English)); });
    connect(german, &QAction::triggered, this, [] { tov::qt::installTranslator(QLocale(QLocale::German)); });

    statusBar()->showMessage("The layout is stored per user and restored at the next start.");
    resize(1180, 700);
    split->setSizes({600, 300, 280});
  }

 private:
  void log(const QString& event, const QString& key) {
    const QString line = QString("%1  %2  %3").arg(QTime::currentTime().toString("HH:mm:ss.zzz"), event, key);
    mLog->appendPlainText(line);
  }

  DockWidget* mDock = nullptr;
  DockWidget* mTools = nullptr;
  QPlainTextEdit* mLog = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
  std::optional<QString> screenshot;
  bool dark = false;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--screenshot" && i + 1 < argc)
      screenshot = QString::fromLocal8Bit(argv[++i]);
    else if (std::string(argv[i]) == "--dark")
      dark = true;
  }
  if (screenshot) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (dark) {
    QApplication::setStyle("Fusion");
    QPalette p;
    const QColor window(53, 53, 53), base(42, 42, 42), text(230, 230, 230);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, window);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::Highlight, QColor(42, 130, 218));
    p.setColor(QPalette::HighlightedText, Qt::black);
    p.setColor(QPalette::Light, QColor(80, 80, 80));
    p.setColor(QPalette::Midlight, QColor(66, 66, 66));
    p.setColor(QPalette::Mid, QColor(40, 40, 40));
    p.setColor(QPalette::Dark, QColor(25, 25, 25));
    QApplication::setPalette(p);
  }
  QApplication::setApplicationName("tovdock-demo");
  QApplication::setApplicationDisplayName("TovDock demo");

  // A screenshot shows the layout the program sets up, not one a user stored.
  QTemporaryDir scratch;
  std::optional<std::filesystem::path> store;
  if (screenshot) {
    store = std::filesystem::path(scratch.path().toStdString()) / "settings.sqlite";
    // The dock widget keeps its layout in QSettings.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, scratch.path());
  }
  tov::HostServices::setInstance(std::make_shared<tov::qt::QtHostServices>(store, "tovdock-demo"));
  tov::qt::installTranslator(QLocale(QLocale::English));

  int result = 0;
  {
    DemoWindow window;
    window.show();
    if (screenshot) {
      // The file tree fills in from a worker thread; give it a moment.
      QEventLoop wait;
      QTimer::singleShot(400, &wait, &QEventLoop::quit);
      wait.exec();
      if (!window.grab().save(*screenshot, "PNG")) {
        std::fprintf(stderr, "tovdock-demo: cannot write %s\n", qPrintable(*screenshot));
        result = 1;
      } else {
        std::printf("tovdock-demo: screenshot written to %s\n", qPrintable(*screenshot));
      }
    } else {
      result = QApplication::exec();
    }
  }
  tov::HostServices::setInstance(nullptr);
  return result;
}
