// The dock widget as a Qt user expects it: the whole title drags and a click on it folds, English
// texts with a German translation, the last pane kept, the layout in QSettings, drops over a pane's
// widget, a marker above the dragged copy, and what screen readers and the keyboard reach.

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
  coreDock(d)->setHostServices(host);
  host->saves.clear();
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
  QAccessibleInterface* strip = QAccessible::queryAccessibleInterface(title);
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
  QCoreApplication::processEvents();
  mouse(QEvent::MouseMove, onTitle("a"), Qt::NoButton);
  EXPECT_FALSE(strip->child(1)->state().disabled);
  EXPECT_EQ(look(), enabled);
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
  delete d;
  d = first;
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

TEST_F(QtDock, ADropOverAPanesWidgetIsOneOnItsFrameAndTheThickMarkerLiesOverTheCopyCutAtTheDock) {
  const QPointF bodyC = at(access().picDockBar(indexOf("c"))) + QPointF(2250, 1200);
  ASSERT_EQ(QApplication::widgetAt(d->mapToGlobal(QPoint(pixels(bodyC.x()), pixels(bodyC.y())))),
            d->pane("c")->widget());
  hold({onTitle("a"), bodyC});
  EXPECT_EQ(coreToolkit(d)->dropHint().kind, DropHint::Kind::Line);
  // a would go behind c, at the dock's bottom edge, where a's copy hangs over it and beyond.
  const QImage shot = window->grab().toImage();
  const QColor highlight = d->surfaceWidget()->palette().color(QPalette::Highlight);
  const QPoint bottom = d->geometry().bottomLeft() + QPoint(pixels(2250), 0);
  for (int up = 0; up < 3; ++up)
    EXPECT_EQ(rgb(shot, bottom.x(), bottom.y() - up), rgb(highlight)) << up;
  EXPECT_EQ(rgb(shot, bottom.x(), bottom.y() + 5), 0xFF00FFu);
  mouse(QEvent::MouseButtonRelease, bodyC);
  EXPECT_EQ(layoutOf(d), "bTE 0+133 w, cTE 133+134 w, aTE 267+133 w");
}

}  // namespace
}  // namespace tov::qt
