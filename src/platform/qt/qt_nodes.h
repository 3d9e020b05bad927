#pragma once
// The element classes of the Qt backend, each implemented in a file of its own (qt_surface.cpp,
// qt_panel.cpp, qt_label.cpp, qt_image.cpp, qt_line.cpp, qt_scroll_bar.cpp).
#include <QFont>
#include <QGlyphRun>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/element_props.h"
#include "platform/qt/qt_input.h"
#include "platform/qt/qt_tree.h"
#include "tovdock/platform.h"

namespace tov::qt::detail {

/// The Element members every element shares, kept by its Node.
template <class Base>
class QtElement : public Base, public Node {
 public:
  explicit QtElement(std::shared_ptr<ToolkitState> state)
      : Node(static_cast<Element&>(*this), std::move(state)) {}

  double Left() const override { return mLeft; }
  double Top() const override { return mTop; }
  double Width() const override { return mWidth; }
  double Height() const override { return mHeight; }
  void setLeft(double v) override {
    if (v == mLeft) return;  // a layout pass sets most places to what they are
    mLeft = v;
    geometryChanged();
  }
  void setTop(double v) override {
    if (v == mTop) return;  // a layout pass sets most places to what they are
    mTop = v;
    geometryChanged();
  }
  void setWidth(double v) override {
    if (v == mWidth) return;  // a layout pass sets most places to what they are
    mWidth = v;
    geometryChanged();
  }
  void setHeight(double v) override {
    if (v == mHeight) return;  // a layout pass sets most places to what they are
    mHeight = v;
    geometryChanged();
  }
  bool Visible() const override { return mVisible; }
  void setVisible(bool v) override { setVisibleFlag(v); }
  Element* Container() const override { return container() ? &container()->self() : nullptr; }
  void setContainer(Element* c) override {
    Node* n = asNode(c);
    if (!n) throw Failure::invalidValue("Container");
    setContainerNode(n);
  }
  void zOrderFront() override { bringToFront(); }
  std::string ToolTipText() const override { return mToolTip; }
  void setToolTipText(const std::string& v) override {
    if (v == mToolTip) return;
    mToolTip = v;
    applyToolTip();
  }
  std::int32_t MousePointer() const override { return mPointer; }
  void setMousePointer(std::int32_t v) override { setPointer(v, mIcon); }
  PictureRef MouseIcon() const override { return mIcon; }
  void setMouseIcon(PictureRef v) override { setPointer(mPointer, std::move(v)); }
  void Drag() override { startDrag(*this); }
  std::unique_ptr<Element> clone() const override {
    if (!container()) throw Failure::objectNotSet();
    return copyIn(*container());
  }
  std::unique_ptr<Element> cloneInto(Element& container) const override {
    // Made in its container: a widget created elsewhere and moved costs a second parent change.
    Node* n = asNode(&container);
    if (!n) throw Failure::invalidValue("Container");
    return copyIn(*n);
  }

 protected:
  virtual void applyToolTip() {}
  /// The copy `clone` makes, made in `container`.
  virtual std::unique_ptr<Element> copyIn(Node& container) const = 0;
};

/// Owns a widget of type W and deletes it with the element.
template <class W>
class WidgetHolder {
 public:
  ~WidgetHolder() { release(); }
  W* get() const { return mWidget.data(); }
  void reset(W* w, ToolkitState& state) {
    mWidget = w;
    mState = &state;
  }
  void release() {
    W* w = mWidget.data();
    if (!w) return;
    w->detach();
    mWidget.clear();
    if (mState->dispatchDepth > 0) {
      // Its own event or signal may be running the handler that unloads the element.
      w->hide();
      w->deleteLater();
    } else {
      delete w;
    }
  }

 private:
  QPointer<W> mWidget;
  // The element that holds this holds the state too.
  ToolkitState* mState = nullptr;
};

class SurfaceNode final : public QtElement<Surface> {
 public:
  explicit SurfaceNode(std::shared_ptr<ToolkitState> state);
  ~SurfaceNode() override;
  bool isSurface() const override { return true; }
  bool windowed() const override { return true; }
  QWidget* widget() const override { return mWidget.get(); }
  QWidget* innerWidget() const override { return mStack.data(); }
  void childrenPlaced() override;
  void windowChanged() override { mScreen.follow(widget()); }

  Hwnd hWnd() const override;
  Color BackColor() const override { return mBackColor; }
  void setBackColor(Color c) override;
  bool AmbientUserMode() const override { return mUserMode; }
  void setUserMode(bool v) { mUserMode = v; }

