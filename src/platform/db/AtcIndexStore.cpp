#include "platform/db/AtcIndexStore.h"

#include "platform/db/PreparedInsert.h"
#include "platform/db/SQLConnection.h"
#include "platform/db/StoredText.h"

namespace AtcIndexStore {

namespace {
const QString kEntries =
    QStringLiteral("SELECT Code, Name, DDD, Unit, Route, Note FROM inventory.tbAtcIndex ");

AtcIndexEntry entryOf(const RowSet& rows, int r)
{
    return {rows.At(r, 0).toString(), rows.At(r, 1).toString(), rows.At(r, 2).toString(),
            rows.At(r, 3).toString(), rows.At(r, 4).toString(), rows.At(r, 5).toString()};
}

} // namespace

std::optional<AtcIndexEntry> Find(SQLConnection& connection, const QString& code)
{
    const RowSet rows = connection.OpenRowSet(kEntries + QStringLiteral("WHERE Code = ?"), {code});
    if (rows.RecordCount() == 0)
        return std::nullopt;
    return entryOf(rows, 0);
}

QList<AtcIndexEntry> All(SQLConnection& connection)
{
    const RowSet rows = connection.OpenRowSet(kEntries + QStringLiteral("ORDER BY Code"));
    QList<AtcIndexEntry> entries;
    for (int r = 0; r < rows.RecordCount(); ++r)
        entries << entryOf(rows, r);
    return entries;
}

void Replace(SQLConnection& connection, const QList<AtcIndexEntry>& entries)
{
    connection.Execute(QStringLiteral("DELETE FROM inventory.tbAtcIndex"));
    PreparedInsert rows(connection, kTable,
                        {QStringLiteral("Code"), QStringLiteral("Name"), QStringLiteral("DDD"),
                         QStringLiteral("Unit"), QStringLiteral("Route"), QStringLiteral("Note")});
    for (const AtcIndexEntry& entry : entries)
        rows.Add({entry.code, entry.name, NullIfEmpty(entry.ddd), NullIfEmpty(entry.unit),
                  NullIfEmpty(entry.route), NullIfEmpty(entry.note)});
    rows.Flush();
}

} // namespace AtcIndexStore
