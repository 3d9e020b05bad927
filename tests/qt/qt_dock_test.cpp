// The dock as a Qt widget, driven with window-system mouse events at whole pixels (Qt routes them
// itself) and checked on real widgets and on what they paint.
#include <gtest/gtest.h>

#include <unistd.h>
#include <QAccessible>
#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QPointer>
#include <QRubberBand>
#include <QSignalSpy>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "qt_support.h"
#include "support/dock_access.h"
#include "support/memory_host.h"
#include "tovdock/qt/dock_widget.h"

namespace tov::qt {
namespace {

using test::MemoryHost;
using Keys = std::vector<std::string>;

/// The contrast ratio of two colours from their relative luminance.
double contrast(const QColor& a, const QColor& b) {
  auto luminance = [](const QColor& c) {
    auto linear = [](double s) { return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
  };
  const double x = luminance(a), y = luminance(b);
  return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

/// A palette that a widget keeps whatever its parent's is.
QPalette pinned(QPalette p) {
  p.setResolveMask(~QPalette::ResolveMask(0));
  return p;
}

/// A dock of three panes a, b and c in the window, shown only now, as an application does it.
DockWidget* threePanes(QWidget* window, const QString& name = {}, bool autoSave = true) {
  auto* d = new DockWidget(window);
  d->setObjectName(name);
  d->setAutoSave(autoSave);
  for (const char* k : {"a", "b", "c"})
    d->addPane(k, new QLabel(k), QString(k).toUpper());
  d->setGeometry(20, 20, pixels(4500), pixels(6000));
  d->show();
  return d;
}

/// The title strip of a pane, as a widget.
QWidget* titleOf(DockWidget* d, const QString& key) {
  return QtToolkit::widgetOf(DockTestAccess(*d->dock()).picTitel(d->pane(key)->bar()->Index()));
}

/// The keys of a dock's panes in their order.
QStringList keysOf(DockWidget* d) {
  QStringList k;
  for (Pane* p : d->panes())
    k << p->key();
  return k;
}

class QtDock : public ::testing::Test {
 protected:
  void SetUp() override {
    HostServices::setInstance(host);
    window->setGeometry(30, 40, 420, 480);
    window->setPalette(QPalette(QColor(255, 0, 255)));
    window->setAutoFillBackground(true);
    dockWidget = new DockWidget(window.get());
    dockWidget->toolkit()->setMessageHandler(
        [](const std::string& text, const std::string& title) { ADD_FAILURE() << title << ": " << text; });
    dockWidget->setGeometry(20, 20, pixels(4500), pixels(6000));
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }
  void TearDown() override {
    window.reset();
    HostServices::setInstance(nullptr);
  }

  DockRef dock() { return dockWidget->dock(); }
  DockTestAccess access() { return DockTestAccess(*dock()); }
  /// threePanes, which the mouse and access() then reach.
  DockWidget* panes(const QString& name = {}, bool autoSave = false) {
    return dockWidget = threePanes(window.get(), name, autoSave);
  }
  std::int32_t indexOf(const char* key) { return dockWidget->pane(key)->bar()->Index(); }

  /// Position of an element in the dock's twips.
  QPointF at(const Element& e) {
    QPointF p;
    for (const Element* n = &e; n->kind() != Element::Kind::Surface; n = n->Container())
      p += QPointF(n->Left(), n->Top());
    return p;
  }
  /// The middle of an image button.
  QPointF middle(const Element& e) { return at(e) + QPointF(e.Width() / 2, e.Height() / 2); }
  /// A point on a title strip, away from its caption and buttons.
  QPointF onTitle(std::int32_t i, double down = 130) {
    return at(access().picTitel(i)) + QPointF(2500, down);
  }

  void mouse(QEvent::Type type, QPointF twips, Qt::MouseButton b = Qt::LeftButton) {
    sendMouse(window.get(), dockWidget, type, twips, b, timestamp);
  }
  void click(QPointF t, Qt::MouseButton b = Qt::LeftButton) {
    mouse(QEvent::MouseButtonPress, t, b);
    mouse(QEvent::MouseButtonRelease, t, b);
  }

  std::shared_ptr<MemoryHost> host = std::make_shared<MemoryHost>();
  std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
  DockWidget* dockWidget = nullptr;
  int timestamp = 1000;
};

/// A colour of the dock's 0x00BBGGRR form as a QColor.
QColor qcolor(Color c) {
  return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

TEST_F(QtDock, BarsAreCutAtTheDockWhoseWheelMovesItsScrollBarButNotOverAHostedWidget) {
  DockWidget* d = panes();
  d->setColor(DockWidget::PaneBackground, QColor(0xE0E0E0));
  for (Pane* p : d->panes())
    p->setResizable(true), p->bar()->setHeight(3000);
  d->setScrollable(true);
  const std::int32_t a = indexOf("a"), b = indexOf("b");
  // Grip lines in the palette's shades, and the window around the dock untouched.
  const QImage shot = window->grab().toImage();
  const QPoint grip = QtToolkit::widgetOf(access().picSplit(a))->mapTo(window.get(), QPoint(40, 0));
  std::vector<std::uint32_t> grips;
  for (int y : {0, 10, 25, 40})
    grips.push_back(rgb(shot, grip.x(), grip.y() + pixels(y)));
  const QPalette& p = d->palette();
  EXPECT_EQ(grips,
            (std::vector<std::uint32_t>{0xE0E0E0, rgb(p.color(QPalette::Light)),
                                        rgb(p.color(QPalette::Midlight)), rgb(p.color(QPalette::Dark))}));
  const QRect dockRect = d->geometry();
  for (int y = 0; y < shot.height(); y += 3)
    for (int x = 0; x < shot.width(); x += 3)
      ASSERT_TRUE(dockRect.contains(x, y) || rgb(shot, x, y) == 0xFF00FFu) << x << "," << y;
  EXPECT_NE(rgb(shot, dockRect.left() + 5, dockRect.bottom() - 5), 0xFF00FFu);

  QWidget* frame = QtToolkit::widgetOf(access().picDockBar(b));
  QWidget* body = d->pane("b")->widget();
  ASSERT_EQ(body->parentWidget(), frame);
  auto wheel = [](QWidget* w, QPoint p) {
    QWheelEvent e(p, w->mapToGlobal(p), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
    return e.isAccepted();
  };
  // A wheel event the hosted widget let pass comes up to its frame, which leaves it too.
  EXPECT_FALSE(wheel(frame, body->geometry().center()));
  EXPECT_EQ(access().VScroll().Value(), 0);
  EXPECT_TRUE(wheel(QtToolkit::widgetOf(access().picTitel(b)), QPoint(40, 5)));
  const std::int32_t step = access().VScroll().Value();
  EXPECT_GT(step, 0);
  EXPECT_EQ(QtToolkit::widgetOf(access().picDockBar(a))->y(), pixels(-step));
  wheel(QtToolkit::widgetOf(access().picSplit(a)), QPoint(40, 2));
  EXPECT_EQ(access().VScroll().Value(), 2 * step);

  // Resizing the widget resizes the dock, which lays out again.
  d->setScrollable(false);
  d->resize(pixels(3000), pixels(4500));
  EXPECT_EQ(std::pair(dock()->Width(), dock()->Height()), std::pair(3000.0, 4500.0));
  EXPECT_EQ(d->surfaceWidget()->size(), d->size());
  EXPECT_FALSE(QtToolkit::widgetOf(access().VScroll())->isVisible());
  EXPECT_FALSE(wheel(frame, QPoint(40, 5)));
}

TEST_F(QtDock, ButtonsAndRightClicksRaiseSignalsWithWritableArguments) {
  panes();
  const BarRef a = dockWidget->pane("a")->bar();
  a->setShowOptions(true);
  const std::int32_t i = a->Index();
  Keys right, closed, resized;
  QObject::connect(dockWidget, &DockWidget::ctlResize, [&](std::string& key) { resized.push_back(key); });
  QObject::connect(dockWidget, &DockWidget::rightClick, [&](std::string& key) { right.push_back(key); });
  QObject::connect(dockWidget, &DockWidget::closed, [&](std::string& key) { closed.push_back(key); });
  QObject::connect(dockWidget, &DockWidget::optShow, [](std::string&, bool& reload) { reload = true; });
  dockWidget->resize(pixels(4000), pixels(6000));
  EXPECT_NE(std::find(resized.begin(), resized.end(), "a"), resized.end());
  EXPECT_EQ(QtToolkit::widgetOf(access().picSplit(i))->cursor().shape(), Qt::SizeVerCursor);
  a->setTitleBackColorStart(0x123456);
  click(middle(access().imgOpt(i)));
  // The reload asked for brought the widget's colour back.
  EXPECT_EQ(qcolor(a->TitleBackColorStart()), dockWidget->color(DockWidget::TitleStart));
  click(middle(access().imgClose(i)));
  EXPECT_EQ(closed, Keys{"a"});
  dockWidget->pane("b")->setState(PaneState::Collapsed);
  dockWidget->pane("c")->setState(PaneState::Hidden);
  click(onTitle(indexOf("b")), Qt::RightButton);
  click(QPointF(2000, 5900), Qt::RightButton);  // below the titles
  EXPECT_EQ(right, (Keys{"b", ""}));
}

TEST_F(QtDock, AfterTheDockWidgetIsResizedEachBarIsWhereItsElementsAre) {
  DockWidget* d = panes();
  for (Pane* p : d->panes())
    p->setResizable(true), p->bar()->setHeight(2000);
  const double lastTop = access().picDockBar(indexOf("c")).Top();
  // Only higher: the bars below the first move without changing their width.
  d->resize(d->width(), d->height() + 60);
  for (Pane* pane : d->panes()) {
    const std::int32_t i = pane->bar()->Index();
    for (Panel* p : {&access().picDockBar(i), &access().picSplit(i)}) {
      const int left = pixels(p->Left()), top = pixels(p->Top());
      EXPECT_EQ(QtToolkit::widgetOf(*p)->geometry(),
                QRect(left, top, pixels(p->Left() + p->Width()) - left, pixels(p->Top() + p->Height()) - top))
          << pane->key().toStdString();
    }
  }
  EXPECT_GT(access().picDockBar(indexOf("c")).Top(), lastTop);
}

TEST_F(QtDock, PanesOwnTheirWidgetsTakeOneKeyEachAndSignalEachStateChangeOnce) {
  DockWidget* d = panes({}, true);
  EXPECT_TRUE(d->dock()->Show());  // shown without setShow
  double y = 0;
  for (Pane* p : d->panes())
    y += p->widget()->isVisible() ? p->bar()->Height() : 0;
  EXPECT_NEAR(y, 6000, 200);
  QLabel spare;
  EXPECT_EQ(d->addPane("a", &spare, "again"), nullptr);
  EXPECT_EQ(d->addPane("", &spare, "none"), nullptr);
  EXPECT_EQ(keysOf(d), (QStringList{"a", "b", "c"}));
  EXPECT_EQ(spare.parent(), nullptr);

  Pane* b = d->pane("b");
  QSignalSpy own(b, &Pane::stateChanged), all(d, &DockWidget::paneStateChanged),
      closed(d, &DockWidget::paneClosed);
  b->setState(PaneState::Collapsed);
  b->setState(PaneState::Collapsed);
  ASSERT_EQ(own.count(), 1);
  EXPECT_EQ(own[0][0].value<PaneState>(), PaneState::Collapsed);
  EXPECT_EQ(all.count(), 1);
  click(middle(access().imgExpand(b->bar()->Index())));
  EXPECT_EQ(b->state(), PaneState::Expanded);
  click(middle(access().imgCollapse(b->bar()->Index())));
  EXPECT_FALSE(b->widget()->isVisible());
  EXPECT_EQ(own.count(), 3);
  EXPECT_EQ(all.count(), 3);
  EXPECT_EQ(all[2][0].toString(), "b");
  b->toggleViewAction()->trigger();  // hidden from a View menu
  EXPECT_EQ(b->state(), PaneState::Hidden);
  EXPECT_EQ(own.count(), 4);
  EXPECT_TRUE(closed.isEmpty());  // only the user's close button closes
  QPointer<QWidget> body = b->widget();
  delete d;
  EXPECT_TRUE(body.isNull());  // added without a parent, deleted with the dock
}

TEST_F(QtDock, SavedStateRestoresOnANewDockAndNamedDocksKeepTheirOwnRecordsOrWithoutAutoSaveNone) {
  DockWidget* first = threePanes(window.get(), {}, false);
  first->pane("a")->setGroup(PaneGroup::Bottom);
  first->pane("c")->setState(PaneState::Collapsed);
  first->pane("b")->setHeight(120);
  const QByteArray state = first->saveState();
  delete first;
  DockWidget* second = threePanes(window.get(), {}, false);
  const QByteArray fresh = second->saveState();
  QByteArray newer = state;
  newer[5] = 2;  // a later version
  for (const QByteArray& bad : {QByteArray(), QByteArray("junk"), state.left(state.size() - 1), newer})
    EXPECT_FALSE(second->restoreState(bad));
  EXPECT_EQ(second->saveState(), fresh);
  ASSERT_TRUE(second->restoreState(state));
  EXPECT_EQ(second->saveState(), state);
  EXPECT_EQ(keysOf(second), (QStringList{"b", "c", "a"}));
  EXPECT_EQ(second->pane("a")->group(), PaneGroup::Bottom);
  EXPECT_EQ(second->pane("c")->state(), PaneState::Collapsed);
  EXPECT_EQ(host->store.size(), 0u);  // neither dock saved anything itself
  delete second;

  for (const char* name : {"left", "right"}) {
    DockWidget* d = threePanes(window.get(), name);
    d->pane(name == std::string("left") ? "a" : "b")->setState(PaneState::Collapsed);
    delete d;  // saves
  }
  EXPECT_EQ(host->value("left/a").substr(2, 3), "1:0");
  EXPECT_EQ(host->value("right/a").substr(2, 3), "1:1");
  DockWidget* left = threePanes(window.get(), "left");
  EXPECT_EQ(left->pane("a")->state(), PaneState::Collapsed);
  EXPECT_EQ(left->pane("b")->state(), PaneState::Expanded);
  delete left;
  const auto store =
      std::filesystem::path(::testing::TempDir()) / ("panes-" + std::to_string(getpid())) / "s.sqlite";
  HostServices::setInstance(std::make_shared<DefaultHostServices>(store));
  panes();
  click(middle(access().imgCollapse(indexOf("a"))));
  delete dockWidget;
  HostServices::setInstance(host);
  EXPECT_FALSE(std::filesystem::exists(store.parent_path()));
}

TEST_F(QtDock, TabGoesFromTitleToTitleWhoseKeysFoldMoveAndCloseThePaneAndAskForItsMenu) {
  DockWidget* d = panes({}, true);
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  QTest::keyClick(window.get(), Qt::Key_Tab);
  QWidget* a = titleOf(d, "a");
  ASSERT_EQ(QApplication::focusWidget(), a);
  EXPECT_EQ(a->grab().toImage().pixel(0, 0), a->palette().color(QPalette::Highlight).rgb());
  QTest::keyClick(a, Qt::Key_Space);
  EXPECT_EQ(d->pane("a")->state(), PaneState::Collapsed);
  QTest::keyClick(a, Qt::Key_Return);
  EXPECT_EQ(d->pane("a")->state(), PaneState::Expanded);
  QTest::keyClick(a, Qt::Key_Tab);  // the labels take no focus: on to the next title
  EXPECT_EQ(QApplication::focusWidget(), titleOf(d, "b"));

  a->setFocus();
  QTest::keyClick(a, Qt::Key_Down, Qt::AltModifier);
  EXPECT_EQ(keysOf(d), (QStringList{"b", "a", "c"}));
  EXPECT_EQ(host->value("a").substr(0, 2), "2:");  // stored as a drop stores it
  EXPECT_EQ(QApplication::focusWidget(), a);
  QTest::keyClick(a, Qt::Key_Up, Qt::AltModifier);
  QTest::keyClick(a, Qt::Key_Up, Qt::AltModifier);  // already first
  EXPECT_EQ(keysOf(d), (QStringList{"a", "b", "c"}));
  EXPECT_EQ(host->value("a").substr(0, 2), "1:");

  QSignalSpy closed(d, &DockWidget::paneClosed), menu(d, &DockWidget::contextMenuRequested);
  d->pane("b")->setClosable(false);
  QTest::keyClick(titleOf(d, "b"), Qt::Key_Delete);
  EXPECT_EQ(d->pane("b")->state(), PaneState::Expanded);
  QTest::keyClick(a, Qt::Key_Delete);
  EXPECT_EQ(d->pane("a")->state(), PaneState::Hidden);
  ASSERT_EQ(closed.count(), 1);
  EXPECT_EQ(closed[0][0].toString(), "a");
  QWidget* c = titleOf(d, "c");
  QTest::keyClick(c, Qt::Key_F10, Qt::ShiftModifier);
  QTest::keyClick(c, Qt::Key_Menu);
  ASSERT_EQ(menu.count(), 2);
  EXPECT_EQ(menu[0][0].toString(), "c");
  EXPECT_EQ(menu[0][1].toPoint(), c->mapToGlobal(QPoint(0, c->height())));
}

/// The accessible objects below `i`, depth first, each checked to know its parent.
void walk(QAccessibleInterface* i, std::vector<QAccessibleInterface*>& out) {
  out.push_back(i);
  for (int n = 0; n < i->childCount(); ++n) {
    QAccessibleInterface* c = i->child(n);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->parent(), i);
    EXPECT_EQ(i->indexOfChild(c), n);
    walk(c, out);
  }
}

TEST_F(QtDock, ScreenReadersFindTheShownPanesTheirStateAndButtonsAndPressThemInTheInstalledLanguage) {
  QWidget* title = titleOf(panes({}, true), "a");
  const QPointF drawn = middle(access().imgCollapse(indexOf("a")));
  // The tip over the middle of an element of a's title strip; a caption has none of its own.
  auto tip = [&](const Element& e) {
    const QPoint at(pixels(e.Left() + e.Width() / 2), pixels(e.Top() + e.Height() / 2));
    QHelpEvent help(QEvent::ToolTip, at, title->mapToGlobal(at));
    QCoreApplication::sendEvent(title, &help);
    return help.isAccepted() ? QToolTip::text() : QString("(none)");
  };
  const Image& collapseA = access().imgCollapse(indexOf("a"));
  EXPECT_EQ(tip(access().lblTitel(indexOf("a"))), "(none)");
  EXPECT_EQ(tip(collapseA), QStringLiteral("Element zuklappen"));
  installTranslator(QLocale(QLocale::English));
  EXPECT_EQ(tip(collapseA), QStringLiteral("Collapse"));
  EXPECT_EQ(QCoreApplication::translate("tov", "Sie müssen mindestens ein Element sichtbar lassen!"),
            QStringLiteral("At least one pane must stay visible"));
  dockWidget->pane("b")->setState(PaneState::Hidden);
  dockWidget->pane("c")->setState(PaneState::Collapsed);
  dockWidget->pane("c")->setClosable(false);
  // Each title strip found from the dock: its name, its state and its buttons' names, left to right.
  auto strips = [&] {
    std::vector<QAccessibleInterface*> all;
    walk(QAccessible::queryAccessibleInterface(dockWidget), all);
    QStringList found;
    for (QAccessibleInterface* i : all) {
      if (!i->state().expandable) continue;
      EXPECT_TRUE(i->state().focusable);
      QString s = i->text(QAccessible::Name) + (i->state().expanded    ? " open:"
                                                : i->state().collapsed ? " shut:"
                                                                       : ":");
      for (int n = 0; n < i->childCount(); ++n)
        s += " " + i->child(n)->text(QAccessible::Name);
      found << s;
    }
    return found;
  };
  EXPECT_EQ(strips(), (QStringList{"A open: Collapse Close", "C shut: Expand"}));

  QAccessibleInterface* a = QAccessible::queryAccessibleInterface(title);
  QAccessibleInterface* collapse = a->child(0);
  EXPECT_TRUE(
      collapse->rect().contains(dockWidget->mapToGlobal(QPoint(pixels(drawn.x()), pixels(drawn.y())))));
  EXPECT_EQ(a->childAt(collapse->rect().center().x(), collapse->rect().center().y()), collapse);
  ASSERT_TRUE(collapse->actionInterface());
  collapse->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_EQ(dockWidget->pane("a")->state(), PaneState::Collapsed);
  EXPECT_EQ(strips(), (QStringList{"A shut: Expand Close", "C shut: Expand"}));
  installTranslator(QLocale(QLocale::German));
  EXPECT_EQ(QCoreApplication::translate("tov", "Element zuklappen"), QStringLiteral("Element zuklappen"));

  // A slot that deletes the dock in the middle of a press ends the pass: nothing of it is touched.
  QPointer<DockWidget> gone = dockWidget;
  QObject::connect(dockWidget, &DockWidget::paneStateChanged, window.get(), [&] { delete gone.data(); });
  a->child(0)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_TRUE(gone.isNull());
}

/// The first and the last band of pane a's title gradient as painted.
std::pair<QColor, QColor> titleBands(DockWidget* d) {
  QWidget* title = titleOf(d, "a");
  const QImage shot = title->grab().toImage();
  return {shot.pixelColor(1, 1), shot.pixelColor(title->width() - 2, 1)};
}

TEST_F(QtDock, TitleTextStandsOutInLightDarkAndHighContrastPalettesWhoseChangeRepaints) {
  QPalette dark(Qt::white, QColor(0x353535), QColor(0x505050), QColor(0x1A1A1A), QColor(0x252525), Qt::white,
                Qt::white, QColor(0x2A2A2A), QColor(0x353535));
  QPalette high(Qt::white, Qt::black, Qt::white, Qt::gray, Qt::gray, Qt::white, Qt::white, Qt::black,
                Qt::black);
  for (QPalette* p : {&dark, &high})
    p->setColor(QPalette::ButtonText, Qt::white);
  DockWidget* d = panes();
  std::vector<int> lightness;
  for (const auto& [name, palette] : std::vector<std::pair<const char*, QPalette>>{
           {"light", QApplication::palette()}, {"dark", dark}, {"high contrast", high}}) {
    d->setPalette(pinned(palette));
    const auto [start, end] = titleBands(d);
    const QColor text = qcolor(d->pane("a")->bar()->TitleForeColor());
    EXPECT_EQ(start, d->color(DockWidget::TitleStart)) << name;
    EXPECT_EQ(text, d->color(DockWidget::TitleText)) << name;
    EXPECT_GE(contrast(text, start), 4.5) << name;
    EXPECT_GE(contrast(text, end), 4.5) << name;
    lightness.push_back(start.lightness());
  }
  EXPECT_LT(lightness[1], lightness[0]);  // repainted in the dark palette

  d->setColor(DockWidget::TitleStart, Qt::red);  // an own colour overrides its role
  EXPECT_EQ(titleBands(d).first, QColor(Qt::red));
  EXPECT_EQ(d->pane("a")->bar()->TitleBackColorStart(), 0x0000FF);
  d->setColor(DockWidget::TitleStart, QColor());  // back to the palette
  EXPECT_NE(titleBands(d).first, QColor(Qt::red));
  EXPECT_EQ(d->color(DockWidget::TitleStart), titleBands(d).first);
}

TEST_F(QtDock, ADragWaitsForTheStartDistanceMarksWhereTheBarGoesForbidsANoOpDropAndEndsOnEscape) {
  panes();
  const std::int32_t b = indexOf("b"), c = indexOf("c");
  const QPointF onA = onTitle(indexOf("a"), 400), onB = onTitle(b), onC = onTitle(c);
  const double topC = access().picDockBar(c).Top();
  auto outlines = [&] { return window->findChildren<QRubberBand*>(); };
  auto cursor = [] {
    return QGuiApplication::overrideCursor() ? QGuiApplication::overrideCursor()->shape() : -1;
  };

  // Short of the start distance a press stays a click for the dock: no outline, the bar stays.
  const QPointF near = onC + QPointF((QApplication::startDragDistance() - 1) / pixelsPerTwip(), 0);
  mouse(QEvent::MouseButtonPress, onC);
  mouse(QEvent::MouseMove, near);
  EXPECT_EQ(std::pair(outlines().size(), cursor()), (std::pair<qsizetype, int>(0, -1)));
  mouse(QEvent::MouseButtonRelease, near);
  EXPECT_EQ(access().dragSource(), 0);
  EXPECT_EQ(access().picDockBar(c).Top(), topC);

  // Over b's title c would go in front of b: a line in the highlight colour on b's top edge, under
  // an outline of c's frame that keeps its place relative to the cursor.
  mouse(QEvent::MouseButtonPress, onC);
  mouse(QEvent::MouseMove, onB);
  ASSERT_EQ(outlines().size(), 1);
  const QPoint frameC = QtToolkit::widgetOf(access().picDockBar(c))->mapTo(window.get(), QPoint(0, 0));
  EXPECT_EQ(outlines()[0]->pos() - frameC,
            QPoint(pixels(onB.x()) - pixels(onC.x()), pixels(onB.y()) - pixels(onC.y())));
  EXPECT_EQ(dockWidget->toolkit()->dropHint().kind, DropHint::Kind::Line);
  const QColor highlight = dockWidget->surfaceWidget()->palette().color(QPalette::Highlight);
  // Over the outline, which covers b's top edge here.
  const QPoint edge = dockWidget->surfaceWidget()->mapTo(
      window.get(), QPoint(pixels(2250), static_cast<int>(access().picDockBar(b).Top() * pixelsPerTwip())));
  auto marked = [&] { return rgb(window->grab().toImage(), edge.x(), edge.y()); };
  EXPECT_EQ(marked(), rgb(highlight));
  EXPECT_EQ(cursor(), -1);

  // On its own title a drop changes nothing: no marker, the forbidden cursor until it leaves.
  mouse(QEvent::MouseMove, onC);
  EXPECT_NE(marked(), rgb(highlight));
  EXPECT_EQ(cursor(), Qt::ForbiddenCursor);
  mouse(QEvent::MouseMove, onB);
  EXPECT_EQ(cursor(), -1);
  mouse(QEvent::MouseMove, onC);
  mouse(QEvent::MouseButtonRelease, onC);
  EXPECT_EQ(std::pair(outlines().size(), cursor()), (std::pair<qsizetype, int>(0, -1)));
  EXPECT_EQ(access().picDockBar(c).Top(), topC);

  // Escape ends a drag without a drop and leaves the dock as it was.
  mouse(QEvent::MouseButtonPress, onC);
  const QImage before = dockWidget->grab().toImage();
  mouse(QEvent::MouseMove, onA);
  ASSERT_EQ(outlines().size(), 1);
  QTest::keyClick(window.get(), Qt::Key_Escape);
  EXPECT_EQ(outlines().size(), 0);
  EXPECT_EQ(dockWidget->toolkit()->dropHint(), DropHint{});
  mouse(QEvent::MouseMove, onA + QPointF(0, 100));
  EXPECT_EQ(outlines().size(), 0);
  mouse(QEvent::MouseButtonRelease, onA + QPointF(0, 100));
  EXPECT_EQ(dockWidget->toolkit()->dragging(), nullptr);
  EXPECT_EQ(access().picDockBar(c).Top(), topC);
  mouse(QEvent::MouseMove, onC, Qt::NoButton);
  EXPECT_EQ(dockWidget->grab().toImage(), before);
}

TEST_F(QtDock, SplitterStepsLeaveTheWidgetsAndTheScreenAsADockLaidOutAtTheirEnd) {
  // Ten bars in a dock that shows about six: a step moves the bars below the first one together.
  auto build = [](QWidget* window, bool scroll, const std::vector<std::int32_t>& heights) {
    window->setGeometry(30, 40, 420, 480);
    auto* d = new DockWidget(window);
    d->setGeometry(20, 20, pixels(4500), pixels(6000));
    for (int i = 1; i <= static_cast<int>(heights.size()); ++i) {
      BarRef b = d->bars()->Add();
      b->setKey("k" + std::to_string(i));
      b->setTitle("Bar " + std::to_string(i));
      b->setAllowResize(true);
      b->setHeight(heights[i - 1]);
      b->setControl(std::make_shared<WidgetControl>(new QLabel(QString("body %1").arg(i), window)));
    }
    d->dock()->setAllowScroll(scroll);
    d->dock()->setShow(true);
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
  for (bool scroll : {true, false}) {
    SCOPED_TRACE(scroll ? "scroll" : "fitted");
    auto dragged = std::make_unique<QWidget>();
    std::vector<std::int32_t> heights(10, 1000);
    heights[0] = 1500;
    DockWidget* d = build(dragged.get(), scroll, heights);
    DockTestAccess dragAccess(*d->dock());
    const std::int16_t first = d->bars()->ItemByOrder(1)->Index();
    QPointF grip = at(dragAccess.picSplit(first)) + QPointF(600, 0);
    // The last bar, out of sight, is told of each move as a widget moved on its own is.
    struct MoveCount : QObject {
      int moves = 0;
      bool eventFilter(QObject*, QEvent* e) override {
        moves += e->type() == QEvent::Move;
        return false;
      }
    } last;
    QtToolkit::widgetOf(dragAccess.picDockBar(d->bars()->ItemByOrder(10)->Index()))
        ->installEventFilter(&last);
    sendMouse(dragged.get(), d, QEvent::MouseButtonPress, grip, Qt::LeftButton, timestamp);
    for (double step : {225, 450, 450, -225, 450, -450, -225, 675}) {
      grip += QPointF(0, step);
      sendMouse(dragged.get(), d, QEvent::MouseMove, grip, Qt::LeftButton, timestamp);
    }
    EXPECT_EQ(last.moves, scroll ? 8 : 0);
    sendMouse(dragged.get(), d, QEvent::MouseButtonRelease, grip, Qt::LeftButton, timestamp);
    // The strip stays under the pointer until its bar is painted again; the moved bars are not.
    BarRef dragged1 = d->bars()->ItemByOrder(1);
    dragged1->setTitleForeColor(dragged1->TitleForeColor());
    QCoreApplication::processEvents();
    for (int i = 1; i <= 10; ++i)
      heights[i - 1] = d->bars()->ItemByOrder(i)->Height();
    ASSERT_NE(heights[0], 1500);
    auto direct = std::make_unique<QWidget>();
    // Laid out at the same heights; a fitted dock has no splitter under its last bar.
    DockWidget* reference = build(direct.get(), true, heights);
    reference->bars()->ItemByOrder(10)->setShowResize(scroll);
    QCoreApplication::processEvents();
    EXPECT_EQ(geometries(d), geometries(reference));
    EXPECT_EQ(screen(dragged.get(), d), screen(direct.get(), reference));
  }
}

/// The pixels of an element of a title strip in a grab of the strip at `ratio` device pixels each.
QRect devicePixels(const Element& e, int ratio) {
  const int left = pixels(e.Left()), top = pixels(e.Top());
  return QRect(left * ratio, top * ratio, (pixels(e.Left() + e.Width()) - left) * ratio,
               (pixels(e.Top() + e.Height()) - top) * ratio);
}

TEST_F(QtDock, AtPixelRatioTwoIconsComeWholeFromTheirIconAndGlyphEdgesAreSmooth) {
  if (window->devicePixelRatio() != 2) GTEST_SKIP() << "runs at QT_SCALE_FACTOR=2 (ctest qt.PixelRatioTwo)";
  DockWidget* d = panes();
  QPixmap one(16, 16), two(32, 32);
  one.fill(Qt::red);
  two.fill(Qt::green);
  QIcon icon(one);
  icon.addPixmap(two);
  d->pane("a")->setIcon(icon);
  const std::int32_t i = indexOf("a");
  const QImage shot = titleOf(d, "a")->grab().toImage();
  ASSERT_EQ(shot.devicePixelRatio(), 2);
  // The icon's own large pixmap fills its box and nothing beyond it.
  const QRect box = devicePixels(access().imgIcon(i), 2);
  for (QPoint p : {box.topLeft(), box.bottomRight(), box.center()})
    EXPECT_EQ(rgb(shot, p.x(), p.y()), 0x00FF00u) << p.x() << "," << p.y();
  EXPECT_NE(rgb(shot, box.right() + 1, box.center().y()), 0x00FF00u);

  // Device pixels of the close glyph's edges differ within a pixel of the scale: not pictures doubled.
  const QRect close = devicePixels(access().imgClose(i), 2);
  int smooth = 0;
  for (int y = close.top(); y < close.bottom(); y += 2) {
    for (int x = close.left(); x < close.right(); x += 2) {
      const std::uint32_t c = rgb(shot, x, y);
      const bool dark = std::min({qGray(shot.pixel(x, y)), qGray(shot.pixel(x + 1, y)),
                                  qGray(shot.pixel(x, y + 1)), qGray(shot.pixel(x + 1, y + 1))}) < 110;
      smooth +=
          dark && (rgb(shot, x + 1, y) != c || rgb(shot, x, y + 1) != c || rgb(shot, x + 1, y + 1) != c);
    }
  }
  EXPECT_GE(smooth, 8);
}

TEST_F(QtDock, TitleButtonsShowHoverAndPressWithThePointingHandAndNarrowTitlesShortenTheirCaptions) {
  DockWidget* d = panes();
  d->setPalette(pinned(QApplication::palette()));
  const std::int32_t i = indexOf("a");
  const Image& close = access().imgClose(i);
  QWidget* title = titleOf(d, "a");
  // Without the top row, where a focused title draws its frame.
  auto look = [&] { return title->grab(devicePixels(close, 1).adjusted(0, 1, 0, 0)).toImage(); };
  const QImage plain = look();
  mouse(QEvent::MouseMove, middle(close), Qt::NoButton);
  EXPECT_EQ(title->cursor().shape(), Qt::PointingHandCursor);
  const QImage hovered = look();
  EXPECT_NE(hovered, plain);
  mouse(QEvent::MouseButtonPress, middle(close));
  const QImage pressed = look();
  EXPECT_TRUE(pressed != hovered && pressed != plain);
  // Let go away from the button: no click, and the button looks as before.
  const QPointF caption = at(access().lblTitel(i)) + QPointF(30, 60);
  mouse(QEvent::MouseMove, caption);
  mouse(QEvent::MouseButtonRelease, caption);
  mouse(QEvent::MouseMove, caption + QPointF(30, 0), Qt::NoButton);
  EXPECT_EQ(d->pane("a")->state(), PaneState::Expanded);
  EXPECT_EQ(look(), plain);
  EXPECT_EQ(title->cursor().shape(), Qt::SizeAllCursor);

  // A narrow title shortens its caption before the other caption and the buttons.
  d->pane("a")->setTitle("A rather long title for a narrow dock");
  d->pane("a")->setRightTitle("right hand side");
  d->resize(pixels(2400), d->height());
  QCoreApplication::processEvents();
  access().lblTitel(i).setForeColor(0xFF0000);       // blue
  access().lblTitelRight(i).setForeColor(0x0000FF);  // red
  const QImage shot = title->grab().toImage();
  // The first and last column left of `end` where a colour channel clearly leads: the glyphs take
  // the left caption's colour, so blue is looked for before the buttons only.
  auto columns = [&](int channel, int end) {
    std::pair<int, int> span(end, -1);
    for (int y = 0; y < shot.height(); ++y) {
      for (int x = 0; x < end; ++x) {
        const QColor c = shot.pixelColor(x, y);
        const int v[] = {c.red(), c.green(), c.blue()};
        if (v[channel] > v[(channel + 1) % 3] + 80 && v[channel] > v[(channel + 2) % 3] + 80)
          span = {std::min(span.first, x), std::max(span.second, x)};
      }
    }
    return span;
  };
  const int buttons = pixels(access().imgCollapse(i).Left());
  const int blueEnd = columns(2, buttons).second;
  const auto [redStart, redEnd] = columns(0, shot.width());
  ASSERT_TRUE(blueEnd >= 0 && redEnd >= 0);
  EXPECT_LT(blueEnd, redStart);
  EXPECT_GT(blueEnd, redStart - pixels(300));  // shortened, not dropped
  EXPECT_LT(redEnd, buttons);
}

}  // namespace
}  // namespace tov::qt
