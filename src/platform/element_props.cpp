#include "platform/element_props.h"

namespace tov {

void LinePoints::setLeft(double v) {
  const double d = v - left();
  x1 += d;
  x2 += d;
}

void LinePoints::setTop(double v) {
  const double d = v - top();
  y1 += d;
  y2 += d;
}

void LinePoints::setWidth(double v) {
  if (x2 >= x1)
    x2 = x1 + v;
  else
    x1 = x2 + v;
}

void LinePoints::setHeight(double v) {
  if (y2 >= y1)
    y2 = y1 + v;
  else
    y1 = y2 + v;
}

namespace {

template <class T>
void copyKind(const Element& from, Element& to, void (*copy)(const T&, T&)) {
  copy(static_cast<const T&>(from), static_cast<T&>(to));
}

}  // namespace

void copyProperties(const Element& from, Element& to) {
  if (from.kind() != to.kind()) throw Failure("Type mismatch", 13);
  switch (from.kind()) {
    case Element::Kind::Surface:
      copyKind<Surface>(from, to, [](const Surface& f, Surface& t) { t.setBackColor(f.BackColor()); });
      break;
    case Element::Kind::Panel:
      copyKind<Panel>(from, to, [](const Panel& f, Panel& t) {
        t.setBackColor(f.BackColor());
        t.setGradient(f.gradient());
        t.setFont(f.font());
      });
      break;
    case Element::Kind::Label:
      copyKind<Label>(from, to, [](const Label& f, Label& t) {
        t.setFont(f.font());
        t.setAlignment(f.Alignment());
        t.setForeColor(f.ForeColor());
        t.setAutoSize(f.AutoSize());
        t.setCaption(f.Caption());
      });
      break;
    case Element::Kind::Image:
      copyKind<Image>(from, to, [](const Image& f, Image& t) { t.setPicture(f.Picture()); });
      break;
    case Element::Kind::Line:
      copyKind<Line>(from, to, [](const Line& f, Line& t) {
        t.setPoints(f.X1(), f.Y1(), f.X2(), f.Y2());
        t.setBorderColor(f.BorderColor());
      });
      break;
    case Element::Kind::ScrollBar:
      copyKind<ScrollBar>(from, to, [](const ScrollBar& f, ScrollBar& t) {
        t.setMax(f.Max());
        t.setSmallChange(f.SmallChange());
        t.setLargeChange(f.LargeChange());
        t.setValue(f.Value());
      });
      break;
  }
  // A line's box is its points, copied exactly above; setting it again could round an end.
  if (from.kind() != Element::Kind::Line) {
    to.setLeft(from.Left());
    to.setTop(from.Top());
    to.setWidth(from.Width());
    to.setHeight(from.Height());
  }
  to.setToolTipText(from.ToolTipText());
  // The icon first: a custom pointer then finds its picture at once.
  to.setMouseIcon(from.MouseIcon());
  to.setMousePointer(from.MousePointer());
}

}  // namespace tov
