// The dock on Qt against the same work done by a plain QSplitter, side by side in one run:
// N bars each hosting a QLabel against a vertical QSplitter of N QFrames holding a QLabel.
//
//   tovdock_qt_bench            the table for N = 10, 100, 1000, and 1000 panes added as a Qt
//                               application adds them (each memory figure is measured in a fresh
//                               child process, at device pixel ratio 1 and 2)
//   tovdock_qt_bench --memory dock|fixed|panes|splitter|labels N   resident memory per bar, in
//                               bytes ("labels": the hosted QLabels alone, no dock or splitter)
//   tovdock_qt_bench --only dock|fixed|panes|splitter N [STEPS]   one side at one N, for a profiler
//                               (or several, with commas between them, measured in turn);
//                               under callgrind each phase (builds, resizes, press, steps) is a part
//   tovdock_qt_bench --fold N   the frames of an animated fold of one of N panes
//   tovdock_qt_bench --add N    N panes added one by one before the dock is shown, and to a shown dock
//
// "dock" is the dock as an application gets it, its panes fitted to their widgets (the Qt layer's
// default); "fixed" is the dock as the core designs it, without the fit (setFitToContent(false)).
//
// Times are medians of repeated runs, in milliseconds; every step includes the repaint that Qt
// does when the events are processed.
#include <malloc.h>
#include <unistd.h>
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QProcess>
#include <QSplitter>
#include <QTemporaryDir>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_DUMP_STATS_AT(part)
#endif

#include "support/dock_access.h"
#include "tovdock/qt/dock_core.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kWidth = 480;
constexpr int kHeight = 800;
constexpr int kFirst = 1;  // the splitter dragged is the one below the first bar

double ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

long residentBytes() {
  long size = 0, resident = 0;
  std::ifstream("/proc/self/statm") >> size >> resident;
  return resident * sysconf(_SC_PAGESIZE);
}

void settle() {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QApplication::processEvents();
}

/// Sizes a window as every side has it, and gives it the layout that holds the side. The window
/// keeps its size whatever its content needs: a dock fitted to its panes needs the height of every
/// pane at its least (2,700 px at 100 panes), which would grow the window and the area painted
/// far beyond the splitter's.
QVBoxLayout* frameWindow(QWidget& window) {
  window.resize(kWidth, kHeight);
  auto* layout = new QVBoxLayout(&window);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSizeConstraint(QLayout::SetNoConstraint);
  return layout;
}

/// A dock filling `window`. The splitter keeps no layout: neither does the dock here (each build
/// would read and write the bench's QSettings file).
tov::qt::DockWidget* dockIn(QWidget& window) {
  auto* dock = new tov::qt::DockWidget(&window);
  dock->setAutoSave(false);
  frameWindow(window)->addWidget(dock);
  return dock;
}

/// n panes added as a Qt application adds them, each hosting a QLabel.
tov::qt::DockWidget* addPanes(tov::qt::DockWidget* dock, int n) {
  for (int i = 1; i <= n; ++i)
    dock->addPane(QString("pane%1").arg(i), new QLabel(QString("Label %1").arg(i)), QString("Bar %1").arg(i));
  return dock;
}

void sendMouse(QWidget* w, QEvent::Type type, QPoint local, Qt::MouseButtons held, Qt::MouseButton button) {
  QMouseEvent e(type, QPointF(local), QPointF(w->mapToGlobal(local)), button, held, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &e);
}

/// One side of the comparison: builds its N bars in a shown window, resizes it, drags a splitter.
class Side {
 public:
  virtual ~Side() = default;
  virtual void build(int n) = 0;
  /// Presses on the splitter below the first bar: a drag there moves every other bar.
  virtual void pressSplitter() {}
  /// One drag step, down or up by 15 pixels.
  virtual void dragStep(bool /*down*/) {}
  virtual void releaseSplitter() {}
  QWidget& window() { return *mWindow; }

 protected:
  std::unique_ptr<QWidget> mWindow;
};

