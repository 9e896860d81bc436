#include "fixtures/SampleCatalogue.h"
#include "fixtures/TestDatabase.h"
#include "platform/catalog/Pharvel.h"
#include "platform/db/ConnectionString.h"
#include "platform/db/PharvelError.h"

#include <QElapsedTimer>
#include <QSet>
#include <QTest>
#include <QUuid>

#include <functional>
#include <latch>
#include <mutex>
#include <thread>

using ClassPharvel::Pharvel;

namespace {
const QString kRoot = QStringLiteral("_0");

// Runs a call that must fail and gives its error (the test fails when it does not throw).
std::optional<PharvelError> failureOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const PharvelError& error) {
        return error;
    }
    return std::nullopt;
}

#define QCOMPARE_FAILURE(call, number, source)                                                    \
    do {                                                                                         \
        const std::optional<PharvelError> failure = failureOf([&] { call; });                    \
        QVERIFY2(failure.has_value(), "no error was raised by " #call);                          \
        QVERIFY2(failure->Number() == (number), failure->what());                                \
        QCOMPARE(failure->Source(), QStringLiteral(source));                                     \
        QVERIFY(!failure->Description().isEmpty());                                              \
    } while (false)

QStringList texts(std::initializer_list<const char*> items)
{
    QStringList result;
    for (const char* item : items)
        result << QString::fromUtf8(item);
    return result;
}

QStringList column(const RowSet& rows, const QString& field)
{
    QStringList values;
    const int c = rows.ColumnIndex(field);
    for (int r = 0; r < rows.RecordCount(); ++r)
        values << rows.At(r, c).toString();
    return values;
}

int count(SQLConnection& connection, const QString& sql, const QVariantList& values = {})
{
    return connection.Scalar(sql, values).toInt();
}

int nodeCount(SQLConnection& connection)
{
    return count(connection, QStringLiteral("SELECT count(*) FROM inventory.tbPharvel"));
}

// A sample catalogue and a component connected to it with every right.
struct Catalogue
{
    explicit Catalogue(const QString& engine) : db(engine), sample(db.Connection())
    {
        sample.Build();
        SampleCatalogue::AllowWrites(db.Connection(), db.ConnectionString());
        if (!pharvel.Connect(db.ConnectionString()))
            qFatal("cannot connect: %s", qPrintable(pharvel.LastError()));
    }
    SQLConnection& sql() { return db.Connection(); }

    TestDatabase db;
    SampleCatalogue sample;
    Pharvel pharvel;
};

// A server login role of its own for one test, dropped when the test is over. It must be made
// before the test's database and go after it, since the database holds its privileges.
class LoginRole
{
public:
    LoginRole()
        : m_name(QStringLiteral("pharvel_bb_") +
                 QUuid::createUuid().toString(QUuid::Id128).left(12))
    {
        Server()->Execute(QStringLiteral("CREATE ROLE %1 LOGIN").arg(m_name));
    }
    ~LoginRole() { Server()->Execute(QStringLiteral("DROP ROLE IF EXISTS %1").arg(m_name)); }
    void GrantCatalogue(SQLConnection& database)
    {
        database.Execute(
            QStringLiteral("GRANT USAGE ON SCHEMA inventory, patient_data TO %1").arg(m_name));
        database.Execute(QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN "
                                        "SCHEMA inventory, patient_data TO %1")
                             .arg(m_name));
    }
    const QString& Name() const { return m_name; }

private:
    static std::unique_ptr<SQLConnection> Server()
    {
        return SQLConnection::Open(qEnvironmentVariable("PHARVEL_TEST_PG"));
    }
    QString m_name;
};
} // namespace

// The catalogue component against a real database on every engine.
class tst_catalog : public QObject
{
    Q_OBJECT

private slots:
    void connectFailureIsReported();
    void treeLoadsInTreeOrder_data() { TestDatabase::AddEngineRows(); }
    void treeLoadsInTreeOrder();
    void fullLoadOfLargeCatalogue_data() { TestDatabase::AddEngineRows(); }
    void fullLoadOfLargeCatalogue();
    void searchNodeMovesOnlyOnSuccess_data() { TestDatabase::AddEngineRows(); }
    void searchNodeMovesOnlyOnSuccess();
    void classificationWrites_data() { TestDatabase::AddEngineRows(); }
    void classificationWrites();
    void genericGridsAndSearch_data() { TestDatabase::AddEngineRows(); }
    void genericGridsAndSearch();
    void genericFilingMovesAndRefuses_data() { TestDatabase::AddEngineRows(); }
    void genericFilingMovesAndRefuses();
    void registerKeepsNamesExactly_data() { TestDatabase::AddEngineRows(); }
    void registerKeepsNamesExactly();
    void drugGridsAndFilters_data() { TestDatabase::AddEngineRows(); }
    void drugGridsAndFilters();
    void drugFilingMovesAndRefuses_data() { TestDatabase::AddEngineRows(); }
    void drugFilingMovesAndRefuses();
    void viewOnlyUsersCannotWrite_data() { TestDatabase::AddEngineRows(); }
    void viewOnlyUsersCannotWrite();
    void sameKeyTakenAtTheSameMoment_data() { TestDatabase::AddEngineRows(); }
    void sameKeyTakenAtTheSameMoment();
};

