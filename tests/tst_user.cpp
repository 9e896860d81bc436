#include "fixtures/TestDatabase.h"
#include "platform/db/PharvelError.h"
#include "platform/db/SQLConnection.h"
#include "platform/user/AccountStore.h"
#include "platform/user/LoginDialog.h"
#include "platform/user/PasswordHash.h"
#include "platform/user/clsCurrentUser.h"
#include "platform/widgets/MsgBox.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUuid>
#include <deque>
#include <functional>

// The login: password hashes, the login window, and the login itself on both engines.
class tst_user : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void hashesNeverHoldThePassword();
    void dialogRetriesWithThePasswordCleared();
    void dialogCancelLeavesTheUserOut();
    ON_EVERY_ENGINE(login);
};

namespace {
// Role names are global to a server, so each test run takes its own.
QString uniqueUser(const char* stem)
{
    return QLatin1String(stem) + QLatin1Char('_') +
           QUuid::createUuid().toString(QUuid::Id128).left(8);
}

// Plays the user at the login window: each step runs once the dialog is up (again), on the
// dialog's own event loop, as a person would type and click.
class LoginScript
{
public:
    using Step = std::function<void(Corvida_User::LoginDialog&)>;

    explicit LoginScript(std::deque<Step> steps) : m_steps(std::move(steps))
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Poll(); });
        m_timer.start(10);
    }
    // Every step ran and the window asked for nothing more.
    bool Finished() const { return m_steps.empty() && !m_overrun; }

private:
    void Poll()
    {
        auto* dialog = qobject_cast<Corvida_User::LoginDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        if (m_steps.empty()) {
            // The window came back once more than the script expected: give up there.
            m_overrun = true;
            dialog->cmdCancel->click();
            return;
        }
        const Step step = std::move(m_steps.front());
        m_steps.pop_front();
        step(*dialog);
    }

    std::deque<Step> m_steps;
    bool m_overrun = false;
    QTimer m_timer;
};

QLineEdit* field(QWidget& dialog, const char* name)
{
    auto* edit = dialog.findChild<QLineEdit*>(QLatin1String(name));
    if (!edit)
        qFatal("the login window has no field %s", name);
    return edit;
}

void click(QWidget& dialog, const char* name)
{
    auto* button = dialog.findChild<QPushButton*>(QLatin1String(name));
    if (!button)
        qFatal("the login window has no button %s", name);
    QTest::mouseClick(button, Qt::LeftButton);
}

void type(QWidget& dialog, const char* name, const QString& text)
{
    QLineEdit* edit = field(dialog, name);
    edit->clear();
    QTest::keyClicks(edit, text);
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

void tst_user::cleanup()
{
    for (QWidget* window : QApplication::topLevelWidgets())
        QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
}

void tst_user::dialogRetriesWithThePasswordCleared()
{
    TestDatabase db(QStringLiteral("sqlite"));
    AccountStore::AddAccount(db.Connection(), QStringLiteral("ann"), QStringLiteral("right one"),
                             QStringLiteral("AN"), QStringLiteral("AA"), QStringLiteral("PH"));
    qputenv("PHARVEL_SERVER", db.ConnectionString().toUtf8());
    QList<MsgBox::Message> messages;
    ScopedMsgBoxHandler boxes([&](const MsgBox::Message& message) {
        messages << message;
        return MsgBox::Answer::Ok;
    });

    QString offeredServer;
    bool passwordClearedAndFocused = false;
    QString userIdKept;
    LoginScript script({[&](Corvida_User::LoginDialog& dialog) {
                            offeredServer = field(dialog, "txtServer")->text();
                            type(dialog, "txtUserId", QStringLiteral("ann"));
                            type(dialog, "txtPassword", QStringLiteral("wrong one"));
                            click(dialog, "cmdOK");
                        },
                        [&](Corvida_User::LoginDialog& dialog) {
                            QLineEdit* password = field(dialog, "txtPassword");
                            passwordClearedAndFocused =
                                password->text().isEmpty() && dialog.focusWidget() == password;
                            userIdKept = field(dialog, "txtUserId")->text();
                            QTest::keyClicks(password, QStringLiteral("right one"));
                            click(dialog, "cmdOK");
                        }});
    Corvida_User::clsCurrentUser user;
    user.SetPasswordDeptCode(QStringLiteral("PH"));
    user.ShowMain();
    qunsetenv("PHARVEL_SERVER");

    QVERIFY(script.Finished());
    QCOMPARE(offeredServer, db.ConnectionString());
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages.first().text, QStringLiteral("The user id or password is not correct."));
    QCOMPARE(messages.first().title, QStringLiteral("prjPharvel"));
    QVERIFY(passwordClearedAndFocused);
    QCOMPARE(userIdKept, QStringLiteral("ann"));
    QVERIFY(user.Connected());
    QCOMPARE(user.Initial(), QStringLiteral("AN"));
    QCOMPARE(user.serverpassword(), QStringLiteral("right one"));
    QCOMPARE(user.connectionstr(), QStringLiteral("sqlite:%1?user=ann").arg(db.ConnectionString()));
    QCOMPARE(user.ServerName(), db.ConnectionString());
}

void tst_user::dialogCancelLeavesTheUserOut()
{
    TestDatabase db(QStringLiteral("sqlite"));
    AccountStore::AddAccount(db.Connection(), QStringLiteral("ann"), QStringLiteral("right one"),
                             QStringLiteral("AN"), QStringLiteral("AA"), QStringLiteral("PH"));
    // Typed in full, then given up: nothing of it may count.
    LoginScript script({[&](Corvida_User::LoginDialog& dialog) {
        type(dialog, "txtServer", db.ConnectionString());
        type(dialog, "txtUserId", QStringLiteral("ann"));
        type(dialog, "txtPassword", QStringLiteral("right one"));
        click(dialog, "cmdCancel");
    }});
    Corvida_User::clsCurrentUser user;
    user.SetPasswordDeptCode(QStringLiteral("PH"));
    user.ShowMain();
    QVERIFY(script.Finished());
    QVERIFY(!user.Connected());
    QVERIFY(!user.SQLConnection());
    QVERIFY(user.connectionstr().isEmpty());
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

QTEST_MAIN(tst_user)
#include "tst_user.moc"
