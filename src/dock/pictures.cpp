// The title buttons and the hand cursor, drawn in code so that the library ships no image files.
#include <cmath>
#include <functional>
#include <numbers>

#include "dock/dock_private.h"

namespace tov::pictures {
namespace {

constexpr std::uint32_t kClear = 0x00000000;
constexpr std::uint32_t kBody = 0xFFC0C0C0;
constexpr std::uint32_t kLight = 0xFFFFFFFF;
constexpr std::uint32_t kShadow = 0xFF333333;

using Mask = std::function<bool(int x, int y)>;

// A shape in relief: white where light falls on its upper left edges, dark grey on its lower right.
PictureRef relief(int size, Picture::Symbol symbol, const Mask& inside) {
  auto pic = std::make_shared<Picture>();
  pic->width = pic->height = size;
  pic->symbol = symbol;
  pic->pixels.assign(static_cast<std::size_t>(size * size), kClear);
  auto in = [&](int x, int y) { return x >= 0 && y >= 0 && x < size && y < size && inside(x, y); };
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      if (!in(x, y)) continue;
      std::uint32_t c = kBody;
      if (!in(x - 1, y) || !in(x, y - 1)) {
        c = kLight;
      } else if (!in(x + 1, y) || !in(x, y + 1)) {
        c = kShadow;
      }
      pic->pixels[static_cast<std::size_t>(y * size + x)] = c;
    }
  }
  return pic;
}

bool nearDiagonal(int x, int y) {
  const int d1 = x - y;
  const int d2 = x + y - 15;
  const bool inBox = x >= 2 && x <= 13 && y >= 2 && y <= 13;
  return inBox && ((d1 >= -1 && d1 <= 1) || (d2 >= -1 && d2 <= 1));
}

// Two chevrons, each a V of thickness three, pointing down (or up when flipped).
bool chevrons(int x, int y, bool up) {
  if (up) y = 15 - y;
  for (int top : {2, 8}) {
    const int dy = y - top;
    if (dy < 0 || dy > 5) continue;
    const int left = 2 + dy;
    const int right = 13 - dy;
    if ((x >= left - 1 && x <= left + 1 && dy <= 4) || (x >= right - 1 && x <= right + 1 && dy <= 4))
      return true;
    if (dy == 5 && x >= 6 && x <= 9) return true;
  }
  return false;
}

}  // namespace

PictureRef closeButton() {
  static const PictureRef pic = relief(16, Picture::Symbol::Close, nearDiagonal);
  return pic;
}

PictureRef expandButton() {
  static const PictureRef pic =
      relief(16, Picture::Symbol::Expand, [](int x, int y) { return chevrons(x, y, false); });
  return pic;
}

PictureRef collapseButton() {
  static const PictureRef pic =
      relief(16, Picture::Symbol::Collapse, [](int x, int y) { return chevrons(x, y, true); });
  return pic;
}

PictureRef optionsButton() {
  static const PictureRef pic = [] {
    auto p = std::make_shared<Picture>();
    p->width = p->height = 16;
    p->symbol = Picture::Symbol::Options;
    p->pixels.assign(256, kClear);
    // Shaded along the diagonal from light lavender to dark navy in 64 steps.
    const int from[3] = {0xA8, 0xA8, 0xD2};
    const int to[3] = {0x18, 0x18, 0x49};
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) {
        const double dx = x - 7.5, dy = y - 7.5;
        const double r = std::hypot(dx, dy);
        const double angle = std::atan2(dy, dx);
        const double outer = std::cos(8 * angle) > 0 ? 7.4 : 5.6;
        if (r > outer || r < 2.3) continue;
        const int step = std::min(63, static_cast<int>((x + y) * 64 / 31));
        std::uint32_t c = 0xFF000000;
        for (int ch = 0; ch < 3; ++ch) {
          const int v = from[ch] + (to[ch] - from[ch]) * step / 63;
          c |= static_cast<std::uint32_t>(v) << (16 - 8 * ch);
        }
        p->pixels[static_cast<std::size_t>(y * 16 + x)] = c;
      }
    }
    return PictureRef(p);
  }();
  return pic;
}

PictureRef handCursor() {
  static const PictureRef pic = [] {
    auto p = std::make_shared<Picture>();
    p->width = p->height = 32;
    p->hotX = 5;
    p->hotY = 0;
    p->symbol = Picture::Symbol::Hand;
    auto hand = [](int x, int y) {
      const bool finger = x >= 4 && x <= 7 && y >= 1 && y <= 14;
      const bool knuckles = y >= 9 && y <= 14 &&
                            ((x >= 8 && x <= 10 && y >= 10) || (x >= 11 && x <= 13 && y >= 11) ||
                             (x >= 14 && x <= 16 && y >= 12));
      const bool palm = x >= 4 && x <= 16 && y >= 14 && y <= 24;
      const bool thumb = x >= 1 && x <= 4 && y >= 15 && y <= 19;
      const bool wrist = x >= 6 && x <= 15 && y >= 24 && y <= 27;
      return finger || knuckles || palm || thumb || wrist;
    };
    p->pixels.assign(32 * 32, kClear);
    for (int y = 0; y < 32; ++y) {
      for (int x = 0; x < 32; ++x) {
        if (hand(x, y)) {
          p->pixels[static_cast<std::size_t>(y * 32 + x)] = 0xFFFFFFFF;
          continue;
        }
        for (int oy = -1; oy <= 1; ++oy) {
          for (int ox = -1; ox <= 1; ++ox) {
            if (hand(x + ox, y + oy)) p->pixels[static_cast<std::size_t>(y * 32 + x)] = 0xFF000000;
          }
        }
      }
    }
    return PictureRef(p);
  }();
  return pic;
}

}  // namespace tov::pictures