void tst_catalog::connectFailureIsReported()
{
    Pharvel pharvel;
    QVERIFY(!pharvel.Connect(QStringLiteral("/nonexistent/pharvel-catalogue")));
    QVERIFY(!pharvel.IsConnected());
    QVERIFY(pharvel.LastError().contains(QLatin1String("does not exist")));
    QVERIFY(!pharvel.Connect(QStringLiteral("  ")));
    QCOMPARE_FAILURE(pharvel.LoadClassifications(kRoot, false), ErrorNumber::ConnectionFailed,
                     "Pharvel.LoadClassifications");
    QCOMPARE_FAILURE(pharvel.NodePharvel().SearchNode(kRoot), ErrorNumber::ConnectionFailed,
                     "Pharvel.SearchNode");
}

void tst_catalog::treeLoadsInTreeOrder()
{
    QFETCH(QString, engine);
    Catalogue c(engine);
    // A key that starts like _1 but lies elsewhere must not count as below _1.
    c.sample.AddClassification(QStringLiteral("_10"), QStringLiteral("Zeta"));

    RowSet top = c.pharvel.LoadClassifications(kRoot, false);
    QCOMPARE(top.FieldNames(), texts({"node_type", "ClassificationName", "GenericName",
                                            "DrugName", "ItemID", "Node_Parent", "Node_Key"}));
    // Letter case does not order: "antibiotics" comes between "Analgesics" and "Empty Class".
    QCOMPARE(column(top, QStringLiteral("Node_Key")), texts({"_1", "_2", "_3", "_10"}));
    QCOMPARE(column(top, QStringLiteral("ClassificationName")).at(1), QStringLiteral("antibiotics"));

    // Classifications come before generic names under one parent.
    RowSet analgesics = c.pharvel.LoadClassifications(QStringLiteral("_1"), false);
    QCOMPARE(column(analgesics, QStringLiteral("Node_Key")), texts({"_1.1", "_1.2"}));
    QCOMPARE(column(analgesics, QStringLiteral("node_type")), texts({"1", "2"}));
    QCOMPARE(column(analgesics, QStringLiteral("GenericName")).at(1), QStringLiteral("Paracetamol"));

    RowSet all = c.pharvel.LoadClassifications(kRoot, true);
    QCOMPARE(column(all, QStringLiteral("Node_Key")),
             texts({"_1", "_1.1", "_1.1.1", "_1.1.1.1", "_1.2", "_1.2.2", "_1.2.1", "_2",
                          "_2.1", "_3", "_10"}));
    const int calpolRow = 5;
    QCOMPARE(all.At(calpolRow, all.ColumnIndex(QStringLiteral("DrugName"))).toString(),
             QStringLiteral("CALPOL 120MG/5ML SYRUP"));
    QCOMPARE(all.At(calpolRow, all.ColumnIndex(QStringLiteral("ItemID"))).toInt(), c.sample.calpol);
    QCOMPARE(all.At(calpolRow, all.ColumnIndex(QStringLiteral("Node_Parent"))).toString(),
             QStringLiteral("_1.2"));

    QCOMPARE(column(c.pharvel.LoadClassifications(QStringLiteral("_1"), true),
                    QStringLiteral("Node_Key")),
             texts({"_1.1", "_1.1.1", "_1.1.1.1", "_1.2", "_1.2.2", "_1.2.1"}));
    QCOMPARE(c.pharvel.LoadClassifications(QStringLiteral("_3"), true).RecordCount(), 0);
    QCOMPARE(c.pharvel.LoadClassifications(QStringLiteral("_9"), false).RecordCount(), 0);
}

