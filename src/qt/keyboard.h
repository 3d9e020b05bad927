#pragma once
// Keyboard use of the dock widget's panes: their title strips take the focus and answer keys with
// the same routines the buttons, a drop and a right click run.
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <utility>

#include "tovdock/dock.h"

class QWidget;

namespace tov::qt {
class DockWidget;
class Pane;
}  // namespace tov::qt

namespace tov::qt::detail {

/// What a title strip does: by a key, or pressed by a screen reader (Options has no key). Shrink and
/// Grow move the splitter under the pane by one step.
enum class TitleCommand { None, Toggle, Close, Options, Up, Down, Menu, Shrink, Grow };

/// How far Alt+Shift+Up and Alt+Shift+Down move a pane's splitter, in logical pixels.
inline constexpr int kResizeStep = 20;

/// Watches the title strips of one dock: focus, its frame and the keys.
class TitleKeys : public QObject {
 public:
  explicit TitleKeys(DockWidget* dock);
  /// The watcher of a dock's title strips.
  static TitleKeys* of(const DockWidget* dock);

  /// Lets the pane's title strip take the focus and answer keys.
  void attach(Pane* pane);
  /// Forgets the title strips and frames seen: the panes' bars were made anew.
  void forget() {
    mOwners.clear();
    mEntered = 0;
  }
  /// Puts the title strips and the panes' widgets in Tab order, as the panes are displayed.
  void order();
  /// The same once control returns to the event loop: a run of added panes is ordered once.
  void orderLater();
  /// Runs a command on the pane as its key or button does; false when it means nothing there.
  bool run(Pane* pane, TitleCommand c);
  /// The elements that draw the pane's bar; all null while it has none.
  BarElementsView setOf(const Pane* pane) const;
  /// The widget that shows the pane's title strip and takes the strip's focus and keys: the strip is
  /// drawn on the pane's frame. Null while the pane has no bar.
  QWidget* titleOf(const Pane* pane) const { return frameOf(pane); }
  /// The strip's rectangle on that widget.
  QRect titleRect(const Pane* pane) const;
  /// The pane whose title strip this widget shows, or null.
  Pane* paneOf(const QObject* title) const { return paneOfFrame(title); }
  /// The pane whose title strip takes a key event delivered to this widget, or null: none for keys a
  /// hosted widget let pass up to its frame.
  Pane* keysFor(const QObject* widget) const;
  /// The widget framing the pane: its title strip, its hosted widget and its splitter.
  QWidget* frameOf(const Pane* pane) const;
  /// The pane this widget frames, or null.
  Pane* paneOfFrame(const QObject* frame) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  /// Moves the pane one visible place up (-1) or down (+1), as dropping it on that neighbour does.
  void move(Pane* pane, int step);

  DockWidget* mDock;
  // The panes by their frames' widgets: every widget Qt shows asks whether it is one, and
  // a dock may hold a thousand panes. Panes added since the last look are entered when a widget is
  // not found, and all again when one found is no longer its pane's; a rebuild of the bars forgets all.
  mutable QHash<const QObject*, QPointer<Pane>> mOwners;
  mutable qsizetype mEntered = 0;
  bool mOrderPosted = false;
};

}  // namespace tov::qt::detail
