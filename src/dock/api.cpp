// What the layers above use: the user's actions given from code, the layout as records, runs and
// batches of the dock and the notification at their end.
#include "dock/dock_private.h"
#include "model/internals.h"

namespace tov {

DockLink& dockLink(TovDock& dock) {
  return TovDockPrivate::of(dock);
}

// ---- Runs ----

TovDockPrivate::Run::Run(TovDockPrivate& dock) : d(dock), mKeep(dock.q.weak_from_this().lock()) {
  ++d.mRuns;
}

TovDockPrivate::Run::~Run() {
  if (--d.mRuns == 0) d.endRun();
}

void TovDockPrivate::endRun() {
  // What runs here belongs to this run: calls back into the dock do not end it again. A listener
  // that changes the layout is told once more, a few times at most.
  ++mRuns;
  for (int round = 0; round < 3 && alive(); ++round) {
    if (std::exchange(mRelayoutAsked, false)) skipFailure([&] { relayoutNow(); });
    // Before the listeners, whose changes are this run's own.
    if (std::exchange(mRecordsLoaded, false)) skipFailure([&] { knowRecords(); });
    if (mSplitDragging || mLayoutChanges == mLayoutTold || !alive()) break;
    mLayoutTold = mLayoutChanges;
    raise(q.LayoutChanged);
  }
  --mRuns;
}

void TovDockPrivate::layoutChanged() {
  if (!mResizing) ++mLayoutChanges;
}

void TovDockPrivate::fLayoutTouched() {
  Run run(*this);
  layoutChanged();
}

void TovDockPrivate::relayoutNow() {
  if (!mShow || !alive()) return;
  if (clsBars* all = collection()) BarsInternals::fReorder(*all);
  pAutoSize();
  OrderBars(false);
}

TovDock::Batch::Batch(TovDock& dock) : mDock(dock.shared_from_this()) {
  ++mDock->d->mRuns;
}

bool TovDock::inRun() const {
  return d->mRuns > 0;
}

TovDock::Batch::~Batch() {
  TovDockPrivate& d = *mDock->d;
  if (--d.mRuns == 0) d.endRun();
}

// ---- The user's actions ----

namespace {

/// The bar of a user's action: on a shown dock, with elements of its own.
BarRef actionBar(const TovDockPrivate& d, BarIndex Index) {
  if (!d.mShow || !d.alive() || Index < 1 || Index > INT16_MAX || !d.set(Index)) return nullptr;
  return d.barAt(Index);
}

}  // namespace

bool TovDock::collapseBar(BarIndex Index) {
  TovDockPrivate::Run run(*d);
  const BarRef b = actionBar(*d, Index);
  if (!b || !b->CanExpand() || b->State() != eBarExpanded) return false;
  d->imgCollapse_Click(static_cast<std::int16_t>(Index));
  return true;
}

bool TovDock::expandBar(BarIndex Index) {
  TovDockPrivate::Run run(*d);
  const BarRef b = actionBar(*d, Index);
  if (!b || !b->CanExpand() || b->State() != eBarCollapsed) return false;
  d->imgExpand_Click(static_cast<std::int16_t>(Index));
  return true;
}

bool TovDock::closeBar(BarIndex Index) {
  TovDockPrivate::Run run(*d);
  const BarRef b = actionBar(*d, Index);
  if (!b || !b->ShowClose() || b->State() == eBarHidden) return false;
  d->pCloseBar(static_cast<std::int16_t>(Index));
  return b->State() == eBarHidden;
}

bool TovDock::requestOptions(BarIndex Index) {
  TovDockPrivate::Run run(*d);
  const BarRef b = actionBar(*d, Index);
  if (!b || !b->ShowOptions() || b->State() == eBarHidden) return false;
  d->imgOpt_Click(static_cast<std::int16_t>(Index));
  return true;
}

bool TovDock::requestContextMenu(BarIndex Index) {
  TovDockPrivate::Run run(*d);
  const BarRef b = actionBar(*d, Index);
  if (!b || b->State() == eBarHidden || (!b->CanExpand() && b->Title().empty())) return false;
  d->pTitleRightClick(static_cast<std::int16_t>(Index));
  return true;
}

bool TovDock::dragSplitter(BarIndex Index, double dy) {
  TovDockPrivate::Run run(*d);
  const BarRef b = actionBar(*d, Index);
  const BarElements* e = b ? d->set(Index) : nullptr;
  if (!e || !e->picSplit->Visible() || !std::isfinite(dy)) return false;
  // The pointer goes from the strip's top edge to where the strip's lower edge would lie below the
  // bar's lower edge moved by dy; the moves and the release do the rest.
  const auto i = static_cast<std::int16_t>(Index);
  const double y = e->picDockBar->Height() + dy - (e->picSplit->Top() + e->picSplit->Height());
  d->picSplit_MouseMove(i, {btnLeft, 0, 0, static_cast<float>(y)});
  if (d->alive()) d->picSplit_MouseUp(i, {btnLeft, 0, 0, 0});
  return true;
}

bool TovDock::setBarHeight(BarIndex Index, std::int32_t height) {
  TovDockPrivate::Run run(*d);
  const BarRef b = actionBar(*d, Index);
  if (!b || b->State() != eBarExpanded) return false;
  if (d->mFitToDock) {
    // In fit mode the height is asked for where a splitter asks for it: at the strip's lower edge.
    d->fitCapturePair(static_cast<std::int16_t>(Index));
    Panel& strip = *d->elements(Index).picSplit;
    strip.setTop(height - strip.Height());
  } else {
    skipFailure([&] { b->setHeight(height); });
  }
  if (d->alive()) d->pBarChanged(static_cast<std::int16_t>(Index), true);
  return true;
}

bool TovDock::moveBar(BarIndex Index, std::int32_t position, std::int32_t align) {
  TovDockPrivate::Run run(*d);
  const BarRef b = actionBar(*d, Index);
  clsBars* all = d->collection();
  if (!b || !all || !b->CanMove() || position < 1 || position > all->Count() || align < eAlignTop ||
      align > eAlignBottom)
    return false;
  if (BarsInternals::fOrderByIndex(*all, Index) == position && b->AlignBar() == align) return false;
  return d->report("TovDock.DockBar_DragDrop", [&] {
    if (b->AlignBar() != align) b->setAlignBar(align);
    BarsInternals::fInsert(d->bars(), Index, position);
    d->OrderBars(true);
  });
}

bool TovDock::showBar(BarIndex Index) {
  TovDockPrivate::Run run(*d);
  const BarRef b = d->barAt(Index);
  if (!b || !d->mShow || b->State() != eBarHidden) return false;
  d->ShowElement(Index);
  if (d->alive() && d->mShow) d->pSaveSettings();
  return true;
}

void TovDock::resetLayout() {
  TovDockPrivate::Run run(*d);
  d->ShowElement(-1);
  if (d->alive() && d->mShow) d->pSaveSettings();
}

// ---- For the layers above ----

void TovDock::relayout() {
  TovDockPrivate::Run run(*d);
  d->mRelayoutAsked = true;
}

void TovDock::repaintBar(BarIndex Index) {
  TovDockPrivate::Run run(*d);
  d->fRepaintBar(Index);
}

void TovDock::reloadColors() {
  TovDockPrivate::Run run(*d);
  if (!d->mShow || !d->alive()) return;
  d->pLoadColors();
  d->pRepaintAll();
}

void TovDock::setHostServices(std::shared_ptr<HostServices> services) {
  d->mHost = std::move(services);
}

BarElementsView TovDock::elementsOf(BarIndex Index) const {
  const BarElements* e = d->set(Index);
  if (!e) return {};
  return {e->picDockBar.get(),
          e->picTitel.get(),
          e->picSplit.get(),
          e->lblTitel.get(),
          e->lblTitelRight.get(),
          e->imgIcon.get(),
          e->imgClose.get(),
          e->imgCollapse.get(),
          e->imgExpand.get(),
          e->imgOpt.get(),
          {e->lineSplit0.get(), e->lineSplit1.get(), e->lineSplit2.get()}};
}

std::vector<LayoutRecord> TovDock::records() const {
  std::vector<LayoutRecord> records;
  if (d->collection()) skipFailure([&] { records = d->layoutRecords(); });
  return records;
}

void TovDock::applyRecords(const std::vector<LayoutRecord>& records) {
  TovDockPrivate::Run run(*d);
  if (!d->alive()) return;
  if (!d->mEverShown) d->mPendingRecords = records;
  d->applyLayout([&](const std::string& key) -> std::optional<LayoutRecord> {
    for (const LayoutRecord& r : records)
      if (r.key == key) return r;
    return std::nullopt;
  });
  if (d->mShow && d->alive()) d->pRepaintAll();
}

}  // namespace tov
