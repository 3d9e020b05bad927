// Panes: the Qt face of the dock's bars, in Qt types and logical pixels.
#include <QDataStream>
#include <QHash>
#include <QIODevice>
#include <QPointer>
#include <QSignalBlocker>
#include <QtGlobal>
#include <algorithm>

#include "dock/dock_private.h"
#include "model/internals.h"
#include "qt/accessible.h"
#include "qt/keyboard.h"
#include "qt/palette_host.h"
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

/// A shown dock fits its resizable panes and lays them out, as after a resize.
void fitWhenShown(TovDockPrivate& d) {
  if (!d.mShow) return;
  d.pAutoSize();
  d.OrderBars(false);
}

constexpr quint32 kStateMagic = 0x54564453;  // "TVDS"
constexpr quint16 kStateVersion = 1;

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
  mDock->syncStates();
}

PaneGroup Pane::group() const {
  return groupOf(mBar->AlignBar());
}
void Pane::setGroup(PaneGroup group) {
  if (group == this->group()) return;
  mBar->setAlignBar(alignOf(group));
  TovDockPrivate& d = TovDockPrivate::of(*mDock->dock());
  if (clsBars* all = d.collection()) BarsInternals::fReorder(*all);
  fitWhenShown(d);
}

int Pane::height() const {
  return mDock->toPixels(BarInternals::fHeightExpanded(*mBar));
}
void Pane::setHeight(int height) {
  const auto twips = static_cast<std::int32_t>(mDock->toTwips(height));
  if (mBar->State() == eBarExpanded) {
    mBar->setHeight(twips);
  } else if (twips > 100) {
    BarInternals::fSetHeightExpanded(*mBar, twips);
  }
}

bool Pane::isResizable() const {
  return BarInternals::fAllowResize(*mBar);
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
  TovDockPrivate& d = TovDockPrivate::of(*mDock->dock());
  if (d.mShow) d.pArrangeTitle(mBar->Index());
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
  BarRef bar = bars()->Add();
  if (!bar) return nullptr;
  // The dock's own child: handed back here when the dock lets go of it, and deleted with it.
  widget->setParent(this);
  bar->setKey(coreKey(key));
  bar->setAllowResize(true);
  bar->setShowClose(true);
  // A bar starts without a height. Fitting the panes to the dock gives them theirs, but only when
  // the stored layout leaves room: a pane it does not know (one an application added since) would
  // keep none, and every pane after it would be drawn over it. It starts as a reset leaves it.
  bar->setHeight(twips::kResetHeight);
  auto* p = new Pane(this, key, widget, bar);
  mPanes.append(p);
  p->setTitle(title);
  if (!icon.isNull()) p->setIcon(icon);
  bar->setControl(std::make_shared<WidgetControl>(widget));
  mKeys->attach(p);
  detail::announceChanges(this, p);
  // A pane added to a dock on screen takes its place at once, and its place in the Tab order; a
  // dock not on screen puts all of them in order when it is shown.
  fitWhenShown(TovDockPrivate::of(*mDock));
  if (isVisible()) mKeys->order();
  return p;
}

Pane* DockWidget::pane(const QString& key) const {
  for (Pane* p : mPanes)
    if (p->key() == key) return p;
  return nullptr;
}

QList<Pane*> DockWidget::panes() const {
  QList<Pane*> ordered;
  BarsRef all = mDock ? mDock->Bars() : nullptr;
  if (!all) return ordered;
  // Each bar finds its pane at once: a dock may hold a thousand.
  QHash<const cTovBar*, Pane*> byBar;
  byBar.reserve(mPanes.size());
  for (Pane* p : mPanes)
    byBar.insert(p->bar().get(), p);
  ordered.reserve(mPanes.size());
  for (std::int32_t pos = 1; pos <= all->Count(); ++pos) {
    if (Pane* p = byBar.value(all->ItemByOrder(pos).get())) ordered.append(p);
  }
  return ordered;
}

void DockWidget::setScrollable(bool on) {
  if (on == isScrollable()) return;
  mDock->setAllowScroll(on);
  fitWhenShown(TovDockPrivate::of(*mDock));
}

bool DockWidget::isScrollable() const {
  return mDock->AllowScroll();
}

void DockWidget::showAllPanes() {
  mDock->ShowElement(0);
  syncStates();
}

void DockWidget::resetLayout() {
  mDock->ShowElement(-1);
  syncStates();
  mKeys->order();
}

QByteArray DockWidget::saveState() const {
  QByteArray data;
  QDataStream out(&data, QIODevice::WriteOnly);
  out.setVersion(QDataStream::Qt_6_0);
  const QList<Pane*> ordered = panes();
  out << kStateMagic << kStateVersion << static_cast<qint32>(ordered.size());
  for (Pane* p : ordered) {
    out << p->key() << static_cast<qint32>(p->bar()->AlignBar()) << static_cast<qint32>(p->bar()->State())
        << static_cast<qint32>(BarInternals::fHeightExpanded(*p->bar()));
  }
  return data;
}

