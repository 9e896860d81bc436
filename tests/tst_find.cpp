#include "app/mdlPharvel.h"
#include "catalogue/frmPharvel.h"
#include "find/TraceQuery.h"
#include "find/frmFind.h"
#include "fixtures/LoggedInRun.h"
#include "fixtures/MainWindowDriver.h"
#include "fixtures/MessageLog.h"
#include "fixtures/ProgressWindowSpy.h"
#include "fixtures/SampleCatalogue.h"
#include "fixtures/TestDatabase.h"
#include "fixtures/WhileOpen.h"
#include "platform/db/AtcCode.h"
#include "platform/db/Formulary.h"
#include "platform/db/SQLConnection.h"
#include "platform/db/ScopedTransaction.h"
#include "platform/db/ServerProcedures.h"
#include "platform/user/AccountStore.h"
#include "platform/user/clsCurrentUser.h"
#include "platform/widgets/KeyedTree.h"
#include "platform/widgets/MsgBox.h"

#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <memory>
#include <utility>

// "Find Entry": the search, its result list and the trace it leaves, and the main window's walk
// down that trace.
class tst_find : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void windowOnOpening();
    void typingInSearchBox();
    ON_EVERY_ENGINE(searchListsMatches);
    void failedSearchRestoresPointer();
    ON_EVERY_ENGINE(goToTreeviewWritesTrace);

    ON_EVERY_ENGINE(walkOpensUnloadedClassification);
    ON_EVERY_ENGINE(walkOverOpenNodesOnlySelects);
    void closeWalksNoOldTrace();
    ON_EVERY_ENGINE(twoSessionsWalkTheirOwnTrace);
    ON_EVERY_ENGINE(findByCode);
};

