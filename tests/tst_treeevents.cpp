#include "app/mdlPharvel.h"
#include "catalogue/frmPharvel.h"
#include "details/frmMedDetails.h"
#include "fixtures/LoggedInRun.h"
#include "fixtures/MainWindowDriver.h"
#include "fixtures/SampleCatalogue.h"
#include "fixtures/SampleTree.h"
#include "fixtures/TestDatabase.h"
#include "platform/catalog/Pharvel.h"
#include "platform/db/SQLConnection.h"
#include "platform/widgets/KeyedTree.h"

#include <QApplication>
#include <QFrame>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QTest>

using namespace MainWindowDriver;

// The tree's events: renaming a classification in place, the Delete and Space keys, the context
// menu and the commands it offers, the double click that shows a drug's details, and the root
// that stays open.
class tst_treeevents : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QCOMPARE(QApplication::topLevelWidgets().size(), 0); }

    ON_EVERY_ENGINE(renameInPlace);
    ON_EVERY_ENGINE(staleTreeIsToldWhatChanged);
    void keysRunOnlyEnabledCommands();
    void viewOnlyUserKeys();
    void commandsFollowSelectionAfterDelete_data();
    void commandsFollowSelectionAfterDelete();
    ON_EVERY_ENGINE(contextMenuSetsCommands);
    void viewOnlyUserContextMenu();
    void doubleClickShowsMedicineDetails();
    void rootStaysOpen();
};

namespace {

const QString kRoot = QStringLiteral("_0");

struct Catalogue : SampleTreeWindow
{
    using SampleTreeWindow::SampleTreeWindow;
    QString ClassificationName(int id)
    {
        return db.Connection()
            .Scalar(QStringLiteral("SELECT ClassificationName FROM inventory.tbForClassification "
                                   "WHERE ClassificationID = ?"),
                    {id})
            .toString();
    }
    bool Editing() const { return EditingLabel(window); }
    void Key(Qt::Key key) { QTest::keyClick(Tree(), key); }
    // Replaces the text of the label being edited and ends the edit with Enter.
    void TypeLabel(const QString& text)
    {
        QLineEdit* editor = LabelEditor(window);
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClick(editor, Qt::Key_Backspace);
        QTest::keyClicks(editor, text);
        // The edit ends once the key has been handled, in the next pass of the event loop.
        const QPointer<QLineEdit> typedInto = editor;
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(!typedInto || !typedInto->isVisible());
    }
};

// The states of the commands as "1" and "0": add/remove submenu, add classification, assign
// generic names, assign drugs, delete, rename and other details, then after a "|" the toolbar
// twins of the first six.
QString Commands(const frmPharvel* w)
{
    return EnabledStates({w->mnuNew->menuAction(), w->mnuNewClassification, w->mnuNewGeneric,
                          w->mnuNewDrug, w->mnuDelete, w->mnuRename, w->mnuOther}) +
           QLatin1Char('|') +
           EnabledStates({w->tbNewEntry, w->tbNewClassification, w->tbNewGeneric, w->tbNewDrug,
                          w->tbDelete, w->tbRename});
}

// What the context menu of a right click on key shows: the commands, or "no menu".
QString ContextMenu(frmPharvel* window, const QString& key)
{
    QString shown = QStringLiteral("no menu");
    // Armed as the menu shows: a load before it puts its progress window on the screen, which
    // hands on the events waiting meanwhile.
    const QMetaObject::Connection armed =
        QObject::connect(window->mnuPopup, &QMenu::aboutToShow, [window, &shown] {
            WhileOpen([window, &shown] {
                if (QApplication::activePopupWidget() != window->mnuPopup)
                    return;
                shown = Commands(window);
                if (window->mnuExit->isVisible() || window->mnuSep3->isVisible())
                    shown += QStringLiteral(" with Exit");
                // PHARVEL_SCREENSHOT_DIR names a folder to keep the picture in, for a look at it.
                if (const QString folder = qEnvironmentVariable("PHARVEL_SCREENSHOT_DIR");
                    !folder.isEmpty()) {
                    QTest::qWait(300); // until the menu is drawn on the screen
                    window->screen()->grabWindow(0).save(folder +
                                                         QStringLiteral("/contextmenu.png"));
                }
            });
        });
    if (key.isEmpty()) {
        const QWidget* viewport = window->trePharvel->viewport();
        QTest::mouseClick(window->trePharvel->viewport(), Qt::RightButton, {},
                          QPoint(5, viewport->height() - 5));
    } else {
        RightClickNode(window, key);
    }
    QTest::qWait(0);
    QObject::disconnect(armed);
    return shown;
}

} // namespace