bool DockWidget::restoreState(const QByteArray& state) {
  struct Entry {
    QString key;
    qint32 align, state, height;
  };
  QDataStream in(state);
  in.setVersion(QDataStream::Qt_6_0);
  quint32 magic = 0;
  quint16 version = 0;
  qint32 n = -1;
  in >> magic >> version >> n;
  if (in.status() != QDataStream::Ok || magic != kStateMagic || version == 0 || version > kStateVersion ||
      n < 0 || n > 32767)
    return false;
  std::vector<Entry> entries(static_cast<std::size_t>(n));
  for (Entry& e : entries) {
    in >> e.key >> e.align >> e.state >> e.height;
    if (in.status() != QDataStream::Ok || e.align < eAlignTop || e.align > eAlignBottom ||
        e.state < eBarCollapsed || e.state > eBarHidden || e.height < 0)
      return false;
  }
  if (!in.atEnd()) return false;

  // Applied as stored records are: with the dock inactive, so that no state change moves another
  // pane's height meanwhile; then the order, and one repaint.
  TovDockPrivate& d = TovDockPrivate::of(*mDock);
  const bool shown = d.mShow;
  d.mLoading = true;
  d.mShow = false;
  // Panes the data names, in its order, then the others in their present order.
  std::vector<std::pair<std::size_t, Pane*>> known;
  QList<Pane*> others;
  for (Pane* p : panes()) {
    auto it = std::find_if(entries.begin(), entries.end(), [&](const Entry& e) { return e.key == p->key(); });
    if (it == entries.end()) {
      others.append(p);
      continue;
    }
    known.emplace_back(static_cast<std::size_t>(it - entries.begin()), p);
    BarRef b = p->bar();
    b->setAlignBar(it->align);
    b->setState(it->state);
    if (it->height > 100) {
      if (b->State() == eBarExpanded) {
        b->setHeight(it->height);
      } else {
        BarInternals::fSetHeightExpanded(*b, it->height);
      }
    }
  }
  std::sort(known.begin(), known.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::int32_t> order{0};
  for (const auto& [position, p] : known)
    order.push_back(p->bar()->Index());
  for (Pane* p : others)
    order.push_back(p->bar()->Index());
  // As with stored records, the heights are taken as they are; the stack is refitted only when the
  // order does not hold.
  d.mShow = shown;
  clsBars* all = d.collection();
  if (all && !BarsInternals::fSetOrder(*all, order) && shown) d.pAutoSize();
  d.mLoading = false;
  if (shown) d.pRepaintAll();
  syncStates();
  mKeys->order();
  return true;
}

void DockWidget::setAutoSave(bool on) {
  mAutoSave = on;
  TovDockPrivate::of(*mDock).mHost = std::make_shared<PaletteHost>(this, on);
}

void DockWidget::setColor(ColorRole role, const QColor& color) {
  mColors.at(static_cast<std::size_t>(role)) = color.isValid() ? color.toRgb() : QColor();
  applyColors();
}

QColor DockWidget::color(ColorRole role) const {
  const QColor& own = mColors.at(static_cast<std::size_t>(role));
  if (own.isValid()) return own;
  if (role != TitleText) return paletteColor(palette(), role);
  return paletteColor(palette(), role, color(TitleStart), color(TitleEnd));
}

void DockWidget::applyColors() {
  if (!mDock) return;
  TovDockPrivate& d = TovDockPrivate::of(*mDock);
  const QPalette& p = palette();
  const Color light = toColor(p.color(QPalette::Active, QPalette::Light));
  const Color midlight = toColor(p.color(QPalette::Active, QPalette::Midlight));
  const Color dark = toColor(p.color(QPalette::Active, QPalette::Dark));
  // The template too: bars added later are copies of it.
  for (const auto& e : d.mSets) {
    if (!e) continue;
    if (e->lineSplit0) e->lineSplit0->setBorderColor(light);
    if (e->lineSplit1) e->lineSplit1->setBorderColor(midlight);
    if (e->lineSplit2) e->lineSplit2->setBorderColor(dark);
  }
  if (!d.mShow) return;
  d.pLoadColors();
  d.pRepaintAll();
}

std::string DockWidget::coreKey(const QString& key) const {
  return (objectName().isEmpty() ? key : objectName() + QLatin1Char('/') + key).toStdString();
}

Pane* DockWidget::paneOfCoreKey(const std::string& key) const {
  for (Pane* p : mPanes)
    if (p->bar()->Key() == key) return p;
  return nullptr;
}

void DockWidget::syncStates() {
  // Called after every event of the dock, one for each pane a pass lays out: the panes are looked at
  // only when a bar changed its state since the last time.
  const std::uint64_t changes = BarInternals::fStateChanges();
  if (changes == mStatesSeen) return;
  mStatesSeen = changes;
  // A slot may add panes, change states or delete the dock: the list is copied and every pane still
  // there (and with it the dock, their parent) looked at once.
  const QList<QPointer<Pane>> all(mPanes.begin(), mPanes.end());
  for (const QPointer<Pane>& p : all) {
    if (p && p->sync() && p) emit paneStateChanged(p->key(), p->state());
  }
}

}  // namespace tov::qt
