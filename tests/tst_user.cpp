#include "fixtures/TestDatabase.h"
#include "platform/db/PharvelError.h"
#include "platform/db/SQLConnection.h"
#include "platform/user/AccountStore.h"
#include "platform/user/PasswordHash.h"
#include "platform/user/clsCurrentUser.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTest>
#include <QUuid>

// The login and the administrator's tool, on both engines.
class tst_user : public QObject
{
    Q_OBJECT

private slots:
    void hashesNeverHoldThePassword();
    void login_data() { TestDatabase::AddEngineRows(); }
    void login();
    void adminTool();
};

namespace {
QString adminTool()
{
    return QDir(QCoreApplication::applicationDirPath())
        .absoluteFilePath(QStringLiteral("../tools/pharvel-admin"));
}

int runAdmin(const QStringList& arguments, const QByteArray& input = {}, QString* output = nullptr)
{
    QProcess admin;
    admin.start(adminTool(), arguments);
    admin.write(input);
    admin.closeWriteChannel();
    admin.waitForFinished(120000);
    if (output)
        *output = QString::fromUtf8(admin.readAllStandardOutput() + admin.readAllStandardError());
    return admin.exitStatus() == QProcess::NormalExit ? admin.exitCode() : -1;
}

// Role names are global to a server, so each test run takes its own.
QString uniqueUser(const char* stem)
{
    return QLatin1String(stem) + QLatin1Char('_') +
           QUuid::createUuid().toString(QUuid::Id128).left(8);
}

int loginError(Corvida_User::clsCurrentUser& user, const QString& server, const QString& id,
               const QString& password)
{
    try {
        user.Login(server, id, password);
    } catch (const PharvelError& error) {
        return error.Number();
    }
    return 0;
}
} // namespace

void tst_user::hashesNeverHoldThePassword()
{
    const QString password = QStringLiteral("s3cret \u00E9\u00E8");
    const QString first = PasswordHash::Hash(password);
    const QString second = PasswordHash::Hash(password);
    QVERIFY(!first.contains(password));
    QVERIFY(first != second); // salted
    QVERIFY(PasswordHash::Verify(first, password));
    QVERIFY(!PasswordHash::Verify(first, QStringLiteral("s3cret")));
    QVERIFY(!PasswordHash::Verify(QStringLiteral("not a hash"), password));
}

void tst_user::login()
{
    QFETCH(QString, engine);
    TestDatabase db(engine);
    const QString pharmacist = uniqueUser("ph");
    const QString viewer = uniqueUser("vw");
    const QString nurse = uniqueUser("nu");
    AccountStore::AddAccount(db.Connection(), pharmacist, QStringLiteral("pa's word"),
                             QStringLiteral("PH1"), QStringLiteral(""), QStringLiteral("PH"));
    AccountStore::AddAccount(db.Connection(), viewer, QStringLiteral("look"), QStringLiteral("VW"),
                             QStringLiteral("BB"), QStringLiteral("PH"));
    AccountStore::AddAccount(db.Connection(), nurse, QStringLiteral("ward"), QStringLiteral("NU"),
                             QStringLiteral(""), QStringLiteral("NS"));
    // The login names the server without credentials, as a pharmacist types it.
    QUrl url(db.ConnectionString());
    url.setUserName({});
    const QString server = engine == QLatin1String("sqlite") ? db.ConnectionString()
                                                             : url.toString(QUrl::FullyEncoded);

    Corvida_User::clsCurrentUser user;
    user.SetPasswordDeptCode(QStringLiteral("PH"));
    QCOMPARE(loginError(user, server, pharmacist, QStringLiteral("wrong")),
             ErrorNumber::LoginFailed);
    QVERIFY(!user.Connected());
    QCOMPARE(loginError(user, server, QStringLiteral("nobody_here"), QStringLiteral("x")),
             ErrorNumber::LoginFailed);
    QCOMPARE(loginError(user, server, nurse, QStringLiteral("ward")), ErrorNumber::NotPermitted);
    QVERIFY(!user.Connected());

    QCOMPARE(loginError(user, server, viewer, QStringLiteral("look")), 0);
    QVERIFY(user.Connected());
    QCOMPARE(user.UserRights(), QStringLiteral("BB"));
    QCOMPARE(user.Initial(), QStringLiteral("VW"));
    QCOMPARE(user.userid(), viewer);
    QVERIFY(user.SQLConnection());
    // The find reads the session's trace; it is there, empty, straight after the login.
    QCOMPARE(
        user.SQLConnection()
            ->OpenRowSet(QStringLiteral("SELECT Node_Key FROM tbForTraceParent ORDER BY Node_Key"))
            .RecordCount(),
        0);

    QCOMPARE(loginError(user, server, pharmacist, QStringLiteral("pa's word")), 0);
    QCOMPARE(user.Initial(), QStringLiteral("PH1"));
    // The catalogue component opens its own connection from this string.
    QVERIFY(SQLConnection::Open(user.connectionstr()));

    for (const QString& id : {pharmacist, viewer, nurse})
        AccountStore::RemoveAccount(db.Connection(), id);
}

