// The dock widget as a Qt user expects it: the whole title drags and a click on it folds, English
// texts with a German translation, the last pane kept, the layout in QSettings, and what screen
// readers and the keyboard reach. Then the title strips as painted: colours in light, dark and
// high-contrast palettes, icons and glyphs at device pixel ratio 2, buttons under the mouse and
// captions in narrow titles.

#include "qt_dock_fixture.h"

namespace tov::qt {
namespace {

/// The messages Qt logs while `f` runs.
std::string messagesOf(const std::function<void()>& f) {
  static QStringList said;
  said.clear();
  const QtMessageHandler was =
      qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& m) { said << m; });
  f();
  qInstallMessageHandler(was);
  return said.join("\n").toStdString();
}

TEST_F(QtDock, AClickOnTheTitleFoldsAndSavesOnceAndARealDragNeverFolds) {
  // In the left column, a click in b's top strip would also be its drop on itself, which lays out
  // and saves every pane once more.
  for (Pane* p : d->panes())
    p->setGroup(PaneGroup::Left);
  coreDock(d)->setHostServices(host), host->saves.clear();
  click(middle(access().lblTitel(indexOf("b"))));
  EXPECT_EQ(std::pair(d->pane("b")->state(), host->saves.size()), std::pair(PaneState::Collapsed, size_t(3)));
  EXPECT_EQ(std::pair(layoutOf(d), host->value("b").substr(0, 6)),
            std::pair(std::string("cLE 0+133 w, bLC 133+18, aLE 151+242 w"), std::string("2:2:0:")));
  EXPECT_EQ(coreToolkit(d)->dragging(), nullptr);  // the drag its press began is over
  // On the strip beside the caption, in a column about half the dock's width.
  auto strip = [&](const char* key) { return onTitle(key) - QPointF(1000, 0); };
  click(strip("b"));
  EXPECT_EQ(d->pane("b")->state(), PaneState::Expanded);

  // Away past the start distance and back: a drag, dropped on itself, folds nothing.
  const QPointF far = strip("b") + QPointF(2 * QApplication::startDragDistance() / pixelsPerTwip(), 0);
  drag({strip("b"), far, strip("b")});
  EXPECT_EQ(d->pane("b")->state(), PaneState::Expanded);
}

TEST_F(QtDock, TextsAreEnglishUntilAGermanTranslatorIsInstalledAndTheLastPaneStaysQuietly) {
  QWidget* title = titleOf("a");
  // The tooltip at a point of a's title strip, in its twips.
  auto tip = [&](QPointF twips) {
    const QPoint at(pixels(twips.x()), pixels(twips.y()));
    QHelpEvent help(QEvent::ToolTip, at, title->mapToGlobal(at));
    QCoreApplication::sendEvent(title, &help);
    return help.isAccepted() ? QToolTip::text() : QString("(none)");
  };
  QAccessibleInterface* strip = QAccessible::queryAccessibleInterface(title)->child(0);
  // The fold button's tooltip, the strip's, and the names of its buttons.
  auto texts = [&] {
    const QPointF origin = at(access().picTitel(indexOf("a")));
    QStringList all{tip(middle(access().imgCollapse(indexOf("a"))) - origin), tip(onTitle("a") - origin)};
    for (int i = 0; i < strip->childCount(); ++i)
      all << strip->child(i)->text(QAccessible::Name);
    return all.join("|").toStdString();
  };
  EXPECT_EQ(texts(), "Collapse|Drag to move|Collapse A|Close A");
  installTranslator(QLocale(QLocale::German));
  EXPECT_EQ(
      texts(),
      "Element zuklappen|Element kann durch 'drag and drop' verschoben werden|A zuklappen|A ausblenden");
  installTranslator(QLocale(QLocale::English));
  EXPECT_EQ(texts(), "Collapse|Drag to move|Collapse A|Close A");

  // a alone shown: its close button is drawn as one that cannot be pressed, and nothing hides it.
  const Image& close = access().imgClose(indexOf("a"));
  const QRect box(pixels(close.Left()), pixels(close.Top()), pixels(close.Width()), pixels(close.Height()));
  // As drawn without the focus, which paints the strip in the highlight colour.
  auto look = [&] {
    title->clearFocus();
    return title->grab(box).toImage();
  };
  const QImage enabled = look();
  const std::string said = messagesOf([&] {
    d->pane("b")->setState(PaneState::Hidden);
    d->pane("c")->toggleViewAction()->trigger();
    QCoreApplication::processEvents();
    click(middle(close));
    QTest::keyClick(title, Qt::Key_Delete);
    d->pane("a")->toggleViewAction()->trigger();
    d->pane("a")->setState(PaneState::Hidden);
    press(strip->child(1));
  });
  EXPECT_EQ(said, "");
  EXPECT_EQ(std::tuple(layoutOf(d), d->pane("a")->toggleViewAction()->isChecked(),
                       strip->child(1)->state().disabled, look() == enabled),
            std::tuple(std::string("aTE 0+400 w, bTH, cTH"), true, true, false));
  d->pane("b")->setState(PaneState::Expanded);
  mouse(QEvent::MouseMove, onTitle("a"), Qt::NoButton);
  EXPECT_EQ(std::pair(bool(strip->child(1)->state().disabled), look() == enabled), std::pair(false, true));
}