void tst_catalog::fullLoadOfLargeCatalogue()
{
    QFETCH(QString, engine);
    TestDatabase db(engine);
    SampleCatalogue(db.Connection()).AddBulk(100, 10, 30);
    Pharvel pharvel;
    QVERIFY(pharvel.Connect(db.ConnectionString()));

    QElapsedTimer timer;
    timer.start();
    RowSet all = pharvel.LoadClassifications(kRoot, true);
    const qint64 elapsed = timer.elapsed();
    qInfo() << engine << "full load of" << all.RecordCount() << "nodes in" << elapsed << "ms";
    QCOMPARE(all.RecordCount(), 100 + 1000 + 30000);
    QVERIFY2(elapsed < 1000, qPrintable(QString::number(elapsed)));

    QSet<QString> seen{kRoot};
    const int parent = all.ColumnIndex(QStringLiteral("Node_Parent"));
    const int key = all.ColumnIndex(QStringLiteral("Node_Key"));
    for (int r = 0; r < all.RecordCount(); ++r) {
        QVERIFY2(seen.contains(all.At(r, parent).toString()), qPrintable(all.At(r, key).toString()));
        seen.insert(all.At(r, key).toString());
    }
}

void tst_catalog::searchNodeMovesOnlyOnSuccess()
{
    QFETCH(QString, engine);
    Catalogue c(engine);
    auto& node = c.pharvel.NodePharvel();
    QVERIFY(node.Node_Key().isEmpty());

    QVERIFY(node.SearchNode(QStringLiteral("_1.2")));
    QCOMPARE(node.node_type(), QStringLiteral("2"));
    QCOMPARE(node.NameOfNode(), QStringLiteral("Paracetamol"));
    QCOMPARE(node.Node_ID(), c.sample.paracetamol);

    QVERIFY(!node.SearchNode(QStringLiteral("_1.9")));
    QCOMPARE(node.Node_Key(), QStringLiteral("_1.2"));
    QCOMPARE(node.NameOfNode(), QStringLiteral("Paracetamol"));

    QVERIFY(node.SearchNode(QStringLiteral("_1.2.2")));
    QCOMPARE(node.node_type(), QStringLiteral("3"));
    QCOMPARE(node.Node_ID(), c.sample.calpol);
    QVERIFY(node.SearchNode(kRoot));
    QCOMPARE(node.node_type(), QStringLiteral("0"));
}

void tst_catalog::classificationWrites()
{
    QFETCH(QString, engine);
    Catalogue c(engine);
    auto& classifications = c.pharvel.Classifications();
    auto& node = c.pharvel.NodePharvel();
    const QString oddName = QStringLiteral("  O'Brien's \u0410\u043D\u0430\u043B\u044C\u0433\u0435\u0442\u0438\u043A\u0438 \u4E2D\u6587");

    QVERIFY(classifications.AddClassification(kRoot, QStringLiteral("_4"), oddName, 0));
    QVERIFY(node.SearchNode(QStringLiteral("_4")));
    QCOMPARE(node.NameOfNode(), oddName);
    QCOMPARE(node.node_type(), QStringLiteral("1"));
    QVERIFY(node.Node_ID() != c.sample.emptyClass);
    QVERIFY(classifications.AddClassification(QStringLiteral("_4"), QStringLiteral("_4.1"),
                                              QStringLiteral("Sub"), 0));

    // Each refusal leaves nothing behind: no node and no classification row.
    const int nodes = nodeCount(c.sql());
    const int rows = count(c.sql(), QStringLiteral("SELECT count(*) FROM inventory.tbForClassification"));
    QCOMPARE_FAILURE(classifications.AddClassification(QStringLiteral("_1.2"), QStringLiteral("_1.2.9"),
                                                       QStringLiteral("Under a generic"), 0),
                     ErrorNumber::Refused, "Pharvel.AddClassification");
    QCOMPARE_FAILURE(classifications.AddClassification(QStringLiteral("_8"), QStringLiteral("_8.1"),
                                                       QStringLiteral("No parent"), 0),
                     ErrorNumber::Refused, "Pharvel.AddClassification");
    QCOMPARE_FAILURE(classifications.AddClassification(QStringLiteral("_1"), QStringLiteral("_5"),
                                                       QStringLiteral("Key elsewhere"), 0),
                     ErrorNumber::Refused, "Pharvel.AddClassification");
    QCOMPARE_FAILURE(classifications.AddClassification(kRoot, QStringLiteral("_2"),
                                                       QStringLiteral("Key taken"), 0),
                     ErrorNumber::ConstraintViolated, "Pharvel.AddClassification");
    QCOMPARE_FAILURE(classifications.AddClassification(kRoot, QStringLiteral("_6"),
                                                       QStringLiteral("   "), 0),
                     ErrorNumber::Refused, "Pharvel.AddClassification");
    QCOMPARE(nodeCount(c.sql()), nodes);
    QCOMPARE(count(c.sql(), QStringLiteral("SELECT count(*) FROM inventory.tbForClassification")), rows);

    QVERIFY(classifications.RenameClassification(QStringLiteral("_2"), oddName + QLatin1Char(' ')));
    QVERIFY(node.SearchNode(QStringLiteral("_2")));
    QCOMPARE(node.NameOfNode(), oddName + QLatin1Char(' '));
    QCOMPARE_FAILURE(classifications.RenameClassification(QStringLiteral("_1.2"), QStringLiteral("x")),
                     ErrorNumber::Refused, "Pharvel.RenameClassification");
    QVERIFY(!classifications.RenameClassification(QStringLiteral("_7"), QStringLiteral("x")));

    // A node that holds anything, whatever a tree has loaded of it, stays.
    QCOMPARE_FAILURE(classifications.DeleteClassification(QStringLiteral("_1")), ErrorNumber::Refused,
                     "Pharvel.DeleteClassification");
    QCOMPARE_FAILURE(classifications.DeleteClassification(QStringLiteral("_4")), ErrorNumber::Refused,
                     "Pharvel.DeleteClassification");
    c.sample.AddGeneric(QStringLiteral("Filed by another desk"), QStringLiteral("_3.1"));
    QCOMPARE_FAILURE(classifications.DeleteClassification(QStringLiteral("_3")), ErrorNumber::Refused,
                     "Pharvel.DeleteClassification");
    QCOMPARE_FAILURE(classifications.DeleteClassification(QStringLiteral("_2.1")), ErrorNumber::Refused,
                     "Pharvel.DeleteClassification");

    QVERIFY(classifications.DeleteClassification(QStringLiteral("_4.1")));
    QVERIFY(!node.SearchNode(QStringLiteral("_4.1")));
    QCOMPARE(count(c.sql(), QStringLiteral("SELECT count(*) FROM inventory.tbForClassification "
                                           "WHERE ClassificationName = ?"),
                   {QStringLiteral("Sub")}),
             0);
    QVERIFY(!classifications.DeleteClassification(QStringLiteral("_4.1")));
}

