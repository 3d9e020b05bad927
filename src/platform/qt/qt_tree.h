#pragma once
// The element tree of the Qt backend. Windowed elements own a widget; windowless ones are painted
// and hit-tested by the widget of the element that contains them.
#include <QCursor>
#include <QPointF>
#include <QRect>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "platform/qt/qt_convert.h"
#include "platform/qt/qt_state.h"
#include "tovdock/platform.h"

class QPainter;

namespace tov::qt::detail {

class Node;

/// A widget that stands for a windowed element.
class NodeWidget {
 public:
  explicit NodeWidget(Node* node) : mNode(node) {}
  virtual ~NodeWidget() = default;
  NodeWidget(const NodeWidget&) = delete;
  NodeWidget& operator=(const NodeWidget&) = delete;

  /// Null once the element let the widget go.
  Node* node() const { return mNode; }
  void detach() { mNode = nullptr; }

  /// The handle given to the widget, 0 before one is: an element's widget carries it here, any
  /// other widget as a property.
  Hwnd handle = 0;
  /// The state's heldEpoch when the widget's geometry was last held back.
  std::uint64_t heldEpoch = 0;

 private:
  Node* mNode;
};

/// The element behind a widget of this backend, or null for any other widget.
Node* nodeOfWidget(QWidget* w);
/// The node of an element of this backend, or null.
Node* asNode(const Element* e);

/// What every element of this backend keeps, next to its Element interface.
class Node {
 public:
  Node(Element& self, std::shared_ptr<ToolkitState> state);
  virtual ~Node();
  Node(const Node&) = delete;
  Node& operator=(const Node&) = delete;

  Element& self() const { return mSelf; }
  ToolkitState& state() const { return *mState; }
  const std::shared_ptr<ToolkitState>& sharedState() const { return mState; }
  /// Expires when the element goes; made when first asked for, as most elements are never watched.
  std::weak_ptr<int> token() const {
    if (!mToken) mToken = std::make_shared<int>(0);
    return mToken;
  }
  Node* container() const { return mContainer; }
  /// The surface this element lies on; null for an element whose surface is gone.
  Node* surface();
  virtual bool isSurface() const { return false; }

  /// Windowed elements own a widget (null once it was deleted under them).
  virtual bool windowed() const { return false; }
  virtual QWidget* widget() const { return nullptr; }
  /// The surface's widget was resized by its container.
  virtual void widgetResized(QSize) {}
  /// The element's widget was shown or given another parent: it may lie in another window.
  virtual void windowChanged() {}
  /// A mouse, enter, leave or hide event reached the element's widget, before the widget takes it.
  virtual void pointerEvent(const QEvent&) {}
  /// The widget this element is drawn on: its own (or the one in it that holds its children), or
  /// its container's.
  QWidget* hostWidget() const;
  /// The widget a windowed element's children go in and its windowless ones are drawn on.
  virtual QWidget* innerWidget() const { return widget(); }
  /// Whether the element's widget stays on its surface's own widget, out of the one that holds
  /// the surface's other children.
  virtual bool outsideStack() const { return false; }
  /// The widget this element's widget goes in, in container `c`.
  QWidget* parentIn(const Node& c) const {
    return outsideStack() && c.windowed() ? c.widget() : c.hostWidget();
  }
  /// Windowed children were placed, shown, hidden or added: the element takes note of it before its
  /// widget is next painted.
  virtual void childrenPlaced() {}

  /// Twips and pixels as on the screen the surface is on.
  Scale scale() const;
  /// Pixel rectangle in the container's widget.
  QRect pxRect() const;
  /// Pixel rectangle in the widget the element is drawn on (its container's, or the first windowed
  /// one above it).
  QRect hostRect() const;
  /// Maps everything in the element to pixels again after the scale changed by `factor`.
  void relayoutChildren(double factor);
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
  /// A global point in the client twips of this windowed element.
  QPointF toTwips(QPointF global) const;
  /// The front-most visible windowless child at a point in this element's client twips.
  Node* windowlessAt(double x, double y) const;
  /// The same, and within a windowless panel found there the deepest element at the point.
  Node* deepestAt(double x, double y) const;
  /// The windowed element whose widget this one is drawn on: itself, or the first one it lies in.
  const Node* host() const;
  /// Repaints what the element covers on its host.
  void updateHost() const;
  /// What lies under a point in this element's client twips: the deepest element (with the widget
  /// that takes its input) or a widget that is no element; both null when nothing but this does.
  struct Hit {
    Node* node = nullptr;
    QWidget* widget = nullptr;
  };
  Hit hitTest(double x, double y) const;
  /// Like hitTest, but nothing outside this element and this element where no other is.
  Hit hitAt(QPointF twips) const;
  /// The windowless children, back to front.
  const std::vector<Node*>& windowless() const { return mWindowless; }
  /// Whether a child has a window of its own.
  bool holdsWindows() const { return mChildren.size() > mWindowless.size(); }
  /// Paints the windowless children, back to front.
  void paintWindowless(QPainter& painter, const QPalette& palette) const;
  /// Paints the element itself on its widget (windowed) or its host (windowless).
  virtual void paintSelf(QPainter& painter, const QPalette& palette, const QRect& area) const;
  /// False for a button set disabled: it shows no hover or press and raises no click.
  virtual bool enabled() const { return true; }
  /// Whether a point in the container's client twips hits this element.
  virtual bool hits(double x, double y) const {
    return x >= mLeft && x < mLeft + mWidth && y >= mTop && y < mTop + mHeight;
  }

  double mLeft = 0, mTop = 0, mWidth = 0, mHeight = 0;
  bool mVisible = false;
  std::string mToolTip;
  std::int32_t mPointer = 0;
  PictureRef mIcon;

 protected:
  virtual void applyGeometry();
  virtual void applyVisible();
  /// What the element keeps in pixels follows a change of the scale by `factor`.
  virtual void rescaled(double /*factor*/) {}
  /// The scale of the screen, for the surface; its elements take it from there.
  virtual const Scale* screenScale() const { return nullptr; }

 private:
  void unlink();
  /// Raises the widget among its siblings; one left outside its container's stack goes just under it.
  void raiseWidget(QWidget* w) const;

  Element& mSelf;
  std::shared_ptr<ToolkitState> mState;
  mutable std::shared_ptr<int> mToken;
  Node* mContainer = nullptr;
  std::vector<Node*> mChildren;
  std::vector<Node*> mWindowless;  // back to front
  QCursor mCursor;
  bool mHasCursor = false;
};

}  // namespace tov::qt::detail