class DockSide final : public Side {
 public:
  /// With `panes`, built as a Qt application builds it: a pane for each widget, through addPane.
  /// Without `fit`, the bars keep the heights they are given.
  DockSide(bool panes, bool fit) : mPanes(panes), mFit(fit) {}
  void build(int n) override {
    mWindow = std::make_unique<QWidget>();
    mDock = addPanes(dockIn(*mWindow), mPanes ? n : 0);
    if (!mFit) mDock->setFitToContent(false);
    for (int i = 1; !mPanes && i <= n; ++i) {
      tov::BarRef bar = tov::qt::coreDock(mDock)->Bars()->Add();
      bar->setKey("bar" + std::to_string(i));
      bar->setTitle("Bar " + std::to_string(i));
      bar->setAllowResize(true);
      bar->setHeight(1200);
      bar->setControl(
          std::make_shared<tov::qt::WidgetControl>(new QLabel(QString("Label %1").arg(i), mWindow.get())));
    }
    // Panes are laid out when the dock widget is first shown, as in an application; bars built
    // through the collection are shown as the dock's own interface asks.
    if (!mPanes) tov::qt::coreDock(mDock)->setShow(true);
    mWindow->show();
  }
  void pressSplitter() override {
    // In scroll mode the bars keep their heights, so the dragged bar grows and every bar below it
    // moves at each step (without it, N bars squeezed into the window are all at their minimum).
    const tov::DockRef dock = tov::qt::coreDock(mDock);
    dock->setAllowScroll(true);
    dock->resize(dock->Width(), dock->Height());
    // A fitted dock of many bars may leave the first one's strip hidden (the fit shows a strip
    // only where it can exchange height): it is shown, as the user could not drag it otherwise.
    dock->Bars()->Item(kFirst)->setShowResize(true);
    tov::DockTestAccess access(*dock);
    // Fitted, the strip is drawn on its bar's frame, which takes its mouse input.
    QWidget* frame = tov::qt::QtToolkit::widgetOf(access.picDockBar(kFirst));
    mAt = tov::qt::QtToolkit::pixelRect(access.picSplit(kFirst)).topLeft() + QPoint(40, 2);
    mStrip = frame ? frame->childAt(mAt) : nullptr;
    mOnFrame = !mStrip;
    mAt = mOnFrame ? mAt : QPoint(40, 2);
    if (mOnFrame) mStrip = frame;
    if (mStrip) sendMouse(mStrip, QEvent::MouseButtonPress, mAt, Qt::LeftButton, Qt::LeftButton);
  }
  void dragStep(bool down) override {
    // The strip follows the pointer; on its own widget the point is relative to where it is now.
    if (mOnFrame) mAt.ry() += down ? 15 : -15;
    const QPoint at = mOnFrame ? mAt : QPoint(40, down ? 15 : -15);
    if (mStrip) sendMouse(mStrip, QEvent::MouseMove, at, Qt::LeftButton, Qt::NoButton);
  }
  void releaseSplitter() override {
    if (mStrip) sendMouse(mStrip, QEvent::MouseButtonRelease, mAt, Qt::NoButton, Qt::LeftButton);
  }

 private:
  bool mPanes;
  bool mFit;
  tov::qt::DockWidget* mDock = nullptr;
  QPointer<QWidget> mStrip;
  QPoint mAt;
  bool mOnFrame = false;
};

class SplitterSide final : public Side {
 public:
  void build(int n) override {
    mWindow = std::make_unique<QWidget>();
    mSplitter = new QSplitter(Qt::Vertical, mWindow.get());
    frameWindow(*mWindow)->addWidget(mSplitter);
    for (int i = 1; i <= n; ++i) {
      auto* frame = new QFrame;
      frame->setFrameShape(QFrame::StyledPanel);
      // Qt 6.4's splitter overflows its size arithmetic above 127 children otherwise.
      frame->setMaximumHeight(1000000);
      auto* inner = new QVBoxLayout(frame);
      inner->addWidget(new QLabel(QString("Label %1").arg(i), frame));
      mSplitter->addWidget(frame);
    }
    mWindow->show();
  }
  void pressSplitter() override {
    mHandle = mSplitter->handle(kFirst);
    mY = 1;
    if (mHandle) sendMouse(mHandle, QEvent::MouseButtonPress, QPoint(40, mY), Qt::LeftButton, Qt::LeftButton);
  }
  void dragStep(bool down) override {
    // The handle stays where the press was; positions are relative to the handle.
    mY += down ? 15 : -15;
    if (mHandle) sendMouse(mHandle, QEvent::MouseMove, QPoint(40, mY), Qt::LeftButton, Qt::NoButton);
  }
  void releaseSplitter() override {
    if (mHandle) sendMouse(mHandle, QEvent::MouseButtonRelease, QPoint(40, mY), Qt::NoButton, Qt::LeftButton);
  }

