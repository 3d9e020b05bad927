// Reordering by dragging a title onto another bar, into the top strip or onto the free area.
#include "support/dock_fixture.h"

namespace tov::test {
namespace {

class DragDrop : public DockTest {
 protected:
  /// Bars of 1000 twips, one per key, in a dock of 6000 by 6000; nothing is fitted to the dock.
  std::vector<BarRef> build(const std::vector<std::pair<std::string, std::int32_t>>& keys) {
    std::vector<BarRef> made;
    for (const auto& [key, align] : keys)
      made.push_back(addBar(key, 1000, align));
    dock->resize(6000, 6000);
    dock->setShow(true);
    host->saves.clear();
    return made;
  }
  /// A point on a bar's title strip clear of its caption and buttons, `dy` below the strip's top.
  std::pair<double, double> onTitle(const BarRef& b, double dy = 100) {
    Panel& strip = access().picTitel(b->Index());
    return {ui->absLeft(strip) + 1500, ui->absTop(strip) + dy};
  }
  void drag(const BarRef& from, std::pair<double, double> to) {
    const auto [x, y] = onTitle(from);
    ui->press(x, y);
    ui->release(to.first, to.second);
  }
  void dragOnto(const BarRef& from, const BarRef& onto) { drag(from, onTitle(onto)); }
  std::int32_t left(const BarRef& b) { return toInt32(access().picDockBar(b->Index()).Left()); }

