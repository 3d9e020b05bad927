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
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "qt_support.h"
#include "support/dock_access.h"
#include "support/memory_host.h"
#include "support/ui_driver.h"
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

/// Each pane in order: key, group and state, its frame's top and height in pixels while the frame
/// shows, and "w" while its widget shows.
std::string layoutOf(DockWidget* d) {
  QStringList out;
  for (Pane* p : d->panes()) {
    const QWidget* frame = p->widget()->parentWidget();
    out << p->key() + "TLRB"[int(p->group())] + "CEH"[int(p->state())] +
               (frame->isVisible() ? QString(" %1+%2").arg(frame->y()).arg(frame->height()) : "") +
               (p->widget()->isVisible() ? " w" : "");
  }
  return out.join(", ").toStdString();
}

class QtDock : public QtWindowTest {
 protected:
  void SetUp() override {
    HostServices::setInstance(host);
    window->setGeometry(30, 40, 420, 480);
    window->setPalette(QPalette(QColor(255, 0, 255)));
    window->setAutoFillBackground(true);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    panes();
  }
  void TearDown() override {
    window.reset();
    HostServices::setInstance(nullptr);
  }

  /// A dock of three panes a, b and c in the window, shown only now, as an application does it; the
  /// mouse and access() reach the newest one.
  DockWidget* panes(const QString& name = {}, bool autoSave = false) {
    d = new DockWidget(window.get());
    d->toolkit()->setMessageHandler(
        [](const std::string& text, const std::string&) { ADD_FAILURE() << text; });
    d->setObjectName(name);
    d->setAutoSave(autoSave);
    for (const char* k : {"a", "b", "c"})
      d->addPane(k, new QLabel(k), QString(k).toUpper());
    d->setGeometry(20, 20, pixels(4500), pixels(6000));
    d->show();
    return d;
  }
  DockTestAccess access() { return DockTestAccess(*d->dock()); }
  std::int32_t indexOf(const char* key) { return d->pane(key)->bar()->Index(); }
  QWidget* titleOf(const char* key) { return QtToolkit::widgetOf(access().picTitel(indexOf(key))); }

  /// Position of an element in the dock's twips.
  static QPointF at(const Element& e) { return {test::UiDriver::absLeft(e), test::UiDriver::absTop(e)}; }
  /// The middle of an image button.
  QPointF middle(const Element& e) { return at(e) + QPointF(e.Width() / 2, e.Height() / 2); }
  /// A point on a title strip, away from its caption and buttons.
  QPointF onTitle(const char* key, double down = 130) {
    return at(access().picTitel(indexOf(key))) + QPointF(2500, down);
  }

  QWidget* target() override { return d; }

  std::shared_ptr<MemoryHost> host = std::make_shared<MemoryHost>();
  DockWidget* d = nullptr;
};

/// Counts the events of one type that the widgets it is installed on receive.
struct EventCount : QObject {
  explicit EventCount(QEvent::Type type) : type(type) {}
  bool eventFilter(QObject*, QEvent* e) override {
    count += e->type() == type;
    return false;
  }
  QEvent::Type type;
  int count = 0;
};

