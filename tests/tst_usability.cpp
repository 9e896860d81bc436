#include "app/mdlPharvel.h"
#include "assign/frmDrugList.h"
#include "assign/frmList.h"
#include "catalogue/frmAbout.h"
#include "catalogue/frmPharvel.h"
#include "demo/DemoCatalogue.h"
#include "details/frmMedDetails.h"
#include "fixtures/AssignmentRun.h"
#include "fixtures/LoggedInRun.h"
#include "fixtures/MainWindowDriver.h"
#include "fixtures/ProgressWindowSpy.h"
#include "fixtures/SampleCatalogue.h"
#include "fixtures/TestDatabase.h"
#include "fixtures/WhileOpen.h"
#include "platform/catalog/Pharvel.h"
#include "platform/db/SQLConnection.h"
#include "platform/db/Schema.h"
#include "platform/user/clsCurrentUser.h"
#include "platform/widgets/FlexGrid.h"
#include "platform/widgets/FlexGridModel.h"
#include "platform/widgets/KeyedTree.h"
#include "register/frmGeneric.h"

#include <QApplication>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <QToolTip>
#include <memory>

// What a user relies on beyond each window's own work: the keyboard reaches every control in
// the window's order and every access key works from anywhere in it, cut-short text can be read
// whole, read-only text looks read-only, a long load shows its progress, and the About box says
// what runs against which database for whom.
class tst_usability : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void tabFollowsEachWindowsOrder_data();
    void tabFollowsEachWindowsOrder();
    void accessKeysWorkFromEveryControl();
    void truncatedCellsShowTheirWholeText();
    void medicineDetailsAreReadOnlyText();
    ON_EVERY_ENGINE(progressBarMovesWithTheRows);
    ON_EVERY_ENGINE(aboutNamesProgramDatabaseAndUser);
};

namespace {

// An opened window and its controls in tab order; the window goes with the run.
struct OpenedWindow
{
    QWidget* window;
    QList<QWidget*> order;
};

OpenedWindow OpenDrugList(AssignmentRun& run)
{
    frmDrugList* form = run.OpenDrugListForParacetamol();
    return {form,
            {form->txtSearch1, form->flexMSHList1, form->optAll, form->optClassified,
             form->optUnClassified, form->cmdClear1, form->txtSearch2, form->flexMSHList2,
             form->cmdClear2, form->cmdCancel, form->cmdAdd, form->cmdRemove}};
}

OpenedWindow OpenList(AssignmentRun& run)
{
    run.Select(QStringLiteral("_1"));
    auto* form = new frmList(*mdlPharvel::objPharvel, run.window->GenericWindow(), run.window);
    form->SetItemID(static_cast<qint16>(run.catalogue.analgesics));
    form->SetClassificationName(QStringLiteral("Analgesics"));
    form->SetTreList(run.window->trePharvel);
    form->show();
    return {form,
            {form->txtSearch1, form->flexMSHList1, form->cmdClear1, form->cmdAdd, form->cmdRemove,
             form->txtSearch2, form->flexMSHList2, form->cmdClear2, form->Command1,
             form->cmdCancel}};
}

OpenedWindow OpenRegister(AssignmentRun& run)
{
    frmGeneric& form = run.window->GenericWindow();
    form.show();
    return {&form,
            {form.txtSearch, form.flexMSHList, form.cmdNew, form.cmdRename, form.cmdDelete,
             form.cmdClose}};
}

// PHARVEL_SCREENSHOT_DIR names a folder to keep a picture of the window in, for a look at it.
void Keep(QWidget* window, const QString& name)
{
    if (const QString folder = qEnvironmentVariable("PHARVEL_SCREENSHOT_DIR"); !folder.isEmpty())
        QVERIFY(window->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png")));
}

void Activate(QWidget* window)
{
    QApplication::setActiveWindow(window);
    QVERIFY(QTest::qWaitForWindowActive(window));
}

void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), modifiers);
}

