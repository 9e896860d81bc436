#include "demo/CatalogueBuilder.h"
#include "fixtures/TestDatabase.h"
#include "platform/db/PharvelError.h"
#include "platform/db/Schema.h"
#include "platform/db/ScopedTransaction.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <thread>

// The database platform: row sets, migrations, what the schema guarantees, and how an
// unreachable or unusable database is reported.
class tst_database : public QObject
{
    Q_OBJECT

private slots:
    ON_EVERY_ENGINE(rowSetReadsForward);
    ON_EVERY_ENGINE(emptyRowSetIsAtEnd);
    void bothEnginesHaveTheSameMigrations();
    ON_EVERY_ENGINE(migrationsApplyOnce);
    void schemaRefusesBrokenCatalogue_data();
    void schemaRefusesBrokenCatalogue();
    ON_EVERY_ENGINE(sameKeyAtTheSameMomentWinsOnce);
    void serverDownIsNamed();
    void missingFolderIsRefused();
    ON_EVERY_ENGINE(loadedIdsAreNotGivenAgain);
};

namespace {
const QString kInsertNode =
    QStringLiteral("INSERT INTO inventory.tbPharvel (Node_Key, Node_Parent, Node_Type, Node_ID) "
                   "VALUES (?, ?, ?, ?)");

int numberOfFailure(SQLConnection& c, const QString& sql, const QVariantList& values,
                    QString* description)
{
    try {
        c.Execute(sql, values);
    } catch (const PharvelError& error) {
        *description = error.Description();
        return error.Number();
    }
    return 0;
}
} // namespace

void tst_database::rowSetReadsForward()
{
    QFETCH(QString, engine);
    TestDatabase db(engine);
    SQLConnection& c = db.Connection();
    for (int code : {3, 1, 2})
        c.Execute(QStringLiteral("INSERT INTO inventory.tbforgeneric (GenericCode, genericname) "
                                 "VALUES (?, ?)"),
                  {code, QStringLiteral("Generic %1").arg(code)});
    c.Execute(QStringLiteral("INSERT INTO inventory.tbPharvelOtherDetails VALUES (?, ?)"),
              {2, QStringLiteral("details")});
    RowSet rows = c.OpenRowSet(QStringLiteral(
        "SELECT g.GenericCode, g.genericname, o.OtherDetails FROM inventory.tbforgeneric g "
        "LEFT JOIN inventory.tbPharvelOtherDetails o ON o.GenericID = g.GenericCode "
        "ORDER BY g.GenericCode"));

    QCOMPARE(rows.RecordCount(), 3); // known before the first row is read
    QVERIFY(!rows.AtEnd());
    QCOMPARE(rows.Value(QStringLiteral("GENERICCODE")).toInt(), 1);
    QCOMPARE(rows.Text(QStringLiteral("GenericName")), QStringLiteral("Generic 1"));
    QVERIFY(rows.IsNull(QStringLiteral("otherdetails")));
    QCOMPARE(rows.Text(QStringLiteral("OtherDetails")), QString());
    rows.MoveNext();
    QCOMPARE(rows.Text(QStringLiteral("OtherDetails")), QStringLiteral("details"));
    rows.MoveNext();
    rows.MoveNext();
    QVERIFY(rows.AtEnd());
    QVERIFY_THROWS_EXCEPTION(PharvelError, rows.Value(0));
    rows.MoveFirst();
    QCOMPARE(rows.Value(0).toInt(), 1);
    QVERIFY_THROWS_EXCEPTION(PharvelError, rows.Value(QStringLiteral("ClassificationName")));
    QVERIFY_THROWS_EXCEPTION(PharvelError, rows.Value(3));
    rows.Close();
    QVERIFY(!rows.IsOpen());
    QVERIFY(rows.AtEnd());
}

void tst_database::emptyRowSetIsAtEnd()
{
    QFETCH(QString, engine);
    TestDatabase db(engine);
    RowSet rows = db.Connection().OpenRowSet(
        QStringLiteral("SELECT Node_Key FROM inventory.tbPharvel WHERE Node_Key = ?"),
        {QStringLiteral("_7")});
    QCOMPARE(rows.RecordCount(), 0);
    QVERIFY(rows.AtEnd());
    QCOMPARE(rows.FieldCount(), 1);
    QVERIFY_THROWS_EXCEPTION(PharvelError, rows.Text(QStringLiteral("Node_Key")));
}

void tst_database::bothEnginesHaveTheSameMigrations()
{
    const auto files = [](const QString& engine) {
        return QDir(QStringLiteral(":/platform/db/migrations/") + engine)
            .entryList({QStringLiteral("*.sql")}, QDir::Files, QDir::Name);
    };
    const QStringList sqlite = files(QStringLiteral("sqlite"));
    QVERIFY(sqlite.size() >= 2);
    QCOMPARE(files(QStringLiteral("postgresql")), sqlite);
    for (const QString& engine : {QStringLiteral("sqlite"), QStringLiteral("postgresql")}) {
        for (const QString& file : sqlite) {
            const QString path = QStringLiteral(":/platform/db/migrations/%1/%2").arg(engine, file);
            QVERIFY2(!Schema::Statements(path).isEmpty(), qPrintable(path));
        }
    }
}

