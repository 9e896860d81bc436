#include "fixtures/PrivateServer.h"
#include "fixtures/SampleCatalogue.h"
#include "fixtures/TestAccount.h"
#include "fixtures/TestDatabase.h"
#include "platform/catalog/Pharvel.h"
#include "platform/db/ConnectionString.h"
#include "platform/db/Journal.h"
#include "platform/db/PharvelError.h"
#include "platform/db/SQLConnection.h"
#include "platform/db/Schema.h"
#include "platform/db/ScopedTransaction.h"
#include "platform/db/ServerProcedures.h"
#include "platform/user/AccountStore.h"
#include "platform/user/clsCurrentUser.h"

#include <QTest>
#include <QUrl>

using ClassPharvel::Pharvel;

namespace {
QString s(const char* text)
{
    return QString::fromUtf8(text);
}

// Every table a pharmacist's desktop can reach.
const char* const kCatalogueTables[] = {
    "inventory.tbForClassification",   "inventory.tbforgeneric",
    "inventory.tbinvmaster",           "inventory.tbPharvel",
    "inventory.tbPharvelOtherDetails", "patient_data.tbHospitalInfo",
    "inventory.tbFormulary",           "inventory.tbGenericCode",
    "inventory.tbAlternative",
};
// What nobody but the administrator's tool may do to the change journal.
const char* const kJournalRewrites[] = {"UPDATE inventory.tbCatalogueJournal SET Action = 'x'",
                                        "DELETE FROM inventory.tbCatalogueJournal",
                                        "TRUNCATE inventory.tbCatalogueJournal"};
const char* const kAdministratorTables[] = {"patient_data.tbUserProfile",
                                            "inventory.tbSchemaVersion", "inventory.tbAtcIndex"};
// Journal rows of a client's own making, which no role but the owner's may write.
const char* const kForgedRows[] = {
    "INSERT INTO inventory.tbCatalogueJournal (Action, EntryType) VALUES ('forged', '3')",
    "INSERT INTO inventory.tbCatalogueJournal (JournalID, Action, EntryType) "
    "OVERRIDING SYSTEM VALUE VALUES (9, 'forged', '3')",
    "SELECT inventory.fnJournalAdd('forged', '3', 1, 'x', NULL, NULL, NULL, NULL, NULL, NULL)"};

// Statements that would change a table, whatever it holds; the server checks the rights before
// it looks at a single row.
QStringList changesTo(const char* table)
{
    const QString t = s(table);
    return {s("INSERT INTO %1 SELECT * FROM %1 WHERE 1 = 0").arg(t),
            s("DELETE FROM %1 WHERE 1 = 0").arg(t), s("TRUNCATE %1").arg(t),
            s("ALTER TABLE %1 ADD COLUMN Extra TEXT").arg(t), s("DROP TABLE %1").arg(t)};
}

// The statement fails with NotPermitted: refused by the server, not by the program.
bool refusedByServer(SQLConnection& connection, const QString& sql)
{
    try {
        connection.Execute(sql);
    } catch (const PharvelError& error) {
        if (error.Number() == ErrorNumber::NotPermitted)
            return true;
        qWarning().noquote() << sql << "failed otherwise:" << error.Description();
        return false;
    }
    qWarning().noquote() << sql << "was allowed";
    return false;
}

using Account = TestAccount;
} // namespace

// Rights on a shared server are the server's own: each user logs in as their own role, and the
// view-only role cannot change the catalogue whatever its client sends.
class tst_rights : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void viewOnlyRoleReadsButCannotChange();
    void viewOnlyRoleKeepsToItsOwnReports_data();
    void viewOnlyRoleKeepsToItsOwnReports();
    void pharmacistRoleChangesTheCatalogueOnly();
    void plainSqlIsJournaledByTheServer();
    void upgradeTakesTheJournalFromOlderRoles();
    void passwordsAreTheServers();
    void rightsReachTablesAddedLater();
    void connectionsCanRequireTls();
};

void tst_rights::initTestCase()
{
    if (!TestDatabase::PostgreSQLSkipReason().isEmpty())
        QSKIP(qPrintable(TestDatabase::PostgreSQLSkipReason() +
                         s("; the embedded engine has no server rights (the catalogue "
                           "component's own refusal is tested in tst_catalog)")));
}

