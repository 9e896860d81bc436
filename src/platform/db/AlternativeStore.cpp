#include "platform/db/AlternativeStore.h"

#include "platform/db/GenericParts.h"
#include "platform/db/PreparedInsert.h"
#include "platform/db/SQLConnection.h"
#include "platform/db/StoredText.h"

namespace AlternativeStore {

namespace {
const QString kAlternatives =
    QStringLiteral("SELECT t.GenericCode, t.AlternativeCode, t.Kind, t.Note, g.genericname "
                   "FROM inventory.tbAlternative t JOIN inventory.tbforgeneric g "
                   "ON g.GenericCode = t.AlternativeCode ");

Alternative alternativeOf(const RowSet& rows, int r)
{
    return {rows.At(r, 1).toInt(), rows.At(r, 2).toString(), rows.At(r, 3).toString(),
            rows.At(r, 4).toString()};
}
} // namespace

QList<Alternative> Of(SQLConnection& connection, CatalogueId::Generic generic)
{
    return GenericParts::Of(connection, kAlternatives, generic, alternativeOf);
}

QMap<CatalogueId::Generic, QList<Alternative>> All(SQLConnection& connection)
{
    return GenericParts::All(connection, kAlternatives, alternativeOf);
}

void RemoveAll(SQLConnection& connection, const QList<CatalogueId::Generic>& generics)
{
    GenericParts::RemoveAll(connection, kTable, generics);
}

void InsertAll(SQLConnection& connection, const QList<FormularyRecord>& records)
{
    PreparedInsert rows(connection, kTable,
                        {QStringLiteral("GenericCode"), QStringLiteral("Position"),
                         QStringLiteral("AlternativeCode"), QStringLiteral("Kind"),
                         QStringLiteral("Note")});
    for (const FormularyRecord& record : records)
        for (int position = 0; position < record.alternatives.size(); ++position) {
            const Alternative& alternative = record.alternatives.at(position);
            rows.Add({record.generic, position + 1, alternative.generic, alternative.kind,
                      NullIfEmpty(alternative.note)});
        }
    rows.Flush();
}

QList<CatalogueId::Generic> Listing(SQLConnection& connection, CatalogueId::Generic generic)
{
    const RowSet rows = connection.OpenRowSet(
        QStringLiteral("SELECT DISTINCT GenericCode FROM inventory.tbAlternative "
                       "WHERE AlternativeCode = ? ORDER BY GenericCode"),
        {generic});
    QList<CatalogueId::Generic> owners;
    for (int r = 0; r < rows.RecordCount(); ++r)
        owners << rows.At(r, 0).toInt();
    return owners;
}

} // namespace AlternativeStore