 private:
  QSplitter* mSplitter = nullptr;
  QPointer<QWidget> mHandle;
  int mY = 1;
};

/// The hosted QLabels alone, one under the other in the window: what every side holds at least.
class LabelsSide final : public Side {
 public:
  void build(int n) override {
    mWindow = std::make_unique<QWidget>();
    frameWindow(*mWindow);
    for (int i = 1; i <= n; ++i)
      (new QLabel(QString("Label %1").arg(i), mWindow.get()))->setGeometry(0, (i - 1) * 20, kWidth, 20);
    mWindow->show();
  }
};

std::unique_ptr<Side> makeSide(const std::string& which) {
  if (which == "dock" || which == "fixed" || which == "panes")
    return std::make_unique<DockSide>(which == "panes", which != "fixed");
  if (which == "labels") return std::make_unique<LabelsSide>();
  return std::make_unique<SplitterSide>();
}

struct Figures {
  double build = 0, resize = 0, drag = 0;
};

/// Measures the sides named, one run of each in turn: a change of the machine's speed during the
/// measurement (this one is shared) falls on all of them alike.
std::vector<Figures> measure(const std::vector<std::string>& which, int n, int steps = 40) {
  // Each figure is the median of as many runs as take a few seconds at most on either side.
  const int builds = n >= 1000 ? 1 : 11;
  const int resizes = n >= 1000 ? 9 : 31;
  const std::size_t k = which.size();
  std::vector<std::unique_ptr<Side>> sides(k);
  std::vector<std::vector<double>> times(k);
  std::vector<Figures> f(k);
  auto timed = [&](std::size_t i, const std::function<void()>& step) {
    const auto t0 = Clock::now();
    step();
    settle();
    times[i].push_back(ms(Clock::now() - t0));
  };
  auto medians = [&](double Figures::*figure) {
    for (std::size_t i = 0; i < k; ++i) {
      f[i].*figure = median(times[i]);
      times[i].clear();
    }
  };
  for (int r = 0; r < builds; ++r) {
    for (std::size_t i = 0; i < k; ++i) {
      sides[i].reset();
      settle();
      sides[i] = makeSide(which[i]);
      timed(i, [&] { sides[i]->build(n); });
    }
  }
  medians(&Figures::build);
  CALLGRIND_DUMP_STATS_AT("builds");
  for (int r = 0; r < resizes; ++r) {
    for (std::size_t i = 0; i < k; ++i)
      timed(i, [&] { sides[i]->window().resize(kWidth + (r % 2 ? 0 : 40), kHeight - (r % 2 ? 0 : 60)); });
  }
  medians(&Figures::resize);
  CALLGRIND_DUMP_STATS_AT("resizes");
  for (auto& side : sides)
    side->pressSplitter();
  settle();
  CALLGRIND_DUMP_STATS_AT("press");
  for (int r = 0; r < steps; ++r) {
    for (std::size_t i = 0; i < k; ++i)
      timed(i, [&] { sides[i]->dragStep(r % 2 == 0); });
  }
  CALLGRIND_DUMP_STATS_AT("steps");
  for (auto& side : sides)
    side->releaseSplitter();
  settle();
  medians(&Figures::drag);
  sides.clear();
  settle();
  return f;
}

/// A pane removed from the middle of n shown panes, and one inserted there: the dock makes the bars
/// of the others anew for a removal, and moves one bar for an insertion. Medians of a few, with the
/// repaint.
std::pair<double, double> removeAndInsert(int n) {
  QWidget window;
  tov::qt::DockWidget* dock = addPanes(dockIn(window), n);
  window.show();
  settle();
  std::vector<double> removals, insertions;
  for (int k = 0; k < 5; ++k) {
    const QString key = dock->panes().at(n / 2)->key();
    auto t0 = Clock::now();
    dock->removePane(key);
    settle();
    removals.push_back(ms(Clock::now() - t0));
    t0 = Clock::now();
    dock->insertPane(n / 2, key, new QLabel(key), key);
    settle();
    insertions.push_back(ms(Clock::now() - t0));
  }
  return {median(removals), median(insertions)};
}

