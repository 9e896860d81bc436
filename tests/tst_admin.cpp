#include "demo/DemoCatalogue.h"
#include "fixtures/PrivateServer.h"
#include "fixtures/TestDatabase.h"
#include "platform/db/PharvelError.h"
#include "platform/db/SQLConnection.h"
#include "platform/db/Schema.h"
#include "platform/user/clsCurrentUser.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QUuid>
#include <algorithm>

// The administrator's tool, run as the administrator runs it, and the catalogues it loads.
class tst_admin : public QObject
{
    Q_OBJECT

private slots:
    void demoThroughTheTool();
    void demoTwiceOnOneServer();
    ON_EVERY_ENGINE(demoCatalogueKeepsTheTreeRules);
    ON_EVERY_ENGINE(syntheticCatalogue);
    ON_EVERY_ENGINE(accounts);
    void hospitalHeader();
    void badInput();
    ON_EVERY_ENGINE(otherSchemaVersionRefused);
    void readOnlyCopyExportedAndChecked();
};

namespace {
struct Run
{
    int exitCode = -1;
    QString output; // standard output and standard error together
};

Run runAdmin(const QStringList& arguments, const QByteArray& input = {})
{
    QProcess admin;
    admin.start(QDir(QCoreApplication::applicationDirPath())
                    .absoluteFilePath(QStringLiteral("../tools/pharvel-admin")),
                arguments);
    admin.write(input);
    admin.closeWriteChannel();
    admin.waitForFinished(120000);
    Run run;
    run.output = QString::fromUtf8(admin.readAllStandardOutput() + admin.readAllStandardError());
    if (admin.exitStatus() == QProcess::NormalExit)
        run.exitCode = admin.exitCode();
    return run;
}

QStringList args(std::initializer_list<const char*> words)
{
    QStringList result;
    for (const char* word : words)
        result << QString::fromUtf8(word);
    return result;
}

int count(SQLConnection& connection, const char* sql)
{
    return connection.Scalar(QString::fromLatin1(sql)).toInt();
}

int loginError(const QString& server, const QString& id, const QString& password,
               QString* rights = nullptr)
{
    Corvida_User::clsCurrentUser user;
    user.SetPasswordDeptCode(QStringLiteral("PH"));
    try {
        user.Login(server, id, password);
    } catch (const PharvelError& error) {
        return error.Number();
    }
    if (rights)
        *rights = user.UserRights();
    return 0;
}

// The server as a pharmacist types it at the login: without the administrator's credentials.
QString loginServer(const TestDatabase& db, const QString& engine)
{
    if (engine == QLatin1String("sqlite"))
        return db.ConnectionString();
    QUrl url(db.ConnectionString());
    url.setUserName({});
    return url.toString(QUrl::FullyEncoded);
}

// Checks the rules every catalogue tree keeps; returns the first broken one, or nothing.
//  - each node but the root has a parent that exists;
//  - a key is its parent's key and a dot and a number ("_n" straight under the root), and the
//    children of a parent are numbered 1, 2, 3 ... without gaps;
//  - a classification stands under the root or a classification, a generic name under a
//    classification, a drug under a generic name;
//  - classifications nest at most `deepest` levels.
QString brokenTreeRule(SQLConnection& connection, int deepest)
{
    RowSet nodes = connection.OpenRowSet(
        QStringLiteral("SELECT Node_Key, Node_Parent, Node_Type FROM inventory.tbPharvel"));
    QHash<QString, QString> parentOf;
    QHash<QString, QString> typeOf;
    for (; !nodes.AtEnd(); nodes.MoveNext()) {
        parentOf.insert(nodes.Text(QStringLiteral("Node_Key")),
                        nodes.Text(QStringLiteral("Node_Parent")));
        typeOf.insert(nodes.Text(QStringLiteral("Node_Key")),
                      nodes.Text(QStringLiteral("Node_Type")).trimmed());
    }
    QHash<QString, QList<int>> childNumbers;
    const QHash<QString, QString> allowedParent{{QStringLiteral("1"), QStringLiteral("01")},
                                                {QStringLiteral("2"), QStringLiteral("1")},
                                                {QStringLiteral("3"), QStringLiteral("2")}};
    for (auto it = parentOf.cbegin(); it != parentOf.cend(); ++it) {
        const QString& key = it.key();
        const QString& parent = it.value();
        if (key == QLatin1String("_0"))
            continue;
        if (!parentOf.contains(parent))
            return key + QStringLiteral(" has no parent ") + parent;
        const QString prefix =
            parent == QLatin1String("_0") ? QStringLiteral("_") : parent + QLatin1Char('.');
        bool numbered = false;
        const int number = key.startsWith(prefix) ? key.mid(prefix.size()).toInt(&numbered) : 0;
        if (!numbered || number < 1)
            return key + QStringLiteral(" is not numbered under ") + parent;
        childNumbers[parent] << number;
        if (!allowedParent.value(typeOf.value(key)).contains(typeOf.value(parent)))
            return QStringLiteral("%1 of type %2 stands under %3 of type %4")
                .arg(key, typeOf.value(key), parent, typeOf.value(parent));
        if (typeOf.value(key) == QLatin1String("1") && key.count(QLatin1Char('.')) >= deepest)
            return key + QStringLiteral(" nests too deep");
    }
    for (auto it = childNumbers.begin(); it != childNumbers.end(); ++it) {
        std::sort(it->begin(), it->end());
        for (int i = 0; i < it->size(); ++i)
            if (it->at(i) != i + 1)
                return QStringLiteral("the children of %1 are not numbered 1, 2, 3 ...")
                    .arg(it.key());
    }
    return {};
}

// A server role made by a test, dropped when the test ends however it ends.
class RoleCleanup
{
public:
    RoleCleanup(TestDatabase& db, QString role) : m_db(db), m_role(std::move(role)) {}
    ~RoleCleanup()
    {
        if (m_db.Connection().engine() != SQLConnection::Engine::PostgreSQL)
            return;
        try {
            if (m_db.Connection()
                    .Scalar(QStringLiteral("SELECT count(*) FROM pg_roles WHERE rolname = ?"),
                            {m_role})
                    .toInt() > 0) {
                const QString quoted = QLatin1Char('"') + m_role + QLatin1Char('"');
                m_db.Connection().Execute(QStringLiteral("DROP OWNED BY ") + quoted);
                m_db.Connection().Execute(QStringLiteral("DROP ROLE ") + quoted);
            }
        } catch (const PharvelError& error) {
            qWarning() << "test role" << m_role << "not dropped:" << error.Description();
        }
    }
    RoleCleanup(const RoleCleanup&) = delete;
    RoleCleanup& operator=(const RoleCleanup&) = delete;

private:
    TestDatabase& m_db;
    QString m_role;
};

QString uniqueUser(const char* stem)
{
    return QLatin1String(stem) + QLatin1Char('_') +
           QUuid::createUuid().toString(QUuid::Id128).left(8);
}
} // namespace

