#include "platform/db/AlternativeStore.h"

#include "platform/db/StoredText.h"

namespace {
// Each read with the alternative's name.
const QString kAlternatives =
    QStringLiteral("SELECT t.GenericCode, t.AlternativeCode, t.Kind, t.Note, g.genericname "
                   "FROM inventory.tbAlternative t JOIN inventory.tbforgeneric g "
                   "ON g.GenericCode = t.AlternativeCode ");

Alternative alternativeOf(const RowSet& rows, int r)
{
    return {rows.At(r, 1).toInt(), rows.At(r, 2).toString(), rows.At(r, 3).toString(),
            rows.At(r, 4).toString()};
}

QVariantList valuesOf(const Alternative& alternative)
{
    return {alternative.generic, alternative.kind, NullIfEmpty(alternative.note)};
}
} // namespace

const GenericParts::Layout<Alternative>& AlternativeStore::Layout()
{
    static const GenericParts::Layout<Alternative> layout{
        kAlternatives,
        alternativeOf,
        {QStringLiteral("AlternativeCode"), QStringLiteral("Kind"), QStringLiteral("Note")},
        valuesOf,
        &FormularyRecord::alternatives};
    return layout;
}

QList<CatalogueId::Generic> AlternativeStore::Listing(SQLConnection& connection,
                                                      CatalogueId::Generic generic)
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
