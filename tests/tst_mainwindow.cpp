#include "app/StretchedPicture.h"
#include "app/mdlPharvel.h"
#include "catalogue/KeyStatePanel.h"
#include "catalogue/LockKeyState.h"
#include "catalogue/PharvelLayout.h"
#include "catalogue/SplitterImage.h"
#include "catalogue/frmPharvel.h"
#include "fixtures/LoggedInRun.h"
#include "fixtures/MainWindowDriver.h"
#include "fixtures/ProgressWindowSpy.h"
#include "fixtures/SampleTree.h"
#include "fixtures/TestDatabase.h"
#include "platform/db/SQLConnection.h"
#include "platform/user/clsCurrentUser.h"
#include "platform/widgets/FlexGrid.h"
#include "platform/widgets/ImageList.h"
#include "platform/widgets/KeyedTree.h"
#include "platform/widgets/MsgBox.h"
#include "platform/widgets/Twips.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

// The main window: its frame after load, the commands a node click leaves enabled for each
// kind of node and user, its layout and splitter, and how it ends.
class tst_mainwindow : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    ON_EVERY_ENGINE(frameAfterLoad);
    void longLabelsShownWhole();
    void viewOnlyUserAfterLoad();
    ON_EVERY_ENGINE(nodeClickSetsCommandsByType);
    void viewOnlyUserNodeClicks();
    void emptyCatalogueSaysNoData();
    ON_EVERY_ENGINE(errorInClickReachesTopLevelHandler);
    void exitReleasesComponents();
    void keyStatePanels();
    void windowDrawsItsArt();

    void layoutOfDesignSize();
    void layoutStopsAtImpossibleSize();
    void splitterDragLimits();
    void windowKeepsMinimumSizeAndLaysOut();
    void splitterDraggedWithMouse();
};

namespace {

const QString kRoot = QStringLiteral("_0");

void ClickNode(frmPharvel* window, const QString& key)
{
    KeyedTree* tree = window->trePharvel;
    TreeNode node = tree->Find(key);
    QVERIFY2(node, qPrintable(key));
    node.EnsureVisible();
    const QRect place = tree->visualItemRect(node.Item());
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, place.center());
}

// The enabled state of the node commands as "1" and "0", in the order add/remove submenu, add
// classification, assign generic names, assign drugs, delete, rename: the menu items and then,
// after a "|", their toolbar twins.
QString Commands(const frmPharvel* w)
{
    using MainWindowDriver::EnabledStates;
    return EnabledStates({w->mnuNew->menuAction(), w->mnuNewClassification, w->mnuNewGeneric,
                          w->mnuNewDrug, w->mnuDelete, w->mnuRename}) +
           QLatin1Char('|') +
           EnabledStates({w->tbNewEntry, w->tbNewClassification, w->tbNewGeneric, w->tbNewDrug,
                          w->tbDelete, w->tbRename});
}

QStringList Captions(const QMenu* menu)
{
    QStringList captions;
    for (const QAction* action : menu->actions()) {
        if (!action->isSeparator())
            captions << action->text() + QLatin1Char('|') + action->shortcut().toString() +
                            (action->isVisible() ? QString() : QStringLiteral("|hidden"));
    }
    return captions;
}

} // namespace

void tst_mainwindow::cleanup()
{
    QCOMPARE(QApplication::topLevelWidgets().size(), 0);
}

