#include "fixtures/ConnectedCatalogue.h"
#include "fixtures/SampleCatalogue.h"
#include "fixtures/TestDatabase.h"
#include "platform/catalog/Pharvel.h"
#include "platform/db/ConnectionString.h"
#include "platform/db/PharvelError.h"

#include <QSet>
#include <QTest>
#include <QUuid>
#include <functional>
#include <latch>
#include <mutex>
#include <thread>

using ClassPharvel::Pharvel;

namespace {
QString s(const char* text)
{
    return QString::fromUtf8(text);
}

QStringList texts(std::initializer_list<const char*> items)
{
    QStringList result;
    for (const char* item : items)
        result << s(item);
    return result;
}

// One call that must fail, with the error number and source it must fail with.
struct Refusal
{
    int number;
    const char* source;
    std::function<void()> call;
};

// Runs each call; a call that does not raise, or raises another error, fails the test.
bool allRefused(std::initializer_list<Refusal> refusals)
{
    int row = 0;
    for (const Refusal& refusal : refusals) {
        ++row;
        try {
            refusal.call();
            qWarning() << "refusal" << row << "of" << refusal.source << "raised no error";
            return false;
        } catch (const PharvelError& error) {
            if (error.Number() != refusal.number || error.Source() != s(refusal.source) ||
                error.Description().isEmpty()) {
                qWarning() << "refusal" << row << "raised" << error.what() << error.Number();
                return false;
            }
        }
    }
    return true;
}

QStringList column(const RowSet& rows, const char* field)
{
    QStringList values;
    const int c = rows.ColumnIndex(s(field));
    for (int r = 0; r < rows.RecordCount(); ++r)
        values << rows.At(r, c).toString();
    return values;
}

int count(SQLConnection& connection, const char* table)
{
    return connection.Scalar(s("SELECT count(*) FROM ") + s(table)).toInt();
}

struct Catalogue : ConnectedCatalogue
{
    using ConnectedCatalogue::ConnectedCatalogue;
    int nodes() { return Count("inventory.tbPharvel"); }
};

// A server login role for one test. It must be made before the test's database and dropped
// after it, since that database holds the role's privileges.
class LoginRole
{
public:
    LoginRole() : name(s("pharvel_bb_") + QUuid::createUuid().toString(QUuid::Id128).left(12))
    {
        Server()->Execute(s("CREATE ROLE %1 LOGIN PASSWORD 'look only'").arg(name));
    }
    ~LoginRole() { Server()->Execute(s("DROP ROLE IF EXISTS %1").arg(name)); }
    void GrantCatalogue(SQLConnection& database)
    {
        database.Execute(s("GRANT USAGE ON SCHEMA inventory, patient_data TO %1").arg(name));
        database.Execute(s("GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA "
                           "inventory, patient_data TO %1")
                             .arg(name));
    }
    const QString name;

private:
    static std::unique_ptr<SQLConnection> Server()
    {
        return SQLConnection::Open(qEnvironmentVariable("PHARVEL_TEST_PG"));
    }
};
} // namespace

// The catalogue component against a real database on every engine.
class tst_catalog : public QObject
{
    Q_OBJECT

private slots:
    void connectFailureIsReported();
    ON_EVERY_ENGINE(treeLoadsAndNodeSearch);
    ON_EVERY_ENGINE(fullLoadOfLargeCatalogue);
    ON_EVERY_ENGINE(classificationWrites);
    ON_EVERY_ENGINE(genericGridsAndSearch);
    ON_EVERY_ENGINE(genericFilingAndRegister);
    ON_EVERY_ENGINE(drugGridsAndFiling);
    ON_EVERY_ENGINE(viewOnlyUsersCannotWrite);
    ON_EVERY_ENGINE(sameKeyTakenAtTheSameMoment);
};

void tst_catalog::connectFailureIsReported()
{
    Pharvel pharvel;
    QVERIFY(!pharvel.Connect(s("/nonexistent/pharvel-catalogue")));
    QVERIFY(!pharvel.IsConnected());
    QVERIFY(pharvel.LastError().contains(s("does not exist")));
    QVERIFY(!pharvel.Connect(s("  ")));
    QVERIFY(allRefused({
        {ErrorNumber::ConnectionFailed, "Pharvel.LoadClassifications",
         [&] { pharvel.LoadClassifications(s("_0"), false); }},
    }));
}

