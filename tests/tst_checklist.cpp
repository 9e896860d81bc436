#include "assign/GridPair.h"
#include "platform/widgets/CheckListImages.h"
#include "platform/widgets/CheckListProcedures.h"
#include "platform/widgets/FlexGrid.h"
#include "platform/widgets/FlexGridModel.h"
#include "platform/widgets/MsgBox.h"

#include <QApplication>
#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <array>

namespace {

// A window with two check-list grids over fixed lists of names; it counts its loads and closes
// through the pair's close prompt.
class CheckListWindow : public QDialog
{
public:
    CheckListWindow(int rows1, int rows2) : m_rows{rows1, rows2}
    {
        resize(900, 420);
        std::array<GridPair::Controls, 2> c;
        for (int i = 0; i < 2; ++i) {
            c[i] = {new FlexGrid(this), new QPushButton(this), new QPushButton(this),
                    new QGroupBox(this), nullptr};
            c[i].txtSearch = new QLineEdit(c[i].fraSearch);
            c[i].grid->setGeometry(10 + i * 440, 70, 420, 300);
        }
        pair = new GridPair(
            ilsCheckList, c[0], c[1],
            [this](int which, const QString& key) { return Load(which, key); }, {}, this);
        Load(1, {});
        Load(2, {});
        for (const GridPair::Controls& opened : c) { // a window opens with its buttons disabled
            opened.cmdClear->setEnabled(false);
            opened.cmdMove->setEnabled(false);
        }
    }

    FlexGrid& Grid(int which) const { return *pair->Grid(which).grid; }

    int Load(int which, const QString& key)
    {
        loads << key;
        std::vector<RowSet::Row> rows;
        for (int n = 1; n <= m_rows[which - 1]; ++n) {
            const QString name = QStringLiteral("Item %1").arg(n);
            if (name.contains(key, Qt::CaseInsensitive))
                rows.push_back({name, {}, n, {}, QStringLiteral("no classification")});
        }
        const int count = static_cast<int>(rows.size());
        FlexGrid& grid = Grid(which);
        grid.SetRedraw(false);
        grid.Clear();
        grid.SetRows(2);
        if (!rows.empty())
            grid.SetRowSet(
                std::make_shared<RowSet>(QStringList(5, QStringLiteral("F")), std::move(rows)));
        grid.SetCols(7);
        for (int col = 0; col < 7; ++col)
            grid.SetColWidth(col, QList<int>{250, 3000, 0, 0, 0, 3000, 0}[col]);
        grid.SetRedraw(true);
        mdlPharvel::ClearChecks(grid, ilsCheckList, 0, 1, true);
        return count;
    }

    void done(int result) override
    {
        if (!pair->Form_QueryUnload())
            QDialog::done(result);
    }

    CheckListImages ilsCheckList;
    GridPair* pair = nullptr;
    QStringList loads;

private:
    std::array<int, 2> m_rows;
};

void ClickCell(FlexGrid& grid, int row, int col)
{
    const QModelIndex cell = grid.model()->index(row - 1, col); // row 0 is the header
    grid.scrollTo(cell);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(cell).center());
}

void PressSpaceOn(FlexGrid& grid, int row)
{
    grid.SetRow(row);
    grid.setFocus();
    QTest::keyClick(&grid, Qt::Key_Space);
}

bool IsTicked(const FlexGrid& grid, int row)
{
    return grid.TextMatrix(row, mdlPharvel::MarkerColumn) == QLatin1String("@");
}

bool Shows(const FlexGrid& grid, int row, const CheckListWindow& window, int picture)
{
    return grid.GridModel()->CellPicture(row, 0).toImage() ==
           window.ilsCheckList.Picture(picture).toImage();
}