void tst_treeevents::commandsFollowSelectionAfterDelete_data()
{
    QTest::addColumn<QString>("way");
    for (const char* way : {"menu", "toolbar", "key"})
        QTest::newRow(way) << QString::fromLatin1(way);
}

void tst_treeevents::renameInPlace()
{
    QFETCH(QString, engine);
    Catalogue c(engine);
    MessageLog log;
    ClickNode(c.window, QStringLiteral("_2"));

    // The same name in other letters is a new name.
    c.Key(Qt::Key_Space);
    QVERIFY(c.Editing());
    c.TypeLabel(QStringLiteral("ANTIBIOTICS"));
    QVERIFY(!c.Editing());
    QCOMPARE(c.Tree()->Find(QStringLiteral("_2")).Text(), QStringLiteral("ANTIBIOTICS"));
    QCOMPARE(c.ClassificationName(3), QStringLiteral("ANTIBIOTICS"));

    // An empty name: the old one comes back and the edit opens again.
    c.window->mnuRename->trigger();
    c.TypeLabel(QString());
    QCOMPARE(log.Texts(), QStringLiteral("Please supply a name."));
    QCOMPARE(log.messages[0].icon, MsgBox::Icon::Information);
    QCOMPARE(log.messages[0].title, MsgBox::ApplicationTitle());
    QCOMPARE(c.Tree()->Find(QStringLiteral("_2")).Text(), QStringLiteral("ANTIBIOTICS"));
    QTRY_VERIFY(c.Editing());
    c.TypeLabel(QStringLiteral("Antibiotics'"));
    QCOMPARE(c.ClassificationName(3), QStringLiteral("Antibiotics'"));

    // A name the catalogue refuses is not shown either.
    log.messages.clear();
    c.window->mnuRename->trigger();
    c.TypeLabel(QStringLiteral("   "));
    QCOMPARE(log.messages.size(), 1);
    QCOMPARE(log.messages[0].icon, MsgBox::Icon::Critical);
    QCOMPARE(c.Tree()->Find(QStringLiteral("_2")).Text(), QStringLiteral("Antibiotics'"));
    QCOMPARE(c.ClassificationName(3), QStringLiteral("Antibiotics'"));

    // Slow second clicks on the selected node start no edit.
    ClickNode(c.window, QStringLiteral("_1"));
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    ClickNode(c.window, QStringLiteral("_1"));
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QVERIFY(!c.Editing());
}

// Another desktop changed a classification after this tree showed it: a delete or rename here is
// refused, the tree keeps what the catalogue holds, and the user is told.
void tst_treeevents::staleTreeIsToldWhatChanged()
{
    QFETCH(QString, engine);
    Catalogue c(engine);
    SampleTree::AddClassification(c.db.Connection(), QStringLiteral("_2"), QStringLiteral("_2.2"),
                                  10, QStringLiteral("Empty shelf"));
    SampleTree::AddClassification(c.db.Connection(), QStringLiteral("_2"), QStringLiteral("_2.3"),
                                  11, QStringLiteral("Second shelf"));
    SampleCatalogue::AllowWrites(c.db.Connection(), c.db.ConnectionString());
    ClassPharvel::Pharvel elsewhere;
    QVERIFY(elsewhere.Connect(c.db.ConnectionString()));
    MessageLog log({MsgBox::Answer::Yes});
    ClickNode(c.window, QStringLiteral("_2"));
    ClickNode(c.window, QStringLiteral("_2.2"));

    // Renamed elsewhere, then deleted here: refused, naming the rename.
    QVERIFY(elsewhere.Classifications().RenameClassification(QStringLiteral("_2.2"),
                                                             QStringLiteral("Shelf B")));
    c.Key(Qt::Key_Delete);
    QCOMPARE(log.messages.size(), 2);
    QVERIFY2(log.messages[1].text.contains(QLatin1String("renamed it to Shelf B")),
             qPrintable(log.messages[1].text));
    QVERIFY(c.Tree()->Exists(QStringLiteral("_2.2")));
    QCOMPARE(c.ClassificationName(10), QStringLiteral("Shelf B"));

    // Deleted elsewhere, then renamed here: the label goes back.
    QVERIFY(elsewhere.Classifications().DeleteClassification(QStringLiteral("_2.3")));
    log.messages.clear();
    ClickNode(c.window, QStringLiteral("_2.3"));
    c.Key(Qt::Key_Space);
    c.TypeLabel(QStringLiteral("Mine"));
    QCOMPARE(log.messages.size(), 1);
    QVERIFY2(log.messages[0].text.contains(QLatin1String("no longer in the catalogue")),
             qPrintable(log.messages[0].text));
    QCOMPARE(c.Tree()->Find(QStringLiteral("_2.3")).Text(), QStringLiteral("Second shelf"));
}

