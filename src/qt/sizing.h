#pragma once
// Panes sized for their content: the hosted widgets' size hints followed into their bars, their
// bodies filled to the pixel, and the dock widget's own size hints from what its panes need.
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSize>

namespace tov::qt {
class DockWidget;
class Pane;
}  // namespace tov::qt

namespace tov::qt::detail {

/// Gives each pane's bar the least body height of its widget (its minimumHeight when set, else its
/// minimumSizeHint), the preferred one (its sizeHint) and the least width, and takes them again
/// when the widget's hints change (a LayoutRequest of the widget or of its frame): the dock is
/// then laid out once and its own hints change with them. In fit mode it also keeps each widget
/// filling its body to the pixel: a frame's pixels follow from where it lies on the surface, its
/// contents' from where they lie in it, and the two may differ by one at the frame's far edges.
class PaneSizing : public QObject {
 public:
  explicit PaneSizing(DockWidget* dock);
  /// Follows the pane's widget from now on; again when its bar is made anew.
  void watch(Pane* pane);
  /// Follows no widget any more: called first when the dock widget is destroyed, whose events then
  /// find it half gone.
  void stop();
  /// Takes every pane's hints again; true when one changed.
  bool take();
  /// The dock widget's size hints: in fit mode from its panes, else the dock's least and designed
  /// size.
  QSize minimumSize() const;
  QSize preferredSize() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool take(Pane* pane);
  /// Ends the pane's widget on its frame's far edges, where the dock placed it within a pixel of
  /// them.
  void fill(Pane* pane);
  DockWidget* mDock;
  struct Watched {
    QPointer<QObject> object;
    QPointer<Pane> pane;
  };
  /// The panes by their widget and by their frame, as last watched: a pane that went, or a frame of
  /// bars made anew, is checked for at each event.
  QHash<QObject*, Watched> mWatched;
  /// A change of hints is taken once, after the events that posted it.
  bool mPending = false;
  bool mFilling = false;
};

}  // namespace tov::qt::detail
