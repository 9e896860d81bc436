#include "platform/widgets/FlexGrid.h"
#include "platform/widgets/FlexGridModel.h"
#include "platform/widgets/Twips.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

std::shared_ptr<const RowSet> drugs(int count)
{
    std::vector<RowSet::Row> rows;
    rows.reserve(static_cast<size_t>(count));
    for (int i = 1; i <= count; ++i) {
        rows.push_back({QStringLiteral("Drug %1").arg(i), QStringLiteral("Description %1").arg(i),
                        QVariant(i)});
    }
    return std::make_shared<const RowSet>(
        QStringList{QStringLiteral("Drug Name"), QStringLiteral("Description"),
                    QStringLiteral("Generic Name")},
        std::move(rows));
}

// What the windows hear of the current cell: each event with the cell current at the time.
struct CellEvents
{
    explicit CellEvents(FlexGrid& grid)
    {
        QObject::connect(&grid, &FlexGrid::LeaveCell, &grid, [this, &grid] {
            log << QStringLiteral("Leave %1,%2").arg(grid.Row()).arg(grid.Col());
        });
        QObject::connect(&grid, &FlexGrid::EnterCell, &grid, [this, &grid] {
            log << QStringLiteral("Enter %1,%2").arg(grid.Row()).arg(grid.Col());
        });
    }
    QStringList log;
};

void showGrid(FlexGrid& grid)
{
    grid.resize(600, 400);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
}

QModelIndex cellIndex(const FlexGrid& grid, int row, int col)
{
    return grid.GridModel()->index(row - 1, col);
}

template <class F>
PharvelError raisedBy(F&& f)
{
    try {
        f();
    } catch (const PharvelError& error) {
        return error;
    }
    return PharvelError(0, QStringLiteral("nothing raised"), {});
}

} // namespace

class tst_FlexGrid : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void bind_rowsAndHeader();
    void bind_emptyRowSetKeepsOneBlankRow();
    void bind_againDropsOverridesAndResizes();
    void formatString_captionsAndAlignment();
    void textMatrix_overridesAndRange();
    void clear_emptiesCellsKeepsShape();
    void colWidth_twipsAndHidden();
    void rowCol_leaveBeforeEnter();
    void mouse_clickMovesCellThenClicks();
    void keyDown_space();
    void cellPicture_isDrawn();
    void redraw_suspendsDrawing();
    void bind_twentyThousandRows();
    void model_underTester();
};

void tst_FlexGrid::cleanup()
{
    QCOMPARE(QApplication::topLevelWidgets().size(), 0);
}

void tst_FlexGrid::bind_rowsAndHeader()
{
    FlexGrid grid;
    grid.SetRowSet(drugs(3));
    QCOMPARE(grid.Rows(), 4);
    QCOMPARE(grid.Cols(), 4);
    QCOMPARE(grid.FixedCols(), 1);
    QCOMPARE(grid.TextMatrix(0, 1), QStringLiteral("Drug Name"));
    QCOMPARE(grid.TextMatrix(0, 3), QStringLiteral("Generic Name"));
    QCOMPARE(grid.TextMatrix(0, 0), QString());
    QCOMPARE(grid.TextMatrix(1, 1), QStringLiteral("Drug 1"));
    QCOMPARE(grid.TextMatrix(3, 2), QStringLiteral("Description 3"));
    QCOMPARE(grid.TextMatrix(2, 3), QStringLiteral("2"));
    QCOMPARE(grid.TextMatrix(2, 0), QString());
    QCOMPARE(grid.Row(), 1);
    QCOMPARE(grid.Col(), 1);

    // To Qt the header row is the horizontal header, the data rows the model's rows.
    const FlexGridModel& model = *grid.GridModel();
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("Description"));
    QCOMPARE(model.index(0, 1).data().toString(), QStringLiteral("Drug 1"));
    QCOMPARE(grid.currentIndex(), cellIndex(grid, 1, 1));
}