void tst_catalog::treeLoadsAndNodeSearch()
{
    QFETCH(QString, engine);
    Catalogue c(engine);
    // A key that starts like _1 but lies elsewhere must not count as below _1.
    c.sample.AddClassification(s("_10"), s("Zeta"));

    RowSet top = c.pharvel.LoadClassifications(s("_0"), false);
    QCOMPARE(top.FieldNames(), texts({"node_type", "ClassificationName", "GenericName", "DrugName",
                                      "ItemID", "Node_Parent", "Node_Key"}));
    // Letter case does not order: "antibiotics" comes between "Analgesics" and "Empty Class".
    QCOMPARE(column(top, "Node_Key"), texts({"_1", "_2", "_3", "_10"}));
    // Classifications come before generic names under one parent.
    RowSet analgesics = c.pharvel.LoadClassifications(s("_1"), false);
    QCOMPARE(column(analgesics, "node_type"), texts({"1", "2"}));
    QCOMPARE(column(analgesics, "GenericName"), texts({"", "Paracetamol"}));

    RowSet all = c.pharvel.LoadClassifications(s("_0"), true);
    QCOMPARE(column(all, "Node_Key"), texts({"_1", "_1.1", "_1.1.1", "_1.1.1.1", "_1.2", "_1.2.2",
                                             "_1.2.1", "_2", "_2.1", "_3", "_10"}));
    QCOMPARE(column(all, "DrugName").at(5), s("CALPOL 120MG/5ML SYRUP"));
    QCOMPARE(column(all, "ItemID").at(5).toInt(), c.sample.calpol);
    QCOMPARE(column(all, "Node_Parent").at(5), s("_1.2"));
    QCOMPARE(column(c.pharvel.LoadClassifications(s("_1"), true), "Node_Key"),
             texts({"_1.1", "_1.1.1", "_1.1.1.1", "_1.2", "_1.2.2", "_1.2.1"}));
    QCOMPARE(c.pharvel.LoadClassifications(s("_3"), true).RecordCount(), 0);

    // The current node moves only when the search finds one.
    auto& node = c.pharvel.NodePharvel();
    QVERIFY(node.SearchNode(s("_1.2")));
    QVERIFY(!node.SearchNode(s("_1.9")));
    QCOMPARE(node.Node_Key(), s("_1.2"));
    QCOMPARE(node.node_type(), s("2"));
    QCOMPARE(node.NameOfNode(), s("Paracetamol"));
    QCOMPARE(node.Node_ID(), c.sample.paracetamol);
    QVERIFY(node.SearchNode(s("_1.2.2")));
    QCOMPARE(node.node_type(), s("3"));
    QCOMPARE(node.Node_ID(), c.sample.calpol);
    QVERIFY(node.SearchNode(s("_0")));
    QCOMPARE(node.node_type(), s("0"));
}

void tst_catalog::fullLoadOfLargeCatalogue()
{
    QFETCH(QString, engine);
    TestDatabase db(engine);
    SampleCatalogue(db.Connection()).AddBulk(100, 10, 30);
    Pharvel pharvel;
    QVERIFY(pharvel.Connect(db.ConnectionString()));

    // How fast this is is the benchmark's business; here, that every node comes after its parent.
    RowSet all = pharvel.LoadClassifications(s("_0"), true);
    QCOMPARE(all.RecordCount(), 100 + 1000 + 30000);

    QSet<QString> seen{s("_0")};
    const QStringList parents = column(all, "Node_Parent");
    const QStringList keys = column(all, "Node_Key");
    for (int r = 0; r < keys.size(); ++r) {
        QVERIFY2(seen.contains(parents.at(r)), qPrintable(keys.at(r)));
        seen.insert(keys.at(r));
    }
}

