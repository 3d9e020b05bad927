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
#include <cstdio>
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

/// A QColor in the dock's 0x00BBGGRR form.
Color colorOf(const QColor& c) {
  return c.red() | (c.green() << 8) | (c.blue() << 16);
}

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

  BarRef addBar(const std::string& key, std::int32_t height, bool resizable = false) {
    BarRef b = dockWidget->bars()->Add();
    b->setKey(key);
    b->setTitle(key);
    b->setAllowResize(resizable);
    b->setHeight(height);
    auto* label = new QLabel(QString::fromStdString("body of " + key), window.get());
    label->setObjectName(QString::fromStdString(key));
    b->setControl(std::make_shared<WidgetControl>(label));
    return b;
  }

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

TEST_F(QtDock, TheWheelOverTheDockMovesItsScrollBarButNotOverAHostedWidget) {
  auto a = addBar("a", 3000);
  auto b = addBar("b", 3000);
  addBar("c", 3000);
  dock()->setAllowScroll(true);
  dock()->setShow(true);
  QWidget* frameA = QtToolkit::widgetOf(access().picDockBar(a->Index()));
  QWidget* frame = QtToolkit::widgetOf(access().picDockBar(b->Index()));
  QWidget* body = window->findChild<QLabel*>("b");
  ASSERT_TRUE(body && body->parentWidget() == frame);
  auto wheel = [](QWidget* w, QPoint p) {
    QWheelEvent e(p, w->mapToGlobal(p), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
    return e.isAccepted();
  };
  // A wheel event the hosted widget let pass comes up to its frame, which leaves it too.
  EXPECT_FALSE(wheel(frame, body->geometry().center()));
  EXPECT_EQ(access().VScroll().Value(), 0);
  EXPECT_TRUE(wheel(QtToolkit::widgetOf(access().picTitel(b->Index())), QPoint(40, 5)));
  const std::int32_t step = access().VScroll().Value();
  EXPECT_GT(step, 0);
  EXPECT_EQ(frameA->y(), pixels(-step));
  wheel(QtToolkit::widgetOf(access().picSplit(a->Index())), QPoint(40, 2));
  EXPECT_EQ(access().VScroll().Value(), 2 * step);

  // Resizing the widget resizes the dock, which lays out again.
  dock()->setAllowScroll(false);
  dockWidget->resize(pixels(3000), pixels(4500));
  EXPECT_EQ(std::pair(dock()->Width(), dock()->Height()), std::pair(3000.0, 4500.0));
  EXPECT_EQ(dockWidget->surfaceWidget()->size(), dockWidget->size());
  EXPECT_FALSE(QtToolkit::widgetOf(access().VScroll())->isVisible());
  EXPECT_FALSE(wheel(frame, QPoint(40, 5)));
}

TEST_F(QtDock, ButtonsFoldTheHostedWidgetAndSignalsPassWritableArguments) {
  auto a = addBar("a", 1500);
  a->setShowOptions(true);
  a->setShowClose(true);
  const std::int32_t i = a->Index();
  std::vector<std::string> right, closed, resized;
  QObject::connect(dockWidget, &DockWidget::ctlResize, [&](std::string& key) { resized.push_back(key); });
  QObject::connect(dockWidget, &DockWidget::rightClick, [&](std::string& key) { right.push_back(key); });
  QObject::connect(dockWidget, &DockWidget::closed, [&](std::string& key) { closed.push_back(key); });
  QObject::connect(dockWidget, &DockWidget::optShow, [](std::string&, bool& reload) { reload = true; });
  dock()->setShow(true);
  EXPECT_NE(std::find(resized.begin(), resized.end(), "a"), resized.end());
  auto* body = window->findChild<QLabel*>("a");
  ASSERT_NE(body, nullptr);
  EXPECT_TRUE(body->isVisible());
  EXPECT_EQ(QtToolkit::widgetOf(access().picTitel(i))->cursor().shape(), Qt::SizeAllCursor);
  EXPECT_EQ(QtToolkit::widgetOf(access().picSplit(i))->cursor().shape(), Qt::SizeVerCursor);
  click(middle(access().imgCollapse(i)));
  EXPECT_FALSE(body->isVisible());
  click(middle(access().imgExpand(i)));
  EXPECT_TRUE(body->isVisible());

  a->setTitleBackColorStart(0x123456);
  click(middle(access().imgOpt(i)));
  // The reload asked for brought the widget's colour back.
  EXPECT_EQ(a->TitleBackColorStart(), colorOf(dockWidget->color(DockWidget::TitleStart)));
  click(onTitle(i), Qt::RightButton);
  click(QPointF(2000, 4000), Qt::RightButton);
  EXPECT_EQ(right, (std::vector<std::string>{"a", ""}));

  addBar("b", 1500);
  dock()->setShow(true);
  click(middle(access().imgClose(i)));
  EXPECT_EQ(closed, std::vector<std::string>{"a"});
}

TEST_F(QtDock, PaintsGripLinesInPaletteColoursAndNothingOutsideTheDock) {
  dockWidget->setColor(DockWidget::PaneBackground, QColor(0xE0E0E0));
  auto a = addBar("a", 3000, true);
  auto b = addBar("b", 4000, true);
  dock()->setShow(true);

  const QImage shot = window->grab().toImage();
  const QPoint grip = QtToolkit::widgetOf(access().picSplit(a->Index()))->mapTo(window.get(), QPoint(40, 0));
  std::vector<std::uint32_t> grips;
  for (int y : {0, 10, 25, 40})
    grips.push_back(rgb(shot, grip.x(), grip.y() + pixels(y)));
  const QPalette& p = dockWidget->palette();
  EXPECT_EQ(grips,
            (std::vector<std::uint32_t>{0xE0E0E0, rgb(p.color(QPalette::Light)),
                                        rgb(p.color(QPalette::Midlight)), rgb(p.color(QPalette::Dark))}));

  // Bars taller than the dock are cut at its edge: the window around it stays untouched.
  b->setHeight(9000);
  dock()->setAllowScroll(true);
  dock()->resize(4500, 6000);
  const QImage after = window->grab().toImage();
  const QRect dockRect = dockWidget->geometry();
  for (int y = 0; y < after.height(); y += 3)
    for (int x = 0; x < after.width(); x += 3)
      ASSERT_TRUE(dockRect.contains(x, y) || rgb(after, x, y) == 0xFF00FFu) << x << "," << y;
  EXPECT_NE(rgb(after, dockRect.left() + 5, dockRect.bottom() - 5), 0xFF00FFu);
}

TEST_F(QtDock, AfterTheDockWidgetIsResizedEachBarIsWhereItsElementsAre) {
  std::vector<BarRef> bars{addBar("a", 2000, true), addBar("b", 2000, true), addBar("c", 2000, true)};
  dock()->setShow(true);
  // Only higher: the bars below the first move without changing their width.
  dockWidget->resize(dockWidget->width(), dockWidget->height() + 60);
  for (const BarRef& b : bars) {
    for (Panel* p : {&access().picDockBar(b->Index()), &access().picSplit(b->Index())}) {
      const int left = pixels(p->Left()), top = pixels(p->Top());
      EXPECT_EQ(QtToolkit::widgetOf(*p)->geometry(),
                QRect(left, top, pixels(p->Left() + p->Width()) - left, pixels(p->Top() + p->Height()) - top))
          << b->Key();
    }
  }
  EXPECT_GT(access().picDockBar(bars[2]->Index()).Top(), 4000);
}

TEST_F(QtDock, PanesOwnTheirWidgetsTakeOneKeyEachAndSignalEachStateChangeOnce) {
  DockWidget* d = panes({}, true);
  EXPECT_TRUE(d->dock()->Show());  // shown without setShow
  ASSERT_EQ(d->panes().size(), 3);
  double y = 0;
  for (Pane* p : d->panes())
    y += p->widget()->isVisible() ? p->bar()->Height() : 0;
  EXPECT_NEAR(y, 6000, 200);
  QLabel spare;
  EXPECT_EQ(d->addPane("a", &spare, "again"), nullptr);
  EXPECT_EQ(d->addPane("", &spare, "none"), nullptr);
  EXPECT_EQ(d->panes().size(), 3);
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

TEST_F(QtDock, SavedStateRestoresOnANewDockAndBadDataChangesNothing) {
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
  QStringList keys;
  for (Pane* p : second->panes())
    keys << p->key();
  EXPECT_EQ(keys, (QStringList{"b", "c", "a"}));
  EXPECT_EQ(second->pane("a")->group(), PaneGroup::Bottom);
  EXPECT_EQ(second->pane("c")->state(), PaneState::Collapsed);
  EXPECT_EQ(host->store.size(), 0u);  // neither dock saved anything itself
}

TEST_F(QtDock, DocksWithOtherNamesKeepTheirOwnRecordsAndWithoutAutoSaveNoFile) {
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

TEST_F(QtDock, EnglishTextsAfterTheTranslatorCall) {
  QWidget* title = titleOf(panes({}, true), "a");
  auto tip = [&] {
    const Image& button = access().imgCollapse(indexOf("a"));
    const QPoint at(pixels(button.Left() + button.Width() / 2), pixels(button.Top() + button.Height() / 2));
    QHelpEvent help(QEvent::ToolTip, at, title->mapToGlobal(at));
    QCoreApplication::sendEvent(title, &help);
    return QToolTip::text();
  };
  EXPECT_EQ(tip(), QStringLiteral("Element zuklappen"));
  installTranslator(QLocale(QLocale::English));
  EXPECT_EQ(tip(), QStringLiteral("Collapse"));
  EXPECT_EQ(QCoreApplication::translate("tov", "Sie müssen mindestens ein Element sichtbar lassen!"),
            QStringLiteral("At least one pane must stay visible"));
  installTranslator(QLocale(QLocale::German));
  EXPECT_EQ(tip(), QStringLiteral("Element zuklappen"));
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

  auto keys = [d] {
    QStringList k;
    for (Pane* p : d->panes())
      k << p->key();
    return k;
  };
  a->setFocus();
  QTest::keyClick(a, Qt::Key_Down, Qt::AltModifier);
  EXPECT_EQ(keys(), (QStringList{"b", "a", "c"}));
  EXPECT_EQ(host->value("a").substr(0, 2), "2:");  // stored as a drop stores it
  EXPECT_EQ(QApplication::focusWidget(), a);
  QTest::keyClick(a, Qt::Key_Up, Qt::AltModifier);
  QTest::keyClick(a, Qt::Key_Up, Qt::AltModifier);  // already first
  EXPECT_EQ(keys(), (QStringList{"a", "b", "c"}));
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

TEST_F(QtDock, ScreenReadersFindTheShownPanesTheirStateAndButtonsAndPressThem) {
  installTranslator(QLocale(QLocale::English));
  panes({}, true);
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

  QAccessibleInterface* a = QAccessible::queryAccessibleInterface(titleOf(dockWidget, "a"));
  QAccessibleInterface* collapse = a->child(0);
  const QPointF drawn = middle(access().imgCollapse(indexOf("a")));
  EXPECT_TRUE(
      collapse->rect().contains(dockWidget->mapToGlobal(QPoint(pixels(drawn.x()), pixels(drawn.y())))));
  EXPECT_EQ(a->childAt(collapse->rect().center().x(), collapse->rect().center().y()), collapse);
  ASSERT_TRUE(collapse->actionInterface());
  collapse->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_EQ(dockWidget->pane("a")->state(), PaneState::Collapsed);
  EXPECT_EQ(strips(), (QStringList{"A shut: Expand Close", "C shut: Expand"}));
  installTranslator(QLocale(QLocale::German));

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
  QColor lightStart;
  for (const auto& [name, palette] : std::vector<std::pair<const char*, QPalette>>{
           {"light", QApplication::palette()}, {"dark", dark}, {"high contrast", high}}) {
    d->setPalette(pinned(palette));
    const auto [start, end] = titleBands(d);
    const Color c = d->pane("a")->bar()->TitleForeColor();
    const QColor text(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    EXPECT_EQ(start, d->color(DockWidget::TitleStart)) << name;
    EXPECT_EQ(text, d->color(DockWidget::TitleText)) << name;
    const double toStart = contrast(text, start), toEnd = contrast(text, end);
    std::printf("%s: text %s, contrast %.2f to %s and %.2f to %s\n", name, qPrintable(text.name()), toStart,
                qPrintable(start.name()), toEnd, qPrintable(end.name()));
    EXPECT_GE(toStart, 4.5) << name;
    EXPECT_GE(toEnd, 4.5) << name;
    if (name == std::string("light")) lightStart = start;
    if (name == std::string("dark")) {
      EXPECT_LT(start.lightness(), lightStart.lightness());  // repainted
    }
  }

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
  auto outlines = [&] { return window->findChildren<QRubberBand*>().size(); };

  // Short of the start distance a press stays a click for the dock: no outline, the bar stays.
  const QPointF near = onC + QPointF((QApplication::startDragDistance() - 1) / pixelsPerTwip(), 0);
  mouse(QEvent::MouseButtonPress, onC);
  mouse(QEvent::MouseMove, near);
  EXPECT_EQ(outlines(), 0);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  mouse(QEvent::MouseButtonRelease, near);
  EXPECT_EQ(access().dragSource(), 0);
  EXPECT_EQ(access().picDockBar(c).Top(), topC);

  // Over b's title c would go in front of b: a line in the highlight colour on b's top edge.
  mouse(QEvent::MouseButtonPress, onC);
  mouse(QEvent::MouseMove, onB);
  EXPECT_EQ(outlines(), 1);
  EXPECT_EQ(dockWidget->toolkit()->dropHint().kind, DropHint::Kind::Line);
  const QColor highlight = dockWidget->surfaceWidget()->palette().color(QPalette::Highlight);
  // Over the outline, which covers b's top edge here.
  const QPoint edge = dockWidget->surfaceWidget()->mapTo(
      window.get(), QPoint(pixels(2250), static_cast<int>(access().picDockBar(b).Top() * pixelsPerTwip())));
  auto marked = [&] { return rgb(window->grab().toImage(), edge.x(), edge.y()); };
  EXPECT_EQ(marked(), rgb(highlight));
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

  // On its own title a drop changes nothing: no marker, the forbidden cursor until it leaves.
  mouse(QEvent::MouseMove, onC);
  EXPECT_NE(marked(), rgb(highlight));
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::ForbiddenCursor);
  mouse(QEvent::MouseMove, onB);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  mouse(QEvent::MouseMove, onC);
  mouse(QEvent::MouseButtonRelease, onC);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(outlines(), 0);
  EXPECT_EQ(access().picDockBar(c).Top(), topC);

  // Escape ends a drag without a drop and leaves the dock as it was.
  mouse(QEvent::MouseButtonPress, onC);
  const QImage before = dockWidget->grab().toImage();
  mouse(QEvent::MouseMove, onA);
  ASSERT_EQ(outlines(), 1);
  QTest::keyClick(window.get(), Qt::Key_Escape);
  EXPECT_EQ(outlines(), 0);
  EXPECT_EQ(dockWidget->toolkit()->dropHint(), DropHint{});
  mouse(QEvent::MouseMove, onA + QPointF(0, 100));
  EXPECT_EQ(outlines(), 0);
  mouse(QEvent::MouseButtonRelease, onA + QPointF(0, 100));
  EXPECT_EQ(dockWidget->toolkit()->dragging(), nullptr);
  EXPECT_EQ(access().picDockBar(c).Top(), topC);
  mouse(QEvent::MouseMove, onC, Qt::NoButton);
  EXPECT_EQ(dockWidget->grab().toImage(), before);
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
      if (dark && (rgb(shot, x + 1, y) != c || rgb(shot, x, y + 1) != c || rgb(shot, x + 1, y + 1) != c))
        ++smooth;
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
  auto lightness = [](const QImage& img) {
    long sum = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x)
        sum += qGray(img.pixel(x, y));
    return sum;
  };
  const QImage plain = look();
  mouse(QEvent::MouseMove, middle(close), Qt::NoButton);
  EXPECT_EQ(title->cursor().shape(), Qt::PointingHandCursor);
  const QImage hovered = look();
  EXPECT_NE(hovered, plain);
  mouse(QEvent::MouseButtonPress, middle(close));
  EXPECT_LT(lightness(look()), lightness(hovered));
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
  // The glyphs take the left caption's colour: blue is looked for before the buttons only.
  const int buttons = pixels(access().imgCollapse(i).Left());
  int blueEnd = -1, redStart = shot.width(), redEnd = -1;
  for (int y = 0; y < shot.height(); ++y) {
    for (int x = 0; x < shot.width(); ++x) {
      const QColor c = shot.pixelColor(x, y);
      if (x < buttons && c.blue() > c.red() + 80 && c.blue() > c.green() + 80) blueEnd = std::max(blueEnd, x);
      if (c.red() > c.blue() + 80 && c.red() > c.green() + 80) {
        redStart = std::min(redStart, x);
        redEnd = std::max(redEnd, x);
      }
    }
  }
  ASSERT_GE(blueEnd, 0);
  ASSERT_GE(redEnd, 0);
  EXPECT_LT(blueEnd, redStart);
  EXPECT_GT(blueEnd, redStart - pixels(300));  // shortened, not dropped
  EXPECT_LT(redEnd, buttons);
}

}  // namespace
}  // namespace tov::qt
