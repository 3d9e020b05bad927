#pragma once
// Element behaviour both backends share: a line's bounding box and the copy a member of an element
// array takes from its template.
#include <algorithm>
#include <cmath>

#include "tovdock/platform.h"

namespace tov {

/// The end points of a line, and the bounding box the dock reads and sets as Left, Top, Width and
/// Height: moving the box moves both ends, sizing it moves the end that lies right of (below) the
/// other one.
struct LinePoints {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;

  double left() const { return std::min(x1, x2); }
  double top() const { return std::min(y1, y2); }
  double width() const { return std::abs(x2 - x1); }
  double height() const { return std::abs(y2 - y1); }
  void setLeft(double v);
  void setTop(double v);
  void setWidth(double v);
  void setHeight(double v);
};

/// Gives `to`, an element of the same kind, every property of `from` but visibility, containment and
/// the handlers: what a member loaded into an element array takes from the template. Kind-specific
/// properties go first, so the template's size wins over a size a caption or picture gave.
void copyProperties(const Element& from, Element& to);

}  // namespace tov