void tst_admin::demoThroughTheTool()
{
    QTemporaryDir folder;
    const QString server = folder.filePath(QStringLiteral("catalogue"));
    const Run demo = runAdmin({QStringLiteral("demo"), server});
    QVERIFY2(demo.exitCode == 0, qPrintable(demo.output));
    auto connection = SQLConnection::Open(server);
    QCOMPARE(count(*connection, "SELECT count(*) FROM patient_data.tbHospitalInfo"), 1);
    QVERIFY(
        !connection->Scalar(QStringLiteral("SELECT clientname FROM patient_data.tbHospitalInfo"))
             .toString()
             .isEmpty());

    // The two documented accounts, with their documented passwords and rights.
    QString rights;
    QCOMPARE(
        loginError(server, QStringLiteral("pharmacist"), QStringLiteral("pharmacist"), &rights), 0);
    QCOMPARE(rights, QStringLiteral("AA"));
    QCOMPARE(loginError(server, QStringLiteral("viewer"), QStringLiteral("viewer"), &rights), 0);
    QCOMPARE(rights, QStringLiteral("BB"));
    QCOMPARE(loginError(server, QStringLiteral("viewer"), QStringLiteral("pharmacist")),
             ErrorNumber::LoginFailed);

    // Loaded once only: a second demo would file everything twice.
    const Run again = runAdmin({QStringLiteral("demo"), server});
    QVERIFY(again.exitCode != 0);
    QVERIFY2(again.output.contains(QLatin1String("not empty")), qPrintable(again.output));
    QCOMPARE(count(*connection, "SELECT count(*) FROM patient_data.tbUserProfile"), 2);
}

