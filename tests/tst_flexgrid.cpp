#include "platform/db/PharvelError.h"
#include "platform/widgets/CheckListImages.h"
#include "platform/widgets/FlexGrid.h"
#include "platform/widgets/FlexGridModel.h"
#include "platform/widgets/Twips.h"
#include "platform/widgets/WidgetErrors.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

namespace {

// A row set shaped as the assignment windows' lists: name, description, generic, id, spare.
std::shared_ptr<const RowSet> drugs(int count, int fields = 5)
{
    QStringList names{QStringLiteral("DrugName"),    QStringLiteral("Description"),
                      QStringLiteral("GenericName"), QStringLiteral("ItemID"),
                      QStringLiteral("Spare"),       QStringLiteral("Extra1"),
                      QStringLiteral("Extra2")};
    names = names.mid(0, fields);
    std::vector<RowSet::Row> rows;
    rows.reserve(static_cast<size_t>(count));
    for (int r = 0; r < count; ++r) {
        RowSet::Row row;
        for (int f = 0; f < fields; ++f)
            row.push_back(f == 3 ? QVariant(r + 100)
                                 : QVariant(QStringLiteral("r%1f%2").arg(r).arg(f)));
        rows.push_back(std::move(row));
    }
    return std::make_shared<const RowSet>(names, std::move(rows));
}

QPixmap solid(QColor color, int side)
{
    QPixmap picture(side, side);
    picture.fill(color);
    return picture;
}

QPoint cellCentre(const FlexGrid& grid, int row, int col)
{
    return grid.visualRect(grid.GridModel()->index(row - 1, col)).center();
}

} // namespace

// The check-list grid: binding, cells, widths, the current cell and its events.
class tst_flexgrid : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void bindsFieldsFromTheFirstDataColumn();
    void bindsFromColumnZeroWithoutFixedColumn();
    void emptyRowSetLeavesOneBlankRow();
    void overridesAreSparseAndDroppedByRebindOrShrink();
    void formatStringSetsCaptionsAndAlignment();
    void columnWidthsAreTwipsAndZeroHides();
    void cellsOutsideTheGridAreRefused();
    void mouseClickMovesCurrentCellThenClicks();
    void settingRowOrColRaisesLeaveThenEnter();
    void picturesAreDrawnCentredWithCellColours();
    void modelPassesTheTester();
    void twentyThousandRowsBindAndReMark();
    void checkPicturesAreTwoCrispBoxes();
};

