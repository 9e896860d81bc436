#include "fixtures/CatalogueInvariants.h"
#include "fixtures/TestDatabase.h"
#include "platform/db/PharvelError.h"
#include "platform/db/ScopedTransaction.h"
#include "platform/db/ServerProcedures.h"
#include "platform/db/SqlDialect.h"

#include <QTest>
#include <thread>

// The server's procedures, on every engine.
class tst_procedures : public QObject
{
    Q_OBJECT

private slots:
    void foundNodeIsExact_data() { TestDatabase::AddEngineRows(); }
    void foundNodeIsExact();
    void existingNodeKeysAnswersManyKeys_data() { TestDatabase::AddEngineRows(); }
    void existingNodeKeysAnswersManyKeys();
    void searchMatchesNamesAnywhereAnyCase_data() { TestDatabase::AddEngineRows(); }
    void searchMatchesNamesAnywhereAnyCase();
    void searchTreatsPatternLettersLiterally_data() { TestDatabase::AddEngineRows(); }
    void searchTreatsPatternLettersLiterally();
    void traceListsAncestorsTopDown_data() { TestDatabase::AddEngineRows(); }
    void traceListsAncestorsTopDown();
    void eachSessionReadsItsOwnTrace_data() { TestDatabase::AddEngineRows(); }
    void eachSessionReadsItsOwnTrace();
    void deleteGenericTakesItsDetails_data() { TestDatabase::AddEngineRows(); }
    void deleteGenericTakesItsDetails();
    void deleteGenericRefusesFiledOrUnknown_data() { TestDatabase::AddEngineRows(); }
    void deleteGenericRefusesFiledOrUnknown();
    void reportPreparationOrdersTheTree_data() { TestDatabase::AddEngineRows(); }
    void reportPreparationOrdersTheTree();
    void concurrentPreparationsStayWhole_data() { TestDatabase::AddEngineRows(); }
    void concurrentPreparationsStayWhole();
    void largeCatalogueGeneratesInTreeOrder_data() { TestDatabase::AddEngineRows(); }
    void largeCatalogueGeneratesInTreeOrder();
    void failureNamesTheProcedure_data() { TestDatabase::AddEngineRows(); }
    void failureNamesTheProcedure();
};

namespace {
void addClassification(SQLConnection& c, int id, const QString& name)
{
    c.Execute(QStringLiteral("INSERT INTO inventory.tbForClassification (ClassificationID, "
                             "ClassificationName) VALUES (?, ?)"),
              {id, name});
}

void addGeneric(SQLConnection& c, int code, const QString& name)
{
    c.Execute(QStringLiteral(
                  "INSERT INTO inventory.tbforgeneric (GenericCode, genericname) VALUES (?, ?)"),
              {code, name});
}

void addDrug(SQLConnection& c, int itemId, const QString& name)
{
    c.Execute(QStringLiteral("INSERT INTO inventory.tbinvmaster (itemid, DrugName) VALUES (?, ?)"),
              {itemId, name});
}

void addNode(SQLConnection& c, const QString& key, const QString& parent, const QString& type,
             int id)
{
    c.Execute(QStringLiteral("INSERT INTO inventory.tbPharvel (Node_Key, Node_Parent, Node_Type, "
                             "Node_ID) VALUES (?, ?, ?, ?)"),
              {key, parent, type, id});
}

// Analgesics (_1) > Paracetamol (_1.1) > PANADOL 500 (_1.1.1); Ärzteset (_10) > Ibuprofen
// (_10.1). The generic Aspirin is in the register but filed nowhere.
void addSmallTree(SQLConnection& c)
{
    addClassification(c, 1, QStringLiteral("Analgesics"));
    addClassification(c, 2, QStringLiteral("\u00C4rzteset \u0391\u039D\u03A4\u0399"));
    addGeneric(c, 1, QStringLiteral("Paracetamol"));
    addGeneric(c, 2, QStringLiteral("Ibuprofen"));
    addGeneric(c, 3, QStringLiteral("Aspirin"));
    addDrug(c, 1, QStringLiteral("PANADOL 500"));
    addNode(c, QStringLiteral("_1"), QStringLiteral("_0"), QStringLiteral("1"), 1);
    addNode(c, QStringLiteral("_1.1"), QStringLiteral("_1"), QStringLiteral("2"), 1);
    addNode(c, QStringLiteral("_1.1.1"), QStringLiteral("_1.1"), QStringLiteral("3"), 1);
    addNode(c, QStringLiteral("_10"), QStringLiteral("_0"), QStringLiteral("1"), 2);
    addNode(c, QStringLiteral("_10.1"), QStringLiteral("_10"), QStringLiteral("2"), 2);
}

// A test's database on its engine, holding the small tree.
struct SmallTree
{
    explicit SmallTree(const QString& engine) : db(engine) { addSmallTree(c); }
    TestDatabase db;
    SQLConnection& c = db.Connection();
};

QStringList column(RowSet rows, const QString& field)
{
    QStringList values;
    for (rows.MoveFirst(); !rows.AtEnd(); rows.MoveNext())
        values << rows.Text(field);
    return values;
}

QStringList trace(SQLConnection& c)
{
    return column(c.OpenRowSet(QStringLiteral("SELECT Node_Key FROM tbForTraceParent ORDER BY "
                                              "Node_Key")),
                  QStringLiteral("Node_Key"));
}

int count(SQLConnection& c, const QString& table)
{
    return c.Scalar(QStringLiteral("SELECT count(*) FROM ") + table).toInt();
}

} // namespace

