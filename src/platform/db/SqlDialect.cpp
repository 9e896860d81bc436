#include "platform/db/SqlDialect.h"

#include "platform/db/PharvelError.h"
#include "platform/db/Placeholders.h"
#include "platform/db/SQLConnection.h"

#include <QSqlError>

namespace SqlDialect {

namespace {
bool isServer(const ConnectionString& target)
{
    return target.engine == ConnectionString::Engine::PostgreSQL;
}

bool isServer(const SQLConnection& connection)
{
    return isServer(connection.Target());
}

void lock(SQLConnection& connection, const QStringList& tables, const char* mode)
{
    if (isServer(connection))
        connection.Execute(QStringLiteral("LOCK TABLE %1 IN %2 MODE")
                               .arg(tables.join(QStringLiteral(", ")), QLatin1String(mode)));
}

// The texts as one PostgreSQL array value ({"a","b"}), each element quoted, so that no text's
// letters (a comma, a brace, a quote) are taken for the array's own.
QString textArrayLiteral(const QStringList& texts)
{
    QStringList elements;
    elements.reserve(texts.size());
    for (QString text : texts) {
        text.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
        text.replace(QLatin1Char('"'), QLatin1String("\\\""));
        elements << QLatin1Char('"') + text + QLatin1Char('"');
    }
    return QLatin1Char('{') + elements.join(QLatin1Char(',')) + QLatin1Char('}');
}

// PostgreSQL reports a SQLSTATE.
int serverErrorNumber(const QSqlError& error)
{
    const QString code = error.nativeErrorCode();
    if (code.startsWith(QLatin1String("23")))
        return ErrorNumber::ConstraintViolated;
    if (code == QLatin1String("42501"))
        return ErrorNumber::NotPermitted;
    if (code == QLatin1String("57014") || code == QLatin1String("55P03"))
        return ErrorNumber::Timeout;
    if (code == QLatin1String("40001") || code == QLatin1String("40P01"))
        return ErrorNumber::ConstraintViolated;
    if (code.startsWith(QLatin1String("08")) || code.startsWith(QLatin1String("57P")) ||
        error.type() == QSqlError::ConnectionError)
        return ErrorNumber::ConnectionFailed;
    if (code.isEmpty() && error.databaseText().contains(QLatin1String("connection")))
        return ErrorNumber::ConnectionFailed;
    return ErrorNumber::DatabaseError;
}

// SQLite reports its numeric result code.
int embeddedErrorNumber(const QSqlError& error)
{
    switch (error.nativeErrorCode().toInt() & 0xff) {
    case 19: // SQLITE_CONSTRAINT
        return ErrorNumber::ConstraintViolated;
    case 5: // SQLITE_BUSY
    case 6: // SQLITE_LOCKED
        return ErrorNumber::Timeout;
    case 8:  // SQLITE_READONLY
    case 23: // SQLITE_AUTH
        return ErrorNumber::NotPermitted;
    case 14: // SQLITE_CANTOPEN
    case 26: // SQLITE_NOTADB
    case 11: // SQLITE_CORRUPT
        return ErrorNumber::ConnectionFailed;
    default:
        break;
    }
    return error.type() == QSqlError::ConnectionError ? ErrorNumber::ConnectionFailed
                                                      : ErrorNumber::DatabaseError;
}
} // namespace

void LockAgainstWriters(SQLConnection& connection, const QStringList& tables)
{
    lock(connection, tables, "SHARE ROW EXCLUSIVE");
}

void LockAgainstChanges(SQLConnection& connection, const QString& table)
{
    lock(connection, {table}, "SHARE");
}

void PreferIndexes(SQLConnection& connection)
{
    if (isServer(connection))
        connection.Execute(QStringLiteral("SET LOCAL enable_seqscan = off"));
}

QString BeginStatement(const ConnectionString& target)
{
    return isServer(target) ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE");
}

void SetCommandTimeout(SQLConnection& connection, qint64 milliseconds)
{
    if (isServer(connection))
        connection.Scalar(QStringLiteral("SELECT set_config('statement_timeout', ?, false)"),
                          {QString::number(milliseconds)});
    else // A pragma takes no bound value; the number is our own, never a user's text.
        connection.Scalar(QStringLiteral("PRAGMA busy_timeout = %1").arg(milliseconds));
}

bool CanReconnect(const ConnectionString& target)
{
    return isServer(target);
}

int ErrorNumberOf(const QSqlError& error, const ConnectionString& target)
{
    return isServer(target) ? serverErrorNumber(error) : embeddedErrorNumber(error);
}

bool IsDiskFull(const QSqlError& error, const ConnectionString& target)
{
    return !isServer(target) && (error.nativeErrorCode().toInt() & 0xff) == 13; // SQLITE_FULL
}

bool HasLoginRoles(const SQLConnection& connection)
{
    return isServer(connection);
}

QString UtcTimeText(const SQLConnection& connection, const QString& column)
{
    return isServer(connection)
               ? QStringLiteral("to_char(%1 AT TIME ZONE 'UTC', 'YYYY-MM-DD HH24:MI:SS')")
                     .arg(column)
               : QStringLiteral("substr(%1, 1, 19)").arg(column);
}

QString TimeParameter(const SQLConnection& connection)
{
    // ISO text that the embedded engine compares as text and the server reads as a UTC time.
    return isServer(connection) ? QStringLiteral("CAST(? AS timestamptz)") : QStringLiteral("?");
}

QVariant BoundTime(const SQLConnection& connection, const QDateTime& time)
{
    const QString text = time.toUTC().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"));
    return isServer(connection) ? text + QStringLiteral("+00") : text;
}

void AdvanceIdentity(SQLConnection& connection, const QString& table, const QString& column)
{
    if (!isServer(connection))
        return;
    // The next id is one above the highest; an empty table starts again at 1. Table and column
    // are our own names, never a user's text.
    connection.Scalar(QStringLiteral("SELECT setval(pg_get_serial_sequence(?, ?), "
                                     "COALESCE(MAX(%1), 1), MAX(%1) IS NOT NULL) FROM %2")
                          .arg(column, table),
                      {table, column.toLower()});
}

QString AsciiLowered(const SQLConnection& connection, const QString& column)
{
    // The embedded engine's lower() changes only ASCII letters; the server's does the same under
    // the "C" collation whatever its locale.
    return isServer(connection) ? QStringLiteral("lower(%1 COLLATE \"C\")").arg(column)
                                : QStringLiteral("lower(%1)").arg(column);
}

bool LikeIgnoresAsciiCase(const SQLConnection& connection)
{
    return !isServer(connection);
}

QList<Membership> OneOf(const SQLConnection& connection, const QString& column,
                        const QStringList& texts)
{
    QList<Membership> parts;
    if (texts.isEmpty())
        return parts;
    if (isServer(connection)) {
        parts.append(
            {column + QStringLiteral(" = ANY(CAST(? AS text[]))"), {textArrayLiteral(texts)}});
        return parts;
    }
    constexpr qsizetype kTextsPerStatement = 500;
    for (qsizetype first = 0; first < texts.size(); first += kTextsPerStatement) {
        const QStringList chunk = texts.mid(first, kTextsPerStatement);
        parts.append({QStringLiteral("%1 IN (%2)").arg(column, Placeholders(chunk.size())),
                      QVariantList(chunk.cbegin(), chunk.cend())});
    }
    return parts;
}

QString MigrationsFolder(const SQLConnection& connection)
{
    return isServer(connection) ? QStringLiteral(":/platform/db/migrations/postgresql")
                                : QStringLiteral(":/platform/db/migrations/sqlite");
}

bool TableExists(SQLConnection& connection, const QString& schema, const QString& table)
{
    if (!isServer(connection))
        return connection
                   .Scalar(QStringLiteral("SELECT count(*) FROM %1.sqlite_master "
                                          "WHERE type = 'table' AND lower(name) = ?")
                               .arg(schema),
                           {table.toLower()})
                   .toInt() > 0;
    return connection
               .Scalar(QStringLiteral("SELECT count(*) FROM information_schema.tables "
                                      "WHERE table_schema = ? AND table_name = ?"),
                       {schema, table.toLower()})
               .toInt() > 0;
}

} // namespace SqlDialect