void tst_rights::viewOnlyRoleReadsButCannotChange()
{
    TestDatabase db(s("postgresql"));
    SampleCatalogue sample(db.Connection());
    sample.Build();
    Account viewer(db.Connection(), "viewer", s("BB"));
    auto viewing = SQLConnection::Open(viewer.Url(db.ConnectionString()));

    // Whatever a tampered client sends, the server refuses every change.
    for (const char* table : kCatalogueTables)
        for (const QString& change : changesTo(table))
            QVERIFY2(refusedByServer(*viewing, change), qPrintable(change));
    for (const char* table : kAdministratorTables)
        for (const QString& change : changesTo(table))
            QVERIFY2(refusedByServer(*viewing, change), qPrintable(change));
    QVERIFY(refusedByServer(*viewing, s("UPDATE patient_data.tbUserProfile SET UserRights = '' "
                                        "WHERE 1 = 0")));
    QVERIFY(refusedByServer(*viewing, s("CREATE TABLE inventory.tbMine (x INTEGER)")));
    QVERIFY(refusedByServer(*viewing, s("UPDATE inventory.tbforgeneric SET genericname = "
                                        "genericname WHERE 1 = 0")));
    for (const char* change : kJournalRewrites)
        QVERIFY2(refusedByServer(*viewing, s(change)), change);
    for (const char* forged : kForgedRows)
        QVERIFY2(refusedByServer(*viewing, s(forged)), forged);

    // Looking, finding and preparing reports are the viewer's to do.
    Pharvel looker;
    QVERIFY2(looker.Connect(viewer.Url(db.ConnectionString())), qPrintable(looker.LastError()));
    const int nodes = db.Connection().Scalar(s("SELECT count(*) FROM inventory.tbPharvel")).toInt();
    QCOMPARE(looker.LoadClassifications(s("_0"), true).RecordCount(), nodes - 1);
    QVERIFY(ServerProcedures::For_SearchNodeList(*viewing, s("mor")).RecordCount() > 0);
    ServerProcedures::For_TraceParent(*viewing, s("_1.1.1"));
    ServerProcedures::Pharvel_Generate(*viewing, ServerProcedures::Pharvel_NodeLevel(*viewing));
    ServerProcedures::Pharvel_Changes(*viewing, QDate::currentDate().addDays(-30),
                                      QDate::currentDate());
    QCOMPARE(viewing->Scalar(s("SELECT count(*) FROM inventory.tbPharvelReport")).toInt(),
             nodes - 1);
    // An id of its own choosing is not taken: the server hands out the next preparation's.
    Account pharmacist(db.Connection(), "pharmacist", {});
    auto working = SQLConnection::Open(pharmacist.Url(db.ConnectionString()));
    const ReportPreparation::Id theirs = ServerProcedures::Pharvel_NodeLevel(*working);
    ServerProcedures::Pharvel_Generate(*working, theirs);
    const QString theirRows = s("SELECT count(*) FROM inventory.tbPharvelReport "
                                "WHERE PreparationID = ?");
    viewing->Execute(s("INSERT INTO inventory.tbReportPreparation (PreparationID, PreparedBy, "
                       "PreparedAt) VALUES (?, ?, now())"),
                     {theirs + 1, pharmacist.id});
    const ReportPreparation::Id next = ServerProcedures::Pharvel_NodeLevel(*working);
    ServerProcedures::Pharvel_Generate(*working, next);
    QVERIFY(next > theirs + 1);
    QCOMPARE(working->Scalar(theirRows, {next}).toInt(), nodes - 1);

    // The component refuses before the server is asked; both say nothing was changed.
    QVERIFY_THROWS_EXCEPTION(PharvelError, looker.Generics().NewGeneric(s("Codeine")));
    QCOMPARE(db.Connection().Scalar(s("SELECT count(*) FROM inventory.tbPharvel")).toInt(), nodes);
}

