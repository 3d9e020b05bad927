// The layout of a DockWidget as bytes: saveState and restoreState, through the dock's records.
#include <QDataStream>
#include <QIODevice>
#include <QPointer>
#include <algorithm>

#include "dock_widget_p.h"
#include "keyboard.h"
#include "pane_p.h"
#include "tovdock/qt/dock_widget.h"

namespace tov::qt {

namespace {

constexpr quint32 kStateMagic = 0x54564453;  // "TVDS"
constexpr quint16 kStateVersion = 1;

}  // namespace

QByteArray DockWidget::saveState() const {
  // Bars of panes gone still take their room until the bars are made anew; laying the dock out
  // runs the application's handlers, which may delete this widget.
  const QPointer<const DockWidget> self = this;
  if (d->settle()) d->flushLayout();
  if (!self) return {};
  // The panes in display order, each with its group, state and height as the dock stores them.
  std::vector<LayoutRecord> records = d->dock ? d->dock->records() : std::vector<LayoutRecord>();
  std::stable_sort(records.begin(), records.end(),
                   [](const LayoutRecord& a, const LayoutRecord& b) { return a.position < b.position; });
  QList<std::pair<Pane*, const LayoutRecord*>> entries;
  for (const LayoutRecord& r : records)
    if (Pane* p = d->paneOfCoreKey(r.key)) entries.append({p, &r});
  QByteArray data;
  QDataStream out(&data, QIODevice::WriteOnly);
  out.setVersion(QDataStream::Qt_6_0);
  out << kStateMagic << kStateVersion << static_cast<qint32>(entries.size());
  // A splitter may take a bar past the tallest height a restore gives: it is saved as that height.
  for (const auto& [p, r] : entries)
    out << p->key() << static_cast<qint32>(r->align) << static_cast<qint32>(r->state)
        << static_cast<qint32>(std::min(r->height, LayoutRecord::kHeightMax));
  return data;
}

bool DockWidget::restoreState(const QByteArray& state) {
  QDataStream in(state);
  const std::optional<qint32> n = detail::readStateHead(in, kStateMagic, kStateVersion);
  if (!n || *n > 32767) return false;
  std::vector<LayoutRecord> records(static_cast<std::size_t>(*n));
  std::int32_t position = 0;
  for (LayoutRecord& r : records) {
    QString key;
    qint32 align = 0, paneState = 0, height = 0;
    in >> key >> align >> paneState >> height;
    if (in.status() != QDataStream::Ok || align < eAlignTop || align > eAlignBottom ||
        paneState < eBarCollapsed || paneState > eBarHidden || height < 0)
      return false;
    r = {d->coreKey(key), ++position, align, paneState, height};
  }
  if (!in.atEnd()) return false;
  // Bars of panes gone would hold places of their own.
  if (!d->settle()) return false;
  // The panes the data names take its places in its order; the others follow in their present order.
  const QList<Pane*> ordered = panes();
  for (Pane* p : ordered) {
    const std::string key = PanePrivate::bar(p)->Key();
    if (std::none_of(records.begin(), records.end(), [&](const LayoutRecord& r) { return r.key == key; }))
      records.push_back({key, ++position, PanePrivate::bar(p)->AlignBar(), PanePrivate::bar(p)->State(),
                         PanePrivate::bar(p)->Height()});
  }
  // Records of panes this dock does not have would leave places empty: the others close up.
  std::vector<LayoutRecord> kept;
  for (const LayoutRecord& r : records)
    if (d->paneOfCoreKey(r.key)) kept.push_back(r);
  for (std::size_t i = 0; i < kept.size(); ++i)
    kept[i].position = static_cast<std::int32_t>(i) + 1;
  // One pane stays shown: the first, when the data hides every one.
  if (!kept.empty() &&
      std::all_of(kept.begin(), kept.end(), [](const LayoutRecord& r) { return r.state == eBarHidden; }))
    kept.front().state = eBarExpanded;
  const QPointer<DockWidget> self = this;
  const DockRef dock = d->dock;
  d->relayoutAfterRun();
  dock->applyRecords(kept);
  if (!self) return true;
  if (!d->activated) d->restoredBeforeShow = true;
  d->keys->order();
  return true;
}

namespace detail {

std::optional<qint32> readStateHead(QDataStream& in, quint32 magic, quint16 version) {
  in.setVersion(QDataStream::Qt_6_0);
  quint32 readMagic = 0;
  quint16 readVersion = 0;
  qint32 n = -1;
  in >> readMagic >> readVersion >> n;
  if (in.status() != QDataStream::Ok || readMagic != magic || readVersion == 0 || readVersion > version ||
      n < 0)
    return std::nullopt;
  return n;
}

}  // namespace detail

}  // namespace tov::qt
