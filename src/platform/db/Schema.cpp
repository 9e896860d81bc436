#include "platform/db/Schema.h"

#include "platform/db/PharvelError.h"
#include "platform/db/SQLConnection.h"
#include "platform/db/ScopedTransaction.h"
#include "platform/db/SqlDialect.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace Schema {

namespace {
bool versionTableExists(SQLConnection& connection)
{
    return SqlDialect::TableExists(connection, QStringLiteral("inventory"),
                                   QStringLiteral("tbSchemaVersion"));
}
} // namespace

QList<Migration> Migrations(const SQLConnection& connection)
{
    static const QRegularExpression numbered(QStringLiteral("^(\\d{4})_.*\\.sql$"));
    QList<Migration> result;
    const QDir folder(SqlDialect::MigrationsFolder(connection));
    const QStringList files = folder.entryList({QStringLiteral("*.sql")}, QDir::Files, QDir::Name);
    for (const QString& file : files) {
        const auto match = numbered.match(file);
        if (match.hasMatch())
            result.append({match.captured(1).toInt(), folder.filePath(file)});
    }
    return result;
}

QStringList Statements(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw PharvelError(ErrorNumber::DatabaseError,
                           QStringLiteral("The migration %1 cannot be read.").arg(path),
                           QStringLiteral("Schema.Statements"));
    // Statements end with a semicolon at the end of a line. A body holds semicolons of its own:
    // a server function's body lies between two "$$", an embedded trigger's ends at "END;".
    QStringList statements;
    QString current;
    bool inDollarBody = false;
    bool inTriggerBody = false;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        const QString trimmed = line.trimmed();
        if (current.isEmpty() && (trimmed.isEmpty() || trimmed.startsWith(QLatin1String("--"))))
            continue;
        current += line + QLatin1Char('\n');
        if (trimmed.count(QStringLiteral("$$")) % 2 == 1)
            inDollarBody = !inDollarBody;
        else if (!inDollarBody && trimmed.compare(QLatin1String("BEGIN"), Qt::CaseInsensitive) == 0)
            inTriggerBody = true;
        else if (inTriggerBody && trimmed.compare(QLatin1String("END;"), Qt::CaseInsensitive) == 0)
            inTriggerBody = false;
        if (!inDollarBody && !inTriggerBody && trimmed.endsWith(QLatin1Char(';'))) {
            statements << current.trimmed();
            current.clear();
        }
    }
    if (!current.trimmed().isEmpty())
        statements << current.trimmed();
    return statements;
}

int CurrentVersion(SQLConnection& connection)
{
    if (!versionTableExists(connection))
        return 0;
    return connection.Scalar(QStringLiteral("SELECT max(Version) FROM inventory.tbSchemaVersion"))
        .toInt();
}

int LatestVersion(const SQLConnection& connection)
{
    const QList<Migration> all = Migrations(connection);
    return all.isEmpty() ? 0 : all.last().version;
}

QList<int> Migrate(SQLConnection& connection)
{
    QList<int> applied;
    const int current = CurrentVersion(connection);
    for (const Migration& migration : Migrations(connection)) {
        if (migration.version <= current)
            continue;
        ScopedTransaction transaction(connection);
        for (const QString& statement : Statements(migration.path))
            connection.Execute(statement);
        connection.Execute(
            QStringLiteral("INSERT INTO inventory.tbSchemaVersion (Version) VALUES (?)"),
            {migration.version});
        transaction.Commit();
        applied << migration.version;
    }
    return applied;
}

void RequireLatest(SQLConnection& connection, const QString& source)
{
    const int current = CurrentVersion(connection);
    const int latest = LatestVersion(connection);
    if (current < latest)
        throw PharvelError(ErrorNumber::Refused,
                           QStringLiteral("The database is at schema version %1; this program "
                                          "needs version %2. An administrator upgrades it with "
                                          "'pharvel-admin create'.")
                               .arg(current)
                               .arg(latest),
                           source);
    if (current > latest)
        throw PharvelError(ErrorNumber::Refused,
                           QStringLiteral("The database is at schema version %1, newer than this "
                                          "program (version %2); it needs a Pharvel of schema "
                                          "version %1 or later.")
                               .arg(current)
                               .arg(latest),
                           source);
}

} // namespace Schema
