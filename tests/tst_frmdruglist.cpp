#include "app/mdlPharvel.h"
#include "assign/GridPair.h"
#include "assign/frmDrugList.h"
#include "catalogue/frmPharvel.h"
#include "fixtures/AssignmentRun.h"
#include "fixtures/SampleCatalogue.h"
#include "fixtures/TestDatabase.h"
#include "platform/catalog/Pharvel.h"
#include "platform/db/Journal.h"
#include "platform/db/RowSet.h"
#include "platform/db/SQLConnection.h"
#include "platform/widgets/CheckListProcedures.h"
#include "platform/widgets/FlexGrid.h"
#include "platform/widgets/FlexGridModel.h"
#include "platform/widgets/KeyedTree.h"
#include "platform/widgets/Twips.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

// "Drug Classification" against a real catalogue and a real main-window tree: the questions and
// moves of "&Add >>" and "<< &Remove", the filters and searches, and where its grids differ
// from the shared check-list behaviour.
class tst_frmdruglist : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QCOMPARE(QApplication::topLevelWidgets().size(), 0); }
    ON_EVERY_ENGINE(addAsksForDrugsFiledElsewhere);
    ON_EVERY_ENGINE(removeAndFailedAdd);
    void filtersAndSearchesReloadOnlyTheirGrid();
    void searchFramesStayOpenAndClosePrompts();
    void layoutAndTabOrder();
    ON_EVERY_ENGINE(longListReadsRowsAsNeeded);
};

namespace {

QString Drug()
{
    return QStringLiteral("3");
}

QString Aspirin()
{
    return QStringLiteral("ASPIRIN 300MG TAB");
}
QString Injection()
{
    return QStringLiteral("MORPHINE 10MG/ML INJ");
}
QString Calpol()
{
    return QStringLiteral("CALPOL 120MG/5ML SYRUP");
}
QString Panadol()
{
    return QStringLiteral("PANADOL 500MG TAB");
}

void Tick(FlexGrid& grid, const QString& name)
{
    ClickCheck(grid, RowOf(grid, name));
}

} // namespace