namespace {

const QString kStatusText = QStringLiteral("Select entry from list then click GO TO TREEVIEW.");

// The sample catalogue with one name that holds an apostrophe.
void BuildCatalogue(SQLConnection& connection)
{
    SampleCatalogue catalogue(connection);
    catalogue.Build();
    catalogue.AddClassification(QStringLiteral("_4"), QStringLiteral("Children's Syrups"));
}

// The find window alone, on the test database's connection, with a stand-in for the main
// window's status panel.
struct FindWindow
{
    explicit FindWindow(const QString& engine) : db(engine)
    {
        BuildCatalogue(db.Connection());
        // As the login prepares the user's session.
        ServerProcedures::PrepareSession(db.Connection());
        form = std::make_unique<frmFind>(db.Connection(), status);
        form->show();
    }
    TestDatabase db;
    QLabel status;
    std::unique_ptr<frmFind> form;
};

// Types the text into the search box and presses Enter there.
void Search(frmFind& form, const QString& text)
{
    form.txtFind->clear();
    QTest::keyClicks(form.txtFind, text);
    QTest::keyClick(form.txtFind, Qt::Key_Return);
}

// The list's rows as "entry|parent|key", top to bottom.
QStringList Rows(const frmFind& form)
{
    QStringList rows;
    for (int i = 0; i < form.lvFind->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = form.lvFind->topLevelItem(i);
        rows << QStringList{item->text(0), item->text(1), item->text(2)}.join(QLatin1Char('|'));
    }
    return rows;
}

QTreeWidgetItem* RowOfKey(const frmFind& form, const QString& key)
{
    for (int i = 0; i < form.lvFind->topLevelItemCount(); ++i) {
        if (form.lvFind->topLevelItem(i)->text(frmFind::NodeKeyColumn) == key)
            return form.lvFind->topLevelItem(i);
    }
    return nullptr;
}

QPoint CentreOf(const frmFind& form, const QString& key)
{
    return form.lvFind->visualItemRect(RowOfKey(form, key)).center();
}

void ClickRow(frmFind& form, const QString& key)
{
    QTest::mouseClick(form.lvFind->viewport(), Qt::LeftButton, {}, CentreOf(form, key));
}

// The press of a real double click selects the row before the double click comes; the test
// library's double click on a widget sends no press of its own.
void DoubleClickRow(frmFind& form, const QString& key)
{
    ClickRow(form, key);
    QTest::mouseDClick(form.lvFind->viewport(), Qt::LeftButton, {}, CentreOf(form, key));
}

QStringList Trace(SQLConnection& connection)
{
    QStringList keys;
    RowSet trace = TraceQuery::Open(connection);
    for (; !trace.AtEnd(); trace.MoveNext())
        keys << trace.Text(0);
    return keys;
}

// Runs work in the find dialog once it is open; a check failing in it still closes the dialog.
void WhileModal(std::function<void(frmFind&)> work)
{
    WhileOpen([work = std::move(work)] {
        auto* dialog = qobject_cast<frmFind*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        work(*dialog);
    });
}

// "&Find Entry" in the main window: searches the text, goes to the entry with this key.
void FindEntry(frmPharvel& window, const QString& text, const QString& key)
{
    WhileModal([=](frmFind& find) {
        Search(find, text);
        QVERIFY2(RowOfKey(find, key), qPrintable(key));
        ClickRow(find, key);
        QTest::keyClick(find.lvFind, Qt::Key_Return);
    });
    window.mnuFindEntry->trigger();
}

// A pharmacist logged in to the sample catalogue, with the main window loaded and shown.
struct MainWindowRun
{
    explicit MainWindowRun(const QString& engine) : db(engine), run(Built(db))
    {
        window = std::make_unique<frmPharvel>();
        window->Form_Load();
        window->show();
    }
    static TestDatabase& Built(TestDatabase& database)
    {
        BuildCatalogue(database.Connection());
        return database;
    }
    KeyedTree& Tree() const { return *window->trePharvel; }
    QString Selected() const
    {
        const TreeNode node = Tree().SelectedItem();
        return node ? node.Key() : QString();
    }
    bool Expanded(const QString& key) const { return Tree().Find(key).Expanded(); }
    // The node commands as "1" and "0": add/remove submenu, add classification, assign generic
    // names, assign drugs, delete, rename.
    QString Commands() const
    {
        return MainWindowDriver::EnabledStates(
            {window->mnuNew->menuAction(), window->mnuNewClassification, window->mnuNewGeneric,
             window->mnuNewDrug, window->mnuDelete, window->mnuRename});
    }

    TestDatabase db;
    LoggedInRun run;
    std::unique_ptr<frmPharvel> window;
};

// A second pharmacist's desktop in the same process: his own login, so his own connection, and
// a main window of his own. While Active() holds, the run-wide current user is his.
struct SecondDesktop
{
    explicit SecondDesktop(TestDatabase& database) : db(database)
    {
        const QString password = QStringLiteral("second desktop");
        userId = LoggedInRun::AddPharmacist(db, {}, password);
        user = std::make_unique<Corvida_User::clsCurrentUser>();
        user->SetPasswordDeptCode(AccountStore::kPharmacyDeptCode);
        user->Login(db.ConnectionString(), userId, password);
        const auto active = Active();
        window = std::make_unique<frmPharvel>();
        window->Form_Load();
    }
    ~SecondDesktop()
    {
        window.reset();
        // His session goes before his account, which a PostgreSQL role in use could not.
        user.reset();
        AccountStore::RemoveAccount(db.Connection(), userId);
    }
    SecondDesktop(const SecondDesktop&) = delete;
    SecondDesktop& operator=(const SecondDesktop&) = delete;

    struct Swap
    {
        explicit Swap(std::unique_ptr<Corvida_User::clsCurrentUser>& user) : other(user)
        {
            std::swap(mdlPharvel::objCurrentUser, other);
        }
        ~Swap() { std::swap(mdlPharvel::objCurrentUser, other); }
        Swap(const Swap&) = delete;
        Swap& operator=(const Swap&) = delete;
        std::unique_ptr<Corvida_User::clsCurrentUser>& other;
    };
    [[nodiscard]] std::unique_ptr<Swap> Active() { return std::make_unique<Swap>(user); }