void tst_admin::demoTwiceOnOneServer()
{
    if (!PrivateServer::SkipReason().isEmpty())
        QSKIP(qPrintable(PrivateServer::SkipReason()));
    // Roles belong to the whole server; a private one keeps other tests' roles out of the way.
    PrivateServer server;
    auto postgres = SQLConnection::Open(server.SuperuserUrl());
    QString secondOutput;
    for (const QString& name : {QStringLiteral("first"), QStringLiteral("second")}) {
        postgres->Execute(QStringLiteral("CREATE DATABASE ") + name);
        const Run demo = runAdmin({QStringLiteral("demo"), server.SuperuserUrl(name)});
        QVERIFY2(demo.exitCode == 0, qPrintable(demo.output));
        secondOutput = demo.output;
        QUrl login(server.SuperuserUrl(name));
        login.setUserName({});
        const QString address = login.toString(QUrl::FullyEncoded);
        QString rights;
        QCOMPARE(loginError(address, QStringLiteral("pharmacist"), QStringLiteral("pharmacist"),
                            &rights),
                 0);
        QCOMPARE(rights, QStringLiteral("AA"));
        QCOMPARE(loginError(address, QStringLiteral("viewer"), QStringLiteral("viewer"), &rights),
                 0);
        QCOMPARE(rights, QStringLiteral("BB"));
        // The roles' rights hold in each catalogue: the viewer cannot change this one either.
        login.setUserName(QStringLiteral("viewer"));
        login.setPassword(QStringLiteral("viewer"));
        auto viewing = SQLConnection::Open(login.toString(QUrl::FullyEncoded));
        try {
            viewing->Execute(QStringLiteral("DELETE FROM inventory.tbPharvelOtherDetails"));
            QFAIL("the viewer changed a demo catalogue");
        } catch (const PharvelError& error) {
            QCOMPARE(error.Number(), ErrorNumber::NotPermitted);
        }
    }
    QVERIFY2(secondOutput.contains(QLatin1String("had roles of these names already")),
             qPrintable(secondOutput));
}

void tst_admin::demoCatalogueKeepsTheTreeRules()
{
    QFETCH(QString, engine);
    TestDatabase db(engine);
    DemoCatalogue::Load(db.Connection());
    SQLConnection& c = db.Connection();

    QVERIFY(count(c, "SELECT count(*) FROM inventory.tbForClassification") >= 18);
    QVERIFY(count(c, "SELECT count(*) FROM inventory.tbForClassification") <= 25);
    QVERIFY(count(c, "SELECT count(*) FROM inventory.tbforgeneric") >= 150);
    QVERIFY(count(c, "SELECT count(*) FROM inventory.tbinvmaster") >= 590);
    const QString broken = brokenTreeRule(c, 3);
    QVERIFY2(broken.isEmpty(), qPrintable(broken));
    // Classifications really nest three deep somewhere.
    QVERIFY(count(c, "SELECT count(*) FROM inventory.tbPharvel WHERE Node_Type = '1' AND "
                     "Node_Key LIKE '_%.%.%'") > 0);
    // Every classification, generic name and drug node names a row that exists.
    QCOMPARE(count(c, "SELECT count(*) FROM inventory.tbPharvel n WHERE (n.Node_Type = '1' AND "
                      "NOT EXISTS (SELECT 1 FROM inventory.tbForClassification x WHERE "
                      "x.ClassificationID = n.Node_ID)) OR (n.Node_Type = '2' AND NOT EXISTS "
                      "(SELECT 1 FROM inventory.tbforgeneric x WHERE x.GenericCode = n.Node_ID)) "
                      "OR (n.Node_Type = '3' AND NOT EXISTS (SELECT 1 FROM inventory.tbinvmaster "
                      "x WHERE x.itemid = n.Node_ID))"),
             0);
    // The reports need generic names outside the tree, drugs with no generic name and some
    // other-details texts; the details view needs clinical texts.
    QVERIFY(count(c, "SELECT count(*) FROM inventory.tbforgeneric g WHERE NOT EXISTS (SELECT 1 "
                     "FROM inventory.tbPharvel n WHERE n.Node_Type = '2' AND n.Node_ID = "
                     "g.GenericCode)") > 0);
    QVERIFY(count(c, "SELECT count(*) FROM inventory.tbinvmaster d WHERE NOT EXISTS (SELECT 1 "
                     "FROM inventory.tbPharvel n WHERE n.Node_Type = '3' AND n.Node_ID = "
                     "d.itemid)") > 0);
    QVERIFY(count(c, "SELECT count(*) FROM inventory.tbPharvelOtherDetails") > 0);
    QCOMPARE(count(c, "SELECT count(*) FROM inventory.tbinvmaster WHERE Indication IS NULL OR "
                      "Dosage IS NULL OR Administration IS NULL OR Preparation IS NULL OR "
                      "Description = ''"),
             0);
    QCOMPARE(count(c, "SELECT count(*) FROM patient_data.tbHospitalInfo"), 1);
}

