#pragma once

#include "platform/db/CatalogueTypes.h"
#include "platform/db/DeleteWhereIn.h"
#include "platform/db/FormularyRecord.h"
#include "platform/db/PreparedInsert.h"
#include "platform/db/SQLConnection.h"

#include <QList>
#include <QMap>

// What the tables that keep an ordered list a generic name (its codes, its alternatives) do
// alike, each table's rows keyed by GenericCode and Position.
namespace GenericParts {

// How one such table (the store's kTable) is read and written. select reads the list's rows under
// the alias t, its generic name first (column 0); partOf makes one part of a row; columns are the
// table's columns after GenericCode and Position, and valuesOf gives a part's values for them; list
// is the member of the formulary record that holds the parts.
template <typename Part> struct Layout
{
    QString select;
    Part (*partOf)(const RowSet& rows, int r);
    QStringList columns;
    QVariantList (*valuesOf)(const Part& part);
    QList<Part> FormularyRecord::*list;
};

// The reads and writes of a store whose Layout() describes its table.
template <typename Self, typename Part> struct PartStore
{
    // The parts of one generic name, in order.
    static QList<Part> Of(SQLConnection& connection, CatalogueId::Generic generic)
    {
        const Layout<Part>& layout = Self::Layout();
        const RowSet rows = connection.OpenRowSet(
            layout.select + QStringLiteral("WHERE t.GenericCode = ? ORDER BY t.Position"),
            {generic});
        QList<Part> parts;
        for (int r = 0; r < rows.RecordCount(); ++r)
            parts << layout.partOf(rows, r);
        return parts;
    }

    // Every generic name's parts, by generic code.
    static QMap<CatalogueId::Generic, QList<Part>> All(SQLConnection& connection)
    {
        const Layout<Part>& layout = Self::Layout();
        const RowSet rows = connection.OpenRowSet(
            layout.select + QStringLiteral("ORDER BY t.GenericCode, t.Position"));
        QMap<CatalogueId::Generic, QList<Part>> all;
        for (int r = 0; r < rows.RecordCount(); ++r)
            all[rows.At(r, 0).toInt()] << layout.partOf(rows, r);
        return all;
    }

    static void RemoveAll(SQLConnection& connection, const QList<CatalogueId::Generic>& generics)
    {
        DeleteWhereIn(connection, Self::kTable, QStringLiteral("GenericCode"),
                      QVariantList(generics.cbegin(), generics.cend()));
    }

    // The parts of each record, a few rows to a statement.
    static void InsertAll(SQLConnection& connection, const QList<FormularyRecord>& records)
    {
        const Layout<Part>& layout = Self::Layout();
        PreparedInsert rows(connection, Self::kTable,
                            QStringList{QStringLiteral("GenericCode"), QStringLiteral("Position")} +
                                layout.columns);
        for (const FormularyRecord& record : records) {
            const QList<Part>& parts = record.*layout.list;
            for (int position = 0; position < parts.size(); ++position)
                rows.Add(QVariantList{record.generic, position + 1} +
                         layout.valuesOf(parts.at(position)));
        }
        rows.Flush();
    }
};

} // namespace GenericParts