// The text the cell's tooltip shows, empty when it shows none.
QString CellToolTip(FlexGrid& grid, int row, int col)
{
    const QRect cell = grid.visualRect(grid.GridModel()->index(row - 1, col));
    const QPoint at(std::max(cell.left(), 0) + 4, cell.center().y());
    if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); }))
        return QStringLiteral("(a tooltip stayed up)");
    QHelpEvent help(QEvent::ToolTip, at, grid.viewport()->mapToGlobal(at));
    QApplication::sendEvent(grid.viewport(), &help);
    const QString text = QToolTip::isVisible() ? QToolTip::text() : QString();
    QToolTip::hideText();
    return text;
}

} // namespace

void tst_usability::cleanup()
{
    // A tooltip's window goes a moment after it is hidden.
    QTRY_VERIFY(!QToolTip::isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(QApplication::topLevelWidgets().size(), 0);
}

void tst_usability::tabFollowsEachWindowsOrder_data()
{
    QTest::addColumn<int>("window");
    QTest::newRow("Drug Classification") << 0;
    QTest::newRow("Generic Classification") << 1;
    QTest::newRow("Build Generic Name") << 2;
}

// Tab goes from control to control in the window's order, out of each grid to its neighbour,
// and Shift+Tab goes back; the arrow keys move inside a grid.
void tst_usability::tabFollowsEachWindowsOrder()
{
    QFETCH(int, window);
    AssignmentRun run(QStringLiteral("sqlite"));
    const OpenedWindow opened = window == 0   ? OpenDrugList(run)
                                : window == 1 ? OpenList(run)
                                              : OpenRegister(run);
    Activate(opened.window);
    // Of a group of option buttons, Tab reaches the selected one; the arrow keys choose.
    QList<QWidget*> expected;
    for (QWidget* control : opened.order) {
        const auto* option = qobject_cast<QRadioButton*>(control);
        if (control->isEnabled() && (!option || option->isChecked()))
            expected << control;
    }
    expected.front()->setFocus(Qt::OtherFocusReason);
    QList<QWidget*> forward{QApplication::focusWidget()};
    for (qsizetype n = 1; n < expected.size(); ++n) {
        Press(Qt::Key_Tab);
        forward << QApplication::focusWidget();
        if (window == 0 && n <= 3)
            Keep(opened.window, QStringLiteral("frmDrugList-tab%1").arg(n));
    }
    QCOMPARE(forward, expected);
    Press(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), expected.front());
    QList<QWidget*> backward;
    for (qsizetype n = 0; n < expected.size(); ++n) {
        Press(Qt::Key_Backtab, Qt::ShiftModifier);
        backward.prepend(QApplication::focusWidget());
    }
    QCOMPARE(backward, expected);

    auto* grid = qobject_cast<FlexGrid*>(expected.at(1));
    QVERIFY(grid);
    grid->setFocus(Qt::OtherFocusReason);
    const int row = grid->Row();
    Press(Qt::Key_Down);
    QCOMPARE(QApplication::focusWidget(), grid);
    QCOMPARE(grid->Row(), row + 1);
    opened.window->close();
}

// Every access key of "Drug Classification" reaches its control from every control, the search
// boxes included, and types nothing; the filter captions share one type size and show whole.
void tst_usability::accessKeysWorkFromEveryControl()
{
    AssignmentRun run(QStringLiteral("sqlite"));
    const OpenedWindow opened = OpenDrugList(run);
    auto* form = static_cast<frmDrugList*>(opened.window);
    Activate(form);
    const QList<std::pair<Qt::Key, QWidget*>> keys = {
        {Qt::Key_1, form->txtSearch1},     {Qt::Key_2, form->flexMSHList1},
        {Qt::Key_3, form->txtSearch2},     {Qt::Key_4, form->flexMSHList2},
        {Qt::Key_L, form->optAll},         {Qt::Key_F, form->optClassified},
        {Qt::Key_U, form->optUnClassified}};
    for (QWidget* from : opened.order) {
        if (!from->isEnabled())
            continue;
        for (const auto& [key, target] : keys) {
            from->setFocus(Qt::OtherFocusReason);
            Press(key, Qt::AltModifier);
            QVERIFY2(QApplication::focusWidget() == target,
                     qPrintable(QStringLiteral("Alt+%1 from %2")
                                    .arg(QKeySequence(key).toString(),
                                         QString::fromLatin1(from->metaObject()->className()))));
            if (auto* option = qobject_cast<QRadioButton*>(target))
                QTRY_VERIFY(option->isChecked());
            QCOMPARE(form->txtSearch1->text(), QString());
            QCOMPARE(form->txtSearch2->text(), QString());
        }
    }
    for (QRadioButton* option : {form->optAll, form->optClassified, form->optUnClassified}) {
        QCOMPARE(option->font(), form->optAll->font());
        QVERIFY2(option->sizeHint().width() <= option->width(), qPrintable(option->text()));
        QVERIFY(option->geometry().right() < form->Picture1->width());
    }
    QVERIFY(form->optClassified->x() > form->optAll->geometry().right());
    QVERIFY(form->optUnClassified->x() > form->optClassified->geometry().right());
    form->close();
}

