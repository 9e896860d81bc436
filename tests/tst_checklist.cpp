#include "assign/CheckListProcedures.h"
#include "assign/GridPair.h"
#include "platform/widgets/CheckListImages.h"
#include "platform/widgets/FlexGrid.h"
#include "platform/widgets/FlexGridModel.h"
#include "platform/widgets/MsgBox.h"

#include <QApplication>
#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <array>
#include <memory>

namespace {

// A window with the two check-list grids of an assignment window, loaded from fixed lists of
// names; it counts its loads and closes through the pair's close prompt.
class CheckListWindow : public QDialog
{
public:
    explicit CheckListWindow(const QStringList& items1, const QStringList& items2,
                             bool lockSearchWhileTicked = true)
        : m_items{items1, items2}
    {
        resize(900, 500);
        std::array<GridPair::Controls, 2> controls;
        for (int side = 0; side < 2; ++side) {
            GridPair::Controls& c = controls[side];
            c.fraSearch = new QGroupBox(QStringLiteral("Search"), this);
            c.fraSearch->setGeometry(10 + side * 440, 10, 420, 50);
            c.txtSearch = new QLineEdit(c.fraSearch);
            c.txtSearch->setGeometry(10, 20, 400, 24);
            c.grid = new FlexGrid(this);
            c.grid->setGeometry(10 + side * 440, 70, 420, 300);
            c.cmdClear = new QPushButton(QStringLiteral("Clear Selection"), this);
            c.cmdClear->setGeometry(10 + side * 440, 380, 120, 30);
            c.cmdMove = new QPushButton(side == 0 ? QStringLiteral("Add") : QStringLiteral("Remove"),
                                        this);
            c.cmdMove->setGeometry(150 + side * 440, 380, 120, 30);
        }
        pair = new GridPair(
            ilsCheckList, controls[0], controls[1],
            [this](int intWhichGrid, const QString& strSearchKey) {
                return LoadGrid(intWhichGrid, strSearchKey);
            },
            GridPair::Behaviour{lockSearchWhileTicked, false}, this);
        LoadGrid(1, {});
        LoadGrid(2, {});
        for (int side = 1; side <= 2; ++side) {
            pair->Grid(side).cmdClear->setEnabled(false);
            pair->Grid(side).cmdMove->setEnabled(false);
        }
    }

    FlexGrid& Grid(int side) const { return *pair->Grid(side).grid; }
    const GridPair::Controls& Controls(int side) const { return pair->Grid(side); }

    int LoadGrid(int intWhichGrid, const QString& strSearchKey)
    {
        loads.append(qMakePair(intWhichGrid, strSearchKey));
        FlexGrid& grid = Grid(intWhichGrid);
        std::vector<RowSet::Row> rows;
        int code = 0;
        for (const QString& name : m_items[intWhichGrid - 1]) {
            ++code;
            if (name.contains(strSearchKey, Qt::CaseInsensitive))
                rows.push_back({name, QString(), code, QString(), QStringLiteral("elsewhere")});
        }
        const auto rowSet = std::make_shared<RowSet>(
            QStringList{QStringLiteral("Name"), QStringLiteral("F2"), QStringLiteral("Code"),
                        QStringLiteral("F4"), QStringLiteral("Under")},
            std::move(rows));
        grid.SetRedraw(false);
        grid.Clear();
        if (rowSet->RecordCount() < 1)
            grid.SetRows(2);
        else
            grid.SetRowSet(rowSet);
        grid.SetCols(7);
        const int widths[] = {250, 4000, 0, 0, 0, 4000, 0};
        for (int col = 0; col < 7; ++col)
            grid.SetColWidth(col, widths[col]);
        grid.SetRedraw(true);
        mdlPharvel::ClearChecks(grid, ilsCheckList, 0, 1, true);
        return rowSet->RecordCount();
    }

    void done(int result) override
    {
        if (!pair->Form_QueryUnload())
            QDialog::done(result);
    }