TEST_F(QtDock, AutoSaveKeepsTheLayoutInQSettingsEvenWithoutAnOrganisationNameButNotForASecondDockOfTheName) {
  // QSettings then reports an access error on a file it reads and writes all the same.
  const QString organisation = QCoreApplication::organizationName();
  QCoreApplication::setOrganizationName({});
  delete d;
  DockWidget* first = panes("", true);
  const std::string warned = messagesOf([&] {
    panes("", true);
    QTest::keyClick(titleOf("a"), Qt::Key_Space);  // folds a in the second dock, which saves nothing
  });
  EXPECT_NE(warned.find("saves nothing until it has a name of its own"), std::string::npos) << warned;
  delete std::exchange(d, first);
  QTest::keyClick(titleOf("b"), Qt::Key_Space);
  const QString saved = stored("a").left(6) + stored("b").left(6);
  delete d;
  panes("", true);
  const std::string layout = layoutOf(d);
  QFile::remove(QSettings().fileName());
  QCoreApplication::setOrganizationName(organisation);
  EXPECT_EQ(std::pair(saved.toStdString(), layout),
            std::pair(std::string("1:1:1:2:1:0:"), std::string("aTE 0+137 w, bTC 137+17, cTE 154+246 w")));
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

TEST_F(QtDock,
       TitleTextStandsOutInLightDarkAndHighContrastPalettesWhoseChangeRepaintsAsNoUnchangedLayoutDoes) {
  QPalette dark(QColor(0x353535), QColor(0x353535));  // white text on a black base
  QPalette high(Qt::white, Qt::black, Qt::white, Qt::gray, Qt::gray, Qt::white, Qt::white, Qt::black,
                Qt::black);
  high.setColor(QPalette::ButtonText, Qt::yellow);
  // High contrast whose buttons contrast too little: the titles take Window and WindowText.
  QPalette highGrey = high;
  highGrey.setColor(QPalette::Button, QColor(0x808080));
  highGrey.setColor(QPalette::ButtonText, QColor(0x606060));
  // The first and the last band of pane a's title gradient as painted.
  auto titleBands = [&] {
    const QImage shot = titleOf("a")->grab().toImage();
    return std::pair(shot.pixelColor(0, 1), shot.pixelColor(shot.width() - 1, 1));
  };
  std::vector<int> lightness;
  for (const auto& [name, palette] : std::vector<std::pair<const char*, QPalette>>{
           {"light", QApplication::palette()}, {"dark", dark}, {"high", high}, {"high grey", highGrey}}) {
    SCOPED_TRACE(name);
    d->setPalette(pinned(palette));
    QCoreApplication::processEvents();  // the dock takes a palette's colours from the event loop
    const auto [start, end] = titleBands();
    const QColor text = qcolor(coreBar(d->pane("a"))->TitleForeColor());
    EXPECT_EQ(std::pair(start, text),
              std::pair(d->color(DockWidget::TitleStart), d->color(DockWidget::TitleText)));
    const bool highContrast = name[0] == 'h';
    EXPECT_GE(std::min(contrast(text, start), contrast(text, end)), highContrast ? 7 : 4.5);
    if (highContrast) {
      EXPECT_EQ(std::tuple(start, end, text),
                std::tuple(QColor(Qt::black), QColor(Qt::black), QColor(name[4] ? Qt::white : Qt::yellow)));
    }
    lightness.push_back(start.lightness());
  }
  EXPECT_LT(lightness[1], lightness[0]);  // repainted in the dark palette

  d->setColor(DockWidget::TitleStart, Qt::red);  // an own colour overrides its role; the bars paint with it
  const QColor own = titleBands().first;
  d->setColor(DockWidget::TitleStart, QColor());  // back to the palette: black in the last one
  EXPECT_EQ(std::tuple(own, titleBands().first, d->color(DockWidget::TitleStart)),
            std::tuple(QColor(Qt::red), QColor(Qt::black), QColor(Qt::black)));

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
  QCoreApplication::processEvents();
  const std::int32_t i = indexOf("a");
  const Image& close = access().imgClose(i);
  QWidget* title = titleOf("a");
  // As the window shows it, without the top row, where a focused title draws its frame.
  auto look = [&] {
    QCoreApplication::processEvents();
    const QRect r =
        devicePixels(close, 1).adjusted(0, 1, 0, 0).translated(title->mapTo(window.get(), QPoint()));
    return window->screen()->grabWindow(window->winId()).toImage().copy(r);
  };
  const QImage plain = look();
  mouse(QEvent::MouseMove, middle(close), Qt::NoButton);
  EXPECT_EQ(title->cursor().shape(), Qt::PointingHandCursor);
  const QImage hovered = look();
  mouse(QEvent::MouseButtonPress, middle(close));
  const QImage pressed = look();
  EXPECT_EQ(std::tuple(hovered == plain, pressed == hovered, pressed == plain),
            std::tuple(false, false, false));
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
  // The glyphs take the left caption's colour: blue is looked for before the buttons only.
  const int buttons = pixels(access().imgCollapse(i).Left());
  int blueEnd = -1, redStart = shot.width(), redEnd = -1;
  for (int y = 0; y < shot.height(); ++y)
    for (int x = 0; x < shot.width(); ++x) {
      const QColor c = shot.pixelColor(x, y);
      if (x < buttons && c.blue() > std::max(c.red(), c.green()) + 80) blueEnd = std::max(blueEnd, x);
      if (c.red() > std::max(c.green(), c.blue()) + 80)
        redStart = std::min(redStart, x), redEnd = std::max(redEnd, x);
    }
  // Shortened, not dropped, and the right caption whole before the buttons.
  EXPECT_GT(blueEnd, redStart - pixels(300));
  EXPECT_LT(blueEnd, redStart);
  EXPECT_LT(redEnd, buttons);
}

}  // namespace
}  // namespace tov::qt