void tst_mainwindow::frameAfterLoad()
{
    QFETCH(QString, engine);
    TestDatabase db(engine);
    SampleTree::Fill(db.Connection());
    db.Connection().Execute(QStringLiteral("INSERT INTO patient_data.tbHospitalInfo "
                                           "(HospitalID, clientname, company, address1) "
                                           "VALUES (1, ?, ?, ?)"),
                            {QStringLiteral("St Ann"), QStringLiteral("St Ann Hospital"),
                             QStringLiteral("1 Main Road")});
    LoggedInRun run(db);
    ProgressWindowSpy spy;
    frmPharvel* window = MainWindowDriver::Open();

    QCOMPARE(window->windowTitle(), QStringLiteral("Visual Corvida - Pharvel"));
    QVERIFY(!window->windowIcon().isNull());
    QCOMPARE(mdlPharvel::Hospital.strClientName, QStringLiteral("St Ann"));
    QCOMPARE(mdlPharvel::Hospital.strCompany, QStringLiteral("St Ann Hospital"));
    QCOMPARE(mdlPharvel::Hospital.strAddress1, QStringLiteral("1 Main Road"));
    QCOMPARE(spy.Windows().size(), 1);
    QCOMPARE(spy.Windows()[0].title, QStringLiteral("Loading All Classifications..."));
    QVERIFY(!spy.Windows()[0].mainWindowVisible);
    QCOMPARE(window->trePharvel->Count(), 1 + SampleTree::kTopLevelNodes);
    QVERIFY(window->trePharvel->Find(kRoot).Expanded());

    QStringList bar;
    for (const QAction* menu : window->menuBar()->actions())
        bar << menu->text();
    QCOMPARE(bar, (QStringList{QStringLiteral("&Pharvel"), QStringLiteral("&Build File"),
                               QStringLiteral("&Options"), QStringLiteral("&Reports"),
                               QStringLiteral("&Help")}));
    QCOMPARE(Captions(window->mnuPopup),
             (QStringList{QStringLiteral("&Add/Remove|"), QStringLiteral("&Delete|"),
                          QStringLiteral("&Rename|"), QStringLiteral("&Properties||hidden"),
                          QStringLiteral("E&xit|")}));
    QVERIFY(!window->mnuSep2->isVisible());
    QCOMPARE(
        Captions(window->mnuNew),
        (QStringList{QStringLiteral("&Classification|Ctrl+C"), QStringLiteral("&Generic|Ctrl+G"),
                     QStringLiteral("&Drug|Ctrl+D"), QStringLiteral("&Other Details|Ctrl+R"),
                     QString::fromUtf8("&Formulary…|")}));
    QCOMPARE(Captions(window->mnuBuildFile), QStringList{QStringLiteral("&Generic Names|")});
    QCOMPARE(Captions(window->mnuFind),
             (QStringList{QStringLiteral("&Find Entry|Ctrl+F"), QStringLiteral("&Refresh Tree|"),
                          QStringLiteral("&Load All|")}));
    QCOMPARE(Captions(window->mnuReport),
             (QStringList{QStringLiteral("&Pharvel Structure|"),
                          QStringLiteral("&Drugs with no Generic|"),
                          QStringLiteral("&Drugs with other Details|"),
                          QStringLiteral("&Formulary|"), QStringLiteral("&Catalogue Changes|")}));

    QStringList toolbar;
    for (const QAction* button : window->tbPharvel->actions()) {
        toolbar << (button->isSeparator() ? QStringLiteral("-")
                    : button->isVisible() ? button->toolTip()
                                          : QStringLiteral("hidden"));
    }
    QCOMPARE(toolbar,
             (QStringList{QStringLiteral("New Entry"), QStringLiteral("-"),
                          QStringLiteral("Delete"), QStringLiteral("Rename"), QStringLiteral("-"),
                          QStringLiteral("Generic Name Buil File"), QStringLiteral("hidden")}));
    QCOMPARE(window->tbNewEntryButton->popupMode(), QToolButton::MenuButtonPopup);
    QStringList dropDown;
    for (const QAction* item : window->tbNewEntry->menu()->actions())
        dropDown << item->text();
    QCOMPARE(dropDown, (QStringList{QStringLiteral("Classification"), QStringLiteral("Generic"),
                                    QStringLiteral("Drug")}));

    QCOMPARE(Commands(window), QStringLiteral("110000|110000"));
    QVERIFY(window->mnuOther->isEnabled());
    QVERIFY(window->tbPharvel->isEnabled());
    QVERIFY(window->mnuBuildFile->menuAction()->isEnabled());

    QCOMPARE(window->staInitials->text(), LoggedInRun::Initials());
    QVERIFY(window->staMessage->text().isEmpty());
    QCOMPARE(window->staInsert->text(), QStringLiteral("INS"));
    QCOMPARE(window->staCaps->text(), QStringLiteral("CAPS"));
    QCOMPARE(window->staNum->text(), QStringLiteral("NUM"));
    QVERIFY(!window->fraPharvel->isVisible());
    QVERIFY(!window->pctSplitter->isVisible());
    QVERIFY(window->imgBack->isVisible());
    QCOMPARE(window->minimumSize(), window->size());

    // The details pane's tick pictures and its check, though nothing shows the pane.
    QCOMPARE(window->ilsCheck->Count(), 2);
    QCOMPARE(window->ilsCheck->ImageSize(), QSize(14, 14));
    FlexGrid& pane = *window->flexMSHPharvel;
    pane.SetRows(3);
    QVERIFY(!window->IsChecked(pane));
    pane.SetTextMatrix(0, 7, QStringLiteral("x"));
    pane.SetTextMatrix(1, 6, QStringLiteral("x"));
    QVERIFY(!window->IsChecked(pane));
    pane.SetTextMatrix(2, 7, QStringLiteral("x"));
    QVERIFY(window->IsChecked(pane));
}

