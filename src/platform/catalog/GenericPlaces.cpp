#include "platform/catalog/GenericPlaces.h"

#include "platform/db/ClassificationStore.h"
#include "platform/db/Placeholders.h"
#include "platform/db/SQLConnection.h"

namespace GenericPlaces {

QHash<CatalogueId::Generic, Place> Of(SQLConnection& connection,
                                      const QList<CatalogueId::Generic>& generics)
{
    constexpr qsizetype kPerStatement = 500;
    QHash<CatalogueId::Generic, Place> places;
    for (qsizetype first = 0; first < generics.size(); first += kPerStatement) {
        QVariantList chunk;
        for (const CatalogueId::Generic generic : generics.mid(first, kPerStatement))
            chunk << generic;
        const RowSet rows = connection.OpenRowSet(
            QStringLiteral("SELECT n.Node_ID, n.Node_Key, c.ClassificationName "
                           "FROM inventory.tbPharvel n "
                           "JOIN inventory.tbPharvel p ON p.Node_Key = n.Node_Parent "
                           "LEFT JOIN %1 c ON c.ClassificationID = p.Node_ID "
                           "WHERE n.Node_Type = '2' AND n.Node_ID IN (%2)")
                .arg(ClassificationStore::kTable, Placeholders(chunk.size())),
            chunk);
        for (int r = 0; r < rows.RecordCount(); ++r)
            places.insert(rows.At(r, 0).toInt(),
                          {rows.At(r, 1).toString(), rows.At(r, 2).toString()});
    }
    return places;
}

} // namespace GenericPlaces
