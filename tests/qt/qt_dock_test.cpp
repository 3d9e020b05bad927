// The dock as a Qt widget, driven with window-system mouse events at whole pixels (Qt routes them
// itself) and checked on real widgets and on what they paint.

#include "qt_dock_fixture.h"

namespace tov::qt {
namespace {

using Keys = std::vector<std::string>;

TEST_F(QtDock, BarsAreCutAtTheDockWhoseScrollBarTheWheelMovesButNotOverAWidgetTakesTheMouseWhereNoBarIs) {
  d->setColor(DockWidget::PaneBackground, QColor(0xE0E0E0));
  for (Pane* p : d->panes())
    p->setResizable(true), coreBar(p)->setHeight(3000);
  d->setScrollable(true);
  const std::int32_t a = indexOf("a");
  // Grip lines in the palette's shades, and the window around the dock untouched.
  const QImage shot = window->grab().toImage();
  const QPoint grip = QtToolkit::widgetOf(access().picSplit(a))->mapTo(window.get(), QPoint(40, 0));
  std::vector<std::uint32_t> lines;
  for (int y : {0, 10, 25, 40})
    lines.push_back(rgb(shot, grip.x(), grip.y() + pixels(y)));
  const QPalette& p = d->palette();
  EXPECT_EQ(lines, (std::vector{0xE0E0E0u, rgb(p.color(QPalette::Light)), rgb(p.color(QPalette::Midlight)),
                                rgb(p.color(QPalette::Dark))}));
  int stray = 0;
  for (int y = 0; y < shot.height(); y += 3)
    for (int x = 0; x < shot.width(); x += 3)
      stray += !d->geometry().contains(x, y) && rgb(shot, x, y) != 0xFF00FFu;
  EXPECT_EQ(stray, 0);

  QWidget *body = d->pane("b")->widget(), *frameB = frame("b");
  auto wheel = [](QWidget* w, QPoint p) {
    QWheelEvent e(p, w->mapToGlobal(p), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
    return e.isAccepted();
  };
  // A wheel event the hosted widget let pass comes up to its frame, which leaves it too.
  EXPECT_EQ(std::pair(wheel(frameB, body->geometry().center()), access().VScroll().Value()),
            std::pair(false, 0));
  EXPECT_TRUE(wheel(titleOf("b"), QPoint(40, 5)));
  const std::int32_t step = access().VScroll().Value();
  wheel(QtToolkit::widgetOf(access().picSplit(a)), QPoint(40, 2));
  EXPECT_EQ(
      std::tuple(step > 0, QtToolkit::widgetOf(access().picDockBar(a))->y(), access().VScroll().Value()),
      std::tuple(true, pixels(-2 * step), 2 * step));

  // Without scrolling the wheel moves nothing.
  d->setScrollable(false);
  EXPECT_EQ(std::pair(QtToolkit::widgetOf(access().VScroll())->isVisible(), wheel(frameB, QPoint(40, 5))),
            std::pair(false, false));

  // Scrolling again, "b" alone in the left column leaves the scroll bar bare beside it.
  d->pane("b")->setGroup(PaneGroup::Left);
  d->setScrollable(true);
  QCoreApplication::processEvents();
  auto* bar = d->findChild<QScrollBar*>();
  ASSERT_NE(bar, nullptr);
  ASSERT_TRUE(bar->isVisible());
  auto edgeBeside = [&](const char* k) {
    return d->childAt(bar->mapTo(d, QPoint(0, 0)).x(), frame(k)->mapTo(d, QPoint(0, 10)).y());
  };
  EXPECT_TRUE(frame("a")->isAncestorOf(edgeBeside("a")));
  EXPECT_EQ(edgeBeside("b"), bar);
  // On screen, the scroll bar's own pixels, whole beside "b".
  const QImage shown = window->screen()->grabWindow(window->winId()).toImage();
  const QImage own = bar->grab().toImage().convertToFormat(shown.format());
  const QRect column(bar->mapTo(window.get(), QPoint(0, 0)), QSize(bar->width(), 1));
  const int besideB = bar->mapFrom(d, frameB->mapTo(d, QPoint(0, 10))).y();
  EXPECT_EQ(shown.copy(column.translated(0, besideB)), own.copy(0, besideB, bar->width(), 1));
}

TEST_F(QtDock, ButtonsAndRightClicksRunTheCoreHandlersWithWritableArgumentsBeforeTheQtSignals) {
  d->pane("a")->setOptionsVisible(true);
  const BarRef a = coreBar(d->pane("a"));
  const std::int32_t i = a->Index();
  Keys log;
  std::set<std::string> resized;
  setCoreEvents(
      d, {.closed = [&](std::string& key) { log.push_back("closed " + key); },
          .ctlResize = [&](std::string& key) { resized.insert(key); },
          .optShow = [&](std::string& key, bool& reload) { reload = true, log.push_back("optShow " + key); },
          .rightClick = [&](std::string& key) { log.push_back("right " + key); }});
  auto note = [&](const char* what) {
    return [&log, what](const QString& key) { log.push_back(what + key.toStdString()); };
  };
  QObject::connect(d, &DockWidget::paneClosed, note("paneClosed "));
  QObject::connect(d, &DockWidget::optionsRequested, note("options "));
  QObject::connect(d, &DockWidget::paneStateChanged, note("state "));
  QObject::connect(d, &DockWidget::contextMenuRequested, note("menu "));
  d->resize(pixels(4000), pixels(6000));
  EXPECT_EQ(QtToolkit::widgetOf(access().picSplit(i))->cursor().shape(), Qt::SizeVerCursor);
  a->setTitleBackColorStart(0x123456);
  click(middle(access().imgOpt(i)));
  // The reload asked for brought the widget's colour back.
  EXPECT_EQ(qcolor(a->TitleBackColorStart()), d->color(DockWidget::TitleStart));
  click(middle(access().imgClose(i)));
  // One signal a change: not for a state set again, and a View menu's hide is no close.
  d->pane("b")->setState(PaneState::Collapsed);
  d->pane("b")->setState(PaneState::Collapsed);
  d->pane("c")->toggleViewAction()->trigger();
  click(onTitle("b"), Qt::RightButton);
  click(QPointF(2000, 5900), Qt::RightButton);  // below the titles
  EXPECT_EQ(log, (Keys{"optShow a", "options a", "closed a", "paneClosed a", "state a", "state b", "state c",
                       "right b", "menu b", "right ", "menu "}));
  EXPECT_TRUE(resized.contains("a"));
}

TEST_F(QtDock, ARestoreBeforeTheFirstShowKeepsTheOrderAndTheRulesOfTheStore) {
  delete d;
  DockWidget* first = panes("kept", true, {"a", "b", "c", "d"});
  first->movePane("d", 0);
  first->pane("b")->setState(PaneState::Hidden);
  first->pane("c")->setHeight(100);
  const QByteArray state = first->saveState();
  delete first;  // saves
  // Restored or loaded before the first show: the hidden pane b, which has no close button, comes
  // back; c, which cannot resize, keeps its height.
  std::vector<std::string> layouts;
  for (const bool restore : {true, false}) {
    panes(restore ? "" : "kept", !restore, {"a", "b", "c", "d"}, false);
    d->pane("b")->setClosable(false), d->pane("c")->setResizable(false);
    if (restore) {
      EXPECT_TRUE(d->restoreState(state));
    }
    d->show();
    layouts.push_back(layoutOf(d));
    delete d;
  }
  EXPECT_EQ(layouts, Keys(2, "dTE 0+151 w, aTE 151+151 w, bTE 302+58 w, cTE 360+40 w"));
}

TEST_F(QtDock, TabGoesFromTitleToTitleWhoseKeysFoldMoveAndCloseThePaneAndAskForItsMenu) {
  d->setAutoSave(true);
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  QTest::keyClick(window.get(), Qt::Key_Tab);
  QWidget* a = titleOf("a");
  ASSERT_EQ(QApplication::focusWidget(), a);
  EXPECT_EQ(a->grab().toImage().pixel(0, 0), a->palette().color(QPalette::Highlight).rgb());
  QTest::keyClick(a, Qt::Key_Space);
  const PaneState folded = d->pane("a")->state();
  QTest::keyClick(a, Qt::Key_Return);
  EXPECT_EQ(std::pair(folded, d->pane("a")->state()), std::pair(PaneState::Collapsed, PaneState::Expanded));
  QTest::keyClick(a, Qt::Key_Tab);  // the labels take no focus: on to the next title
  EXPECT_EQ(QApplication::focusWidget(), titleOf("b"));

  a->setFocus();
  QTest::keyClick(a, Qt::Key_Down, Qt::AltModifier);
  EXPECT_EQ(layoutOf(d), "bTE 0+127 w, aTE 127+133 w, cTE 260+133 w");
  // Stored as a drop stores it, and the title keeps the focus.
  EXPECT_EQ(std::pair(stored("a").left(2), QApplication::focusWidget()), std::pair(QString("2:"), a));
  QTest::keyClick(a, Qt::Key_Up, Qt::AltModifier);
  QTest::keyClick(a, Qt::Key_Up, Qt::AltModifier);  // already first
  EXPECT_EQ(stored("a").left(2), "1:");

  QSignalSpy closed(d, &DockWidget::paneClosed), menu(d, &DockWidget::contextMenuRequested);
  d->pane("b")->setClosable(false);
  QTest::keyClick(titleOf("b"), Qt::Key_Delete);
  QTest::keyClick(a, Qt::Key_Delete);
  EXPECT_EQ(layoutOf(d), "aTH, bTE 0+197 w, cTE 197+203 w");
  EXPECT_EQ(closed, (QList<QVariantList>{{QString("a")}}));
  QWidget* c = titleOf("c");
  QTest::keyClick(c, Qt::Key_F10, Qt::ShiftModifier);
  QTest::keyClick(c, Qt::Key_Menu);
  const QVariantList below{QString("c"),
                           c->mapToGlobal(QPoint(0, pixels(access().picTitel(indexOf("c")).Height())))};
  EXPECT_EQ(menu, (QList<QVariantList>{below, below})) << menu.count() << " menu requests";
}

TEST_F(QtDock, ScreenReadersFindEachPartWithItsPaneAndStateInsideTheDockPressButtonsAndResize) {
  d->setAutoSave(true);
  d->resize(pixels(3000), d->height());  // the strips are wider than a narrow dock
  // Each title strip and splitter found from the dock, every object on the way knowing its parent
  // and lying inside the dock: its name, a strip's state and its buttons' names, left to right.
  auto tree = [&] {
    QStringList found;
    const QRect dock(d->mapToGlobal(QPoint(0, 0)), d->size());
    QAccessibleInterface* top = QAccessible::queryAccessibleInterface(d);
    std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* i) {
      const QAccessible::State st = i->state();
      // A strip lies in its pane's frame, on the dock's surface: no other object in between.
      EXPECT_EQ(st.expandable ? i->parent()->parent()->parent() : top, top);
      if (st.expandable || i->role() == QAccessible::Separator)
        found << i->text(QAccessible::Name) + (st.focusable || !st.expandable ? "" : " ?") +
                     (st.expanded ? " open" : "") + (st.collapsed ? " shut" : "");
      for (int n = 0; n < i->childCount(); ++n) {
        QAccessibleInterface* c = i->child(n);
        ASSERT_TRUE(c);
        EXPECT_EQ(std::tuple(c->parent(), i->indexOfChild(c)), std::tuple(i, n));
        EXPECT_TRUE(dock.contains(c->rect())) << c->text(QAccessible::Name).toStdString();
        if (st.expandable) found.back() += " " + c->text(QAccessible::Name);
        walk(c);
      }
    };
    walk(top);
    return found.join("|").toStdString();
  };
  EXPECT_EQ(
      tree(),
      "A open Collapse A Close A|Resize A|B open Collapse B Close B|Resize B|C open Collapse C Close C");

  // The splitter's value is the pane's height, and Alt+Shift+arrows resize as it does; both saved.
  QAccessibleInterface* frameA = QAccessible::queryAccessibleInterface(frame("a"));
  QAccessibleValueInterface* size = frameA->child(frameA->childCount() - 1)->valueInterface();
  ASSERT_TRUE(size);
  EXPECT_EQ(size->currentValue().toInt(), 133);
  size->setCurrentValue(150);
  EXPECT_EQ(std::pair(size->currentValue().toInt(), stored("a")), std::pair(150, QString("1:1:1:2250")));
  QWidget* title = titleOf("a");
  title->setFocus();
  EXPECT_EQ(frameA->focusChild(), frameA->child(0)) << "the frame takes the focus for its title strip";
  QTest::keyClick(title, Qt::Key_Down, Qt::AltModifier | Qt::ShiftModifier);
  EXPECT_EQ(std::pair(d->pane("a")->height(), stored("a")), std::pair(170, QString("1:1:1:2550")));
  QTest::keyClick(title, Qt::Key_Up, Qt::AltModifier | Qt::ShiftModifier);
  EXPECT_EQ(d->pane("a")->height(), 150);

  d->pane("b")->setState(PaneState::Hidden);
  d->pane("c")->setState(PaneState::Collapsed), d->pane("c")->setClosable(false);
  QAccessibleInterface* collapse = QAccessible::queryAccessibleInterface(title)->child(0);
  const QPointF drawn = middle(access().imgCollapse(indexOf("a")));
  EXPECT_TRUE(collapse->rect().contains(d->mapToGlobal(QPoint(pixels(drawn.x()), pixels(drawn.y())))));
  EXPECT_EQ(collapse->parent()->childAt(collapse->rect().center().x(), collapse->rect().center().y()),
            collapse);
  press(collapse);
  EXPECT_EQ(tree(), "A shut Expand A Close A|C shut Expand C");
}

TEST_F(QtDock,
       ADragWaitsForTheStartDistanceMarksWhereTheBarGoesUnderItsOutlineAndDropsOnAWidgetAsOnItsFrame) {
  const QPointF onB = onTitle("b"), onC = onTitle("c");
  const std::string layout = layoutOf(d);
  const std::uint32_t highlight = rgb(d->surfaceWidget()->palette().color(QPalette::Highlight));
  // b's top edge, where a line in the highlight colour shows that c would go in front of b.
  const QPoint edge = d->surfaceWidget()->mapTo(
      window.get(),
      QPoint(pixels(2250), static_cast<int>(access().picDockBar(indexOf("b")).Top() * pixelsPerTwip())));
  // How many outlines show, the override cursor (-1 for none) and whether b's top edge is marked.
  auto seen = [&] {
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return QString("%1 %2 %3")
        .arg(window->findChildren<QRubberBand*>().size())
        .arg(cursor ? cursor->shape() : -1)
        .arg(rgb(window->grab().toImage(), edge.x(), edge.y()) == highlight);
  };

  // Short of the start distance a press stays a click for the dock (one that folds nothing here).
  d->setFoldOnTitleClick(false);
  const QPointF near = onC + QPointF((QApplication::startDragDistance() - 1) / pixelsPerTwip(), 0);
  hold({onC, near});
  EXPECT_EQ(seen(), "0 -1 0");
  mouse(QEvent::MouseButtonRelease, near);
  EXPECT_EQ(std::pair(access().dragSource(), layoutOf(d)), std::pair(0, layout));

  // Over b's title the marker shows under an outline of c's frame that keeps its place relative
  // to the cursor (it covers b's top edge here).
  hold({onC, onB});
  ASSERT_EQ(seen(), "1 -1 1");
  const QPoint frameC = QtToolkit::widgetOf(access().picDockBar(indexOf("c")))->mapTo(window.get(), QPoint());
  EXPECT_EQ(window->findChild<QRubberBand*>()->mapTo(window.get(), QPoint()) - frameC,
            QPoint(pixels(onB.x()) - pixels(onC.x()), pixels(onB.y()) - pixels(onC.y())));

  // On its own title a drop changes nothing.
  mouse(QEvent::MouseMove, onC);
  mouse(QEvent::MouseButtonRelease, onC);
  EXPECT_EQ(seen().toStdString() + layoutOf(d), "0 -1 0" + layout);

  // Over a pane's widget a drop is one on its frame: a would go behind c, at the dock's bottom edge,
  // where a thick marker lies over a's copy, which hangs over the edge and is cut there.
  const QPointF bodyC = at(access().picDockBar(indexOf("c"))) + QPointF(2250, 1200);
  ASSERT_EQ(QApplication::widgetAt(d->mapToGlobal(QPoint(pixels(bodyC.x()), pixels(bodyC.y())))),
            d->pane("c")->widget());
  hold({onTitle("a"), bodyC});
  EXPECT_EQ(coreToolkit(d)->dropHint().kind, DropHint::Kind::Line);
  const QImage shot = window->grab().toImage();
  const QPoint bottom = d->geometry().bottomLeft() + QPoint(pixels(2250), 0);
  for (int up = 0; up < 3; ++up)
    EXPECT_EQ(rgb(shot, bottom.x(), bottom.y() - up), highlight) << up;
  EXPECT_EQ(rgb(shot, bottom.x(), bottom.y() + 5), 0xFF00FFu);
  mouse(QEvent::MouseButtonRelease, bodyC);
  EXPECT_EQ(layoutOf(d), "bTE 0+133 w, cTE 133+134 w, aTE 267+133 w");
}

TEST_F(QtDock, SplitterStepsLeaveTheWidgetsAndTheScreenAsADockLaidOutAtTheirEnd) {
  // Ten bars in a dock that shows about six: a step moves the bars below the first one together.
  auto build = [](QWidget* window, bool scroll, const std::vector<std::int32_t>& heights) {
    window->setGeometry(30, 40, 420, 480);
    auto* d = new DockWidget(window);
    d->setFitToContent(false), d->setGeometry(20, 20, pixels(4500), pixels(6000));
    for (int i = 1; i <= static_cast<int>(heights.size()); ++i) {
      BarRef b = coreDock(d)->Bars()->Add();
      b->setKey("k" + std::to_string(i)), b->setTitle("Bar " + std::to_string(i));
      b->setAllowResize(true), b->setHeight(heights[i - 1]);
      b->setControl(std::make_shared<WidgetControl>(new QLabel(QString("body %1").arg(i), window)));
    }
    coreDock(d)->setAllowScroll(scroll), coreDock(d)->setShow(true);
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
    QCoreApplication::processEvents();
    return d;
  };
  auto geometries = [](DockWidget* d) {
    std::vector<std::pair<QRect, bool>> all;
    for (QWidget* w : d->findChildren<QWidget*>())
      all.emplace_back(w->isVisible() ? w->geometry() : QRect(), w->isVisible());
    return all;
  };
  // What the window shows, not what painting it afresh would show.
  auto screen = [](QWidget* window, DockWidget* d) {
    return window->screen()->grabWindow(window->winId()).toImage().copy(d->geometry());
  };
  // Five low bars leave the dock room to show them all, and no scroll bar under their edges: each
  // step then moves them by scrolling the dock's surface.
  for (const auto& [scroll, n, height] : {std::tuple(true, 10, 1000), {false, 10, 1000}, {true, 5, 400}}) {
    SCOPED_TRACE(testing::Message() << (scroll ? "scroll, " : "fitted, ") << n);
    auto dragged = std::make_unique<QWidget>();
    std::vector<std::int32_t> heights(n, height);
    heights[0] = 1500;
    DockWidget* d = build(dragged.get(), scroll, heights);
    DockTestAccess dragAccess(*coreDock(d));
    const BarsRef bars = coreDock(d)->Bars();
    QPointF grip = at(dragAccess.picSplit(bars->ItemByOrder(1)->Index())) + QPointF(600, 0);
    // The last bar, out of sight, is told of each move as a widget moved on its own is.
    EventCount last(QEvent::Move);
    QtToolkit::widgetOf(dragAccess.picDockBar(bars->ItemByOrder(n)->Index()))->installEventFilter(&last);
    mouseIn(dragged.get(), d, QEvent::MouseButtonPress, grip);
    for (double step : {225, 450, 450, -225, 450, -450, -225, 675})
      mouseIn(dragged.get(), d, QEvent::MouseMove, grip += QPointF(0, step));
    EXPECT_EQ(last.count, scroll ? 8 : 0);
    mouseIn(dragged.get(), d, QEvent::MouseButtonRelease, grip);
    // The strip stays under the pointer until its bar is painted again; the moved bars are not.
    bars->ItemByOrder(1)->setTitleForeColor(bars->ItemByOrder(1)->TitleForeColor());
    QCoreApplication::processEvents();
    for (int i = 1; i <= n; ++i)
      heights[i - 1] = bars->ItemByOrder(i)->Height();
    ASSERT_NE(heights[0], 1500);
    auto direct = std::make_unique<QWidget>();
    // Laid out at the same heights; a fitted dock has no splitter under its last bar.
    DockWidget* reference = build(direct.get(), true, heights);
    coreDock(reference)->Bars()->ItemByOrder(n)->setShowResize(scroll);
    QCoreApplication::processEvents();
    EXPECT_EQ(geometries(d), geometries(reference));
    EXPECT_EQ(screen(dragged.get(), d), screen(direct.get(), reference));
  }
}

}  // namespace
}  // namespace tov::qt
