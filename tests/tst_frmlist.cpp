#include "app/mdlPharvel.h"
#include "assign/GridPair.h"
#include "assign/frmList.h"
#include "catalogue/frmPharvel.h"
#include "fixtures/AssignmentRun.h"
#include "fixtures/TestDatabase.h"
#include "fixtures/WhileOpen.h"
#include "platform/db/SQLConnection.h"
#include "platform/widgets/CheckListProcedures.h"
#include "platform/widgets/FlexGrid.h"
#include "platform/widgets/FlexGridModel.h"
#include "platform/widgets/KeyedTree.h"
#include "register/frmGeneric.h"
#include "register/frmGenericEntry.h"

#include <QApplication>
#include <QGroupBox>
#include <QKeySequence>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

// "Generic Classification" against a real catalogue and a real main-window tree: what Add and
// Remove file, refuse and ask, how the tree follows, and the register opened from the window.
class tst_frmlist : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QCOMPARE(QApplication::topLevelWidgets().size(), 0); }
    ON_EVERY_ENGINE(addAsksAndRefusesGenericsWithDrugs);
    ON_EVERY_ENGINE(failedWriteLeavesRowAndTreeAndSaysWhy);
    ON_EVERY_ENGINE(removeRefusesUnloadedDrugsAndIgnoresBlankRow);
    void keyPositionsInTheTree();
    void gridStaysOnCheckColumnAndHighlightsAndAsksOnClose();
    void buildGenericsReloadsOnlyAfterAChange();
};

namespace {

// The window as the main window's "&Generic" command opens it for the selected node.
frmList* Open(AssignmentRun& run, frmList* form, const QString& key, int classificationId,
              const QString& name)
{
    if (!form)
        form = new frmList(*mdlPharvel::objPharvel, run.window->GenericWindow(), run.window);
    run.Select(key);
    form->SetItemID(static_cast<qint16>(classificationId));
    form->SetClassificationName(name);
    form->SetTreList(run.window->trePharvel);
    form->show();
    return form;
}

QString Generic()
{
    return QStringLiteral("2");
}

bool AllButtonsDisabled(const frmList& form)
{
    return !form.cmdAdd->isEnabled() && !form.cmdRemove->isEnabled() &&
           !form.cmdClear1->isEnabled() && !form.cmdClear2->isEnabled();
}

void Tick(FlexGrid& grid, const QStringList& names)
{
    for (const QString& name : names)
        ClickCheck(grid, RowOf(grid, name));
}

} // namespace