void tst_catalog::genericGridsAndSearch()
{
    QFETCH(QString, engine);
    Catalogue c(engine);
    auto& classifications = c.pharvel.Classifications();
    c.sample.AddGeneric(QStringLiteral("50% Dextrose"));
    c.sample.AddGeneric(QStringLiteral("Glucose_5"));
    const QString cyrillic = QStringLiteral("\u0410\u0441\u043F\u0438\u0440\u0438\u043D");

    c.sample.AddGeneric(cyrillic);
    RowSet other = classifications.OtherGenerics(c.sample.analgesics, 1, QString());
    QCOMPARE(other.FieldNames(), texts({"Generic Name", "Node Key", "Code",
                                              "Classification ID", "Classification"}));
    QCOMPARE(column(other, QStringLiteral("Generic Name")),
             texts({"50% Dextrose", "Amoxicillin", "Glucose_5", "Ibuprofen", "Morphine"}) << cyrillic);
    QCOMPARE(column(other, QStringLiteral("Classification")),
             texts({"no classification", "antibiotics", "no classification",
                          "no classification", "Opioids", "no classification"}));
    QCOMPARE(other.At(1, 2).toInt(), c.sample.amoxicillin);
    QCOMPARE(other.At(1, 1).toString(), QStringLiteral("_2.1"));
    QCOMPARE(other.At(1, 3).toInt(), c.sample.antibiotics);

    RowSet under = classifications.LoadGenerics(c.sample.analgesics, 1, QString());
    QCOMPARE(column(under, QStringLiteral("Generic Name")), texts({"Paracetamol"}));
    QCOMPARE(column(under, QStringLiteral("Classification")), texts({"Analgesics"}));
    QCOMPARE(classifications.LoadGenerics(c.sample.emptyClass, 1, QString()).RecordCount(), 0);

    // Search: anywhere in the name, letter case ignored in any script, wildcards literal.
    QCOMPARE(column(classifications.OtherGenerics(c.sample.analgesics, 1, QStringLiteral("PHIN")),
                    QStringLiteral("Generic Name")),
             texts({"Morphine"}));
    QCOMPARE(column(classifications.OtherGenerics(c.sample.analgesics, 1, QStringLiteral("%")),
                    QStringLiteral("Generic Name")),
             texts({"50% Dextrose"}));
    QCOMPARE(column(classifications.OtherGenerics(c.sample.analgesics, 1, QStringLiteral("_")),
                    QStringLiteral("Generic Name")),
             texts({"Glucose_5"}));
    QCOMPARE(column(classifications.OtherGenerics(c.sample.analgesics, 1, cyrillic.toUpper()),
                    QStringLiteral("Generic Name")),
             QStringList{cyrillic});
    QCOMPARE(classifications.LoadGenerics(c.sample.analgesics, 1, QStringLiteral("PARA")).RecordCount(), 1);
    QCOMPARE(classifications.LoadGenerics(c.sample.analgesics, 1, QStringLiteral("x")).RecordCount(), 0);

    QCOMPARE_FAILURE(classifications.OtherGenerics(40000, 1, QString()), ErrorNumber::Overflow,
                     "Pharvel.OtherGenerics");
}

