#pragma once
// One pane always stays shown: the last one's close button cannot be pressed.

namespace tov::qt {
class DockWidget;
class Pane;
}  // namespace tov::qt

namespace tov::qt::detail {

/// Whether `pane` is the only pane of its dock that is not hidden: nothing hides it then.
bool isLastShown(const DockWidget* dock, const Pane* pane);
/// Draws the close button of the last pane shown as one that cannot be pressed, and every other
/// pane's as it is.
void markLastShown(DockWidget* dock);

}  // namespace tov::qt::detail