void tst_mainwindow::longLabelsShownWhole()
{
    TestDatabase db(QStringLiteral("sqlite"));
    SampleTree::Fill(db.Connection());
    const QString name = QStringLiteral("Paracetamol 500 mg tablet, film-coated, in strips of "
                                        "ten for the wards");
    db.Connection().Execute(
        QStringLiteral("UPDATE inventory.tbinvmaster SET DrugName = ? WHERE itemid = 103"), {name});
    LoggedInRun run(db);
    frmPharvel* window = MainWindowDriver::Open();
    KeyedTree* tree = window->trePharvel;
    const int narrow = tree->header()->sectionSize(0);
    ClickNode(window, QStringLiteral("_1"));
    ClickNode(window, QStringLiteral("_1.2"));

    // The label column takes the widest label shown, so no label is cut short, and the tree
    // scrolls sideways to it.
    const TreeNode drug = tree->Find(QStringLiteral("_1.2.1"));
    QCOMPARE(drug.Text(), name);
    QVERIFY(tree->header()->sectionSize(0) > narrow);
    const int needed = static_cast<const QAbstractItemView*>(tree)->sizeHintForColumn(0);
    QVERIFY2(tree->header()->sectionSize(0) >= needed,
             qPrintable(QStringLiteral("%1 < %2").arg(tree->header()->sectionSize(0)).arg(needed)));
    QCOMPARE(tree->textElideMode(), Qt::ElideNone);
    QTRY_VERIFY(tree->horizontalScrollBar()->isVisible());
    QVERIFY(tree->horizontalScrollBar()->maximum() > 0);
    const QModelIndex index = tree->model()->index(
        0, 0, tree->model()->index(1, 0, tree->model()->index(0, 0, tree->model()->index(0, 0))));
    QCOMPARE(tree->model()->data(index, Qt::DisplayRole).toString(), name);
    QCOMPARE(tree->model()->data(index, Qt::ToolTipRole).toString(), name);

    // PHARVEL_SCREENSHOT_DIR names a folder to keep the picture in, for a look at it.
    if (const QString folder = qEnvironmentVariable("PHARVEL_SCREENSHOT_DIR"); !folder.isEmpty())
        window->grab().save(folder + QStringLiteral("/longlabel.png"));
}