void tst_catalog::genericFilingMovesAndRefuses()
{
    QFETCH(QString, engine);
    Catalogue c(engine);
    auto& generics = c.pharvel.Generics();

    QVERIFY(!generics.SearchGeneric(c.sample.ibuprofen));
    QVERIFY(generics.NodeKey().isEmpty());
    QVERIFY(generics.AddGeneric(QStringLiteral("_3"), QStringLiteral("_3.1"), QStringLiteral("ignored"),
                                c.sample.ibuprofen));
    QVERIFY(generics.SearchGeneric(c.sample.ibuprofen));
    QCOMPARE(generics.NodeKey(), QStringLiteral("_3.1"));
    c.pharvel.NodePharvel().SearchNode(QStringLiteral("_3.1"));
    QCOMPARE(c.pharvel.NodePharvel().NameOfNode(), QStringLiteral("Ibuprofen"));

    // A move takes the old node away in the same change.
    QVERIFY(generics.AddGeneric(QStringLiteral("_1"), QStringLiteral("_1.3"), QString(), c.sample.ibuprofen));
    QVERIFY(generics.SearchGeneric(c.sample.ibuprofen));
    QCOMPARE(generics.NodeKey(), QStringLiteral("_1.3"));
    QVERIFY(!c.pharvel.NodePharvel().SearchNode(QStringLiteral("_3.1")));

    // Paracetamol holds drugs: neither moved nor taken out, and nothing is half done.
    const int nodes = nodeCount(c.sql());
    QCOMPARE_FAILURE(generics.AddGeneric(QStringLiteral("_2"), QStringLiteral("_2.2"), QString(),
                                         c.sample.paracetamol),
                     ErrorNumber::Refused, "Pharvel.AddGeneric");
    QVERIFY(generics.SearchGeneric(c.sample.paracetamol));
    QCOMPARE(generics.NodeKey(), QStringLiteral("_1.2"));
    QCOMPARE_FAILURE(generics.DeleteGeneric(QString::number(c.sample.paracetamol)),
                     ErrorNumber::Refused, "Pharvel.DeleteGeneric");
    // A key already taken fails after the old node was removed; the removal is undone.
    QCOMPARE_FAILURE(generics.AddGeneric(QStringLiteral("_2"), QStringLiteral("_2.1"), QString(),
                                         c.sample.ibuprofen),
                     ErrorNumber::ConstraintViolated, "Pharvel.AddGeneric");
    QVERIFY(generics.SearchGeneric(c.sample.ibuprofen));
    QCOMPARE(generics.NodeKey(), QStringLiteral("_1.3"));
    QCOMPARE_FAILURE(generics.AddGeneric(QStringLiteral("_1.2"), QStringLiteral("_1.2.7"), QString(),
                                         c.sample.amoxicillin),
                     ErrorNumber::Refused, "Pharvel.AddGeneric");
    QCOMPARE_FAILURE(generics.AddGeneric(kRoot, QStringLiteral("_7"), QString(), c.sample.amoxicillin),
                     ErrorNumber::Refused, "Pharvel.AddGeneric");
    QCOMPARE_FAILURE(generics.AddGeneric(QStringLiteral("_3"), QStringLiteral("_3.1"), QString(), 999),
                     ErrorNumber::Refused, "Pharvel.AddGeneric");
    QCOMPARE(nodeCount(c.sql()), nodes);

    QCOMPARE_FAILURE(generics.AddGeneric(QStringLiteral("_3"), QStringLiteral("_3.1"), QString(), 40000),
                     ErrorNumber::Overflow, "Pharvel.AddGeneric");
    QCOMPARE_FAILURE(generics.SearchGeneric(1.5), ErrorNumber::TypeMismatch, "Pharvel.SearchGeneric");
    QCOMPARE_FAILURE(generics.DeleteGeneric(QStringLiteral("abc")), ErrorNumber::TypeMismatch,
                     "Pharvel.DeleteGeneric");
    QCOMPARE_FAILURE(generics.DeleteGeneric(QStringLiteral("-32769")), ErrorNumber::Overflow,
                     "Pharvel.DeleteGeneric");

    QVERIFY(generics.DeleteGeneric(QStringLiteral(" %1 ").arg(c.sample.amoxicillin)));
    QVERIFY(!generics.SearchGeneric(c.sample.amoxicillin));
    QVERIFY(!generics.DeleteGeneric(QString::number(c.sample.amoxicillin)));
    // Taken out of the tree, still in the register.
    QCOMPARE(generics.ListGeneric(QStringLiteral("amox")).RecordCount(), 1);
}