    CheckListImages ilsCheckList;
    GridPair* pair = nullptr;
    QList<QPair<int, QString>> loads;

private:
    std::array<QStringList, 2> m_items;
};

QStringList Names(int count, const QString& stem = QStringLiteral("Item"))
{
    QStringList names;
    for (int i = 1; i <= count; ++i)
        names << stem + QString::number(i);
    return names;
}

QPoint CellCentre(const FlexGrid& grid, int row, int col)
{
    // Data row r is the model's row r - 1: row 0 is the header.
    return grid.visualRect(grid.model()->index(row - 1, col)).center();
}

void ClickCell(FlexGrid& grid, int row, int col)
{
    grid.scrollTo(grid.model()->index(row - 1, col));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, CellCentre(grid, row, col));
}

void PressSpaceOn(FlexGrid& grid, int row)
{
    grid.SetRow(row);
    grid.setFocus();
    QTest::keyClick(&grid, Qt::Key_Space);
}

bool IsTicked(const FlexGrid& grid, int row)
{
    return grid.TextMatrix(row, mdlPharvel::MarkerColumn) == mdlPharvel::CheckMarker();
}

bool ShowsPicture(const FlexGrid& grid, int row, const QPixmap& picture)
{
    return grid.GridModel()->CellPicture(row, 0).toImage() == picture.toImage();
}

// The two states of a grid: buttons enabled and search frame closed exactly while ticked.
bool InTickedState(const GridPair::Controls& c)
{
    return c.cmdClear->isEnabled() && c.cmdMove->isEnabled() && !c.fraSearch->isEnabled();
}
bool InUntickedState(const GridPair::Controls& c)
{
    return !c.cmdClear->isEnabled() && !c.cmdMove->isEnabled() && c.fraSearch->isEnabled();
}

} // namespace

class tst_checklist : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void clickTicksOnlyInCheckColumn();
    void spaceKeyTogglesInEitherGrid_data();
    void spaceKeyTogglesInEitherGrid();
    void buttonsAndFramesFollowTicksPerGrid();
    void openSearchFramesStayOpen();
    void clearSelectionReachesRowsOutOfView();
    void onlyExactMarkerCounts();
    void clearChecksLeavesDrawingAsTheCallerHasIt();
    void everyLoadLeavesRowsUnticked();
    void searchReloadsPerCharacter();
    void highlightFollowsCurrentCell();
    void closePrompt_data();
    void closePrompt();
};

void tst_checklist::cleanup()
{
    QCOMPARE(QApplication::topLevelWidgets().size(), 0);
}

void tst_checklist::clickTicksOnlyInCheckColumn()
{
    CheckListWindow window(Names(5), Names(3));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    FlexGrid& grid = window.Grid(1);

    for (int col = 1; col <= 5; col += 4) {
        ClickCell(grid, 2, col);
        QCOMPARE(grid.Row(), 2);
        QVERIFY(!IsTicked(grid, 2));
    }
    QVERIFY(InUntickedState(window.Controls(1)));

    ClickCell(grid, 2, 0);
    QVERIFY(IsTicked(grid, 2));
    QVERIFY(ShowsPicture(grid, 2, window.ilsCheckList.Picture(CheckListImages::Ticked)));
    QCOMPARE(grid.Col(), 0);
    QVERIFY(InTickedState(window.Controls(1)));

    // A click elsewhere in a ticked row keeps its tick.
    ClickCell(grid, 2, 1);
    QVERIFY(IsTicked(grid, 2));
    QCOMPARE(grid.Col(), 1);

    ClickCell(grid, 2, 0);
    QVERIFY(!IsTicked(grid, 2));
    QVERIFY(ShowsPicture(grid, 2, window.ilsCheckList.Picture(CheckListImages::Empty)));
    QVERIFY(InUntickedState(window.Controls(1)));

    // No click anywhere ticked any other row.
    for (int row = 1; row < grid.Rows(); ++row)
        QVERIFY(!IsTicked(grid, row));
}