void tst_FlexGrid::bind_emptyRowSetKeepsOneBlankRow()
{
    FlexGrid grid;
    grid.SetRowSet(drugs(0));
    QCOMPARE(grid.Rows(), 2);
    QCOMPARE(grid.Cols(), 4);
    QCOMPARE(grid.TextMatrix(0, 1), QStringLiteral("Drug Name"));
    QCOMPARE(grid.TextMatrix(1, 1), QString());
    grid.SetTextMatrix(1, 3, QStringLiteral("written"));
    QCOMPARE(grid.TextMatrix(1, 3), QStringLiteral("written"));
}

void tst_FlexGrid::bind_againDropsOverridesAndResizes()
{
    FlexGrid grid;
    grid.SetRowSet(drugs(5));
    grid.SetTextMatrix(2, 1, QStringLiteral("override"));
    grid.SetRow(5);
    grid.SetCol(3);

    grid.SetRowSet(drugs(2));
    QCOMPARE(grid.Rows(), 3);
    QCOMPARE(grid.TextMatrix(2, 1), QStringLiteral("Drug 2"));
    QCOMPARE(grid.Row(), 1);
    QCOMPARE(grid.Col(), 1);
    QCOMPARE(raisedBy([&] { grid.TextMatrix(5, 1); }).Number(), 381);

    const auto oneField = std::make_shared<const RowSet>(
        QStringList{QStringLiteral("Code")},
        std::vector<RowSet::Row>{{QStringLiteral("A1")}, {QStringLiteral("A2")}});
    grid.SetRowSet(oneField);
    QCOMPARE(grid.Cols(), 2);
    QCOMPARE(grid.TextMatrix(2, 1), QStringLiteral("A2"));
}