void tst_admin::syntheticCatalogue()
{
    QFETCH(QString, engine);
    TestDatabase db(engine);
    SQLConnection& c = db.Connection();
    QElapsedTimer clock;
    clock.start();
    DemoCatalogue::LoadSynthetic(c, 3000, 2000);
    qInfo() << engine << "3000 nodes loaded in" << clock.elapsed() << "ms";
    // The sizes asked for, exactly: nodes below the root, and drugs.
    QCOMPARE(count(c, "SELECT count(*) FROM inventory.tbPharvel WHERE Node_Type <> '0'"), 3000);
    QCOMPARE(count(c, "SELECT count(*) FROM inventory.tbinvmaster"), 2000);
    QCOMPARE(count(c, "SELECT count(*) FROM inventory.tbPharvel WHERE Node_Type = '3'"), 2000);
    const QString broken = brokenTreeRule(c, 3);
    QVERIFY2(broken.isEmpty(), qPrintable(broken));

    // The largest sizes offered load, and fit the 16-bit ids.
    TestDatabase big(engine);
    DemoCatalogue::LoadSynthetic(big.Connection(), 32000, 20000);
    QCOMPARE(count(big.Connection(), "SELECT count(*) FROM inventory.tbPharvel"), 32001);
    QVERIFY_THROWS_EXCEPTION(PharvelError, DemoCatalogue::LoadSynthetic(c, 32001, 100));
}

