#pragma once
// Motion of a dock's layout changes: the layout is final at once, and for a moment a picture over the
// dock moves the panes from where they stood to where they stand now.
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>
#include <optional>

class QVariantAnimation;

namespace tov::qt {
class DockWidget;
}

namespace tov::qt::detail {

class MotionOverlay;

/// The glide of one dock's panes after each change of its layout.
class Motion : public QObject {
 public:
  explicit Motion(DockWidget* dock);
  ~Motion() override;

  void setAnimated(bool on);
  /// As set, else whether the style's widget animations take any time.
  bool animated() const;
  /// The layout has just changed: the panes glide from where they were painted last.
  void layoutChanged();
  /// While a pane is dragged: the panes from `y` (the dock's pixels) down move apart to show where
  /// it would land; -1 closes the gap. `fromOutside`: for a drag from another dock, which only its
  /// caller ends.
  void part(int y, bool fromOutside);

 protected:
  /// A dock shown or resized is painted where it is laid out: the next glide starts there.
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  /// The frames of the shown panes in the dock's pixels, by key.
  QHash<QString, QRect> frames() const;
  /// Takes the panes' places once the event being handled is over.
  void recordLater();
  void start();
  /// Paints the panes gliding from `from` to `to`, each cut from a picture of the dock at its place
  /// in the layout, `real`; `newShot` takes that picture anew.
  void glide(const QHash<QString, QRect>& from, const QHash<QString, QRect>& to,
             const QHash<QString, QRect>& real, bool newShot);
  /// The gap follows the marker of the dock's own drag.
  void followDrag();
  void step(double t);
  void finish();

  DockWidget* mDock;
  std::optional<bool> mAnimated;
  QVariantAnimation* mAnimation;
  QPointer<MotionOverlay> mOverlay;
  /// Where the panes were painted last, at the dock's size then.
  QHash<QString, QRect> mLast;
  QSize mLastSize;
  /// Where the glide starts and ends.
  QHash<QString, QRect> mFrom, mTo;
  bool mStartPosted = false;
  bool mRecordPosted = false;
  bool mFollowPosted = false;
  /// Where the panes stand apart, or -1.
  int mPartAt = -1;
  bool mPartedFromOutside = false;
};

}  // namespace tov::qt::detail