void tst_FlexGrid::formatString_captionsAndAlignment()
{
    FlexGrid grid;
    grid.SetRowSet(drugs(2));
    grid.SetFormatString(QStringLiteral("|<Drug Name |<Description |<Generic Name"));
    QCOMPARE(grid.Cols(), 4);
    QCOMPARE(grid.TextMatrix(0, 0), QString());
    QCOMPARE(grid.TextMatrix(0, 1), QStringLiteral("Drug Name "));
    QCOMPARE(grid.TextMatrix(0, 3), QStringLiteral("Generic Name"));
    // The captions replace the field names; the data stay bound.
    QCOMPARE(grid.TextMatrix(1, 1), QStringLiteral("Drug 1"));

    FlexGrid other;
    other.SetFormatString(QStringLiteral("^Tick|>Count|Name|<Code"));
    QCOMPARE(other.Cols(), 4);
    QCOMPARE(other.TextMatrix(0, 0), QStringLiteral("Tick"));
    QCOMPARE(other.TextMatrix(0, 1), QStringLiteral("Count"));
    QCOMPARE(other.TextMatrix(0, 2), QStringLiteral("Name"));
    const FlexGridModel& model = *other.GridModel();
    const auto alignment = [&](int col) {
        return model.index(0, col).data(Qt::TextAlignmentRole).value<Qt::Alignment>() &
               Qt::AlignHorizontal_Mask;
    };
    QCOMPARE(alignment(0), Qt::Alignment(Qt::AlignHCenter));
    QCOMPARE(alignment(1), Qt::Alignment(Qt::AlignRight));
    QCOMPARE(alignment(2), Qt::Alignment(Qt::AlignLeft));
    QCOMPARE(alignment(3), Qt::Alignment(Qt::AlignLeft));
    // The header paints the caption with the column's alignment.
    QCOMPARE(model.headerData(1, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>() &
                 Qt::AlignHorizontal_Mask,
             Qt::Alignment(Qt::AlignRight));
}

void tst_FlexGrid::textMatrix_overridesAndRange()
{
    FlexGrid grid;
    grid.SetRowSet(drugs(3));
    QSignalSpy changed(grid.GridModel(), &QAbstractItemModel::dataChanged);
    QSignalSpy headerChanged(grid.GridModel(), &QAbstractItemModel::headerDataChanged);

    grid.SetTextMatrix(2, 1, QStringLiteral("Changed"));
    grid.SetTextMatrix(3, 0, QStringLiteral("@"));
    grid.SetTextMatrix(0, 2, QStringLiteral("Notes"));
    QCOMPARE(grid.TextMatrix(2, 1), QStringLiteral("Changed"));
    QCOMPARE(grid.TextMatrix(3, 0), QStringLiteral("@"));
    QCOMPARE(grid.TextMatrix(1, 1), QStringLiteral("Drug 1"));
    QCOMPARE(grid.GridModel()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Notes"));
    QCOMPARE(grid.GridModel()->index(1, 1).data().toString(), QStringLiteral("Changed"));
    QCOMPARE(changed.size(), 2);
    QCOMPARE(changed.at(0).at(0).value<QModelIndex>(), cellIndex(grid, 2, 1));
    QCOMPARE(headerChanged.size(), 1);

    // An empty override hides the bound text.
    grid.SetTextMatrix(1, 2, QString());
    QCOMPARE(grid.TextMatrix(1, 2), QString());

    for (const QPoint cell : {QPoint(4, 1), QPoint(-1, 1), QPoint(1, 4), QPoint(1, -1)}) {
        const PharvelError error = raisedBy([&] { grid.TextMatrix(cell.x(), cell.y()); });
        QCOMPARE(error.Number(), 381);
        QCOMPARE(raisedBy([&] { grid.SetTextMatrix(cell.x(), cell.y(), QStringLiteral("x")); })
                     .Number(),
                 381);
    }
    QCOMPARE(grid.Rows(), 4);
    QCOMPARE(grid.Cols(), 4);
}

void tst_FlexGrid::clear_emptiesCellsKeepsShape()
{
    FlexGrid grid;
    grid.SetRowSet(drugs(3));
    grid.SetTextMatrix(1, 0, QStringLiteral("@"));
    grid.SetRow(2);
    grid.SetCellBackColor(Qt::blue);
    grid.Clear();
    QCOMPARE(grid.Rows(), 4);
    QCOMPARE(grid.Cols(), 4);
    QCOMPARE(grid.TextMatrix(0, 1), QString());
    QCOMPARE(grid.TextMatrix(1, 0), QString());
    QCOMPARE(grid.TextMatrix(2, 1), QString());
    QVERIFY(!grid.CellBackColor().isValid());
}

void tst_FlexGrid::colWidth_twipsAndHidden()
{
    FlexGrid grid;
    grid.SetRowSet(drugs(3));
    QCOMPARE(grid.ColWidth(1), 960);
    QCOMPARE(grid.ColWidth(9), 0);

    grid.SetColWidth(1, 1500);
    grid.SetColWidth(0, 300);
    QCOMPARE(grid.ColWidth(1), 1500);
    QCOMPARE(grid.columnWidth(1), Twips::ToPixels(1500, &grid));
    QCOMPARE(grid.columnWidth(0), Twips::ToPixels(300, &grid));

    grid.SetColWidth(3, 0);
    QCOMPARE(grid.ColWidth(3), 0);
    QVERIFY(grid.isColumnHidden(3));
    QVERIFY(!grid.isColumnHidden(2));

    // Widths and hidden columns outlive a new binding: the windows set them once.
    grid.SetRowSet(drugs(7));
    QVERIFY(grid.isColumnHidden(3));
    QCOMPARE(grid.columnWidth(1), Twips::ToPixels(1500, &grid));

    // A width set for a column that comes later applies when it comes.
    grid.SetColWidth(6, 0);
    grid.SetCols(7);
    QVERIFY(grid.isColumnHidden(6));

    grid.SetColWidth(3, 600);
    QVERIFY(!grid.isColumnHidden(3));
    QCOMPARE(grid.columnWidth(3), Twips::ToPixels(600, &grid));
    grid.SetColWidth(2, -50);
    QCOMPARE(grid.ColWidth(2), 0);
    QVERIFY(grid.isColumnHidden(2));
}

void tst_FlexGrid::rowCol_leaveBeforeEnter()
{
    FlexGrid grid;
    grid.SetRowSet(drugs(5));
    CellEvents events(grid);

    grid.SetRow(3);
    grid.SetRow(3);
    grid.SetCol(2);
    QCOMPARE(events.log, (QStringList{QStringLiteral("Leave 1,1"), QStringLiteral("Enter 3,1"),
                                      QStringLiteral("Leave 3,1"), QStringLiteral("Enter 3,2")}));
    QCOMPARE(grid.currentIndex(), cellIndex(grid, 3, 2));

    events.log.clear();
    grid.SetRow(99);
    QCOMPARE(grid.Row(), 5);
    grid.SetCol(0);
    QCOMPARE(grid.Col(), 0);
    QCOMPARE(events.log, (QStringList{QStringLiteral("Leave 3,2"), QStringLiteral("Enter 5,2"),
                                      QStringLiteral("Leave 5,2"), QStringLiteral("Enter 5,0")}));

    // The cell properties act on the current cell.
    grid.SetCellBackColor(Qt::red);
    QCOMPARE(grid.GridModel()->CellBackColor(5, 0), QColor(Qt::red));
    QCOMPARE(grid.GridModel()->index(4, 0).data(Qt::BackgroundRole).value<QColor>(),
             QColor(Qt::red));
    grid.SetCellForeColor(Qt::white);
    QCOMPARE(grid.CellForeColor(), QColor(Qt::white));
}

void tst_FlexGrid::mouse_clickMovesCellThenClicks()
{
    FlexGrid grid;
    grid.SetRowSet(drugs(5));
    showGrid(grid);
    CellEvents events(grid);
    QStringList clicks;
    connect(&grid, &FlexGrid::Click, &grid, [&] {
        clicks << QStringLiteral("Click %1,%2 mouse %3,%4")
                      .arg(grid.Row())
                      .arg(grid.Col())
                      .arg(grid.MouseRow())
                      .arg(grid.MouseCol());
    });

    const QRect cell = grid.visualRect(cellIndex(grid, 3, 2));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(clicks, QStringList{QStringLiteral("Click 3,2 mouse 3,2")});
    QCOMPARE(events.log, (QStringList{QStringLiteral("Leave 1,1"), QStringLiteral("Enter 3,2")}));

    const QRect check = grid.visualRect(cellIndex(grid, 3, 0));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, check.center());
    QCOMPARE(grid.MouseCol(), 0);
    QCOMPARE(grid.MouseRow(), 3);
    QCOMPARE(clicks.size(), 2);
    QCOMPARE(clicks.last(), QStringLiteral("Click 3,0 mouse 3,0"));

    // Below the last row there is no cell to click.
    const QRect last = grid.visualRect(cellIndex(grid, 5, 1));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {},
                      QPoint(last.center().x(), last.bottom() + 3 * last.height()));
    QCOMPARE(clicks.size(), 2);
    QCOMPARE(grid.Row(), 3);
}

