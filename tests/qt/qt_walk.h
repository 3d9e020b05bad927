#pragma once
// A random walk over the dock widget's public API and the user's input on it, with slots of the
// application that delete the dock, add or remove a pane, restore a state or reset the layout from
// inside the dock's signals and a hosted widget's resize. Every choice comes from bytes, so the same
// walk serves a seeded test and a fuzzer. After every step, with the events processed, the walk checks
// what must always hold; the first break ends it with a description.
#include <QtTest/QTest>
#include <QtWidgets>
#include <array>
#include <optional>

#include "support/byte_choices.h"
#include "support/memory_host.h"
#include "tovdock/qt/dock_core.h"
#include "tovdock/qt/dock_widget.h"

namespace tov::qt::test {

/// Lets deleteLater and the queued signals run.
inline void turn() {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

/// Window-system mouse input at a point of the shown window `top`, which Qt routes itself.
inline void sendMouse(QWidget* top, QEvent::Type type, QPoint at, Qt::MouseButton b, ulong time) {
  QWindow* w = top->windowHandle();
  qt_handleMouseEvent(w, QPointF(at), w->mapToGlobal(QPointF(at)),
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : b,
                      type == QEvent::MouseMove ? Qt::NoButton : b, type, Qt::NoModifier, time);
  QCoreApplication::processEvents();
}

class QtWalk {
 public:
  QtWalk(const std::uint8_t* data, std::size_t size) : in(data, size) {
    HostServices::setInstance(host);
    // Refused calls warn; here they are expected.
    quiet = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    window.setGeometry(10, 10, 500, 600), window.show();
    build();
  }
  ~QtWalk() {
    act = Act::None;
    delete dock.data();
    qDeleteAll(taken);
    turn();
    qInstallMessageHandler(quiet);
    HostServices::setInstance(nullptr);
  }

  /// Runs at most `maxSteps` steps; the first broken rule, or nothing.
  std::optional<std::string> run(int maxSteps) {
    for (steps = 0; steps < maxSteps && !in.done(); ++steps) {
      const std::uint32_t op = in.below(16);
      // Half of the steps run with quiet slots; in the others one slot acts, the first to run.
      act = static_cast<Act>(in.below(2 * static_cast<int>(Act::Count)));
      // Only the user's input makes a step to undo. A call tells one layout change, whatever it
      // changed, unless a slot changed the layout again.
      const qsizetype undoable = dock->undoStack()->count();
      const int acted = reentries;
      removed = false, changes = 0;
      step(op);
      turn();  // queued signals reach the slots here
      act = Act::None;
      if (dock && op != 12 && op != 13 && dock->undoStack()->count() > undoable)
        breaks.push_back("an application's call made a step to undo");
      if (dock && reentries == acted && op < 12 && changes > 1)
        breaks.push_back(std::to_string(changes) + " layout changes told for one call");
      if (auto broken = check())
        return "step " + std::to_string(steps) + " (op " + std::to_string(op) + "): " + *broken;
    }
    return std::nullopt;
  }

  int steps = 0;
  /// Docks deleted by a step or a slot, and slots that acted.
  int deletions = 0, reentries = 0;

 private:
  enum class Act { None, Delete, Add, Remove, Restore, Reset, Hide, Count };

  /// A hosted widget whose resize runs the application's code.
  struct Hosted : QLabel {
    explicit Hosted(QtWalk* walk) : QLabel("w"), walk(walk) {}
    void resizeEvent(QResizeEvent* e) override { QLabel::resizeEvent(e), walk->react(this); }
    QtWalk* walk;
  };

  void build() {
    dock = new DockWidget(&window);
    dock->setAutoSave(false), dock->setAnimated(false), dock->setFitToContent(in.flip());
    // The application's slot on each of the dock's signals.
    [this](auto... signal) { (QObject::connect(dock, signal, dock, [this] { react(); }), ...); }(
        &DockWidget::paneClosed, &DockWidget::optionsRequested, &DockWidget::paneAdded,
        &DockWidget::paneRemoved, &DockWidget::paneStateChanged, &DockWidget::contextMenuRequested,
        &DockWidget::layoutChanged);
    QObject::connect(dock, &DockWidget::layoutChanged, dock, [this] { ++changes; });
    setCoreEvents(dock, {nullptr, [this](std::string&) { react(); }, nullptr, nullptr});
    coreToolkit(dock)->setMessageHandler(
        [this](const std::string& text, const std::string&) { breaks.push_back("a message box: " + text); });
    for (int k = in.between(0, 4); k > 0; --k)
      add(k);
    dock->setGeometry(0, 0, 300, 400), dock->setVisible(in.below(4) != 0);
  }

  /// What the application's slot does, once a step; `resizing` is the hosted widget whose resize runs it.
  void react(const QWidget* resizing = nullptr) {
    const Act now = std::exchange(act, Act::None);
    if (now == Act::None || now >= Act::Count || !dock) return;
    ++reentries, exact = false;
    Pane* p = anyPane();
    if (now == Act::Delete) kill();
    if (now == Act::Add) add(in.between(-1, 13));
    // Qt does not survive a widget deleted inside its own resize.
    if (now == Act::Remove && p) remove(p, in.below(p->widget() == resizing ? 2 : 3));
    if (now == Act::Restore) dock->restoreState(stateBytes());
    if (now == Act::Reset) dock->resetLayout();
    if (now == Act::Hide && p) p->setState(PaneState::Hidden);
  }

  /// Deletes the dock: its panes' widgets go with it.
  void kill() {
    ++deletions;
    for (Pane* p : dock->panes())
      gone << p->widget();
    delete dock.data();
  }

  Pane* anyPane() {
    const QList<Pane*> all = dock->panes();
    return all.isEmpty() ? nullptr : all[in.below(all.size())];
  }

  /// Inserts a pane; an empty or used key, no widget or one another pane hosts is refused.
  void add(int position) {
    const QString key = in.below(8) != 0 ? QStringLiteral("k%1").arg(in.below(12)) : QString();
    Pane* other = anyPane();
    const std::uint32_t kind = in.below(8);
    const bool fresh = kind > 1 || (kind == 1 && !other);
    const QPointer<QWidget> w = kind == 0 ? nullptr : fresh ? new Hosted(this) : other->widget();
    const bool fits = fresh && !key.isEmpty() && !dock->pane(key);
    if (fits) keys.insert(std::clamp<qsizetype>(position, 0, keys.size()), key);
    const Pane* p = dock->insertPane(position, key, w, key);
    if (dock && (p ? !fits : fits && dock->pane(key)))
      breaks.push_back("insertPane answered wrongly for '" + key.toStdString() + "'");
    if (fresh && w && !w->parent()) delete w.data();  // refused, and still ours
    if (!dock || !fits || !(p = dock->pane(key))) return;
    QObject::connect(p, &Pane::stateChanged, dock, [this] { react(); });
    QObject::connect(p->toggleViewAction(), &QAction::toggled, dock, [this] { react(); });
  }

  /// Removes a pane, takes its widget back or deletes the widget, which takes the pane with it.
  void remove(Pane* p, std::uint32_t how) {
    const QString key = p->key();
    keys.removeAll(key), removed = true;
    (how == 1 ? taken : gone) << p->widget();
    if (how == 0) dock->removePane(key);
    if (how == 1) dock->takeWidget(key);
    if (how == 2) delete p->widget();
  }

  /// A state the dock saved, cut short or with one byte changed now and then.
  QByteArray stateBytes() {
    QByteArray s = saved.isEmpty() ? QByteArray() : saved[in.below(saved.size())];
    if (in.flip()) s.truncate(in.below(s.size() + 1));
    if (in.flip() && !s.isEmpty()) s[in.below(s.size())] = char(in.below(256));
    return s;
  }

  /// A click, or a drag by one to three moves, on the pane's title strip, the splitter at its foot or
  /// anywhere on its frame.
  void gesture(Pane* p, bool drag) {
    QWidget* f = p->widget()->parentWidget();
    const int h = std::max(1, f->height()), part = in.between(0, 2);
    const int y = part == 0   ? in.between(0, std::min(h, 24) - 1)
                  : part == 1 ? h - 1 - in.between(0, 5)
                              : in.between(0, h - 1);
    QPoint at = f->mapTo(&window, QPoint(in.between(0, std::max(0, f->width() - 1)), y));
    const Qt::MouseButton b = in.below(4) == 0 ? Qt::RightButton : Qt::LeftButton;
    const auto mouse = [&](QEvent::Type type, QPoint by = {}) {
      sendMouse(&window, type, at += by, b, time += 20);
    };
    mouse(QEvent::MouseButtonPress);
    // A braced list takes its reads of the input left to right.
    for (int k = drag ? in.between(1, 3) : 0; k > 0; --k)
      mouse(QEvent::MouseMove, QPoint{in.between(-50, 50), in.between(-300, 300)});
    mouse(QEvent::MouseButtonRelease);
    time += in.flip() ? 1000 : 0;  // or the next click is a double click
  }

  /// A key on the pane's title strip: the widget of its frame that takes the focus.
  void key(Pane* p) {
    static const Qt::Key keys[] = {Qt::Key_Space, Qt::Key_Return, Qt::Key_Delete, Qt::Key_Up,
                                   Qt::Key_Down,  Qt::Key_Menu,   Qt::Key_F10,    Qt::Key_Z};
    static const Qt::KeyboardModifiers mods[] = {Qt::NoModifier, Qt::AltModifier,
                                                 Qt::AltModifier | Qt::ShiftModifier, Qt::ShiftModifier,
                                                 Qt::ControlModifier};
    const auto [k, m] = std::array{in.below(std::size(keys)), in.below(std::size(mods))};
    for (QPointer<QWidget> t :
         p->widget()->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
      if (t->focusPolicy() & Qt::TabFocus) {
        QTest::keyPress(t, keys[k], mods[m]);
        if (t) QTest::keyRelease(t, keys[k], mods[m]);
        return;
      }
  }

  void step(std::uint32_t op) {
    Pane* p = anyPane();
    static const char* flags[] = {"resizable", "closable",   "movable",    "optionsVisible",
                                  "title",     "rightTitle", "scrollable", "foldOnTitleClick"};
    const std::uint32_t which = in.below(8);
    const QColor c = in.below(4) == 0 ? QColor() : QColor::fromRgb(in.below(1u << 24));
    // Steps after which the order is not the model's.
    exact = op != 5 && op != 9 && op != 10 && op != 12 && op != 13;
    if (op < 2) add(in.between(-1, 13));
    if (op == 2 && p) remove(p, in.below(3));
    if (op == 3 && p) {
      const int to = in.between(-1, keys.size());
      keys.move(keys.indexOf(p->key()), std::clamp<qsizetype>(to, 0, keys.size() - 1));
      dock->movePane(p->key(), to);
    }
    if (op == 4 && p) p->setState(PaneState(in.below(3)));
    if (op == 5 && p) p->setGroup(PaneGroup(in.below(4)));
    if (op == 6 && p) p->setHeight(in.number()), stale = dock && !dock->fitsToContent();
    if (op == 7 && (p || which >= 6))
      (which < 6 ? static_cast<QObject*>(p) : dock.data())
          ->setProperty(flags[which], which == 4 || which == 5 ? QVariant(QString(in.below(40), 'T'))
                                                               : QVariant(in.flip()));
    if (op == 8 && which < 4) dock->setColor(DockWidget::ColorRole(in.below(8)), c);
    if (op == 8 && which == 4) dock->setPalette(QPalette(c));
    if (op == 8 && which == 5) dock->setFitToContent(in.flip());
    if (op == 8 && which >= 6 && p) p->setIcon(which == 6 ? QIcon(QPixmap(16, 16)) : QIcon());
    if (op == 9) dock->restoreState(stateBytes());
    if (op == 10)
      which < 2   ? dock->resetLayout()
      : which < 4 ? dock->showAllPanes()
      : which < 6 ? dock->undoStack()->undo()
                  : dock->undoStack()->redo();
    if (op == 11 && p) p->toggleViewAction()->trigger();
    if (op == 12 && p) gesture(p, which < 5);
    if (op == 13 && p) key(p);
    // Two reads of the input in a braced list are taken left to right in every build.
    const auto [x, y, w, h] =
        std::array{in.between(0, 100), in.between(0, 100), in.between(0, 600), in.between(0, 700)};
    // A widget deleted inside its own setGeometry or setVisible is beyond what Qt survives: the
    // application's slots keep quiet while the walk resizes, shows or hides the dock.
    if (op == 14) act = Act::None, stale = false;
    if (op == 14 && which < 3) window.resize(w, h);
    if (op == 14 && which >= 3 && which < 6) dock->setGeometry(x, y, w, h);
    if (op == 14 && which >= 6) dock->setVisible(!dock->isVisible());
    if (op == 15) kill();
  }

  std::optional<std::string> check() {
    if (!host->messages.empty()) return "a message: " + host->messages.front();
    if (!host->store.empty()) return "a dock without auto-save stored its layout";
    if (!breaks.empty()) return breaks.front();
    for (const QPointer<QWidget>& w : gone)
      if (w) return "a widget of a removed pane or a deleted dock lives on";
    for (const QPointer<QWidget>& w : taken)
      if (w && (w->parent() || !w->isHidden())) return "a widget taken back is not free and hidden";
    gone.clear();
    if (!dock) {
      keys.clear();
      build();
      return std::nullopt;
    }
    const QList<Pane*> all = dock->panes();
    const auto hidden = [](Pane* p) { return p->state() == PaneState::Hidden; };
    const bool allHidden = !all.isEmpty() && std::all_of(all.begin(), all.end(), hidden);
    QStringList now;
    // The panes a saved state brings back shown: a hidden pane without a close button comes back
    // expanded (or folded, when the fit leaves no room), and so does the first when every pane is
    // hidden.
    QList<Pane*> shows;
    if (allHidden) shows << all.front();
    const auto frame = [&](Pane* p) {
      QWidget* f = p->widget()->parentWidget();
      return f->isVisible() ? QRect(f->mapTo(dock, QPoint()), f->size()) : QRect();
    };
    for (Pane* p : all) {
      now << p->key();
      if (!p->isClosable() && hidden(p)) shows << p;
      if (dock->pane(p->key()) != p || dock->indexOf(p->key()) != now.size() - 1)
        return "pane() or indexOf() disagree";
      if (!dock->window()->isAncestorOf(p->widget())) return "a hosted widget left the dock's window";
      // The groups follow one another in the order of their values.
      if (now.size() > 1 && p->group() < all[now.size() - 2]->group()) return "a group is split";
      // Unfitted, the bottom group follows the right column, also below a taller left one.
      for (Pane* q : all.mid(0, now.size() - 1))
        if (!stale && frame(p).intersects(frame(q)) &&
            (dock->fitsToContent() || p->group() != PaneGroup::Bottom || q->group() != PaneGroup::Left))
          return "panes " + p->key().toStdString() + " and " + q->key().toStdString() + " overlap";
    }
    // Removing the last pane shown may leave the others hidden; nothing else hides it.
    if (!removed && allHidden) return "every pane is hidden";
    QStringList sorted = now, expected = keys;
    sorted.sort(), expected.sort();
    if (sorted != expected || (exact && now != keys))
      return "panes " + now.join(',').toStdString() + ", not " + keys.join(',').toStdString();
    // A saved state comes back as saved but for those panes; the state saved then comes back as saved.
    const QByteArray state = dock->saveState();
    if (!dock->restoreState(state)) return "a saved state is refused";
    const QByteArray again = dock->saveState();
    if (std::any_of(shows.begin(), shows.end(), hidden))
      return "a hidden pane without a close button stays hidden";
    if (shows.isEmpty() ? again != state : !dock->restoreState(again) || dock->saveState() != again)
      return "a saved state does not come back as saved";
    // One of a later version or cut short is refused, and leaves the dock as it was.
    QByteArray later = again;
    later[5] = 2;
    if (dock->restoreState(later) || dock->restoreState(again.chopped(1)) || dock->saveState() != again)
      return "a state of a later version or cut short is taken";
    if (saved.size() < 8) saved << state;
    keys = now;
    return std::nullopt;
  }

  tov::test::ByteChoices in;
  std::shared_ptr<tov::test::MemoryHost> host = std::make_shared<tov::test::MemoryHost>();
  QtMessageHandler quiet = nullptr;
  QWidget window;
  QPointer<DockWidget> dock;
  /// The keys of the dock's panes, in the order the steps put them while `exact`.
  QStringList keys;
  /// `stale`: a pane's height was set since the dock last laid its panes out for its size (as
  /// designed, the panes below move at the next layout); `removed`: the step removed a pane.
  bool exact = true, stale = false, removed = false;
  Act act = Act::None;
  /// Widgets that must be gone by the end of the step, and widgets taken back from the dock.
  QList<QPointer<QWidget>> gone, taken;
  QList<QByteArray> saved;
  std::vector<std::string> breaks;
  /// The clock of the mouse events, and the layout changes the dock told during the step.
  int time = 1000, changes = 0;
};

}  // namespace tov::qt::test