void tst_user::adminTool()
{
    QTemporaryDir folder;
    const QString server = folder.filePath(QStringLiteral("catalogue"));
    QString output;
    QCOMPARE(runAdmin({QStringLiteral("demo"), server}, {}, &output), 0);
    auto connection = SQLConnection::Open(server);
    const auto count = [&](const char* sql) {
        return connection->Scalar(QString::fromLatin1(sql)).toInt();
    };
    QVERIFY(count("SELECT count(*) FROM inventory.tbforgeneric") >= 150);
    QVERIFY(count("SELECT count(*) FROM inventory.tbinvmaster") >= 590);
    QVERIFY(count("SELECT count(*) FROM inventory.tbForClassification") >= 20);
    QCOMPARE(
        count(
            "SELECT count(*) FROM inventory.tbPharvel n LEFT JOIN inventory.tbPharvel p "
            "ON p.Node_Key = n.Node_Parent WHERE n.Node_Parent IS NOT NULL AND p.Node_Key IS NULL"),
        0);
    QVERIFY(count("SELECT count(*) FROM inventory.vwDrugsWithNoGeneric") > 0);
    QVERIFY(count("SELECT count(*) FROM inventory.tbforgeneric g WHERE NOT EXISTS (SELECT 1 FROM "
                  "inventory.tbPharvel n WHERE n.Node_Type = '2' AND n.Node_ID = g.GenericCode)") >
            0);
    QCOMPARE(count("SELECT count(*) FROM patient_data.tbHospitalInfo"), 1);

    // The demo accounts log in with their documented passwords.
    Corvida_User::clsCurrentUser user;
    user.SetPasswordDeptCode(QStringLiteral("PH"));
    QCOMPARE(loginError(user, server, QStringLiteral("pharmacist"), QStringLiteral("pharmacist")),
             0);
    QCOMPARE(loginError(user, server, QStringLiteral("viewer"), QStringLiteral("viewer")), 0);
    QCOMPARE(user.UserRights(), QStringLiteral("BB"));

    // A password comes from standard input, never from the arguments.
    QCOMPARE(runAdmin({QStringLiteral("user"), QStringLiteral("add"), server,
                       QStringLiteral("jdoe"), QStringLiteral("--initials"), QStringLiteral("JD")},
                      "from stdin\n"),
             0);
    QCOMPARE(loginError(user, server, QStringLiteral("jdoe"), QStringLiteral("from stdin")), 0);
    QCOMPARE(runAdmin({QStringLiteral("user"), QStringLiteral("list"), server}, {}, &output), 0);
    QVERIFY(output.contains(QLatin1String("jdoe\tJD")));
    QCOMPARE(runAdmin({QStringLiteral("user"), QStringLiteral("remove"), server,
                       QStringLiteral("jdoe")}),
             0);
    QCOMPARE(loginError(user, server, QStringLiteral("jdoe"), QStringLiteral("from stdin")),
             ErrorNumber::LoginFailed);

    // Bad input: a clear message and a non-zero exit, and nothing loaded twice.
    QVERIFY(runAdmin({QStringLiteral("frobnicate"), server}) != 0);
    QVERIFY(runAdmin({QStringLiteral("demo"), server}, {}, &output) != 0);
    QVERIFY(output.contains(QLatin1String("not empty")));
    QVERIFY(runAdmin(
                {QStringLiteral("user"), QStringLiteral("add"), server, QStringLiteral("x")}) != 0);
    QVERIFY(runAdmin({QStringLiteral("synthetic"), folder.filePath(QStringLiteral("none"))}) != 0);
    QVERIFY(runAdmin({QStringLiteral("create"), folder.filePath(QStringLiteral("big"))}) == 0);
    QVERIFY(runAdmin({QStringLiteral("synthetic"), folder.filePath(QStringLiteral("big")),
                      QStringLiteral("--nodes"), QStringLiteral("40000")},
                     {}, &output) != 0);
}

QTEST_MAIN(tst_user)
#include "tst_user.moc"
