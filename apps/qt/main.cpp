// tovdock-demo: a main window whose dock hosts five real widgets, with a log of the dock's events.
//
//   tovdock-demo                    opens the window; the layout is remembered between runs
//   tovdock-demo --screenshot FILE  renders the window offscreen into FILE (PNG) and exits
#include <QAction>
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
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <QTreeView>
#include <cstdio>
#include <memory>
#include <optional>

#include "tovdock/qt/dock_widget.h"

namespace {

using tov::BarRef;
using tov::qt::DockWidget;
using tov::qt::WidgetControl;

tov::PictureRef iconPicture(QStyle::StandardPixmap which) {
  const QImage image = QApplication::style()->standardIcon(which).pixmap(16, 16).toImage().convertToFormat(
      QImage::Format_ARGB32);
  auto p = std::make_shared<tov::Picture>();
  p->width = image.width();
  p->height = image.height();
  p->pixels.resize(static_cast<std::size_t>(p->width) * static_cast<std::size_t>(p->height));
  for (int y = 0; y < p->height; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(image.constScanLine(y));
    std::copy(row, row + p->width, p->pixels.begin() + static_cast<std::ptrdiff_t>(y) * p->width);
  }
  return p;
}

QWidget* makeForm(QWidget* parent) {
  auto* form = new QWidget(parent);
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

class DemoWindow : public QMainWindow {
 public:
  DemoWindow() {
    setWindowTitle("TovDock demo");
    auto* split = new QSplitter(Qt::Horizontal, this);
    mDock = new DockWidget(split);
    mLog = new QPlainTextEdit(split);
    mLog->setReadOnly(true);
    mLog->setMaximumBlockCount(500);
    mLog->setPlaceholderText("Events of the dock appear here.");
    split->addWidget(mDock);
    split->addWidget(mLog);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    setCentralWidget(split);

    // The hosted widgets start as children of the window: the dock hands them back here.
    auto* model = new QFileSystemModel(this);
    model->setRootPath(QDir::currentPath());
    auto* tree = new QTreeView(this);
    tree->setModel(model);
    tree->setRootIndex(model->index(QDir::currentPath()));
    tree->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int c = 1; c < model->columnCount(); ++c)
      tree->hideColumn(c);

    auto* editor = new QPlainTextEdit(this);
    editor->setPlainText(
        "Notes\n\nDrag a title onto another bar to move it there, onto the left or right half of the "
        "free area to put it in a column, or into the top strip to make it a top bar.\n\n"
        "Drag the grip under a bar to change its height.");

    auto* list = new QListWidget(this);
    list->addItems({"Write the README", "Measure the splitter", "Check the scroll mode", "Ship it"});

    auto* calendar = new QCalendarWidget(this);
    calendar->setGridVisible(true);

    addBar("files", "Dateien", QDir(QDir::currentPath()).dirName(), tree, tov::eAlignTop, 2400,
           QStyle::SP_DirIcon);
    addBar("notes", "Notizen", "", editor, tov::eAlignLeft, 4200, QStyle::SP_FileIcon);
    addBar("tasks", "Aufgaben", "4", list, tov::eAlignRight, 1500, QStyle::SP_DialogApplyButton);
    addBar("calendar", "Kalender", QDate::currentDate().toString("MMMM yyyy"), calendar, tov::eAlignRight,
           2700, QStyle::SP_FileDialogDetailedView);
    addBar("form", "Eigenschaften", "", makeForm(this), tov::eAlignBottom, 3100,
           QStyle::SP_FileDialogInfoView);

    QObject::connect(mDock, &DockWidget::closed, this, [this](std::string& key) { log("Closed", key); });
    QObject::connect(mDock, &DockWidget::ctlResize, this,
                     [this](std::string& key) { log("CtlResize", key); });
    QObject::connect(mDock, &DockWidget::optShow, this, [this](std::string& key, bool& reload) {
      log("OptShow", key);
      reload = false;
    });
    QObject::connect(mDock, &DockWidget::rightClick, this,
                     [this](std::string& key) { log("RightClick", key.empty() ? "(dock)" : key); });

    auto* view = menuBar()->addMenu("&View");
    auto* scroll = view->addAction("Allow &scrolling");
    scroll->setCheckable(true);
    // With scrolling on, bars keep the heights given and dragged; without, the dock shares its
    // height among them.
    scroll->setChecked(true);
    mDock->dock()->setAllowScroll(true);
    QObject::connect(scroll, &QAction::toggled, this, [this](bool on) {
      mDock->dock()->setAllowScroll(on);
      // The mode takes effect at the next layout pass.
      mDock->dock()->resize(mDock->dock()->Width(), mDock->dock()->Height());
      log("AllowScroll", on ? "on" : "off");
    });
    view->addAction("Show &hidden bars", this, [this] {
      mDock->dock()->ShowElement(0);
      log("ShowElement", "0");
    });
    view->addAction("&Reset layout", this, [this] {
      mDock->dock()->ShowElement(-1);
      log("ShowElement", "-1");
    });
    view->addSeparator();
    view->addAction("&Quit", QKeySequence::Quit, this, &QWidget::close);

    statusBar()->showMessage("Layout is stored per user and restored at the next start.");
    resize(980, 700);
    split->setSizes({680, 300});
    mDock->dock()->setShow(true);
  }

 private:
  void addBar(const std::string& key, const std::string& title, const QString& right, QWidget* body,
              std::int32_t align, std::int32_t height, QStyle::StandardPixmap icon) {
    BarRef bar = mDock->bars()->Add();
    if (!bar) return;
    bar->setKey(key);
    bar->setTitle(title);
    bar->setTitleRight(right.toStdString());
    bar->setIcon(iconPicture(icon));
    bar->setAlignBar(align);
    bar->setShowClose(true);
    bar->setShowOptions(key == "files" || key == "form");
    bar->setAllowResize(true);
    bar->setHeight(height);
    bar->setControl(std::make_shared<WidgetControl>(body));
  }

  void log(const char* event, const std::string& key) {
    // A layout pass raises CtlResize for every bar; repeats of one line are counted, not listed.
    const QString what = QString("%1  %2").arg(QString(event), QString::fromStdString(key));
    if (what == mLast) {
      ++mRepeat;
      QTextCursor c(mLog->document()->lastBlock());
      c.select(QTextCursor::BlockUnderCursor);
      c.removeSelectedText();
    } else {
      mLast = what;
      mRepeat = 1;
    }
    const QString line = QString("%1  %2").arg(QTime::currentTime().toString("HH:mm:ss.zzz"), what);
    mLog->appendPlainText(mRepeat > 1 ? QString("%1  (x%2)").arg(line).arg(mRepeat) : line);
  }

  DockWidget* mDock = nullptr;
  QPlainTextEdit* mLog = nullptr;
  QString mLast;
  int mRepeat = 0;
};

}  // namespace

int main(int argc, char** argv) {
  std::optional<QString> screenshot;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--screenshot" && i + 1 < argc)
      screenshot = QString::fromLocal8Bit(argv[++i]);
  }
  if (screenshot) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setApplicationName("tovdock-demo");
  QApplication::setApplicationDisplayName("TovDock demo");

  // A screenshot shows the layout the program sets up, not one a user stored.
  QTemporaryDir scratch;
  std::optional<std::filesystem::path> store;
  if (screenshot) store = std::filesystem::path(scratch.path().toStdString()) / "settings.sqlite";
  tov::HostServices::setInstance(std::make_shared<tov::qt::QtHostServices>(store, "tovdock-demo"));

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