void tst_catalog::registerKeepsNamesExactly()
{
    QFETCH(QString, engine);
    Catalogue c(engine);
    auto& generics = c.pharvel.Generics();
    const QString oddName = QStringLiteral(" d'Arcy's \"mix\" \u03B1\u03B2\u03B3 ");

    QVERIFY(generics.NewGeneric(oddName));
    RowSet found = generics.ListGeneric(QStringLiteral("ARCY'S"));
    QCOMPARE(found.FieldNames(), texts({"Code", "Generic Name"}));
    QCOMPARE(column(found, QStringLiteral("Generic Name")), QStringList{oddName});
    const int code = found.At(0, 0).toInt();
    QCOMPARE(code, c.sample.ibuprofen + 1);

    QVERIFY(generics.RenameGeneric(QString::number(code), QStringLiteral("Zinc")));
    QVERIFY(generics.RenameGeneric(QString::number(c.sample.amoxicillin), QStringLiteral("amoxicillin")));
    QCOMPARE(column(generics.ListGeneric(QString()), QStringLiteral("Generic Name")),
             texts({"amoxicillin", "Ibuprofen", "Morphine", "Paracetamol", "Zinc"}));
    QVERIFY(!generics.RenameGeneric(QStringLiteral("999"), QStringLiteral("Nobody")));
    QCOMPARE_FAILURE(generics.RenameGeneric(QString::number(code), QString()), ErrorNumber::Refused,
                     "Pharvel.RenameGeneric");
    QCOMPARE_FAILURE(generics.NewGeneric(QStringLiteral(" ")), ErrorNumber::Refused,
                     "Pharvel.NewGeneric");

    // Once the highest code is taken, new codes fill the gaps below it.
    c.sql().Execute(QStringLiteral("INSERT INTO inventory.tbforgeneric (GenericCode, genericname) "
                                   "VALUES (32767, 'Last')"));
    QVERIFY(generics.NewGeneric(QStringLiteral("Gap")));
    QCOMPARE(generics.ListGeneric(QStringLiteral("Gap")).At(0, 0).toInt(), code + 1);
}

void tst_catalog::drugGridsAndFilters()
{
    QFETCH(QString, engine);
    Catalogue c(engine);
    auto& generics = c.pharvel.Generics();

    RowSet all = generics.OtherDrugs(c.sample.paracetamol, 1, QString(), 1);
    QCOMPARE(all.FieldNames(),
             texts({"Drug Name", "Description", "Generic Name", "Drug ID", "Node Key"}));
    QCOMPARE(column(all, QStringLiteral("Drug Name")),
             texts({"ASPIRIN 300MG TAB", "MORPHINE 10MG/ML INJ"}));
    QCOMPARE(column(all, QStringLiteral("Generic Name")), texts({"Unclassified", "Morphine"}));
    QCOMPARE(all.At(1, 3).toInt(), c.sample.morphineInjection);
    QCOMPARE(all.At(1, 4).toString(), QStringLiteral("_1.1.1.1"));
    QVERIFY(all.At(0, 4).isNull());

    QCOMPARE(column(generics.OtherDrugs(c.sample.paracetamol, 1, QString(), 2), QStringLiteral("Drug Name")),
             texts({"ASPIRIN 300MG TAB"}));
    QCOMPARE(column(generics.OtherDrugs(c.sample.paracetamol, 1, QString(), 3), QStringLiteral("Drug Name")),
             texts({"MORPHINE 10MG/ML INJ"}));
    QCOMPARE(generics.OtherDrugs(c.sample.morphine, 1, QString(), 3).RecordCount(), 2);

    RowSet under = generics.LoadDrugs(c.sample.paracetamol, 3, QString());
    QCOMPARE(column(under, QStringLiteral("Drug Name")),
             texts({"CALPOL 120MG/5ML SYRUP", "PANADOL 500MG TAB"}));
    QCOMPARE(column(under, QStringLiteral("Generic Name")), texts({"Paracetamol", "Paracetamol"}));
    // The search looks in the description too, letter case ignored.
    QCOMPARE(column(generics.LoadDrugs(c.sample.paracetamol, 3, QStringLiteral("TABLET")),
                    QStringLiteral("Drug Name")),
             texts({"PANADOL 500MG TAB"}));
    QCOMPARE(column(generics.OtherDrugs(c.sample.paracetamol, 1, QStringLiteral("dispersible"), 1),
                    QStringLiteral("Drug Name")),
             texts({"ASPIRIN 300MG TAB"}));
    QCOMPARE(generics.LoadDrugs(c.sample.amoxicillin, 3, QString()).RecordCount(), 0);
}

