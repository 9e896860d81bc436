#include "platform/db/PreparedInsert.h"

#include "platform/db/DriverError.h"
#include "platform/db/Placeholders.h"
#include "platform/db/SQLConnection.h"

#include <QSqlError>

namespace {
const QString kSource = QStringLiteral("SQLConnection.Execute");
} // namespace

PreparedInsert::PreparedInsert(SQLConnection& connection, const QString& table,
                               const QStringList& columns, qsizetype rowsPerStatement)
    : m_connection(connection),
      m_head(
          QStringLiteral("INSERT INTO %1 (%2) VALUES ").arg(table, columns.join(QLatin1Char(',')))),
      m_row(QLatin1Char('(') + Placeholders(columns.size()) + QLatin1Char(')')),
      m_rowsPerStatement(rowsPerStatement)
{}

QSqlQuery PreparedInsert::Prepare(qsizetype rows) const
{
    QSqlQuery query(m_connection.Database());
    if (!query.prepare(m_head + QStringList(rows, m_row).join(QLatin1Char(','))))
        throw DriverError(query.lastError(), m_connection.Target(), kSource);
    return query;
}

void PreparedInsert::Run(QSqlQuery& query)
{
    for (qsizetype i = 0; i < m_values.size(); ++i)
        query.bindValue(static_cast<int>(i), m_values.at(i));
    if (!query.exec())
        throw DriverError(query.lastError(), m_connection.Target(), kSource);
    m_values.clear();
    m_rows = 0;
}

void PreparedInsert::Add(const QVariantList& row)
{
    m_values += row;
    if (++m_rows < m_rowsPerStatement)
        return;
    if (!m_full)
        m_full = Prepare(m_rowsPerStatement);
    Run(*m_full);
}

void PreparedInsert::Flush()
{
    if (m_rows == 0)
        return;
    QSqlQuery last = Prepare(m_rows);
    Run(last);
}