void tst_checklist::spaceKeyTogglesInEitherGrid_data()
{
    QTest::addColumn<int>("side");
    QTest::newRow("grid 1") << 1;
    QTest::newRow("grid 2") << 2;
}

void tst_checklist::spaceKeyTogglesInEitherGrid()
{
    QFETCH(int, side);
    CheckListWindow window(Names(6), Names(6));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    FlexGrid& grid = window.Grid(side);
    grid.SetCol(1);

    PressSpaceOn(grid, 4);
    QVERIFY(IsTicked(grid, 4));
    QCOMPARE(grid.Col(), 1);
    QVERIFY(!window.pair->SpaceKeyFlag());
    QVERIFY(InTickedState(window.Controls(side)));
    QVERIFY(InUntickedState(window.Controls(3 - side)));

    PressSpaceOn(grid, 4);
    QVERIFY(!IsTicked(grid, 4));
    QVERIFY(InUntickedState(window.Controls(side)));

    // Another key ticks nothing, and a later click in a data column stays a plain click.
    QTest::keyClick(&grid, Qt::Key_A);
    QVERIFY(!window.pair->SpaceKeyFlag());
    ClickCell(grid, 5, 1);
    QVERIFY(!IsTicked(grid, 5));
}

void tst_checklist::buttonsAndFramesFollowTicksPerGrid()
{
    CheckListWindow window(Names(6), Names(6));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    FlexGrid& grid1 = window.Grid(1);

    ClickCell(grid1, 1, 0);
    QVERIFY(InTickedState(window.Controls(1)));
    QVERIFY(InUntickedState(window.Controls(2)));
    ClickCell(grid1, 3, 0);
    ClickCell(grid1, 1, 0);
    QVERIFY2(InTickedState(window.Controls(1)), "one of two ticks left");
    ClickCell(grid1, 3, 0);
    QVERIFY(InUntickedState(window.Controls(1)));

    ClickCell(window.Grid(2), 2, 0);
    QVERIFY(InTickedState(window.Controls(2)));
    QVERIFY(InUntickedState(window.Controls(1)));
}

void tst_checklist::openSearchFramesStayOpen()
{
    CheckListWindow window(Names(6), Names(2), false);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    FlexGrid& grid = window.Grid(1);
    const GridPair::Controls& c = window.Controls(1);

    ClickCell(grid, 2, 0);
    QVERIFY(c.cmdClear->isEnabled() && c.cmdMove->isEnabled());
    QVERIFY(c.fraSearch->isEnabled());

    // A search drops the ticks under the enabled buttons; the next click in the grid, even one
    // that ticks nothing, puts the buttons right.
    QTest::keyClicks(c.txtSearch, QStringLiteral("1"));
    QVERIFY(c.cmdMove->isEnabled());
    ClickCell(grid, 1, 1);
    QVERIFY(!c.cmdClear->isEnabled() && !c.cmdMove->isEnabled());
    window.Controls(1).cmdClear->click();
    QVERIFY(c.fraSearch->isEnabled());
}

void tst_checklist::clearSelectionReachesRowsOutOfView()
{
    CheckListWindow window(Names(400), Names(2));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    FlexGrid& grid = window.Grid(1);
    for (int row : {1, 200, 400})
        PressSpaceOn(grid, row);
    grid.SetRow(7);
    grid.SetCol(1);
    grid.SetTopRow(1);
    QVERIFY(!grid.viewport()->rect().contains(CellCentre(grid, 400, 0)));

    window.Controls(1).cmdClear->click();

    const QPixmap empty = window.ilsCheckList.Picture(CheckListImages::Empty);
    for (int row = 1; row < grid.Rows(); ++row) {
        QVERIFY2(!IsTicked(grid, row), qPrintable(QString::number(row)));
        QVERIFY(ShowsPicture(grid, row, empty));
    }
    QCOMPARE(grid.Row(), 7);
    QCOMPARE(grid.Col(), 1);
    QVERIFY(grid.Redraw());
    QVERIFY(InUntickedState(window.Controls(1)));
}

