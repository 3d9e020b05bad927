// Docks that share one layout: panes moved between them by code, by a drag of a title and by the
// keyboard, the set's state and its one undo stack.
#include "tovdock/qt/dock_set.h"

#include <QApplication>
#include <QCursor>
#include <QDataStream>
#include <QGuiApplication>
#include <QIODevice>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QSettings>
#include <QUndoStack>
#include <limits>

#include "dock_widget_p.h"
#include "keyboard.h"
#include "motion.h"
#include "pane_p.h"
#include "undo.h"

namespace tov::qt {

namespace {

constexpr quint32 kSetMagic = 0x54564454;  // "TVDT"
constexpr quint16 kSetVersion = 1;
/// The settings section that says which dock of a set holds a pane.
constexpr const char* kHolderSection = "DockSet";

/// The global rectangle of a widget.
QRect globalRect(const QWidget* w) {
  return QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
}

}  // namespace

/// Notes an Escape pressed anywhere in the application while it exists.
class EscapeFlag : public QObject {
 public:
  explicit EscapeFlag(bool* flag) : mFlag(flag) { qApp->installEventFilter(this); }

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) *mFlag = true;
    return false;
  }

 private:
  bool* mFlag;
};

class DockSetPrivate : public QObject {
 public:
  explicit DockSetPrivate(DockSet* set) : q(set) {}

  QList<DockWidget*> live() const {
    QList<DockWidget*> out;
    for (const QPointer<DockWidget>& d : docks)
      if (d) out.append(d);
    return out;
  }
  DockWidget* holderOf(const QString& key) const {
    for (DockWidget* d : live())
      if (d->pane(key)) return d;
    return nullptr;
  }
  /// The dock of the set under a global point, other than `except`.
  DockWidget* dockAt(QPoint global, const DockWidget* except) const {
    for (DockWidget* d : live())
      if (d != except && d->isVisible() && globalRect(d).contains(global)) return d;
    return nullptr;
  }
  /// The nearest dock of the set left (-1) or right (+1) of `from`, by the middle of each.
  DockWidget* neighbour(const DockWidget* from, int side) const {
    const int x = globalRect(from).center().x();
    DockWidget* best = nullptr;
    int distance = std::numeric_limits<int>::max();
    for (DockWidget* d : live()) {
      const int dx = (globalRect(d).center().x() - x) * side;
      if (d != from && d->isVisible() && dx > 0 && dx < distance) best = d, distance = dx;
    }
    return best;
  }
  /// Where a pane dropped at a global point of `dock` goes: before the shown pane whose upper half
  /// the point is in or which lies below it, else at the end; `line` is the marker's y in the dock.
  int dropPosition(DockWidget* dock, QPoint global, int* line) const {
    const QList<Pane*> order = dock->panes();
    const detail::TitleKeys* keys = detail::TitleKeys::of(dock);
    int bottom = 0;
    for (int i = 0; i < order.size(); ++i) {
      const QWidget* frame = order[i]->state() == PaneState::Hidden ? nullptr : keys->frameOf(order[i]);
      if (!frame || !frame->isVisible()) continue;
      const QRect r = globalRect(frame);
      if (global.y() < r.center().y()) {
        if (line) *line = dock->mapFromGlobal(r.topLeft()).y();
        return i;
      }
      bottom = dock->mapFromGlobal(r.bottomLeft()).y() + 1;
    }
    if (line) *line = bottom;
    return static_cast<int>(order.size());
  }
  /// The pane being dragged in a dock of the set, and that dock.
  std::pair<DockWidget*, Pane*> dragged() const {
    for (DockWidget* d : live()) {
      // The dock drags a pane's frame.
      const Element* e = coreToolkit(d)->dragging();
      if (Pane* p = e ? detail::TitleKeys::of(d)->paneOfFrame(QtToolkit::widgetOf(*e)) : nullptr)
        return {d, p};
    }
    return {nullptr, nullptr};
  }
  void showMarker(DockWidget* dock, int y) {
    if (!marker || marker->parentWidget() != dock) {
      delete marker;
      marker = new QWidget(dock);
      marker->setObjectName(QStringLiteral("tovdock_drop_marker"));
      marker->setAttribute(Qt::WA_TransparentForMouseEvents);
      marker->setAutoFillBackground(true);
      QPalette p = marker->palette();
      p.setColor(QPalette::Window, dock->palette().color(QPalette::Highlight));
      marker->setPalette(p);
    }
    marker->setGeometry(0, std::max(0, y - 1), dock->width(), 3);
    marker->show();
    marker->raise();
  }
  void hideMarker() {
    if (marker) marker->hide();
  }
  /// A move the user asked for: one command on the set's stack.
  void userMove(DockWidget* from, const QString& key, DockWidget* to, int position) {
    history->begin();
    if (from->movePaneTo(key, to, position)) {
      // The target lays out a pane added to it on the next turn of the event loop: its title
      // takes the focus once it is on screen.
      QMetaObject::invokeMethod(
          to,
          [to, key] {
            if (QWidget* title = detail::TitleKeys::of(to)->titleOf(to->pane(key)))
              title->setFocus(Qt::OtherFocusReason);
          },
          Qt::QueuedConnection);
    }
    history->end();
  }