void tst_rights::viewOnlyRoleKeepsToItsOwnReports_data()
{
    // A row forged into the pharmacist's preparation %1: its structure's, or its changes'.
    QTest::addColumn<QString>("table");
    QTest::addColumn<bool>("changes");
    QTest::addColumn<QString>("forged");
    QTest::newRow("preparations") << s("inventory.tbReportPreparation") << false
                                  << s("UPDATE inventory.tbReportPreparation SET PreparedBy = "
                                       "session_user WHERE PreparationID = %1");
    QTest::newRow("levels") << s("inventory.tbPharvelNodeLevel") << false
                            << s("INSERT INTO inventory.tbPharvelNodeLevel (PreparationID, "
                                 "Node_Key, Node_Level) VALUES (%1, '_9', 1)");
    QTest::newRow("structure") << s("inventory.tbPharvelReport") << false
                               << s("INSERT INTO inventory.tbPharvelReport (PreparationID, "
                                    "SortOrder, Node_Level, Node_Type, ItemName) VALUES (%1, 0, "
                                    "1, '1', 'FORGED BY GUEST')");
    QTest::newRow("changes") << s("inventory.tbCatalogueChanges") << true
                             << s("INSERT INTO inventory.tbCatalogueChanges (PreparationID, "
                                  "SortOrder, RowLevel, RowType, Entry) VALUES (%1, 0, 2, '2', "
                                  "'FORGED BY GUEST')");
    QTest::newRow("period") << s("inventory.tbCatalogueChangesPeriod") << true
                            << s("INSERT INTO inventory.tbCatalogueChangesPeriod (PreparationID, "
                                 "Period, Changes) VALUES (%1, 'FORGED BY GUEST', 0)");
}

// A view-only role prepares reports of its own, and neither puts a row into a pharmacist's nor
// takes one out of it, whatever its client sends.
void tst_rights::viewOnlyRoleKeepsToItsOwnReports()
{
    QFETCH(QString, table);
    QFETCH(bool, changes);
    QFETCH(QString, forged);
    TestDatabase db(s("postgresql"));
    SampleCatalogue sample(db.Connection());
    sample.Build();
    Account viewer(db.Connection(), "viewer", s("BB"));
    Account pharmacist(db.Connection(), "pharmacist", {});
    auto viewing = SQLConnection::Open(viewer.Url(db.ConnectionString()));
    auto working = SQLConnection::Open(pharmacist.Url(db.ConnectionString()));
    working->Execute(s("UPDATE inventory.tbforgeneric SET genericname = 'Amoxil' "
                       "WHERE GenericCode = ?"),
                     {sample.amoxicillin});
    const QDate today = QDate::currentDate();
    // Both prepare both kinds of report; the pharmacist's preparation of the kind is the target.
    ReportPreparation::Id theirs = 0;
    for (SQLConnection* role : {viewing.get(), working.get()}) {
        const ReportPreparation::Id structure = ServerProcedures::Pharvel_NodeLevel(*role);
        ServerProcedures::Pharvel_Generate(*role, structure);
        const ReportPreparation::Id changed =
            ServerProcedures::Pharvel_Changes(*role, today.addDays(-1), today);
        theirs = changes ? changed : structure;
    }
    const QString rows = s("SELECT count(*) FROM %1").arg(table);
    const int own = viewing->Scalar(rows).toInt();
    const int others = working->Scalar(rows).toInt();
    QVERIFY(own > 0 && others > 0);
    QVERIFY(refusedByServer(*viewing, forged.arg(theirs)));
    QVERIFY(refusedByServer(*viewing, s("UPDATE %1 SET PreparationID = PreparationID").arg(table)));
    QCOMPARE(viewing->Execute(s("DELETE FROM %1").arg(table)), own);
    QCOMPARE(viewing->Scalar(rows).toInt(), 0);
    QCOMPARE(working->Scalar(rows).toInt(), others);
}