void tst_frmlist::addAsksAndRefusesGenericsWithDrugs()
{
    QFETCH(QString, engine);
    AssignmentRun run(engine);
    // Paracetamol's drugs and Amoxicillin's node are in the tree; Morphine's branch is not.
    run.Click(QStringLiteral("_1"));
    run.Click(QStringLiteral("_1.2"));
    run.Click(QStringLiteral("_2"));
    frmList* form = Open(run, nullptr, QStringLiteral("_3"), run.catalogue.emptyClass,
                         QStringLiteral("Empty Class"));
    QCOMPARE(form->fraGeneric2->title(), QStringLiteral("Generic Names under [Empty Class]"));
    QCOMPARE(Names(*form->flexMSHList1),
             QStringLiteral("Amoxicillin,Ibuprofen,Morphine,Paracetamol"));
    QCOMPARE(form->flexMSHList1->TextMatrix(2, 5), QStringLiteral("no classification"));
    QVERIFY(!form->flexMSHList2->isEnabled());
    QVERIFY(AllButtonsDisabled(*form));
    QVERIFY(!run.Tree().Exists(QStringLiteral("_1.1.1")));

    Tick(*form->flexMSHList1, {QStringLiteral("Amoxicillin"), QStringLiteral("Ibuprofen"),
                               QStringLiteral("Morphine"), QStringLiteral("Paracetamol")});
    {
        MessageLog log([](const MsgBox::Message& m) {
            return m.buttons == MsgBox::Buttons::YesNo ? MsgBox::Answer::No : MsgBox::Answer::Ok;
        });
        QTest::mouseClick(form->cmdAdd, Qt::LeftButton);
        QCOMPARE(log.TextList(),
                 QStringList({QStringLiteral("Amoxicillin is already under the classification "
                                             "antibiotics. Do you wish to proceed?"),
                              QStringLiteral("You can't move Morphine because drugs are already "
                                             "assigned to it."),
                              QStringLiteral("You can't move Paracetamol because drugs are "
                                             "already assigned to it.")}));
        QCOMPARE(log.messages[0].title, QStringLiteral("Message"));
        QCOMPARE(log.messages[0].icon, MsgBox::Icon::Information);
        QCOMPARE(log.messages[1].title, MsgBox::ApplicationTitle());
    }
    QCOMPARE(run.FiledAt(Generic(), run.catalogue.ibuprofen), QStringLiteral("_3.1"));
    QCOMPARE(run.FiledAt(Generic(), run.catalogue.amoxicillin), QStringLiteral("_2.1"));
    QCOMPARE(run.FiledAt(Generic(), run.catalogue.morphine), QStringLiteral("_1.1.1"));
    const TreeNode added = run.Tree().Find(QStringLiteral("_3.1"));
    QVERIFY(added);
    QCOMPARE(added.Text(), QStringLiteral("Ibuprofen"));
    QCOMPARE(added.Image(), QStringLiteral("capsule"));
    QCOMPARE(added.Parent().Key(), QStringLiteral("_3"));
    QVERIFY(run.Tree().Find(QStringLiteral("_3")).Expanded());
    // Both grids reloaded: nothing ticked, all buttons off.
    QCOMPARE(Names(*form->flexMSHList1), QStringLiteral("Amoxicillin,Morphine,Paracetamol"));
    QCOMPARE(Names(*form->flexMSHList2), QStringLiteral("Ibuprofen"));
    QVERIFY(form->flexMSHList2->isEnabled());
    QVERIFY(!mdlPharvel::HasCheckedItems(*form->flexMSHList1));
    QVERIFY(AllButtonsDisabled(*form));

    // Yes moves it, and its old node goes from the tree.
    Tick(*form->flexMSHList1, {QStringLiteral("Amoxicillin")});
    {
        MessageLog log(MessageLog::YesToQuestions);
        form->cmdAdd->click();
        QCOMPARE(log.messages.size(), 1);
    }
    QCOMPARE(run.FiledAt(Generic(), run.catalogue.amoxicillin), QStringLiteral("_3.2"));
    QVERIFY(!run.Tree().Exists(QStringLiteral("_2.1")));
    QCOMPARE(run.Tree().Find(QStringLiteral("_3.2")).Text(), QStringLiteral("Amoxicillin"));
    QCOMPARE(run.Breaches(), QStringList());
    form->close();
}

void tst_frmlist::failedWriteLeavesRowAndTreeAndSaysWhy()
{
    QFETCH(QString, engine);
    AssignmentRun run(engine);
    run.Click(QStringLiteral("_2"));
    frmList* form = Open(run, nullptr, QStringLiteral("_3"), run.catalogue.emptyClass,
                         QStringLiteral("Empty Class"));
    Tick(*form->flexMSHList1, {QStringLiteral("Amoxicillin"), QStringLiteral("Ibuprofen")});
    // Another pharmacist takes Ibuprofen out of the register meanwhile.
    run.db.Connection().Execute(
        QStringLiteral("DELETE FROM inventory.tbforgeneric WHERE GenericCode = ?"),
        {run.catalogue.ibuprofen});
    MessageLog log(MessageLog::YesToQuestions);
    form->cmdAdd->click();
    QCOMPARE(log.messages.size(), 2);
    QCOMPARE(log.messages[1].icon, MsgBox::Icon::Exclamation);
    const QStringList lines = log.messages[1].text.split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0], QStringLiteral("These generic names were not moved:"));
    QVERIFY2(lines[2].startsWith(QStringLiteral("Ibuprofen: No generic name")),
             qPrintable(lines[2]));
    // Amoxicillin moved; nothing of Ibuprofen reached the tree.
    QCOMPARE(run.FiledAt(Generic(), run.catalogue.amoxicillin), QStringLiteral("_3.1"));
    QCOMPARE(run.Tree().Find(QStringLiteral("_3")).Children(), 1);
    QCOMPARE(run.Breaches(), QStringList());
    form->close();
}

