#include "app/frmLoad.h"
#include "app/mdlPharvel.h"
#include "catalogue/CatalogueRowLoader.h"
#include "catalogue/frmPharvel.h"
#include "fixtures/LoggedInRun.h"
#include "fixtures/MainWindowDriver.h"
#include "fixtures/ProgressWindowSpy.h"
#include "fixtures/SampleTree.h"
#include "fixtures/TestDatabase.h"
#include "platform/catalog/Pharvel.h"
#include "platform/db/PharvelError.h"
#include "platform/db/SQLConnection.h"
#include "platform/user/clsCurrentUser.h"
#include "platform/widgets/ImageList.h"
#include "platform/widgets/KeyedTree.h"

#include <QApplication>
#include <QTest>

// Filling the catalogue tree: what each load adds, what it passes over, its progress window and
// the keys new nodes get.
class tst_treeload : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    ON_EVERY_ENGINE(topLevelLoad);
    ON_EVERY_ENGINE(childLoadAndLoadAll);
    ON_EVERY_ENGINE(emptyCatalogue);
    ON_EVERY_ENGINE(quietLoadSkipsProgressOnce);
    ON_EVERY_ENGINE(nodeFound);
    ON_EVERY_ENGINE(failedLoadRemovesProgressWindow);

    void rowsThatAddNoNode();
    void duplicateTopLevelKeyEndsLoad();
    void parentsAskedOnceForWholeLoad();

    void nextNodeKeySequences();
    ON_EVERY_ENGINE(nextNodeKeyReusesGapInCatalogue);
};

namespace {

const QString kRoot = QStringLiteral("_0");

struct Row
{
    QString type, name, itemId, parent, key;
};

// A catalogue row set as the component delivers it, from rows of (type, name, item id, parent,
// key); the name goes to the column of its type.
RowSet CatalogueRows(const QList<Row>& rows)
{
    const QStringList fields = {QStringLiteral("node_type"),   QStringLiteral("ClassificationName"),
                                QStringLiteral("GenericName"), QStringLiteral("DrugName"),
                                QStringLiteral("ItemID"),      QStringLiteral("Node_Parent"),
                                QStringLiteral("Node_Key")};
    std::vector<RowSet::Row> values;
    for (const Row& row : rows) {
        RowSet::Row value(7);
        value[0] = row.type;
        const int nameColumn = row.type == QLatin1String("2")   ? 2
                               : row.type == QLatin1String("3") ? 3
                                                                : 1;
        value[static_cast<size_t>(nameColumn)] = row.name;
        if (!row.itemId.isEmpty())
            value[4] = row.itemId.toInt();
        value[5] = row.parent;
        value[6] = row.key;
        values.push_back(std::move(value));
    }
    return RowSet(fields, std::move(values));
}

// A bare tree holding the root, as a load from "_0" starts.
void AddRoot(KeyedTree& tree)
{
    tree.Add(QString(), kRoot, QStringLiteral("All Classification"), QStringLiteral("smile"));
}

QStringList ChildTexts(const TreeNode& node)
{
    QStringList texts;
    for (int i = 0; i < node.Children(); ++i)
        texts << node.Child(i).Text();
    return texts;
}

} // namespace

void tst_treeload::cleanup()
{
    QCOMPARE(QApplication::topLevelWidgets().size(), 0);
}

