// The title buttons (close, collapse, expand, options) and right clicks on titles and background,
// by mouse and by the calls that stand for them; reordering by dragging a title onto another bar,
// into the top strip or onto the free area, and by the call that stands for a drop.
#include "support/dock_fixture.h"

namespace tov::test {
namespace {

using Point = std::pair<double, double>;

/// Input on the title strips: clicks on their elements, and titles dragged and dropped.
struct Commands : DockTest {
  /// Clicks an element `dx` from its left and 100 below its top.
  void click(Element& e, std::int16_t button = btnLeft, double dx = 100) {
    ui->click(ui->absLeft(e) + dx, ui->absTop(e) + 100, button);
  }
  /// Bars A, B, C ... of 1000 twips, one per letter of `groups` (T, L, R, B: top, left, right, bottom
  /// group), in a dock of 6000 by 6000; nothing is fitted to the dock.
  std::vector<BarRef> build(std::string_view groups) {
    bars()->Clear();
    host->store.clear();  // or the rebuilt bars would come back in the saved order
    std::vector<BarRef> made;
    for (const char group : groups)
      made.push_back(addBar(std::string(1, char('A' + made.size())), 1000,
                            eAlignTop + static_cast<std::int32_t>(std::string_view("TLRB").find(group))));
    show(6000, 6000);
    host->saves.clear();
    return made;
  }
  /// A point on a bar's title strip clear of its caption and buttons, `dy` below the strip's top.
  Point onTitle(const BarRef& b, double dy = 100) {
    Panel& strip = access().picTitel(b->Index());
    return {ui->absLeft(strip) + 1500, ui->absTop(strip) + dy};
  }
  void drag(Point from, Point to) {
    ui->press(from.first, from.second);
    ui->release(to.first, to.second);
  }
  /// The order, the group of bar `b` and whether the drop was saved.
  std::string outcome(const BarRef& b) {
    return order() + " " + std::to_string(b->AlignBar()) + (host->saves.empty() ? " " : " saved");
  }
};

TEST_P(Commands, CloseHidesTheBarThenRaisesClosedButNeverTheLastVisibleOne) {
  auto made = addBars({"a", "b", ""}, 1000, false);
  const BarRef &a = made[0], &b = made[1], &c = made[2];
  for (const BarRef& bar : made)
    bar->setShowClose(true), bar->setState(bar == a ? eBarExpanded : eBarHidden);
  std::vector<std::string> closed;
  // The bar is already hidden and the rest laid out when the application hears of it.
  dock->Closed = [&](std::string& key) { closed.push_back(key + " " + snap()); };
  show();
  // Hidden bars do not count; the refusal goes through the host, not a message box.
  click(access().imgClose(a->Index()));
  EXPECT_FALSE(dock->closeBar(a->Index()));
  EXPECT_EQ(host->messages,
            std::vector<std::string>(2, "Sie müssen mindestens ein Element sichtbar lassen!"));
  c->setState(eBarExpanded);
  click(access().imgClose(a->Index()));  // the last bar counts too
  b->setState(eBarExpanded);
  c->setState(eBarHidden);
  a->setState(eBarCollapsed);  // a collapsed bar counts as visible, but not when it is the last
  EXPECT_TRUE(dock->closeBar(b->Index()));
  EXPECT_FALSE(dock->closeBar(a->Index()));
  EXPECT_EQ(closed, (std::vector<std::string>{"a a:1:2:0@0 b:1:2:0@0 :1:1:1000@0",
                                              "b a:1:0:260@0 b:1:2:0@260 :1:2:0@260"}));
  // While the stored settings are applied, the close button does nothing at all.
  host->hostile = [&](std::string_view op) {
    if (op == "GetSetting") click(access().imgClose(a->Index()));
  };
  dock->setShow(true);
  host->hostile = nullptr;
  EXPECT_EQ(std::tuple(a->State(), closed.size(), host->messages.size(), ui->messages().size()),
            std::tuple(eBarCollapsed, 2u, 3u, 0u));
}

TEST_P(Commands, CollapseAndExpandAreSavedAtOnce) {
  auto made = addBars({"a", "b", "c"});
  const BarRef &a = made[0], &b = made[1];
  EXPECT_FALSE(dock->collapseBar(a->Index())) << "nothing is on screen yet";
  show();
  click(access().imgCollapse(b->Index()));
  // The bar below takes up the difference.
  EXPECT_EQ(snap() + " " + host->value("b"), "a:1:1:1200@0 b:1:0:260@1200 c:1:1:2040@1460 2:1:0:1200");
  // Refused: folding a folded bar, unfolding an open one, and either for a bar without fold buttons.
  std::vector refused{dock->collapseBar(b->Index()), dock->expandBar(a->Index())};
  a->setCanExpand(false), b->setCanExpand(false);
  refused.insert(refused.end(), {dock->collapseBar(a->Index()), dock->expandBar(b->Index())});
  a->setCanExpand(true), b->setCanExpand(true);
  EXPECT_EQ(refused, std::vector(4, false));
  // The application's own state changes are laid out but not saved: only the user's action saves.
  host->saves.clear();
  b->setState(eBarExpanded);
  b->setState(eBarCollapsed);
  click(access().imgExpand(b->Index()));
  EXPECT_EQ(std::tuple(host->saves.size(), host->value("b")), std::tuple(3u, "2:1:1:1200"));
  const std::vector values{dock->collapseBar(b->Index()) ? host->value("b") : "refused",
                           dock->expandBar(b->Index()) ? host->value("b") : "refused"};
  EXPECT_EQ(values, std::vector<std::string>({"2:1:0:1200", "2:1:1:1200"}));
}

TEST_P(Commands, OptionsActOnTheKeyAndReloadFlagTheApplicationHandsBack) {
  auto a = addBar("a", 1000), b = addBar("b", 700);
  a->setShowOptions(true);
  show();
  EXPECT_FALSE(dock->requestOptions(b->Index())) << "b has no options button";
  // An emptied key stops every follow-up: the changed group is not applied.
  std::vector<std::string> asked;
  dock->OptShow = [&](std::string& key, bool& reload) {
    asked.push_back(key + (reload ? " reload" : ""));
    a->setAlignBar(eAlignBottom);
    key.clear();
  };
  click(access().imgOpt(a->Index()));
  EXPECT_EQ(std::tuple(asked, snap()),
            std::tuple(std::vector<std::string>{"a"}, "a:4:1:1000@0 b:1:1:700@1000"));
  // Stored values and scheme colours are only read again when the application asks for it.
  host->store[{"DockBar", "b"}] = "2:4:0:700";
  host->colors[140] = 0x123456;
  dock->OptShow = [&](std::string&, bool&) {};
  EXPECT_TRUE(dock->requestOptions(a->Index()));
  EXPECT_EQ(snap() + " " + std::to_string(a->BackColor() == 0x123456), "b:1:1:700@0 a:4:1:1000@700 0");
  dock->OptShow = [&](std::string&, bool& reload) { reload = true; };
  click(access().imgOpt(a->Index()));
  EXPECT_EQ(snap() + " " + std::to_string(a->BackColor() == 0x123456), "a:4:1:1000@0 b:4:0:260@1000 1");
}

TEST_P(Commands, RightClicksRaiseTheKeyAndOnlyTitlesLayOut) {
  auto a = addBar("a", 1000), b = addBar("b", 700);
  show();
  std::vector<std::string> keys;
  BarRef regroup = a;
  dock->RightClick = [&](std::string& key) {
    keys.push_back(key);
    regroup->setAlignBar(eAlignBottom);
  };
  host->saves.clear();
  click(access().picTitel(a->Index()), btnRight, 1500);  // on the strip, clear of caption and buttons
  EXPECT_EQ(std::tuple(access().dragSource(), order()), std::tuple(0, "b,a"));  // and starts no drag
  // The background: the key is empty and nothing follows; other buttons there raise nothing.
  regroup = b;
  for (const std::int16_t button : {btnRight, btnLeft, btnMiddle})
    ui->click(3000, 3000, button);
  EXPECT_EQ(snap(), "b:4:1:700@0 a:4:1:1000@700");
  a->setAlignBar(eAlignTop);
  EXPECT_EQ((std::tuple{dock->requestContextMenu(a->Index()), snap(), keys, host->saves.size()}),
            std::tuple(true, "a:1:1:1000@0 b:4:1:700@1000", std::vector<std::string>{"a", "", "a"}, 0u));
}

TEST_P(Commands, ADroppedBarTakesTheTargetsPlaceAndColumnAndIsSavedAtOnce) {
  auto made = build("TLLR");
  drag(onTitle(made[3]), onTitle(made[1]));  // upwards: D lands before B
  EXPECT_EQ(snap() + " " + host->value("B"),
            "A:1:1:1000@0 D:2:1:1000@1000 B:2:1:1000@2000 C:2:1:1000@3000 3:2:1:1000");
  EXPECT_EQ(std::tuple(access().dragSource(), access().picDockBar(made[3]->Index()).Left()),
            std::tuple(0, 0.0));
  made = build("TLLR");
  drag(onTitle(made[0]), onTitle(made[2]));  // downwards: A lands behind C
  EXPECT_EQ(snap() + " " + host->value("A"),
            "B:2:1:1000@0 C:2:1:1000@1000 A:2:1:1000@2000 D:3:1:1000@0 3:2:1:1000");
  // The call moves as a drop does; a place or group out of range, or no change, is refused.
  const BarIndex d = made[3]->Index();
  EXPECT_EQ(std::vector({dock->moveBar(d, 5, eAlignTop), dock->moveBar(d, 1, 5),
                         dock->moveBar(d, 4, eAlignRight), dock->moveBar(d, 1, eAlignTop)}),
            std::vector({false, false, false, true}));
  EXPECT_EQ(outcome(made[3]) + " " + host->value("D"), "D,B,C,A 1 saved 1:1:1:1000");
  EXPECT_TRUE(dock->moveBar(made[0]->Index(), 4, eAlignRight));  // the last place is one
  EXPECT_EQ(outcome(made[0]), "D,B,C,A 3 saved");
  // A bar that cannot move is no target and cannot be dragged, nor moved by the call.
  made[3]->setCanMove(false);
  drag(onTitle(made[0]), onTitle(made[3]));
  drag(onTitle(made[3]), onTitle(made[1]));
  EXPECT_EQ(std::tuple(dock->moveBar(d, 2, eAlignTop), outcome(made[0]), ui->messages().size()),
            std::tuple(false, "D,B,C,A 3 saved", 0u));
}

TEST_P(Commands, TheTopStripOfTwentyPixelsMakesABarTheFirstTopBar) {
  // Bars A, B (left) and C (right); which bar is dragged, onto which, how far below the top of
  // the target's title; the order and the dragged bar's group after the drop; whether it saved.
  // The topmost bar dropped onto itself in the strip stays: its Top (0) is not below the cursor
  // (unless the cursor is at 0 too), but the drop is laid out and saved all the same. Dropped 20
  // pixels (300 twips) down on the right column's first bar, a bar takes its column; 19 pixels
  // down it is in the strip.
  for (auto [from, onto, dy, result] : std::vector<std::tuple<std::size_t, std::size_t, double, std::string>>{
           {0, 0, 100, "A,B,C 2 saved@0"},
           {0, 0, 0, "A,B,C 2 saved@0"},
           {1, 1, 100, "A,B,C 2 @1000"},
           {1, 0, 100, "B,A,C 1 saved@0"},
           {1, 2, 300, "A,C,B 3 saved@1000"},
           {1, 2, 285, "B,A,C 1 saved@0"}}) {
    auto made = build("LLR");
    drag(onTitle(made[from]), onTitle(made[onto], dy));
    EXPECT_EQ(outcome(made[from]) + "@" + std::to_string(toInt32(top(made[from]))), result)
        << from << " onto " << onto << " at " << dy;
  }
  // Within the strip, a top bar is a target as anywhere else.
  auto made = build("TTL");
  made[0]->setState(eBarCollapsed);  // 260 high: B's title starts inside the strip
  drag(onTitle(made[2]), onTitle(made[1], 10));
  EXPECT_EQ(outcome(made[2]), "A,C,B 1 saved");
}

TEST_P(Commands, TheFreeAreaAppendsToTheLeftOrRightSideSplitAtHalfTheWidth) {
  // Groups of the bars, which one is dragged, where to; order and its group after the drop. The
  // last top bar on the left side and the last bar on the right side are the bar itself. The left
  // side follows the last top or left bar, or starts a left column, which the order then puts
  // before the right and bottom bars: stacked behind a right bar it would lie over the next one.
  for (auto [groups, from, to, result] :
       std::vector<std::tuple<const char*, std::size_t, Point, std::string>>{
           {"TTTT", 3, {1000, 5000}, "A,B,C,D 1 "},
           {"TTTT", 3, {4500, 5000}, "A,B,C,D 1 "},
           {"TTTT", 1, {2985, 5000}, "A,C,D,B 1 saved"},
           {"TTTT", 2, {3000, 5000}, "A,B,D,C 3 saved"},
           {"TLRB", 3, {1000, 5000}, "A,B,D,C 2 saved"},
           {"RRR", 2, {1000, 1000}, "C,A,B 2 saved"},
           {"BBB", 2, {1000, 5000}, "C,A,B 2 saved"},
           {"TRR", 2, {1000, 5000}, "A,C,B 1 saved"}}) {
    auto made = build(groups);
    drag(onTitle(made[from]), to);
    EXPECT_EQ(outcome(made[from]), result) << from << " to " << to.first;
  }
}

TEST_P(Commands, TheMarkerShowsWhereTheDropWouldPutTheBar) {
  auto made = build("TLLR");
  made[2]->setState(eBarHidden);  // C keeps its frame's place but counts for no marker
  auto hintOver = [&](const BarRef& from, Point at) {
    ui->press(onTitle(from).first, onTitle(from).second);
    ui->move(at.first, at.second);
    const DropHint h = ui->dropHint();
    ui->release(onTitle(from).first, onTitle(from).second);  // back on itself: no drop
    return std::vector({static_cast<double>(h.kind), h.x1, h.y1, h.x2, h.y2});
  };
  using H = std::vector<double>;
  constexpr auto kLine = static_cast<double>(DropHint::Kind::Line);
  constexpr auto kArea = static_cast<double>(DropHint::Kind::Area);
  EXPECT_EQ(hintOver(made[3], onTitle(made[1])), H({kLine, 0, 1000, 2960, 1000}));  // up: B's top
  EXPECT_EQ(hintOver(made[3], onTitle(made[1], 600)),
            H({kLine, 0, 1000, 2960, 1000}));                          // B's body as its title
  EXPECT_EQ(hintOver(made[1], onTitle(made[1])), H({0, 0, 0, 0, 0}));  // on itself
  EXPECT_EQ(hintOver(made[0], onTitle(made[3])), H({kLine, 2990, 2000, 5950, 2000}));  // down: D's bottom
  EXPECT_EQ(hintOver(made[0], {3000, 5000}), H({kArea, 3000, 2000, 6000, 6000}));      // right from the half
  EXPECT_EQ(hintOver(made[3], {2985, 5000}), H({kArea, 0, 2000, 3000, 6000}));
  EXPECT_EQ(hintOver(made[3], {1500, 100}), H({kLine, 0, 0, 5980, 0}));  // A's top
  EXPECT_EQ(outcome(made[0]), "A,B,C,D 1 ");
  // With no top group, the top strip over the first bar spans every frame; the right half is free below the
  // right column, shorter than the left one.
  made = build("LLR");
  EXPECT_EQ(hintOver(made[1], {1500, 100}), H({kLine, 0, 0, 5950, 0}));
  EXPECT_EQ(hintOver(made[1], {4500, 5000}), H({kArea, 3000, 1000, 6000, 6000}));
}

TEST_P(Commands, TheCaptionsAndTheIconActAsTheStripForPressesAndDrops) {
  auto made = build("TTT");
  made[1]->setTitleRight("rechts");
  made[2]->setIcon(icon16());
  auto middle = [&](const Element& e) {
    return Point{ui->absLeft(e) + e.Width() / 2, ui->absTop(e) + e.Height() / 2};
  };
  const Point captionA = middle(access().lblTitel(made[0]->Index()));
  const Point rightB = middle(access().lblTitelRight(made[1]->Index()));
  // Dragged by its caption over B's right caption: marked as over B's strip, dropped behind B.
  ui->press(captionA.first, captionA.second);
  ui->move(rightB.first, rightB.second);
  EXPECT_EQ(ui->dropHint().kind, DropHint::Kind::Line);
  ui->release(rightB.first, rightB.second);
  EXPECT_EQ(outcome(made[0]), "B,A,C 1 saved");
  // By its icon onto A's caption: C lands before A.
  drag(middle(access().imgIcon(made[2]->Index())), middle(access().lblTitel(made[0]->Index())));
  EXPECT_EQ(order(), "B,C,A");
}

TOV_BACKEND_SUITE(Commands);

}  // namespace
}  // namespace tov::test