void tst_catalog::classificationWrites()
{
    QFETCH(QString, engine);
    Catalogue c(engine);
    auto& classifications = c.pharvel.Classifications();
    auto& node = c.pharvel.NodePharvel();
    const QString oddName = s("  O'Brien's Анальгетики 中文 ");

    QVERIFY(classifications.AddClassification(s("_0"), s("_4"), oddName, 0));
    QVERIFY(node.SearchNode(s("_4")));
    QCOMPARE(node.NameOfNode(), oddName);
    QCOMPARE(node.node_type(), s("1"));
    QVERIFY(classifications.AddClassification(s("_4"), s("_4.1"), s("Sub"), 0));

    // Each refusal leaves nothing behind: no node and no classification row.
    const int nodes = c.nodes();
    const int rows = count(c.db.Connection(), "inventory.tbForClassification");
    c.sample.AddGeneric(s("Filed by another desk"), s("_3.1"));
    QVERIFY(allRefused({
        {ErrorNumber::Refused, "Pharvel.AddClassification",
         [&] { classifications.AddClassification(s("_1.2"), s("_1.2.9"), s("Under generic"), 0); }},
        {ErrorNumber::Refused, "Pharvel.AddClassification",
         [&] { classifications.AddClassification(s("_8"), s("_8.1"), s("No parent"), 0); }},
        {ErrorNumber::Refused, "Pharvel.AddClassification",
         [&] { classifications.AddClassification(s("_1"), s("_5"), s("Key elsewhere"), 0); }},
        {ErrorNumber::Refused, "Pharvel.AddClassification",
         [&] { classifications.AddClassification(s("_0"), s("_6"), s("   "), 0); }},
        {ErrorNumber::ConstraintViolated, "Pharvel.AddClassification",
         [&] { classifications.AddClassification(s("_0"), s("_2"), s("Key taken"), 0); }},
        {ErrorNumber::Refused, "Pharvel.RenameClassification",
         [&] { classifications.RenameClassification(s("_1.2"), s("A generic name")); }},
        // Whatever a tree has loaded, a classification that holds anything stays.
        {ErrorNumber::Refused, "Pharvel.DeleteClassification",
         [&] { classifications.DeleteClassification(s("_4")); }},
        {ErrorNumber::Refused, "Pharvel.DeleteClassification",
         [&] { classifications.DeleteClassification(s("_3")); }},
        {ErrorNumber::Refused, "Pharvel.DeleteClassification",
         [&] { classifications.DeleteClassification(s("_2.1")); }},
    }));
    QCOMPARE(c.nodes(), nodes + 1);
    QCOMPARE(count(c.db.Connection(), "inventory.tbForClassification"), rows);

    QVERIFY(classifications.RenameClassification(s("_2"), oddName.trimmed()));
    QVERIFY(node.SearchNode(s("_2")));
    QCOMPARE(node.NameOfNode(), oddName.trimmed());

    QVERIFY(classifications.DeleteClassification(s("_4.1")));
    QVERIFY(!node.SearchNode(s("_4.1")));
    QCOMPARE(count(c.db.Connection(), "inventory.tbForClassification"), rows - 1);
    QVERIFY(!classifications.DeleteClassification(s("_4.1")));
}

void tst_catalog::genericGridsAndSearch()
{
    QFETCH(QString, engine);
    Catalogue c(engine);
    auto& classifications = c.pharvel.Classifications();
    const int analgesics = c.sample.analgesics;
    c.sample.AddGeneric(s("50% Dextrose"));
    c.sample.AddGeneric(s("Glucose_5"));
    c.sample.AddGeneric(s("Аспирин"));

    RowSet other = classifications.OtherGenerics(analgesics, 1, QString());
    QCOMPARE(other.FieldNames(),
             texts({"Generic Name", "Node Key", "Code", "Classification ID", "Classification"}));
    QCOMPARE(column(other, "Generic Name"), texts({"50% Dextrose", "Amoxicillin", "Glucose_5",
                                                   "Ibuprofen", "Morphine", "Аспирин"}));
    QCOMPARE(column(other, "Classification"),
             texts({"no classification", "antibiotics", "no classification", "no classification",
                    "Opioids", "no classification"}));
    QCOMPARE(other.At(1, 2).toInt(), c.sample.amoxicillin);
    QCOMPARE(other.At(1, 3).toInt(), c.sample.antibiotics);

    RowSet under = classifications.LoadGenerics(analgesics, 1, QString());
    QCOMPARE(column(under, "Generic Name"), texts({"Paracetamol"}));
    QCOMPARE(column(under, "Classification"), texts({"Analgesics"}));
    QCOMPARE(classifications.LoadGenerics(c.sample.emptyClass, 1, QString()).RecordCount(), 0);

    // Anywhere in the name, letter case ignored in any script, every character literal.
    const auto otherNamed = [&](const char* search) {
        return column(classifications.OtherGenerics(analgesics, 1, s(search)), "Generic Name");
    };
    QCOMPARE(otherNamed("PHIN"), texts({"Morphine"}));
    QCOMPARE(otherNamed("%"), texts({"50% Dextrose"}));
    QCOMPARE(otherNamed("_"), texts({"Glucose_5"}));
    QCOMPARE(otherNamed("АСПИ"), texts({"Аспирин"}));
    QCOMPARE(classifications.LoadGenerics(analgesics, 1, s("PARA")).RecordCount(), 1);
    QCOMPARE(classifications.LoadGenerics(analgesics, 1, s("x")).RecordCount(), 0);
    QVERIFY(allRefused({{ErrorNumber::Overflow, "Pharvel.OtherGenerics",
                         [&] { classifications.OtherGenerics(40000, 1, QString()); }}}));
}