void tst_FlexGrid::keyDown_space()
{
    FlexGrid grid;
    grid.SetRowSet(drugs(5));
    showGrid(grid);
    grid.setFocus();
    CellEvents events(grid);
    QSignalSpy keys(&grid, &FlexGrid::KeyDown);

    QTest::keyClick(&grid, Qt::Key_Space);
    QCOMPARE(keys.size(), 1);
    QCOMPARE(keys.at(0).at(0).toInt(), 32);
    QVERIFY(events.log.isEmpty());

    QTest::keyClick(&grid, Qt::Key_Down);
    QCOMPARE(keys.size(), 2);
    QCOMPARE(keys.at(1).at(0).toInt(), int(Qt::Key_Down));
    QCOMPARE(grid.Row(), 2);
    QCOMPARE(events.log, (QStringList{QStringLiteral("Leave 1,1"), QStringLiteral("Enter 2,1")}));
}

void tst_FlexGrid::cellPicture_isDrawn()
{
    FlexGrid grid;
    grid.SetRowSet(drugs(3));
    grid.SetColWidth(0, 600);
    showGrid(grid);

    QPixmap box(14, 14);
    box.fill(QColor(200, 0, 0));
    grid.SetCellPicture(2, 0, box);
    QCOMPARE(grid.GridModel()->CellPicture(2, 0).toImage().pixelColor(7, 7), QColor(200, 0, 0));
    QVERIFY(grid.GridModel()->CellPicture(1, 0).isNull());

    const QRect cell = grid.visualRect(cellIndex(grid, 2, 0));
    QImage shot = grid.viewport()->grab().toImage();
    const qreal ratio = shot.devicePixelRatio();
    QCOMPARE(shot.pixelColor((cell.center() * ratio).toPoint()), QColor(200, 0, 0));
    const QRect empty = grid.visualRect(cellIndex(grid, 1, 0));
    QVERIFY(shot.pixelColor((empty.center() * ratio).toPoint()) != QColor(200, 0, 0));

    grid.SetCellPicture(2, 0, QPixmap());
    QVERIFY(grid.GridModel()->CellPicture(2, 0).isNull());
    shot = grid.viewport()->grab().toImage();
    QVERIFY(shot.pixelColor((cell.center() * ratio).toPoint()) != QColor(200, 0, 0));
}

