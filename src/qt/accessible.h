#pragma once
// The panes as assistive technology sees them: each shown pane a group named by its title, its title
// strip a button that folds it, and the strip's drawn buttons as its children.

namespace tov::qt {
class DockWidget;
class Pane;
}  // namespace tov::qt

namespace tov::qt::detail {

/// Installs the accessible interfaces of the docks' widgets, once per process. Call it before a
/// dock's widgets are made: Qt keeps the first interface it finds for a widget.
void installAccessibility();
/// Tells assistive technology when the pane folds, unfolds, hides or shows again.
void announceChanges(DockWidget* dock, Pane* pane);
/// Tells assistive technology that the pane's title (`name`) or its right-hand title changed.
void announceTitle(DockWidget* dock, Pane* pane, bool name);
/// Tells assistive technology that the pane's title strip took the focus (its frame did).
void announceFocus(DockWidget* dock, Pane* pane);

}  // namespace tov::qt::detail
