#pragma once
// Input of the Qt backend: the widgets of windowed elements turn mouse, tooltip and drop events
// into the element callbacks, the wheel into the stack's scroll bar, and the manual drag with its
// outline and drop marker.
#include <QPointF>
#include <QScrollBar>
#include <QWidget>
#include <memory>

#include "platform/qt/qt_tree.h"

namespace tov::qt::detail {

/// The widget of a windowed element; it paints the element's back colour and drawing, then the
/// windowless children, and turns mouse input into the element callbacks.
class ElementWidget : public QWidget, public NodeWidget {
 public:
  ElementWidget(Node* node, QWidget* parent);

 protected:
  bool event(QEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override { mousePressEvent(e); }
  void wheelEvent(QWheelEvent* e) override;
  void leaveEvent(QEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dragMoveEvent(QDragMoveEvent* e) override;
  void dropEvent(QDropEvent* e) override;

 private:
  // Whether the point lies on a child widget that is not an element: the event came up from it.
  bool onForeignChild(QPoint p) const;
  // A point of this widget in the surface's client twips.
  QPointF surfacePoint(QPointF local) const;
  Node* targetAt(QPointF surfacePoint) const;
  void showCursorFor(Node* target);

  std::weak_ptr<int> mCaptureToken;
  Node* mCapture = nullptr;
  Node* mCursorFrom = nullptr;
};

/// The widget over the surface's own that holds all the surface's children but the scroll bar, and
/// paints the surface: a splitter step scrolls it, with every bar in it, in one copy of the pixels,
/// while the scroll bar under the bars' edges keeps its own (see scrollShared). Its code is in
/// qt_surface.cpp.
class StackWidget final : public ElementWidget {
 public:
  using ElementWidget::ElementWidget;
  /// Ends the stack where its children end over what lies under it (the scroll bar), and masks
  /// out what of that none of them covers: it shows there and takes the mouse.
  void fit();
  /// Fits the stack before it is next painted.
  void fitLater();

 protected:
  bool event(QEvent* e) override;
  // Sized by the surface, whose element follows the size of the surface's own widget.
  void resizeEvent(QResizeEvent* e) override { QWidget::resizeEvent(e); }

 private:
  bool mFitPosted = false;
};

class ScrollBarWidget : public QScrollBar, public NodeWidget {
 public:
  ScrollBarWidget(Node* node, QWidget* parent) : QScrollBar(Qt::Vertical, parent), NodeWidget(node) {}
  int pressValue = 0;
};

/// Starts a manual drag of an element: an outline follows the cursor once it went the start
/// distance, with a marker of what a drop would do; Escape ends it without a drop.
void startDrag(Node& source);

}  // namespace tov::qt::detail
