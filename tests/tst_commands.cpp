#include "app/mdlPharvel.h"
#include "assign/frmDrugList.h"
#include "assign/frmList.h"
#include "catalogue/frmPharvel.h"
#include "details/frmDrugInformation.h"
#include "fixtures/LoggedInRun.h"
#include "fixtures/MainWindowDriver.h"
#include "fixtures/ProgressWindowSpy.h"
#include "fixtures/SampleTree.h"
#include "fixtures/TestDatabase.h"
#include "platform/catalog/Pharvel.h"
#include "platform/db/SQLConnection.h"
#include "platform/widgets/ErrorHandler.h"
#include "platform/widgets/FlexGrid.h"
#include "platform/widgets/KeyedTree.h"
#include "register/frmEntry.h"
#include "register/frmGeneric.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace MainWindowDriver;

// The main window's catalogue commands, from their menu items and toolbar buttons: adding and
// deleting classifications, other details, the register, and reloading the tree.
class tst_commands : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QCOMPARE(QApplication::topLevelWidgets().size(), 0); }

    ON_EVERY_ENGINE(addClassification);
    void addClassificationRefusedByCatalogue();
    ON_EVERY_ENGINE(deleteAsksFirst);
    ON_EVERY_ENGINE(deleteRefusedWhileClassificationHoldsEntries);
    void otherDetailsOfComponentsCurrentNode();
    void refreshAndLoadAll();
    void registerAndToolbar();
    void assignmentWindowsFromMenuAndToolbar();
};

namespace {

const QString kRoot = QStringLiteral("_0");

// A pharmacist's main window on the sample tree.
struct Catalogue : SampleTreeWindow
{
    using SampleTreeWindow::SampleTreeWindow;
    int Count(const QString& sql, const QVariantList& values = {})
    {
        return db.Connection().Scalar(sql, values).toInt();
    }
    int Classifications(const QString& name)
    {
        return Count(QStringLiteral("SELECT count(*) FROM inventory.tbForClassification "
                                    "WHERE ClassificationName = ?"),
                     {name});
    }
    bool NodeInCatalogue(const QString& key)
    {
        return Count(QStringLiteral("SELECT count(*) FROM inventory.tbPharvel WHERE Node_Key = ?"),
                     {key}) == 1;
    }
};

// Types name into the classification entry dialog that is about to open and saves it.
void EnterName(const QString& name)
{
    WhileOpen([name] {
        auto* entry = qobject_cast<frmEntry*>(QApplication::activeModalWidget());
        QVERIFY(entry);
        QTest::keyClicks(entry->txtNewClassification, name);
        QTest::mouseClick(entry->cmdOK, Qt::LeftButton);
    });
}

} // namespace

void tst_commands::addClassification()
{
    QFETCH(QString, engine);
    Catalogue c(engine);
    MessageLog log;
    // The window opens with the root selected.
    QCOMPARE(c.Tree()->SelectedItem().Key(), kRoot);
    c.window->flexMSHPharvel->SetRows(3);
    c.window->flexMSHPharvel->SetTextMatrix(1, 1, QStringLiteral("left over"));

    // Under the root, with the first free number: _1 to _3 are taken.
    EnterName(QStringLiteral("  St John's wort"));
    c.window->mnuNewClassification->trigger();
    const TreeNode added = c.Tree()->Find(QStringLiteral("_4"));
    QVERIFY(added);
    QCOMPARE(added.Text(), QStringLiteral("  St John's wort"));
    QCOMPARE(added.Parent().Key(), kRoot);
    QCOMPARE(added.Image(), QStringLiteral("bookclose"));
    QVERIFY(added.ExpandedImage().isEmpty());
    QCOMPARE(c.Classifications(QStringLiteral("  St John's wort")), 1);
    QVERIFY(c.NodeInCatalogue(QStringLiteral("_4")));
    QVERIFY(c.Tree()->Find(kRoot).Expanded());
    QVERIFY(!c.window->flexMSHPharvel->isVisible());
    QVERIFY(!c.window->fraButton->isVisible());
    QVERIFY(c.window->flexMSHPharvel->TextMatrix(1, 1).isEmpty());

    // From the toolbar's drop-down, under an empty classification, which then opens.
    ClickNode(c.window, QStringLiteral("_3"));
    EnterName(QStringLiteral("Vitamin D"));
    c.window->tbNewClassification->trigger();
    QCOMPARE(c.Tree()->Find(QStringLiteral("_3.1")).Text(), QStringLiteral("Vitamin D"));
    QVERIFY(c.Tree()->Find(QStringLiteral("_3")).Expanded());
    QVERIFY(c.NodeInCatalogue(QStringLiteral("_3.1")));

    // Closed without saving, or a name already taken: nothing is made.
    const int nodes = c.Tree()->Count();
    WhileOpen([] {});
    c.window->mnuNewClassification->trigger();
    EnterName(QStringLiteral("Analgesics"));
    c.window->mnuNewClassification->trigger();
    QCOMPARE(log.Texts(), QStringLiteral("Classification name exists."));
    QCOMPARE(c.Tree()->Count(), nodes);
    QCOMPARE(c.Classifications(QStringLiteral("Analgesics")), 1);
    QVERIFY(!c.NodeInCatalogue(QStringLiteral("_3.2")));

    // A drug node is never made, and no dialog opens for one.
    // The look runs in a dialog's own loop if one opens, else once the command has returned.
    bool looked = false;
    bool opened = false;
    WhileOpen([&] {
        looked = true;
        opened = QApplication::activeModalWidget() != nullptr;
    });
    c.window->AddNode(QStringLiteral("3"), 0, QString());
    QTRY_VERIFY(looked);
    QVERIFY(!opened);
    QCOMPARE(c.Tree()->Count(), nodes);
}

