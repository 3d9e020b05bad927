// Panes: the Qt face of the dock's bars, in Qt types and logical pixels.
#include <QHash>
#include <QPointer>
#include <QSignalBlocker>
#include <algorithm>

#include "accessible.h"
#include "dock_widget_p.h"
#include "keyboard.h"
#include "sizing.h"
#include "tovdock/qt/dock_widget.h"
#include "tovdock/qt/qt_toolkit.h"

namespace tov::qt {

namespace {

QString fromStd(const std::string& s) {
  return QString::fromStdString(s);
}

std::int32_t alignOf(PaneGroup g) {
  return static_cast<std::int32_t>(g) + eAlignTop;
}

PaneGroup groupOf(std::int32_t align) {
  return static_cast<PaneGroup>(
      std::clamp(align, static_cast<std::int32_t>(eAlignTop), static_cast<std::int32_t>(eAlignBottom)) -
      eAlignTop);
}

/// The height a new pane starts with, as a reset leaves a resizable bar (twips).
constexpr std::int32_t kStartHeight = 600;

}  // namespace

// ---- Pane ----

Pane::Pane(DockWidget* dock, const QString& key, QWidget* widget, BarRef bar)
    : QObject(dock),
      mDock(dock),
      mKey(key),
      mWidget(widget),
      mBar(std::move(bar)),
      mToggle(new QAction(this)) {
  mSeen = state();
  mToggle->setCheckable(true);
  mToggle->setChecked(mSeen != PaneState::Hidden);
  connect(mToggle, &QAction::toggled, this, [this](bool on) {
    if (on == (state() != PaneState::Hidden)) return;
    if (on) {
      setState(PaneState::Expanded);
      return;
    }
    const QList<Pane*> all = mDock->panes();
    const bool another = std::any_of(
        all.begin(), all.end(), [this](Pane* p) { return p != this && p->state() != PaneState::Hidden; });
    if (another) {
      setState(PaneState::Hidden);
    } else {
      const QSignalBlocker quiet(mToggle);
      mToggle->setChecked(true);
    }
  });
}

QString Pane::title() const {
  return fromStd(mBar->Title());
}
void Pane::setTitle(const QString& title) {
  mBar->setTitle(title.toStdString());
  mToggle->setText(title);
  detail::announceTitle(mDock, this, true);
}
QString Pane::rightTitle() const {
  return fromStd(mBar->TitleRight());
}
void Pane::setRightTitle(const QString& title) {
  mBar->setTitleRight(title.toStdString());
  detail::announceTitle(mDock, this, false);
}
void Pane::setIcon(const QIcon& icon) {
  mIcon = icon;
  mBar->setIcon(pictureOf(icon));
  mToggle->setIcon(icon);
}

PaneState Pane::state() const {
  return static_cast<PaneState>(mBar->State());
}
void Pane::setState(PaneState state) {
  mBar->setState(static_cast<std::int32_t>(state));
}

PaneGroup Pane::group() const {
  return groupOf(mBar->AlignBar());
}
void Pane::setGroup(PaneGroup group) {
  if (group == this->group()) return;
  const DockRef dock = mDock->dock();
  TovDock::Batch batch(*dock);
  mBar->setAlignBar(alignOf(group));
  dock->relayout();
}

int Pane::height() const {
  return DockWidgetPrivate::get(mDock)->toPixels(mBar->HeightExpanded());
}
void Pane::setHeight(int height) {
  const auto twips = static_cast<std::int32_t>(DockWidgetPrivate::get(mDock)->toTwips(height));
  if (mBar->State() == eBarExpanded) {
    mBar->setHeight(twips);
  } else {
    mBar->setHeightExpanded(twips);
  }
  // Fitted to their content, the panes move at once: the height is the pane's share of the dock.
  if (const DockRef& dock = mDock->dock(); dock->FitToDock()) dock->relayout();
}

bool Pane::isResizable() const {
  return mBar->ResizeFlag();
}
void Pane::setResizable(bool on) {
  mBar->setAllowResize(on);
}
bool Pane::isClosable() const {
  return mBar->ShowClose();
}
void Pane::setClosable(bool on) {
  mBar->setShowClose(on);
  // The switch is only stored by the bar; its title strip shows the button once arranged again.
  mDock->dock()->repaintBar(mBar->Index());
}
bool Pane::isMovable() const {
  return mBar->CanMove();
}
void Pane::setMovable(bool on) {
  mBar->setCanMove(on);
}

bool Pane::sync() {
  const PaneState now = state();
  if (now == mSeen) return false;
  mSeen = now;
  {
    const QSignalBlocker quiet(mToggle);
    mToggle->setChecked(now != PaneState::Hidden);
  }
  emit stateChanged(now);
  return true;
}

// ---- DockWidget ----

Pane* DockWidget::addPane(const QString& key, QWidget* widget, const QString& title, const QIcon& icon) {
  if (key.isEmpty() || pane(key)) {
    qWarning("tov::qt::DockWidget::addPane: the key \"%s\" is %s; no pane was added", qPrintable(key),
             key.isEmpty() ? "empty" : "already used");
    return nullptr;
  }
  if (!widget) {
    qWarning("tov::qt::DockWidget::addPane: no widget for the pane \"%s\"", qPrintable(key));
    return nullptr;
  }
  const DockRef dock = d->dock;
  TovDock::Batch batch(*dock);
  BarRef bar = dock->Bars()->Add();
  if (!bar) return nullptr;
  // The dock's own child: handed back here when the dock lets go of it, and deleted with it.
  widget->setParent(this);
  bar->setKey(d->coreKey(key));
  bar->setAllowResize(true);
  bar->setShowClose(true);
  // A bar starts without a height. Fitting the panes to the dock gives them theirs, but only when
  // the stored layout leaves room: a pane it does not know (one an application added since) would
  // keep none, and every pane after it would be drawn over it. It starts as a reset leaves it,
  // unless the dock sizes it for its widget.
  if (!dock->FitToDock()) bar->setHeight(kStartHeight);
  auto* p = new Pane(this, key, widget, bar);
  d->panes.append(p);
  p->setTitle(title);
  if (!icon.isNull()) p->setIcon(icon);
  bar->setControl(std::make_shared<WidgetControl>(widget));
  d->sizing->watch(p);
  d->keys->attach(p);
  detail::announceChanges(this, p);
  // A pane added to a dock on screen takes its place at once, and its place in the Tab order; a
  // dock not on screen puts all of them in order when it is shown.
  dock->relayout();
  if (isVisible()) d->keys->order();
  return p;
}

Pane* DockWidget::pane(const QString& key) const {
  for (Pane* p : d->panes)
    if (p->key() == key) return p;
  return nullptr;
}

QList<Pane*> DockWidget::panes() const {
  QList<Pane*> ordered;
  BarsRef all = bars();
  if (!all) return ordered;
  // Each bar finds its pane at once: a dock may hold a thousand.
  QHash<const cTovBar*, Pane*> byBar;
  byBar.reserve(d->panes.size());
  for (Pane* p : d->panes)
    byBar.insert(p->bar().get(), p);
  ordered.reserve(d->panes.size());
  for (std::int32_t pos = 1; pos <= all->Count(); ++pos) {
    if (Pane* p = byBar.value(all->ItemByOrder(pos).get())) ordered.append(p);
  }
  return ordered;
}

void DockWidget::setScrollable(bool on) {
  if (on == isScrollable()) return;
  const DockRef dock = d->dock;
  TovDock::Batch batch(*dock);
  dock->setAllowScroll(on);
  dock->relayout();
  updateGeometry();
}

bool DockWidget::isScrollable() const {
  return d->dock->AllowScroll();
}

void DockWidget::showAllPanes() {
  const DockRef dock = d->dock;
  dock->ShowElement(0);
}

void DockWidget::resetLayout() {
  const QPointer<DockWidget> self = this;
  const DockRef dock = d->dock;
  dock->ShowElement(-1);
  if (self) d->keys->order();
}

}  // namespace tov::qt
