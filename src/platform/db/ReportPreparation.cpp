#include "platform/db/ReportPreparation.h"

#include "platform/db/SQLConnection.h"
#include "platform/db/SqlDialect.h"

#include <QDateTime>

namespace ReportPreparation {

namespace {
const QString kTable = QStringLiteral("inventory.tbReportPreparation");
// The preparations of this session: a temporary table is its connection's own.
const QString kSessionTable = QStringLiteral("tbSessionPreparation");
const QString kRowTables[] = {QStringLiteral("inventory.tbPharvelNodeLevel"),
                              QStringLiteral("inventory.tbPharvelReport"),
                              QStringLiteral("inventory.tbCatalogueChanges"),
                              QStringLiteral("inventory.tbCatalogueChangesPeriod")};

// This session's earlier preparations of a kind, with the kind and the current id bound.
const QString kEarlier =
    QStringLiteral("SELECT PreparationID FROM tbSessionPreparation WHERE Kind = ? AND "
                   "PreparationID <> ?");
} // namespace

Id Begin(SQLConnection& connection, Kind kind)
{
    // A session set up again after a reconnection starts without a preparation of its own.
    connection.AddSessionSetup(QStringLiteral("CREATE TEMPORARY TABLE IF NOT EXISTS %1 "
                                              "(Kind INTEGER, PreparationID BIGINT)")
                                   .arg(kSessionTable));
    const QString stale = QStringLiteral("SELECT PreparationID FROM %1 WHERE PreparedAt < %2")
                              .arg(kTable, SqlDialect::TimeParameter(connection));
    const QVariantList dayAgo{
        SqlDialect::BoundTime(connection, QDateTime::currentDateTimeUtc().addDays(-1))};
    if (connection.Scalar(QStringLiteral("SELECT count(*) FROM (%1) AS stale").arg(stale), dayAgo)
            .toInt() > 0) {
        for (const QString& table : kRowTables)
            connection.Execute(
                QStringLiteral("DELETE FROM %1 WHERE PreparationID IN (%2)").arg(table, stale),
                dayAgo);
        connection.Execute(
            QStringLiteral("DELETE FROM %1 WHERE PreparationID IN (%2)").arg(kTable, stale),
            dayAgo);
    }
    // On a server the id, who and when are the server's, whatever a client sends.
    const Id id =
        connection
            .Scalar(
                QStringLiteral("INSERT INTO %1 DEFAULT VALUES RETURNING PreparationID").arg(kTable))
            .toLongLong();
    connection.Execute(
        QStringLiteral("INSERT INTO %1 (Kind, PreparationID) VALUES (?, ?)").arg(kSessionTable),
        {static_cast<int>(kind), id});
    return id;
}

void RemoveEarlierRows(SQLConnection& connection, Kind kind, Id current, const QString& table)
{
    connection.Execute(
        QStringLiteral("DELETE FROM %1 WHERE PreparationID IN (%2)").arg(table, kEarlier),
        {static_cast<int>(kind), current});
}

void ForgetEarlier(SQLConnection& connection, Kind kind, Id current)
{
    const QVariantList values{static_cast<int>(kind), current};
    connection.Execute(
        QStringLiteral("DELETE FROM %1 WHERE PreparationID IN (%2)").arg(kTable, kEarlier), values);
    connection.Execute(
        QStringLiteral("DELETE FROM %1 WHERE Kind = ? AND PreparationID <> ?").arg(kSessionTable),
        values);
}

} // namespace ReportPreparation