  // Code that sets the size raises no event; the container's resizing does (resizeTo, the widget).
  void setWidth(double v) override { resizeTo(v, mHeight, false); }
  void setHeight(double v) override { resizeTo(mWidth, v, false); }
  /// Sets both sizes; with `raise`, onResize follows once when either changed. Moves of panels
  /// are held back while the handler runs, as in every handler.
  void resizeTo(double width, double height, bool raise);
  void widgetResized(QSize s) override;

  std::unique_ptr<Panel> createPanel(Element* container) override;
  std::unique_ptr<Label> createLabel(Element* container) override;
  std::unique_ptr<Image> createImage(Element* container) override;
  std::unique_ptr<Line> createLine(Element* container) override;
  std::unique_ptr<ScrollBar> createScrollBar(Element* container) override;
  std::unique_ptr<Element> clone() const override;
  std::unique_ptr<Element> copyIn(Node& container) const override;
  void paintSelf(QPainter& painter, const QPalette& palette, const QRect& area) const override;

 protected:
  void applyToolTip() override;
  const Scale* screenScale() const override { return &mScreen.scale(); }

 private:
  Node& containerOf(Element* container);
  void scaleChanged(const Scale& before);
  WidgetHolder<ElementWidget> mWidget;
  QPointer<StackWidget> mStack;  // in the widget, and deleted with it
  ScreenFollower mScreen{[this](const Scale& before) { scaleChanged(before); }};
  Color mBackColor = kSysButtonFace;
  bool mUserMode = true;
  bool mApplying = false;
};

class PanelNode final : public QtElement<Panel> {
 public:
  /// A panel without a window of its own is drawn on its container's widget.
  PanelNode(Node& container, bool ownWindow);
  bool windowed() const override { return mOwnWindow; }
  bool hits(double x, double y) const override;
  QWidget* widget() const override { return mWidget.get(); }

  Hwnd hWnd() const override;
  Color BackColor() const override { return mBackColor; }
  void setBackColor(Color c) override;
  Font font() const override { return mFont; }
  void setFont(const Font& f) override { mFont = f; }
  double ScaleWidth() const override { return mWidth; }
  double ScaleHeight() const override { return mHeight; }
  std::optional<Gradient> gradient() const override { return mGradient; }
  void setGradient(const std::optional<Gradient>& g) override;
  bool ownWindow() const override { return mOwnWindow; }
  void setOwnWindow(bool on) override;
  void drawLine(double x1, double y1, double x2, double y2, Color c) override;
  void fillRect(double x1, double y1, double x2, double y2, Color c) override;
  std::unique_ptr<Element> copyIn(Node& container) const override;
  void paintSelf(QPainter& painter, const QPalette& palette, const QRect& area) const override;

  /// Whether the mouse is over a title button of this panel, and whether it holds it down.
  bool hovered(const Node* button) const;
  bool pressed(const Node* button) const;
  /// Follows the mouse over the panel's widget, for the look of its buttons.
  void pointerEvent(const QEvent& e) override;

 private:
  /// A line or a filled rectangle drawn on the panel, in twips, cut to the panel as it was then.
  struct Stroke {
    double x1, y1, x2, y2;
    Color color;
    bool fill;
  };
  void paintDrawing(QPainter& painter, const QPalette& palette) const;
  /// The back colour and the gradient over it, at `size` on the painter's device.
  QPixmap gradientLook(const QPainter& painter, const QPalette& palette, QSize size) const;
  const Node* buttonAt(QPointF px) const;
  /// Paints the panel again where it shows.
  void repaint() const;
  void makeWidget(const Node& container);
  WidgetHolder<ElementWidget> mWidget;
  bool mOwnWindow;
  Color mBackColor = kSysButtonFace;
  std::optional<Gradient> mGradient;
  Font mFont;
  /// What was drawn since the back colour was set, oldest first, painted again each time.
  std::vector<Stroke> mDrawing;
  std::optional<QPointF> mMouse;  // in the widget's pixels while it is over the widget
  const Node* mPressed = nullptr;
  std::weak_ptr<int> mPressedToken;
};

class LabelNode final : public QtElement<Label> {
 public:
  explicit LabelNode(Node& container);
  std::string Caption() const override { return mCaption; }
  void setCaption(const std::string& v) override;
  bool AutoSize() const override { return mAutoSize; }
  void setAutoSize(bool v) override;
  Align Alignment() const override { return mAlign; }
  void setAlignment(Align a) override;
  Font font() const override { return mFont; }
  void setFont(const Font& f) override;
  Color ForeColor() const override { return mForeColor; }
  void setForeColor(Color c) override;
  std::unique_ptr<Element> copyIn(Node& container) const override;
  void paintSelf(QPainter& painter, const QPalette& palette, const QRect& area) const override;
  const QString& text() const { return mText; }