void tst_admin::accounts()
{
    QFETCH(QString, engine);
    TestDatabase db(engine);
    const QString server = db.ConnectionString(); // the administrator's own
    const QString login = loginServer(db, engine);
    const QString pharmacist = uniqueUser("ph");
    const QString viewer = uniqueUser("vw");
    RoleCleanup dropPharmacist(db, pharmacist);
    RoleCleanup dropViewer(db, viewer);

    // The password comes from standard input (it is not a terminal here), never from argv.
    Run run = runAdmin({QStringLiteral("user"), QStringLiteral("add"), server, pharmacist,
                        QStringLiteral("--initials"), QStringLiteral("P1")},
                       "it's \"quoted\"; \\ -- x\n");
    QVERIFY2(run.exitCode == 0, qPrintable(run.output));
    run = runAdmin({QStringLiteral("user"), QStringLiteral("add"), server, viewer,
                    QStringLiteral("--initials"), QStringLiteral("V1"), QStringLiteral("--rights"),
                    QStringLiteral("BB")},
                   "just looking\r\n");
    QVERIFY2(run.exitCode == 0, qPrintable(run.output));
    QVERIFY(!run.output.contains(QLatin1String("just looking")));

    QCOMPARE(loginError(login, pharmacist, QStringLiteral("it's \"quoted\"; \\ -- x")), 0);
    QCOMPARE(loginError(login, viewer, QStringLiteral("just looking")), 0);
    QCOMPARE(loginError(login, viewer, QStringLiteral("just looking\r")), ErrorNumber::LoginFailed);
    QCOMPARE(loginError(login, pharmacist, QStringLiteral("it's")), ErrorNumber::LoginFailed);

    run = runAdmin({QStringLiteral("user"), QStringLiteral("list"), server});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.output.contains(pharmacist + QStringLiteral("\tP1\t-\tPH")),
             qPrintable(run.output));
    QVERIFY2(run.output.contains(viewer + QStringLiteral("\tV1\tBB\tPH")), qPrintable(run.output));

    // Twice the same id is refused, and the first account keeps its password.
    run = runAdmin({QStringLiteral("user"), QStringLiteral("add"), server, viewer,
                    QStringLiteral("--initials"), QStringLiteral("V2")},
                   "other\n");
    QVERIFY(run.exitCode != 0);
    QCOMPARE(loginError(login, viewer, QStringLiteral("just looking")), 0);

    if (engine == QLatin1String("postgresql")) {
        // On the server the rights are the server's own: a viewer cannot write, a pharmacist
        // can change the catalogue but not the accounts.
        QUrl asViewer(login);
        asViewer.setUserName(viewer);
        asViewer.setPassword(QStringLiteral("just looking"));
        auto viewing = SQLConnection::Open(asViewer.toString(QUrl::FullyEncoded));
        QCOMPARE(count(*viewing, "SELECT count(*) FROM inventory.tbforgeneric"), 0);
        try {
            viewing->Execute(QStringLiteral("INSERT INTO inventory.tbforgeneric (GenericCode, "
                                            "genericname) VALUES (?, ?)"),
                             {1, QStringLiteral("Paracetamol")});
            QFAIL("a view-only user wrote to the catalogue");
        } catch (const PharvelError& error) {
            QCOMPARE(error.Number(), ErrorNumber::NotPermitted);
        }
        QUrl asPharmacist(login);
        asPharmacist.setUserName(pharmacist);
        asPharmacist.setPassword(QStringLiteral("it's \"quoted\"; \\ -- x"));
        auto working = SQLConnection::Open(asPharmacist.toString(QUrl::FullyEncoded));
        working->Execute(QStringLiteral("INSERT INTO inventory.tbforgeneric (GenericCode, "
                                        "genericname) VALUES (?, ?)"),
                         {1, QStringLiteral("Paracetamol")});
        QVERIFY_THROWS_EXCEPTION(
            PharvelError, working->Execute(QStringLiteral("UPDATE patient_data.tbUserProfile "
                                                          "SET UserRights = ? WHERE UserID = ?"),
                                           {QStringLiteral("AA"), viewer}));
    }

    run = runAdmin({QStringLiteral("user"), QStringLiteral("remove"), server, viewer});
    QVERIFY2(run.exitCode == 0, qPrintable(run.output));
    QCOMPARE(loginError(login, viewer, QStringLiteral("just looking")), ErrorNumber::LoginFailed);
    if (engine == QLatin1String("postgresql"))
        QCOMPARE(
            db.Connection()
                .Scalar(QStringLiteral("SELECT count(*) FROM pg_roles WHERE rolname = ?"), {viewer})
                .toInt(),
            0);
    run = runAdmin({QStringLiteral("user"), QStringLiteral("remove"), server, viewer});
    QVERIFY(run.exitCode != 0);
    QVERIFY2(run.output.contains(QLatin1String("no account")), qPrintable(run.output));
    run = runAdmin({QStringLiteral("user"), QStringLiteral("remove"), server, pharmacist});
    QVERIFY2(run.exitCode == 0, qPrintable(run.output));
}

void tst_admin::hospitalHeader()
{
    TestDatabase db(QStringLiteral("sqlite"));
    const QString server = db.ConnectionString();
    Run run = runAdmin({QStringLiteral("hospital"), server, QStringLiteral("--client"),
                        QStringLiteral("St Mary's"), QStringLiteral("--company"),
                        QStringLiteral("Westfield Health"), QStringLiteral("--address"),
                        QStringLiteral("1 Hill Road")});
    QVERIFY2(run.exitCode == 0, qPrintable(run.output));
    run = runAdmin({QStringLiteral("hospital"), server, QStringLiteral("--client"),
                    QStringLiteral("St Mary's General"), QStringLiteral("--company"),
                    QStringLiteral("Westfield Health"), QStringLiteral("--address"),
                    QStringLiteral("2 Hill Road")});
    QVERIFY2(run.exitCode == 0, qPrintable(run.output));
    // The header is the first row: setting it again replaces it.
    RowSet header = db.Connection().OpenRowSet(
        QStringLiteral("SELECT clientname, company, address1 FROM patient_data.tbHospitalInfo"));
    QCOMPARE(header.RecordCount(), 1);
    QCOMPARE(header.Text(0), QStringLiteral("St Mary's General"));
    QCOMPARE(header.Text(2), QStringLiteral("2 Hill Road"));

    // A header with a part missing is refused, and the old one stays.
    run = runAdmin({QStringLiteral("hospital"), server, QStringLiteral("--client"),
                    QStringLiteral("Nameless")});
    QVERIFY(run.exitCode != 0);
    QVERIFY2(run.output.contains(QLatin1String("--company")), qPrintable(run.output));
    QCOMPARE(db.Connection()
                 .Scalar(QStringLiteral("SELECT clientname FROM patient_data.tbHospitalInfo"))
                 .toString(),
             QStringLiteral("St Mary's General"));
}

