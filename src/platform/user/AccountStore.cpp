#include "platform/user/AccountStore.h"

#include "platform/db/PharvelError.h"
#include "platform/db/SQLConnection.h"
#include "platform/db/ScopedTransaction.h"
#include "platform/db/SqlDialect.h"
#include "platform/user/PasswordHash.h"

#include <QMetaType>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlField>

namespace AccountStore {

namespace {
const QString kAddSource = QStringLiteral("AccountStore.AddAccount");
const QString kRemoveSource = QStringLiteral("AccountStore.RemoveAccount");

bool isServer(const SQLConnection& connection)
{
    return SqlDialect::HasLoginRoles(connection);
}

// CREATE ROLE and ALTER ROLE take no bound values, so the role name and the password go into
// the statement text through the driver's own quoting: the name as a quoted identifier (the id
// has been checked to hold no quote or full stop, which the quoting would mistreat), the password
// as a string literal with the server's escaping rules.
QString roleIdentifier(SQLConnection& connection, const QString& userId)
{
    return connection.Database().driver()->escapeIdentifier(userId, QSqlDriver::TableName);
}

QString passwordLiteral(SQLConnection& connection, const QString& password)
{
    QSqlField field(QString(), QMetaType(QMetaType::QString));
    field.setValue(password);
    return connection.Database().driver()->formatValue(field);
}

bool roleExists(SQLConnection& connection, const QString& userId)
{
    return connection
               .Scalar(QStringLiteral("SELECT count(*) FROM pg_roles WHERE rolname = ?"), {userId})
               .toInt() > 0;
}

void requireValidUserId(const QString& userId, const QString& source)
{
    if (!IsValidUserId(userId))
        throw PharvelError(ErrorNumber::Refused,
                           QStringLiteral("\"%1\" is not a valid user id: use up to 63 letters, "
                                          "digits, \"_\" and \"-\".")
                               .arg(userId),
                           source);
}

void requireText(const QString& value, const QString& what)
{
    if (value.trimmed().isEmpty())
        throw PharvelError(ErrorNumber::Refused, QStringLiteral("The %1 is empty.").arg(what),
                           kAddSource);
}

// The tables of report preparation, each role's preparations and their rows, that the database
// has: one of a version before the preparations had ids of their own lacks the first.
QString reportTables(SQLConnection& connection)
{
    QStringList tables;
    for (const char* table : {"tbReportPreparation", "tbPharvelNodeLevel", "tbPharvelReport",
                              "tbCatalogueChanges", "tbCatalogueChangesPeriod"})
        if (SqlDialect::TableExists(connection, QStringLiteral("inventory"),
                                    QString::fromLatin1(table)))
            tables << QStringLiteral("inventory.") + QString::fromLatin1(table);
    return tables.join(QStringLiteral(", "));
}

// A pharmacist changes the catalogue and its formulary; a view-only user reads it. Nobody but the
// administrator edits the accounts, the schema's version or the hospital's copy of the ATC index.
void grantRights(SQLConnection& connection, const QString& role, bool viewOnly)
{
    connection.Execute(QStringLiteral("GRANT USAGE ON SCHEMA inventory, patient_data TO ") + role);
    if (viewOnly) {
        connection.Execute(
            QStringLiteral("GRANT SELECT ON ALL TABLES IN SCHEMA inventory, patient_data TO ") +
            role);
        // Preparing a report writes and removes the rows of the user's own preparations in the
        // tables the reports read (the server holds each role to its own), and nothing else.
        connection.Execute(QStringLiteral("GRANT INSERT, DELETE ON ") + reportTables(connection) +
                           QStringLiteral(" TO ") + role);
        return;
    }
    connection.Execute(QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN "
                                      "SCHEMA inventory, patient_data TO ") +
                       role);
    connection.Execute(
        QStringLiteral(
            "GRANT USAGE, SELECT ON ALL SEQUENCES IN SCHEMA inventory, patient_data TO ") +
        role);
    // The hospital's header is the administrator's too. The server journals a pharmacist's
    // changes itself, so the role writes no journal row of its own.
    connection.Execute(
        QStringLiteral("REVOKE INSERT, UPDATE, DELETE ON patient_data.tbUserProfile, "
                       "inventory.tbSchemaVersion, patient_data.tbHospitalInfo, "
                       "inventory.tbCatalogueJournal FROM ") +
        role);
    // A preparation's rows, once written, are its report's as they stand; and no id a
    // preparation was given may be changed to one another preparation will get.
    connection.Execute(QStringLiteral("REVOKE UPDATE ON ") + reportTables(connection) +
                       QStringLiteral(" FROM ") + role);
    // Rights are given again at each version on the way up, before the index was there.
    if (SqlDialect::TableExists(connection, QStringLiteral("inventory"),
                                QStringLiteral("tbAtcIndex")))
        connection.Execute(
            QStringLiteral("REVOKE INSERT, UPDATE, DELETE ON inventory.tbAtcIndex FROM ") + role);
}

void revokeRights(SQLConnection& connection, const QString& role)
{
    connection.Execute(
        QStringLiteral("REVOKE ALL ON ALL TABLES IN SCHEMA inventory, patient_data FROM ") + role);
    connection.Execute(
        QStringLiteral("REVOKE ALL ON ALL SEQUENCES IN SCHEMA inventory, patient_data FROM ") +
        role);
    connection.Execute(QStringLiteral("REVOKE ALL ON SCHEMA inventory, patient_data FROM ") + role);
}

// The rights column may be empty but never NULL, which a null text would be bound as.
QString rightsCode(const QString& rights)
{
    const QString code = rights.trimmed();
    return code.isNull() ? QStringLiteral("") : code;
}

UserProfile profileOf(const RowSet& rows)
{
    UserProfile profile;
    profile.userId = rows.Text(QStringLiteral("UserID"));
    profile.initial = rows.Text(QStringLiteral("Initial"));
    profile.userRights = rows.Text(QStringLiteral("UserRights"));
    profile.deptCode = rows.Text(QStringLiteral("DeptCode"));
    return profile;
}
} // namespace