void tst_catalog::drugFilingMovesAndRefuses()
{
    QFETCH(QString, engine);
    Catalogue c(engine);
    auto& drugs = c.pharvel.Drugs();

    QVERIFY(drugs.SearchDrug(c.sample.panadol));
    QCOMPARE(drugs.NodeKey(), QStringLiteral("_1.2.1"));
    QVERIFY(drugs.AddDrug(QStringLiteral("_2.1"), QStringLiteral("_2.1.1"), QString(), c.sample.panadol));
    QVERIFY(drugs.SearchDrug(c.sample.panadol));
    QCOMPARE(drugs.NodeKey(), QStringLiteral("_2.1.1"));
    QCOMPARE(column(c.pharvel.Generics().LoadDrugs(c.sample.paracetamol, 3, QString()),
                    QStringLiteral("Drug Name")),
             texts({"CALPOL 120MG/5ML SYRUP"}));
    QVERIFY(drugs.AddDrug(QStringLiteral("_2.1"), QStringLiteral("_2.1.2"), QString(), c.sample.aspirin));

    const int nodes = nodeCount(c.sql());
    QCOMPARE_FAILURE(drugs.AddDrug(QStringLiteral("_1"), QStringLiteral("_1.5"), QString(), c.sample.calpol),
                     ErrorNumber::Refused, "Pharvel.AddDrug");
    QCOMPARE_FAILURE(drugs.AddDrug(QStringLiteral("_2.1"), QStringLiteral("_2.1.3"), QString(), 999),
                     ErrorNumber::Refused, "Pharvel.AddDrug");
    QCOMPARE_FAILURE(drugs.AddDrug(QStringLiteral("_2.1"), QStringLiteral("_2.1.1"), QString(), c.sample.calpol),
                     ErrorNumber::ConstraintViolated, "Pharvel.AddDrug");
    QCOMPARE_FAILURE(drugs.AddDrug(QStringLiteral("_2.1"), QStringLiteral("_2.1.4"), QString(), 1e6),
                     ErrorNumber::Overflow, "Pharvel.AddDrug");
    QCOMPARE(nodeCount(c.sql()), nodes);
    QVERIFY(drugs.SearchDrug(c.sample.calpol));
    QCOMPARE(drugs.NodeKey(), QStringLiteral("_1.2.2"));

    QVERIFY(drugs.DeleteDrug(c.sample.aspirin));
    QVERIFY(!drugs.SearchDrug(c.sample.aspirin));
    QVERIFY(drugs.NodeKey().isEmpty());
    QVERIFY(!drugs.DeleteDrug(c.sample.aspirin));
    QCOMPARE_FAILURE(drugs.DeleteDrug(-40000), ErrorNumber::Overflow, "Pharvel.DeleteDrug");
    QCOMPARE(count(c.sql(), QStringLiteral("SELECT count(*) FROM inventory.tbinvmaster WHERE itemid = ?"),
                   {c.sample.aspirin}),
             1);
}