void tst_frmlist::removeRefusesUnloadedDrugsAndIgnoresBlankRow()
{
    QFETCH(QString, engine);
    AssignmentRun run(engine);
    run.Click(QStringLiteral("_1")); // Paracetamol's node is in the tree, its drugs are not
    run.Click(QStringLiteral("_2"));
    frmList* form = Open(run, nullptr, QStringLiteral("_1"), run.catalogue.analgesics,
                         QStringLiteral("Analgesics"));
    QCOMPARE(Names(*form->flexMSHList2), QStringLiteral("Paracetamol"));
    Tick(*form->flexMSHList2, {QStringLiteral("Paracetamol")});
    {
        MessageLog log(MessageLog::YesToQuestions);
        form->cmdRemove->click();
        QCOMPARE(log.TextList(), QStringList(QStringLiteral(
                                     "You can't remove Paracetamol because drugs are already "
                                     "assigned to it.")));
    }
    QCOMPARE(run.FiledAt(Generic(), run.catalogue.paracetamol), QStringLiteral("_1.2"));
    QVERIFY(IsTicked(*form->flexMSHList2, 1)); // nothing moved: no reload
    form->Grids().cmdClear_Click(2);
    form->close();

    // The same window opened again for another classification starts afresh.
    Open(run, form, QStringLiteral("_2"), run.catalogue.antibiotics, QStringLiteral("antibiotics"));
    QCOMPARE(form->fraGeneric2->title(), QStringLiteral("Generic Names under [antibiotics]"));
    Tick(*form->flexMSHList2, {QStringLiteral("Amoxicillin")});
    {
        MessageLog log(MessageLog::YesToQuestions);
        form->cmdRemove->click();
        QVERIFY(log.messages.isEmpty());
    }
    QCOMPARE(run.FiledAt(Generic(), run.catalogue.amoxicillin), QString());
    QVERIFY(!run.Tree().Exists(QStringLiteral("_2.1")));
    const int row = RowOf(*form->flexMSHList1, QStringLiteral("Amoxicillin"));
    QCOMPARE(form->flexMSHList1->TextMatrix(row, 5), QStringLiteral("no classification"));
    QVERIFY(AllButtonsDisabled(*form));

    // The emptied grid stays enabled with its blank row, which can be ticked but moves nothing.
    QCOMPARE(form->flexMSHList2->Rows(), 2);
    QVERIFY(form->flexMSHList2->isEnabled());
    ClickCheck(*form->flexMSHList2, 1);
    QVERIFY(form->cmdRemove->isEnabled());
    const int nodes = run.Tree().Count();
    {
        MessageLog log(MessageLog::YesToQuestions);
        form->cmdRemove->click();
        QVERIFY(log.messages.isEmpty());
    }
    QCOMPARE(run.Tree().Count(), nodes);
    QCOMPARE(run.Breaches(), QStringList());
    form->Grids().cmdClear_Click(2);
    form->close();
}

void tst_frmlist::keyPositionsInTheTree()
{
    AssignmentRun run(QStringLiteral("sqlite"));
    run.Click(QStringLiteral("_1"));
    frmList* form = Open(run, nullptr, QStringLiteral("_1"), run.catalogue.analgesics,
                         QStringLiteral("Analgesics"));
    const KeyedTree& tree = run.Tree();
    const QString last = tree.NodeAt(tree.Count()).Key();
    QCOMPARE(form->IsKeyPosition(last), tree.Count());
    QCOMPARE(form->IsKeyPosition(QStringLiteral("  ") + last + QStringLiteral(" ")), tree.Count());
    QCOMPARE(form->IsKeyPosition(QString()), 0);
    QCOMPARE(form->IsKeyPosition(QStringLiteral("_9")), 0);
    QVERIFY(form->CanAdd(form->IsKeyPosition(QStringLiteral("_1"))));
    QVERIFY(!form->CanAdd(form->IsKeyPosition(QStringLiteral("_3"))));
    QVERIFY(!form->CanAdd(0));
    form->close();
}