bool IsValidUserId(const QString& userId)
{
    static const QRegularExpression allowed(QStringLiteral("^[A-Za-z0-9_][A-Za-z0-9_-]{0,62}$"));
    return allowed.match(userId).hasMatch() &&
           !userId.startsWith(QLatin1String("pg_"), Qt::CaseInsensitive);
}

void AddAccount(SQLConnection& connection, const QString& userId, const QString& password,
                const QString& initials, const QString& rights, const QString& deptCode)
{
    requireValidUserId(userId, kAddSource);
    if (password.isEmpty())
        throw PharvelError(ErrorNumber::Refused, QStringLiteral("The password is empty."),
                           kAddSource);
    if (password.contains(QChar(0)))
        throw PharvelError(ErrorNumber::Refused,
                           QStringLiteral("The password holds a NUL character."), kAddSource);
    requireText(initials, QStringLiteral("initials"));
    requireText(deptCode, QStringLiteral("department code"));

    const bool server = isServer(connection);
    // Hashed before the write lock is taken: the hash takes a noticeable fraction of a second.
    const QString hash = server ? QString() : PasswordHash::Hash(password);
    ScopedTransaction transaction(connection);
    if (FindAccount(connection, userId))
        throw PharvelError(ErrorNumber::ConstraintViolated,
                           QStringLiteral("The account %1 exists already.").arg(userId),
                           kAddSource);
    const QString insert =
        QStringLiteral("INSERT INTO patient_data.tbUserProfile (UserID, Initial, "
                       "UserRights, DeptCode%1) VALUES (?, ?, ?, ?%2)");
    if (server) {
        // Roles belong to the whole server: one that exists may be somebody else's.
        if (roleExists(connection, userId))
            throw PharvelError(ErrorNumber::ConstraintViolated,
                               QStringLiteral("The server has a role named %1 already; choose "
                                              "another user id.")
                                   .arg(userId),
                               kAddSource);
        const QString role = roleIdentifier(connection, userId);
        connection.Execute(QStringLiteral("CREATE ROLE ") + role + QStringLiteral(" LOGIN"));
        // The server keeps only a SCRAM verifier, whatever its configured default.
        connection.Execute(QStringLiteral("SET LOCAL password_encryption = 'scram-sha-256'"));
        connection.Execute(QStringLiteral("ALTER ROLE ") + role + QStringLiteral(" PASSWORD ") +
                           passwordLiteral(connection, password));
        grantRights(connection, role, rights.trimmed() == kViewOnlyRights);
        connection.Execute(insert.arg(QString(), QString()),
                           {userId, initials.trimmed(), rightsCode(rights), deptCode.trimmed()});
    } else {
        connection.Execute(
            insert.arg(QStringLiteral(", PasswordHash"), QStringLiteral(", ?")),
            {userId, initials.trimmed(), rightsCode(rights), deptCode.trimmed(), hash});
    }
    transaction.Commit();
}

