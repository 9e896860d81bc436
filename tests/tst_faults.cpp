#include "catalogue/frmPharvel.h"
#include "fixtures/LoggedInRun.h"
#include "fixtures/MainWindowDriver.h"
#include "fixtures/PrivateServer.h"
#include "fixtures/SampleCatalogue.h"
#include "fixtures/SampleTree.h"
#include "fixtures/TestDatabase.h"
#include "platform/catalog/Pharvel.h"
#include "platform/db/ConnectionString.h"
#include "platform/db/PharvelError.h"
#include "platform/db/SQLConnection.h"
#include "platform/db/Schema.h"
#include "platform/db/ScopedTransaction.h"
#include "platform/db/ServerProcedures.h"
#include "platform/user/AccountStore.h"
#include "platform/user/clsCurrentUser.h"
#include "platform/widgets/KeyedTree.h"
#include "platform/widgets/MsgBox.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <functional>
#include <thread>
#include <unistd.h>

using ClassPharvel::Pharvel;

namespace {
QString s(const char* text)
{
    return QString::fromUtf8(text);
}

const QString kPassword = s("counts tablets");

// The error a call raises; a call that raises none fails the test through an empty error.
PharvelError failureOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const PharvelError& error) {
        qInfo().noquote() << "the user sees:" << error.Source() << "-" << error.Description();
        return error;
    }
    return PharvelError(0, {}, {});
}

// The failure of a change that adds the generic name (code, name) and is cut off by cut before
// it commits.
PharvelError failureOfCutOffChange(SQLConnection& connection, int code, const QString& name,
                                   const std::function<void()>& cut)
{
    return failureOf([&] {
        ScopedTransaction transaction(connection);
        connection.Execute(s("INSERT INTO inventory.tbforgeneric (GenericCode, genericname) "
                             "VALUES (?, ?)"),
                           {code, name});
        cut();
        transaction.Commit();
    });
}

int count(SQLConnection& connection, const char* table)
{
    return connection.Scalar(s("SELECT count(*) FROM ") + s(table)).toInt();
}

// A catalogue on a private server, with a pharmacist who logs in as his own role, and the two
// components of a running program logged in and connected as that pharmacist.
struct ServerCatalogue
{
    ServerCatalogue()
    {
        SQLConnection::Open(server.SuperuserUrl())->Execute(s("CREATE DATABASE catalogue"));
        admin = SQLConnection::Open(server.SuperuserUrl(s("catalogue")));
        Schema::Migrate(*admin);
        SampleCatalogue(*admin).Build();
        AccountStore::AddAccount(*admin, s("pharmacist"), kPassword, s("PH1"), {}, s("PH"));
        QUrl login(server.SuperuserUrl(s("catalogue")));
        login.setUserName({});
        user.SetPasswordDeptCode(s("PH"));
        user.Login(login.toString(QUrl::FullyEncoded), s("pharmacist"), kPassword);
        if (!pharvel.Connect(user.connectionstr()))
            qFatal("cannot connect: %s", qPrintable(pharvel.LastError()));
    }
    // The server's name as the messages give it.
    QString ServerName() const { return server.SocketFolder() + s("/catalogue"); }
    int Classifications() { return count(*admin, "inventory.tbForClassification"); }

    PrivateServer server;
    std::unique_ptr<SQLConnection> admin;
    Corvida_User::clsCurrentUser user;
    Pharvel pharvel;
};

// Makes a file or folder read-only for the test's length, for root too (whom the permission
// bits do not stop): the immutable attribute.
class ReadOnly
{
public:
    explicit ReadOnly(QString path) : m_path(std::move(path)), m_bits(QFile::permissions(m_path))
    {
        QFile::setPermissions(m_path, m_bits & ~(QFile::WriteOwner | QFile::WriteUser |
                                                 QFile::WriteGroup | QFile::WriteOther));
        if (::geteuid() == 0)
            m_immutable = QProcess::execute(s("chattr"), {s("+i"), m_path}) == 0;
    }
    ~ReadOnly()
    {
        if (m_immutable)
            QProcess::execute(s("chattr"), {s("-i"), m_path});
        QFile::setPermissions(m_path, m_bits);
    }
    ReadOnly(const ReadOnly&) = delete;
    ReadOnly& operator=(const ReadOnly&) = delete;
    bool Holds() const { return ::access(QFile::encodeName(m_path).constData(), W_OK) != 0; }

private:
    QString m_path;
    QFile::Permissions m_bits;
    bool m_immutable = false;
};

