#include "platform/report/DatabaseTable.h"

#include "platform/db/ConnectionString.h"
#include "platform/db/PharvelError.h"
#include "platform/db/SQLConnection.h"
#include "platform/report/ReportErrorNumber.h"
#include "platform/report/ReportIdentifier.h"

namespace ReportEngine {

DatabaseTable::DatabaseTable(const ReportTableDefinition& definition)
    : m_definition(definition), m_location(ReportTableLocation::Parse(definition.location))
{}

DatabaseTable::~DatabaseTable() = default;

void DatabaseTable::SetLocation(const QString& location)
{
    m_location = ReportTableLocation::Parse(location);
    ++m_revision;
}

void DatabaseTable::SetLogOnInfo(const QString& server, const QString& database,
                                 const QString& user, const QString& password)
{
    const QString connectionString =
        ConnectionString::Parse(server).WithCredentials(user, password);
    m_connection = SQLConnection::Open(connectionString);
    m_logOnDatabase = database;
    ++m_revision;
}

void DatabaseTable::SetSelection(const QString& field, const QVariant& value)
{
    if (!IsReportIdentifier(field))
        throw PharvelError(
            ErrorNumber::ReportTableInvalid,
            QStringLiteral("\"%1\" is not a field a report can select by.").arg(field),
            QStringLiteral("DatabaseTable.SetSelection"));
    m_selectionField = field;
    m_selectionValue = value;
    ++m_revision;
}

RowSet DatabaseTable::Read(const ReportDetail* detail) const
{
    if (!m_connection)
        throw PharvelError(
            ErrorNumber::ReportNotLoggedOn,
            QStringLiteral("The report table %1 has no log-on information.").arg(Name()),
            QStringLiteral("DatabaseTable.Read"));
    // Every name below was checked to be a plain identifier when the report file was read or
    // the location set; only the condition's values are data, and they are bound.
    QString sql = QStringLiteral("SELECT ") + m_definition.fields.join(QStringLiteral(", ")) +
                  QStringLiteral(" FROM ") + m_location.SqlTable();
    QStringList conditions;
    QVariantList values;
    if (!m_selectionField.isEmpty()) {
        conditions << m_selectionField + QStringLiteral(" = ?");
        values << m_selectionValue;
    }
    if (detail && detail->where.IsSet()) {
        conditions << detail->where.SqlPredicate();
        for (const QString& value : detail->where.values)
            values << value;
    }
    if (!conditions.isEmpty())
        sql += QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
    if (detail && !detail->sortField.isEmpty())
        sql += QStringLiteral(" ORDER BY ") + detail->sortField +
               (detail->sortDescending ? QStringLiteral(" DESC") : QString());
    if (!detail)
        sql += QStringLiteral(" LIMIT 1");
    return m_connection->OpenRowSet(sql, values);
}

} // namespace ReportEngine
