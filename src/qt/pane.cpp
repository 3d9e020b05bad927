// A pane: the Qt face of one of the dock's bars, in Qt types and logical pixels.
#include <QAction>
#include <QPointer>
#include <QSignalBlocker>
#include <algorithm>
#include <climits>

#include "accessible.h"
#include "dock_widget_p.h"
#include "last_pane.h"
#include "pane_p.h"

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

/// Runs one of the pane's calls in one run of the dock: the application's slots, which may delete
/// the dock, run when it ends, once nothing of the pane is touched any more. A bar the application
/// took out of the dock (by clearing its bars) is left alone, and no call fails.
template <class F>
void onBar(const PanePrivate* d, F&& step) {
  const DockRef dock = coreDock(d->dock);
  const BarsRef all = dock ? dock->Bars() : nullptr;
  if (!all || all->Item(d->coreBar->Index()) != d->coreBar) return;
  TovDock::Batch batch(*dock);
  skipFailure(std::forward<F>(step));
}

}  // namespace

Pane::Pane(DockWidget* dock, const QString& key, QWidget* widget) : QObject(dock), d(new PanePrivate) {
  d->q = this;
  d->dock = dock;
  d->key = key;
  d->widget = widget;
  d->toggle = new QAction(this);
  d->toggle->setCheckable(true);
  d->toggle->setChecked(true);
  connect(d->toggle, &QAction::toggled, this, [this](bool on) {
    if (on == (state() != PaneState::Hidden)) return;
    if (on) {
      setState(PaneState::Expanded);
      return;
    }
    if (detail::isLastShown(d->dock, this)) {
      const QSignalBlocker quiet(d->toggle);
      d->toggle->setChecked(true);
    } else {
      setState(PaneState::Hidden);
    }
  });
}

Pane::~Pane() = default;

QString Pane::key() const {
  return d->key;
}
QWidget* Pane::widget() const {
  return d->widget;
}
QAction* Pane::toggleViewAction() const {
  return d->toggle;
}

QString Pane::title() const {
  return fromStd(d->coreBar->Title());
}
void Pane::setTitle(const QString& title) {
  d->toggle->setText(title);
  onBar(d.get(), [&] {
    d->coreBar->setTitle(title.toStdString());
    detail::announceTitle(d->dock, this, true);
  });
}
QString Pane::rightTitle() const {
  return fromStd(d->coreBar->TitleRight());
}
void Pane::setRightTitle(const QString& title) {
  onBar(d.get(), [&] {
    d->coreBar->setTitleRight(title.toStdString());
    detail::announceTitle(d->dock, this, false);
  });
}
QIcon Pane::icon() const {
  return d->icon;
}
void Pane::setIcon(const QIcon& icon) {
  d->icon = icon;
  d->toggle->setIcon(icon);
  onBar(d.get(), [&] { d->coreBar->setIcon(pictureOf(icon)); });
}

PaneState Pane::state() const {
  return static_cast<PaneState>(d->coreBar->State());
}
void Pane::setState(PaneState state) {
  if (state == PaneState::Hidden && detail::isLastShown(d->dock, this)) return;
  onBar(d.get(), [&] { d->coreBar->setState(static_cast<std::int32_t>(state)); });
}

PaneGroup Pane::group() const {
  return groupOf(d->coreBar->AlignBar());
}
void Pane::setGroup(PaneGroup group) {
  if (group == this->group()) return;
  onBar(d.get(), [&] {
    d->coreBar->setAlignBar(alignOf(group));
    // The dock groups its order as it lays it out, which one never shown does not do yet.
    if (const DockRef dock = coreDock(d->dock); dock->Show()) {
      dock->relayout();
    } else {
      DockWidgetPrivate::get(d->dock)->regroup();
    }
  });
}

int Pane::height() const {
  // Bars of panes gone still take their room until the bars are made anew. Both the rebuild and
  // the layout run the application's handlers, which may delete the dock and this pane with it.
  const QPointer<const Pane> self = this;
  if (DockWidgetPrivate* dock = DockWidgetPrivate::get(d->dock); dock->settle()) dock->flushLayout();
  return self ? DockWidgetPrivate::get(d->dock)->toPixels(d->coreBar->HeightExpanded()) : 0;
}
void Pane::setHeight(int height) {
  // A height beyond any screen is taken as the tallest a record keeps.
  const auto twips = static_cast<std::int32_t>(std::clamp(DockWidgetPrivate::get(d->dock)->toTwips(height),
                                                          double(INT_MIN), double(LayoutRecord::kHeightMax)));
  onBar(d.get(), [&] {
    // The new height resizes the hosted widget, whose code may delete the dock and this pane.
    const DockRef dock = coreDock(d->dock);
    const BarRef bar = d->coreBar;
    if (bar->State() == eBarExpanded) {
      bar->setHeight(twips);
    } else {
      bar->setHeightExpanded(twips);
    }
    // Fitted to their content, the panes move at once: the height is the pane's share of the dock.
    if (dock->FitToDock()) dock->relayout();
  });
}

bool Pane::isResizable() const {
  return d->coreBar->ResizeFlag();
}
void Pane::setResizable(bool on) {
  onBar(d.get(), [&] {
    d->coreBar->setAllowResize(on);
    // Fitted to their content, a pane that stops resizing takes its own height at once.
    if (const DockRef dock = coreDock(d->dock); dock->FitToDock()) dock->relayout();
  });
}
bool Pane::isClosable() const {
  return d->coreBar->ShowClose();
}
void Pane::setClosable(bool on) {
  onBar(d.get(), [&] {
    d->coreBar->setShowClose(on);
    // The switch is only stored by the bar; its title strip shows the button once arranged again.
    coreDock(d->dock)->repaintBar(d->coreBar->Index());
  });
}
bool Pane::isMovable() const {
  return d->coreBar->CanMove();
}
void Pane::setMovable(bool on) {
  onBar(d.get(), [&] { d->coreBar->setCanMove(on); });
}
bool Pane::isOptionsVisible() const {
  return d->coreBar->ShowOptions();
}
void Pane::setOptionsVisible(bool on) {
  onBar(d.get(), [&] {
    d->coreBar->setShowOptions(on);
    const DockRef dock = coreDock(d->dock);
    const QPointer<Pane> self = this;
    dock->repaintBar(d->coreBar->Index());
    // A slot the repaint ran may have removed this pane.
    if (!self) return;
    // The dock's title arrangement shows the button, but leaves one shown before when it goes.
    if (Image* button = on ? nullptr : dock->elementsOf(d->coreBar->Index()).options)
      button->setVisible(false);
  });
}

bool PanePrivate::sync() {
  const PaneState now = q->state();
  if (now == seen) return false;
  seen = now;
  {
    const QSignalBlocker quiet(toggle);
    toggle->setChecked(now != PaneState::Hidden);
  }
  emit q->stateChanged(now);
  return true;
}

}  // namespace tov::qt