/// Times each frame the window paints: the repaint Qt does for one update request.
struct FrameTimer : QObject {
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() != QEvent::UpdateRequest || busy) return false;
    busy = true;
    const auto t0 = Clock::now();
    static_cast<QObject*>(o)->event(e);
    frames.push_back(ms(Clock::now() - t0));
    busy = false;
    return true;
  }
  std::vector<double> frames;
  bool busy = false;
};

/// The frames of an animated fold and unfold of the middle pane of n, in ms: the longest and the
/// median, and how many frames were painted.
void foldFrames(int n) {
  QWidget window;
  tov::qt::DockWidget* dock = addPanes(dockIn(window), n);
  dock->setScrollable(true);
  dock->setAnimated(true);
  window.show();
  settle();
  QThread::msleep(50);
  settle();
  FrameTimer timer;
  window.installEventFilter(&timer);
  // The pane at the top of the window: the others below it glide up and back.
  tov::qt::Pane* pane = dock->panes().at(0);
  const tov::DockRef core = tov::qt::coreDock(dock);
  for (int k = 0; k < 4; ++k) {
    const std::int32_t i = tov::qt::coreBar(pane)->Index();
    k % 2 ? core->expandBar(i) : core->collapseBar(i);
    const auto t0 = Clock::now();
    while (ms(Clock::now() - t0) < 250)
      QApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  window.removeEventFilter(&timer);
  std::vector<double>& f = timer.frames;
  std::printf("fold at %d panes: %zu frames, longest %.2f ms, median %.2f ms\n", n, f.size(),
              f.empty() ? 0 : *std::max_element(f.begin(), f.end()), median(f));
}

/// N panes added one by one with addPane, before the dock is first shown (then shown) and to a dock
/// on screen; each time until the window has been painted. Adding to a shown dock should cost about
/// as much: the dock lays out, paints and orders the Tab chain once for the whole run.
std::pair<double, double> addTimes(int n) {
  auto run = [n](bool shownFirst) {
    QWidget window;
    tov::qt::DockWidget* dock = dockIn(window);
    if (shownFirst) {
      window.show();
      settle();
    }
    const auto t0 = Clock::now();
    addPanes(dock, n);
    window.show();
    settle();
    return ms(Clock::now() - t0);
  };
  const double before = run(false);
  return {before, run(true)};
}

int memoryRun(const std::string& which, int n) {
  settle();
  const long before = residentBytes();
  auto side = makeSide(which);
  side->build(n);
  settle();
  const long after = residentBytes();
  std::printf("%ld\n", (after - before) / n);
  return 0;
}

/// Resident memory per bar in KiB, measured in a child process.
double memoryPerBar(const char* self, const std::string& which, int n, int scale = 1) {
  QProcess child;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_SCALE_FACTOR", QString::number(scale));
  child.setProcessEnvironment(env);
  child.start(QString::fromLocal8Bit(self), {"--memory", QString::fromStdString(which), QString::number(n)});
  if (!child.waitForFinished(300000)) return -1;
  return child.readAllStandardOutput().trimmed().toLong() / 1024.0;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  const bool memory = argc == 4 && std::string(argv[1]) == "--memory";
  if (!memory) {
    // Offscreen, Qt gives a window a new backing image (1.5 MB at 480 x 800) on every resize.
    // Under glibc's adaptive thresholds, whether that image is carved from fresh pages and handed
    // back on release depended on the process's heap history: a resize at ten bars took 0.3 ms in
    // one run and 4.5 ms in the next, on either side. Both sides run with fixed thresholds, so large
    // blocks are reused from the heap. Memory is measured with the defaults.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 128 << 20);
  }
  QApplication app(argc, argv);
  QTemporaryDir scratch;
  tov::HostServices::setInstance(std::make_shared<tov::qt::QtHostServices>(
      std::filesystem::path(scratch.path().toStdString()) / "settings.sqlite", "tovdock-qt-bench"));

  if (memory) return memoryRun(argv[2], std::atoi(argv[3]));

  // The first windows of a process load fonts and styles; neither side pays for that.
  if (argc == 3 && std::string(argv[1]) == "--panes") {
    const auto [removal, insertion] = removeAndInsert(std::atoi(argv[2]));
    std::printf("remove one %.2f  insert one %.2f\n", removal, insertion);
    return 0;
  }
  if (argc == 3 && std::string(argv[1]) == "--fold") {
    foldFrames(10);
    foldFrames(std::atoi(argv[2]));
    return 0;
  }
  if (argc == 3 && std::string(argv[1]) == "--add") {
    const auto [before, shown] = addTimes(std::atoi(argv[2]));
    std::printf("added before show %.1f  added to a shown dock %.1f  ratio %.2f\n", before, shown,
                shown / before);
    return 0;
  }
  if (argc >= 4 && std::string(argv[1]) == "--only") {
    // Sides named with commas between them are measured in turn, as the table does.
    std::vector<std::string> sides;
    for (const QString& side : QString(argv[2]).split(','))
      sides.push_back(side.toStdString());
    measure(sides, 10);
    const std::vector<Figures> all = measure(sides, std::atoi(argv[3]), argc > 4 ? std::atoi(argv[4]) : 40);
    for (std::size_t i = 0; i < sides.size(); ++i)
      std::printf("%s build+show %.2f  resize %.2f  drag step %.3f\n", sides[i].c_str(), all[i].build,
                  all[i].resize, all[i].drag);
    return 0;
  }
  measure({"dock", "splitter"}, 10);
  std::printf("Qt offscreen, window %dx%d px; medians in ms (dock / QSplitter = ratio)\n\n", kWidth, kHeight);
  std::printf(
      "| N | build+show dock | QSplitter | ratio | resize dock | QSplitter | ratio | drag step dock | "
      "QSplitter | ratio |\n");
  std::printf("|---|---|---|---|---|---|---|---|---|---|\n");
  auto ratio = [](double a, double b) { return b > 0 ? a / b : 0; };
  auto row = [&](const std::string& label, const Figures& d, const Figures& s) {
    std::printf("| %s | %.2f | %.2f | %.2f | %.2f | %.2f | %.2f | %.3f | %.3f | %.2f |\n", label.c_str(),
                d.build, s.build, ratio(d.build, s.build), d.resize, s.resize, ratio(d.resize, s.resize),
                d.drag, s.drag, ratio(d.drag, s.drag));
    std::fflush(stdout);
  };
  // Each N in one run: the dock fitted to its widgets (the default), without the fit, and the
  // splitter, in turn.
  for (int n : {10, 100, 1000}) {
    const std::vector<Figures> all = measure({"dock", "fixed", "splitter"}, n);
    row(std::to_string(n), all[0], all[2]);
    row(std::to_string(n) + " fixed", all[1], all[2]);
  }
  // The last row builds the dock as a Qt application does, with a pane for each widget.
  const std::vector<Figures> panes = measure({"panes", "splitter"}, 1000);
  row("1000 panes", panes[0], panes[1]);
  std::printf("\n| N panes | remove one | insert one |\n|---|---|---|\n");
  for (int n : {10, 100, 1000}) {
    const auto [removal, insertion] = removeAndInsert(n);
    std::printf("| %d | %.2f | %.2f |\n", n, removal, insertion);
    std::fflush(stdout);
  }
  std::printf("\n");
  foldFrames(100);
  std::printf("\n| N panes added one by one | before show | to a shown dock | ratio |\n|---|---|---|---|\n");
  for (int n : {1000, 10000}) {
    const auto [before, shown] = addTimes(n);
    std::printf("| %d | %.1f | %.1f | %.2f |\n", n, before, shown, shown / before);
    std::fflush(stdout);
  }
  const double dock = memoryPerBar(argv[0], "dock", 1000), splitter = memoryPerBar(argv[0], "splitter", 1000);
  std::printf(
      "\nResident memory per bar at N = 1000: dock %.1f KiB, QSplitter %.1f KiB, the hosted QLabel "
      "alone %.1f KiB\n",
      dock, splitter, memoryPerBar(argv[0], "labels", 1000));
  // Backing stores and pixmaps grow with the square of the ratio; what a bar keeps should not.
  const double dock2 = memoryPerBar(argv[0], "dock", 1000, 2),
               splitter2 = memoryPerBar(argv[0], "splitter", 1000, 2);
  std::printf("At device pixel ratio 2: dock %.1f KiB (%+.1f), QSplitter %.1f KiB (%+.1f)\n", dock2,
              dock2 - dock, splitter2, splitter2 - splitter);
  return 0;
}