bool ServerRoleExists(SQLConnection& connection, const QString& userId)
{
    return isServer(connection) && roleExists(connection, userId);
}

void AddAccountForRole(SQLConnection& connection, const QString& userId, const QString& initials,
                       const QString& rights, const QString& deptCode)
{
    const QString source = QStringLiteral("AccountStore.AddAccountForRole");
    requireValidUserId(userId, source);
    requireText(initials, QStringLiteral("initials"));
    requireText(deptCode, QStringLiteral("department code"));
    if (!isServer(connection))
        throw PharvelError(ErrorNumber::Refused,
                           QStringLiteral("The embedded catalogue has no server roles; add the "
                                          "account with a password instead."),
                           source);
    ScopedTransaction transaction(connection);
    if (!roleExists(connection, userId))
        throw PharvelError(ErrorNumber::Refused,
                           QStringLiteral("The server has no role named %1.").arg(userId), source);
    if (FindAccount(connection, userId))
        throw PharvelError(ErrorNumber::ConstraintViolated,
                           QStringLiteral("The account %1 exists already.").arg(userId), source);
    grantRights(connection, roleIdentifier(connection, userId),
                rights.trimmed() == kViewOnlyRights);
    connection.Execute(QStringLiteral("INSERT INTO patient_data.tbUserProfile (UserID, Initial, "
                                      "UserRights, DeptCode) VALUES (?, ?, ?, ?)"),
                       {userId, initials.trimmed(), rightsCode(rights), deptCode.trimmed()});
    transaction.Commit();
}

int RenewRights(SQLConnection& connection)
{
    if (!isServer(connection))
        return 0;
    int renewed = 0;
    ScopedTransaction transaction(connection);
    for (const UserProfile& account : ListAccounts(connection)) {
        if (!IsValidUserId(account.userId) || !roleExists(connection, account.userId))
            continue;
        const QString role = roleIdentifier(connection, account.userId);
        revokeRights(connection, role);
        grantRights(connection, role, account.userRights.trimmed() == kViewOnlyRights);
        ++renewed;
    }
    transaction.Commit();
    return renewed;
}

Removal RemoveAccount(SQLConnection& connection, const QString& userId)
{
    requireValidUserId(userId, kRemoveSource);
    {
        ScopedTransaction transaction(connection);
        if (connection.Execute(
                QStringLiteral("DELETE FROM patient_data.tbUserProfile WHERE UserID = ?"),
                {userId}) == 0)
            return Removal::NotFound;
        if (isServer(connection) && roleExists(connection, userId))
            revokeRights(connection, roleIdentifier(connection, userId));
        transaction.Commit();
    }
    if (!isServer(connection) || !roleExists(connection, userId))
        return Removal::Removed;
    try {
        connection.Execute(QStringLiteral("DROP ROLE ") + roleIdentifier(connection, userId));
    } catch (const PharvelError&) {
        // Still granted rights in another database of the server: it stays for those.
        return Removal::RemovedRoleKept;
    }
    return Removal::Removed;
}

QList<UserProfile> ListAccounts(SQLConnection& connection)
{
    RowSet rows = connection.OpenRowSet(QStringLiteral(
        "SELECT UserID, Initial, UserRights, DeptCode FROM patient_data.tbUserProfile "
        "ORDER BY UserID"));
    QList<UserProfile> result;
    for (; !rows.AtEnd(); rows.MoveNext())
        result << profileOf(rows);
    return result;
}

std::optional<UserProfile> FindAccount(SQLConnection& connection, const QString& userId)
{
    const bool embedded = !isServer(connection);
    RowSet rows =
        connection.OpenRowSet(QStringLiteral("SELECT UserID, Initial, UserRights, DeptCode%1 FROM "
                                             "patient_data.tbUserProfile WHERE UserID = ?")
                                  .arg(embedded ? QStringLiteral(", PasswordHash") : QString()),
                              {userId});
    if (rows.AtEnd())
        return std::nullopt;
    UserProfile profile = profileOf(rows);
    if (embedded)
        profile.passwordHash = rows.Text(QStringLiteral("PasswordHash"));
    return profile;
}

} // namespace AccountStore
