#pragma once

#include "platform/db/CatalogueTypes.h"
#include "platform/db/DeleteWhereIn.h"
#include "platform/db/SQLConnection.h"

#include <QList>
#include <QMap>

// What the tables that keep an ordered list a generic name (its codes, its alternatives) do
// alike. select reads the list's rows under the alias t, its generic name first (column 0);
// partOf makes one part of a row.
namespace GenericParts {

template <typename PartOf>
auto Of(SQLConnection& connection, const QString& select, CatalogueId::Generic generic,
        PartOf partOf)
{
    const RowSet rows = connection.OpenRowSet(
        select + QStringLiteral("WHERE t.GenericCode = ? ORDER BY t.Position"), {generic});
    QList<decltype(partOf(rows, 0))> parts;
    for (int r = 0; r < rows.RecordCount(); ++r)
        parts << partOf(rows, r);
    return parts;
}

// Every generic name's list, by generic code.
template <typename PartOf> auto All(SQLConnection& connection, const QString& select, PartOf partOf)
{
    const RowSet rows =
        connection.OpenRowSet(select + QStringLiteral("ORDER BY t.GenericCode, t.Position"));
    QMap<CatalogueId::Generic, QList<decltype(partOf(rows, 0))>> all;
    for (int r = 0; r < rows.RecordCount(); ++r)
        all[rows.At(r, 0).toInt()] << partOf(rows, r);
    return all;
}

inline void RemoveAll(SQLConnection& connection, const QString& table,
                      const QList<CatalogueId::Generic>& generics)
{
    DeleteWhereIn(connection, table, QStringLiteral("GenericCode"),
                  QVariantList(generics.cbegin(), generics.cend()));
}

} // namespace GenericParts