void tst_commands::addClassificationRefusedByCatalogue()
{
    Catalogue c(QStringLiteral("sqlite"));
    MessageLog log;
    ClickNode(c.window, QStringLiteral("_1"));
    ClickNode(c.window, QStringLiteral("_1.2"));

    // A generic name holds no classification: the catalogue refuses, the tree shows nothing
    // new, and the user reads why.
    EnterName(QStringLiteral("Inside a generic"));
    // As the menu's top-level handler runs it.
    Guarded([&c] { c.window->AddNode(QStringLiteral("1"), 0, QString()); });
    QCOMPARE(log.messages.size(), 1);
    QCOMPARE(log.messages[0].icon, MsgBox::Icon::Critical);
    QVERIFY2(log.messages[0].text.contains(QStringLiteral("Pharvel.AddClassification")),
             qPrintable(log.messages[0].text));
    QCOMPARE(c.Tree()->Find(QStringLiteral("_1.2")).Children(), 1);
    QVERIFY(!c.Tree()->Exists(QStringLiteral("_1.2.2")));
    QCOMPARE(c.Classifications(QStringLiteral("Inside a generic")), 0);
}

void tst_commands::deleteAsksFirst()
{
    QFETCH(QString, engine);
    Catalogue c(engine);
    ClickNode(c.window, QStringLiteral("_3"));
    QVERIFY(c.window->mnuDelete->isEnabled());

    {
        MessageLog log({MsgBox::Answer::No});
        c.window->mnuDelete->trigger();
        QCOMPARE(log.Texts(), QStringLiteral("Are you sure to delete this classification?"));
        QCOMPARE(log.messages[0].icon, MsgBox::Icon::Critical);
        QCOMPARE(log.messages[0].buttons, MsgBox::Buttons::YesNo);
        QCOMPARE(log.messages[0].title, MsgBox::ApplicationTitle());
    }
    QVERIFY(c.Tree()->Exists(QStringLiteral("_3")));
    QCOMPARE(c.Classifications(QStringLiteral("Vitamins")), 1);

    MessageLog log({MsgBox::Answer::Yes});
    c.window->tbDelete->trigger();
    QCOMPARE(log.messages.size(), 1);
    QVERIFY(!c.Tree()->Exists(QStringLiteral("_3")));
    QCOMPARE(c.Classifications(QStringLiteral("Vitamins")), 0);
    QVERIFY(!c.NodeInCatalogue(QStringLiteral("_3")));
}

void tst_commands::deleteRefusedWhileClassificationHoldsEntries()
{
    QFETCH(QString, engine);
    Catalogue c(engine);
    MessageLog log({MsgBox::Answer::Ok, MsgBox::Answer::Yes});

    // Children the tree shows: refused before any question.
    ClickNode(c.window, QStringLiteral("_1"));
    c.window->mnuDelete->trigger();
    QCOMPARE(log.Texts(), QStringLiteral("You can not delete this classification at the moment."));
    QCOMPARE(log.messages[0].icon, MsgBox::Icon::None);
    QCOMPARE(log.messages[0].buttons, MsgBox::Buttons::OK);
    QCOMPARE(log.messages[0].title, MsgBox::ApplicationTitle());
    QVERIFY(c.NodeInCatalogue(QStringLiteral("_1")));

    // A classification filed under it since the tree loaded it: the catalogue refuses after
    // the question, and the node stays in the tree.
    ClickNode(c.window, QStringLiteral("_3"));
    SampleTree::AddClassification(c.db.Connection(), QStringLiteral("_3"), QStringLiteral("_3.1"),
                                  10, QStringLiteral("Vitamin D"));
    log.messages.clear();
    c.window->mnuDelete->trigger();
    QCOMPARE(log.messages.size(), 2);
    QCOMPARE(log.messages[0].text, QStringLiteral("Are you sure to delete this classification?"));
    QVERIFY2(log.messages[1].text.startsWith(
                 QStringLiteral("You can not delete this classification at the moment.\n\n")),
             qPrintable(log.messages[1].text));
    QCOMPARE(log.messages[1].icon, MsgBox::Icon::Exclamation);
    QVERIFY(c.Tree()->Exists(QStringLiteral("_3")));
    QVERIFY(c.NodeInCatalogue(QStringLiteral("_3")));
    QCOMPARE(c.Classifications(QStringLiteral("Vitamins")), 1);
}