void tst_mainwindow::viewOnlyUserAfterLoad()
{
    const MainWindowDriver::SampleTreeWindow w(QStringLiteral("sqlite"), QStringLiteral("BB"));
    frmPharvel* window = w.window;

    QVERIFY(mdlPharvel::Hospital.strCompany.isEmpty());
    QVERIFY(!window->tbPharvel->isEnabled());
    QVERIFY(!window->mnuNew->menuAction()->isEnabled());
    QVERIFY(!window->mnuDelete->isEnabled());
    QVERIFY(!window->mnuRename->isEnabled());
    QVERIFY(!window->mnuBuildFile->menuAction()->isEnabled());
    QVERIFY(window->mnuFind->menuAction()->isEnabled());
    QVERIFY(window->mnuReport->menuAction()->isEnabled());
    QVERIFY(window->mnuExit->isEnabled());
    QVERIFY(window->mnuLoadAll->isEnabled());
}

void tst_mainwindow::nodeClickSetsCommandsByType()
{
    QFETCH(QString, engine);
    const MainWindowDriver::SampleTreeWindow w(engine);
    frmPharvel* window = w.window;
    ProgressWindowSpy spy;
    MessageLog log;

    ClickNode(window, QStringLiteral("_1"));
    QCOMPARE(spy.Windows().size(), 1);
    QCOMPARE(spy.Windows()[0].title, QStringLiteral("Loading Analgesics"));
    const TreeNode analgesics = window->trePharvel->Find(QStringLiteral("_1"));
    QCOMPARE(analgesics.Children(), 2);
    QVERIFY(analgesics.Expanded());
    QCOMPARE(Commands(window), QStringLiteral("111011|111011"));

    ClickNode(window, QStringLiteral("_1.2"));
    QCOMPARE(Commands(window), QStringLiteral("100100|100100"));

    ClickNode(window, QStringLiteral("_1.2.1"));
    // Only the add/remove submenu, delete and rename change for a drug.
    QCOMPARE(Commands(window), QStringLiteral("000100|000100"));

    ClickNode(window, kRoot);
    QCOMPARE(Commands(window), QStringLiteral("000000|000000"));
    QVERIFY(window->trePharvel->Find(kRoot).Expanded());

    // Children loaded once are not loaded again.
    spy.Clear();
    ClickNode(window, QStringLiteral("_1"));
    QVERIFY(spy.Windows().isEmpty());
    QCOMPARE(Commands(window), QStringLiteral("111011|111011"));

    // A context menu hides "Exit"; the next node click shows it again.
    window->mnuSep3->setVisible(false);
    window->mnuExit->setVisible(false);
    ClickNode(window, QStringLiteral("_2"));
    QVERIFY(window->mnuSep3->isVisible());
    QVERIFY(window->mnuExit->isVisible());
    QVERIFY(log.messages.isEmpty());
}

void tst_mainwindow::viewOnlyUserNodeClicks()
{
    const MainWindowDriver::SampleTreeWindow w(QStringLiteral("sqlite"), QStringLiteral("BB"));
    frmPharvel* window = w.window;

    ClickNode(window, QStringLiteral("_1"));
    QCOMPARE(Commands(window), QStringLiteral("000000|000000"));
    ClickNode(window, QStringLiteral("_1.2"));
    QCOMPARE(Commands(window), QStringLiteral("000100|000100"));
    QVERIFY(!window->tbPharvel->isEnabled());
}

void tst_mainwindow::emptyCatalogueSaysNoData()
{
    TestDatabase db(QStringLiteral("sqlite"));
    LoggedInRun run(db);
    frmPharvel* window = MainWindowDriver::Open();
    MessageLog log;
    window->mnuNewClassification->setEnabled(false);

    ClickNode(window, kRoot);
    QCOMPARE(log.messages.size(), 1);
    QCOMPARE(log.messages[0].text, QStringLiteral("No data!"));
    QCOMPARE(log.messages[0].icon, MsgBox::Icon::Information);
    QCOMPARE(log.messages[0].buttons, MsgBox::Buttons::OK);
    QCOMPARE(log.messages[0].title, QStringLiteral("MESSAGE"));
    QVERIFY(!window->mnuNewClassification->isEnabled());
    QCOMPARE(window->trePharvel->Count(), 1);

    ClickNode(window, kRoot);
    QCOMPARE(log.messages.size(), 2);
}