void tst_procedures::foundNodeIsExact()
{
    QFETCH(QString, engine);
    SmallTree tree(engine);
    SQLConnection& c = tree.c;
    QVERIFY(ServerProcedures::For_FoundNode(c, QStringLiteral("_1.1")).RecordCount() >= 1);
    QVERIFY(ServerProcedures::For_FoundNode(c, QStringLiteral("_0")).RecordCount() >= 1);
    for (const QString& absent :
         {QStringLiteral("_1.2"), QStringLiteral("_1.1 "), QStringLiteral(" _1"),
          QStringLiteral("_1%"), QStringLiteral("_1'"), QString()})
        QCOMPARE(ServerProcedures::For_FoundNode(c, absent).RecordCount(), 0);
}

void tst_procedures::existingNodeKeysAnswersManyKeys()
{
    QFETCH(QString, engine);
    SmallTree tree(engine);
    SQLConnection& c = tree.c;
    // More keys than one statement takes, with repeats and near misses.
    QStringList asked;
    for (int i = 0; i < 1200; ++i)
        asked << QStringLiteral("_%1.%2").arg(i % 3 + 2).arg(i);
    asked << QStringLiteral("_1.1.1") << QStringLiteral("_10") << QStringLiteral("_10")
          << QStringLiteral("_10 ") << QStringLiteral("_1.1.1.") << QStringLiteral("_1.1%");
    QCOMPARE(ServerProcedures::ExistingNodeKeys(c, asked),
             (QSet<QString>{QStringLiteral("_1.1.1"), QStringLiteral("_10")}));
    QVERIFY(ServerProcedures::ExistingNodeKeys(c, {}).isEmpty());
    // Letters that spell lists are a key's own letters, not one key split in two.
    QVERIFY(ServerProcedures::ExistingNodeKeys(c, {QStringLiteral("_1.1.1,_10"),
                                                   QStringLiteral("{_10}"), QStringLiteral("_10\""),
                                                   QStringLiteral("_10\\"), QStringLiteral("NULL")})
                .isEmpty());
}

void tst_procedures::searchMatchesNamesAnywhereAnyCase()
{
    QFETCH(QString, engine);
    SmallTree tree(engine);
    SQLConnection& c = tree.c;

    RowSet rows = ServerProcedures::For_SearchNodeList(c, QStringLiteral("PARA"));
    QCOMPARE(rows.RecordCount(), 1);
    QCOMPARE(rows.Text(QStringLiteral("ItemName")), QStringLiteral("Paracetamol"));
    QCOMPARE(rows.Text(QStringLiteral("ParentName")), QStringLiteral("Analgesics"));
    QCOMPARE(rows.Text(QStringLiteral("Node_Key")), QStringLiteral("_1.1"));

    // A top-level entry has no parent name; letters beyond ASCII fold too.
    rows = ServerProcedures::For_SearchNodeList(c, QStringLiteral("\u00E4RZTESET \u03B1\u03BD"));
    QCOMPARE(rows.RecordCount(), 1);
    QCOMPARE(rows.Text(QStringLiteral("Node_Key")), QStringLiteral("_10"));
    QVERIFY(rows.IsNull(QStringLiteral("ParentName")));

    // Drug names match; a generic filed nowhere does not.
    QCOMPARE(column(ServerProcedures::For_SearchNodeList(c, QStringLiteral("dol 5")),
                    QStringLiteral("Node_Key")),
             QStringList{QStringLiteral("_1.1.1")});
    QCOMPARE(ServerProcedures::For_SearchNodeList(c, QStringLiteral("aspirin")).RecordCount(), 0);

    // An empty text lists every entry, by name (letter by letter, case folded).
    QCOMPARE(column(ServerProcedures::For_SearchNodeList(c, QString()), QStringLiteral("ItemName")),
             (QStringList{QStringLiteral("Analgesics"), QStringLiteral("Ibuprofen"),
                          QStringLiteral("PANADOL 500"), QStringLiteral("Paracetamol"),
                          QStringLiteral("\u00C4rzteset \u0391\u039D\u03A4\u0399")}));
}

