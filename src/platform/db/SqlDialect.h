#pragma once

#include "platform/db/ConnectionString.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

class QSqlError;
class SQLConnection;

// Every difference between the two engines the catalogue runs on, in one place: the embedded
// SQLite files and a PostgreSQL server. The rest of the data code writes one statement for both
// and asks here only for the pieces that differ; nothing else asks which engine it is on.
namespace SqlDialect {

// Locks. The embedded engine takes its one write lock at the start of every writing transaction
// (see BeginStatement), which already keeps every other writer out, so these lock only the
// server's tables, for the rest of the current transaction.
// Readers go on; no other writer changes the tables.
void LockAgainstWriters(SQLConnection& connection, const QStringList& tables);
// Readers go on and may take the same lock; nobody writes the table until the transaction ends.
void LockAgainstChanges(SQLConnection& connection, const QString& table);
// For the rest of the transaction the server checks keys through their indexes even where its
// measures (taken while the tables were empty) say a whole-table scan is cheaper.
void PreferIndexes(SQLConnection& connection);

// The statement that starts a writing transaction: the embedded engine takes its write lock at
// once, so two writers queue on the busy time-out instead of one failing when it upgrades.
QString BeginStatement(const ConnectionString& target);
// How long a statement may run (server) or wait for a lock (embedded); 0 is no limit.
void SetCommandTimeout(SQLConnection& connection, qint64 milliseconds);
// Whether a lost connection can come back: a server can restart, a failed file stays failed.
bool CanReconnect(const ConnectionString& target);
// The catalogue's error number (ErrorNumber) for a driver's failure.
int ErrorNumberOf(const QSqlError& error, const ConnectionString& target);
// Whether the failure was the embedded database's disk running full.
bool IsDiskFull(const QSqlError& error, const ConnectionString& target);

// Accounts: on the server each pharmacist is a login role that the server knows the session by
// (and journals under); the embedded files keep the accounts in the profile table.
bool HasLoginRoles(const SQLConnection& connection);

// Times: a stored time column as UTC text "yyyy-MM-dd hh:mm:ss"; a bound time to compare with
// one, and the value to bind there.
QString UtcTimeText(const SQLConnection& connection, const QString& column);
QString TimeParameter(const SQLConnection& connection);
QVariant BoundTime(const SQLConnection& connection, const QDateTime& time);

// Identity columns: after rows were written with ids of their own, the server's generator moves
// on past the highest; the embedded engine takes the next id from the table itself.
void AdvanceIdentity(SQLConnection& connection, const QString& table, const QString& column);

// Case-folded search: the column with its ASCII capitals made small and nothing else changed,
// and whether LIKE by itself ignores the case of ASCII letters.
QString AsciiLowered(const SQLConnection& connection, const QString& column);
bool LikeIgnoresAsciiCase(const SQLConnection& connection);

// A condition that column is one of texts, with its bound values: one statement a part. The
// server takes every text as one array value; the embedded engine a few hundred at a time.
struct Membership
{
    QString sql;
    QVariantList values;
};
QList<Membership> OneOf(const SQLConnection& connection, const QString& column,
                        const QStringList& texts);

// The schema: the folder of this engine's migrations, and whether one of our tables exists.
QString MigrationsFolder(const SQLConnection& connection);
bool TableExists(SQLConnection& connection, const QString& schema, const QString& table);

} // namespace SqlDialect