void tst_treeload::topLevelLoad()
{
    QFETCH(QString, engine);
    const MainWindowDriver::SampleTreeRun sample(engine);
    frmPharvel window;
    ProgressWindowSpy spy;

    QCOMPARE(window.LoadTreeView(kRoot, QString(), false), SampleTree::kTopLevelNodes);

    KeyedTree& tree = *window.trePharvel;
    const TreeNode root = tree.NodeAt(1);
    QCOMPARE(root.Key(), kRoot);
    QCOMPARE(root.Text(), QStringLiteral("All Classification"));
    QCOMPARE(root.Image(), QStringLiteral("smile"));
    QVERIFY(root.Expanded());
    QCOMPARE(ChildTexts(root),
             (QStringList{QStringLiteral("Analgesics"), QStringLiteral("Antibiotics"),
                          QStringLiteral("Vitamins")}));
    const TreeNode analgesics = tree.Find(QStringLiteral("_1"));
    QCOMPARE(analgesics.Image(), QStringLiteral("bookclose"));
    QCOMPARE(analgesics.ExpandedImage(), QStringLiteral("bookopen"));
    QVERIFY(analgesics.Tag().isEmpty());
    QCOMPARE(analgesics.Children(), 0);

    QCOMPARE(spy.Windows().size(), 1);
    QCOMPARE(spy.Windows()[0].title, QStringLiteral("Loading All Classifications..."));
    QCOMPARE(spy.Windows()[0].maximum, SampleTree::kTopLevelNodes);
    QCOMPARE(spy.Windows()[0].lastValue, SampleTree::kTopLevelNodes);
    // The load does not return to the event loop, yet the window is painted once shown and the
    // bar drawn afresh as it moves.
    QVERIFY(spy.Windows()[0].windowPaints >= 1);
    QVERIFY(spy.Windows()[0].barPaints >= 1);

    // A second load from the root rebuilds the tree rather than adding to it.
    window.LoadTreeView(kRoot, QString(), false);
    QCOMPARE(tree.Count(), 1 + SampleTree::kTopLevelNodes);
}

void tst_treeload::childLoadAndLoadAll()
{
    QFETCH(QString, engine);
    const MainWindowDriver::SampleTreeRun sample(engine);
    frmPharvel window;
    KeyedTree& tree = *window.trePharvel;
    window.LoadTreeView(kRoot, QString(), false);
    ProgressWindowSpy spy;

    QCOMPARE(window.LoadTreeView(QStringLiteral("_1"), QStringLiteral("Analgesics"), false), 2);
    QCOMPARE(spy.Windows().last().title, QStringLiteral("Loading Analgesics"));
    QCOMPARE(ChildTexts(tree.Find(QStringLiteral("_1"))),
             (QStringList{QStringLiteral("Opioids"), QStringLiteral("Paracetamol")}));
    QCOMPARE(tree.Find(QStringLiteral("_1.2")).Image(), QStringLiteral("capsule"));
    QVERIFY(tree.Find(QStringLiteral("_1.2")).ExpandedImage().isEmpty());

    // Children already shown: the rows come again, add nothing and raise nothing.
    const int before = tree.Count();
    QCOMPARE(window.LoadTreeView(QStringLiteral("_1"), QStringLiteral("Analgesics"), false), 2);
    QCOMPARE(tree.Count(), before);

    QCOMPARE(window.LoadTreeView(QStringLiteral("_1.2"), QStringLiteral("Paracetamol"), false), 1);
    const TreeNode drug = tree.Find(QStringLiteral("_1.2.1"));
    QCOMPARE(drug.Image(), QStringLiteral("tablet"));
    QCOMPARE(drug.Tag(), QStringLiteral("103"));

    spy.Clear();
    QCOMPARE(window.LoadTreeView(kRoot, QStringLiteral("Loading Pharvel Structure..."), true),
             SampleTree::kNodesBelowRoot);
    QCOMPARE(tree.Count(), 1 + SampleTree::kNodesBelowRoot);
    QCOMPARE(tree.Find(QStringLiteral("_1.1.1.2")).Parent().Key(), QStringLiteral("_1.1.1"));
    QCOMPARE(tree.Find(QStringLiteral("_1.1.1.2")).Tag(), QStringLiteral("102"));
    QCOMPARE(spy.Windows().size(), 1);
    QCOMPARE(spy.Windows()[0].title, QStringLiteral("Loading Pharvel Structure..."));
    QCOMPARE(spy.Windows()[0].lastValue, SampleTree::kNodesBelowRoot);
}

void tst_treeload::emptyCatalogue()
{
    QFETCH(QString, engine);
    TestDatabase db(engine);
    LoggedInRun run(db);
    frmPharvel window;
    ProgressWindowSpy spy;

    QCOMPARE(window.LoadTreeView(kRoot, QString(), false), 0);
    QCOMPARE(window.trePharvel->Count(), 1);
    QVERIFY(window.trePharvel->Find(kRoot).Expanded());
    QVERIFY(spy.Windows().isEmpty());
}

