#pragma once
// Elements of the Qt backend. Windowed elements own a widget; windowless ones are painted and
// hit-tested by the widget of the element that contains them.
#include <QCursor>
#include <QFont>
#include <QImage>
#include <QPointer>
#include <QScrollBar>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "tovdock/platform.h"

class QRubberBand;

namespace tov::qt::detail {

class Node;
class SurfaceNode;

/// Twips to whole pixels on the primary screen.
int px(double twips);

/// While handlers called from Qt are running, a widget whose element goes away is deleted later:
/// its own event or signal may be the one running the handler.
int& dispatchDepth();
struct DispatchScope {
  DispatchScope() { ++dispatchDepth(); }
  ~DispatchScope() { --dispatchDepth(); }
  DispatchScope(const DispatchScope&) = delete;
  DispatchScope& operator=(const DispatchScope&) = delete;
};

void reportHandlerFailure(const char* what);

/// Calls a copy of a handler; an exception from it must not unwind through Qt.
template <class F, class... A>
void callHandler(const F& handler, A&&... args) {
  F copy = handler;
  if (!copy) return;
  DispatchScope scope;
  try {
    copy(std::forward<A>(args)...);
  } catch (const std::exception& e) {
    reportHandlerFailure(e.what());
  }
}

QColor toQColor(Color c, const QPalette& palette);
/// The picture as an image, and as a cursor with its hot spot; converted once per picture.
QImage toImage(const PictureRef& p);
QCursor toCursor(const PictureRef& p);
QFont toQFont(const Font& f);

/// Records the position of a mouse event for GetCursorPos (the offscreen platform has no cursor).
void noteCursorPos(QPoint global);
QPoint cursorPos();

/// The widget of a windowed element; it paints the element's back colour and drawing, then the
/// windowless children, and turns mouse input into the element callbacks.
class ElementWidget : public QWidget {
 public:
  ElementWidget(Node* node, QWidget* parent);
  Node* node() const { return mNode; }
  void detach() { mNode = nullptr; }

 protected:
  bool event(QEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override { mousePressEvent(e); }
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

  Node* mNode;
  std::weak_ptr<int> mCaptureToken;
  Node* mCapture = nullptr;
  Node* mCursorFrom = nullptr;
};

class ScrollBarWidget : public QScrollBar {
 public:
  ScrollBarWidget(Node* node, QWidget* parent) : QScrollBar(Qt::Vertical, parent), mNode(node) {}
  Node* node() const { return mNode; }
  void detach() { mNode = nullptr; }
  int pressValue = 0;

 private:
  Node* mNode;
};

/// The element behind a widget of this backend, or null for any other widget.
Node* nodeOfWidget(QWidget* w);

/// What every element of this backend keeps, next to its Element interface.
class Node {
 public:
  Node(Element& self, Node* container);
  virtual ~Node();
  Node(const Node&) = delete;
  Node& operator=(const Node&) = delete;

  Element& self() const { return mSelf; }
  std::weak_ptr<int> token() const { return mToken; }
  Node* container() const { return mContainer; }
  SurfaceNode* surface();

  /// Windowed elements own a widget (null once it was deleted under them).
  virtual bool windowed() const { return false; }
  virtual QWidget* widget() const { return nullptr; }
  /// The surface's widget was resized by its container.
  virtual void widgetResized(QSize) {}
  /// The widget this element is drawn on: its own, or its container's.
  QWidget* hostWidget() const;

  /// Pixel rectangle in the container's widget.
  QRect pxRect() const;
  void geometryChanged() { applyGeometry(); }
  void setVisibleFlag(bool v);
  void setContainerNode(Node* c);
  void bringToFront();
  void setPointer(std::int32_t pointer, PictureRef icon);
  /// The Qt cursor for this element's pointer; false for the default pointer.
  bool cursor(QCursor& out) const;

  /// Position of the element's top left corner in the surface's client twips.
  double absLeft() const;
  double absTop() const;
  /// The front-most visible windowless child at a point in this element's client twips.
  Node* windowlessAt(double x, double y) const;
  /// What lies under a point in this element's client twips: the deepest element (with the widget
  /// that takes its input) or a widget that is no element; both null when nothing but this does.
  struct Hit {
    Node* node = nullptr;
    QWidget* widget = nullptr;
  };
  Hit hitTest(double x, double y) const;
  /// Paints the windowless children, back to front.
  void paintWindowless(QPainter& painter, const QPalette& palette) const;
  /// Paints the element itself on its widget (windowed) or its host (windowless).
  virtual void paintSelf(QPainter& painter, const QPalette& palette, const QRect& area) const;
  /// Whether a point in the container's client twips hits this element.
  virtual bool hits(double x, double y) const {
    return x >= mLeft && x < mLeft + mWidth && y >= mTop && y < mTop + mHeight;
  }

  /// Starts a manual drag with an outline following the cursor.
  void startDrag();
  /// Mouse arguments for a point in the surface's client twips.
  MouseArgs argsAt(QPointF surfacePoint, std::int16_t button, std::int16_t shift) const;

  double mLeft = 0, mTop = 0, mWidth = 0, mHeight = 0;
  bool mVisible = false;
  std::string mToolTip;
  std::int32_t mPointer = 0;
  PictureRef mIcon;

 protected:
  /// Repaints what the element covers on its host.
  void updateHost() const;
  virtual void applyGeometry();
  virtual void applyVisible();

 private:
  friend class SurfaceNode;
  Element& mSelf;
  std::shared_ptr<int> mToken = std::make_shared<int>(0);
  Node* mContainer = nullptr;
  std::vector<Node*> mChildren;
  std::vector<Node*> mWindowless;  // back to front
  QCursor mCursor;
  bool mHasCursor = false;
};

/// Ends a manual drag at a global point: drops on the element there.
void endDrag(QPointF global);
/// Moves the drag outline; false when no drag is on.
bool moveDrag(QPoint global);
void cancelDrag();
bool dragActive();
Node* dragSource();

Node* asNode(const Element* e);

}  // namespace tov::qt::detail