void tst_flexgrid::cleanup()
{
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

void tst_flexgrid::bindsFieldsFromTheFirstDataColumn()
{
    FlexGrid grid;
    grid.SetRowSet(drugs(3));
    QCOMPARE(grid.Rows(), 4);
    QCOMPARE(grid.Cols(), 6);
    QCOMPARE(grid.TextMatrix(0, 0), QString());
    QCOMPARE(grid.TextMatrix(0, 1), QStringLiteral("DrugName"));
    QCOMPARE(grid.TextMatrix(0, 5), QStringLiteral("Spare"));
    QCOMPARE(grid.TextMatrix(1, 1), QStringLiteral("r0f0"));
    QCOMPARE(grid.TextMatrix(3, 4), QStringLiteral("102"));
    QCOMPARE(grid.TextMatrix(2, 0), QString());
    QCOMPARE(grid.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("DrugName"));
    QCOMPARE(grid.Row(), 1);
    QCOMPARE(grid.Col(), 1);

    // The marker column added after binding starts empty and holds what is written to it.
    grid.SetCols(7);
    QCOMPARE(grid.TextMatrix(2, 6), QString());
    grid.SetTextMatrix(2, 6, QStringLiteral("@"));
    QCOMPARE(grid.TextMatrix(2, 6), QStringLiteral("@"));
    QCOMPARE(grid.TextMatrix(1, 6), QString());

    // Fields beyond the seventh column are not shown; those within it are.
    grid.SetRowSet(drugs(2, 7));
    QCOMPARE(grid.Cols(), 8);
    grid.SetCols(7);
    QCOMPARE(grid.TextMatrix(1, 6), QStringLiteral("r0f5"));
}

void tst_flexgrid::bindsFromColumnZeroWithoutFixedColumn()
{
    // The register grid: code and name, no fixed column.
    FlexGrid grid;
    grid.SetFixedCols(0);
    grid.SetRowSet(std::make_shared<const RowSet>(
        QStringList{QStringLiteral("GenericCode"), QStringLiteral("GenericName")},
        std::vector<RowSet::Row>{{QVariant(7), QVariant(QStringLiteral("PARACETAMOL"))}}));
    QCOMPARE(grid.Cols(), 2);
    QCOMPARE(grid.TextMatrix(1, 0), QStringLiteral("7"));
    QCOMPARE(grid.TextMatrix(1, 1), QStringLiteral("PARACETAMOL"));
    QCOMPARE(grid.Col(), 0);
    grid.SetFormatString(QStringLiteral("<Code |<Generic Name"));
    QCOMPARE(grid.TextMatrix(0, 0), QStringLiteral("Code "));
    QCOMPARE(grid.TextMatrix(1, 0), QStringLiteral("7"));
}

void tst_flexgrid::emptyRowSetLeavesOneBlankRow()
{
    FlexGrid grid;
    grid.SetRowSet(drugs(0));
    QCOMPARE(grid.Rows(), 2);
    QCOMPARE(grid.TextMatrix(0, 2), QStringLiteral("Description"));
    QCOMPARE(grid.TextMatrix(1, 2), QString());

    grid.Clear();
    grid.SetRows(2);
    grid.SetFormatString(QStringLiteral("|<Drug Name |<Description |<Generic Name"));
    QCOMPARE(grid.TextMatrix(0, 1), QStringLiteral("Drug Name "));
    QCOMPARE(grid.TextMatrix(1, 1), QString());
}

void tst_flexgrid::overridesAreSparseAndDroppedByRebindOrShrink()
{
    FlexGrid grid;
    grid.SetRowSet(drugs(5));
    grid.SetCols(7);
    grid.SetTextMatrix(4, 6, QStringLiteral("@"));
    grid.SetTextMatrix(2, 1, QStringLiteral("overridden"));
    grid.SetCellPicture(4, 0, solid(Qt::red, 14));
    QCOMPARE(grid.TextMatrix(2, 1), QStringLiteral("overridden"));

    // Shrinking and growing again leaves the dropped rows blank, not showing old ticks.
    grid.SetRows(3);
    grid.SetRows(6);
    QCOMPARE(grid.TextMatrix(4, 6), QString());
    QVERIFY(grid.GridModel()->CellPicture(4, 0).isNull());
    QCOMPARE(grid.TextMatrix(2, 1), QStringLiteral("overridden"));
    QCOMPARE(grid.TextMatrix(4, 1), QString()); // beyond the rows kept from the binding

    grid.SetRowSet(drugs(5));
    QCOMPARE(grid.TextMatrix(2, 1), QStringLiteral("r1f0"));
    QCOMPARE(grid.TextMatrix(4, 1), QStringLiteral("r3f0"));

    // Clear empties every cell but keeps the shape.
    grid.SetCellBackColor(Qt::blue);
    grid.Clear();
    QCOMPARE(grid.Rows(), 6);
    QCOMPARE(grid.Cols(), 6);
    QCOMPARE(grid.TextMatrix(0, 1), QString());
    QCOMPARE(grid.TextMatrix(1, 1), QString());
    QVERIFY(!grid.CellBackColor().isValid());
}

void tst_flexgrid::formatStringSetsCaptionsAndAlignment()
{
    FlexGrid grid;
    grid.SetCols(2);
    grid.SetFormatString(QStringLiteral("|<Drug Name |^Description |>Generic Name"));
    QCOMPARE(grid.Cols(), 4);
    QCOMPARE(grid.TextMatrix(0, 0), QString());
    QCOMPARE(grid.TextMatrix(0, 1), QStringLiteral("Drug Name "));
    QCOMPARE(grid.TextMatrix(0, 2), QStringLiteral("Description "));
    QCOMPARE(grid.TextMatrix(0, 3), QStringLiteral("Generic Name"));
    const FlexGridModel* model = grid.GridModel();
    QCOMPARE(model->ColAlignment(1) & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    QCOMPARE(model->ColAlignment(2) & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    QCOMPARE(model->ColAlignment(3) & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    QCOMPARE(model->index(0, 3).data(Qt::TextAlignmentRole).value<Qt::Alignment>() &
                 Qt::AlignHorizontal_Mask,
             Qt::AlignRight);
    // A caption may itself hold a character that only leads as an alignment mark.
    grid.SetFormatString(QStringLiteral("<a<b"));
    QCOMPARE(grid.TextMatrix(0, 0), QStringLiteral("a<b"));
}

void tst_flexgrid::columnWidthsAreTwipsAndZeroHides()
{
    FlexGrid grid;
    grid.SetRowSet(drugs(2));
    grid.SetCols(7);
    grid.SetColWidth(0, 250);
    grid.SetColWidth(1, 4080);
    grid.SetColWidth(6, 0);
    QCOMPARE(grid.ColWidth(1), 4080);
    QCOMPARE(grid.columnWidth(1), Twips::ToPixels(4080, &grid));
    QCOMPARE(grid.columnWidth(0), Twips::ToPixels(250, &grid));
    QVERIFY(grid.isColumnHidden(6));
    QCOMPARE(grid.ColWidth(6), 0);
    grid.SetColWidth(6, 300);
    QVERIFY(!grid.isColumnHidden(6));

    // Widths survive a reload of the same shape.
    grid.SetColWidth(5, 0);
    grid.SetRowSet(drugs(4));
    grid.SetCols(7);
    QCOMPARE(grid.ColWidth(1), 4080);
    QVERIFY(grid.isColumnHidden(5));
    QCOMPARE(grid.columnWidth(1), Twips::ToPixels(4080, &grid));
}

void tst_flexgrid::cellsOutsideTheGridAreRefused()
{
    FlexGrid grid;
    grid.SetRowSet(drugs(2));
    try {
        grid.SetTextMatrix(3, 1, QStringLiteral("x"));
        QFAIL("a row beyond the grid was accepted");
    } catch (const PharvelError& error) {
        QCOMPARE(error.Number(), ErrorNumber::SubscriptOutOfRange);
    }
    QVERIFY_THROWS_EXCEPTION(PharvelError, grid.TextMatrix(1, 6));
    QVERIFY_THROWS_EXCEPTION(PharvelError, grid.TextMatrix(-1, 0));
    QVERIFY_THROWS_EXCEPTION(PharvelError, grid.SetRow(3));
    QVERIFY_THROWS_EXCEPTION(PharvelError, grid.SetCol(6));
    QVERIFY_THROWS_EXCEPTION(PharvelError, grid.ColWidth(6));
    QCOMPARE(grid.Row(), 1);
}

void tst_flexgrid::mouseClickMovesCurrentCellThenClicks()
{
    FlexGrid grid;
    grid.SetRowSet(drugs(5));
    grid.SetCols(7);
    for (int c = 0; c < 7; ++c)
        grid.SetColWidth(c, c < 4 ? 900 : 0);
    grid.resize(400, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));

    QStringList log;
    connect(&grid, &FlexGrid::LeaveCell, &grid,
            [&] { log.append(QStringLiteral("Leave %1,%2").arg(grid.Row()).arg(grid.Col())); });
    connect(&grid, &FlexGrid::EnterCell, &grid,
            [&] { log.append(QStringLiteral("Enter %1,%2").arg(grid.Row()).arg(grid.Col())); });
    connect(&grid, &FlexGrid::Click, &grid, [&] {
        log.append(QStringLiteral("Click mouse %1,%2").arg(grid.MouseRow()).arg(grid.MouseCol()));
    });

    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cellCentre(grid, 3, 2));
    QCOMPARE(log, (QStringList{QStringLiteral("Leave 1,1"), QStringLiteral("Enter 3,2"),
                               QStringLiteral("Click mouse 3,2")}));

    // A click in the check column of the same row moves the column only.
    log.clear();
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cellCentre(grid, 3, 0));
    QCOMPARE(log, (QStringList{QStringLiteral("Leave 3,2"), QStringLiteral("Enter 3,0"),
                               QStringLiteral("Click mouse 3,0")}));

    // Below the last row the pointer is over no cell, so no column can be taken for the
    // check column.
    log.clear();
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(cellCentre(grid, 1, 0).x(), 290));
    QCOMPARE(log, QStringList{QStringLiteral("Click mouse -1,-1")});

    // Over the header the pointer is on row 0.
    const QHeaderView* header = grid.horizontalHeader();
    QTest::mouseMove(header->viewport(), QPoint(header->sectionViewportPosition(1) + 5, 5));
    QTRY_COMPARE(grid.MouseRow(), 0);
    QCOMPARE(grid.MouseCol(), 1);

    QSignalSpy keys(&grid, &FlexGrid::KeyDown);
    QSignalSpy focus(&grid, &FlexGrid::GotFocus);
    grid.clearFocus();
    grid.setFocus();
    QTest::keyClick(&grid, Qt::Key_Space);
    QCOMPARE(keys.size(), 1);
    QCOMPARE(keys.at(0).at(0).toInt(), int(Qt::Key_Space));
    QVERIFY(focus.size() >= 1);
    log.clear();
    QTest::keyClick(&grid, Qt::Key_Down);
    QCOMPARE(log, (QStringList{QStringLiteral("Leave 3,0"), QStringLiteral("Enter 4,0")}));
    grid.close();
}