void tst_treeload::quietLoadSkipsProgressOnce()
{
    QFETCH(QString, engine);
    const MainWindowDriver::SampleTreeRun sample(engine);
    frmPharvel window;
    ProgressWindowSpy spy;

    mdlPharvel::blnQuietLoad = true;
    QCOMPARE(window.LoadTreeView(kRoot, QString(), false), SampleTree::kTopLevelNodes);
    QVERIFY(spy.Windows().isEmpty());
    QVERIFY(!mdlPharvel::blnQuietLoad);

    // A load with no rows clears the flag as well.
    mdlPharvel::blnQuietLoad = true;
    QCOMPARE(window.LoadTreeView(QStringLiteral("_3"), QStringLiteral("Vitamins"), false), 0);
    QVERIFY(!mdlPharvel::blnQuietLoad);

    window.LoadTreeView(QStringLiteral("_2"), QStringLiteral("Antibiotics"), false);
    QCOMPARE(spy.Windows().size(), 1);
    QCOMPARE(spy.Windows()[0].title, QStringLiteral("Loading Antibiotics"));
}

void tst_treeload::nodeFound()
{
    QFETCH(QString, engine);
    const MainWindowDriver::SampleTreeRun sample(engine);
    frmPharvel window;

    QVERIFY(window.NodeFound(QStringLiteral("_1.1.1")));
    QVERIFY(window.NodeFound(kRoot));
    QVERIFY(!window.NodeFound(QStringLiteral("_1.1.9")));
    QVERIFY(!window.NodeFound(QStringLiteral(" _1")));
    QVERIFY(!window.NodeFound(QStringLiteral("_1' OR '1'='1")));

    mdlPharvel::objCurrentUser->SQLConnection()->Database().close();
    try {
        window.NodeFound(QStringLiteral("_1"));
        QFAIL("a closed connection must raise");
    } catch (const PharvelError& error) {
        QCOMPARE(error.Source(), QStringLiteral("frmPharvel.NodeFound"));
    }
}

void tst_treeload::failedLoadRemovesProgressWindow()
{
    QFETCH(QString, engine);
    const MainWindowDriver::SampleTreeRun sample(engine);
    frmPharvel window;
    window.LoadTreeView(kRoot, QString(), false);
    ProgressWindowSpy spy;

    // The catalogue still answers on its own connection; asking whether the parents exist, on
    // the user's connection, fails half-way through the load.
    mdlPharvel::objCurrentUser->SQLConnection()->Database().close();
    try {
        window.LoadTreeView(QStringLiteral("_1"), QStringLiteral("Analgesics"), false);
        QFAIL("the load must fail");
    } catch (const PharvelError& error) {
        QCOMPARE(error.Source(), QStringLiteral("frmPharvel.NodeFound"));
    }
    QCOMPARE(spy.Windows().size(), 1);
    for (QWidget* widget : QApplication::topLevelWidgets())
        QVERIFY2(!qobject_cast<frmLoad*>(widget), "the progress window outlived the load");
    QCOMPARE(window.trePharvel->Count(), 1 + SampleTree::kTopLevelNodes);
}

