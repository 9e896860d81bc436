#pragma once

#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <optional>

class SQLConnection;

// Inserts many rows into one table, a few rows to a statement that is prepared once and bound
// again for every full batch. The driver's cost of a statement grows faster than its number of
// bound values, so small batches of a re-used statement write a whole catalogue several times
// faster than statements of hundreds of rows. The full batch's statement is prepared when the
// first batch is full, so a few rows cost one statement. Call Flush() to write what is left.
class PreparedInsert
{
public:
    // Rows a statement: the catalogue's tables, whose rows go through checks and triggers.
    static constexpr qsizetype kRowsPerStatement = 25;
    // A report preparation's rows, which no trigger or check looks at, write fastest in fewer,
    // larger statements: the server's round trip weighs more than the driver's binding there.
    static constexpr qsizetype kRowsPerReportStatement = 200;

    PreparedInsert(SQLConnection& connection, const QString& table, const QStringList& columns,
                   qsizetype rowsPerStatement = kRowsPerStatement);

    PreparedInsert(const PreparedInsert&) = delete;
    PreparedInsert& operator=(const PreparedInsert&) = delete;

    void Add(const QVariantList& row);
    void Flush();

private:
    QSqlQuery Prepare(qsizetype rows) const;
    void Run(QSqlQuery& query);

    SQLConnection& m_connection;
    QString m_head;
    QString m_row;
    qsizetype m_rowsPerStatement;
    std::optional<QSqlQuery> m_full;
    QVariantList m_values;
    qsizetype m_rows = 0;
};