void tst_frmdruglist::addAsksForDrugsFiledElsewhere()
{
    QFETCH(QString, engine);
    AssignmentRun run(engine);
    // A generic name spelt like the grid's word for none is still a generic name.
    run.catalogue.AddGeneric(QStringLiteral("unclassified"), QStringLiteral("_2.2"));
    const int vitamin = run.catalogue.AddDrug(QStringLiteral("VITAMIN C 500MG TAB"),
                                              QStringLiteral("Chewable"), QStringLiteral("_2.2.1"));
    run.Click(QStringLiteral("_1"));
    run.Click(QStringLiteral("_1.1"));
    run.Click(QStringLiteral("_1.1.1")); // the injection's node is in the tree
    frmDrugList* form = run.OpenDrugListForParacetamol();
    QCOMPARE(form->fraDrug2->title(), QStringLiteral("&4. Drugs under [Paracetamol]"));
    QVERIFY(form->optAll->isChecked());
    QCOMPARE(Names(*form->flexMSHList1),
             Aspirin() + QLatin1Char(',') + Injection() + QStringLiteral(",VITAMIN C 500MG TAB"));
    QCOMPARE(form->flexMSHList1->TextMatrix(1, 3), QStringLiteral("Unclassified"));
    QCOMPARE(Names(*form->flexMSHList2), Calpol() + QLatin1Char(',') + Panadol());
    for (QPushButton* button : {form->cmdAdd, form->cmdRemove, form->cmdClear1, form->cmdClear2})
        QVERIFY(!button->isEnabled());

    for (int row = 1; row <= 3; ++row)
        ClickCheck(*form->flexMSHList1, row);
    QVERIFY(form->cmdAdd->isEnabled());
    MessageLog log([](const MsgBox::Message& m) {
        return m.text.startsWith(QLatin1String("VITAMIN")) ? MsgBox::Answer::No
                                                           : MsgBox::Answer::Yes;
    });
    QTest::mouseClick(form->cmdAdd, Qt::LeftButton);
    QCOMPARE(log.TextList(),
             QStringList({Injection() + QStringLiteral(" already belongs to "
                                                       "Morphine. Do you wish to "
                                                       "continue?"),
                          QStringLiteral("VITAMIN C 500MG TAB already belongs to "
                                         "unclassified. Do you wish to continue?")}));
    QCOMPARE(log.messages[0].icon, MsgBox::Icon::Question);
    QCOMPARE(log.messages[0].title, MsgBox::ApplicationTitle());

    QCOMPARE(run.FiledAt(Drug(), run.catalogue.aspirin), QStringLiteral("_1.2.3"));
    QCOMPARE(run.FiledAt(Drug(), run.catalogue.morphineInjection), QStringLiteral("_1.2.4"));
    QCOMPARE(run.FiledAt(Drug(), vitamin), QStringLiteral("_2.2.1"));
    const TreeNode aspirin = run.Tree().Find(QStringLiteral("_1.2.3"));
    QVERIFY(aspirin);
    QCOMPARE(aspirin.Text(), QStringLiteral("ASPIRIN 300MG TAB Dispersible tablet"));
    QCOMPARE(aspirin.Image(), QStringLiteral("tablet"));
    QCOMPARE(aspirin.Tag(), QString::number(run.catalogue.aspirin));
    QCOMPARE(run.Tree().Find(QStringLiteral("_1.2.4")).Text(),
             Injection() + QStringLiteral(" Morphine sulfate injection"));
    QVERIFY(!run.Tree().Exists(QStringLiteral("_1.1.1.1")));
    QVERIFY(run.Tree().Find(QStringLiteral("_1.2")).Expanded());

    QCOMPARE(Names(*form->flexMSHList1), QStringLiteral("VITAMIN C 500MG TAB"));
    QCOMPARE(Names(*form->flexMSHList2).split(QLatin1Char(',')).size(), 4);
    QVERIFY(!form->cmdAdd->isEnabled());
    QVERIFY(!form->cmdClear1->isEnabled());
    QVERIFY(!mdlPharvel::HasCheckedItems(*form->flexMSHList1));
    QCOMPARE(run.Breaches(), QStringList());
    form->close();
}

