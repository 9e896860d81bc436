#include "app/mdlPharvel.h"
#include "assign/CheckListProcedures.h"
#include "assign/GridPair.h"
#include "assign/frmList.h"
#include "catalogue/frmPharvel.h"
#include "fixtures/AssignmentRun.h"
#include "platform/db/SQLConnection.h"
#include "platform/user/clsCurrentUser.h"
#include "platform/widgets/FlexGrid.h"
#include "platform/widgets/KeyedTree.h"
#include "register/frmGeneric.h"
#include "register/frmGenericEntry.h"

#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

// "Generic Classification" against a real catalogue and a real main-window tree: what Add and
// Remove file, refuse and ask, how the tree follows, and the register opened from the window.
class tst_frmlist : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QCOMPARE(QApplication::topLevelWidgets().size(), 0); }
    void addAsksAndRefusesGenericsWithDrugs_data() { TestDatabase::AddEngineRows(); }
    void addAsksAndRefusesGenericsWithDrugs();
    void failedWriteLeavesRowAndTreeAndSaysWhy_data() { TestDatabase::AddEngineRows(); }
    void failedWriteLeavesRowAndTreeAndSaysWhy();
    void removeRefusesUnloadedDrugsAndIgnoresBlankRow_data() { TestDatabase::AddEngineRows(); }
    void removeRefusesUnloadedDrugsAndIgnoresBlankRow();
    void keyPositionsInTheTree();
    void buildGenericsReloadsOnlyAfterAChange();
};

namespace {

// The window as the main window's "&Generic" command opens it for the selected node.
frmList* Open(AssignmentRun& run, frmList* form, const QString& key, int classificationId,
              const QString& name)
{
    if (!form)
        form = new frmList(*mdlPharvel::objPharvel, *mdlPharvel::objCurrentUser->SQLConnection(),
                           run.window);
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

void tst_frmlist::buildGenericsReloadsOnlyAfterAChange()
{
    AssignmentRun run(QStringLiteral("sqlite"));
    frmList* form = Open(run, nullptr, QStringLiteral("_3"), run.catalogue.emptyClass,
                         QStringLiteral("Empty Class"));
    form->txtSearch1->setText(QStringLiteral("i"));
    QCOMPARE(Names(*form->flexMSHList1), QStringLiteral("Amoxicillin,Ibuprofen,Morphine"));
    Tick(*form->flexMSHList1, {QStringLiteral("Ibuprofen")});
    WhileModal([] {}); // closed without a change
    form->Command1->click();
    QVERIFY(IsTicked(*form->flexMSHList1, 2));

    frmGeneric& generics = form->GenericRegister();
    WhileModal([&generics] {
        WhileModal([&generics] {
            generics.GenericEntry().txtEntry->setText(QStringLiteral("Iron"));
            generics.GenericEntry().cmdSave_Click();
        });
        generics.cmdNew_Click();
    });
    form->Command1->click();
    QVERIFY(generics.Update());
    // Reloaded with the search text, the new name among the rows, nothing ticked.
    QCOMPARE(Names(*form->flexMSHList1), QStringLiteral("Amoxicillin,Ibuprofen,Iron,Morphine"));
    QVERIFY(!mdlPharvel::HasCheckedItems(*form->flexMSHList1));
    form->Grids().cmdClear_Click(1);
    form->close();
}

QTEST_MAIN(tst_frmlist)
#include "tst_frmlist.moc"
