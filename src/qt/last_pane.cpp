// The last pane shown: the core refuses to hide it with a message; the dock widget shows the refusal
// beforehand, as a close button that cannot be pressed.
#include "last_pane.h"

#include "dock_widget_p.h"
#include "pane_p.h"

namespace tov::qt::detail {

namespace {

/// The only pane of the dock that is not hidden, or null.
const Pane* lastShown(const DockWidget* dock) {
  const Pane* shown = nullptr;
  for (const Pane* p : DockWidgetPrivate::get(dock)->panes) {
    if (p->state() == PaneState::Hidden) continue;
    if (shown) return nullptr;
    shown = p;
  }
  return shown;
}

}  // namespace

bool isLastShown(const DockWidget* dock, const Pane* pane) {
  return pane && pane->state() != PaneState::Hidden && lastShown(dock) == pane;
}

void markLastShown(DockWidget* dock) {
  const DockRef& core = DockWidgetPrivate::get(dock)->dock;
  if (!core) return;
  const Pane* last = lastShown(dock);
  for (const Pane* p : DockWidgetPrivate::get(dock)->panes)
    if (Image* close = core->elementsOf(PanePrivate::bar(p)->Index()).close) close->setEnabled(p != last);
}

}  // namespace tov::qt::detail
