// The list of panes: adding, inserting, moving, removing and taking them, and the bars behind them.
// The dock only appends bars and clears them all together; a pane that goes leaves its bar hidden and
// without a key, and the bars of the others are made anew, each as its pane's was.
#include <QApplication>
#include <QHash>
#include <QMetaObject>
#include <QPointer>
#include <algorithm>
#include <unordered_map>

#include "accessible.h"
#include "dock_widget_p.h"
#include "keyboard.h"
#include "pane_p.h"
#include "sizing.h"

namespace tov::qt {

namespace {

/// What a pane folds to: its title strip, also when its title is empty or was never changed, where
/// a bar alone keeps the height it has (none, when made anew) and would lie under the next pane.
constexpr std::int32_t kTitleStripHeight = 260;

/// What an application or the dock's rules set on a bar, but not its place in the layout.
void copySwitches(const cTovBar& from, cTovBar& to) {
  to.setID(from.ID());
  to.setKey(from.Key());
  to.setTag(from.Tag());
  to.setItemData(from.ItemData());
  // Before the title: the expand switch set after it would leave the collapsed height at 18.
  to.setCanExpand(from.CanExpand());
  to.setTitle(from.Title());
  to.setfTitleHeight(from.CanExpand() || !from.Title().empty() ? kTitleStripHeight : 0);
  to.setTitleRight(from.TitleRight());
  to.setToolTipText(from.ToolTipText());
  to.setIcon(from.Icon());
  to.setTitleFont(from.TitleFont());
  to.setTitleVertical(from.TitleVertical());
  to.setTitleBackColorStart(from.TitleBackColorStart());
  to.setTitleBackColorEnd(from.TitleBackColorEnd());
  to.setTitleForeColor(from.TitleForeColor());
  to.setTitleForeColorOver(from.TitleForeColorOver());
  to.setBackColor(from.BackColor());
  to.setCanMove(from.CanMove());
  to.setShowClose(from.ShowClose());
  to.setShowOptions(from.ShowOptions());
  to.setAllowResize(from.ResizeFlag());
  to.setShowResize(from.ShowResize());
  to.setHeightMax(from.HeightMax());
  to.setHeightExpanded(from.HeightExpanded());
  to.setMinBodyHeight(from.MinBodyHeight());
  to.setPreferredBodyHeight(from.PreferredBodyHeight());
  to.setMinBodyWidth(from.MinBodyWidth());
}

}  // namespace

// ---- DockWidget ----

Pane* DockWidget::addPane(const QString& key, QWidget* widget, const QString& title, const QIcon& icon) {
  return insertPane(count(), key, widget, title, icon);
}

Pane* DockWidget::insertPane(int position, const QString& key, QWidget* widget, const QString& title,
                             const QIcon& icon) {
  if (!d->settle()) return nullptr;
  const int at = std::clamp(position, 0, count());
  // The display order is only looked at for a pane that goes before another: a dock may hold thousands.
  const QList<Pane*> before = at < count() ? panes() : QList<Pane*>();
  // One run of the dock: the pane is fitted once, in its group and at its place.
  const DockRef dock = d->dock;
  TovDock::Batch batch(*dock);
  const QPointer<DockWidget> self = this;
  Pane* p = d->createPane(key, widget, title, icon);
  // A slot the new pane's first placing ran may have deleted this widget.
  if (!p || !self) return self ? p : nullptr;
  // The application's order: a reset puts the pane where it was inserted.
  // A slot the placing ran may have added or removed panes, the one this pane goes before too.
  d->panes.removeOne(p);
  if (const qsizetype i = at < before.size() ? d->panes.indexOf(before[at]) : -1; i >= 0) {
    d->panes.insert(i, p);
    d->keys->forget();
  } else {
    d->panes.append(p);
  }
  d->place(p, at);
  if (!self) return nullptr;
  d->queueLayoutChanged();
  emit paneAdded(key);
  return p;
}

void DockWidget::addPage(QWidget* page) {
  if (!page) return;
  QString key = page->objectName();
  for (int n = count() + 1; key.isEmpty() || pane(key); ++n)
    key = QStringLiteral("page%1").arg(n);
  if (!addPane(key, page, page->windowTitle())) return;
  // uic sets the titles after the pages are added (retranslateUi): the pane follows them.
  connect(page, &QWidget::windowTitleChanged, this, [this, key](const QString& title) {
    if (Pane* p = pane(key)) p->setTitle(title);
  });
}

bool DockWidget::removePane(const QString& key) {
  Pane* p = pane(key);
  if (!p) return false;
  QPointer<QWidget> w = p->widget();
  const QPointer<DockWidget> self = this;
  d->detach(p);
  if (w) w->deleteLater();
  // A slot the removal ran may have deleted this widget.
  if (self) emit paneRemoved(key);
  return true;
}

QWidget* DockWidget::takeWidget(const QString& key) {
  Pane* p = pane(key);
  if (!p) return nullptr;
  QPointer<QWidget> w = p->widget();
  const QPointer<DockWidget> self = this;
  d->detach(p);
  if (w) w->setParent(nullptr);
  if (self) emit paneRemoved(key);
  return w;
}

bool DockWidget::movePane(const QString& key, int position) {
  Pane* p = pane(key);
  if (!p || !d->settle()) return false;
  const DockRef dock = d->dock;
  TovDock::Batch batch(*dock);
  d->place(p, std::clamp(position, 0, count() - 1));
  return true;
}

int DockWidget::indexOf(const QString& key) const {
  Pane* p = pane(key);
  return p ? static_cast<int>(panes().indexOf(p)) : -1;
}

int DockWidget::count() const {
  return static_cast<int>(d->panes.size());
}

Pane* DockWidget::pane(const QString& key) const {
  for (Pane* p : d->panes)
    if (p->key() == key) return p;
  return nullptr;
}

QList<Pane*> DockWidget::panes() const {
  QList<Pane*> ordered;
  const BarsRef all = d->dock ? d->dock->Bars() : nullptr;
  if (!all) return ordered;
  // Each bar finds its pane at once: a dock may hold a thousand.
  QHash<const cTovBar*, Pane*> byBar;
  byBar.reserve(d->panes.size());
  for (Pane* p : d->panes)
    byBar.insert(PanePrivate::bar(p).get(), p);
  ordered.reserve(d->panes.size());
  for (std::int32_t pos = 1; pos <= all->Count(); ++pos) {
    if (Pane* p = byBar.value(all->ItemByOrder(pos).get())) ordered.append(p);
  }
  return ordered;
}

// ---- DockWidgetPrivate ----

Pane* DockWidgetPrivate::createPane(const QString& key, QWidget* widget, const QString& title,
                                    const QIcon& icon) {
  if (key.isEmpty() || q->pane(key) || !storable(key)) {
    qWarning("tov::qt::DockWidget: the key \"%s\" is %s; no pane was added", qPrintable(key),
             key.isEmpty()  ? "empty"
             : q->pane(key) ? "already used"
                            : "not storable as it is");
    return nullptr;
  }
  if (!widget ||
      std::any_of(panes.begin(), panes.end(), [widget](const Pane* p) { return p->widget() == widget; })) {
    qWarning("tov::qt::DockWidget: %s for the pane \"%s\"",
             widget ? "the widget is another pane's" : "no widget", qPrintable(key));
    return nullptr;
  }
  const DockRef hold = dock;
  TovDock::Batch batch(*hold);
  BarRef bar = hold->Bars()->Add();
  if (!bar) return nullptr;
  // The dock's own child: handed back here when the dock lets go of it, and deleted with it.
  widget->setParent(q);
  bar->setKey(coreKey(key));
  bar->setAllowResize(true);
  bar->setShowClose(true);
  // A bar starts without a height. Fitting the panes to the dock gives them theirs, but only when
  // the stored layout leaves room: a pane it does not know (one an application added since) would
  // keep none, and every pane after it would be drawn over it. It starts as a reset leaves it,
  // unless the dock sizes it for its widget.
  if (!hold->FitToDock()) bar->setHeight(kStartHeight);
  auto* p = new Pane(q, key, widget);
  PanePrivate* pd = PanePrivate::get(p);
  pd->coreBar = bar;
  pd->seen = p->state();
  panes.append(p);
  p->setTitle(title);
  bar->setfTitleHeight(kTitleStripHeight);
  if (!icon.isNull()) p->setIcon(icon);
  // A deleted widget takes its pane with it. Its bar still holds it: the bars are rebuilt later,
  // outside whatever code deleted it. Watched before it is placed: placing it runs the
  // application's handler, which may delete it ...
  QObject::connect(widget, &QObject::destroyed, q, [this, p] {
    if (panes.contains(p)) detach(p, true);
  });
  const QPointer<DockWidget> self = q;
  bar->setControl(std::make_shared<WidgetControl>(widget));
  // ... or remove the new pane.
  if (!self || !panes.contains(p)) return nullptr;
  sizing->watch(p);
  keys->attach(p);
  detail::announceChanges(q, p);
  // A dock on screen lays the panes out and puts them in Tab order when control returns to the event
  // loop, once for a run of added panes: each time, the whole stack is fitted again. A dock not on
  // screen does both when it is shown.
  if (q->isVisible() && hold->Show()) {
    relayoutLater();
    keys->orderLater();
  } else {
    if (hold->Show()) hold->reloadColors();
    if (!self) return nullptr;
    hold->relayout();
  }
  return p;
}

void DockWidgetPrivate::place(Pane* p, int position) {
  const BarRef bar = PanePrivate::bar(p);
  const DockRef hold = dock;
  Pane* before = nullptr;
  Pane* after = nullptr;
  QList<Pane*> order;
  // A pane added behind the last one, whose bar the dock put behind that pane's, is in place: the
  // display order of thousands of panes is not listed for it.
  const BarsRef all = hold->Bars();
  const std::int32_t n = all ? all->Count() : 0;
  const bool last = panes.size() >= 2 && panes.last() == p && position >= panes.size() - 1 && n >= 2 &&
                    all->ItemByOrder(n) == bar &&
                    all->ItemByOrder(n - 1) == PanePrivate::bar(panes[panes.size() - 2]);
  bool inPlace = last;
  if (last) {
    before = panes[panes.size() - 2];
  } else {
    const QList<Pane*> now = q->panes();
    QList<Pane*> others = now;
    others.removeOne(p);
    position = std::clamp(position, 0, static_cast<int>(others.size()));
    before = position > 0 ? others[position - 1] : nullptr;
    after = position < others.size() ? others[position] : nullptr;
    order = others;
    order.insert(position, p);
    inPlace = order == now;
  }
  // The groups stand in the display order one after the other: the pane joins one at its place.
  PaneGroup group = p->group();
  if ((!before || before->group() != group) && (!after || after->group() != group))
    group = before ? before->group() : after ? after->group() : group;
  const auto align = static_cast<std::int32_t>(group) + eAlignTop;
  if (inPlace) {
    if (align == bar->AlignBar()) return;
    bar->setAlignBar(align);
    hold->relayout();
    queueLayoutChanged();
    return;
  }
  if (!hold->Show()) {
    // Before the first show the dock takes an order only from records, which would then stand in for
    // the stored layout: the bars are made again in the new order instead.
    bar->setAlignBar(align);
    rebuild(order);
    return;
  }
  // The dock's own move, as a drop makes it, to the place after the pane before (before the pane
  // after); the places count the bars of panes gone too.
  std::vector<const cTovBar*> rest;
  for (std::int32_t pos = 1; pos <= all->Count(); ++pos)
    if (const BarRef b = all->ItemByOrder(pos); b && b != bar) rest.push_back(b.get());
  const cTovBar* anchor = PanePrivate::bar(before ? before : after).get();
  const auto at = std::find(rest.begin(), rest.end(), anchor) - rest.begin();
  const auto target = static_cast<std::int32_t>(at + (before ? 2 : 1));
  const bool movable = bar->CanMove();
  bar->setCanMove(true);
  // The move runs the application's handlers, which may delete this widget.
  const QPointer<DockWidget> self = q;
  hold->moveBar(bar->Index(), target, align);
  bar->setCanMove(movable);
  if (!self) return;
  queueLayoutChanged();
  keys->order();
}

void DockWidgetPrivate::regroup() {
  QList<Pane*> order = q->panes();
  const auto byGroup = [](const Pane* a, const Pane* b) { return a->group() < b->group(); };
  if (std::is_sorted(order.begin(), order.end(), byGroup)) return;
  std::stable_sort(order.begin(), order.end(), byGroup);
  rebuild(order);
}

void DockWidgetPrivate::detach(Pane* p, bool dying) {
  const BarRef bar = PanePrivate::bar(p);
  QWidget* w = dying ? nullptr : p->widget();
  if (w) QObject::disconnect(w, nullptr, q, nullptr);
  panes.removeOne(p);
  keys->forget();
  // Out of the records at once; the bar itself goes when the bars are made anew.
  bar->setKey({});
  compactDue = true;
  delete p;
  queueLayoutChanged();
  if (dying) {
    // A widget being destroyed is touched no more: its bar lets go of it once it is gone, before
    // anything is painted again.
    requestCompact();
    return;
  }
  // A bar the dock let go of while its bars are made anew has handed its widget back already; its
  // index may be a new bar's.
  const BarsRef all = dock ? dock->Bars() : nullptr;
  if (!all || all->Item(bar->Index()) != bar) {
    requestCompact();
    return;
  }
  // Handed back to this widget, hidden.
  skipFailure([&] { bar->setControl(nullptr); });
  if (idle()) {
    settle();
    return;
  }
  skipFailure([&] { bar->setState(eBarHidden); });
  requestCompact();
}

void DockWidgetPrivate::requestCompact() {
  if (compactPosted) return;
  compactPosted = true;
  QMetaObject::invokeMethod(
      q,
      [this] {
        compactPosted = false;
        settle();
      },
      Qt::QueuedConnection);
}

bool DockWidgetPrivate::settle() {
  if (!compactDue || !idle()) return true;
  const QPointer<DockWidget> self = q;
  rebuild(q->panes());
  return self;
}

bool DockWidgetPrivate::idle() const {
  // Inside a run of the dock (a bar's setter showing a frame, say) the widget whose Qt code runs
  // the application's slot may be one the rebuild would delete.
  return handlers == 0 && dock && !dock->inRun();
}

void DockWidgetPrivate::rebuild(const QList<Pane*>& order) {
  // Made anew out of sight, the bars are shown together, as the first show shows them: a thousand
  // frames unloaded and loaded on screen would each have Qt work out what they uncover. The focus
  // stays where it was.
  const QPointer<QWidget> surface = q->surfaceWidget();
  const bool together = surface && surface->isVisible();
  QWidget* had = QApplication::focusWidget();
  const QPointer<QWidget> focus = together && surface->isAncestorOf(had) ? had : nullptr;
  if (together) surface->hide();
  const QPointer<DockWidget> self = q;
  remake(order);
  if (!self) return;
  if (together && surface && !showSurface(surface)) return;
  if (focus) focus->setFocus(Qt::OtherFocusReason);
}

void DockWidgetPrivate::remake(const QList<Pane*>& order) {
  const DockRef hold = dock;
  const BarsRef all = hold->Bars();
  if (!all) return;
  compactDue = false;
  // Placing the widgets runs the application's handler, which may delete this widget or remove
  // panes: their bars are made anew later, not inside this rebuild, nor when its run ends.
  const HandlerScope scope(*this);
  TovDock::Batch batch(*hold);
  const QPointer<DockWidget> self = q;
  const bool shown = hold->Show();
  // A dock on screen keeps the order its bars were made in, which a reset gives back; one that
  // never was takes the new order as that order, since only records could reorder it.
  QList<QPointer<Pane>> made(order.begin(), order.end());
  if (shown) {
    std::stable_sort(made.begin(), made.end(), [](const Pane* a, const Pane* b) {
      return PanePrivate::bar(a)->Index() < PanePrivate::bar(b)->Index();
    });
  }
  // The dock's own records, at the new places: a pane the fit folded for want of room may open
  // again, and a fitted pane keeps its share rather than the height the fit gave it.
  std::unordered_map<std::string, LayoutRecord> known;
  for (LayoutRecord& r : hold->records())
    known.emplace(r.key, std::move(r));
  std::vector<LayoutRecord> records;
  QHash<Pane*, BarRef> old;
  for (qsizetype i = 0; i < order.size(); ++i) {
    const BarRef& b = PanePrivate::bar(order[i]);
    old.insert(order[i], b);
    if (const auto r = known.find(b->Key()); r != known.end()) {
      records.push_back(r->second);
      records.back().position = static_cast<std::int32_t>(i) + 1;
    }
  }
  keys->forget();
  all->Clear();
  for (const QPointer<Pane>& p : made) {
    if (!p) continue;
    const BarRef& from = old[p];
    BarRef bar = all->Add();
    if (!bar) return;
    copySwitches(*from, *bar);
    // Nothing is laid out before the first show: the layout is copied as it is. Once shown, the
    // records give it, but heights only to bars that resize: one that does not keeps its own.
    if (!shown) bar->setAlignBar(from->AlignBar());
    const bool ownHeight = !shown || !from->ResizeFlag();
    if (ownHeight && from->State() == eBarExpanded) bar->setHeight(from->Height());
    if (!shown) bar->setState(from->State());
    PanePrivate::get(p)->coreBar = bar;
    if (QWidget* w = p->widget()) bar->setControl(std::make_shared<WidgetControl>(w));
    if (!self) return;
    if (!p) continue;
    sizing->watch(p);
    keys->attach(p);
  }
  if (shown || restoredBeforeShow) hold->applyRecords(records);
  if (!self) return;
  // The records' rules bring back a hidden pane without a close button: it stays as it was.
  for (const QPointer<Pane>& p : made) {
    const BarRef& bar = p ? PanePrivate::bar(p) : nullptr;
    if (bar && old[p]->State() == eBarHidden && bar->State() != eBarHidden) bar->setState(eBarHidden);
  }
  hold->relayout();
  if (self && q->isVisible()) keys->order();
}

DockWidgetPrivate::HandlerScope::HandlerScope(DockWidgetPrivate& d) : widget(d.q) {
  ++d.handlers;
}

DockWidgetPrivate::HandlerScope::~HandlerScope() {
  if (!widget) return;
  DockWidgetPrivate& d = *DockWidgetPrivate::get(widget);
  if (--d.handlers == 0 && d.compactDue) d.requestCompact();
}

}  // namespace tov::qt
