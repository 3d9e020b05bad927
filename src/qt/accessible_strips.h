#pragma once
// The parts drawn on a pane's frame as assistive technology sees them: the title strip (a button
// that folds the pane, its drawn buttons its children) and the splitter strip (a separator whose
// value is the pane's height).
#include <QRect>

class QAccessibleInterface;
class QWidget;

namespace tov {
class Panel;
}  // namespace tov

namespace tov::qt {
class DockWidget;
class Pane;
}  // namespace tov::qt

namespace tov::qt::detail {

/// What of a widget is on view, on the screen: its rectangle cut by every widget it lies in (a
/// strip is wider than its pane, and a scrolled pane lies partly outside the dock).
QRect shownRect(const QWidget* w);
/// The pane's splitter strip while it is shown, or null.
const Panel* shownSplitter(const DockWidget* dock, const Pane* pane);
/// New interfaces of the title strip and the splitter strip drawn on a pane's frame.
QAccessibleInterface* newTitleInterface(QWidget* frame, DockWidget* dock);
QAccessibleInterface* newSplitterInterface(QWidget* frame, DockWidget* dock);
/// The interface of the title strip drawn on a pane's frame (the frame's first child).
QAccessibleInterface* titleInterface(QWidget* frame);
/// The fold button among a title strip's children, which names what a press does now.
QAccessibleInterface* foldButtonOf(QAccessibleInterface* title);

}  // namespace tov::qt::detail