void tst_frmdruglist::removeAndFailedAdd()
{
    QFETCH(QString, engine);
    AssignmentRun run(engine);
    frmDrugList* form = run.OpenDrugListForParacetamol();

    // Meanwhile another pharmacist files a drug under Paracetamol, with the key that would have
    // come next, and takes ASPIRIN out of the inventory. ASPIRIN is not filed and the tree does
    // not show it; the other ticked drug is filed with the next key still free.
    run.catalogue.AddDrug(QStringLiteral("IBUPROFEN 200MG TAB"), QStringLiteral("Tablet"),
                          QStringLiteral("_1.2.3"));
    Tick(*form->flexMSHList1, Aspirin());
    Tick(*form->flexMSHList1, Injection());
    run.db.Connection().Execute(
        QStringLiteral("DELETE FROM inventory.tbinvmaster WHERE itemid = ?"),
        {run.catalogue.aspirin});
    {
        MessageLog log(MessageLog::YesToQuestions);
        form->cmdAdd->click();
        QCOMPARE(log.messages.size(), 2); // the question for the injection, then the one report
        QCOMPARE(log.messages[1].icon, MsgBox::Icon::Exclamation);
        const QStringList lines = log.messages[1].text.split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], QStringLiteral("These drugs were not moved:"));
        QVERIFY2(lines[2].startsWith(Aspirin() + QStringLiteral(": No drug")),
                 qPrintable(lines[2]));
    }
    QCOMPARE(run.FiledAt(Drug(), run.catalogue.morphineInjection), QStringLiteral("_1.2.4"));
    QCOMPARE(run.Tree().Find(QStringLiteral("_1.2")).Children(), 3);
    QCOMPARE(run.Breaches(), QStringList());

    Tick(*form->flexMSHList2, Calpol());
    Tick(*form->flexMSHList2, Panadol());
    // Another pharmacist has already taken PANADOL out: the catalogue has no node for it.
    run.db.Connection().Execute(
        QStringLiteral("DELETE FROM inventory.tbPharvel WHERE Node_Key = '_1.2.1'"));
    {
        MessageLog log(MessageLog::YesToQuestions);
        form->cmdRemove->click();
        QVERIFY(log.messages.isEmpty());
    }
    QCOMPARE(run.FiledAt(Drug(), run.catalogue.calpol), QString());
    QVERIFY(!run.Tree().Exists(QStringLiteral("_1.2.2")));
    QVERIFY(run.Tree().Exists(QStringLiteral("_1.2.1"))); // no node was found, none removed
    QCOMPARE(Names(*form->flexMSHList2), QStringLiteral("IBUPROFEN 200MG TAB,") + Injection());
    QCOMPARE(form->flexMSHList1->TextMatrix(RowOf(*form->flexMSHList1, Calpol()), 3),
             QStringLiteral("Unclassified"));
    for (QPushButton* button : {form->cmdAdd, form->cmdRemove, form->cmdClear1, form->cmdClear2})
        QVERIFY(!button->isEnabled());

    // Emptied, the right grid shows its header format over one blank row and is disabled.
    MessageLog none(MessageLog::YesToQuestions);
    Tick(*form->flexMSHList2, QStringLiteral("IBUPROFEN 200MG TAB"));
    Tick(*form->flexMSHList2, Injection());
    form->cmdRemove->click();
    QVERIFY(none.messages.isEmpty());
    QCOMPARE(form->flexMSHList2->Rows(), 2);
    QVERIFY(!form->flexMSHList2->isEnabled());
    QCOMPARE(form->flexMSHList2->TextMatrix(0, 1), QStringLiteral("Drug Name "));
    QCOMPARE(form->flexMSHList2->TextMatrix(0, 3), QStringLiteral("Generic Name"));

    // The left grid read CALPOL as filed nowhere; another desktop files it under Morphine before
    // "&Add >>": it stays there, and the summary says who put it there.
    SampleCatalogue::AllowWrites(run.db.Connection(), run.db.ConnectionString());
    ClassPharvel::Pharvel other;
    QVERIFY(other.Connect(run.db.ConnectionString()));
    QVERIFY(other.Drugs().AddDrug(QStringLiteral("_1.1.1"), QStringLiteral("_1.1.1.7"), {},
                                  run.catalogue.calpol));
    const QString otherUser = Journal::List(run.db.Connection(), {}).Text(QStringLiteral("User"));
    Tick(*form->flexMSHList1, Calpol());
    {
        MessageLog log(MessageLog::YesToQuestions);
        form->cmdAdd->click();
        QCOMPARE(log.messages.size(), 1);
        const QString& text = log.messages[0].text;
        QVERIFY2(text.contains(Calpol() + QStringLiteral(": Another user")) &&
                     text.contains(otherUser + QStringLiteral(" moved it under Morphine at ")),
                 qPrintable(text));
    }
    QCOMPARE(run.FiledAt(Drug(), run.catalogue.calpol), QStringLiteral("_1.1.1.7"));
    form->close();
}