void tst_treeevents::keysRunOnlyEnabledCommands()
{
    Catalogue c(QStringLiteral("sqlite"));
    MessageLog log({MsgBox::Answer::No});
    ClickNode(c.window, QStringLiteral("_1"));

    for (const QString& key : {QStringLiteral("_1.2"), QStringLiteral("_1.2.1"), kRoot}) {
        ClickNode(c.window, key);
        c.Key(Qt::Key_Delete);
        c.Key(Qt::Key_Space);
        c.Key(Qt::Key_F2);
        QVERIFY2(!c.Editing(), qPrintable(key));
    }
    QVERIFY(log.messages.isEmpty());

    ClickNode(c.window, QStringLiteral("_3"));
    c.Key(Qt::Key_Delete);
    QCOMPARE(log.Texts(), QStringLiteral("Are you sure to delete this classification?"));
    QVERIFY(c.Tree()->Exists(QStringLiteral("_3")));
    c.Key(Qt::Key_Space);
    QVERIFY(c.Editing());
    QCOMPARE(c.Tree()->currentItem(), c.Tree()->Find(QStringLiteral("_3")).Item());
    QTest::keyClick(LabelEditor(c.window), Qt::Key_Escape);
    QTRY_VERIFY(!c.Editing());
    c.Key(Qt::Key_F2);
    QVERIFY(c.Editing());
    QTest::keyClick(LabelEditor(c.window), Qt::Key_Escape);
}

void tst_treeevents::commandsFollowSelectionAfterDelete()
{
    QFETCH(QString, way);
    Catalogue c(QStringLiteral("sqlite"));
    SampleTree::AddClassification(c.db.Connection(), QStringLiteral("_2"), QStringLiteral("_2.2"),
                                  10, QStringLiteral("Empty shelf"));
    MessageLog log({MsgBox::Answer::Yes});
    ClickNode(c.window, QStringLiteral("_2"));
    ClickNode(c.window, QStringLiteral("_2.2"));
    if (way == QLatin1String("menu"))
        c.window->mnuDelete->trigger();
    else if (way == QLatin1String("toolbar"))
        c.window->tbDelete->trigger();
    else
        c.Key(Qt::Key_Delete);
    QCOMPARE(log.Texts(), QStringLiteral("Are you sure to delete this classification?"));
    QVERIFY(!c.Tree()->Exists(QStringLiteral("_2.2")));

    // The commands are those a click on the node the tree now selects, its generic name
    // Amoxicillin, sets.
    const TreeNode selected = c.Tree()->SelectedItem();
    QVERIFY(selected);
    QCOMPARE(selected.Key(), QStringLiteral("_2.1"));
    const QString left = Commands(c.window);
    ClickNode(c.window, selected.Key());
    QCOMPARE(left, Commands(c.window));
    // So the Delete key on it asks nothing.
    log.messages.clear();
    c.Key(Qt::Key_Delete);
    QCOMPARE(log.Texts(), QString());
}

void tst_treeevents::viewOnlyUserKeys()
{
    Catalogue c(QStringLiteral("sqlite"), QStringLiteral("BB"));
    MessageLog log;
    ClickNode(c.window, QStringLiteral("_3"));
    c.Key(Qt::Key_Delete);
    c.Key(Qt::Key_Space);
    QVERIFY(!c.Editing());
    QVERIFY(log.messages.isEmpty());
}

void tst_treeevents::contextMenuSetsCommands()
{
    QFETCH(QString, engine);
    Catalogue c(engine);
    QCOMPARE(Commands(c.window), QStringLiteral("1100001|110000"));

    QCOMPARE(ContextMenu(c.window, kRoot), QStringLiteral("1100000|110000"));
    // A right click loads the children of a node that shows none, and opens it.
    QCOMPARE(ContextMenu(c.window, QStringLiteral("_1")), QStringLiteral("1110110|111011"));
    QVERIFY(c.Tree()->Find(QStringLiteral("_1")).Expanded());
    QCOMPARE(c.Tree()->Find(QStringLiteral("_1")).Children(), 2);
    QCOMPARE(ContextMenu(c.window, QStringLiteral("_1.2")), QStringLiteral("1001001|100100"));
    QCOMPARE(ContextMenu(c.window, QStringLiteral("_1.2.1")), QStringLiteral("0001001|000100"));
    // On a generic name the toolbar's first button keeps its state.
    QCOMPARE(ContextMenu(c.window, QStringLiteral("_1.2")), QStringLiteral("1001001|000100"));
    QCOMPARE(c.Tree()->SelectedItem().Key(), QStringLiteral("_1.2"));

    // Empty space: no menu, nothing changes.
    QCOMPARE(ContextMenu(c.window, QString()), QStringLiteral("no menu"));
    QCOMPARE(Commands(c.window), QStringLiteral("1001001|000100"));

    // "Exit" stays hidden until the next node click.
    QVERIFY(!c.window->mnuExit->isVisible());
    ClickNode(c.window, QStringLiteral("_2"));
    QVERIFY(c.window->mnuExit->isVisible());
    QVERIFY(c.window->mnuSep3->isVisible());

    // The command picked in the menu runs on the node the menu was opened for.
    MessageLog log({MsgBox::Answer::Yes});
    WhileOpen([&c] { c.window->mnuDelete->trigger(); });
    RightClickNode(c.window, QStringLiteral("_3"));
    QCOMPARE(log.Texts(), QStringLiteral("Are you sure to delete this classification?"));
    QVERIFY(!c.Tree()->Exists(QStringLiteral("_3")));
}