// A name wider than its column, or running past the grid's edge, shows whole as the cell's
// tooltip; a name that shows whole has none.
void tst_usability::truncatedCellsShowTheirWholeText()
{
    AssignmentRun run(QStringLiteral("sqlite"));
    const QString longName =
        QStringLiteral("AMOXICILLIN AND CLAVULANIC ACID 875MG/125MG FILM-COATED TAB");
    run.catalogue.AddDrug(longName, QStringLiteral("Tablet"));
    const OpenedWindow opened = OpenDrugList(run);
    auto* form = static_cast<frmDrugList*>(opened.window);
    FlexGrid& grid = *form->flexMSHList1;
    const int aspirin = RowOf(grid, QStringLiteral("ASPIRIN 300MG TAB"));
    const int amoxicillin = RowOf(grid, longName);
    QVERIFY(aspirin > 0 && amoxicillin > 0);
    QCOMPARE(CellToolTip(grid, aspirin, 1), QString());
    QCOMPARE(CellToolTip(grid, amoxicillin, 1), longName);
    // The third column starts inside the view and runs past its right edge.
    const QString filedUnder = grid.TextMatrix(aspirin, 3).trimmed();
    QCOMPARE(CellToolTip(grid, aspirin, 3), filedUnder);
    QCOMPARE(CellToolTip(grid, aspirin, 0), QString());
    form->close();
}

// Each box of the medicine details shows its text on the window's ground, with nothing
// selected at opening or when Tab reaches it; the text can still be selected to copy it.
void tst_usability::medicineDetailsAreReadOnlyText()
{
    TestDatabase db(QStringLiteral("sqlite"));
    SampleCatalogue catalogue(db.Connection());
    catalogue.Build();
    db.Connection().Execute(
        QStringLiteral("UPDATE inventory.tbinvmaster SET Indication = 'Pain', Dosage = "
                       "'500 mg', Administration = 'By mouth', Preparation = 'None'"));
    LoggedInRun run(db);
    frmMedDetails form(*mdlPharvel::objCurrentUser->SQLConnection());
    form.SetItemName(QStringLiteral("PANADOL 500MG TAB Tablet"));
    form.SetItemCode(QString::number(catalogue.panadol));
    form.show();
    Activate(&form);
    const QList<QWidget*> boxes = {form.txtItemName, form.txtIndication, form.txtDosage,
                                   form.txtAdministration, form.txtPreparation};
    for (QWidget* box : boxes) {
        QCOMPARE(QApplication::focusWidget(), box);
        QCOMPARE(box->palette().color(QPalette::Base), box->palette().color(QPalette::Window));
        if (auto* line = qobject_cast<QLineEdit*>(box)) {
            QVERIFY(line->isReadOnly());
            QVERIFY(!line->hasSelectedText());
            QVERIFY(!line->text().isEmpty());
        } else {
            auto* text = static_cast<QPlainTextEdit*>(box);
            QVERIFY(text->isReadOnly());
            QVERIFY(!text->textCursor().hasSelection());
            QVERIFY(text->textInteractionFlags() & Qt::TextSelectableByMouse);
            QVERIFY(!text->toPlainText().isEmpty());
        }
        Press(Qt::Key_X);
        Press(Qt::Key_Tab);
    }
    form.txtItemName->setFocus();
    Keep(&form, QStringLiteral("frmMedDetails"));
    QCOMPARE(form.txtItemName->text(), QStringLiteral("PANADOL 500MG TAB Tablet"));
    QCOMPARE(form.txtDosage->toPlainText(), QStringLiteral("500 mg"));
    form.close();
}

