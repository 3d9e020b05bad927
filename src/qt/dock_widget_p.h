#pragma once
// The state of a DockWidget and what its parts (panes, keys, assistive technology, colours) share.
#include <QDataStream>
#include <QList>
#include <QPoint>
#include <QPointer>
#include <array>
#include <memory>
#include <optional>
#include <string>

#include "tovdock/qt/dock_core.h"
#include "tovdock/qt/dock_widget.h"

namespace tov::qt {

class PaletteHost;
namespace detail {
class TitleKeys;
class TitleClicks;
class PaneSizing;
class UndoWatch;
class Motion;

/// Reads the head of a saved state (magic, version, number of entries) and gives the number, or
/// nothing when the head is not one of `magic` up to `version`.
std::optional<qint32> readStateHead(QDataStream& in, quint32 magic, quint16 version);
}  // namespace detail

class DockWidgetPrivate {
 public:
  explicit DockWidgetPrivate(DockWidget* widget) : q(widget) {}

  static DockWidgetPrivate* get(const DockWidget* w) { return w->d.get(); }

  /// The height a new pane starts with, as a reset leaves a resizable bar (twips).
  static constexpr std::int32_t kStartHeight = 600;

  /// The pane's key as the core stores it: prefixed with the objectName when there is one.
  std::string coreKey(const QString& key) const;
  /// Whether the key reads back from its stored form as it is.
  static bool storable(const QString& key);
  Pane* paneOfCoreKey(const std::string& key) const;
  /// The pane of a bar index, or null.
  Pane* paneOfIndex(std::int32_t index) const;
  /// Emits the state signals of every pane whose state changed.
  void syncStates();
  /// Logical pixels and twips on the screen the dock is on.
  double pixelsPerTwip() const;
  double toTwips(int pixels) const;
  int toPixels(double twips) const;
  /// The grip lines follow the palette; a dock on screen loads its colours again and repaints.
  void applyColors();

  /// layoutChanged is emitted once when control returns to the event loop.
  void queueLayoutChanged();
  /// Lays a dock on screen out when control returns to the event loop, once for a run of added
  /// panes; flushLayout does it now when it is due (before the layout is read or shown).
  void relayoutLater();
  void flushLayout();
  /// Shows the surface, which sends the hosted widgets their pending resizes: their code may delete
  /// the dock widget, whose surface then outlives it until the show is over. False when it did.
  bool showSurface(QWidget* surface);
  /// Called from a handler of a running layout pass before a layout is applied, lays a shown dock
  /// out again when control returns to the event loop: the rest of that pass places the bars where
  /// the layout before put them. Does nothing when the dock is not running.
  void relayoutAfterRun();

  // ---- The list of panes (pane_list.cpp) ----

  /// A new pane on a new bar at the end of the display order, or null (with a warning).
  Pane* createPane(const QString& key, QWidget* widget, const QString& title, const QIcon& icon);
  /// Puts a pane at a display position, taking the group its place asks for (see movePane).
  void place(Pane* pane, int position);
  /// Before the first show, puts the panes in the order the dock will show: each group after the
  /// one before it, the panes of a group in their present order.
  void regroup();
  /// Takes the pane out of the dock: its widget back to this widget, hidden (unless it is `dying`),
  /// its bar left without a key until the bars are rebuilt. The pane is deleted.
  void detach(Pane* pane, bool dying = false);
  /// Rebuilds the bars of the remaining panes when that is safe: now outside the dock's handlers,
  /// else when control returns to the event loop.
  void requestCompact();
  /// Rebuilds the bars now when a rebuild is due and the dock is idle. False when the application's
  /// code that the rebuild ran deleted the dock widget (and so this object).
  bool settle();
  /// Whether neither a handler nor any other run of the dock is under way.
  bool idle() const;
  /// Makes new bars for the panes, which keep their places, groups, states, heights and switches:
  /// the dock has no removal of single bars. `order` is the new display order.
  void rebuild(const QList<Pane*>& order);
  /// The rebuild itself, in one run of the dock.
  void remake(const QList<Pane*>& order);

  /// Held while the dock runs a handler of this widget, and while the bars are made anew: the bars
  /// are not rebuilt meanwhile.
  struct HandlerScope {
    explicit HandlerScope(DockWidgetPrivate& d);
    ~HandlerScope();
    QPointer<DockWidget> widget;
  };

  /// Held while the widget handles its own resize.
  struct OwnEvent {
    explicit OwnEvent(DockWidgetPrivate& d) : widget(d.q) { ++d.ownEvents; }
    ~OwnEvent() {
      if (widget) --DockWidgetPrivate::get(widget)->ownEvents;
    }
    QPointer<DockWidget> widget;
  };

  DockWidget* q;
  /// Own resizes under way (OwnEvent), and shows of the surface, which send
  /// the hosted widgets their pending resizes: a widget's code may delete the dock meanwhile.
  int ownEvents = 0;
  int showing = 0;
  std::shared_ptr<QtToolkit> toolkit;
  DockRef dock;
  /// Every pane, in the order the application added them (an inserted one at its place).
  QList<Pane*> panes;
  detail::TitleKeys* keys = nullptr;
  detail::TitleClicks* clicks = nullptr;
  CoreEvents events;
  detail::PaneSizing* sizing = nullptr;
  detail::UndoWatch* undo = nullptr;
  detail::Motion* motion = nullptr;
  /// Where a context menu asked for with the keyboard opens, while it is being asked for.
  std::optional<QPoint> menuAt;
  bool autoSave = true;
  /// A palette change waits for the event loop to give the dock its colours.
  bool colorsDue = false;
  bool activated = false;
  /// A layout applied by restoreState before the first show stands in for the stored one then.
  bool restoredBeforeShow = false;
  bool layoutQueued = false;
  bool relayoutPosted = false;
  bool runRelayoutPosted = false;
  /// The surface hidden while panes are added to it, and the widget in it that had the focus.
  QPointer<QWidget> hiddenForAdding, focusBeforeAdding;
  /// Bars of panes gone are still in the dock, hidden and without a key.
  bool compactDue = false;
  bool compactPosted = false;
  int handlers = 0;
  std::array<QColor, 5> colors;
};

}  // namespace tov::qt
