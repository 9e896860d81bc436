#include "platform/db/IdSequences.h"

#include "platform/db/SQLConnection.h"

namespace IdSequences {

namespace {
struct IdColumn
{
    const char* table;
    const char* column;
};

// The tables whose ids the server generates (identity columns).
constexpr IdColumn kIdColumns[] = {
    {"inventory.tbForClassification", "classificationid"},
    {"inventory.tbforgeneric", "genericcode"},
    {"inventory.tbinvmaster", "itemid"},
    {"patient_data.tbHospitalInfo", "hospitalid"},
};
} // namespace

void Advance(SQLConnection& connection)
{
    if (connection.engine() != SQLConnection::Engine::PostgreSQL)
        return;
    for (const IdColumn& id : kIdColumns) {
        // The next id is one above the highest; an empty table starts again at 1. Table and
        // column are our own names, never a user's text.
        const QString table = QString::fromLatin1(id.table);
        const QString column = QString::fromLatin1(id.column);
        connection.Scalar(QStringLiteral("SELECT setval(pg_get_serial_sequence(?, ?), "
                                         "COALESCE(MAX(%1), 1), MAX(%1) IS NOT NULL) FROM %2")
                              .arg(column, table),
                          {table, column});
    }
}

} // namespace IdSequences
