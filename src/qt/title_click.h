#pragma once
// A click on a pane's title strip folds or unfolds the pane, as a click on a QToolBox's tab does.
#include <QObject>
#include <QPoint>
#include <QPointer>

class QWidget;

namespace tov::qt {
class DockWidget;
}

namespace tov::qt::detail {

/// Watches the title strips of one dock for clicks: a left press on the strip, its captions or its
/// icon and a release there that never went the start distance from it. The press has begun the
/// dock's drag of the pane; a click ends it without a drop, so that the fold alone is laid out and
/// saved, and a real drag never folds.
class TitleClicks : public QObject {
 public:
  explicit TitleClicks(DockWidget* dock);
  /// The watcher of a dock's title strips.
  static TitleClicks* of(const DockWidget* dock);

  /// Watches a pane's title strip.
  void attach(QWidget* title);
  /// Whether a click folds (on, the start).
  bool folds() const { return mFolds; }
  void setFolds(bool on) { mFolds = on; }

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  /// Whether a point of a title strip lies on the strip itself, a caption or the icon.
  bool onStrip(QWidget* title, QPoint at) const;

  DockWidget* mDock;
  bool mFolds = true;
  QPointer<QWidget> mPressed;
  QPoint mPressAt;  // global
  bool mMoved = false;
};

}  // namespace tov::qt::detail