 protected:
  void rescaled(double) override { fit(); }

 private:
  void fit();
  /// The caption (or what of it fits in `room` pixels, -1 for all) laid out once for the font
  /// and the device; a drag repaints every title it moves, and shaping the text again was most
  /// of that.
  struct Shaped {
    QString source;
    QFont font;
    int room = -1;
    int dpi = 0;
    /// The glyphs of the one line, placed from its top left corner.
    QList<QGlyphRun> glyphs;
    QSizeF size;  // as the painter lays out a single line: its natural width and its height
  };
  const Shaped& shaped(const QPaintDevice* device, int room) const;
  std::string mCaption;
  mutable std::optional<Shaped> mShaped;
  QString mText;
  bool mAutoSize = false;
  Align mAlign = Align::Left;
  Font mFont;
  QFont mQFont;
  Color mForeColor = kSysWindowText;
};

class ImageNode final : public QtElement<Image> {
 public:
  explicit ImageNode(Node& container);
  PictureRef Picture() const override { return mPicture; }
  void setPicture(PictureRef p) override;
  std::unique_ptr<Element> copyIn(Node& container) const override;
  void paintSelf(QPainter& painter, const QPalette& palette, const QRect& area) const override;
  void setEnabled(bool on) override;
  bool enabled() const override { return mEnabled; }
  /// A title button: one of the dock's own pictures, drawn as a shape that shows hover and press.
  bool isButton() const;

 private:
  void paintButton(QPainter& painter, const QPalette& palette, const QRect& area) const;
  PictureRef mPicture;
  /// The look last drawn and what it was drawn for; every bar shows its buttons alike.
  struct ButtonLook {
    QSize size;
    qreal ratio = 0;
    QRgb ink = 0;
    int state = -1;
    QPixmap pixmap;
  };
  mutable ButtonLook mLook;
  bool mEnabled = true;
  QImage mImage;
  QIcon mSource;  // the icon the picture was made from, drawn instead of its pixels
};

class LineNode final : public QtElement<Line> {
 public:
  explicit LineNode(Node& container);
  double Left() const override { return mPoints.left(); }
  double Top() const override { return mPoints.top(); }
  double Width() const override { return mPoints.width(); }
  double Height() const override { return mPoints.height(); }
  void setLeft(double v) override;
  void setTop(double v) override;
  void setWidth(double v) override;
  void setHeight(double v) override;
  double X1() const override { return mPoints.x1; }
  double Y1() const override { return mPoints.y1; }
  double X2() const override { return mPoints.x2; }
  double Y2() const override { return mPoints.y2; }
  void setPoints(double x1, double y1, double x2, double y2) override;
  Color BorderColor() const override { return mColor; }
  void setBorderColor(Color c) override;
  std::unique_ptr<Element> copyIn(Node& container) const override;
  void paintSelf(QPainter& painter, const QPalette& palette, const QRect& area) const override;
  bool hits(double, double) const override { return false; }

 private:
  void sync();
  LinePoints mPoints;
  Color mColor = kSysWindowText;
};

class ScrollBarNode final : public QtElement<ScrollBar> {
 public:
  explicit ScrollBarNode(Node& container);
  bool windowed() const override { return true; }
  QWidget* widget() const override { return mWidget.get(); }
  bool outsideStack() const override { return true; }

  std::int32_t Value() const override { return mValue; }
  void setValue(std::int32_t v) override;
  std::int32_t Max() const override { return mMax; }
  void setMax(std::int32_t v) override;
  std::int32_t SmallChange() const override { return mSmall; }
  void setSmallChange(std::int32_t v) override;
  std::int32_t LargeChange() const override { return mLarge; }
  void setLargeChange(std::int32_t v) override;
  std::unique_ptr<Element> copyIn(Node& container) const override;

  /// The widget's value moved (by code or by the user).
  void widgetValueChanged(int v, bool fromThumb);

 protected:
  void applyToolTip() override;

 private:
  WidgetHolder<ScrollBarWidget> mWidget;
  std::int32_t mValue = 0, mMax = 32767, mSmall = 1, mLarge = 1;
};

}  // namespace tov::qt::detail