void tst_checklist::onlyExactMarkerCounts()
{
    CheckListWindow window(Names(4), Names(1));
    FlexGrid& grid = window.Grid(1);
    for (const QString& nearly : {QStringLiteral(" @"), QStringLiteral("@ "),
                                  QStringLiteral("@@"), QStringLiteral("a")}) {
        grid.SetTextMatrix(3, mdlPharvel::MarkerColumn, nearly);
        QVERIFY2(!mdlPharvel::HasCheckedItems(grid), qPrintable(nearly));
    }
    grid.SetTextMatrix(4, mdlPharvel::MarkerColumn, QStringLiteral("@"));
    QVERIFY(mdlPharvel::HasCheckedItems(grid));

    // A marker-like text in another column is no tick.
    grid.SetTextMatrix(4, mdlPharvel::MarkerColumn, QString());
    grid.SetTextMatrix(2, 5, QStringLiteral("@"));
    QVERIFY(!mdlPharvel::HasCheckedItems(grid));

    // Toggling reads the marker, not the picture: a row showing a tick without the marker
    // is ticked by the next toggle.
    grid.SetCellPicture(1, 0, window.ilsCheckList.Picture(CheckListImages::Ticked));
    grid.SetRow(1);
    window.pair->flexMSHList_KeyDown(1, Qt::Key_Space);
    QVERIFY(IsTicked(grid, 1));
}

void tst_checklist::clearChecksLeavesDrawingAsTheCallerHasIt()
{
    CheckListWindow window(Names(3), Names(1));
    FlexGrid& grid = window.Grid(1);
    grid.SetTextMatrix(2, mdlPharvel::MarkerColumn, QStringLiteral("@"));
    grid.SetRedraw(false);
    mdlPharvel::ClearChecks(grid, window.ilsCheckList, 0, 1, false);
    QVERIFY(!grid.Redraw());
    QVERIFY(!IsTicked(grid, 2));
    grid.SetRedraw(true);

    // First row 2 leaves row 1 as it is.
    grid.SetTextMatrix(1, mdlPharvel::MarkerColumn, QStringLiteral("@"));
    mdlPharvel::ClearChecks(grid, window.ilsCheckList, 0, 2, true);
    QVERIFY(IsTicked(grid, 1));
}

void tst_checklist::everyLoadLeavesRowsUnticked()
{
    CheckListWindow window(Names(5), Names(0));
    FlexGrid& grid = window.Grid(1);
    for (int row = 1; row <= 5; ++row) {
        grid.SetRow(row);
        window.pair->flexMSHList_KeyDown(1, Qt::Key_Space);
    }
    window.LoadGrid(1, QString());
    const QPixmap empty = window.ilsCheckList.Picture(CheckListImages::Empty);
    for (int row = 1; row <= 5; ++row) {
        QVERIFY(!IsTicked(grid, row));
        QVERIFY(ShowsPicture(grid, row, empty));
    }
    // An empty grid is the header and one blank row, also unticked.
    FlexGrid& empty2 = window.Grid(2);
    QCOMPARE(empty2.Rows(), 2);
    QVERIFY(!mdlPharvel::HasCheckedItems(empty2));
}

