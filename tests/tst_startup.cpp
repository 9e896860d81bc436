#include "app/StartUp.h"
#include "app/frmSplash.h"
#include "app/mdlPharvel.h"
#include "catalogue/frmPharvel.h"
#include "fixtures/LoggedInRun.h"
#include "fixtures/ProgressWindowSpy.h"
#include "fixtures/SampleTree.h"
#include "fixtures/TestDatabase.h"
#include "platform/catalog/Pharvel.h"
#include "platform/db/SQLConnection.h"
#include "platform/user/AccountStore.h"
#include "platform/user/LoginDialog.h"
#include "platform/user/clsCurrentUser.h"
#include "platform/widgets/MsgBox.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <functional>

// The start-up: login, splash, connection and the main window, and the clean end when any of
// them fails.
class tst_startup : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void cancelledLoginEndsCleanly();
    ON_EVERY_ENGINE(startsAndShowsLoadedWindow);
    ON_EVERY_ENGINE(failedConnectEndsCleanly);
    void failedWindowLoadEndsCleanly();
    void messagesStandOverTheirWindow();
};

namespace {

const QString kPassword = QStringLiteral("morphine sulphate");

// Answers the login dialog once it is up: with these credentials, or by cancelling when no
// user id is given.
void AnswerLogin(const QString& server, const QString& userId)
{
    auto* poll = new QTimer(qApp);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, server, userId] {
        auto* dialog = qobject_cast<Corvida_User::LoginDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        poll->deleteLater();
        if (userId.isEmpty()) {
            QTest::mouseClick(dialog->cmdCancel, Qt::LeftButton);
            return;
        }
        dialog->txtServer->setText(server);
        dialog->txtUserId->setText(userId);
        dialog->txtPassword->setText(kPassword);
        QTest::mouseClick(dialog->cmdOK, Qt::LeftButton);
    });
    poll->start();
}

// Runs action once, when the splash window appears: after the login, before the connection.
class OnSplashShown : public QObject
{
public:
    explicit OnSplashShown(std::function<void()> action) : m_action(std::move(action))
    {
        qApp->installEventFilter(this);
    }
    ~OnSplashShown() override { qApp->removeEventFilter(this); }
    bool ran = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!ran && event->type() == QEvent::Show && qobject_cast<frmSplash*>(watched)) {
            ran = true;
            m_action();
        }
        return false;
    }

private:
    std::function<void()> m_action;
};

struct Messages
{
    QList<MsgBox::Message> shown;
    int commandTimeoutAtMessage = -1;
    ScopedMsgBoxHandler handler{[this](const MsgBox::Message& message) {
        shown << message;
        if (mdlPharvel::objCurrentUser && mdlPharvel::objCurrentUser->SQLConnection())
            commandTimeoutAtMessage = mdlPharvel::objCurrentUser->SQLConnection()->CommandTimeout();
        return MsgBox::Answer::Ok;
    }};
};

bool AnyVisibleWindow()
{
    for (const QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible())
            return true;
    }
    return false;
}

void VerifyEndedCleanly(const Messages& messages)
{
    QVERIFY(!mdlPharvel::MainWindow);
    QVERIFY(!mdlPharvel::objPharvel);
    QVERIFY(!mdlPharvel::objCurrentUser);
    QVERIFY(!AnyVisibleWindow());
    QCOMPARE(messages.shown.size(), 1);
}

} // namespace

void tst_startup::cleanup()
{
    if (mdlPharvel::MainWindow)
        delete mdlPharvel::MainWindow.data();
    mdlPharvel::ReleaseComponents();
    QTRY_COMPARE(QApplication::topLevelWidgets().size(), 0);
}

void tst_startup::cancelledLoginEndsCleanly()
{
    TestDatabase db(QStringLiteral("sqlite"));
    Messages messages;
    AnswerLogin(db.ConnectionString(), QString());

    mdlPharvel::Main();

    VerifyEndedCleanly(messages);
    QCOMPARE(messages.shown[0].text, QStringLiteral("Program was unable to connect to server."));
    QCOMPARE(messages.shown[0].icon, MsgBox::Icon::Critical);
    QCOMPARE(messages.shown[0].buttons, MsgBox::Buttons::OK);
    QCOMPARE(messages.shown[0].title, QStringLiteral("prjPharvel"));
    QVERIFY(mdlPharvel::objFileSystem);
}