void tst_procedures::searchTreatsPatternLettersLiterally()
{
    QFETCH(QString, engine);
    TestDatabase db(engine);
    SQLConnection& c = db.Connection();
    const QStringList names{QStringLiteral("100% pure"), QStringLiteral("a_b"),
                            QStringLiteral("O'Brien's [mix]\\"), QStringLiteral("aXb 1000 pure")};
    for (int i = 0; i < names.size(); ++i) {
        addGeneric(c, i + 1, names.at(i));
        addClassification(c, i + 1, QStringLiteral("Class %1").arg(i + 1));
        addNode(c, QStringLiteral("_%1").arg(i + 1), QStringLiteral("_0"), QStringLiteral("1"),
                i + 1);
        addNode(c, QStringLiteral("_%1.1").arg(i + 1), QStringLiteral("_%1").arg(i + 1),
                QStringLiteral("2"), i + 1);
    }
    const auto found = [&](const QString& text) {
        return column(ServerProcedures::For_SearchNodeList(c, text), QStringLiteral("ItemName"));
    };
    QCOMPARE(found(QStringLiteral("%")), QStringList{names.at(0)});
    QCOMPARE(found(QStringLiteral("0% p")), QStringList{names.at(0)});
    QCOMPARE(found(QStringLiteral("_")), QStringList{names.at(1)});
    QCOMPARE(found(QStringLiteral("o'brien's [MIX]\\")), QStringList{names.at(2)});
    QCOMPARE(found(QStringLiteral("'; DROP TABLE inventory.tbPharvel; --")), QStringList());
    QCOMPARE(count(c, QStringLiteral("inventory.tbPharvel")), 9);
}

void tst_procedures::traceListsAncestorsTopDown()
{
    QFETCH(QString, engine);
    SmallTree tree(engine);
    SQLConnection& c = tree.c;
    ServerProcedures::PrepareSession(c);
    QCOMPARE(trace(c), QStringList());

    ServerProcedures::For_TraceParent(c, QStringLiteral("_1.1.1"));
    QCOMPARE(trace(c),
             (QStringList{QStringLiteral("_1"), QStringLiteral("_1.1"), QStringLiteral("_1.1.1")}));
    // "_1" spells the start of "_10.1" but is not its ancestor.
    ServerProcedures::For_TraceParent(c, QStringLiteral("_10.1"));
    QCOMPARE(trace(c), (QStringList{QStringLiteral("_10"), QStringLiteral("_10.1")}));
    // A key that names no node, and the root, leave no trace behind them.
    ServerProcedures::For_TraceParent(c, QStringLiteral("_1.1.9"));
    QCOMPARE(trace(c), QStringList());
    ServerProcedures::For_TraceParent(c, QStringLiteral("_0"));
    QCOMPARE(trace(c), QStringList());
}

void tst_procedures::eachSessionReadsItsOwnTrace()
{
    QFETCH(QString, engine);
    SmallTree tree(engine);
    auto first = tree.db.OpenAnother();
    auto second = tree.db.OpenAnother();
    auto third = tree.db.OpenAnother();
    ServerProcedures::For_TraceParent(*first, QStringLiteral("_1.1.1"));
    ServerProcedures::For_TraceParent(*second, QStringLiteral("_10.1"));
    ServerProcedures::PrepareSession(*third);
    QCOMPARE(trace(*first),
             (QStringList{QStringLiteral("_1"), QStringLiteral("_1.1"), QStringLiteral("_1.1.1")}));
    QCOMPARE(trace(*second), (QStringList{QStringLiteral("_10"), QStringLiteral("_10.1")}));
    QCOMPARE(trace(*third), QStringList());
}

