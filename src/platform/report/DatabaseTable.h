#pragma once

#include "platform/db/RowSet.h"
#include "platform/report/ReportDefinition.h"
#include "platform/report/ReportTableLocation.h"

#include <QString>
#include <QVariant>
#include <memory>

class SQLConnection;

namespace ReportEngine {

// One table of a report: where it is read from and with whose log-on. The location can be
// re-pointed ("Inventory.dbo.tbPharvelReport" is the table inventory.tbPharvelReport) and the
// log-on opens the connection the table is read through.
class DatabaseTable
{
public:
    explicit DatabaseTable(const ReportTableDefinition& definition);
    ~DatabaseTable();

    const QString& Name() const { return m_definition.name; }
    // The fields the report reads from this table.
    const QStringList& Fields() const { return m_definition.fields; }
    QString Location() const { return m_location.Text(); }
    // Raises PharvelError(ReportTableInvalid) for a location not of the form
    // database.owner.table; the table keeps its old location then.
    void SetLocation(const QString& location);

    // `server` is a connection string (an embedded catalogue's folder or a PostgreSQL address);
    // the user and password are put into it. The connection is opened at once, so a log-on that
    // fails raises PharvelError here. `database` is kept for the record: the schema read comes
    // from the location.
    void SetLogOnInfo(const QString& server, const QString& database, const QString& user,
                      const QString& password);
    bool IsLoggedOn() const { return m_connection != nullptr; }
    const QString& LogOnDatabase() const { return m_logOnDatabase; }

    // Reads only the records whose field holds the value, besides those the detail chooses: a
    // table of many reports' rows shows this report's own. Raises PharvelError
    // (ReportTableInvalid) for a field that is not a plain identifier.
    void SetSelection(const QString& field, const QVariant& value);

    // Grows at every change of location, log-on or selection, so a report knows its data is
    // stale.
    int Revision() const { return m_revision; }

    // The table's fields that the report uses: every record chosen by the detail's condition,
    // in its sort order, when `detail` is given, or else the first record alone.
    RowSet Read(const ReportDetail* detail) const;

private:
    ReportTableDefinition m_definition;
    ReportTableLocation m_location;
    std::unique_ptr<SQLConnection> m_connection;
    QString m_logOnDatabase;
    QString m_selectionField;
    QVariant m_selectionValue;
    int m_revision = 0;
};

} // namespace ReportEngine