  bool eventFilter(QObject* watched, QEvent* e) override;

  bool keepsSettings() const {
    const QList<DockWidget*> all = live();
    return std::any_of(all.begin(), all.end(), [](const DockWidget* d) { return d->autoSave(); });
  }
  /// Where the application's QSettings keep the dock that holds `pane`, beside the docks' layouts.
  QString holderKey(const QString& pane) const {
    return QLatin1String(kHolderSection) + QLatin1Char('/') +
           (q->objectName().isEmpty() ? pane : q->objectName() + QLatin1Char('/') + pane);
  }
  /// Before the docks first load their layouts, each pane goes to the dock that held it last.
  void loadHolders() {
    loaded = true;
    if (!keepsSettings()) return;
    const QSettings settings;
    const QList<DockWidget*> all = live();
    for (DockWidget* from : all) {
      for (Pane* p : from->panes()) {
        bool ok = false;
        const int i = settings.value(holderKey(p->key())).toInt(&ok);
        if (ok && i >= 0 && i < all.size() && all[i] != from)
          from->movePaneTo(p->key(), all[i], all[i]->count());
      }
    }
  }
  void saveHoldersLater() {
    if (!loaded || savePosted) return;
    savePosted = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
          savePosted = false;
          if (!keepsSettings()) return;
          QSettings settings;
          const QList<DockWidget*> all = live();
          for (qsizetype i = 0; i < all.size(); ++i)
            for (Pane* p : all[i]->panes())
              settings.setValue(holderKey(p->key()), static_cast<int>(i));
        },
        Qt::QueuedConnection);
  }

  DockSet* q;
  QList<QPointer<DockWidget>> docks;
  detail::LayoutHistory* history = nullptr;
  QPointer<QWidget> marker;
  /// The dock whose panes part for a drag from another dock.
  QPointer<DockWidget> parted;
  /// Watches for Escape while a title is dragged.
  std::unique_ptr<QObject> escapeWatch;
  bool escaped = false;
  /// The holders were loaded (at the first show of a dock of the set).
  bool loaded = false;
  bool savePosted = false;
};

bool DockSetPrivate::eventFilter(QObject* watched, QEvent* e) {
  switch (e->type()) {
    case QEvent::Show:
      // Before the dock's own show, which loads its layout.
      if (!loaded &&
          std::any_of(docks.begin(), docks.end(), [&](const auto& d) { return d.data() == watched; }))
        loadHolders();
      return false;
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease: {
      // The dock's own drag ends outside it with no drop; the set takes over there.
      // Once, as the widget gets it (its window got it before).
      if (!watched->isWidgetType()) return false;
      const auto [from, pane] = dragged();
      if (!pane) {
        escapeWatch.reset();
        return false;
      }
      const bool release = e->type() == QEvent::MouseButtonRelease;
      // Escape ends the dock's drag without a drop, here too. The dock's own watch takes the key
      // before anything else sees it: a watch installed after it, while the drag runs, sees it first.
      if (!escapeWatch) {
        escaped = false;
        escapeWatch = std::make_unique<EscapeFlag>(&escaped);
      }
      if (release) escapeWatch.reset();
      const QPoint at = static_cast<QMouseEvent*>(e)->globalPosition().toPoint();
      DockWidget* to = escaped ? nullptr : dockAt(at, from);
      int line = 0;
      const int position = to ? dropPosition(to, at, &line) : 0;
      // The panes of the dock under the cursor part where the pane would land.
      if (parted && (parted != to || release)) DockWidgetPrivate::get(parted)->motion->part(-1, true);
      parted = e->type() == QEvent::MouseMove ? to : nullptr;
      if (parted) DockWidgetPrivate::get(parted)->motion->part(line, true);
      if (e->type() == QEvent::MouseMove) {
        to ? showMarker(to, line) : hideMarker();
        // The dock's drag shows the forbidden cursor outside it; over a dock of the set a drop moves
        // the pane. The dock takes its cursor back when the drag ends.
        if (const QCursor* c = QGuiApplication::overrideCursor()) {
          const Qt::CursorShape want = to ? Qt::DragMoveCursor : Qt::ForbiddenCursor;
          if (c->shape() != want && (c->shape() == Qt::ForbiddenCursor || c->shape() == Qt::DragMoveCursor))
            QGuiApplication::changeOverrideCursor(want);
        }
        return false;
      }
      hideMarker();
      if (!to) return false;
      // After the release has ended the dock's drag.
      QMetaObject::invokeMethod(
          this,
          [this, from = QPointer<DockWidget>(from), to = QPointer<DockWidget>(to), key = pane->key(),
           position] {
            if (from && to) userMove(from, key, to, position);
          },
          Qt::QueuedConnection);
      return false;
    }
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress: {
      auto* k = static_cast<QKeyEvent*>(e);
      const auto mods = k->modifiers() & ~Qt::KeypadModifier;
      if (mods != Qt::AltModifier || (k->key() != Qt::Key_Left && k->key() != Qt::Key_Right)) return false;
      for (DockWidget* from : live()) {
        Pane* pane = detail::TitleKeys::of(from)->paneOf(watched);
        if (!pane) continue;
        if (e->type() == QEvent::ShortcutOverride) {
          e->accept();
          return true;
        }
        if (DockWidget* to = pane->isMovable() ? neighbour(from, k->key() == Qt::Key_Left ? -1 : 1) : nullptr)
          userMove(from, pane->key(), to, to->count());
        return true;
      }
      return false;
    }
    default:
      return false;
  }
}