void tst_rights::pharmacistRoleChangesTheCatalogueOnly()
{
    TestDatabase db(s("postgresql"));
    SampleCatalogue sample(db.Connection());
    sample.Build();
    Account pharmacist(db.Connection(), "pharmacist", {});
    Pharvel desk;
    QVERIFY2(desk.Connect(pharmacist.Url(db.ConnectionString())), qPrintable(desk.LastError()));
    // Every write of the component, with the table locks it takes.
    QVERIFY(desk.Classifications().AddClassification(s("_0"), s("_4"), s("Vaccines"), 0));
    QVERIFY(desk.Classifications().RenameClassification(s("_4"), s("Vaccines and sera")));
    QVERIFY(desk.Generics().NewGeneric(s("Codeine")));
    QVERIFY(desk.Generics().AddGeneric(s("_3"), s("_3.1"), {}, sample.ibuprofen));
    QVERIFY(desk.Drugs().AddDrug(s("_3.1"), s("_3.1.1"), {}, sample.aspirin));
    QVERIFY(desk.Drugs().DeleteDrug(sample.aspirin));
    QVERIFY(desk.Generics().DeleteGeneric(QString::number(sample.ibuprofen)));
    QVERIFY(desk.Classifications().DeleteClassification(s("_4")));
    SQLConnection& working = desk.Connection();
    working.Execute(s("INSERT INTO inventory.tbPharvelOtherDetails VALUES (?, ?)"),
                    {sample.amoxicillin, s("Take with food")});
    ServerProcedures::Delete_Generic(working, sample.ibuprofen);
    ServerProcedures::Pharvel_Generate(working, ServerProcedures::Pharvel_NodeLevel(working));

    // The accounts, the schema and its version are the administrator's.
    for (const char* table : kAdministratorTables)
        for (const QString& change : changesTo(table))
            QVERIFY2(refusedByServer(working, change), qPrintable(change));
    for (const char* table : kCatalogueTables) {
        QVERIFY(refusedByServer(working, s("ALTER TABLE %1 ADD COLUMN Extra TEXT").arg(s(table))));
        QVERIFY(refusedByServer(working, s("DROP TABLE %1").arg(s(table))));
    }
    QVERIFY(refusedByServer(working, s("CREATE TABLE inventory.tbMine (x INTEGER)")));
    QVERIFY(refusedByServer(working, s("ALTER ROLE %1 SUPERUSER").arg(pharmacist.id)));

    // Each change left its journal row, the plain insert of other details too, stamped by the
    // server with the pharmacist's role; the pharmacist can neither write, rewrite nor delete one.
    QCOMPARE(db.Connection()
                 .Scalar(s("SELECT count(*) FROM inventory.tbCatalogueJournal WHERE ChangedBy = ?"),
                         {pharmacist.id})
                 .toInt(),
             10);
    for (const char* forged : kForgedRows)
        QVERIFY2(refusedByServer(working, s(forged)), forged);
    for (const char* change : kJournalRewrites)
        QVERIFY2(refusedByServer(working, s(change)), change);
    QVERIFY(refusedByServer(working, s("UPDATE patient_data.tbHospitalInfo SET company = 'x'")));
}

void tst_rights::plainSqlIsJournaledByTheServer()
{
    TestDatabase db(s("postgresql"));
    SampleCatalogue sample(db.Connection());
    sample.Build();
    Account pharmacist(db.Connection(), "pharmacist", {});
    auto psql = SQLConnection::Open(pharmacist.Url(db.ConnectionString()));
    // What a pharmacist's own client sends, each list in one transaction, and the one row the
    // server journals for it.
    struct Case
    {
        QStringList statements;
        const char* action;
        const char* entry;
        const char* beforeAfter;
    };
    const Case cases[] = {
        {{s("UPDATE inventory.tbforgeneric SET genericname = 'X' WHERE genericcode = 3")},
         "generic name renamed",
         "Amoxicillin",
         "Amoxicillin → X"},
        {{s("INSERT INTO inventory.tbPharvel SELECT '_3.1', '_3', '3', itemid FROM "
            "inventory.tbinvmaster WHERE DrugName = 'ASPIRIN 300MG TAB'")},
         "drug filed",
         "ASPIRIN 300MG TAB",
         " → Empty Class"},
        {{s("DELETE FROM inventory.tbPharvel WHERE Node_Key = '_2.1'"),
          s("INSERT INTO inventory.tbPharvel VALUES ('_1.3', '_1', '2', 3)")},
         "generic name moved",
         "X",
         "antibiotics → Analgesics"},
        {{s("UPDATE inventory.tbPharvel SET Node_Key = '_1.2.3', Node_Parent = '_1.2' "
            "WHERE Node_Key = '_1.1.1.1'")},
         "drug moved",
         "MORPHINE 10MG/ML INJ",
         "Morphine → Paracetamol"},
        {{s("UPDATE inventory.tbinvmaster SET Dosage = '10 mg' WHERE DrugName = 'CALPOL "
            "120MG/5ML SYRUP'")},
         "drug changed",
         "CALPOL 120MG/5ML SYRUP",
         "name: CALPOL 120MG/5ML SYRUP… → name: CALPOL 120MG/5ML SYRUP…"},
        {{s("INSERT INTO inventory.tbPharvelOtherDetails VALUES (1, 'With food')")},
         "other details saved",
         "Morphine",
         " → With food"},
        {{s("INSERT INTO inventory.tbForClassification VALUES (9, 'Vaccines')"),
          s("INSERT INTO inventory.tbPharvel VALUES ('_4', '_0', '1', 9)")},
         "classification added",
         "Vaccines",
         " → All Classification"},
        {{s("DELETE FROM inventory.tbPharvel WHERE Node_Key = '_4'"),
          s("DELETE FROM inventory.tbForClassification WHERE ClassificationID = 9")},
         "classification deleted",
         "Vaccines",
         "All Classification → "},
        // A change made late in a long transaction bears the time it was made.
        {{s("SELECT pg_sleep(1.1)"), s("DELETE FROM inventory.tbforgeneric WHERE genericcode = 4")},
         "generic name deleted",
         "Ibuprofen",
         "Ibuprofen → "},
    };
    const auto rows = [&] {
        return db.Connection()
            .Scalar(s("SELECT count(*) FROM inventory.tbCatalogueJournal"))
            .toInt();
    };
    for (const Case& c : cases) {
        const int before = rows();
        {
            ScopedTransaction transaction(*psql);
            for (const QString& statement : c.statements)
                psql->Execute(statement);
            transaction.Commit();
        }
        QVERIFY2(rows() == before + 1, qPrintable(c.statements.join(s("; "))));
        RowSet newest = Journal::List(db.Connection(), {});
        QCOMPARE(newest.Text(s("Action")), s(c.action));
        QCOMPARE(newest.Text(s("Entry")), s(c.entry));
        QCOMPARE(Journal::BeforeAfter(newest), s(c.beforeAfter));
        QCOMPARE(newest.Text(s("User")), pharmacist.id);
        QVERIFY(!newest.Text(s("Desktop")).isEmpty());
    }
    QVERIFY(db.Connection()
                .Scalar(s("SELECT max(ChangedAt) - min(ChangedAt) >= interval '1 second' FROM "
                          "inventory.tbCatalogueJournal WHERE JournalID >= (SELECT max(JournalID) "
                          "- 1 FROM inventory.tbCatalogueJournal)"))
                .toBool());
}