void tst_treeload::rowsThatAddNoNode()
{
    KeyedTree tree;
    AddRoot(tree);
    tree.Add(kRoot, QStringLiteral("_5"), QStringLiteral("Shown already"));
    tree.Add(kRoot, QStringLiteral(" _6"), QStringLiteral("Key delivered with a blank"));
    const QSet<QString> databaseKnows = {QStringLiteral("_1"), QStringLiteral("_5"),
                                         QStringLiteral("_6"), QStringLiteral("_7")};
    RowSet rows = CatalogueRows({
        {QStringLiteral("1"), QStringLiteral("  "), {}, kRoot, QStringLiteral("_2")},
        {QStringLiteral("1"), QStringLiteral(" Spaced "), {}, kRoot, QStringLiteral("_1")},
        {QStringLiteral("2"),
         QStringLiteral("Unknown parent"),
         {},
         QStringLiteral("_9"),
         QStringLiteral("_9.1")},
        {QStringLiteral("3"), QStringLiteral("Parent not in tree"), QStringLiteral("12"),
         QStringLiteral("_7"), QStringLiteral("_7.1")},
        {QStringLiteral("2"),
         QStringLiteral("Key already there"),
         {},
         QStringLiteral("_5"),
         QStringLiteral("_1")},
        {QStringLiteral("3"), QStringLiteral("Drug"), QStringLiteral("42"), QStringLiteral(" _1 "),
         QStringLiteral("_1.1")},
        {QStringLiteral("3"), QStringLiteral("Under trimmed parent"), QStringLiteral("43"),
         QStringLiteral("_1"), QStringLiteral("_1.2")},
        {QStringLiteral("9"), QStringLiteral("Unknown type"), {}, kRoot, QStringLiteral("_8")},
        {QStringLiteral("2"),
         QStringLiteral("Asked for trimmed"),
         {},
         QStringLiteral(" _6"),
         QStringLiteral(" _6.1")},
    });
    int rowsDone = 0;
    CatalogueRowLoader loader(tree, [&](const QStringList&) { return databaseKnows; });
    loader.AddRows(rows, [&rowsDone] { ++rowsDone; });

    QCOMPARE(rowsDone, 9);
    QVERIFY(!tree.Exists(QStringLiteral("_2")));
    QCOMPARE(tree.Find(QStringLiteral("_1")).Text(), QStringLiteral(" Spaced "));
    QVERIFY(!tree.Exists(QStringLiteral("_9.1")));
    QVERIFY(!tree.Exists(QStringLiteral("_7.1")));
    QCOMPARE(tree.Find(QStringLiteral("_1")).Parent().Key(), kRoot);
    // The parent is asked for trimmed but the node goes below the key as delivered, which the
    // tree does not hold.
    QVERIFY(!tree.Exists(QStringLiteral("_1.1")));
    const TreeNode drug = tree.Find(QStringLiteral("_1.2"));
    QCOMPARE(drug.Tag(), QStringLiteral("43"));
    QVERIFY(drug.ExpandedImage().isEmpty());
    QVERIFY(!tree.Exists(QStringLiteral("_8")));
    QCOMPARE(tree.Find(QStringLiteral("_5")).Text(), QStringLiteral("Shown already"));
    QVERIFY(tree.Find(QStringLiteral("_5")).Tag().isEmpty());
    QVERIFY(tree.Exists(QStringLiteral(" _6.1")));
    QCOMPARE(tree.Find(QStringLiteral(" _6.1")).Parent().Key(), QStringLiteral(" _6"));
    QCOMPARE(tree.Count(), 6);
}

void tst_treeload::duplicateTopLevelKeyEndsLoad()
{
    KeyedTree tree;
    AddRoot(tree);
    RowSet rows = CatalogueRows({
        {QStringLiteral("1"), QStringLiteral("First"), {}, kRoot, QStringLiteral("_1")},
        {QStringLiteral("1"), QStringLiteral("Second"), {}, kRoot, QStringLiteral("_1")},
        {QStringLiteral("1"), QStringLiteral("Never reached"), {}, kRoot, QStringLiteral("_2")},
    });
    int rowsDone = 0;
    CatalogueRowLoader loader(tree, [](const QStringList&) { return QSet<QString>(); });
    QVERIFY_THROWS_EXCEPTION(PharvelError, loader.AddRows(rows, [&rowsDone] { ++rowsDone; }));
    QCOMPARE(rowsDone, 1);
    QCOMPARE(tree.Find(QStringLiteral("_1")).Text(), QStringLiteral("First"));
    QVERIFY(!tree.Exists(QStringLiteral("_2")));
}