    TestDatabase& db;
    QString userId;
    std::unique_ptr<Corvida_User::clsCurrentUser> user;
    std::unique_ptr<frmPharvel> window;
};

} // namespace

void tst_find::cleanup()
{
    QCOMPARE(QApplication::topLevelWidgets().size(), 0);
    QVERIFY(!QApplication::overrideCursor());
}

void tst_find::windowOnOpening()
{
    FindWindow w(QStringLiteral("sqlite"));
    frmFind& form = *w.form;

    QCOMPARE(form.windowTitle(), QStringLiteral("Find Entry"));
    QVERIFY(!(form.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(form.minimumSize(), form.maximumSize());
    QCOMPARE(form.font().family(), QStringLiteral("Arial"));
    QCOMPARE(form.font().pointSize(), 9);
    QCOMPARE(form.Frame1->title(), QStringLiteral("&1. Enter search key"));
    QCOMPARE(form.Frame2->title(),
             QStringLiteral("&2. Select item from list then click OPEN button."));
    QCOMPARE(form.lvFind->headerItem()->text(0), QStringLiteral("Entry in list"));
    QCOMPARE(form.lvFind->headerItem()->text(1), QStringLiteral("Parent"));
    QCOMPARE(form.lvFind->headerItem()->text(2), QStringLiteral("NodeKey"));
    QCOMPARE(form.lvFind->headerItem()->text(3), QStringLiteral("Index"));

    QWidgetList tabStops;
    for (QWidget* w2 = form.txtFind; tabStops.size() < 5; w2 = w2->nextInFocusChain()) {
        if ((w2->focusPolicy() & Qt::TabFocus) && w2->isVisibleTo(&form))
            tabStops << w2;
    }
    QCOMPARE(tabStops,
             (QWidgetList{form.txtFind, form.cmdFind, form.lvFind, form.cmdGo, form.cmdClose}));

    QVERIFY(!form.cmdFind->isEnabled());
    QVERIFY(!form.cmdGo->isEnabled());
    QVERIFY(!form.FindNode());
    const int half = form.lvFind->width() / 2;
    QCOMPARE(form.lvFind->columnWidth(0), half);
    QCOMPARE(form.lvFind->columnWidth(1), half);
    QCOMPARE(form.lvFind->columnWidth(2), 0);
    QCOMPARE(form.lvFind->columnWidth(3), 0);

    // Everything but FindNode starts afresh at the next opening; FindNode starts False.
    Search(form, QStringLiteral("panadol"));
    ClickRow(form, QStringLiteral("_1.2.1"));
    form.cmdGo->click();
    QVERIFY(!form.isVisible());
    QVERIFY(form.FindNode());
    form.show();
    QVERIFY(!form.FindNode());
    QVERIFY(form.txtFind->text().isEmpty());
    QCOMPARE(form.lvFind->topLevelItemCount(), 0);
    QVERIFY(!form.cmdFind->isEnabled());
    QVERIFY(!form.cmdGo->isEnabled());
    form.cmdClose->click();
    QVERIFY(!form.isVisible());
    QVERIFY(!form.FindNode());
}

void tst_find::typingInSearchBox()
{
    FindWindow w(QStringLiteral("sqlite"));
    frmFind& form = *w.form;
    MessageLog log;

    QTest::keyClicks(form.txtFind, QStringLiteral("mor"));
    QCOMPARE(form.txtFind->text(), QStringLiteral("MOR"));
    QVERIFY(form.cmdFind->isEnabled());
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(form.txtFind, Qt::Key_Backspace);
    QVERIFY(!form.cmdFind->isEnabled());

    // Enter with Find disabled searches nothing.
    mdlPharvel::blnQuietLoad = false;
    QTest::keyClick(form.txtFind, Qt::Key_Return);
    QVERIFY(!mdlPharvel::blnQuietLoad);
    QVERIFY(log.messages.isEmpty());
    QCOMPARE(form.lvFind->topLevelItemCount(), 0);
    QVERIFY(form.isVisible());

    // Blanks count; a text of blanks only searches the empty text, which every entry holds.
    QTest::keyClicks(form.txtFind, QStringLiteral("  "));
    QVERIFY(form.cmdFind->isEnabled());
    QTest::keyClick(form.txtFind, Qt::Key_Return);
    QVERIFY(log.messages.isEmpty());
    QCOMPARE(form.lvFind->topLevelItemCount(), 11);
    QVERIFY(mdlPharvel::blnQuietLoad);
    mdlPharvel::blnQuietLoad = false;
}

void tst_find::searchListsMatches()
{
    QFETCH(QString, engine);
    FindWindow w(engine);
    frmFind& form = *w.form;
    MessageLog log;

    // Typed in capitals, matched whatever the letter case; sorted by entry, letter case not
    // counting; an entry straight under the root has an empty parent.
    Search(form, QStringLiteral("ol"));
    QCOMPARE(Rows(form), (QStringList{QStringLiteral("CALPOL 120MG/5ML SYRUP|Paracetamol|_1.2.2"),
                                      QStringLiteral("PANADOL 500MG TAB|Paracetamol|_1.2.1"),
                                      QStringLiteral("Paracetamol|Analgesics|_1.2")}));
    Search(form, QStringLiteral("an"));
    QCOMPARE(Rows(form),
             (QStringList{QStringLiteral("Analgesics||_1"), QStringLiteral("antibiotics||_2"),
                          QStringLiteral("PANADOL 500MG TAB|Paracetamol|_1.2.1")}));
    QVERIFY(form.cmdGo->isEnabled());
    QCOMPARE(w.status.text(), kStatusText);
    QVERIFY(mdlPharvel::blnQuietLoad);
    QVERIFY(log.messages.isEmpty());

    // A column click sorts by that column; so does a click on the column's header.
    form.lvFind_ColumnClick(frmFind::NodeKeyColumn);
    QCOMPARE(Rows(form), (QStringList{QStringLiteral("Analgesics||_1"),
                                      QStringLiteral("PANADOL 500MG TAB|Paracetamol|_1.2.1"),
                                      QStringLiteral("antibiotics||_2")}));
    const QHeaderView* header = form.lvFind->header();
    QTest::mouseClick(form.lvFind->header()->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
    QCOMPARE(Rows(form),
             (QStringList{QStringLiteral("Analgesics||_1"), QStringLiteral("antibiotics||_2"),
                          QStringLiteral("PANADOL 500MG TAB|Paracetamol|_1.2.1")}));

    // Nothing found: the message, and the last rows stay with Go to Treeview.
    w.status.clear();
    Search(form, QStringLiteral("zz"));
    QCOMPARE(log.messages.size(), 1);
    QCOMPARE(log.messages[0].text, QStringLiteral("Search string not existing!"));
    QCOMPARE(log.messages[0].icon, MsgBox::Icon::Information);
    QCOMPARE(log.messages[0].buttons, MsgBox::Buttons::OK);
    QCOMPARE(log.messages[0].title, QStringLiteral("MESSAGE"));
    QCOMPARE(form.lvFind->topLevelItemCount(), 3);
    QVERIFY(form.cmdGo->isEnabled());
    QVERIFY(w.status.text().isEmpty());

    // The text is searched as typed: an apostrophe is a letter like any other, and so are the
    // wildcards of a pattern.
    Search(form, QStringLiteral("n's"));
    QCOMPARE(Rows(form), QStringList{QStringLiteral("Children's Syrups||_4")});
    Search(form, QStringLiteral("_"));
    QCOMPARE(log.messages.size(), 2);
    mdlPharvel::blnQuietLoad = false;
}

void tst_find::failedSearchRestoresPointer()
{
    FindWindow w(QStringLiteral("sqlite"));
    frmFind& form = *w.form;
    MessageLog log;
    Search(form, QStringLiteral("panadol"));
    w.db.Connection().Execute(
        QStringLiteral("ALTER TABLE inventory.tbPharvel RENAME TO tbPharvelGone"));

    Search(form, QStringLiteral("calpol"));
    QCOMPARE(log.messages.size(), 1);
    QCOMPARE(log.messages[0].icon, MsgBox::Icon::Critical);
    QVERIFY2(log.messages[0].text.contains(QStringLiteral("For_SearchNodeList")),
             qPrintable(log.messages[0].text));
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(Rows(form), QStringList{QStringLiteral("PANADOL 500MG TAB|Paracetamol|_1.2.1")});
    mdlPharvel::blnQuietLoad = false;
}

void tst_find::goToTreeviewWritesTrace()
{
    QFETCH(QString, engine);
    FindWindow w(engine);
    frmFind& form = *w.form;
    Search(form, QStringLiteral("a"));

    // Double click while Go to Treeview is disabled, and Enter with no row chosen: nothing.
    form.cmdGo->setEnabled(false);
    DoubleClickRow(form, QStringLiteral("_1.2.1"));
    QVERIFY(form.isVisible());
    QVERIFY(!form.FindNode());
    form.cmdGo->setEnabled(true);
    form.lvFind->clearSelection();
    QTest::keyClick(form.lvFind, Qt::Key_Return);
    QVERIFY(form.isVisible());
    QVERIFY(Trace(w.db.Connection()).isEmpty());

    DoubleClickRow(form, QStringLiteral("_1.2.1"));
    QVERIFY(!form.isVisible());
    QVERIFY(form.FindNode());
    QCOMPARE(Trace(w.db.Connection()),
             (QStringList{QStringLiteral("_1"), QStringLiteral("_1.2"), QStringLiteral("_1.2.1")}));

    // Enter on a chosen row goes as well; the trace is replaced, not added to.
    form.show();
    Search(form, QStringLiteral("antibiotics"));
    ClickRow(form, QStringLiteral("_2"));
    QTest::keyClick(form.lvFind, Qt::Key_Return);
    QVERIFY(!form.isVisible());
    QVERIFY(form.FindNode());
    QCOMPARE(Trace(w.db.Connection()), QStringList{QStringLiteral("_2")});
    mdlPharvel::blnQuietLoad = false;
}

void tst_find::walkOpensUnloadedClassification()
{
    QFETCH(QString, engine);
    MainWindowRun r(engine);
    QCOMPARE(r.Tree().Find(QStringLiteral("_1")).Children(), 0);
    ProgressWindowSpy spy;

    FindEntry(*r.window, QStringLiteral("panadol"), QStringLiteral("_1.2.1"));

    QCOMPARE(r.Selected(), QStringLiteral("_1.2.1"));
    QVERIFY(r.Expanded(QStringLiteral("_1")));
    QVERIFY(r.Expanded(QStringLiteral("_1.2")));
    QVERIFY(r.Tree().Exists(QStringLiteral("_1.1")));
    QVERIFY(r.Tree().Exists(QStringLiteral("_1.2.2")));
    const QRect shown = r.Tree().visualItemRect(r.Tree().Find(QStringLiteral("_1.2.1")).Item());
    QVERIFY(!shown.isEmpty() && r.Tree().viewport()->rect().intersects(shown));
    // The node click ran for the classification, the generic name and the drug, in that order:
    // only the generic name's click enables "&Drug" and disables "&Generic", and only the
    // drug's disables "&Add/Remove" while leaving "&Drug" as it was.
    QCOMPARE(r.Commands(), QStringLiteral("000100"));
    // The first load of the walk is quiet; the next shows its progress window.
    QCOMPARE(spy.Windows().size(), 1);
    QCOMPARE(spy.Windows()[0].title, QStringLiteral("Loading Paracetamol"));
    QVERIFY(!mdlPharvel::blnQuietLoad);
    QCOMPARE(r.window->staMessage->text(), kStatusText);
}

void tst_find::walkOverOpenNodesOnlySelects()
{
    QFETCH(QString, engine);
    MainWindowRun r(engine);
    for (const QString& key : {QStringLiteral("_1"), QStringLiteral("_1.1")}) {
        TreeNode node = r.Tree().Find(key);
        node.SetSelected(true);
        r.window->trePharvel_NodeClick(node);
    }
    r.Tree().Find(QStringLiteral("_1.1")).SetExpanded(false);
    r.Tree().Find(QStringLiteral("_0")).SetSelected(true);
    // As a context menu leaves them; a node click shows them again.
    r.window->mnuSep3->setVisible(false);
    r.window->mnuExit->setVisible(false);
    const int nodes = r.Tree().Count();
    ProgressWindowSpy spy;

    FindEntry(*r.window, QStringLiteral("opioids"), QStringLiteral("_1.1"));

    QCOMPARE(r.Selected(), QStringLiteral("_1.1"));
    QVERIFY(r.Expanded(QStringLiteral("_1")));
    QVERIFY(r.Expanded(QStringLiteral("_1.1")));
    QVERIFY(!r.window->mnuExit->isVisible());
    QCOMPARE(r.Tree().Count(), nodes);
    QVERIFY(spy.Windows().isEmpty());
    // No load ran, so the quiet load is still owed to the next one.
    QVERIFY(mdlPharvel::blnQuietLoad);
}

void tst_find::closeWalksNoOldTrace()
{
    MainWindowRun r(QStringLiteral("sqlite"));
    FindEntry(*r.window, QStringLiteral("panadol"), QStringLiteral("_1.2.1"));
    QCOMPARE(r.Selected(), QStringLiteral("_1.2.1"));
    r.Tree().Find(QStringLiteral("_0")).SetSelected(true);

    bool foundAtOpening = true;
    WhileModal([&](frmFind& find) {
        foundAtOpening = find.FindNode();
        Search(find, QStringLiteral("calpol"));
        ClickRow(find, QStringLiteral("_1.2.2"));
        find.cmdClose->click();
    });
    r.window->mnuFindEntry_Click();

    QVERIFY(!foundAtOpening);
    QCOMPARE(r.Selected(), QStringLiteral("_0"));
    QCOMPARE(Trace(*mdlPharvel::objCurrentUser->SQLConnection()).last(), QStringLiteral("_1.2.1"));
}

void tst_find::twoSessionsWalkTheirOwnTrace()
{
    QFETCH(QString, engine);
    MainWindowRun first(engine);
    SecondDesktop second(first.db);
    SQLConnection& firstConnection = *mdlPharvel::objCurrentUser->SQLConnection();
    SQLConnection& secondConnection = *second.user->SQLConnection();
    QVERIFY(&firstConnection != &secondConnection);

    // The first pharmacist has gone to PANADOL; before his window walks, the second goes to the
    // morphine injection and walks his own tree.
    WhileModal([&](frmFind& find) {
        Search(find, QStringLiteral("panadol"));
        ClickRow(find, QStringLiteral("_1.2.1"));
        find.cmdGo->click();
        const auto active = second.Active();
        FindEntry(*second.window, QStringLiteral("inj"), QStringLiteral("_1.1.1.1"));
        QVERIFY(second.window->findChild<frmFind*>()->FindNode());
    });
    first.window->mnuFindEntry_Click();

    QCOMPARE(first.Selected(), QStringLiteral("_1.2.1"));
    QVERIFY(!first.Tree().Exists(QStringLiteral("_1.1.1")));
    const TreeNode secondSelected = second.window->trePharvel->SelectedItem();
    QVERIFY(secondSelected);
    QCOMPARE(secondSelected.Key(), QStringLiteral("_1.1.1.1"));
    QVERIFY(!second.window->trePharvel->Exists(QStringLiteral("_1.2.1")));
    QCOMPARE(Trace(firstConnection),
             (QStringList{QStringLiteral("_1"), QStringLiteral("_1.2"), QStringLiteral("_1.2.1")}));
    QCOMPARE(Trace(secondConnection),
             (QStringList{QStringLiteral("_1"), QStringLiteral("_1.1"), QStringLiteral("_1.1.1"),
                          QStringLiteral("_1.1.1.1")}));
}

QTEST_MAIN(tst_find)
#include "tst_find.moc"

void tst_find::findByCode()
{
    QFETCH(QString, engine);
    MainWindowRun r(engine);
    SQLConnection& c = r.db.Connection();
    const auto coded = [&c](const char* generic, QList<ReferenceCode> codes) {
        const int code = c.Scalar(QStringLiteral("SELECT GenericCode FROM inventory.tbforgeneric "
                                                 "WHERE genericname = ?"),
                                  {QString::fromLatin1(generic)})
                             .toInt();
        FormularyRecord record{code};
        record.codes = std::move(codes);
        return Formulary::Change{{code}, record};
    };
    const QString atc = AtcCode::kSystem;
    ScopedTransaction transaction(c);
    Formulary::Write(c, {coded("Amoxicillin", {{atc, QStringLiteral("J01CA04")},
                                               {QStringLiteral("HOSP"), QStringLiteral("AMX-1")}}),
                         coded("Morphine", {{atc, QStringLiteral("N02AA01")}}),
                         coded("Paracetamol", {{atc, QStringLiteral("N02BE01")}}),
                         // Filed nowhere, so there is no node to open: not listed.
                         coded("Ibuprofen", {{atc, QStringLiteral("J01XX01")}})});
    transaction.Commit();
    const QString amoxicillin = QStringLiteral("Amoxicillin (code ATC J01CA04)|antibiotics|_2.1");
    const QString morphine = QStringLiteral("Morphine (code ATC N02AA01)|Opioids|_1.1.1");
    const QString paracetamol = QStringLiteral("Paracetamol (code ATC N02BE01)|Analgesics|_1.2");

    const struct
    {
        const char* text;
        QStringList byCode; // the last rows of the list, found by a code they carry
    } cases[] = {
        {"j01", {amoxicillin}},
        {"amx-1", {QStringLiteral("Amoxicillin (code HOSP AMX-1)|antibiotics|_2.1")}},
        {"N02AA01", {morphine}},
        {"n02", {morphine, paracetamol}},
        // A prefix that also names entries: those first, as a plain search lists them.
        {"n", {morphine, paracetamol}},
        {"mor", {}},
    };
    WhileModal([&](frmFind& find) {
        for (const auto& test : cases) {
            Search(find, QString::fromLatin1(test.text));
            const QStringList rows = Rows(find);
            const int plain =
                ServerProcedures::For_SearchNodeList(c, find.txtFind->text()).RecordCount();
            QCOMPARE(rows.size(), plain + test.byCode.size());
            QCOMPARE(rows.mid(plain), test.byCode);
            // Sorting by another column keeps the code matches last.
            find.lvFind->header()->sectionClicked(frmFind::ParentColumn);
            QStringList last = Rows(find).mid(plain);
            QStringList expected = test.byCode;
            last.sort();
            expected.sort();
            QCOMPARE(last, expected);
            for (int i = 0; i < rows.size(); ++i)
                QCOMPARE(find.lvFind->topLevelItem(i)->font(0).italic(), i >= plain);
        }
    });
    r.window->mnuFindEntry->trigger();

    // Opening a code match walks the tree to the generic name.
    FindEntry(*r.window, QStringLiteral("J01CA"), QStringLiteral("_2.1"));
    QCOMPARE(r.Selected(), QStringLiteral("_2.1"));
    QVERIFY(r.Expanded(QStringLiteral("_2")));
}