void tst_mainwindow::errorInClickReachesTopLevelHandler()
{
    QFETCH(QString, engine);
    const MainWindowDriver::SampleTreeWindow w(engine);
    frmPharvel* window = w.window;
    MessageLog log;

    mdlPharvel::objCurrentUser->SQLConnection()->Database().close();
    ClickNode(window, QStringLiteral("_1"));
    QCOMPARE(log.messages.size(), 1);
    QCOMPARE(log.messages[0].icon, MsgBox::Icon::Critical);
    QVERIFY2(log.messages[0].text.endsWith(QStringLiteral("Source: frmPharvel.NodeFound")),
             qPrintable(log.messages[0].text));
    QVERIFY(mdlPharvel::MainWindow);
    QVERIFY(window->isVisible());
}

void tst_mainwindow::exitReleasesComponents()
{
    TestDatabase db(QStringLiteral("sqlite"));
    LoggedInRun run(db);
    QPointer<frmPharvel> window = MainWindowDriver::Open();

    window->mnuExit->trigger();
    QVERIFY(!mdlPharvel::objPharvel);
    QVERIFY(!mdlPharvel::objCurrentUser);
    QTRY_VERIFY(!window);
    QVERIFY(!mdlPharvel::MainWindow);
}

void tst_mainwindow::keyStatePanels()
{
    TestDatabase db(QStringLiteral("sqlite"));
    LoggedInRun run(db);
    frmPharvel* window = MainWindowDriver::Open();
    window->activateWindow();
    window->trePharvel->setFocus();

    QVERIFY(!window->staInsert->IsOn());
    QTest::keyClick(window->windowHandle(), Qt::Key_Insert);
    QVERIFY(window->staInsert->IsOn());
    QTest::keyClick(window->windowHandle(), Qt::Key_Insert);
    QVERIFY(!window->staInsert->IsOn());

    // The display server's own state wins; without one to ask, the presses are counted.
    const bool caps = window->staCaps->IsOn();
    QTest::keyClick(window->windowHandle(), Qt::Key_CapsLock);
    const std::optional<bool> server = LockKeyState::CapsLock();
    QCOMPARE(window->staCaps->IsOn(), server ? *server : !caps);
    QCOMPARE(window->staCaps->isEnabled(), window->staCaps->IsOn());
}

// The pictures come from resources compiled into a static library, which a linker drops without
// a word; a window drawn without them would still pass every other test.
void tst_mainwindow::windowDrawsItsArt()
{
    const MainWindowDriver::SampleTreeWindow w(QStringLiteral("sqlite"));
    frmPharvel* window = w.window;
    ClickNode(window, QStringLiteral("_1"));

    const auto colours = [](const QImage& image) {
        QSet<QRgb> seen;
        for (int y = 0; y < image.height(); y += 2) {
            for (int x = 0; x < image.width(); x += 2)
                seen.insert(image.pixel(x, y));
        }
        return seen.size();
    };
    for (const QString& key :
         {QStringLiteral("smile"), QStringLiteral("bookclose"), QStringLiteral("bookopen"),
          QStringLiteral("capsule"), QStringLiteral("tablet")}) {
        QVERIFY2(colours(window->ilsTree->Picture(key).toImage()) > 4, qPrintable(key));
    }
    for (int picture = 1; picture <= 5; ++picture) {
        QVERIFY(colours(window->ilPharvel->Picture(picture).toImage()) > 4);
        QVERIFY(colours(window->ilsInactive->Picture(picture).toImage()) > 4);
    }
    const QImage shot = window->grab().toImage();
    QVERIFY(colours(shot.copy(window->imgBack->geometry().translated(window->clientArea->pos()))) >
            50);

    // PHARVEL_SCREENSHOT names a file to keep the picture in, for a look at the window.
    if (const QString file = qEnvironmentVariable("PHARVEL_SCREENSHOT"); !file.isEmpty())
        QVERIFY(shot.save(file));
}