// An embedded catalogue with one pharmacist account, to log in to. Close() lets go of its files.
struct EmbeddedCatalogue
{
    EmbeddedCatalogue() : connection(SQLConnection::Open(folder.path(), true))
    {
        Schema::Migrate(*connection);
        SampleCatalogue(*connection).Build();
        AccountStore::AddAccount(*connection, s("pharmacist"), kPassword, s("PH1"), {}, s("PH"));
    }
    void Close() { connection.reset(); }
    QString File(const char* name) const { return QDir(folder.path()).filePath(s(name)); }
    // Logs in as the program does and returns what went wrong, if anything did.
    PharvelError Login()
    {
        Corvida_User::clsCurrentUser user;
        user.SetPasswordDeptCode(s("PH"));
        return failureOf([&] { user.Login(folder.path(), s("pharmacist"), kPassword); });
    }
    QTemporaryDir folder;
    std::unique_ptr<SQLConnection> connection;
};
} // namespace

// The faults a shared server and an embedded file meet in a hospital, and what the user sees.
class tst_faults : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void serverStoppedThenBack();
    void mainWindowThroughAServerRestart();
    void serverRestartedWhileIdle();
    void serverStopsDuringAWrite();
    void sessionEndedByTheServer();
    void embeddedFileLockedByAnotherProgram();
    void embeddedReadOnlyFileIsRefusedAtLogin();
    void embeddedDamagedFileIsRefusedAtLogin();
    void embeddedFullDiskIsSaidSo();

private:
    bool m_serverTests = false;
};

void tst_faults::initTestCase()
{
    m_serverTests = PrivateServer::SkipReason().isEmpty();
    if (!m_serverTests)
        qInfo().noquote() << "server faults not tested:" << PrivateServer::SkipReason();
}

void tst_faults::serverStoppedThenBack()
{
    if (!m_serverTests)
        QSKIP("no private PostgreSQL server can be started here");
    ServerCatalogue c;
    const int classifications = c.Classifications();
    QVERIFY(c.pharvel.LoadClassifications(s("_0"), false).RecordCount() > 0);

    c.server.Stop();
    // Each action tells the user which server is gone, and no action is half done.
    for (const PharvelError& error :
         {failureOf([&] { c.pharvel.LoadClassifications(s("_0"), false); }), failureOf([&] {
              c.pharvel.Classifications().AddClassification(s("_0"), s("_9"), s("Vaccines"), 0);
          }),
          failureOf([&] { ServerProcedures::For_SearchNodeList(*c.user.SQLConnection(), s("a")); }),
          failureOf([&] {
              c.user.SQLConnection()->Execute(s("UPDATE patient_data.tbHospitalInfo SET company "
                                                "= ?"),
                                              {s("x")});
          })}) {
        QCOMPARE(error.Number(), ErrorNumber::ConnectionFailed);
        QVERIFY2(error.Description().contains(c.ServerName()), qPrintable(error.Description()));
        QVERIFY(!error.Source().isEmpty());
    }

    // Back again: the same components go on without a new login.
    c.server.Start();
    QVERIFY(c.pharvel.LoadClassifications(s("_0"), false).RecordCount() > 0);
    QCOMPARE(c.Classifications(), classifications);
    QVERIFY(c.pharvel.Classifications().AddClassification(s("_0"), s("_9"), s("Vaccines"), 0));
    QCOMPARE(c.Classifications(), classifications + 1);
    QVERIFY(ServerProcedures::For_SearchNodeList(*c.user.SQLConnection(), s("Vaccines"))
                .RecordCount() == 1);
}

void tst_faults::cleanup()
{
    QCOMPARE(QApplication::topLevelWidgets().size(), 0);
}

void tst_faults::mainWindowThroughAServerRestart()
{
    if (!m_serverTests)
        QSKIP("no private PostgreSQL server can be started here");
    PrivateServer server;
    // The test's database and account are made on the private server instead of the shared one.
    const QByteArray shared = qgetenv("PHARVEL_TEST_PG");
    const auto restore = qScopeGuard([&] { qputenv("PHARVEL_TEST_PG", shared); });
    qputenv("PHARVEL_TEST_PG", server.SuperuserUrl().toUtf8());
    TestDatabase db(s("postgresql"));
    SampleTree::Fill(db.Connection());
    LoggedInRun run(db);
    frmPharvel* window = MainWindowDriver::Open();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QList<MsgBox::Message> messages;
    ScopedMsgBoxHandler handler([&](const MsgBox::Message& message) {
        qInfo().noquote() << "the user sees:" << message.text;
        messages << message;
        return MsgBox::Answer::Ok;
    });
    const auto click = [&](const char* key) {
        TreeNode node = window->trePharvel->Find(s(key));
        node.EnsureVisible();
        QTest::mouseClick(window->trePharvel->viewport(), Qt::LeftButton, {},
                          window->trePharvel->visualItemRect(node.Item()).center());
    };

    server.Stop();
    click("_1");
    // The press and the release each reach the catalogue, and the release runs the node's load
    // and its search: the user is told once.
    QCOMPARE(messages.size(), 1);
    for (const MsgBox::Message& message : messages) {
        QCOMPARE(message.icon, MsgBox::Icon::Critical);
        QVERIFY2(message.text.contains(server.SocketFolder()), qPrintable(message.text));
    }
    QVERIFY(window->isVisible());

    // The server is back: the same window goes on, without a new login.
    const qsizetype shown = messages.size();
    server.Start();
    click("_2");
    click("_1");
    QCOMPARE(messages.size(), shown);
    QVERIFY(window->trePharvel->Find(s("_1.1")));
}