void tst_procedures::deleteGenericTakesItsDetails()
{
    QFETCH(QString, engine);
    SmallTree tree(engine);
    SQLConnection& c = tree.c;
    c.Execute(QStringLiteral("INSERT INTO inventory.tbPharvelOtherDetails VALUES (?, ?)"),
              {3, QStringLiteral("Not for children under 16.")});
    ServerProcedures::Delete_Generic(c, 3);
    QCOMPARE(c.Scalar(QStringLiteral("SELECT count(*) FROM inventory.tbforgeneric WHERE "
                                     "GenericCode = ?"),
                      {3})
                 .toInt(),
             0);
    QCOMPARE(count(c, QStringLiteral("inventory.tbPharvelOtherDetails")), 0);
    QCOMPARE(count(c, QStringLiteral("inventory.tbforgeneric")), 2);
}

void tst_procedures::deleteGenericRefusesFiledOrUnknown()
{
    QFETCH(QString, engine);
    SmallTree tree(engine);
    SQLConnection& c = tree.c;
    // The refusal names the generic name by its name, never by its code alone.
    const QList<std::pair<int, QString>> refusals = {
        {1, QStringLiteral("The generic name \"Paracetamol\" is still filed")},
        {99, QStringLiteral("The generic name is no longer in the register")}};
    for (const auto& [code, says] : refusals) {
        try {
            ServerProcedures::Delete_Generic(c, code);
            QFAIL("the generic name was deleted");
        } catch (const PharvelError& error) {
            QCOMPARE(error.Number(), ErrorNumber::Refused);
            QCOMPARE(error.Source(), QStringLiteral("Delete_Generic"));
            QVERIFY2(error.Description().startsWith(says), qPrintable(error.Description()));
        }
    }
    QCOMPARE(count(c, QStringLiteral("inventory.tbforgeneric")), 3);
    QCOMPARE(count(c, QStringLiteral("inventory.tbPharvel")), 6);
}

void tst_procedures::reportPreparationOrdersTheTree()
{
    QFETCH(QString, engine);
    TestDatabase db(engine);
    SQLConnection& c = db.Connection();
    // Keys and names in opposite orders, letter case mixed, so that neither decides alone.
    addClassification(c, 1, QStringLiteral("beta"));
    addClassification(c, 2, QStringLiteral("Alpha"));
    addClassification(c, 3, QStringLiteral("Sub"));
    addGeneric(c, 1, QStringLiteral("zinc"));
    addGeneric(c, 2, QStringLiteral("Iron"));
    addDrug(c, 7, QStringLiteral("b tablet"));
    addDrug(c, 8, QStringLiteral("A syrup"));
    addDrug(c, 9, QStringLiteral("Lonely drug"));
    c.Execute(QStringLiteral("INSERT INTO inventory.tbPharvelOtherDetails VALUES (?, ?)"),
              {1, QStringLiteral("Take with food.")});
    addNode(c, QStringLiteral("_1"), QStringLiteral("_0"), QStringLiteral("1"), 1);
    addNode(c, QStringLiteral("_2"), QStringLiteral("_0"), QStringLiteral("1"), 2);
    addNode(c, QStringLiteral("_1.1"), QStringLiteral("_1"), QStringLiteral("2"), 1);
    addNode(c, QStringLiteral("_1.2"), QStringLiteral("_1"), QStringLiteral("1"), 3);
    addNode(c, QStringLiteral("_1.2.1"), QStringLiteral("_1.2"), QStringLiteral("2"), 2);
    addNode(c, QStringLiteral("_1.1.1"), QStringLiteral("_1.1"), QStringLiteral("3"), 7);
    addNode(c, QStringLiteral("_1.1.2"), QStringLiteral("_1.1"), QStringLiteral("3"), 8);

    for (int run = 0; run < 2; ++run) { // a second preparation replaces the first
        ServerProcedures::Pharvel_Generate(c, ServerProcedures::Pharvel_NodeLevel(c));
    }
    RowSet levels = c.OpenRowSet(QStringLiteral(
        "SELECT Node_Key, Node_Level FROM inventory.tbPharvelNodeLevel ORDER BY Node_Key"));
    QCOMPARE(column(levels, QStringLiteral("Node_Key")),
             (QStringList{QStringLiteral("_1"), QStringLiteral("_1.1"), QStringLiteral("_1.1.1"),
                          QStringLiteral("_1.1.2"), QStringLiteral("_1.2"),
                          QStringLiteral("_1.2.1"), QStringLiteral("_2")}));
    QCOMPARE(column(levels, QStringLiteral("Node_Level")),
             (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                          QStringLiteral("3"), QStringLiteral("2"), QStringLiteral("3"),
                          QStringLiteral("1")}));

    RowSet report = c.OpenRowSet(
        QStringLiteral("SELECT SortOrder, Node_Key, Node_Level, Node_Type, ItemName, ItemCode, "
                       "OtherDetails FROM inventory.tbPharvelReport ORDER BY SortOrder"));
    QCOMPARE(column(report, QStringLiteral("SortOrder")),
             (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                          QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("6"),
                          QStringLiteral("7")}));
    QCOMPARE(column(report, QStringLiteral("ItemName")),
             (QStringList{QStringLiteral("Alpha"), QStringLiteral("beta"), QStringLiteral("Sub"),
                          QStringLiteral("Iron"), QStringLiteral("zinc"), QStringLiteral("A syrup"),
                          QStringLiteral("b tablet")}));
    QCOMPARE(column(report, QStringLiteral("Node_Level")),
             (QStringList{QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("2"),
                          QStringLiteral("3"), QStringLiteral("2"), QStringLiteral("3"),
                          QStringLiteral("3")}));
    QCOMPARE(column(report, QStringLiteral("Node_Type")),
             (QStringList{QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("1"),
                          QStringLiteral("2"), QStringLiteral("2"), QStringLiteral("3"),
                          QStringLiteral("3")}));
    QCOMPARE(column(report, QStringLiteral("ItemCode")),
             (QStringList{QString(), QString(), QString(), QString(), QString(),
                          QStringLiteral("8"), QStringLiteral("7")}));
    QCOMPARE(column(report, QStringLiteral("OtherDetails")),
             (QStringList{QString(), QString(), QString(), QString(),
                          QStringLiteral("Take with food."), QString(), QString()}));

    RowSet unfiled = c.OpenRowSet(
        QStringLiteral("SELECT itemid, DrugName, Description FROM inventory.vwDrugsWithNoGeneric"));
    QCOMPARE(column(unfiled, QStringLiteral("DrugName")),
             QStringList{QStringLiteral("Lonely drug")});
}