void tst_rights::upgradeTakesTheJournalFromOlderRoles()
{
    // A catalogue of the version before the server kept the journal, with a pharmacist's role
    // as it then was: free to add journal rows (at ids of its choosing) and to edit the header.
    TestDatabase server(s("postgresql"));
    QUrl older(server.ConnectionString());
    older.setPath(s("/%1_older").arg(older.path().mid(1)));
    server.Connection().Execute(s("CREATE DATABASE ") + older.path().mid(1));
    {
        auto admin = SQLConnection::Open(older.toString());
        for (const Schema::Migration& migration : Schema::Migrations(*admin)) {
            if (migration.version >= 5)
                break;
            for (const QString& statement : Schema::Statements(migration.path))
                admin->Execute(statement);
            admin->Execute(s("INSERT INTO inventory.tbSchemaVersion (Version) VALUES (?)"),
                           {migration.version});
        }
        Account pharmacist(*admin, "pharmacist", {});
        admin->Execute(s("GRANT INSERT ON inventory.tbCatalogueJournal, "
                         "patient_data.tbHospitalInfo TO %1")
                           .arg(pharmacist.id));
        auto working = SQLConnection::Open(pharmacist.Url(older.toString()));
        working->Execute(s(kForgedRows[1]));
        QCOMPARE(Schema::Migrate(*admin).size(), Schema::Migrations(*admin).size() - 4);
        for (const char* forged : kForgedRows)
            QVERIFY2(refusedByServer(*working, s(forged)), forged);
        QVERIFY(refusedByServer(*working, s("INSERT INTO patient_data.tbHospitalInfo DEFAULT "
                                            "VALUES")));
        // The journal hands out ids past the forged one, and journals the pharmacist's change.
        working->Execute(s("INSERT INTO inventory.tbforgeneric VALUES (1, 'Codeine')"));
        QCOMPARE(admin
                     ->Scalar(s("SELECT max(JournalID) FROM inventory.tbCatalogueJournal "
                                "WHERE Action = 'generic name added'"))
                     .toInt(),
                 10);
    }
    server.Connection().Execute(s("DROP DATABASE %1 WITH (FORCE)").arg(older.path().mid(1)));
}