DockSet::DockSet(QObject* parent) : QObject(parent), d(std::make_unique<DockSetPrivate>(this)) {
  d->history = new detail::LayoutHistory(
      this, [this] { return saveState(); },
      [this](const QByteArray& state) {
        if (!restoreState(state)) return;
        for (DockWidget* dock : d->live())
          detail::saveLayout(dock);
      });
  qApp->installEventFilter(d.get());
}

DockSet::~DockSet() {
  for (DockWidget* dock : d->live())
    detail::UndoWatch::of(dock)->share(nullptr);
  delete d->marker;
}

void DockSet::addDock(DockWidget* dock) {
  if (!dock || d->docks.contains(dock)) return;
  d->docks.append(dock);
  detail::UndoWatch::of(dock)->share(d->history);
  connect(dock, &DockWidget::paneAdded, d.get(), [this] { d->saveHoldersLater(); });
  // A dock on screen has loaded its layout: the application restores the set's state itself.
  if (dock->isVisible()) d->loaded = true;
}

QList<DockWidget*> DockSet::docks() const {
  return d->live();
}

QUndoStack* DockSet::undoStack() const {
  return d->history->stack();
}

QByteArray DockSet::saveState() const {
  const QList<DockWidget*> all = d->live();
  QByteArray data;
  QDataStream out(&data, QIODevice::WriteOnly);
  out.setVersion(QDataStream::Qt_6_0);
  out << kSetMagic << kSetVersion << static_cast<qint32>(all.size());
  for (DockWidget* dock : all) {
    QStringList keys;
    for (Pane* p : dock->panes())
      keys << p->key();
    out << keys << dock->saveState();
  }
  return data;
}

bool DockSet::restoreState(const QByteArray& state) {
  QDataStream in(state);
  const std::optional<qint32> n = detail::readStateHead(in, kSetMagic, kSetVersion);
  const QList<DockWidget*> all = d->live();
  if (!n || *n != all.size()) return false;
  QList<std::pair<QStringList, QByteArray>> entries(*n);
  for (auto& [keys, layout] : entries)
    in >> keys >> layout;
  if (in.status() != QDataStream::Ok || !in.atEnd()) return false;
  // Every pane into its dock first, so that each dock's layout finds all of its panes.
  for (qsizetype i = 0; i < all.size(); ++i) {
    for (const QString& key : entries[i].first) {
      DockWidget* holder = d->holderOf(key);
      if (holder && holder != all[i]) holder->movePaneTo(key, all[i], all[i]->count());
    }
  }
  bool ok = true;
  for (qsizetype i = 0; i < all.size(); ++i)
    ok = all[i]->restoreState(entries[i].second) && ok;
  return ok;
}

// ---- DockWidget ----

bool DockWidget::movePaneTo(const QString& key, DockWidget* target, int position) {
  if (target == this) return movePane(key, position);
  Pane* p = pane(key);
  if (!p || !target || target->pane(key)) return false;
  // Reading the height makes a waiting rebuild of the panes, which runs the application's code: it
  // may delete either dock or the pane.
  const QPointer<DockWidget> self = this, to = target;
  const QPointer<Pane> source = p;
  const int height = p->height();
  if (!self || !to || !source) return false;
  const QString title = p->title(), right = p->rightTitle();
  const QIcon icon = p->icon();
  const PaneState state = p->state();
  const PaneGroup group = p->group();
  const bool resizable = p->isResizable(), closable = p->isClosable(), movable = p->isMovable(),
             options = p->isOptionsVisible();
  QWidget* w = takeWidget(key);
  if (!w) return false;
  Pane* n = to ? to->insertPane(position, key, w, title, icon) : nullptr;
  if (!n) {
    delete w;
    return false;
  }
  n->setRightTitle(right);
  n->setResizable(resizable);
  n->setClosable(closable);
  n->setMovable(movable);
  n->setOptionsVisible(options);
  // Its group where it stands alone in the new dock; among others it joins theirs.
  if (to->count() == 1) n->setGroup(group);
  n->setHeight(height);
  n->setState(state);
  if (self) detail::saveLayout(self);
  if (to) detail::saveLayout(to);
  return true;
}

}  // namespace tov::qt