void tst_flexgrid::settingRowOrColRaisesLeaveThenEnter()
{
    FlexGrid grid;
    grid.SetRowSet(drugs(4));
    QStringList log;
    connect(&grid, &FlexGrid::LeaveCell, &grid,
            [&] { log.append(QStringLiteral("Leave %1,%2").arg(grid.Row()).arg(grid.Col())); });
    connect(&grid, &FlexGrid::EnterCell, &grid,
            [&] { log.append(QStringLiteral("Enter %1,%2").arg(grid.Row()).arg(grid.Col())); });
    grid.SetCol(0);
    grid.SetRow(3);
    grid.SetRow(3);
    QCOMPARE(log, (QStringList{QStringLiteral("Leave 1,1"), QStringLiteral("Enter 1,0"),
                               QStringLiteral("Leave 1,0"), QStringLiteral("Enter 3,0")}));

    // The cell properties act on the current cell.
    grid.SetCellPicture(solid(Qt::green, 14));
    grid.SetCellBackColor(Qt::darkBlue);
    QVERIFY(!grid.GridModel()->CellPicture(3, 0).isNull());
    QCOMPARE(grid.GridModel()->CellBackColor(3, 0), QColor(Qt::darkBlue));
    QVERIFY(grid.GridModel()->CellPicture(1, 0).isNull());

    // A reload that leaves fewer rows keeps the current cell inside the grid.
    grid.SetRowSet(drugs(1));
    QCOMPARE(grid.Row(), 1);
    grid.SetRows(1);
    QCOMPARE(grid.Row(), 0);
}