void tst_mainwindow::layoutOfDesignSize()
{
    PharvelLayout layout;
    QVERIFY(layout.ControlsResize(11880, 7935, 375));
    QCOMPARE(layout.tree.height, 6810);
    QCOMPARE(layout.tree.top + layout.tree.height, 7935 - 375 - 30);
    QCOMPARE(layout.splitter.height, 6810);
    QCOMPARE(layout.frame.height, 6810);
    QCOMPARE(layout.back.width, 8585);
    QCOMPARE(layout.grid.width, 8460);
    QCOMPARE(layout.grid.height, 5945);
    QCOMPARE(layout.gridColumns, (std::array<int, 6>{250, 4080, 4080, 0, 0, 0}));
    QCOMPARE(layout.buttons.top, 6125);
    QCOMPARE(layout.buttons.left, 6225);
    // The left edges stay as designed until the first drag.
    QCOMPARE(layout.tree.left, 60);
    QCOMPARE(layout.splitter.left, 3240);
    QCOMPARE(layout.back.left, 3300);
    QCOMPARE(layout.frame.left, 2160);

    // An exact half of the columns' share goes to the even neighbour.
    QVERIFY(layout.ControlsResize(11881, 7935, 375));
    QCOMPARE(layout.grid.width, 8461);
    QCOMPARE(layout.gridColumns[1], 4080);
    QVERIFY(layout.ControlsResize(11883, 7935, 375));
    QCOMPARE(layout.gridColumns[1], 4082);
    QCOMPARE(layout.gridColumns[2], 4082);
}

void tst_mainwindow::layoutStopsAtImpossibleSize()
{
    PharvelLayout layout;
    QVERIFY(layout.ControlsResize(11880, 7935, 375));
    layout.SplitterDown(0);
    layout.SplitterMove(30000, 33000);
    layout.SplitterUp();
    QVERIFY(layout.AdjustControls(33000));
    QCOMPARE(layout.splitter.left, 30000);

    // Narrower again: the heights are set, the right pane cannot be, and the steps after it
    // wait for a size that fits.
    const TwipsBox gridBefore = layout.grid;
    QVERIFY(!layout.ControlsResize(11880, 9000, 375));
    QCOMPARE(layout.tree.height, 9000 - 375 - 750);
    QCOMPARE(layout.grid, gridBefore);
    QVERIFY(layout.ControlsResize(40000, 9000, 375));
    QCOMPARE(layout.back.width, 40000 - layout.tree.width - 100);
}

void tst_mainwindow::splitterDragLimits()
{
    PharvelLayout layout;
    layout.ControlsResize(11880, 7935, 375);

    layout.SplitterMove(-3000, 11880);
    QVERIFY2(layout.dragBar.left == 7560, "a move without a press drags nothing");

    layout.SplitterDown(20);
    QVERIFY(layout.Dragging());
    QCOMPARE(layout.dragBar, (TwipsBox{3260, 720, 75, 6810}));
    layout.SplitterMove(-1000, 11880);
    QCOMPARE(layout.dragBar.left, 3000);
    layout.SplitterMove(9000, 11880);
    QCOMPARE(layout.dragBar.left, 11880 - 3000);
    QCOMPARE(layout.splitter.left, 3240);
    layout.SplitterMove(1000, 11880);
    QCOMPARE(layout.dragBar.left, 4240);
    layout.SplitterUp();
    QVERIFY(!layout.Dragging());
    QVERIFY(layout.AdjustControls(11880));

    QCOMPARE(layout.splitter.left, 4240);
    QCOMPARE(layout.tree.width, 60 + 4240 - 75);
    QCOMPARE(layout.tree.Right(), 4240 + 45);
    QCOMPARE(layout.back.left, 4240 + 75);
    QCOMPARE(layout.frame.left, 4240 + 75);
    QCOMPARE(layout.back.Right(), 11880 - 10);
    QCOMPARE(layout.grid.width, layout.frame.width - 125);
    QCOMPARE(layout.gridColumns[1], 4080); // columns follow the window, not the splitter

    // A later resize keeps the dragged tree width.
    layout.ControlsResize(15000, 9000, 375);
    QCOMPARE(layout.tree.width, 60 + 4240 - 75);
    QCOMPARE(layout.back.width, 15000 - layout.tree.width - 100);
}