// However fast the machine, the load hands the window system its turn as the bar moves through
// its length, so the bar is seen moving with the rows.
void tst_usability::progressBarMovesWithTheRows()
{
    QFETCH(QString, engine);
    TestDatabase db(engine);
    DemoCatalogue::LoadSynthetic(db.Connection(), 3000, 1500);
    LoggedInRun run(db);
    frmPharvel window;
    ProgressWindowSpy spy;
    const qint16 rows = window.LoadTreeView(QStringLiteral("_0"), QString(), true);
    QCOMPARE(spy.Windows().size(), 1);
    const ProgressWindowSpy::Shown& shown = spy.Windows().front();
    QCOMPARE(shown.lastValue, rows);
    QList<int> moving;
    for (const int value : shown.turnValues) {
        if (value > 0 && value < rows && (moving.isEmpty() || value > moving.last()))
            moving << value;
    }
    QVERIFY2(moving.size() >= 90, qPrintable(QString::number(moving.size())));
    QVERIFY(moving.first() <= rows / 50);
    QVERIFY(moving.last() >= rows - rows / 50);
}

// "&About Pharvel", the last menu's item: the version, the licence, the database in use and its
// schema version, and the user with the rights; a look-only user is told why the commands are
// off. No manual page is installed beside a program in its build folder, so F1 offers none.
void tst_usability::aboutNamesProgramDatabaseAndUser()
{
    QFETCH(QString, engine);
    for (const QString& rights : {QString(), QStringLiteral("BB")}) {
        MainWindowDriver::SampleTreeWindow w(engine, rights);
        const QList<QAction*> menus = w.window->menuBar()->actions();
        QCOMPARE(menus.last()->text(), QStringLiteral("&Help"));
        QCOMPARE(w.window->mnuManual, nullptr);
        QStringList items;
        for (const QAction* item : w.window->mnuHelp->actions())
            items << item->text() + QLatin1Char('|') + item->shortcut().toString();
        QCOMPARE(items, QStringList{QStringLiteral("&About Pharvel|")});

        const int schema = Schema::CurrentVersion(w.db.Connection());
        bool shown = false;
        WhileOpen([&] {
            auto* about = qobject_cast<frmAbout*>(QApplication::activeModalWidget());
            QVERIFY(about);
            QCOMPARE(about->windowTitle(), QStringLiteral("About Pharvel"));
            QVERIFY(QRegularExpression(QStringLiteral("^Pharvel \\d+\\.\\d+\\.\\d+$"))
                        .match(about->lblProgram->text())
                        .hasMatch());
            QVERIFY(about->lblLicence->text().contains(QLatin1String("GPL-3.0-or-later")));
            const QString database = about->lblDatabase->text();
            const QString place = engine == QLatin1String("sqlite")
                                      ? w.db.Connection().Target().folder
                                      : w.db.Connection().Target().database;
            QVERIFY2(database.contains(place), qPrintable(database));
            QVERIFY(database.contains(engine == QLatin1String("sqlite")
                                          ? QLatin1String("SQLite")
                                          : QLatin1String("PostgreSQL")));
            QVERIFY(database.contains(QStringLiteral("Schema version: %1").arg(schema)));
            const QString user = about->lblUser->text();
            QVERIFY(user.contains(mdlPharvel::objCurrentUser->userid()));
            QCOMPARE(user.contains(QLatin1String("may not change the catalogue")),
                     !rights.isEmpty());
            Keep(about, QStringLiteral("frmAbout-%1-%2")
                            .arg(engine, rights.isEmpty() ? QStringLiteral("pharmacist") : rights));
            shown = true;
        });
        w.window->mnuAbout->trigger();
        QVERIFY(shown);
    }
}

QTEST_MAIN(tst_usability)
#include "tst_usability.moc"