void tst_flexgrid::picturesAreDrawnCentredWithCellColours()
{
    FlexGrid grid;
    grid.SetRowSet(drugs(3));
    grid.SetColWidth(0, 600);
    grid.resize(300, 200);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    grid.SetCellPicture(2, 0, solid(Qt::red, 8));
    grid.GridModel()->SetCellBackColor(2, 1, Qt::blue);

    const QImage image = grid.viewport()->grab().toImage();
    const qreal ratio = image.devicePixelRatio();
    const QRect cell = grid.visualRect(grid.GridModel()->index(1, 0));
    QCOMPARE(image.pixelColor(cell.center() * ratio), QColor(Qt::red));
    // The picture is centred: the cell's left edge area is not painted with it.
    QVERIFY(image.pixelColor((cell.topLeft() + QPoint(2, cell.height() / 2)) * ratio) !=
            QColor(Qt::red));
    const QRect coloured = grid.visualRect(grid.GridModel()->index(1, 1));
    QCOMPARE(image.pixelColor((coloured.topLeft() + QPoint(3, 3)) * ratio), QColor(Qt::blue));
    grid.close();
}

void tst_flexgrid::modelPassesTheTester()
{
    FlexGrid grid;
    QAbstractItemModelTester tester(grid.GridModel(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    grid.SetRowSet(drugs(10));
    grid.SetCols(7);
    grid.SetTextMatrix(3, 6, QStringLiteral("@"));
    grid.SetTextMatrix(0, 2, QStringLiteral("caption"));
    grid.SetCellPicture(3, 0, solid(Qt::red, 14));
    grid.SetRows(4);
    grid.SetFormatString(QStringLiteral("|<Drug Name |<Description |<Generic Name"));
    grid.Clear();
    grid.SetRowSet(drugs(0));
    grid.SetRowSet(nullptr);
    grid.SetCols(0);
    grid.SetRows(1);
    QCOMPARE(grid.model()->rowCount(), 0);
}

void tst_flexgrid::twentyThousandRowsBindAndReMark()
{
    FlexGrid grid;
    grid.resize(400, 300);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    CheckListImages images;

    grid.SetRedraw(false);
    QVERIFY(!grid.updatesEnabled());
    grid.SetRowSet(drugs(20000));
    grid.SetCols(7);
    // Every data row re-marked as the Clear Selection procedure does it.
    grid.SetCol(0);
    for (int r = 1; r < grid.Rows(); ++r) {
        grid.SetRow(r);
        grid.SetCellPicture(images.Picture(CheckListImages::Empty));
        grid.SetTextMatrix(r, 6, QString());
    }
    grid.SetRow(1);
    grid.SetRedraw(true);
    QVERIFY(grid.updatesEnabled());

    QCOMPARE(grid.Rows(), 20001);
    QCOMPARE(grid.TextMatrix(20000, 1), QStringLiteral("r19999f0"));
    QCOMPARE(grid.TextMatrix(20000, 4), QStringLiteral("20099"));
    QVERIFY(!grid.GridModel()->CellPicture(20000, 0).isNull());
    grid.SetTopRow(15000);
    QCOMPARE(grid.TopRow(), 15000);
    QCOMPARE(grid.rowHeight(0), grid.rowHeight(19999));
    grid.close();
}

void tst_flexgrid::checkPicturesAreTwoCrispBoxes()
{
    CheckListImages images;
    QCOMPARE(images.Count(), 2);
    QCOMPARE(images.ImageSize(), QSize(14, 14));
    const QPixmap ticked = images.Picture(CheckListImages::Ticked);
    const QPixmap empty = images.Picture(CheckListImages::Empty);
    QCOMPARE(ticked.deviceIndependentSize(), QSizeF(14, 14));
    QVERIFY(ticked.devicePixelRatio() >= 2.0);
    QVERIFY(ticked.toImage() != empty.toImage());
    QVERIFY(images.Picture(3).isNull());
    // The box has a visible edge and a light inside.
    const QImage box = empty.toImage();
    QVERIFY(qGray(box.pixel(box.width() / 2, box.height() / 2)) > 200);
    QVERIFY(qGray(box.pixel(box.width() / 2, 3)) < 128);
}

QTEST_MAIN(tst_flexgrid)
#include "tst_flexgrid.moc"