void tst_frmdruglist::filtersAndSearchesReloadOnlyTheirGrid()
{
    AssignmentRun run(QStringLiteral("sqlite"));
    frmDrugList* form = run.OpenDrugListForParacetamol();
    FlexGrid& left = *form->flexMSHList1;
    Tick(*form->flexMSHList2, Calpol());
    const int calpol = RowOf(*form->flexMSHList2, Calpol());

    QTest::mouseClick(form->optUnClassified, Qt::LeftButton);
    QCOMPARE(form->CheckClassify(), frmDrugList::FilterUnclassified);
    QCOMPARE(Names(left), Aspirin());
    QTest::mouseClick(form->optClassified, Qt::LeftButton);
    QCOMPARE(form->CheckClassify(), frmDrugList::FilterClassified);
    QCOMPARE(Names(left), Injection());
    QTest::mouseClick(form->optAll, Qt::LeftButton);
    QCOMPARE(Names(left), Aspirin() + QLatin1Char(',') + Injection());
    QVERIFY(IsTicked(*form->flexMSHList2, calpol)); // the right grid was never reloaded

    // Typing upper-cases each letter and reloads the left grid at every one.
    QTest::keyClicks(form->txtSearch1, QStringLiteral("mor"));
    QCOMPARE(form->txtSearch1->text(), QStringLiteral("MOR"));
    QCOMPARE(Names(left), Injection());
    QTest::keyClicks(form->txtSearch1, QStringLiteral("x"));
    QCOMPARE(left.Rows(), 2);
    QVERIFY(!left.isEnabled());
    QCOMPARE(left.TextMatrix(0, 2), QStringLiteral("Description "));
    QTest::mouseClick(form->optUnClassified, Qt::LeftButton); // the search text still counts
    QCOMPARE(left.Rows(), 2);
    form->txtSearch1->clear();
    QCOMPARE(Names(left), Aspirin());

    QTest::keyClicks(form->txtSearch2, QStringLiteral("pan"));
    QCOMPARE(form->txtSearch2->text(), QStringLiteral("PAN"));
    QCOMPARE(Names(*form->flexMSHList2), Panadol());

    const int half = qRound(Twips::FromPixels(left.width(), &left) / 2.0);
    QVERIFY(qAbs(left.ColWidth(1) - half) <= 1);
    QCOMPARE(left.ColWidth(3), left.ColWidth(1));
    QCOMPARE(left.ColWidth(0), 250);
    for (int col : {4, 5, 6})
        QCOMPARE(left.ColWidth(col), 0);
    form->close();
}

void tst_frmdruglist::searchFramesStayOpenAndClosePrompts()
{
    AssignmentRun run(QStringLiteral("sqlite"));
    frmDrugList* form = run.OpenDrugListForParacetamol();
    FlexGrid& left = *form->flexMSHList1;
    ClickCheck(left, 1);
    QVERIFY(form->fraSearch1->isEnabled());
    QVERIFY(form->cmdAdd->isEnabled());
    // A search drops the ticks; the buttons wait for the next click in the grid.
    QTest::keyClicks(form->txtSearch1, QStringLiteral("a"));
    QVERIFY(!mdlPharvel::HasCheckedItems(left));
    QVERIFY(form->cmdAdd->isEnabled());
    const QModelIndex name = left.model()->index(0, 1);
    QTest::mouseClick(left.viewport(), Qt::LeftButton, {}, left.visualRect(name).center());
    QVERIFY(!form->cmdAdd->isEnabled());
    QVERIFY(!form->cmdClear1->isEnabled());

    // The space key toggles in the right grid too.
    form->flexMSHList2->setFocus();
    form->flexMSHList2->SetRow(1);
    form->Grids().flexMSHList_KeyDown(2, Qt::Key_Space);
    QVERIFY(IsTicked(*form->flexMSHList2, 1));
    QVERIFY(form->cmdRemove->isEnabled());
    {
        MessageLog log([](const MsgBox::Message&) { return MsgBox::Answer::Yes; });
        form->cmdCancel->click();
        QCOMPARE(log.TextList(),
                 QStringList(QStringLiteral(
                     "You checked some items. Would you like to process them first.")));
        QVERIFY(form->isVisible());
        QVERIFY(IsTicked(*form->flexMSHList2, 1));
    }
    MessageLog log([](const MsgBox::Message&) { return MsgBox::Answer::No; });
    form->cmdCancel->click();
    QVERIFY(!form->isVisible());
}