void tst_faults::serverRestartedWhileIdle()
{
    if (!m_serverTests)
        QSKIP("no private PostgreSQL server can be started here");
    ServerCatalogue c;
    c.server.Stop();
    c.server.Start();
    // The lost session shows only as a new one: reads and changes simply work.
    QVERIFY(c.pharvel.NodePharvel().SearchNode(s("_1")));
    c.server.Stop();
    c.server.Start();
    QVERIFY(c.pharvel.Generics().NewGeneric(s("Cetirizine")));
    c.server.Stop();
    c.server.Start();
    // The find window's own trace table comes back with the session.
    SQLConnection& connection = *c.user.SQLConnection();
    QCOMPARE(connection.OpenRowSet(s("SELECT Node_Key FROM tbForTraceParent")).RecordCount(), 0);
    ServerProcedures::For_TraceParent(connection, s("_1.1.1"));
    QCOMPARE(connection.OpenRowSet(s("SELECT Node_Key FROM tbForTraceParent")).RecordCount(), 3);
}

void tst_faults::serverStopsDuringAWrite()
{
    if (!m_serverTests)
        QSKIP("no private PostgreSQL server can be started here");
    ServerCatalogue c;
    SQLConnection& connection = *c.user.SQLConnection();
    const int generics = count(*c.admin, "inventory.tbforgeneric");
    const PharvelError error = failureOfCutOffChange(connection, 30001, s("Half written"), [&] {
        c.server.Stop();
        connection.Execute(s("INSERT INTO inventory.tbPharvelOtherDetails VALUES (?, ?)"),
                           {30001, s("never")});
    });
    QCOMPARE(error.Number(), ErrorNumber::ConnectionFailed);
    QVERIFY2(error.Description().contains(c.ServerName()), qPrintable(error.Description()));
    c.server.Start();
    c.admin = SQLConnection::Open(c.server.SuperuserUrl(s("catalogue")));
    QCOMPARE(count(*c.admin, "inventory.tbforgeneric"), generics);
    // The connection that was writing goes on with a new session.
    QCOMPARE(count(connection, "inventory.tbforgeneric"), generics);
}

void tst_faults::sessionEndedByTheServer()
{
    if (!m_serverTests)
        QSKIP("no private PostgreSQL server can be started here");
    ServerCatalogue c;
    // An administrator ends every pharmacist session (or the server recycles them).
    const auto endSessions = [&] {
        c.admin->Scalar(s("SELECT count(pg_terminate_backend(pid)) FROM pg_stat_activity WHERE "
                          "usename = ?"),
                        {s("pharmacist")});
    };
    endSessions();
    QVERIFY(c.pharvel.Classifications().RenameClassification(s("_3"), s("Empty Shelf")));
    endSessions();
    QCOMPARE(c.pharvel.LoadClassifications(s("_0"), true).RecordCount(),
             count(*c.admin, "inventory.tbPharvel") - 1);

    // Inside a change, the change fails whole and says so; the next one works again.
    SQLConnection& connection = *c.user.SQLConnection();
    const int generics = count(*c.admin, "inventory.tbforgeneric");
    const PharvelError error = failureOfCutOffChange(connection, 30002, s("Cut off"), endSessions);
    QCOMPARE(error.Number(), ErrorNumber::ConnectionFailed);
    QCOMPARE(count(*c.admin, "inventory.tbforgeneric"), generics);
    QCOMPARE(count(connection, "inventory.tbforgeneric"), generics);
}