void tst_admin::badInput()
{
    QTemporaryDir folder;
    const QString server = folder.filePath(QStringLiteral("catalogue"));
    QVERIFY(runAdmin({QStringLiteral("create"), server}).exitCode == 0);
    // Creating again upgrades nothing and is no error.
    QVERIFY(runAdmin({QStringLiteral("create"), server}).exitCode == 0);

    struct Case
    {
        QStringList arguments;
        QByteArray input;
        const char* says; // a part of the message
    };
    const QString missing = folder.filePath(QStringLiteral("missing"));
    const QList<Case> cases{
        {{}, {}, "no command"},
        {args({"frobnicate"}) << server, {}, "unknown command"},
        {args({"create"}), {}, "arguments"},
        {args({"user", "add"}) << server << QStringLiteral("x"), "pw\n", "--initials"},
        {args({"user", "add"}) << server << QStringLiteral("x") << QStringLiteral("--initials")
                               << QStringLiteral("XX"),
         "", "password"},
        {args({"user", "add"}) << server << QStringLiteral("x\"; DROP")
                               << QStringLiteral("--initials") << QStringLiteral("XX"),
         "pw\n", "not a valid user id"},
        {args({"user", "frob"}) << server << QStringLiteral("x"), {}, "unknown user command"},
        {args({"user", "list"}) << missing, {}, "does not exist"},
        {args({"synthetic"}) << server << QStringLiteral("--nodes") << QStringLiteral("many"),
         {},
         "whole number"},
        {args({"synthetic"}) << server << QStringLiteral("--nodes") << QStringLiteral("40000"),
         {},
         "32000"},
        {args({"synthetic"}) << server << QStringLiteral("--drugs") << QStringLiteral("20001"),
         {},
         "20000"},
        {args({"--no-such-option"}), {}, "no-such-option"},
        {args({"hospital"}) << server << QStringLiteral("--fhir-base")
                            << QStringLiteral("pharmacy.example.org/fhir"),
         {},
         "no base URL"},
        {args({"export"}) << server, {}, "--fhir FILE"},
    };
    for (const Case& c : cases) {
        const Run run = runAdmin(c.arguments, c.input);
        const QString what = c.arguments.join(QLatin1Char(' ')) + QStringLiteral(": ") + run.output;
        QVERIFY2(run.exitCode > 0, qPrintable(what));
        QVERIFY2(run.output.contains(QLatin1String(c.says)), qPrintable(what));
    }
    // None of it left an account behind.
    auto connection = SQLConnection::Open(server);
    QCOMPARE(count(*connection, "SELECT count(*) FROM patient_data.tbUserProfile"), 0);
    QCOMPARE(count(*connection, "SELECT count(*) FROM inventory.tbinvmaster"), 0);
}