void tst_frmlist::gridStaysOnCheckColumnAndHighlightsAndAsksOnClose()
{
    AssignmentRun run(QStringLiteral("sqlite"));
    frmList* form = Open(run, nullptr, QStringLiteral("_3"), run.catalogue.emptyClass,
                         QStringLiteral("Empty Class"));
    QVERIFY(QTest::qWaitForWindowExposed(form));
    FlexGrid& grid = *form->flexMSHList1;
    const QScrollBar* sideways = grid.horizontalScrollBar();
    QVERIFY(sideways->maximum() > 0); // the classification column lies beyond the view
    const QPalette& colours = grid.palette();
    const auto highlighted = [&grid, &colours](int row, int col) {
        return grid.GridModel()->CellBackColor(row, col) == colours.color(QPalette::Highlight) &&
               grid.GridModel()->CellForeColor(row, col) == colours.color(QPalette::Base);
    };
    const auto clickName = [&grid](int row) {
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {},
                          grid.visualRect(grid.model()->index(row - 1, 1)).center());
    };

    // A click on a name moves the highlight there, ticks nothing and leaves column 0 in view,
    // also once the view's delayed scroll to the clicked cell has run: Qt fires timers in the
    // order they fall due, so a timer of the view's kind and delay started after the click fires
    // after the view's own.
    clickName(2);
    bool scrollRun = false;
    QTimer::singleShot(QApplication::doubleClickInterval() + 100, Qt::CoarseTimer, &grid,
                       [&scrollRun] { scrollRun = true; });
    QTRY_VERIFY(scrollRun);
    QCOMPARE(sideways->value(), 0);
    QVERIFY(highlighted(2, 1));
    clickName(3);
    QVERIFY(highlighted(3, 1));
    QCOMPARE(grid.GridModel()->CellBackColor(2, 1), colours.color(QPalette::Base));
    QCOMPARE(grid.GridModel()->CellForeColor(2, 1), colours.color(QPalette::Text));
    QVERIFY(!mdlPharvel::HasCheckedItems(grid));
    // Keys, and the grid's own search by typing, move the current cell but not the view sideways.
    for (const Qt::Key key : {Qt::Key_Right, Qt::Key_End, Qt::Key_Left, Qt::Key_Down, Qt::Key_M}) {
        QTest::keyClick(&grid, key);
        QVERIFY2(sideways->value() == 0, qPrintable(QKeySequence(key).toString()));
    }
    QCOMPARE(grid.Col(), 1);
    QCOMPARE(grid.TextMatrix(grid.Row(), 1), QStringLiteral("Morphine"));
    QVERIFY(highlighted(grid.Row(), 1));
    ClickCheck(grid, 2);
    QVERIFY(IsTicked(grid, 2));
    QCOMPARE(sideways->value(), 0);

    // Closing with a tick asks first; Yes keeps the window and its tick, No closes it.
    for (const MsgBox::Answer answer : {MsgBox::Answer::Yes, MsgBox::Answer::No}) {
        MessageLog log([answer](const MsgBox::Message&) { return answer; });
        form->cmdCancel->click();
        QCOMPARE(log.TextList(), QStringList(QStringLiteral(
                                     "You checked some items. Would you like to process them "
                                     "first.")));
        QCOMPARE(log.messages[0].buttons, MsgBox::Buttons::YesNo);
        QCOMPARE(form->isVisible(), answer == MsgBox::Answer::Yes);
    }
}

void tst_frmlist::buildGenericsReloadsOnlyAfterAChange()
{
    AssignmentRun run(QStringLiteral("sqlite"));
    // The main window's one register, not a second one of the window's own.
    QCOMPARE(&run.window->ListWindow().GenericRegister(), &run.window->GenericWindow());
    frmList* form = Open(run, nullptr, QStringLiteral("_3"), run.catalogue.emptyClass,
                         QStringLiteral("Empty Class"));
    frmGeneric& generics = form->GenericRegister();
    const auto makeInRegister = [&generics](const QString& name) {
        WhileOpen([&generics, name] {
            WhileOpen([&generics, name] {
                generics.GenericEntry().txtEntry->setText(name);
                generics.GenericEntry().cmdSave_Click();
            });
            generics.cmdNew_Click();
        });
    };

    // A search that finds nothing leaves grid 1 disabled; the name made in the register opens it.
    form->txtSearch1->setText(QStringLiteral("Naproxen"));
    QVERIFY(!form->flexMSHList1->isEnabled());
    makeInRegister(QStringLiteral("Naproxen"));
    form->Command1->click();
    QCOMPARE(Names(*form->flexMSHList1), QStringLiteral("Naproxen"));
    QVERIFY(form->flexMSHList1->isEnabled());
    ClickCheck(*form->flexMSHList1, 1);
    QVERIFY(IsTicked(*form->flexMSHList1, 1));
    form->Grids().cmdClear_Click(1);

    form->txtSearch1->setText(QStringLiteral("i"));
    QCOMPARE(Names(*form->flexMSHList1), QStringLiteral("Amoxicillin,Ibuprofen,Morphine"));
    Tick(*form->flexMSHList1, {QStringLiteral("Ibuprofen")});
    WhileOpen([] {}); // closed without a change
    form->Command1->click();
    QVERIFY(IsTicked(*form->flexMSHList1, 2));

    makeInRegister(QStringLiteral("Iron"));
    form->Command1->click();
    QVERIFY(generics.Update());
    // Reloaded with the search text, the new name among the rows, nothing ticked, and the
    // buttons and search frame of grid 1 as its ticks say.
    QCOMPARE(Names(*form->flexMSHList1), QStringLiteral("Amoxicillin,Ibuprofen,Iron,Morphine"));
    QVERIFY(!mdlPharvel::HasCheckedItems(*form->flexMSHList1));
    QVERIFY(AllButtonsDisabled(*form));
    QVERIFY(form->fraSearch1->isEnabled());
    form->close();
}

QTEST_MAIN(tst_frmlist)
#include "tst_frmlist.moc"