void tst_catalog::genericFilingAndRegister()
{
    QFETCH(QString, engine);
    Catalogue c(engine);
    auto& generics = c.pharvel.Generics();
    const int ibuprofen = c.sample.ibuprofen;

    QVERIFY(!generics.SearchGeneric(ibuprofen));
    QVERIFY(generics.NodeKey().isEmpty());
    QVERIFY(generics.AddGeneric(s("_3"), s("_3.1"), s("not stored"), ibuprofen));
    QVERIFY(c.pharvel.NodePharvel().SearchNode(s("_3.1")));
    QCOMPARE(c.pharvel.NodePharvel().NameOfNode(), s("Ibuprofen"));
    // A move takes the old node away in the same change.
    QVERIFY(generics.AddGeneric(s("_1"), s("_1.3"), QString(), ibuprofen));
    QVERIFY(generics.SearchGeneric(ibuprofen));
    QCOMPARE(generics.NodeKey(), s("_1.3"));
    QVERIFY(!c.pharvel.NodePharvel().SearchNode(s("_3.1")));

    // Nothing is half done: a key taken after the old node went puts the old node back.
    const int nodes = c.nodes();
    const QString paracetamol = QString::number(c.sample.paracetamol);
    QVERIFY(allRefused({
        {ErrorNumber::Refused, "Pharvel.AddGeneric",
         [&] { generics.AddGeneric(s("_2"), s("_2.2"), QString(), c.sample.paracetamol); }},
        {ErrorNumber::Refused, "Pharvel.DeleteGeneric",
         [&] { generics.DeleteGeneric(paracetamol); }},
        {ErrorNumber::ConstraintViolated, "Pharvel.AddGeneric",
         [&] { generics.AddGeneric(s("_2"), s("_2.1"), QString(), ibuprofen); }},
        {ErrorNumber::Refused, "Pharvel.AddGeneric",
         [&] { generics.AddGeneric(s("_1.2"), s("_1.2.7"), QString(), c.sample.amoxicillin); }},
        {ErrorNumber::Refused, "Pharvel.AddGeneric",
         [&] { generics.AddGeneric(s("_3"), s("_3.1"), QString(), 999); }},
        {ErrorNumber::Overflow, "Pharvel.AddGeneric",
         [&] { generics.AddGeneric(s("_3"), s("_3.1"), QString(), 40000); }},
        {ErrorNumber::TypeMismatch, "Pharvel.SearchGeneric", [&] { generics.SearchGeneric(1.5); }},
        {ErrorNumber::TypeMismatch, "Pharvel.DeleteGeneric",
         [&] { generics.DeleteGeneric(s("a")); }},
    }));
    QCOMPARE(c.nodes(), nodes);
    QVERIFY(generics.SearchGeneric(ibuprofen));
    QCOMPARE(generics.NodeKey(), s("_1.3"));

    QVERIFY(generics.DeleteGeneric(s(" %1 ").arg(c.sample.amoxicillin)));
    QVERIFY(!generics.SearchGeneric(c.sample.amoxicillin));
    QVERIFY(!generics.DeleteGeneric(QString::number(c.sample.amoxicillin)));

    // The register keeps names exactly; a name taken out of the tree stays in it.
    const QString oddName = s(" d'Arcy's \"mix\" αβγ ");
    QVERIFY(generics.NewGeneric(oddName));
    RowSet found = generics.ListGeneric(s("ARCY'S \"MIX\" ΑΒΓ"));
    QCOMPARE(found.FieldNames(), texts({"Code", "Generic Name"}));
    QCOMPARE(column(found, "Generic Name"), QStringList{oddName});
    QCOMPARE(found.At(0, 0).toInt(), ibuprofen + 1);
    QVERIFY(generics.RenameGeneric(found.At(0, 0).toString(), s("Zinc")));
    QVERIFY(!generics.RenameGeneric(s("999"), s("Nobody")));
    QCOMPARE(column(generics.ListGeneric(QString()), "Generic Name"),
             texts({"Amoxicillin", "Ibuprofen", "Morphine", "Paracetamol", "Zinc"}));
    // Once the highest code is taken, new codes fill the gaps below it.
    c.sample.AddGeneric(s("Last"));
    c.db.Connection().Execute(s("UPDATE inventory.tbforgeneric SET GenericCode = 32767 "
                                "WHERE genericname = 'Last'"));
    QVERIFY(generics.NewGeneric(s("Gap")));
    QCOMPARE(generics.ListGeneric(s("Gap")).At(0, 0).toInt(), ibuprofen + 2);
}