void tst_database::migrationsApplyOnce()
{
    QFETCH(QString, engine);
    TestDatabase db(engine); // has applied every migration of its engine
    SQLConnection& c = db.Connection();
    QList<int> expected;
    for (const Schema::Migration& migration : Schema::Migrations(c))
        expected << migration.version;
    QCOMPARE(expected.size(), QDir(QStringLiteral(":/platform/db/migrations/sqlite"))
                                  .entryList({QStringLiteral("*.sql")})
                                  .size());

    RowSet recorded = c.OpenRowSet(
        QStringLiteral("SELECT Version FROM inventory.tbSchemaVersion ORDER BY Version"));
    QList<int> versions;
    for (; !recorded.AtEnd(); recorded.MoveNext())
        versions << recorded.Value(0).toInt();
    QCOMPARE(versions, expected);
    QCOMPARE(Schema::CurrentVersion(c), Schema::LatestVersion(c));
    QCOMPARE(Schema::Migrate(c), QList<int>());
    QCOMPARE(c.Scalar(QStringLiteral("SELECT count(*) FROM inventory.tbSchemaVersion")).toInt(),
             expected.size());
}

void tst_database::schemaRefusesBrokenCatalogue_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QVariantList>("values");
    const QString insertDetails =
        QStringLiteral("INSERT INTO inventory.tbPharvelOtherDetails VALUES (?, ?)");
    const QString c = QStringLiteral("1"), g = QStringLiteral("2");
    const struct
    {
        const char* name;
        QString sql;
        QVariantList values;
    } cases[] = {
        {"duplicate key", kInsertNode, {QStringLiteral("_1"), QStringLiteral("_0"), c, 2}},
        {"parent missing", kInsertNode, {QStringLiteral("_9.1"), QStringLiteral("_9"), c, 2}},
        {"generic filed twice", kInsertNode, {QStringLiteral("_1.2"), QStringLiteral("_1"), g, 1}},
        {"classification filed twice",
         kInsertNode,
         {QStringLiteral("_2"), QStringLiteral("_0"), c, 1}},
        {"second other details", insertDetails, {1, QStringLiteral("again")}},
        {"key under another parent",
         kInsertNode,
         {QStringLiteral("_2.1"), QStringLiteral("_1"), c, 2}},
        {"key only starting like its parent's",
         kInsertNode,
         {QStringLiteral("_1.10"), QStringLiteral("_1.1"), QStringLiteral("3"), 1}},
        {"top-level key with a path",
         kInsertNode,
         {QStringLiteral("_1.5"), QStringLiteral("_0"), c, 2}},
        {"key with letters", kInsertNode, {QStringLiteral("_1.x"), QStringLiteral("_1"), c, 2}},
        {"second root", kInsertNode, {QStringLiteral("_0"), QVariant(), QStringLiteral("0"), 1}},
    };
    for (const QString& engine : TestDatabase::Engines())
        for (const auto& row : cases)
            QTest::addRow("%s: %s", qPrintable(engine), row.name)
                << engine << row.sql << row.values;
}

void tst_database::schemaRefusesBrokenCatalogue()
{
    QFETCH(QString, engine);
    QFETCH(QString, sql);
    QFETCH(QVariantList, values);
    TestDatabase db(engine);
    SQLConnection& c = db.Connection();
    // Classifications 1 and 2, generic names 1 and 2; classification 1 (_1) holds generic 1 (_1.1)
    // which has other details.
    for (int id : {1, 2}) {
        c.Execute(QStringLiteral("INSERT INTO inventory.tbForClassification VALUES (?, ?)"),
                  {id, QStringLiteral("Class %1").arg(id)});
        c.Execute(QStringLiteral("INSERT INTO inventory.tbforgeneric VALUES (?, ?)"),
                  {id, QStringLiteral("Generic %1").arg(id)});
    }
    c.Execute(kInsertNode, {QStringLiteral("_1"), QStringLiteral("_0"), QStringLiteral("1"), 1});
    c.Execute(kInsertNode, {QStringLiteral("_1.1"), QStringLiteral("_1"), QStringLiteral("2"), 1});
    c.Execute(QStringLiteral("INSERT INTO inventory.tbPharvelOtherDetails VALUES (?, ?)"),
              {1, QStringLiteral("details")});
    const int nodes = c.Scalar(QStringLiteral("SELECT count(*) FROM inventory.tbPharvel")).toInt();

    QString description;
    QCOMPARE(numberOfFailure(c, sql, values, &description), ErrorNumber::ConstraintViolated);
    QVERIFY(!description.isEmpty());
    QCOMPARE(c.Scalar(QStringLiteral("SELECT count(*) FROM inventory.tbPharvel")).toInt(), nodes);
}