void tst_commands::otherDetailsOfComponentsCurrentNode()
{
    Catalogue c(QStringLiteral("sqlite"));
    MessageLog log;
    ClickNode(c.window, QStringLiteral("_1"));
    ClickNode(c.window, QStringLiteral("_1.2"));
    // A search made elsewhere since: the details are those of Amoxicillin (3), not Paracetamol.
    QVERIFY(mdlPharvel::objPharvel->NodePharvel().SearchNode(QStringLiteral("_2.1")));

    QString genericId;
    WhileOpen([&genericId] {
        auto* details = qobject_cast<frmDrugInformation*>(QApplication::activeModalWidget());
        QVERIFY(details);
        genericId = details->GenericID();
        details->txtEntry->setPlainText(QStringLiteral("Oral"));
        QTest::mouseClick(details->cmdSave, Qt::LeftButton);
    });
    c.window->mnuOther->trigger();
    QCOMPARE(genericId, QStringLiteral("3"));
    QCOMPARE(c.Count(QStringLiteral("SELECT count(*) FROM inventory.tbPharvelOtherDetails "
                                    "WHERE GenericID = 3 AND OtherDetails = 'Oral'")),
             1);

    // The current node is a classification: its id names no generic name's details.
    ClickNode(c.window, QStringLiteral("_2"));
    log.messages.clear();
    bool looked = false;
    bool opened = false;
    WhileOpen([&] {
        looked = true;
        opened = QApplication::activeModalWidget() != nullptr;
    });
    c.window->mnuOther->trigger();
    QTRY_VERIFY(looked);
    QVERIFY(!opened);
    QCOMPARE(log.Texts(),
             QStringLiteral("Other details are kept for generic names. Choose a generic name "
                            "first."));
    QCOMPARE(c.Count(QStringLiteral("SELECT count(*) FROM inventory.tbPharvelOtherDetails")), 1);
}

void tst_commands::refreshAndLoadAll()
{
    Catalogue c(QStringLiteral("sqlite"));
    ProgressWindowSpy spy;
    ClickNode(c.window, QStringLiteral("_1"));
    const int shown = c.Tree()->Count();

    {
        MessageLog log({MsgBox::Answer::No});
        c.window->mnuLoadAll->trigger();
        QCOMPARE(log.Texts(), QStringLiteral("This may take some time.  Do you want to continue?"));
        QCOMPARE(log.messages[0].icon, MsgBox::Icon::Question);
        QCOMPARE(log.messages[0].buttons, MsgBox::Buttons::YesNo);
        QCOMPARE(log.messages[0].title, QStringLiteral("MESSAGE"));
        QCOMPARE(c.Tree()->Count(), shown);
    }
    {
        MessageLog log({MsgBox::Answer::Yes});
        spy.Clear();
        c.window->mnuLoadAll->trigger();
        QCOMPARE(c.Tree()->Count(), 1 + SampleTree::kNodesBelowRoot);
        QCOMPARE(spy.Windows().size(), 1);
        QCOMPARE(spy.Windows()[0].title, QStringLiteral("Loading Pharvel Structure..."));
    }

    spy.Clear();
    c.window->mnuRefresh->trigger();
    QCOMPARE(c.Tree()->Count(), 1 + SampleTree::kTopLevelNodes);
    QVERIFY(c.Tree()->Find(kRoot).Expanded());
    QCOMPARE(spy.Windows().size(), 1);
    QCOMPARE(spy.Windows()[0].title, QStringLiteral("Loading All Classifications..."));
    QCOMPARE(c.window->staMessage->text(),
             QStringLiteral("Choose an entry and right click for options."));

    // More rows than one load takes (classifications without a name count too): counted before
    // the tree is touched, which stays as it was.
    c.db.Connection().Execute(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 32760) "
        "INSERT INTO inventory.tbPharvel (Node_Key, Node_Parent, Node_Type, Node_ID) "
        "SELECT '_3.' || i, '_3', '1', 100 + i FROM n"));
    ClickNode(c.window, QStringLiteral("_2"));
    const int before = c.Tree()->Count();
    MessageLog log({MsgBox::Answer::Yes});
    spy.Clear();
    c.window->mnuLoadAll->trigger();
    QCOMPARE(log.messages.size(), 2);
    QVERIFY2(log.messages[1].text.contains(QStringLiteral("32770 entries")) &&
                 log.messages[1].text.contains(QStringLiteral("the tree is left as it was")),
             qPrintable(log.messages[1].text));
    QCOMPARE(c.Tree()->Count(), before);
    QCOMPARE(c.Tree()->SelectedItem().Key(), QStringLiteral("_2"));
    QVERIFY(c.Tree()->Find(kRoot).Expanded());
    QVERIFY(spy.Windows().isEmpty());
}