void tst_catalog::drugGridsAndFiling()
{
    QFETCH(QString, engine);
    Catalogue c(engine);
    auto& generics = c.pharvel.Generics();
    auto& drugs = c.pharvel.Drugs();
    const int paracetamol = c.sample.paracetamol;
    const auto otherNames = [&](int filter, const char* search = "") {
        return column(generics.OtherDrugs(paracetamol, 1, s(search), filter), "Drug Name");
    };

    RowSet other = generics.OtherDrugs(paracetamol, 1, QString(), 1);
    QCOMPARE(other.FieldNames(),
             texts({"Drug Name", "Description", "Generic Name", "Drug ID", "Node Key"}));
    QCOMPARE(column(other, "Drug Name"), texts({"ASPIRIN 300MG TAB", "MORPHINE 10MG/ML INJ"}));
    QCOMPARE(column(other, "Generic Name"), texts({"Unclassified", "Morphine"}));
    QCOMPARE(other.At(1, 4).toString(), s("_1.1.1.1"));
    QCOMPARE(otherNames(2), texts({"ASPIRIN 300MG TAB"}));
    QCOMPARE(otherNames(3), texts({"MORPHINE 10MG/ML INJ"}));
    // The search looks in the description too, letter case ignored.
    QCOMPARE(otherNames(1, "DISPERSIBLE"), texts({"ASPIRIN 300MG TAB"}));
    QCOMPARE(column(generics.LoadDrugs(paracetamol, 3, QString()), "Drug Name"),
             texts({"CALPOL 120MG/5ML SYRUP", "PANADOL 500MG TAB"}));

    QVERIFY(drugs.SearchDrug(c.sample.panadol));
    QCOMPARE(drugs.NodeKey(), s("_1.2.1"));
    QVERIFY(drugs.AddDrug(s("_2.1"), s("_2.1.1"), QString(), c.sample.panadol));
    QVERIFY(drugs.SearchDrug(c.sample.panadol));
    QCOMPARE(drugs.NodeKey(), s("_2.1.1"));
    QCOMPARE(column(generics.LoadDrugs(paracetamol, 3, QString()), "Drug Name"),
             texts({"CALPOL 120MG/5ML SYRUP"}));
    QVERIFY(drugs.AddDrug(s("_2.1"), s("_2.1.2"), QString(), c.sample.aspirin));
    QCOMPARE(otherNames(2), QStringList());

    const int nodes = c.nodes();
    QVERIFY(allRefused({
        {ErrorNumber::Refused, "Pharvel.AddDrug",
         [&] { drugs.AddDrug(s("_1"), s("_1.5"), QString(), c.sample.calpol); }},
        {ErrorNumber::Refused, "Pharvel.AddDrug",
         [&] { drugs.AddDrug(s("_2.1"), s("_2.1.3"), QString(), 999); }},
        {ErrorNumber::ConstraintViolated, "Pharvel.AddDrug",
         [&] { drugs.AddDrug(s("_2.1"), s("_2.1.1"), QString(), c.sample.calpol); }},
        {ErrorNumber::Overflow, "Pharvel.AddDrug",
         [&] { drugs.AddDrug(s("_2.1"), s("_2.1.4"), QString(), 1e6); }},
    }));
    QCOMPARE(c.nodes(), nodes);
    QVERIFY(drugs.SearchDrug(c.sample.calpol));
    QCOMPARE(drugs.NodeKey(), s("_1.2.2"));

    QVERIFY(drugs.DeleteDrug(c.sample.aspirin));
    QVERIFY(!drugs.SearchDrug(c.sample.aspirin));
    QVERIFY(drugs.NodeKey().isEmpty());
    QVERIFY(!drugs.DeleteDrug(c.sample.aspirin));
    QCOMPARE(otherNames(2), texts({"ASPIRIN 300MG TAB"}));
}