/// A colour of the dock's 0x00BBGGRR form as a QColor.
QColor qcolor(Color c) {
  return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

TEST_F(QtDock, BarsAreCutAtTheDockWhoseWheelMovesItsScrollBarButNotOverAHostedWidget) {
  d->setColor(DockWidget::PaneBackground, QColor(0xE0E0E0));
  for (Pane* p : d->panes())
    p->setResizable(true), p->bar()->setHeight(3000);
  d->setScrollable(true);
  const std::int32_t a = indexOf("a"), b = indexOf("b");
  // Grip lines in the palette's shades, and the window around the dock untouched.
  const QImage shot = window->grab().toImage();
  const QPoint grip = QtToolkit::widgetOf(access().picSplit(a))->mapTo(window.get(), QPoint(40, 0));
  const QPalette& p = d->palette();
  for (auto [y, colour] : {std::pair(0, QColor(0xE0E0E0)),
                           {10, p.color(QPalette::Light)},
                           {25, p.color(QPalette::Midlight)},
                           {40, p.color(QPalette::Dark)}})
    EXPECT_EQ(rgb(shot, grip.x(), grip.y() + pixels(y)), rgb(colour)) << y;
  const QRect dockRect = d->geometry();
  for (int y = 0; y < shot.height(); y += 3)
    for (int x = 0; x < shot.width(); x += 3)
      ASSERT_TRUE(dockRect.contains(x, y) || rgb(shot, x, y) == 0xFF00FFu) << x << "," << y;
  EXPECT_NE(rgb(shot, dockRect.left() + 5, dockRect.bottom() - 5), 0xFF00FFu);

  QWidget *body = d->pane("b")->widget(), *frame = body->parentWidget();
  ASSERT_EQ(frame, QtToolkit::widgetOf(access().picDockBar(b)));
  auto wheel = [](QWidget* w, QPoint p) {
    QWheelEvent e(p, w->mapToGlobal(p), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
    return e.isAccepted();
  };
  // A wheel event the hosted widget let pass comes up to its frame, which leaves it too.
  EXPECT_FALSE(wheel(frame, body->geometry().center()) || access().VScroll().Value());
  EXPECT_TRUE(wheel(titleOf("b"), QPoint(40, 5)));
  const std::int32_t step = access().VScroll().Value();
  EXPECT_TRUE(step > 0 && QtToolkit::widgetOf(access().picDockBar(a))->y() == pixels(-step)) << step;
  wheel(QtToolkit::widgetOf(access().picSplit(a)), QPoint(40, 2));
  EXPECT_EQ(access().VScroll().Value(), 2 * step);

  // Resizing the widget resizes the dock, which lays out again. Only higher, the bars below the
  // first and the splitters move without changing their size: their widgets follow all the same.
  d->setScrollable(false);
  const double lastTop = access().picDockBar(indexOf("c")).Top();
  d->resize(d->width(), d->height() + 60);
  for (std::int32_t i : {a, b, indexOf("c")})
    for (Panel* p : {&access().picDockBar(i), &access().picSplit(i)}) {
      const int left = pixels(p->Left()), top = pixels(p->Top());
      EXPECT_EQ(QtToolkit::widgetOf(*p)->geometry(),
                QRect(left, top, pixels(p->Left() + p->Width()) - left, pixels(p->Top() + p->Height()) - top))
          << i;
    }
  EXPECT_GT(access().picDockBar(indexOf("c")).Top(), lastTop);
  d->resize(pixels(3000), pixels(4500));
  EXPECT_EQ(std::tuple(d->dock()->Width(), d->dock()->Height(), d->surfaceWidget()->size()),
            std::tuple(3000.0, 4500.0, d->size()));
  EXPECT_FALSE(QtToolkit::widgetOf(access().VScroll())->isVisible() || wheel(frame, QPoint(40, 5)));
}

TEST_F(QtDock, ButtonsAndRightClicksRaiseSignalsWithWritableArguments) {
  const BarRef a = d->pane("a")->bar();
  a->setShowOptions(true);
  const std::int32_t i = a->Index();
  Keys log;
  std::set<std::string> resized;
  QObject::connect(d, &DockWidget::ctlResize, [&](std::string& key) { resized.insert(key); });
  QObject::connect(d, &DockWidget::rightClick, [&](std::string& key) { log.push_back("right " + key); });
  QObject::connect(d, &DockWidget::closed, [&](std::string& key) { log.push_back("closed " + key); });
  QObject::connect(d, &DockWidget::optShow, [](std::string&, bool& reload) { reload = true; });
  d->resize(pixels(4000), pixels(6000));
  EXPECT_EQ(QtToolkit::widgetOf(access().picSplit(i))->cursor().shape(), Qt::SizeVerCursor);
  a->setTitleBackColorStart(0x123456);
  click(middle(access().imgOpt(i)));
  // The reload asked for brought the widget's colour back.
  EXPECT_EQ(qcolor(a->TitleBackColorStart()), d->color(DockWidget::TitleStart));
  click(middle(access().imgClose(i)));
  d->pane("b")->setState(PaneState::Collapsed);
  d->pane("c")->setState(PaneState::Hidden);
  click(onTitle("b"), Qt::RightButton);
  click(QPointF(2000, 5900), Qt::RightButton);  // below the titles
  EXPECT_EQ(std::pair(log, resized.contains("a")), std::pair(Keys{"closed a", "right b", "right "}, true));
}

TEST_F(QtDock, PanesOwnTheirWidgetsTakeOneKeyEachAndSignalEachStateChangeOnce) {
  EXPECT_TRUE(d->dock()->Show());  // shown without setShow
  QLabel spare;
  EXPECT_FALSE(d->addPane("a", &spare, "again") || d->addPane("", &spare, "none") || spare.parent());
  EXPECT_EQ(layoutOf(d), "aTE 0+133 w, bTE 133+134 w, cTE 267+133 w");

  Pane* b = d->pane("b");
  QSignalSpy own(b, &Pane::stateChanged), all(d, &DockWidget::paneStateChanged),
      closed(d, &DockWidget::paneClosed);
  b->setState(PaneState::Collapsed);
  b->setState(PaneState::Collapsed);
  ASSERT_EQ(std::pair(own.count(), all.count()), (std::pair<qsizetype, qsizetype>(1, 1)));
  EXPECT_EQ(own[0][0].value<PaneState>(), PaneState::Collapsed);
  click(middle(access().imgExpand(b->bar()->Index())));
  click(middle(access().imgCollapse(b->bar()->Index())));
  EXPECT_EQ(layoutOf(d), "aTE 0+133 w, bTC 133+18, cTE 151+242 w");
  EXPECT_EQ(all[2][0].toString(), "b");
  b->toggleViewAction()->trigger();  // hidden from a View menu; only the user's close button closes
  EXPECT_EQ(std::tuple(b->state(), own.count(), all.count(), closed.count()),
            std::tuple(PaneState::Hidden, 4, 4, 0));
  QPointer<QWidget> body = b->widget();
  delete d;
  EXPECT_TRUE(body.isNull());  // added without a parent, deleted with the dock
}

TEST_F(QtDock, SavedStateRestoresOnANewDockAndNamedDocksKeepTheirOwnRecordsOrWithoutAutoSaveNone) {
  d->pane("a")->setGroup(PaneGroup::Bottom), d->pane("c")->setState(PaneState::Collapsed);
  d->pane("b")->setHeight(120);
  const QByteArray state = d->saveState();
  delete d;
  DockWidget* second = panes();
  const QByteArray fresh = second->saveState();
  QByteArray newer = state;
  newer[5] = 2;  // a later version
  for (const QByteArray& bad : {QByteArray(), QByteArray("junk"), state.left(state.size() - 1), newer})
    EXPECT_FALSE(second->restoreState(bad));
  EXPECT_EQ(second->saveState(), fresh);
  ASSERT_TRUE(second->restoreState(state));
  EXPECT_EQ(second->saveState(), state);
  EXPECT_EQ(layoutOf(second), "bTE 0+120 w, cTC 120+17, aBE 137+243 w");
  EXPECT_EQ(host->store.size(), 0u);  // neither dock saved anything itself
  delete second;

  for (const char* name : {"left", "right"}) {
    panes(name, true)->pane(name == std::string("left") ? "a" : "b")->setState(PaneState::Collapsed);
    delete d;  // saves
  }
  EXPECT_EQ(host->value("left/a").substr(2, 3) + host->value("right/a").substr(2, 3), "1:01:1");
  EXPECT_EQ(layoutOf(panes("left", true)), "aTC 0+17, bTE 17+246 w, cTE 263+137 w");
  delete d;
  // A pane added since the layout was stored takes a height of its own, not the place of another.
  d = new DockWidget(window.get());
  d->setObjectName("left");
  for (const char* k : {"a", "b", "c", "n"})
    d->addPane(k, new QLabel(k), QString(k).toUpper());
  d->setGeometry(20, 20, pixels(4500), pixels(6000));
  d->show();
  EXPECT_EQ(layoutOf(d), "aTC 0+17, bTE 17+233 w, cTE 250+123 w, nTE 373+27 w");
  delete d;
  const auto store =
      std::filesystem::path(::testing::TempDir()) / ("panes-" + std::to_string(getpid())) / "s.sqlite";
  HostServices::setInstance(std::make_shared<DefaultHostServices>(store));
  panes();
  click(middle(access().imgCollapse(indexOf("a"))));
  delete d;
  HostServices::setInstance(host);
  EXPECT_FALSE(std::filesystem::exists(store.parent_path()));
}

TEST_F(QtDock, ARestoreBeforeTheFirstShowKeepsTheOrderAndTheRulesOfTheStore) {
  delete d;
  // Four panes, not shown yet; b has no close button and c does not resize.
  auto four = [&](const char* name, bool autoSave) {
    d = new DockWidget(window.get());
    d->setObjectName(name);
    d->setAutoSave(autoSave);
    for (const char* k : {"a", "b", "c", "d"})
      d->addPane(k, new QLabel(k), QString(k).toUpper());
    d->setGeometry(20, 20, pixels(4500), pixels(6000));
    return d;
  };
  DockWidget* first = four("kept", true);
  first->show();
  const Keys order{"d", "a", "b", "c"};
  for (int i = 0; i < 4; ++i)
    first->dock()->moveBar(first->pane(order[i].c_str())->bar()->Index(), i + 1, eAlignTop);
  first->pane("b")->setState(PaneState::Hidden);
  first->pane("c")->setHeight(100);
  const QByteArray state = first->saveState();
  delete first;  // saves

  auto rules = [](DockWidget* w) {
    w->pane("b")->setClosable(false);
    w->pane("c")->setResizable(false);
  };
  DockWidget* restored = four("", false);
  rules(restored);
  ASSERT_TRUE(restored->restoreState(state));
  restored->show();
  const std::string viaRestore = layoutOf(restored);
  delete restored;
  DockWidget* loaded = four("kept", true);
  rules(loaded);
  loaded->show();
  // A hidden pane without a close button comes back; a pane that cannot resize keeps its height.
  EXPECT_EQ(viaRestore, "dTE 0+151 w, aTE 151+151 w, bTE 302+58 w, cTE 360+40 w");
  EXPECT_EQ(layoutOf(loaded), viaRestore);
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
  EXPECT_EQ(std::pair(host->value("a").substr(0, 2), QApplication::focusWidget()),
            std::pair(std::string("2:"), a));
  QTest::keyClick(a, Qt::Key_Up, Qt::AltModifier);
  QTest::keyClick(a, Qt::Key_Up, Qt::AltModifier);  // already first
  EXPECT_EQ(host->value("a").substr(0, 2), "1:");

  QSignalSpy closed(d, &DockWidget::paneClosed), menu(d, &DockWidget::contextMenuRequested);
  d->pane("b")->setClosable(false);
  QTest::keyClick(titleOf("b"), Qt::Key_Delete);
  QTest::keyClick(a, Qt::Key_Delete);
  EXPECT_EQ(layoutOf(d), "aTH, bTE 0+197 w, cTE 197+203 w");
  EXPECT_EQ(std::pair(closed.count(), closed.value(0).value(0).toString()),
            std::pair(qsizetype(1), QString("a")));
  QWidget* c = titleOf("c");
  QTest::keyClick(c, Qt::Key_F10, Qt::ShiftModifier);
  QTest::keyClick(c, Qt::Key_Menu);
  const QVariantList below{QString("c"), c->mapToGlobal(QPoint(0, c->height()))};
  EXPECT_EQ(menu, (QList<QVariantList>{below, below})) << menu.count() << " menu requests";
}

TEST_F(QtDock, ScreenReadersFindTheShownPanesTheirStateAndButtonsAndPressThemInTheInstalledLanguage) {
  QWidget* title = titleOf("a");
  const Image& collapseA = access().imgCollapse(indexOf("a"));
  // The tip over the middle of an element of a's title strip; a caption has none of its own.
  auto tip = [&](const Element& e) {
    const QPoint at(pixels(e.Left() + e.Width() / 2), pixels(e.Top() + e.Height() / 2));
    QHelpEvent help(QEvent::ToolTip, at, title->mapToGlobal(at));
    QCoreApplication::sendEvent(title, &help);
    return help.isAccepted() ? QToolTip::text() : QString("(none)");
  };
  const QString german = tip(access().lblTitel(indexOf("a"))) + "|" + tip(collapseA);
  installTranslator(QLocale(QLocale::English));
  EXPECT_EQ(german + "|" + tip(collapseA) + "|" +
                QCoreApplication::translate("tov", "Sie müssen mindestens ein Element sichtbar lassen!"),
            QStringLiteral("(none)|Element zuklappen|Collapse|At least one pane must stay visible"));
  d->pane("b")->setState(PaneState::Hidden);
  d->pane("c")->setState(PaneState::Collapsed), d->pane("c")->setClosable(false);
  // Each title strip found from the dock, every object on the way knowing its parent: its name, its
  // state and its buttons' names, left to right.
  auto strips = [&] {
    QStringList found;
    std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* i) {
      const QAccessible::State st = i->state();
      if (st.expandable)
        found << i->text(QAccessible::Name) + (st.focusable ? "" : " ?") + (st.expanded ? " open" : "") +
                     (st.collapsed ? " shut" : "") + ":";
      for (int n = 0; n < i->childCount(); ++n) {
        QAccessibleInterface* c = i->child(n);
        ASSERT_TRUE(c && c->parent() == i && i->indexOfChild(c) == n);
        if (st.expandable) found.back() += " " + c->text(QAccessible::Name);
        walk(c);
      }
    };
    walk(QAccessible::queryAccessibleInterface(d));
    return found;
  };
  EXPECT_EQ(strips(), (QStringList{"A open: Collapse Close", "C shut: Expand"}));

  QAccessibleInterface* a = QAccessible::queryAccessibleInterface(title);
  QAccessibleInterface* collapse = a->child(0);
  const QPointF drawn = middle(collapseA);
  EXPECT_TRUE(collapse->rect().contains(d->mapToGlobal(QPoint(pixels(drawn.x()), pixels(drawn.y())))));
  EXPECT_EQ(a->childAt(collapse->rect().center().x(), collapse->rect().center().y()), collapse);
  ASSERT_TRUE(collapse->actionInterface());
  collapse->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_EQ(strips(), (QStringList{"A shut: Expand Close", "C shut: Expand"}));  // "shut": the pane's state
  installTranslator(QLocale(QLocale::German));
  EXPECT_EQ(QCoreApplication::translate("tov", "Element zuklappen"), QStringLiteral("Element zuklappen"));

  // A slot that deletes the dock in the middle of a press ends the pass: nothing of it is touched.
  QPointer<DockWidget> gone = d;
  QObject::connect(d, &DockWidget::paneStateChanged, window.get(), [&] { delete gone.data(); });
  a->child(0)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_TRUE(gone.isNull());
}

TEST_F(QtDock,
       TitleTextStandsOutInLightDarkAndHighContrastPalettesWhoseChangeRepaintsAsNoUnchangedLayoutDoes) {
  QPalette dark(Qt::white, QColor(0x353535), QColor(0x505050), QColor(0x1A1A1A), QColor(0x252525), Qt::white,
                Qt::white, QColor(0x2A2A2A), QColor(0x353535));
  QPalette high(Qt::white, Qt::black, Qt::white, Qt::gray, Qt::gray, Qt::white, Qt::white, Qt::black,
                Qt::black);
  for (QPalette* p : {&dark, &high})
    p->setColor(QPalette::ButtonText, Qt::white);
  // The first and the last column of pane a's title gradient as painted.
  auto titleBands = [&] {
    const QImage shot = titleOf("a")->grab().toImage();
    return std::pair(shot.pixelColor(0, 1), shot.pixelColor(shot.width() - 1, 1));
  };
  std::vector<int> lightness;
  for (const auto& [name, palette] : std::vector<std::pair<const char*, QPalette>>{
           {"light", QApplication::palette()}, {"dark", dark}, {"high contrast", high}}) {
    d->setPalette(pinned(palette));
    const auto [start, end] = titleBands();
    const QColor text = qcolor(d->pane("a")->bar()->TitleForeColor());
    EXPECT_EQ(std::pair(start, text),
              std::pair(d->color(DockWidget::TitleStart), d->color(DockWidget::TitleText)))
        << name;
    EXPECT_GE(std::min(contrast(text, start), contrast(text, end)), 4.5) << name;
    lightness.push_back(start.lightness());
  }
  EXPECT_LT(lightness[1], lightness[0]);  // repainted in the dark palette

  d->setColor(DockWidget::TitleStart, Qt::red);  // an own colour overrides its role; the bars paint with it
  EXPECT_EQ(titleBands().first, QColor(Qt::red));
  d->setColor(DockWidget::TitleStart, QColor());  // back to the palette
  EXPECT_NE(titleBands().first, QColor(Qt::red));
  EXPECT_EQ(d->color(DockWidget::TitleStart), titleBands().first);

  // The bars arranged again as they stand: Qt is asked to paint nothing.
  QCoreApplication::processEvents();
  EventCount paints(QEvent::Paint);
  for (QWidget* w : d->findChildren<QWidget*>())
    w->installEventFilter(&paints);
  for (const char* k : {"a", "b", "c"})
    access().pPaint(static_cast<std::int16_t>(indexOf(k)));
  access().OrderBars(false);
  QCoreApplication::processEvents();
  EXPECT_EQ(paints.count, 0);
}

TEST_F(QtDock, ADragWaitsForTheStartDistanceMarksWhereTheBarGoesForbidsANoOpDropAndEndsOnEscape) {
  const QPointF onA = onTitle("a", 400), onB = onTitle("b"), onC = onTitle("c");
  const std::string layout = layoutOf(d);
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
        .arg(rgb(window->grab().toImage(), edge.x(), edge.y()) ==
             rgb(d->surfaceWidget()->palette().color(QPalette::Highlight)));
  };

  // Short of the start distance a press stays a click for the dock.
  const QPointF near = onC + QPointF((QApplication::startDragDistance() - 1) / pixelsPerTwip(), 0);
  mouse(QEvent::MouseButtonPress, onC);
  mouse(QEvent::MouseMove, near);
  EXPECT_EQ(seen(), "0 -1 0");
  mouse(QEvent::MouseButtonRelease, near);
  EXPECT_EQ(std::pair(access().dragSource(), layoutOf(d)), std::pair(0, layout));

  // Over b's title the marker shows under an outline of c's frame that keeps its place relative
  // to the cursor (it covers b's top edge here).
  mouse(QEvent::MouseButtonPress, onC);
  mouse(QEvent::MouseMove, onB);
  ASSERT_EQ(seen(), "1 -1 1");
  const QPoint frameC = QtToolkit::widgetOf(access().picDockBar(indexOf("c")))->mapTo(window.get(), QPoint());
  EXPECT_EQ(window->findChild<QRubberBand*>()->pos() - frameC,
            QPoint(pixels(onB.x()) - pixels(onC.x()), pixels(onB.y()) - pixels(onC.y())));
  EXPECT_EQ(d->toolkit()->dropHint().kind, DropHint::Kind::Line);

  // On its own title a drop changes nothing: no marker, the forbidden cursor until it leaves.
  mouse(QEvent::MouseMove, onC);
  EXPECT_EQ(seen(), QString("1 %1 0").arg(Qt::ForbiddenCursor));
  mouse(QEvent::MouseMove, onB);
  EXPECT_EQ(seen(), "1 -1 1");
  mouse(QEvent::MouseMove, onC);
  mouse(QEvent::MouseButtonRelease, onC);
  EXPECT_EQ(seen().toStdString() + layoutOf(d), "0 -1 0" + layout);

  // Escape ends a drag without a drop and leaves the dock as it was.
  mouse(QEvent::MouseButtonPress, onC);
  const QImage before = d->grab().toImage();
  mouse(QEvent::MouseMove, onA);
  ASSERT_EQ(seen()[0], '1');
  QTest::keyClick(window.get(), Qt::Key_Escape);
  EXPECT_EQ(d->toolkit()->dropHint(), DropHint{});
  mouse(QEvent::MouseMove, onA + QPointF(0, 100));
  EXPECT_EQ(seen(), "0 -1 0");
  mouse(QEvent::MouseButtonRelease, onA + QPointF(0, 100));
  EXPECT_EQ(std::pair(d->toolkit()->dragging(), layoutOf(d)),
            (std::pair<Element*, std::string>(nullptr, layout)));
  mouse(QEvent::MouseMove, onC, Qt::NoButton);
  EXPECT_EQ(d->grab().toImage(), before);
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
  // Five low bars leave the dock room to show them all, and no scroll bar under their edges: each
  // step then moves them by scrolling the dock's surface.
  struct Case {
    bool scroll;
    int bars;
    std::int32_t height;
  };
  for (const Case c : {Case{true, 10, 1000}, Case{false, 10, 1000}, Case{true, 5, 400}}) {
    const bool scroll = c.scroll;
    const int n = c.bars;
    SCOPED_TRACE(testing::Message() << (scroll ? "scroll, " : "fitted, ") << n);
    auto dragged = std::make_unique<QWidget>();
    std::vector<std::int32_t> heights(n, c.height);
    heights[0] = 1500;
    DockWidget* d = build(dragged.get(), scroll, heights);
    DockTestAccess dragAccess(*d->dock());
    const std::int16_t first = d->bars()->ItemByOrder(1)->Index();
    QPointF grip = at(dragAccess.picSplit(first)) + QPointF(600, 0);
    // The last bar, out of sight, is told of each move as a widget moved on its own is.
    EventCount last(QEvent::Move);
    QtToolkit::widgetOf(dragAccess.picDockBar(d->bars()->ItemByOrder(n)->Index()))->installEventFilter(&last);
    mouseIn(dragged.get(), d, QEvent::MouseButtonPress, grip);
    for (double step : {225, 450, 450, -225, 450, -450, -225, 675}) {
      grip += QPointF(0, step);
      mouseIn(dragged.get(), d, QEvent::MouseMove, grip);
    }
    EXPECT_EQ(last.count, scroll ? 8 : 0);
    mouseIn(dragged.get(), d, QEvent::MouseButtonRelease, grip);
    // The strip stays under the pointer until its bar is painted again; the moved bars are not.
    BarRef dragged1 = d->bars()->ItemByOrder(1);
    dragged1->setTitleForeColor(dragged1->TitleForeColor());
    QCoreApplication::processEvents();
    for (int i = 1; i <= n; ++i)
      heights[i - 1] = d->bars()->ItemByOrder(i)->Height();
    ASSERT_NE(heights[0], 1500);
    auto direct = std::make_unique<QWidget>();
    // Laid out at the same heights; a fitted dock has no splitter under its last bar.
    DockWidget* reference = build(direct.get(), true, heights);
    reference->bars()->ItemByOrder(n)->setShowResize(scroll);
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
  QPixmap one(16, 16), two(32, 32);
  one.fill(Qt::red), two.fill(Qt::green);
  QIcon icon(one);
  icon.addPixmap(two), d->pane("a")->setIcon(icon);
  const std::int32_t i = indexOf("a");
  const QImage shot = titleOf("a")->grab().toImage();
  ASSERT_EQ(shot.devicePixelRatio(), 2);
  // The icon's own large pixmap fills its box and nothing beyond it.
  const QRect box = devicePixels(access().imgIcon(i), 2);
  for (QPoint p : {box.topLeft(), box.bottomRight(), box.center()})
    EXPECT_EQ(rgb(shot, p.x(), p.y()), 0x00FF00u) << p.x() << "," << p.y();
  EXPECT_NE(rgb(shot, box.right() + 1, box.center().y()), 0x00FF00u);

  // Device pixels of the close glyph's edges differ within a pixel of the scale: not pictures doubled.
  const QRect close = devicePixels(access().imgClose(i), 2);
  int smooth = 0;
  for (int y = close.top(); y < close.bottom(); y += 2)
    for (int x = close.left(); x < close.right(); x += 2) {
      const std::uint32_t c = rgb(shot, x, y);
      const bool dark = std::min({qGray(shot.pixel(x, y)), qGray(shot.pixel(x + 1, y)),
                                  qGray(shot.pixel(x, y + 1)), qGray(shot.pixel(x + 1, y + 1))}) < 110;
      smooth +=
          dark && (rgb(shot, x + 1, y) != c || rgb(shot, x, y + 1) != c || rgb(shot, x + 1, y + 1) != c);
    }
  EXPECT_GE(smooth, 8);
}

TEST_F(QtDock, TitleButtonsShowHoverAndPressWithThePointingHandAndNarrowTitlesShortenTheirCaptions) {
  d->setPalette(pinned(QApplication::palette()));
  const std::int32_t i = indexOf("a");
  const Image& close = access().imgClose(i);
  QWidget* title = titleOf("a");
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
  EXPECT_EQ(std::pair(d->pane("a")->state(), title->cursor().shape()),
            std::pair(PaneState::Expanded, Qt::SizeAllCursor));
  EXPECT_EQ(look(), plain);

  // A narrow title shortens its caption before the other caption and the buttons.
  d->pane("a")->setTitle("A rather long title for a narrow dock"),
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
    for (int y = 0; y < shot.height(); ++y)
      for (int x = 0; x < end; ++x) {
        const QColor c = shot.pixelColor(x, y);
        const int v[] = {c.red(), c.green(), c.blue()};
        if (v[channel] > v[(channel + 1) % 3] + 80 && v[channel] > v[(channel + 2) % 3] + 80)
          span = {std::min(span.first, x), std::max(span.second, x)};
      }
    return span;
  };
  const int buttons = pixels(access().imgCollapse(i).Left());
  const int blueEnd = columns(2, buttons).second;
  const auto [redStart, redEnd] = columns(0, shot.width());
  // Shortened, not dropped, and the right caption whole before the buttons.
  EXPECT_TRUE(blueEnd >= 0 && blueEnd < redStart && blueEnd > redStart - pixels(300) && redEnd < buttons)
      << blueEnd << " " << redStart << " " << redEnd << " " << buttons;
}

}  // namespace
}  // namespace tov::qt