void tst_admin::otherSchemaVersionRefused()
{
    QFETCH(QString, engine);
    TestDatabase db(engine);
    SQLConnection& c = db.Connection();
    const QString server = db.ConnectionString();
    const QUrl url(server);
    const QString userId =
        engine == QLatin1String("sqlite") ? QStringLiteral("pharmacist") : url.userName();
    const int latest = Schema::LatestVersion(c);
    // Newer, then older than the program: refused at the login and by the tool, saying what to do.
    const QList<std::pair<int, QString>> cases{
        {latest + 1, QStringLiteral("version %1").arg(latest + 1)},
        {latest - 1, QStringLiteral("pharvel-admin create")}};
    for (const auto& [version, says] : cases) {
        c.Execute(QStringLiteral("DELETE FROM inventory.tbSchemaVersion WHERE Version >= ?"),
                  {std::min(version, latest)});
        if (version > latest)
            c.Execute(QStringLiteral("INSERT INTO inventory.tbSchemaVersion (Version) VALUES (?)"),
                      {version});
        Corvida_User::clsCurrentUser user;
        user.SetPasswordDeptCode(QStringLiteral("PH"));
        try {
            user.Login(server, userId, url.password());
            QFAIL("a database of another version was accepted at the login");
        } catch (const PharvelError& error) {
            QCOMPARE(error.Number(), ErrorNumber::Refused);
            QVERIFY2(error.Description().contains(says), qPrintable(error.Description()));
        }
        for (const char* command : {"check", "create"}) {
            if (version < latest && QLatin1String(command) == QLatin1String("create"))
                continue; // create is what upgrades it
            const Run run = runAdmin({QString::fromLatin1(command), server});
            QVERIFY2(run.exitCode > 0 && run.output.contains(says), qPrintable(run.output));
        }
    }
}

void tst_admin::readOnlyCopyExportedAndChecked()
{
    QTemporaryDir work;
    QFile::setPermissions(work.path(), QFileDevice::Permissions(0x7755));
    const QString server = work.filePath(QStringLiteral("catalogue"));
    QVERIFY(runAdmin({QStringLiteral("demo"), server}).exitCode == 0);
    // A copy the user may only read: its files and its folder.
    const QString copy = work.filePath(QStringLiteral("copy"));
    QVERIFY(QDir().mkpath(copy));
    QByteArray before;
    for (const char* name : {"inventory.db", "patient_data.db"}) {
        const QString target = QDir(copy).filePath(QString::fromLatin1(name));
        QVERIFY(QFile::copy(QDir(server).filePath(QString::fromLatin1(name)), target));
        QVERIFY(QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::ReadGroup |
                                                  QFileDevice::ReadOther));
        QFile file(target);
        QVERIFY(file.open(QIODevice::ReadOnly));
        before += QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
    }
    QVERIFY(QFile::setPermissions(copy, QFileDevice::Permissions(0x5555)));

    // As this user (root writes whatever the permissions say, so the files are opened read-only),
    // and as a user the files really forbid writing to, where one can be taken.
    const QString admin = QDir(QCoreApplication::applicationDirPath())
                              .absoluteFilePath(QStringLiteral("../tools/pharvel-admin"));
    const bool asOther =
        QProcess::execute(QStringLiteral("setpriv"),
                          {QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                           QStringLiteral("--clear-groups"), QStringLiteral("--"),
                           QStringLiteral("true")}) == 0;
    for (const bool other : {false, true}) {
        if (other && !asOther) {
            qInfo("setpriv cannot take the user nobody here: checked as this user only");
            break;
        }
        const QString out =
            work.filePath(other ? QStringLiteral("out-other") : QStringLiteral("out"));
        QVERIFY(QDir().mkpath(out));
        QFile::setPermissions(out, QFileDevice::Permissions(0x7777));
        for (const QStringList& command : {QStringList{QStringLiteral("export"), copy, out},
                                           QStringList{QStringLiteral("check"), copy},
                                           QStringList{QStringLiteral("journal"), copy}}) {
            QProcess process;
            if (other)
                process.start(
                    QStringLiteral("setpriv"),
                    QStringList{QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                                QStringLiteral("--clear-groups"), QStringLiteral("--"), admin} +
                        command);
            else
                process.start(admin, command);
            process.waitForFinished(60000);
            const QString said =
                command.join(QLatin1Char(' ')) + QStringLiteral(": ") +
                QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
            QVERIFY2(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0,
                     qPrintable(said));
        }
        QVERIFY(QFileInfo::exists(QDir(out).filePath(QStringLiteral("drugs.csv"))));
    }
    QByteArray after;
    for (const char* name : {"inventory.db", "patient_data.db"}) {
        QFile file(QDir(copy).filePath(QString::fromLatin1(name)));
        QVERIFY(file.open(QIODevice::ReadOnly));
        after += QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
    }
    QCOMPARE(after, before);
    QFile::setPermissions(copy, QFileDevice::Permissions(0x7755));
}

QTEST_GUILESS_MAIN(tst_admin)
#include "tst_admin.moc"
