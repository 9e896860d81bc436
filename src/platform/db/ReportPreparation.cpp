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

// Removes the preparations the query chooses, rows and all.
void removeChosen(SQLConnection& connection, const QString& chosen, const QVariantList& values)
{
    for (const QString& table : kRowTables)
        connection.Execute(
            QStringLiteral("DELETE FROM %1 WHERE PreparationID IN (%2)").arg(table, chosen),
            values);
    connection.Execute(
        QStringLiteral("DELETE FROM %1 WHERE PreparationID IN (%2)").arg(kTable, chosen), values);
}
} // namespace

Id Begin(SQLConnection& connection, Kind kind)
{
    // A session set up again after a reconnection starts without a preparation of its own.
    connection.AddSessionSetup(QStringLiteral("CREATE TEMPORARY TABLE IF NOT EXISTS %1 "
                                              "(Kind INTEGER, PreparationID BIGINT)")
                                   .arg(kSessionTable));
    const QString gone = QStringLiteral("SELECT PreparationID FROM %1 WHERE Kind = ? UNION "
                                        "SELECT PreparationID FROM %2 WHERE PreparedAt < %3")
                             .arg(kSessionTable, kTable, SqlDialect::TimeParameter(connection));
    const QVariantList chosen{
        static_cast<int>(kind),
        SqlDialect::BoundTime(connection, QDateTime::currentDateTimeUtc().addDays(-1))};
    if (connection.Scalar(QStringLiteral("SELECT count(*) FROM (%1) AS gone").arg(gone), chosen)
            .toInt() > 0) {
        removeChosen(connection, gone, chosen);
        connection.Execute(QStringLiteral("DELETE FROM %1 WHERE Kind = ?").arg(kSessionTable),
                           {static_cast<int>(kind)});
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

} // namespace ReportPreparation