// Ticked: Clear Selection and the move button enabled, the search frame closed; Unticked: the
// reverse.
bool IsTickedState(const GridPair::Controls& c)
{
    return c.cmdClear->isEnabled() && c.cmdMove->isEnabled() && !c.fraSearch->isEnabled();
}
bool IsUntickedState(const GridPair::Controls& c)
{
    return !c.cmdClear->isEnabled() && !c.cmdMove->isEnabled() && c.fraSearch->isEnabled();
}

} // namespace

class tst_checklist : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QCOMPARE(QApplication::topLevelWidgets().size(), 0); }
    void clickTicksOnlyInCheckColumn();
    void spaceKeyTogglesInEitherGrid_data();
    void spaceKeyTogglesInEitherGrid();
    void clearSelectionReachesRowsOutOfView();
    void onlyExactMarkerCounts();
    void searchReloadsPerCharacter();
    void closePrompt_data();
    void closePrompt();
};

void tst_checklist::clickTicksOnlyInCheckColumn()
{
    CheckListWindow window(5, 3);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    FlexGrid& grid = window.Grid(1);
    const GridPair::Controls& c = window.pair->Grid(1);

    for (int col = 1; col <= 5; col += 4) {
        ClickCell(grid, 2, col);
        QCOMPARE(grid.Row(), 2);
        QVERIFY(!IsTicked(grid, 2));
    }
    ClickCell(grid, 2, 0);
    QVERIFY(IsTicked(grid, 2));
    QVERIFY(Shows(grid, 2, window, CheckListImages::Ticked));
    QVERIFY(IsTickedState(c));
    QVERIFY(IsUntickedState(window.pair->Grid(2)));

    ClickCell(grid, 4, 0);
    ClickCell(grid, 2, 1); // a click in a data column keeps the tick
    ClickCell(grid, 2, 0);
    QVERIFY(!IsTicked(grid, 2));
    QVERIFY(Shows(grid, 2, window, CheckListImages::Empty));
    QVERIFY2(IsTickedState(c), "one of two ticks is left");
    ClickCell(grid, 4, 0);
    QVERIFY(IsUntickedState(c));
    QCOMPARE(grid.Col(), 0);
}

void tst_checklist::spaceKeyTogglesInEitherGrid_data()
{
    QTest::addColumn<int>("which");
    QTest::newRow("grid 1") << 1;
    QTest::newRow("grid 2") << 2;
}

void tst_checklist::spaceKeyTogglesInEitherGrid()
{
    QFETCH(int, which);
    CheckListWindow window(6, 6);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    FlexGrid& grid = window.Grid(which);
    grid.SetCol(1);

    PressSpaceOn(grid, 4);
    QVERIFY(IsTicked(grid, 4));
    QCOMPARE(grid.Col(), 1);
    QVERIFY(IsTickedState(window.pair->Grid(which)));
    QVERIFY(IsUntickedState(window.pair->Grid(3 - which)));
    PressSpaceOn(grid, 4);
    QVERIFY(!IsTicked(grid, 4));
    QVERIFY(IsUntickedState(window.pair->Grid(which)));

    // The flag is spent: a later click in a data column stays a plain click.
    QTest::keyClick(&grid, Qt::Key_A);
    ClickCell(grid, 5, 1);
    QVERIFY(!IsTicked(grid, 5));
}

void tst_checklist::clearSelectionReachesRowsOutOfView()
{
    CheckListWindow window(400, 2);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    FlexGrid& grid = window.Grid(1);
    for (int row : {1, 200, 400})
        PressSpaceOn(grid, row);
    grid.SetRow(7);
    grid.SetCol(1);
    grid.SetTopRow(1);

    window.pair->Grid(1).cmdClear->click();

    for (int row = 1; row < grid.Rows(); ++row) {
        QVERIFY2(!IsTicked(grid, row), qPrintable(QString::number(row)));
        QVERIFY(Shows(grid, row, window, CheckListImages::Empty));
    }
    QCOMPARE(grid.Row(), 7);
    QCOMPARE(grid.Col(), 1);
    QVERIFY(grid.Redraw());
    QVERIFY(IsUntickedState(window.pair->Grid(1)));
}