void tst_procedures::concurrentPreparationsStayWhole()
{
    QFETCH(QString, engine);
    TestDatabase db(engine);
    SQLConnection& c = db.Connection();
    {
        ScopedTransaction transaction(c);
        for (int i = 1; i <= 300; ++i) {
            addClassification(c, i, QStringLiteral("Class %1").arg(i));
            addNode(c, QStringLiteral("_%1").arg(i), QStringLiteral("_0"), QStringLiteral("1"), i);
        }
        transaction.Commit();
    }
    // A preparation of a session gone two days ago goes with the next preparation's start.
    {
        auto gone = db.OpenAnother();
        ServerProcedures::Pharvel_Generate(*gone, ServerProcedures::Pharvel_NodeLevel(*gone));
    }
    c.Execute(QStringLiteral("UPDATE inventory.tbReportPreparation SET PreparedAt = %1")
                  .arg(SqlDialect::TimeParameter(c)),
              {SqlDialect::BoundTime(c, QDateTime::currentDateTimeUtc().addDays(-2))});
    // Two pharmacists prepare the reports at the same moment, several times over.
    QString failures[2];
    {
        std::jthread users[2];
        for (int u = 0; u < 2; ++u) {
            users[u] = std::jthread([&db, &failures, u] {
                try {
                    auto connection = db.OpenAnother();
                    for (int run = 0; run < 4; ++run) {
                        ServerProcedures::Pharvel_Generate(
                            *connection, ServerProcedures::Pharvel_NodeLevel(*connection));
                    }
                } catch (const PharvelError& error) {
                    failures[u] = QString::fromUtf8(error.what());
                }
            });
        }
    }
    QVERIFY2(failures[0].isEmpty(), qPrintable(failures[0]));
    QVERIFY2(failures[1].isEmpty(), qPrintable(failures[1]));
    // Each user's last preparation is left, whole, and nothing of the old one.
    QCOMPARE(PreparationSizes(c, QStringLiteral("inventory.tbPharvelNodeLevel")),
             QList<int>(2, 300));
    QCOMPARE(PreparationSizes(c, QStringLiteral("inventory.tbPharvelReport")), QList<int>(2, 300));
}