void tst_mainwindow::windowKeepsMinimumSizeAndLaysOut()
{
    TestDatabase db(QStringLiteral("sqlite"));
    LoggedInRun run(db);
    frmPharvel* window = MainWindowDriver::Open();
    const QSize loaded = window->size();

    window->resize(loaded.width() - 200, loaded.height() + 100);
    QTRY_COMPARE(window->size(), QSize(loaded.width(), loaded.height() + 100));
    window->resize(loaded.width() + 300, loaded.height() - 50);
    QTRY_COMPARE(window->size(), QSize(loaded.width() + 300, loaded.height()));

    // The layout follows, in the screen's pixels: 15 twips a pixel at 96 dpi.
    QTRY_COMPARE(window->clientArea->width(), loaded.width() + 300);
    const qreal dpi = Twips::LogicalDpi(window);
    const int clientHeight = Twips::FromPixels(window->clientArea->height(), dpi);
    const int statusHeight = Twips::FromPixels(window->staPharvel->height(), dpi);
    QCOMPARE(window->Layout().tree.height, clientHeight - statusHeight - 750);
    QCOMPARE(window->trePharvel->geometry(),
             TwipsRect(60, 720, 3195, window->Layout().tree.height, dpi));
    QCOMPARE(
        window->imgBack->width(),
        Twips::ToPixels(Twips::FromPixels(window->clientArea->width(), dpi) - 3195 - 100, dpi));
    QCOMPARE(window->staPharvel->geometry().bottom(), window->clientArea->height() - 1);
}

void tst_mainwindow::splitterDraggedWithMouse()
{
    TestDatabase db(QStringLiteral("sqlite"));
    LoggedInRun run(db);
    frmPharvel* window = MainWindowDriver::Open();
    SplitterImage* splitter = window->imgSplitter;
    const qreal dpi = Twips::LogicalDpi(window);
    const int outer = Twips::FromPixels(window->frameGeometry().width(), dpi);

    QTest::mousePress(splitter, Qt::LeftButton, {}, QPoint(2, 20));
    QVERIFY(window->pctSplitter->isVisible());
    QTest::mouseMove(splitter, QPoint(-2000, 20));
    QCOMPARE(window->Layout().dragBar.left, 3000);
    QCOMPARE(window->pctSplitter->x(), Twips::ToPixels(3000, dpi));
    QCOMPARE(window->trePharvel->width(), Twips::ToPixels(3195, dpi));
    QTest::mouseRelease(splitter, Qt::LeftButton, {}, QPoint(-2000, 20));
    QVERIFY(!window->pctSplitter->isVisible());
    QCOMPARE(window->Layout().splitter.left, 3000);
    QCOMPARE(window->Layout().tree.width, 2985);
    QCOMPARE(window->trePharvel->width(), Twips::ToPixels(2985, dpi));
    QCOMPARE(window->imgBack->x(), Twips::ToPixels(3075, dpi));

    QTest::mousePress(splitter, Qt::LeftButton, {}, QPoint(2, 20));
    QTest::mouseMove(splitter, QPoint(5000, 20));
    QTest::mouseRelease(splitter, Qt::LeftButton, {}, QPoint(5000, 20));
    QCOMPARE(window->Layout().splitter.left, outer - 3000);

    // A press and release in place moves the splitter by the pointer's offset within it.
    const int before = window->Layout().splitter.left;
    QTest::mouseClick(splitter, Qt::LeftButton, {}, QPoint(3, 20));
    QCOMPARE(window->Layout().splitter.left, before + Twips::FromPixels(3, dpi));
}

QTEST_MAIN(tst_mainwindow)
#include "tst_mainwindow.moc"
