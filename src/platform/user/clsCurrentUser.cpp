#include "platform/user/clsCurrentUser.h"

#include "platform/db/ConnectionString.h"
#include "platform/db/PharvelError.h"
#include "platform/db/SQLConnection.h"
#include "platform/db/Schema.h"
#include "platform/db/ServerProcedures.h"
#include "platform/user/AccountStore.h"
#include "platform/user/LoginDialog.h"
#include "platform/user/PasswordHash.h"
#include "platform/widgets/MsgBox.h"

#include <QApplication>
#include <QStandardPaths>

namespace Corvida_User {

namespace {
const QString kLoginSource = QStringLiteral("clsCurrentUser.Login");

// One text for an unknown user and a wrong password, so that the login tells nobody which
// user ids exist.
PharvelError loginFailed()
{
    return PharvelError(ErrorNumber::LoginFailed,
                        clsCurrentUser::tr("The user id or password is not correct."),
                        kLoginSource);
}

// An unknown user still costs one hash check, so the time a refusal takes does not tell an
// unknown id from a wrong password either.
const QString& stand_inHash()
{
    static const QString hash = PasswordHash::Hash(QStringLiteral("no such account"));
    return hash;
}

// The server refused the credentials themselves, as opposed to being out of reach.
bool isAuthenticationFailure(const PharvelError& error)
{
    const QString& text = error.Description();
    return text.contains(QLatin1String("authentication failed"), Qt::CaseInsensitive) ||
           text.contains(QLatin1String("no password supplied"), Qt::CaseInsensitive) ||
           (text.contains(QLatin1String("role \""), Qt::CaseInsensitive) &&
            text.contains(QLatin1String("does not exist"), Qt::CaseInsensitive));
}

// The busy pointer while the login talks to the server.
class BusyPointer
{
public:
    BusyPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { QApplication::restoreOverrideCursor(); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
};
} // namespace

struct clsCurrentUser::State
{
    QString passwordDeptCode;
    std::unique_ptr<::SQLConnection> connection;
    ConnectionString server;
    UserProfile profile;
    QString password;
};

clsCurrentUser::clsCurrentUser(QObject* parent) : QObject(parent), m_state(new State) {}

clsCurrentUser::~clsCurrentUser() = default;

void clsCurrentUser::SetPasswordDeptCode(const QString& code)
{
    m_state->passwordDeptCode = code;
}

const QString& clsCurrentUser::PasswordDeptCode() const
{
    return m_state->passwordDeptCode;
}

void clsCurrentUser::ShowMain()
{
    LoginDialog dialog;
    dialog.SetServer(DefaultServer());
    while (dialog.exec() == QDialog::Accepted) {
        try {
            BusyPointer busy;
            Login(dialog.Server(), dialog.UserId(), dialog.Password());
            return;
        } catch (const PharvelError& error) {
            MsgBox::Show(error.Description(), MsgBox::Icon::Exclamation);
            dialog.RetryPassword();
        }
    }
}

void clsCurrentUser::Login(const QString& server, const QString& userId, const QString& password)
{
    // A new attempt ends the session before it, whatever its outcome.
    const QString deptCode = m_state->passwordDeptCode;
    m_state = std::make_unique<State>();
    m_state->passwordDeptCode = deptCode;

    const ConnectionString target = ConnectionString::Parse(server);
    if (userId.isEmpty())
        throw loginFailed();
    std::unique_ptr<::SQLConnection> connection;
    std::optional<UserProfile> profile;
    if (target.engine == ConnectionString::Engine::SQLite) {
        connection = ::SQLConnection::Open(target.WithCredentials(userId, {}));
        Schema::RequireLatest(*connection, kLoginSource);
        profile = AccountStore::FindAccount(*connection, userId);
        const bool matches =
            PasswordHash::Verify(profile ? profile->passwordHash : stand_inHash(), password);
        if (!profile || !matches)
            throw loginFailed();
    } else {
        try {
            connection = ::SQLConnection::Open(target.WithCredentials(userId, password));
            Schema::RequireLatest(*connection, kLoginSource);
            profile = AccountStore::FindAccount(*connection, userId);
        } catch (const PharvelError& error) {
            // A role with no rights on this catalogue is no account of it either.
            if (isAuthenticationFailure(error) || error.Number() == ErrorNumber::NotPermitted)
                throw loginFailed();
            throw;
        }
        if (!profile)
            throw loginFailed();
    }
    if (profile->deptCode != deptCode)
        throw PharvelError(ErrorNumber::NotPermitted,
                           tr("The account %1 does not belong to this department (%2); it cannot "
                              "open the catalogue.")
                               .arg(userId, deptCode),
                           kLoginSource);

    profile->passwordHash.clear();
    // The find window reads this session's own trace; it must be there before the first find.
    ServerProcedures::PrepareSession(*connection);
    m_state->connection = std::move(connection);
    m_state->server = target;
    m_state->profile = *profile;
    m_state->password = password;
}

QString clsCurrentUser::DefaultServer()
{
    const QString configured = qEnvironmentVariable("PHARVEL_SERVER");
    if (!configured.isEmpty())
        return configured;
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
           QStringLiteral("/demo");
}

bool clsCurrentUser::Connected() const
{
    return m_state->connection != nullptr;
}

::SQLConnection* clsCurrentUser::SQLConnection() const
{
    return m_state->connection.get();
}

QString clsCurrentUser::connectionstr() const
{
    if (!Connected())
        return {};
    return m_state->server.WithCredentials(m_state->profile.userId, m_state->password);
}

QString clsCurrentUser::Initial() const
{
    return m_state->profile.initial;
}

QString clsCurrentUser::UserRights() const
{
    return m_state->profile.userRights;
}

QString clsCurrentUser::ServerName() const
{
    return Connected() ? m_state->server.ServerName() : QString();
}

QString clsCurrentUser::userid() const
{
    return m_state->profile.userId;
}

QString clsCurrentUser::serverpassword() const
{
    return m_state->password;
}

} // namespace Corvida_User