void tst_checklist::onlyExactMarkerCounts()
{
    CheckListWindow window(4, 1);
    FlexGrid& grid = window.Grid(1);
    for (const char* nearly : {" @", "@ ", "@@"}) {
        grid.SetTextMatrix(3, mdlPharvel::MarkerColumn, QString::fromLatin1(nearly));
        QVERIFY2(!mdlPharvel::HasCheckedItems(grid), nearly);
    }
    grid.SetTextMatrix(2, 5, QStringLiteral("@"));
    QVERIFY2(!mdlPharvel::HasCheckedItems(grid), "only the marker column counts");
    grid.SetTextMatrix(4, mdlPharvel::MarkerColumn, QStringLiteral("@"));
    QVERIFY(mdlPharvel::HasCheckedItems(grid));

    // Toggling reads the marker, never the picture.
    grid.SetCellPicture(1, 0, window.ilsCheckList.Picture(CheckListImages::Ticked));
    grid.SetRow(1);
    window.pair->flexMSHList_KeyDown(1, Qt::Key_Space);
    QVERIFY(IsTicked(grid, 1));
}

void tst_checklist::searchReloadsPerCharacter()
{
    CheckListWindow window(12, 2);
    window.loads.clear();
    QLineEdit* box = window.pair->Grid(1).txtSearch;
    QTest::keyClicks(box, QStringLiteral("m 1"));
    QCOMPARE(window.loads,
             QStringList({QStringLiteral("m"), QStringLiteral("m "), QStringLiteral("m 1")}));
    QCOMPARE(window.Grid(1).Rows(), 5); // Item 1, Item 10, 11, 12
    QVERIFY(window.Grid(1).isEnabled());
    QTest::keyClick(box, Qt::Key_X);
    QVERIFY2(!window.Grid(1).isEnabled(), "a search that finds nothing disables the grid");
    box->clear();
    QVERIFY(window.Grid(1).isEnabled());
    QCOMPARE(window.loads.size(), 5);
}

void tst_checklist::closePrompt_data()
{
    QTest::addColumn<int>("ticked"); // the grid holding a tick; 0: none
    QTest::addColumn<bool>("answerYes");
    QTest::newRow("no tick") << 0 << false;
    QTest::newRow("grid 1, Yes") << 1 << true;
    QTest::newRow("grid 2, Yes") << 2 << true;
    QTest::newRow("grid 2, No") << 2 << false;
}

void tst_checklist::closePrompt()
{
    QFETCH(int, ticked);
    QFETCH(bool, answerYes);
    CheckListWindow window(3, 3);
    window.show();
    if (ticked != 0)
        PressSpaceOn(window.Grid(ticked), 2);
    QList<MsgBox::Message> shown;
    {
        ScopedMsgBoxHandler handler([&](const MsgBox::Message& message) {
            shown << message;
            return answerYes ? MsgBox::Answer::Yes : MsgBox::Answer::No;
        });
        window.close();
    }
    QCOMPARE(window.isVisible(), answerYes);
    QCOMPARE(shown.size(), ticked != 0 ? 1 : 0);
    if (ticked == 0)
        return;
    QCOMPARE(shown[0].text,
             QStringLiteral("You checked some items. Would you like to process them first."));
    QCOMPARE(shown[0].icon, MsgBox::Icon::Information);
    QCOMPARE(shown[0].buttons, MsgBox::Buttons::YesNo);
    QCOMPARE(shown[0].title, MsgBox::ApplicationTitle());
    QVERIFY(IsTicked(window.Grid(ticked), 2));
    if (answerYes) {
        ScopedMsgBoxHandler no([](const MsgBox::Message&) { return MsgBox::Answer::No; });
        window.reject(); // Escape closes the same way
        QVERIFY(!window.isVisible());
    }
}

QTEST_MAIN(tst_checklist)
#include "tst_checklist.moc"