void tst_treeevents::viewOnlyUserContextMenu()
{
    Catalogue c(QStringLiteral("sqlite"), QStringLiteral("BB"));
    QCOMPARE(ContextMenu(c.window, QStringLiteral("_1")).left(7), QStringLiteral("0000000"));
    QCOMPARE(ContextMenu(c.window, QStringLiteral("_1.2")).left(7), QStringLiteral("0001001"));
}

void tst_treeevents::doubleClickShowsMedicineDetails()
{
    Catalogue c(QStringLiteral("sqlite"));
    c.db.Connection().Execute(QStringLiteral("UPDATE inventory.tbinvmaster SET Indication = "
                                             "'Fever' WHERE itemid = 103"));
    ClickNode(c.window, QStringLiteral("_1"));
    ClickNode(c.window, QStringLiteral("_1.2"));

    QStringList shown;
    const auto showing = [&shown] {
        WhileOpen([&shown] {
            if (auto* details = qobject_cast<frmMedDetails*>(QApplication::activeModalWidget()))
                shown << details->ItemCode() + QLatin1Char('|') + details->txtItemName->text() +
                             QLatin1Char('|') + details->txtIndication->toPlainText();
        });
    };
    showing();
    DoubleClickNode(c.window, QStringLiteral("_1.2.1"));
    QCOMPARE(shown, QStringList{QStringLiteral("103|Paracetamol 500 mg tablet|Fever")});

    // A classification with children opens nothing; one without shows its name, no details.
    showing();
    DoubleClickNode(c.window, QStringLiteral("_1"));
    QTest::qWait(0);
    QCOMPARE(shown.size(), 1);
    showing();
    DoubleClickNode(c.window, QStringLiteral("_3"));
    QCOMPARE(shown.last(), QStringLiteral("|Vitamins|"));

    // A plain click makes the selected node the component's current node and keeps the details
    // pane's buttons hidden.
    c.window->fraButton->show();
    ClickNode(c.window, QStringLiteral("_2"));
    QCOMPARE(mdlPharvel::objPharvel->NodePharvel().Node_Key(), QStringLiteral("_2"));
    QVERIFY(c.window->fraButton->isHidden());
}

void tst_treeevents::rootStaysOpen()
{
    Catalogue c(QStringLiteral("sqlite"));
    const TreeNode root = c.Tree()->Find(kRoot);
    ClickNode(c.window, kRoot);
    c.Key(Qt::Key_Left);
    QVERIFY(root.Expanded());

    // Any other node closes; the root's sign reopens it at once, whichever node is selected.
    ClickNode(c.window, QStringLiteral("_1"));
    QVERIFY(c.Tree()->Find(QStringLiteral("_1")).Expanded());
    c.Key(Qt::Key_Left);
    QVERIFY(!c.Tree()->Find(QStringLiteral("_1")).Expanded());
    const auto clickSign = [&c](const TreeNode& node) {
        const QRect row = c.Tree()->visualItemRect(node.Item());
        QTest::mouseClick(c.Tree()->viewport(), Qt::LeftButton, {},
                          QPoint(row.left() - c.Tree()->indentation() / 2, row.center().y()));
    };
    clickSign(c.Tree()->Find(QStringLiteral("_1")));
    QVERIFY(c.Tree()->Find(QStringLiteral("_1")).Expanded());
    clickSign(root);
    QVERIFY(root.Expanded());
    QCOMPARE(c.Tree()->SelectedItem().Key(), QStringLiteral("_1"));
    QVERIFY(c.Tree()->Find(QStringLiteral("_2")));
}

QTEST_MAIN(tst_treeevents)
#include "tst_treeevents.moc"