void tst_catalog::viewOnlyUsersCannotWrite()
{
    QFETCH(QString, engine);
    std::unique_ptr<LoginRole> role;
    if (engine == QLatin1String("postgresql"))
        role = std::make_unique<LoginRole>();
    TestDatabase db(engine);
    SampleCatalogue sample(db.Connection());
    sample.Build();
    const ConnectionString target = ConnectionString::Parse(db.ConnectionString());
    QString lookerUser = QStringLiteral("looker");
    if (role) {
        role->GrantCatalogue(db.Connection());
        lookerUser = role->Name();
    }
    SampleCatalogue::AddUserProfile(db.Connection(), lookerUser, QStringLiteral("BB"));
    const int nodes = nodeCount(db.Connection());

    Pharvel looker;
    QVERIFY2(looker.Connect(target.WithCredentials(lookerUser, {})), qPrintable(looker.LastError()));
    QCOMPARE(looker.LoadClassifications(kRoot, true).RecordCount(), nodes - 1);
    QVERIFY(looker.Generics().SearchGeneric(sample.paracetamol));
    QCOMPARE_FAILURE(looker.Classifications().AddClassification(kRoot, QStringLiteral("_4"),
                                                                QStringLiteral("x"), 0),
                     ErrorNumber::NotPermitted, "Pharvel.AddClassification");
    QCOMPARE_FAILURE(looker.Classifications().DeleteClassification(QStringLiteral("_3")),
                     ErrorNumber::NotPermitted, "Pharvel.DeleteClassification");
    QCOMPARE_FAILURE(looker.Classifications().RenameClassification(QStringLiteral("_3"), QStringLiteral("x")),
                     ErrorNumber::NotPermitted, "Pharvel.RenameClassification");
    QCOMPARE_FAILURE(looker.Generics().AddGeneric(QStringLiteral("_3"), QStringLiteral("_3.1"), QString(),
                                                  sample.ibuprofen),
                     ErrorNumber::NotPermitted, "Pharvel.AddGeneric");
    QCOMPARE_FAILURE(looker.Generics().DeleteGeneric(QString::number(sample.amoxicillin)),
                     ErrorNumber::NotPermitted, "Pharvel.DeleteGeneric");
    QCOMPARE_FAILURE(looker.Generics().NewGeneric(QStringLiteral("x")), ErrorNumber::NotPermitted,
                     "Pharvel.NewGeneric");
    QCOMPARE_FAILURE(looker.Generics().RenameGeneric(QString::number(sample.amoxicillin), QStringLiteral("x")),
                     ErrorNumber::NotPermitted, "Pharvel.RenameGeneric");
    QCOMPARE_FAILURE(looker.Drugs().AddDrug(QStringLiteral("_2.1"), QStringLiteral("_2.1.1"), QString(),
                                            sample.aspirin),
                     ErrorNumber::NotPermitted, "Pharvel.AddDrug");
    QCOMPARE_FAILURE(looker.Drugs().DeleteDrug(sample.panadol), ErrorNumber::NotPermitted,
                     "Pharvel.DeleteDrug");
    QCOMPARE(nodeCount(db.Connection()), nodes);

    // A named user without a profile may only look too; the profile decides, not the name.
    if (!role) {
        Pharvel stranger;
        QVERIFY(stranger.Connect(target.WithCredentials(QStringLiteral("stranger"), {})));
        QCOMPARE_FAILURE(stranger.Generics().NewGeneric(QStringLiteral("x")), ErrorNumber::NotPermitted,
                         "Pharvel.NewGeneric");
        Pharvel administrator;
        QVERIFY(administrator.Connect(target.WithCredentials(QString(), {})));
        QVERIFY(administrator.Generics().NewGeneric(QStringLiteral("x")));
    }
}

void tst_catalog::sameKeyTakenAtTheSameMoment()
{
    QFETCH(QString, engine);
    TestDatabase db(engine);
    SampleCatalogue(db.Connection()).Build();
    SampleCatalogue::AllowWrites(db.Connection(), db.ConnectionString());

    // Two desks, each with its own component on its own thread, file under one key at once.
    for (int round = 4; round < 9; ++round) {
        const QString key = QStringLiteral("_%1").arg(round);
        std::latch start(2);
        int successes = 0;
        QList<int> failures;
        std::mutex results;
        const auto desk = [&](const QString& name) {
            Pharvel pharvel;
            const bool connected = pharvel.Connect(db.ConnectionString());
            start.arrive_and_wait();
            try {
                if (connected && pharvel.Classifications().AddClassification(kRoot, key, name, 0)) {
                    std::lock_guard lock(results);
                    ++successes;
                }
            } catch (const PharvelError& error) {
                std::lock_guard lock(results);
                failures << error.Number();
            }
        };
        std::thread first(desk, QStringLiteral("First desk"));
        std::thread second(desk, QStringLiteral("Second desk"));
        first.join();
        second.join();
        QCOMPARE(successes, 1);
        QCOMPARE(failures, QList<int>({ErrorNumber::ConstraintViolated}));
        QCOMPARE(count(db.Connection(),
                       QStringLiteral("SELECT count(*) FROM inventory.tbPharvel WHERE Node_Key = ?"),
                       {key}),
                 1);
    }
    // The losing desks left no classification without a node behind.
    QCOMPARE(count(db.Connection(), QStringLiteral("SELECT count(*) FROM inventory.tbForClassification")),
             4 + 5);
}

QTEST_GUILESS_MAIN(tst_catalog)
#include "tst_catalog.moc"
