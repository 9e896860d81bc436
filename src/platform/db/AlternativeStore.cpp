#include "platform/db/AlternativeStore.h"

#include "platform/db/DeleteWhereIn.h"
#include "platform/db/PreparedInsert.h"
#include "platform/db/SQLConnection.h"
#include "platform/db/StoredText.h"

namespace AlternativeStore {

namespace {
const QString kAlternatives =
    QStringLiteral("SELECT a.GenericCode, a.AlternativeCode, a.Kind, a.Note, g.genericname "
                   "FROM inventory.tbAlternative a JOIN inventory.tbforgeneric g "
                   "ON g.GenericCode = a.AlternativeCode ");

Alternative alternativeOf(const RowSet& rows, int r)
{
    return {rows.At(r, 1).toInt(), rows.At(r, 2).toString(), rows.At(r, 3).toString(),
            rows.At(r, 4).toString()};
}
} // namespace

QList<Alternative> Of(SQLConnection& connection, CatalogueId::Generic generic)
{
    const RowSet rows = connection.OpenRowSet(
        kAlternatives + QStringLiteral("WHERE a.GenericCode = ? ORDER BY a.Position"), {generic});
    QList<Alternative> alternatives;
    for (int r = 0; r < rows.RecordCount(); ++r)
        alternatives << alternativeOf(rows, r);
    return alternatives;
}

QMap<CatalogueId::Generic, QList<Alternative>> All(SQLConnection& connection)
{
    const RowSet rows =
        connection.OpenRowSet(kAlternatives + QStringLiteral("ORDER BY a.GenericCode, a.Position"));
    QMap<CatalogueId::Generic, QList<Alternative>> all;
    for (int r = 0; r < rows.RecordCount(); ++r)
        all[rows.At(r, 0).toInt()] << alternativeOf(rows, r);
    return all;
}

void RemoveAll(SQLConnection& connection, const QList<CatalogueId::Generic>& generics)
{
    DeleteWhereIn(connection, kTable, QStringLiteral("GenericCode"),
                  QVariantList(generics.cbegin(), generics.cend()));
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
