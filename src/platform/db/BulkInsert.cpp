#include "platform/db/BulkInsert.h"

#include "platform/db/SQLConnection.h"

#include <exception>

namespace {
constexpr int kRowsPerStatement = 200;
}

BulkInsert::BulkInsert(SQLConnection& connection, QString table, QStringList columns)
    : m_connection(connection), m_table(std::move(table)), m_columns(std::move(columns))
{}

BulkInsert::~BulkInsert() noexcept(false)
{
    if (std::uncaught_exceptions() == 0)
        Flush();
}

void BulkInsert::Add(const QVariantList& row)
{
    m_values += row;
    if (++m_rows == kRowsPerStatement)
        Flush();
}

void BulkInsert::Flush()
{
    if (m_rows == 0)
        return;
    const QString placeholders =
        QLatin1Char('(') +
        QStringList(m_columns.size(), QStringLiteral("?")).join(QLatin1Char(',')) +
        QLatin1Char(')');
    QStringList rows(m_rows, placeholders);
    m_connection.Execute(
        QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
            .arg(m_table, m_columns.join(QLatin1Char(',')), rows.join(QLatin1Char(','))),
        m_values);
    m_values.clear();
    m_rows = 0;
}