void tst_frmdruglist::layoutAndTabOrder()
{
    AssignmentRun run(QStringLiteral("sqlite"));
    frmDrugList* form = run.OpenDrugListForParacetamol();
    QCOMPARE(form->size(), TwipsRect(0, 0, 11745, 5745, form).size());
    QCOMPARE(form->windowTitle(), QStringLiteral("Drug Classification"));
    QCOMPARE(form->flexMSHList1->geometry(), TwipsRect(120, 300, 5595, 3135, form));
    QCOMPARE(form->optUnClassified->parentWidget(), form->Picture1);
    QCOMPARE(form->fraDrug1->font().bold(), true);
    QCOMPARE(form->optAll->font().bold(), false);

    const QList<QWidget*> expected = {form->txtSearch1,    form->flexMSHList1,    form->optAll,
                                      form->optClassified, form->optUnClassified, form->cmdClear1,
                                      form->txtSearch2,    form->flexMSHList2,    form->cmdClear2,
                                      form->cmdCancel,     form->cmdAdd,          form->cmdRemove};
    QList<QWidget*> order;
    QWidget* widget = form->txtSearch1;
    do {
        if (expected.contains(widget))
            order << widget;
        widget = widget->nextInFocusChain();
    } while (widget != form->txtSearch1);
    QCOMPARE(order, expected);

    // The numbered frames' access keys.
    QApplication::setActiveWindow(form);
    form->txtSearch1->setFocus();
    const QList<std::pair<char, QWidget*>> keys = {{'2', form->flexMSHList1},
                                                   {'3', form->txtSearch2},
                                                   {'4', form->flexMSHList2},
                                                   {'1', form->txtSearch1}};
    for (const auto& [key, target] : keys) {
        QTest::keyClick(form, key, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), target);
    }
    form->close();
}

// A list of several pages: the grid counts every drug at once and reads the rows as they are
// needed; a tick on the last row, read last, still moves its drug, and a search narrows the list.
void tst_frmdruglist::longListReadsRowsAsNeeded()
{
    QFETCH(QString, engine);
    AssignmentRun run(engine);
    constexpr int kZinc = 2 * RowSet::kPageRows + 30;
    const auto zinc = [](int n) {
        return QStringLiteral("zinc %1").arg(n, 3, 10, QLatin1Char('0'));
    };
    int last = 0;
    for (int n = 0; n < kZinc; ++n)
        last = run.catalogue.AddDrug(zinc(n), QStringLiteral("Tablet"));
    frmDrugList* form = run.OpenDrugListForParacetamol();
    FlexGrid& grid = *form->flexMSHList1;
    QAbstractItemModelTester tester(grid.GridModel(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(grid.Rows(), 1 + 2 + kZinc); // ASPIRIN, the injection, then the zinc tablets
    const int lastRow = grid.Rows() - 1;
    grid.SetRow(lastRow);
    form->Grids().flexMSHList_KeyDown(1, Qt::Key_Space);
    QVERIFY(form->cmdAdd->isEnabled());
    QCOMPARE(grid.TextMatrix(lastRow, 1), zinc(kZinc - 1));
    QCOMPARE(grid.TextMatrix(3, 1), zinc(0));
    QCOMPARE(grid.TextMatrix(lastRow - RowSet::kPageRows, 1), zinc(kZinc - 1 - RowSet::kPageRows));
    {
        MessageLog log(MessageLog::YesToQuestions);
        form->cmdAdd->click();
        QVERIFY(log.messages.isEmpty());
    }
    QCOMPARE(run.FiledAt(Drug(), last), QStringLiteral("_1.2.3"));
    QCOMPARE(grid.Rows(), 1 + 2 + kZinc - 1);

    form->txtSearch1->setText(QStringLiteral("ZINC 2"));
    QCOMPARE(grid.Rows(), 1 + kZinc - 1 - 2 * RowSet::kPageRows);
    QCOMPARE(grid.TextMatrix(1, 1), zinc(2 * RowSet::kPageRows));
    form->close();
}

QTEST_MAIN(tst_frmdruglist)
#include "tst_frmdruglist.moc"
