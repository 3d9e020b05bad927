#pragma once
// Keyboard use of the dock widget's panes: their title strips take the focus and answer keys with
// the same routines the buttons, a drop and a right click run.
#include <QObject>

class QWidget;

namespace tov::qt {
class DockWidget;
class Pane;
}  // namespace tov::qt

namespace tov::qt::detail {

/// Watches the title strips of one dock: focus, its frame and the keys.
class TitleKeys : public QObject {
 public:
  explicit TitleKeys(DockWidget* dock);

  /// Lets the pane's title strip take the focus and answer keys.
  void attach(Pane* pane);
  /// Puts the title strips and the panes' widgets in Tab order, as the panes are displayed.
  void order();

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  QWidget* titleOf(const Pane* pane) const;
  Pane* paneOf(const QObject* title) const;
  /// Runs the key on the pane; false when the key means nothing there.
  bool handle(Pane* pane, QWidget* title, int key, Qt::KeyboardModifiers mods);
  /// Moves the pane one visible place up (-1) or down (+1), as dropping it on that neighbour does.
  void move(Pane* pane, int step);

  DockWidget* mDock;
};

}  // namespace tov::qt::detail
