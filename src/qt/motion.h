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

 protected:
  /// A dock shown or resized is painted where it is laid out: the next glide starts there.
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  /// The frames of the shown panes in the dock's pixels, by key.
  QHash<QString, QRect> frames() const;
  /// Takes the panes' places once the event being handled is over.
  void recordLater();
  void start();
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
};

}  // namespace tov::qt::detail