void tst_startup::startsAndShowsLoadedWindow()
{
    QFETCH(QString, engine);
    TestDatabase db(engine);
    SampleTree::Fill(db.Connection());
    const QString userId = LoggedInRun::AddPharmacist(db, QString(), kPassword);
    Messages messages;
    ProgressWindowSpy spy;
    AnswerLogin(db.ConnectionString(), userId);

    mdlPharvel::Main();

    QVERIFY(messages.shown.isEmpty());
    QVERIFY(mdlPharvel::MainWindow);
    QVERIFY(mdlPharvel::MainWindow->isVisible());
    QCOMPARE(mdlPharvel::MainWindow->staInitials->text(), LoggedInRun::Initials());
    QCOMPARE(mdlPharvel::objCurrentUser->SQLConnection()->CommandTimeout(), 240);
    QVERIFY(mdlPharvel::objPharvel->IsConnected());
    QVERIFY(!mdlPharvel::blnQuietLoad);

    // The tree was filled while the splash was up and before the window was shown.
    QCOMPARE(spy.Windows().size(), 1);
    QVERIFY(spy.Windows()[0].splashVisible);
    QVERIFY(!spy.Windows()[0].mainWindowVisible);
    QVERIFY(spy.Windows()[0].mainWindowStored);
    for (const QWidget* widget : QApplication::topLevelWidgets())
        QVERIFY2(!qobject_cast<const frmSplash*>(widget), "the splash outlived the start-up");

    mdlPharvel::MainWindow->close();
    QVERIFY(!mdlPharvel::objPharvel);
    QVERIFY(!mdlPharvel::objCurrentUser);
    QTRY_VERIFY(!mdlPharvel::MainWindow);
    AccountStore::RemoveAccount(db.Connection(), userId);
}

void tst_startup::failedConnectEndsCleanly()
{
    QFETCH(QString, engine);
    TestDatabase db(engine);
    const QString userId = LoggedInRun::AddPharmacist(db, QString(), kPassword);
    Messages messages;
    AnswerLogin(db.ConnectionString(), userId);

    // Logged in; then the catalogue can no longer be opened.
    OnSplashShown breakServer([&] {
        if (engine == QLatin1String("sqlite")) {
            QDir folder(db.ConnectionString());
            for (const QString& file : folder.entryList(QDir::Files))
                QVERIFY(folder.remove(file));
        } else {
            db.Connection().Execute(QStringLiteral("ALTER ROLE \"%1\" NOLOGIN").arg(userId));
        }
    });

    mdlPharvel::Main();

    QVERIFY(breakServer.ran);
    VerifyEndedCleanly(messages);
    QCOMPARE(messages.shown[0].text, QStringLiteral("Program was unable to connect to server."));
    QCOMPARE(messages.commandTimeoutAtMessage, 240);
    if (engine != QLatin1String("sqlite")) {
        db.Connection().Execute(QStringLiteral("ALTER ROLE \"%1\" LOGIN").arg(userId));
        AccountStore::RemoveAccount(db.Connection(), userId);
    }
}

void tst_startup::failedWindowLoadEndsCleanly()
{
    TestDatabase db(QStringLiteral("sqlite"));
    const QString userId = LoggedInRun::AddPharmacist(db, QString(), kPassword);
    Messages messages;
    AnswerLogin(db.ConnectionString(), userId);
    OnSplashShown breakHeader(
        [&] { db.Connection().Execute(QStringLiteral("DROP TABLE patient_data.tbHospitalInfo")); });

    mdlPharvel::Main();

    VerifyEndedCleanly(messages);
    QCOMPARE(messages.shown[0].icon, MsgBox::Icon::Critical);
    QVERIFY2(messages.shown[0].text.contains(QStringLiteral("Source: ")),
             qPrintable(messages.shown[0].text));
}

void tst_startup::messagesStandOverTheirWindow()
{
    TestDatabase db(QStringLiteral("sqlite"));
    SampleTree::Fill(db.Connection());
    const QString userId = LoggedInRun::AddPharmacist(db, QString(), kPassword);
    AnswerLogin(db.ConnectionString(), userId);
    mdlPharvel::Main();
    frmPharvel* window = mdlPharvel::MainWindow;
    QVERIFY(window);
    // Right after a refresh, whose progress window has just closed.
    window->mnuRefresh->trigger();

    QString seen = QStringLiteral("no box");
    auto* poll = new QTimer(qApp);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, window, &seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll->deleteLater();
        seen.clear();
        if (box->parentWidget() != window)
            seen += QStringLiteral("not owned by the main window;");
        if (!window->frameGeometry().contains(box->frameGeometry().center()))
            seen += QStringLiteral("not over the main window;");
        for (const QAbstractButton* button : box->buttons()) {
            if (!button->icon().isNull())
                seen += button->text() + QStringLiteral(" shows a picture;");
        }
        // PHARVEL_SCREENSHOT_DIR names a folder to keep the picture in, for a look at it.
        if (const QString folder = qEnvironmentVariable("PHARVEL_SCREENSHOT_DIR");
            !folder.isEmpty()) {
            QTest::qWait(300); // until the box is drawn on the screen
            box->screen()->grabWindow(0).save(folder + QStringLiteral("/messagebox.png"));
        }
        box->button(QMessageBox::No)->click();
    });
    poll->start();
    window->mnuLoadAll->trigger();
    QCOMPARE(seen, QString());

    window->close();
    QTRY_VERIFY(!mdlPharvel::MainWindow);
    AccountStore::RemoveAccount(db.Connection(), userId);
}

QTEST_MAIN(tst_startup)
#include "tst_startup.moc"