void tst_FlexGrid::redraw_suspendsDrawing()
{
    FlexGrid grid;
    grid.SetRedraw(false);
    QVERIFY(!grid.Redraw());
    QVERIFY(!grid.updatesEnabled());
    grid.SetRedraw(true);
    QVERIFY(grid.Redraw());
    QVERIFY(grid.updatesEnabled());
}

void tst_FlexGrid::bind_twentyThousandRows()
{
    const auto rows = drugs(20000);
    FlexGrid grid;
    showGrid(grid);

    QElapsedTimer timer;
    timer.start();
    grid.SetRowSet(rows);
    QCoreApplication::processEvents();
    const qint64 bindMs = timer.elapsed();
    QCOMPARE(grid.Rows(), 20001);
    QCOMPARE(grid.TextMatrix(20000, 1), QStringLiteral("Drug 20000"));
    QVERIFY2(bindMs < 1000, qPrintable(QStringLiteral("binding took %1 ms").arg(bindMs)));

    // Re-marking every row with drawing suspended, as the windows clear their ticks.
    QPixmap box(14, 14);
    box.fill(Qt::white);
    timer.restart();
    grid.SetRedraw(false);
    grid.SetCol(0);
    for (int row = 1; row < grid.Rows(); ++row) {
        grid.SetRow(row);
        grid.SetCellPicture(box);
        grid.SetTextMatrix(row, 3, QString());
    }
    grid.SetRedraw(true);
    QCoreApplication::processEvents();
    const qint64 markMs = timer.elapsed();
    QVERIFY2(markMs < 3000, qPrintable(QStringLiteral("re-marking took %1 ms").arg(markMs)));
    QCOMPARE(grid.Row(), 20000);

    grid.SetTopRow(15000);
    QCOMPARE(grid.TopRow(), 15000);
}

void tst_FlexGrid::model_underTester()
{
    FlexGrid grid;
    FlexGridModel& model = *grid.GridModel();
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);

    grid.SetRowSet(drugs(4));
    grid.SetFormatString(QStringLiteral("|<Drug Name |>Description |^Generic Name"));
    grid.SetTextMatrix(2, 1, QStringLiteral("x"));
    grid.SetRow(3);
    grid.SetCellBackColor(Qt::yellow);
    grid.SetCellPicture(QPixmap(14, 14));
    grid.SetRows(2);
    QCOMPARE(model.rowCount(), 1);
    grid.SetCols(7);
    grid.SetRows(1);
    QCOMPARE(model.rowCount(), 0);
    grid.SetRowSet(drugs(0));
    grid.SetFixedCols(0);
    grid.Clear();
    grid.SetRowSet(nullptr);
    QCOMPARE(grid.Rows(), 2);
}

QTEST_MAIN(tst_FlexGrid)
#include "tst_flexgrid.moc"