void tst_catalog::viewOnlyUsersCannotWrite()
{
    QFETCH(QString, engine);
    std::unique_ptr<LoginRole> role;
    if (engine == s("postgresql"))
        role = std::make_unique<LoginRole>();
    TestDatabase db(engine);
    SampleCatalogue sample(db.Connection());
    sample.Build();
    const QString user = role ? role->name : s("looker");
    if (role)
        role->GrantCatalogue(db.Connection());
    SampleCatalogue::AddUserProfile(db.Connection(), user, s("BB"));
    const ConnectionString target = ConnectionString::Parse(db.ConnectionString());
    const int nodes = count(db.Connection(), "inventory.tbPharvel");

    Pharvel looker;
    QVERIFY2(looker.Connect(target.WithCredentials(user, s("look only"))),
             qPrintable(looker.LastError()));
    QCOMPARE(looker.LoadClassifications(s("_0"), true).RecordCount(), nodes - 1);
    QVERIFY(looker.Generics().SearchGeneric(sample.paracetamol));
    const QString amoxicillin = QString::number(sample.amoxicillin);
    const int denied = ErrorNumber::NotPermitted;
    QVERIFY(allRefused({
        {denied, "Pharvel.AddClassification",
         [&] { looker.Classifications().AddClassification(s("_0"), s("_4"), s("x"), 0); }},
        {denied, "Pharvel.DeleteClassification",
         [&] { looker.Classifications().DeleteClassification(s("_3")); }},
        {denied, "Pharvel.RenameClassification",
         [&] { looker.Classifications().RenameClassification(s("_3"), s("x")); }},
        {denied, "Pharvel.AddGeneric",
         [&] { looker.Generics().AddGeneric(s("_3"), s("_3.1"), QString(), sample.ibuprofen); }},
        {denied, "Pharvel.DeleteGeneric", [&] { looker.Generics().DeleteGeneric(amoxicillin); }},
        {denied, "Pharvel.NewGeneric", [&] { looker.Generics().NewGeneric(s("x")); }},
        {denied, "Pharvel.RenameGeneric",
         [&] { looker.Generics().RenameGeneric(amoxicillin, s("x")); }},
        {denied, "Pharvel.AddDrug",
         [&] { looker.Drugs().AddDrug(s("_2.1"), s("_2.1.1"), QString(), sample.aspirin); }},
        {denied, "Pharvel.DeleteDrug", [&] { looker.Drugs().DeleteDrug(sample.panadol); }},
    }));
    QCOMPARE(count(db.Connection(), "inventory.tbPharvel"), nodes);

    // The embedded engine names any user: one without a profile may only look, while the
    // administrator's tool names none and may change everything.
    if (!role) {
        Pharvel stranger;
        QVERIFY(stranger.Connect(target.WithCredentials(s("stranger"), {})));
        QVERIFY(allRefused(
            {{denied, "Pharvel.NewGeneric", [&] { stranger.Generics().NewGeneric(s("x")); }}}));
        Pharvel administrator;
        QVERIFY(administrator.Connect(target.WithCredentials(QString(), {})));
        QVERIFY(administrator.Generics().NewGeneric(s("x")));
    }
}

void tst_catalog::sameKeyTakenAtTheSameMoment()
{
    QFETCH(QString, engine);
    TestDatabase db(engine);
    SampleCatalogue(db.Connection()).Build();
    SampleCatalogue::AllowWrites(db.Connection(), db.ConnectionString());
    const int classifications = count(db.Connection(), "inventory.tbForClassification");

    // Two desks, each with its own component on its own thread, file under one key at once.
    const int rounds = 5;
    for (int round = 0; round < rounds; ++round) {
        const QString key = s("_%1").arg(round + 10);
        std::latch start(2);
        std::mutex guard;
        int successes = 0;
        QList<int> failures;
        const auto desk = [&](const QString& name) {
            Pharvel pharvel;
            const bool connected = pharvel.Connect(db.ConnectionString());
            start.arrive_and_wait();
            try {
                const bool added =
                    connected && pharvel.Classifications().AddClassification(s("_0"), key, name, 0);
                const std::lock_guard lock(guard);
                successes += added ? 1 : 0;
            } catch (const PharvelError& error) {
                const std::lock_guard lock(guard);
                failures << error.Number();
            }
        };
        std::thread first(desk, s("First desk"));
        std::thread second(desk, s("Second desk"));
        first.join();
        second.join();
        QCOMPARE(successes, 1);
        QCOMPARE(failures, QList<int>{ErrorNumber::ConstraintViolated});
    }
    // The losing desks left no classification without its node behind.
    QCOMPARE(count(db.Connection(), "inventory.tbForClassification"), classifications + rounds);
}

QTEST_GUILESS_MAIN(tst_catalog)
#include "tst_catalog.moc"