void tst_checklist::searchReloadsPerCharacter()
{
    CheckListWindow window(
        {QStringLiteral("Amoxicillin"), QStringLiteral("Ampicillin"), QStringLiteral("Morphine")},
        Names(2));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.loads.clear();
    const GridPair::Controls& c = window.Controls(1);

    QTest::keyClicks(c.txtSearch, QStringLiteral("amp"));
    const QList<QPair<int, QString>> expected{
        {1, QStringLiteral("a")}, {1, QStringLiteral("am")}, {1, QStringLiteral("amp")}};
    QCOMPARE(window.loads, expected);
    QCOMPARE(window.Grid(1).Rows(), 2);
    QCOMPARE(window.Grid(1).TextMatrix(1, 1), QStringLiteral("Ampicillin"));
    QVERIFY(window.Grid(1).isEnabled());

    QTest::keyClicks(c.txtSearch, QStringLiteral("z"));
    QVERIFY(!window.Grid(1).isEnabled());
    QCOMPARE(window.Grid(1).TextMatrix(1, 1), QString());
    QTest::keyClick(c.txtSearch, Qt::Key_Backspace);
    QVERIFY(window.Grid(1).isEnabled());

    // Text set by the program is a search too; the other grid is left alone.
    c.txtSearch->clear();
    QCOMPARE(window.loads.last(), qMakePair(1, QString()));
    QCOMPARE(window.Grid(1).Rows(), 4);
    QVERIFY(std::all_of(window.loads.cbegin(), window.loads.cend(),
                        [](const auto& load) { return load.first == 1; }));
}

void tst_checklist::highlightFollowsCurrentCell()
{
    CheckListWindow window(Names(4), Names(1));
    FlexGrid& grid = window.Grid(1);
    const QPalette& palette = grid.palette();
    grid.SetRow(1);
    grid.SetCol(1);
    grid.SetRow(3);
    QCOMPARE(grid.GridModel()->CellBackColor(3, 1), palette.color(QPalette::Highlight));
    QCOMPARE(grid.GridModel()->CellForeColor(3, 1), palette.color(QPalette::Base));
    QCOMPARE(grid.GridModel()->CellBackColor(1, 1), palette.color(QPalette::Base));
    QCOMPARE(grid.GridModel()->CellForeColor(1, 1), palette.color(QPalette::Text));

    // A grid without data rows is left alone.
    FlexGrid bare;
    bare.SetRows(1);
    mdlPharvel::HighlightCell(bare, true);
    mdlPharvel::ClearChecks(bare, window.ilsCheckList, 0, 1, true);
    QVERIFY(bare.Redraw());
}

void tst_checklist::closePrompt_data()
{
    QTest::addColumn<int>("tickedGrid"); // 0: none
    QTest::addColumn<bool>("answerYes");
    QTest::addColumn<bool>("staysOpen");
    QTest::newRow("no tick") << 0 << false << false;
    QTest::newRow("grid 1, Yes") << 1 << true << true;
    QTest::newRow("grid 2, Yes") << 2 << true << true;
    QTest::newRow("grid 2, No") << 2 << false << false;
}

void tst_checklist::closePrompt()
{
    QFETCH(int, tickedGrid);
    QFETCH(bool, answerYes);
    QFETCH(bool, staysOpen);
    CheckListWindow window(Names(3), Names(3));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    if (tickedGrid != 0)
        PressSpaceOn(window.Grid(tickedGrid), 2);

    QList<MsgBox::Message> shown;
    {
        ScopedMsgBoxHandler handler([&](const MsgBox::Message& message) {
            shown << message;
            return answerYes ? MsgBox::Answer::Yes : MsgBox::Answer::No;
        });
        window.close();
    }
    QCOMPARE(window.isVisible(), staysOpen);
    QCOMPARE(shown.size(), tickedGrid != 0 ? 1 : 0);
    if (tickedGrid != 0) {
        QCOMPARE(shown[0].text,
                 QStringLiteral("You checked some items. Would you like to process them first."));
        QCOMPARE(shown[0].icon, MsgBox::Icon::Information);
        QCOMPARE(shown[0].buttons, MsgBox::Buttons::YesNo);
        QCOMPARE(shown[0].title, MsgBox::ApplicationTitle());
        QCOMPARE(IsTicked(window.Grid(tickedGrid), 2), true);
    }
    if (staysOpen) {
        ScopedMsgBoxHandler no([](const MsgBox::Message&) { return MsgBox::Answer::No; });
        window.reject();
        QVERIFY(!window.isVisible());
    }
}

QTEST_MAIN(tst_checklist)
#include "tst_checklist.moc"