void tst_faults::embeddedFileLockedByAnotherProgram()
{
    TestDatabase db(s("sqlite"));
    SampleCatalogue(db.Connection()).Build();
    Pharvel pharvel;
    QVERIFY(pharvel.Connect(db.ConnectionString()));
    pharvel.Connection().SetCommandTimeout(1);
    const int classifications = count(db.Connection(), "inventory.tbForClassification");

    // While it waits the user is shown so, and then told which database it is.
    QStringList notices;
    SQLConnection::SetLockWaitNotice([&](bool waiting, const QString& database) {
        notices << (waiting ? s("waiting for ") : s("done with ")) + database;
    });
    const auto removeNotice = qScopeGuard([] { SQLConnection::SetLockWaitNotice({}); });

    // Another program holds the write lock for longer than the time-out.
    auto other = db.OpenAnother();
    other->BeginTransaction();
    other->Execute(s("UPDATE inventory.tbforgeneric SET genericname = genericname"));
    QElapsedTimer waited;
    waited.start();
    const PharvelError error = failureOf(
        [&] { pharvel.Classifications().AddClassification(s("_0"), s("_9"), s("Vaccines"), 0); });
    QVERIFY2(waited.elapsed() >= 900, "the change did not wait for the lock");
    QCOMPARE(error.Number(), ErrorNumber::Timeout);
    QVERIFY2(error.Description().contains(db.ConnectionString()), qPrintable(error.Description()));
    QCOMPARE(error.Source(), s("Pharvel.AddClassification"));
    const QString folder = ConnectionString::Parse(db.ConnectionString()).folder;
    QCOMPARE(notices, (QStringList{s("waiting for ") + folder, s("done with ") + folder}));
    // Reading is not held up by the lock.
    QVERIFY(pharvel.NodePharvel().SearchNode(s("_1")));

    // A lock let go within the time-out is simply waited for.
    std::thread release([&] {
        QThread::msleep(300);
        other->Commit();
    });
    QVERIFY(pharvel.Classifications().AddClassification(s("_0"), s("_9"), s("Vaccines"), 0));
    release.join();
    QCOMPARE(count(db.Connection(), "inventory.tbForClassification"), classifications + 1);
}

void tst_faults::embeddedReadOnlyFileIsRefusedAtLogin()
{
    for (const char* name : {"inventory.db", "patient_data.db", ""}) {
        EmbeddedCatalogue c;
        c.Close();
        const QString path = *name ? c.File(name) : c.folder.path();
        ReadOnly readOnly(path);
        if (!readOnly.Holds())
            QSKIP("files cannot be made read-only here");
        const PharvelError error = c.Login();
        QCOMPARE(error.Number(), ErrorNumber::NotPermitted);
        QVERIFY2(error.Description().contains(path), qPrintable(error.Description()));
        QVERIFY2(error.Description().contains(s("read-only")), qPrintable(error.Description()));
    }
}

void tst_faults::embeddedDamagedFileIsRefusedAtLogin()
{
    const QList<std::pair<const char*, std::function<void(QFile&)>>> damages{
        {"not a database at all",
         [](QFile& file) {
             file.open(QIODevice::WriteOnly | QIODevice::Truncate);
             file.write(QByteArray(8192, 'x'));
         }},
        {"cut short", [](QFile& file) { file.resize(file.size() / 2); }},
        {"pages overwritten",
         [](QFile& file) {
             file.open(QIODevice::ReadWrite);
             file.seek(4096);
             file.write(QByteArray(file.size() - 4096, '\x5a'));
         }},
    };
    for (const auto& [damage, spoil] : damages) {
        EmbeddedCatalogue c;
        c.Close();
        QFile file(c.File("inventory.db"));
        spoil(file);
        file.close();
        const PharvelError error = c.Login();
        QVERIFY2(error.Number() == ErrorNumber::ConnectionFailed, damage);
        QVERIFY2(error.Description().contains(s("damaged")), qPrintable(error.Description()));
    }
}

void tst_faults::embeddedFullDiskIsSaidSo()
{
    QTemporaryDir work;
    const QString disk = work.filePath(s("disk"));
    QVERIFY(QDir().mkpath(disk));
    if (QProcess::execute(s("mount"),
                          {s("-t"), s("tmpfs"), s("-o"), s("size=2m"), s("tmpfs"), disk}) != 0)
        QSKIP("a small file system cannot be mounted here (mount needs root)");
    const auto unmount = qScopeGuard([&] { QProcess::execute(s("umount"), {s("-l"), disk}); });
    const QString folder = QDir(disk).filePath(s("catalogue"));
    {
        auto connection = SQLConnection::Open(folder, true);
        Schema::Migrate(*connection);
    }
    auto connection = SQLConnection::Open(folder);
    const PharvelError error = failureOf([&] {
        for (int i = 0; i < 100; ++i)
            connection->Execute(s("INSERT INTO inventory.tbforgeneric (GenericCode, genericname) "
                                  "VALUES (?, ?)"),
                                {i + 1, QString(100000, QLatin1Char('x'))});
    });
    QVERIFY2(error.Number() == ErrorNumber::DiskFull, qPrintable(error.Description()));
    QVERIFY2(error.Description().contains(s("is full")) && error.Description().contains(folder),
             qPrintable(error.Description()));
}

QTEST_MAIN(tst_faults)
#include "tst_faults.moc"