void tst_rights::passwordsAreTheServers()
{
    TestDatabase db(s("postgresql"));
    Account pharmacist(db.Connection(), "pharmacist", {});
    // The server keeps a SCRAM verifier, never the password.
    const QString stored =
        db.Connection()
            .Scalar(s("SELECT rolpassword FROM pg_authid WHERE rolname = ?"), {pharmacist.id})
            .toString();
    QVERIFY2(stored.startsWith(s("SCRAM-SHA-256$")), qPrintable(stored));
    QVERIFY(!stored.contains(pharmacist.password));

    // The server checks the password at the login; the profile holds no hash of it.
    QUrl login(db.ConnectionString());
    login.setUserName({});
    Corvida_User::clsCurrentUser user;
    user.SetPasswordDeptCode(s("PH"));
    user.Login(login.toString(QUrl::FullyEncoded), pharmacist.id, pharmacist.password);
    QCOMPARE(user.SQLConnection()->Scalar(s("SELECT current_user")).toString(), pharmacist.id);
    try {
        user.Login(login.toString(QUrl::FullyEncoded), pharmacist.id, s("guessed"));
        QFAIL("a wrong password was let in");
    } catch (const PharvelError& error) {
        QCOMPARE(error.Number(), ErrorNumber::LoginFailed);
    }
    try {
        SQLConnection::Open(
            ConnectionString::Parse(db.ConnectionString()).WithCredentials(pharmacist.id, s("x")));
        QFAIL("the server let a wrong password in");
    } catch (const PharvelError& error) {
        QVERIFY2(error.Description().contains(s("password authentication failed")),
                 qPrintable(error.Description()));
    }
}

void tst_rights::rightsReachTablesAddedLater()
{
    TestDatabase db(s("postgresql"));
    Account viewer(db.Connection(), "viewer", s("BB"));
    Account pharmacist(db.Connection(), "pharmacist", {});
    // A later version of the schema adds a table, as a migration would.
    db.Connection().Execute(s("CREATE TABLE inventory.tbLater (Note TEXT)"));
    auto viewing = SQLConnection::Open(viewer.Url(db.ConnectionString()));
    auto working = SQLConnection::Open(pharmacist.Url(db.ConnectionString()));
    QVERIFY(refusedByServer(*viewing, s("SELECT count(*) FROM inventory.tbLater")));

    QCOMPARE(AccountStore::RenewRights(db.Connection()), 2);
    QCOMPARE(viewing->Scalar(s("SELECT count(*) FROM inventory.tbLater")).toInt(), 0);
    QVERIFY(refusedByServer(*viewing, s("INSERT INTO inventory.tbLater VALUES ('x')")));
    working->Execute(s("INSERT INTO inventory.tbLater VALUES (?)"), {s("noted")});
    for (const char* table : kAdministratorTables)
        QVERIFY(refusedByServer(*working, s("DELETE FROM %1 WHERE 1 = 0").arg(s(table))));
}

void tst_rights::connectionsCanRequireTls()
{
    const QString skipReason = PrivateServer::SkipReason(PrivateServer::Transport::Tls);
    if (!skipReason.isEmpty())
        QSKIP(qPrintable(skipReason));
    PrivateServer server(PrivateServer::Transport::Tls);
    SQLConnection::Open(server.SuperuserUrl())->Execute(s("CREATE DATABASE catalogue"));
    auto admin = SQLConnection::Open(server.SuperuserUrl(s("catalogue")));
    Schema::Migrate(*admin);
    AccountStore::AddAccount(*admin, s("pharmacist"), s("over tls"), s("PH1"), {}, s("PH"));

    // With sslmode=require the session is encrypted, and the login goes through it.
    const QString tls = server.TcpUrl(s("catalogue"), {}, {}, s("require"));
    Corvida_User::clsCurrentUser user;
    user.SetPasswordDeptCode(s("PH"));
    user.Login(tls, s("pharmacist"), s("over tls"));
    QCOMPARE(user.SQLConnection()
                 ->Scalar(s("SELECT ssl FROM pg_stat_ssl WHERE pid = pg_backend_pid()"))
                 .toBool(),
             true);
    Pharvel pharvel;
    QVERIFY2(pharvel.Connect(user.connectionstr()), qPrintable(pharvel.LastError()));
    QVERIFY(ConnectionString::Parse(user.connectionstr()).sslmode == s("require"));

    // A server that demands TLS turns away a plain session; a client that demands a verified
    // certificate turns away a server it cannot verify. Both name the server.
    for (const QString& mode : {s("disable"), s("verify-full")}) {
        try {
            SQLConnection::Open(
                server.TcpUrl(s("catalogue"), s("pharmacist"), s("over tls"), mode));
            QFAIL(qPrintable(s("sslmode=%1 connected").arg(mode)));
        } catch (const PharvelError& error) {
            qInfo().noquote() << "sslmode" << mode << "the user sees:" << error.Description();
            QCOMPARE(error.Number(), ErrorNumber::ConnectionFailed);
            QVERIFY2(error.Description().contains(s("127.0.0.1/catalogue")),
                     qPrintable(error.Description()));
        }
    }
}

QTEST_GUILESS_MAIN(tst_rights)
#include "tst_rights.moc"