void tst_database::sameKeyAtTheSameMomentWinsOnce()
{
    QFETCH(QString, engine);
    TestDatabase db(engine);
    SQLConnection& c = db.Connection();
    c.Execute(QStringLiteral("INSERT INTO inventory.tbForClassification VALUES (?, ?), (?, ?)"),
              {1, QStringLiteral("Mine"), 2, QStringLiteral("Theirs")});

    // This desktop has written the key but not committed yet when the other one writes it too.
    int otherNumber = -1;
    QString otherDescription;
    {
        ScopedTransaction transaction(c);
        c.Execute(kInsertNode,
                  {QStringLiteral("_1"), QStringLiteral("_0"), QStringLiteral("1"), 1});
        std::jthread other([&] {
            try {
                auto another = db.OpenAnother();
                otherNumber = numberOfFailure(
                    *another, kInsertNode,
                    {QStringLiteral("_1"), QStringLiteral("_0"), QStringLiteral("1"), 2},
                    &otherDescription);
            } catch (const PharvelError& error) {
                otherDescription = error.Description();
            }
        });
        QThread::msleep(300); // the other writer is now waiting for this one
        transaction.Commit();
    }
    QVERIFY2(otherNumber == ErrorNumber::ConstraintViolated, qPrintable(otherDescription));
    RowSet rows =
        c.OpenRowSet(QStringLiteral("SELECT Node_ID FROM inventory.tbPharvel WHERE Node_Key = ?"),
                     {QStringLiteral("_1")});
    QCOMPARE(rows.RecordCount(), 1);
    QCOMPARE(rows.Value(0).toInt(), 1);
}

void tst_database::serverDownIsNamed()
{
    QTemporaryDir noServerHere;
    const QString url =
        QStringLiteral("postgresql://postgres@/pharmacy?host=") + noServerHere.path();
    try {
        SQLConnection::Open(url);
        QFAIL("a connection opened to a server that does not run");
    } catch (const PharvelError& error) {
        QCOMPARE(error.Number(), ErrorNumber::ConnectionFailed);
        QVERIFY2(error.Description().contains(noServerHere.path() + QStringLiteral("/pharmacy")),
                 qPrintable(error.Description()));
    }
}

void tst_database::missingFolderIsRefused()
{
    QTemporaryDir parent;
    const QString folder = parent.filePath(QStringLiteral("not-there"));
    try {
        SQLConnection::Open(folder);
        QFAIL("a missing catalogue folder was opened");
    } catch (const PharvelError& error) {
        QCOMPARE(error.Number(), ErrorNumber::ConnectionFailed);
        QVERIFY2(error.Description().contains(folder), qPrintable(error.Description()));
    }
    QVERIFY(!QFileInfo::exists(folder)); // nothing was created on the way
}

void tst_database::loadedIdsAreNotGivenAgain()
{
    QFETCH(QString, engine);
    TestDatabase db(engine);
    SQLConnection& c = db.Connection();
    CatalogueBuilder builder(c);
    const QString classKey = builder.AddClassification(QStringLiteral("_0"), QStringLiteral("A"));
    const int generic = builder.AddGeneric(QStringLiteral("Loaded"));
    builder.FileGeneric(classKey, generic);
    const int drug = builder.AddDrug(QStringLiteral("LOADED 1MG TAB"), {}, {}, {}, {}, {});
    builder.SetHospital(QStringLiteral("Client"), QStringLiteral("Company"),
                        QStringLiteral("1 Road"));
    builder.Finish();

    // Rows written later without an id of their own take the next ids, not the loaded ones.
    c.Execute(QStringLiteral("INSERT INTO inventory.tbforgeneric (genericname) VALUES (?)"),
              {QStringLiteral("Later")});
    c.Execute(QStringLiteral("INSERT INTO inventory.tbinvmaster (DrugName) VALUES (?)"),
              {QStringLiteral("LATER")});
    c.Execute(QStringLiteral("INSERT INTO inventory.tbForClassification (ClassificationName) "
                             "VALUES (?)"),
              {QStringLiteral("Later")});
    c.Execute(QStringLiteral("INSERT INTO patient_data.tbHospitalInfo (clientname) VALUES (?)"),
              {QStringLiteral("Later")});
    QCOMPARE(
        c.Scalar(QStringLiteral("SELECT max(GenericCode) FROM inventory.tbforgeneric")).toInt(),
        generic + 1);
    QCOMPARE(c.Scalar(QStringLiteral("SELECT max(itemid) FROM inventory.tbinvmaster")).toInt(),
             drug + 1);
    QCOMPARE(c.Scalar(QStringLiteral("SELECT count(*) FROM inventory.tbForClassification")).toInt(),
             2);
    QCOMPARE(c.Scalar(QStringLiteral("SELECT count(*) FROM patient_data.tbHospitalInfo")).toInt(),
             2);
}

QTEST_GUILESS_MAIN(tst_database)
#include "tst_database.moc"