void tst_commands::registerAndToolbar()
{
    Catalogue c(QStringLiteral("sqlite"));
    MessageLog log;

    QString title;
    WhileOpen([&title] {
        auto* form = qobject_cast<frmGeneric*>(QApplication::activeModalWidget());
        QVERIFY(form);
        title = form->windowTitle();
    });
    c.window->tbGenericFiles->trigger();
    QCOMPARE(title, QStringLiteral("Build Generic Name"));
    title.clear();
    WhileOpen([&title] { title = QApplication::activeModalWidget()->windowTitle(); });
    c.window->mnuGenericFiles->trigger();
    QCOMPARE(title, QStringLiteral("Build Generic Name"));

    // The first button itself does nothing; "Rename" starts editing the selected node's label.
    ClickNode(c.window, QStringLiteral("_2"));
    const int nodes = c.Tree()->Count();
    c.window->tbNewEntry->trigger();
    QCOMPARE(c.Tree()->Count(), nodes);
    QVERIFY(log.messages.isEmpty());
    c.window->tbRename->trigger();
    QVERIFY(EditingLabel(c.window));
    QTest::keyClick(LabelEditor(c.window), Qt::Key_Escape);
    QCOMPARE(c.Tree()->Find(QStringLiteral("_2")).Text(), QStringLiteral("Antibiotics"));
}

void tst_commands::assignmentWindowsFromMenuAndToolbar()
{
    Catalogue c(QStringLiteral("sqlite"));
    // What each window was handed, and the status text while it was open.
    struct Opening
    {
        QString title;
        int id = 0;
        QString name;
        bool tree = false;
        QString status;
        bool looked = false; // the look ran, whether a window was open or not
    } seen;
    const auto watch = [&] {
        seen = {};
        WhileOpen([&] {
            seen.looked = true;
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal)
                return;
            seen.title = modal->windowTitle();
            seen.status = c.window->staMessage->text();
            if (auto* list = qobject_cast<frmList*>(modal)) {
                seen.id = list->ItemID();
                seen.name = list->ClassificationName();
                seen.tree = list->treList() == c.Tree();
            } else if (auto* drugs = qobject_cast<frmDrugList*>(modal)) {
                seen.id = drugs->GenericID();
                seen.name = drugs->GenericName();
                seen.tree = drugs->treList() == c.Tree();
            }
        });
    };

    ClickNode(c.window, QStringLiteral("_2"));
    watch();
    c.window->mnuNewGeneric->trigger();
    QCOMPARE(seen.title, QStringLiteral("Generic Classification"));
    QCOMPARE(seen.id, 3);
    QCOMPARE(seen.name, QStringLiteral("Antibiotics"));
    QVERIFY(seen.tree);
    QCOMPARE(seen.status, QStringLiteral("Loading Generic Names List..."));
    QCOMPARE(c.window->staMessage->text(), QString());

    ClickNode(c.window, QStringLiteral("_1"));
    ClickNode(c.window, QStringLiteral("_1.2"));
    watch();
    c.window->tbNewDrug->trigger();
    QCOMPARE(seen.title, QStringLiteral("Drug Classification"));
    QCOMPARE(seen.id, 2);
    QCOMPARE(seen.name, QStringLiteral("Paracetamol"));
    QVERIFY(seen.tree);
    QCOMPARE(seen.status, QStringLiteral("Loading Drug List..."));
    QVERIFY(c.Tree()->Find(QStringLiteral("_1.2")).Expanded());

    // A node the catalogue no longer holds opens nothing.
    c.db.Connection().Execute(
        QStringLiteral("DELETE FROM inventory.tbPharvel WHERE Node_Key = '_1.2.1'"));
    c.db.Connection().Execute(
        QStringLiteral("DELETE FROM inventory.tbPharvel WHERE Node_Key = '_1.2'"));
    watch();
    c.window->mnuNewDrug_Click();
    QTRY_VERIFY(seen.looked);
    QCOMPARE(seen.title, QString());
    QCOMPARE(c.window->staMessage->text(), QString());
}

QTEST_MAIN(tst_commands)
#include "tst_commands.moc"