  static constexpr std::pair<double, double> kFreeLeft{1000, 5000};
  static constexpr std::pair<double, double> kFreeRight{4500, 5000};
};

TEST_P(DragDrop, ADroppedBarTakesTheTargetsPlaceAndColumn) {
  const std::vector<std::pair<std::string, std::int32_t>> keys{
      {"A", eAlignTop}, {"B", eAlignLeft}, {"C", eAlignLeft}, {"D", eAlignRight}};
  auto made = build(keys);
  dragOnto(made[3], made[1]);  // upwards: D lands before B
  EXPECT_EQ(order(), "A,D,B,C");
  EXPECT_EQ(made[3]->AlignBar(), eAlignLeft);
  EXPECT_EQ(left(made[3]), 0);
  EXPECT_EQ(top(made[1]), 2000);
  EXPECT_EQ(access().dragSource(), 0);
  // The new order is saved at once.
  EXPECT_EQ(host->value("D"), "2:2:1:1000");
  EXPECT_EQ(host->value("B"), "3:2:1:1000");

  bars()->Clear();
  host->store.clear();  // or the rebuilt bars would come back in the saved order
  made = build(keys);
  dragOnto(made[0], made[2]);  // downwards: A lands behind C
  EXPECT_EQ(order(), "B,C,A,D");
  EXPECT_EQ(made[0]->AlignBar(), eAlignLeft);
  EXPECT_EQ(top(made[0]), 2000);
  EXPECT_EQ(host->value("A"), "3:2:1:1000");
}

TEST_P(DragDrop, TheTopStripMakesABarTheFirstTopBar) {
  auto made = build({{"P", eAlignLeft}, {"Q", eAlignLeft}, {"R", eAlignRight}});
  const BarRef &P = made[0], &Q = made[1];

  // The topmost bar onto itself in the strip: its Top (0) is not below the cursor.
  dragOnto(P, P);
  EXPECT_EQ(order(), "P,Q,R");
  EXPECT_EQ(P->AlignBar(), eAlignLeft);
  EXPECT_FALSE(host->saves.empty());  // laid out and saved all the same

  // A bar that cannot move is no target, wherever the cursor is, and cannot be dragged either (the
  // press starts nothing, the release drops nothing); a bar dropped on itself stays.
  host->saves.clear();
  P->setCanMove(false);
  dragOnto(Q, P);
  dragOnto(P, Q);
  dragOnto(Q, Q);
  EXPECT_EQ(order(), "P,Q,R");
  EXPECT_EQ(Q->AlignBar(), eAlignLeft);
  EXPECT_TRUE(host->saves.empty());
  EXPECT_TRUE(ui->messages().empty());

  P->setCanMove(true);
  dragOnto(Q, P);
  EXPECT_EQ(order(), "Q,P,R");
  EXPECT_EQ(Q->AlignBar(), eAlignTop);
  EXPECT_EQ(top(Q), 0);
  EXPECT_EQ(top(P), 1000);
  EXPECT_EQ(host->value("Q"), "1:1:1:1000");
}

TEST_P(DragDrop, TheTopStripEndsAtTwentyPixels) {
  // 20 pixels (300 twips) down on the right column's first bar, a drop takes its column; 19 pixels
  // down it is in the strip and makes the bar the first top bar.
  for (double y : {300.0, 285.0}) {
    bars()->Clear();
    auto made = build({{"P", eAlignLeft}, {"Q", eAlignLeft}, {"R", eAlignRight}});
    drag(made[1], {onTitle(made[2]).first, y});
    EXPECT_EQ(made[1]->AlignBar(), y < 300 ? eAlignTop : eAlignRight) << y;
    EXPECT_EQ(order(), y < 300 ? "Q,P,R" : "P,R,Q") << y;
  }
}

TEST_P(DragDrop, WhileDraggingTheMarkerShowsWhatTheDropWouldDo) {
  auto made = build({{"P", eAlignLeft}, {"Q", eAlignLeft}, {"R", eAlignRight}});
  const BarRef &Q = made[1], &R = made[2];
  const Panel& r = access().picDockBar(R->Index());
  const auto [x, y] = onTitle(Q);
  ui->press(x, y);
  auto at = [&](double px, double py) {
    ui->move(px, py);
    const DropHint h = ui->dropHint();
    return std::vector<double>{static_cast<double>(h.kind), h.x1, h.y1, h.x2, h.y2};
  };
  using K = DropHint::Kind;
  const double line = static_cast<double>(K::Line), none = static_cast<double>(K::None);
  const double rx = onTitle(R).first, right = r.Left() + r.Width();
  // In the top strip Q would become the first bar over the whole width; below it, go behind R.
  EXPECT_EQ(at(rx, 285), (std::vector<double>{line, 0, 0, right, 0}));
  EXPECT_EQ(at(rx, 300), (std::vector<double>{line, r.Left(), 1000, right, 1000}));
  // On itself, and on the left free area whose last bar it is, a drop changes nothing.
  EXPECT_EQ(at(x, y + 300), (std::vector<double>{none, 0, 0, 0, 0}));
  EXPECT_EQ(at(kFreeLeft.first, kFreeLeft.second), (std::vector<double>{none, 0, 0, 0, 0}));
  // The right half of the free area, below the bars that reach into it.
  EXPECT_EQ(at(3000, 5000), (std::vector<double>{static_cast<double>(K::Area), 3000, 1000, 6000, 6000}));
  ui->release(3000, 5000);
  EXPECT_EQ(order(), "P,R,Q");
  EXPECT_EQ(Q->AlignBar(), eAlignRight);
  EXPECT_EQ(ui->dropHint(), DropHint{});
}

TEST_P(DragDrop, TheFreeAreaAppendsToAColumn) {
  auto made = build({{"1", eAlignTop}, {"2", eAlignTop}, {"3", eAlignTop}, {"4", eAlignTop}});
  // The last top bar on the left side and the last bar on the right side are the bar itself.
  drag(made[3], kFreeLeft);
  drag(made[3], kFreeRight);
  EXPECT_EQ(order(), "1,2,3,4");
  EXPECT_EQ(made[3]->AlignBar(), eAlignTop);
  EXPECT_TRUE(host->saves.empty());

  drag(made[1], kFreeLeft);
  EXPECT_EQ(order(), "1,3,4,2");
  EXPECT_EQ(made[1]->AlignBar(), eAlignTop);

  drag(made[2], kFreeRight);
  EXPECT_EQ(order(), "1,4,2,3");
  EXPECT_EQ(made[2]->AlignBar(), eAlignRight);
  EXPECT_EQ(left(made[2]), 2990);
  EXPECT_EQ(top(made[2]), 3000);
  EXPECT_EQ(host->value("3"), "4:3:1:1000");
}

TEST_P(DragDrop, TheLeftSideFollowsTheLastTopOrLeftBarOrStartsALeftColumn) {
  auto mixed = build({{"A", eAlignTop}, {"B", eAlignLeft}, {"C", eAlignRight}, {"D", eAlignBottom}});
  drag(mixed[3], kFreeLeft);
  EXPECT_EQ(order(), "A,B,D,C");
  EXPECT_EQ(mixed[3]->AlignBar(), eAlignLeft);
  EXPECT_EQ(top(mixed[3]), 2000);

  bars()->Clear();
  auto right = build({{"1", eAlignRight}, {"2", eAlignRight}, {"3", eAlignRight}});
  drag(right[2], {1000, 1000});  // the whole left half is free
  EXPECT_EQ(order(), "1,3,2");
  EXPECT_EQ(right[2]->AlignBar(), eAlignLeft);

  bars()->Clear();
  auto bottom = build({{"4", eAlignBottom}, {"5", eAlignBottom}, {"6", eAlignBottom}});
  drag(bottom[2], kFreeLeft);
  EXPECT_EQ(order(), "4,6,5");
  EXPECT_EQ(bottom[2]->AlignBar(), eAlignLeft);
  EXPECT_TRUE(ui->messages().empty());
}

TEST_P(DragDrop, ForeignDropsChangeNothing) {
  auto bars4 = build({{"A", eAlignTop}, {"B", eAlignLeft}, {"C", eAlignLeft}, {"D", eAlignRight}});
  const BarRef &B = bars4[1], &D = bars4[3];
  ui->dropForeign(1500, 2100);  // before the dock ever dragged
  EXPECT_EQ(order(), "A,B,C,D");

  dragOnto(D, B);
  ASSERT_EQ(order(), "A,D,B,C");
  host->saves.clear();
  // On a title, in the top strip and on both sides of the free area.
  for (auto [x, y] : {onTitle(bars4[2]), std::pair{onTitle(bars4[0]).first, 100.0}, kFreeLeft, kFreeRight})
    ui->dropForeign(x, y);
  EXPECT_EQ(order(), "A,D,B,C");
  EXPECT_EQ(D->AlignBar(), eAlignLeft);
  EXPECT_TRUE(host->saves.empty());
  EXPECT_TRUE(ui->messages().empty());
}

TOV_BACKEND_SUITE(DragDrop);

}  // namespace
}  // namespace tov::test
