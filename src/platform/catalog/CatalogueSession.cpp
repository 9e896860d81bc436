#include "platform/catalog/CatalogueSession.h"

#include "platform/db/CatalogueTypes.h"
#include "platform/db/ConnectionString.h"
#include "platform/db/SqlDialect.h"
#include "platform/db/TextLimits.h"

namespace ClassPharvel {

namespace {
const QString kViewOnlyRights = QStringLiteral("BB");
} // namespace

CatalogueSession::~CatalogueSession() = default;

void CatalogueSession::Open(const QString& connectionString)
{
    m_connection.reset();
    auto connection = SQLConnection::Open(connectionString);
    m_refusal = RefusalFor(*connection);
    m_connection = std::move(connection);
}

QString CatalogueSession::RefusalFor(SQLConnection& connection)
{
    const QString user = connection.Target().user;
    if (user.isEmpty())
        return {};
    const RowSet profile = connection.OpenRowSet(
        QStringLiteral("SELECT UserRights FROM patient_data.tbUserProfile WHERE UserID = ?"),
        {user});
    if (profile.RecordCount() == 0)
        return QStringLiteral("The user %1 has no profile, so the catalogue can only be looked "
                              "at; nothing was changed.")
            .arg(user);
    if (profile.Text(0).trimmed() == kViewOnlyRights)
        return QStringLiteral("The rights of the user %1 allow looking at the catalogue only; "
                              "nothing was changed.")
            .arg(user);
    return {};
}

SQLConnection& CatalogueSession::Connection()
{
    if (!m_connection)
        throw PharvelError(ErrorNumber::ConnectionFailed,
                           QStringLiteral("The catalogue component is not connected to a "
                                          "server."),
                           QStringLiteral("Pharvel.Connect"));
    return *m_connection;
}

void CatalogueSession::RequireWritable() const
{
    if (!m_refusal.isEmpty())
        throw PharvelError(ErrorNumber::NotPermitted, m_refusal, {});
}

void CatalogueSession::LockForWriting(const QString& table)
{
    // Shares the table with readers but with no other writer until the transaction ends.
    SqlDialect::LockAgainstWriters(Connection(), {table});
}

int CatalogueSession::NextFreeId(const QString& table, const QString& column)
{
    LockForWriting(table);
    SQLConnection& connection = Connection();
    const int highest =
        connection.Scalar(QStringLiteral("SELECT COALESCE(MAX(%1), 0) FROM %2").arg(column, table))
            .toInt();
    if (highest < kHighestId)
        return highest + 1;
    const bool firstTaken =
        connection
            .Scalar(QStringLiteral("SELECT count(*) FROM %2 WHERE %1 = ?").arg(column, table), {1})
            .toInt() > 0;
    if (!firstTaken)
        return 1;
    const QVariant gap = connection.Scalar(
        QStringLiteral("SELECT MIN(a.%1) + 1 FROM %2 a WHERE a.%1 < ? AND NOT EXISTS "
                       "(SELECT 1 FROM %2 b WHERE b.%1 = a.%1 + 1)")
            .arg(column, table),
        {kHighestId});
    if (gap.isNull())
        Refuse(QStringLiteral("Every id up to %1 is taken in %2; nothing was added.")
                   .arg(kHighestId)
                   .arg(table));
    return gap.toInt();
}

void CatalogueSession::Refuse(const QString& description)
{
    throw PharvelError(ErrorNumber::Refused, description, {});
}

void CatalogueSession::RequireName(const QString& name)
{
    if (name.trimmed().isEmpty())
        Refuse(QStringLiteral("A name is needed; a blank name would show as nothing in the "
                              "catalogue."));
    // Neither engine can keep these exactly: a server text ends at a NUL, and a broken
    // surrogate pair has no UTF-8 spelling.
    if (name.size() > TextLimits::kName)
        Refuse(TextLimits::TooLong(QStringLiteral("The name"), TextLimits::kName));
    if (name.contains(QChar(0)))
        Refuse(QStringLiteral("The name holds a NUL character, which cannot be stored; nothing "
                              "was changed."));
    if (!name.isValidUtf16())
        Refuse(QStringLiteral("The name holds a broken character (half of a surrogate pair), "
                              "which cannot be stored; nothing was changed."));
}

} // namespace ClassPharvel