void tst_procedures::largeCatalogueGeneratesInTreeOrder()
{
    QFETCH(QString, engine);
    TestDatabase db(engine);
    SQLConnection& c = db.Connection();
    // 100 classifications, 10 generic names in each, 31 drugs under each generic name: 32,100
    // nodes, written by the server itself so that the set-up costs no round trip a row.
    const QString numbers = QStringLiteral("WITH RECURSIVE n (i) AS (SELECT 1 UNION ALL "
                                           "SELECT i + 1 FROM n WHERE i < 31000) ");
    {
        ScopedTransaction transaction(c);
        for (const QString& statement :
             {QStringLiteral("INSERT INTO inventory.tbForClassification (ClassificationID, "
                             "ClassificationName) %1 SELECT i, 'Class ' || CAST(i AS TEXT) "
                             "FROM n WHERE i <= 100"),
              QStringLiteral("INSERT INTO inventory.tbforgeneric (GenericCode, genericname) %1 "
                             "SELECT i, 'Generic ' || CAST(i AS TEXT) FROM n WHERE i <= 1000"),
              QStringLiteral("INSERT INTO inventory.tbinvmaster (itemid, DrugName) %1 "
                             "SELECT i, 'Drug ' || CAST(i AS TEXT) FROM n"),
              QStringLiteral("INSERT INTO inventory.tbPharvel (Node_Key, Node_Parent, "
                             "Node_Type, Node_ID) %1 SELECT '_' || CAST(i AS TEXT), '_0', "
                             "'1', i FROM n WHERE i <= 100"),
              QStringLiteral("INSERT INTO inventory.tbPharvel (Node_Key, Node_Parent, "
                             "Node_Type, Node_ID) %1 SELECT '_' || CAST((i - 1) / 10 + 1 AS "
                             "TEXT) || '.' || CAST((i - 1) % 10 + 1 AS TEXT), '_' || "
                             "CAST((i - 1) / 10 + 1 AS TEXT), '2', i FROM n WHERE i <= 1000"),
              QStringLiteral(
                  "INSERT INTO inventory.tbPharvel (Node_Key, Node_Parent, Node_Type, Node_ID) "
                  "%1 SELECT '_' || CAST((g - 1) / 10 + 1 AS TEXT) || '.' || CAST((g - 1) % 10 "
                  "+ 1 AS TEXT) || '.' || CAST(d AS TEXT), '_' || CAST((g - 1) / 10 + 1 AS "
                  "TEXT) || '.' || CAST((g - 1) % 10 + 1 AS TEXT), '3', i FROM (SELECT i, "
                  "(i - 1) / 31 + 1 AS g, (i - 1) % 31 + 1 AS d FROM n) AS drugs")})
            c.Execute(statement.arg(numbers));
        transaction.Commit();
    }
    QCOMPARE(count(c, QStringLiteral("inventory.tbPharvel")), 32101);

    ServerProcedures::Pharvel_Generate(c, ServerProcedures::Pharvel_NodeLevel(c));
    QCOMPARE(count(c, QStringLiteral("inventory.tbPharvelReport")), 32100);
    QCOMPARE(c.Scalar(QStringLiteral("SELECT Node_Key FROM inventory.tbPharvelReport "
                                     "WHERE SortOrder = ?"),
                      {32100})
                 .toString(),
             QStringLiteral("_99.10.31")); // "Class 99", "Generic 990", "Drug 30690"
}

void tst_procedures::failureNamesTheProcedure()
{
    QFETCH(QString, engine);
    TestDatabase db(engine);
    SQLConnection& c = db.Connection();
    addClassification(c, 1, QStringLiteral("Only"));
    addNode(c, QStringLiteral("_1"), QStringLiteral("_0"), QStringLiteral("1"), 1);
    const ReportPreparation::Id preparation = ServerProcedures::Pharvel_NodeLevel(c);
    c.Execute(QStringLiteral("DROP TABLE inventory.tbPharvelReport"));
    try {
        ServerProcedures::Pharvel_Generate(c, preparation);
        QFAIL("the report was prepared without its table");
    } catch (const PharvelError& error) {
        QCOMPARE(error.Source(), QStringLiteral("Pharvel_Generate"));
    }
    QVERIFY(!c.InTransaction());
    // The connection carries on after the failure.
    QCOMPARE(ServerProcedures::For_FoundNode(c, QStringLiteral("_0")).RecordCount(), 1);
}

QTEST_GUILESS_MAIN(tst_procedures)
#include "tst_procedures.moc"