void tst_treeload::parentsAskedOnceForWholeLoad()
{
    KeyedTree tree;
    AddRoot(tree);
    tree.Add(kRoot, QStringLiteral("_1"), QStringLiteral("Top"));
    RowSet rows = CatalogueRows({
        {QStringLiteral("1"), QStringLiteral("A"), {}, kRoot, QStringLiteral("_2")},
        {QStringLiteral("2"),
         QStringLiteral("B"),
         {},
         QStringLiteral("_1"),
         QStringLiteral("_1.1")},
        {QStringLiteral("3"), QStringLiteral("C"), QStringLiteral("5"), QStringLiteral("_1.1 "),
         QStringLiteral("_1.1.1")},
        {QStringLiteral("2"),
         QStringLiteral("D"),
         {},
         QStringLiteral("_1"),
         QStringLiteral("_1.2")},
    });
    QList<QStringList> asked;
    CatalogueRowLoader loader(tree, [&asked](const QStringList& keys) {
        asked << keys;
        return QSet<QString>(keys.cbegin(), keys.cend());
    });
    loader.AddRows(rows, [] {});

    // "_1.1" is a row of the same load: only the parent from outside it is asked.
    QCOMPARE(asked, (QList<QStringList>{{QStringLiteral("_1")}}));
    QCOMPARE(tree.Count(), 5);

    // A load whose rows stand under the root or under its own rows, as a whole load's do, asks
    // nothing.
    KeyedTree other;
    AddRoot(other);
    RowSet topLevel =
        CatalogueRows({{QStringLiteral("1"), QStringLiteral("A"), {}, kRoot, QStringLiteral("_1")},
                       {QStringLiteral("2"),
                        QStringLiteral("B"),
                        {},
                        QStringLiteral("_1"),
                        QStringLiteral("_1.1")}});
    CatalogueRowLoader quiet(other, [](const QStringList&) -> QSet<QString> {
        throw PharvelError(0, QStringLiteral("asked"), QStringLiteral("test"));
    });
    quiet.AddRows(topLevel, [] {});
    QCOMPARE(other.Count(), 3);
}

void tst_treeload::nextNodeKeySequences()
{
    struct Case
    {
        QString parent;
        qint16 count;
        QStringList existing;
        QStringList expectedAsked;
    };
    const QList<Case> cases = {
        {kRoot, 3, {}, {QStringLiteral("_3")}},
        {QStringLiteral("_2"),
         2,
         {QStringLiteral("_2.1"), QStringLiteral("_2.2")},
         {QStringLiteral("_2.2"), QStringLiteral("_2.1"), QStringLiteral("_2.1"),
          QStringLiteral("_2.2"), QStringLiteral("_2.3")}},
        {QStringLiteral("_2"),
         2,
         {QStringLiteral("_2.1"), QStringLiteral("_2.3")},
         {QStringLiteral("_2.2")}},
        {QStringLiteral("_4.1"),
         0,
         {QStringLiteral("_4.1.1")},
         {QStringLiteral("_4.1.1"), QStringLiteral("_4.1.2")}},
        {kRoot,
         1,
         {QStringLiteral("_1")},
         {QStringLiteral("_1"), QStringLiteral("_1"), QStringLiteral("_2")}},
    };
    for (const Case& c : cases) {
        QStringList asked;
        const QString key = mdlPharvel::NextNodeKey(c.parent, c.count, [&](const QString& k) {
            asked << k;
            return c.existing.contains(k);
        });
        QCOMPARE(asked, c.expectedAsked);
        QCOMPARE(key, c.expectedAsked.last());
    }

    // Every number taken: a clear overflow, not a key beyond the limit.
    try {
        mdlPharvel::NextNodeKey(QStringLiteral("_1"), 32767, [](const QString&) { return true; });
        QFAIL("a full parent must raise");
    } catch (const PharvelError& error) {
        QCOMPARE(error.Number(), ErrorNumber::Overflow);
        QCOMPARE(error.Source(), QStringLiteral("mdlPharvel.NextNodeKey"));
    }
    QCOMPARE(
        mdlPharvel::NextNodeKey(QStringLiteral("_1"), 32767,
                                [](const QString& k) { return k != QLatin1String("_1.32767"); }),
        QStringLiteral("_1.32767"));
}

void tst_treeload::nextNodeKeyReusesGapInCatalogue()
{
    QFETCH(QString, engine);
    TestDatabase db(engine);
    SampleTree::Fill(db.Connection());
    SampleTree::AddClassification(db.Connection(), kRoot, QStringLiteral("_5"), 5,
                                  QStringLiteral("Antiseptics"));
    LoggedInRun run(db);

    // _4 was deleted: it is used again before a new highest number is taken.
    QCOMPARE(mdlPharvel::NextNodeKey(kRoot, 4), QStringLiteral("_4"));
    QCOMPARE(mdlPharvel::NextNodeKey(kRoot, 3), QStringLiteral("_4"));
    QCOMPARE(mdlPharvel::NextNodeKey(QStringLiteral("_1.1"), 1), QStringLiteral("_1.1.2"));
    QCOMPARE(mdlPharvel::NextNodeKey(QStringLiteral("_3"), 0), QStringLiteral("_3.1"));
}

QTEST_MAIN(tst_treeload)
#include "tst_treeload.moc"
