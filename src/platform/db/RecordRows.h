#pragma once

#include "platform/db/DeleteWhereIn.h"
#include "platform/db/PreparedInsert.h"
#include "platform/db/RowSet.h"
#include "platform/db/SQLConnection.h"
#include "platform/db/SqlDialect.h"

#include <QList>
#include <QMap>
#include <QStringList>
#include <optional>

// What every store does alike with the records of its table, whose first column is the record's
// id. A store derives from RecordStore<itself, its record> and gives kTable, kIdColumn, Columns()
// (the first one kIdColumn), Values(record) in that order and FromRow(rows, r) back.
template <typename Store, typename Record> struct RecordStore
{
    using RecordType = Record;

    // The record of the id, none when the table holds no row of it.
    static std::optional<Record> Find(SQLConnection& connection, int id)
    {
        const RowSet rows = connection.OpenRowSet(
            QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                .arg(Store::Columns().join(QStringLiteral(", ")), Store::kTable, Store::kIdColumn),
            {id});
        if (rows.RecordCount() == 0)
            return std::nullopt;
        return Store::FromRow(rows, 0);
    }

    // Writes every column of the record but its id.
    static void Update(SQLConnection& connection, const Record& record)
    {
        const QStringList columns = Store::Columns().mid(1);
        QVariantList values = Store::Values(record);
        values.append(values.takeFirst());
        connection.Execute(
            QStringLiteral("UPDATE %1 SET %2 = ? WHERE %3 = ?")
                .arg(Store::kTable, columns.join(QStringLiteral(" = ?, ")), Store::kIdColumn),
            values);
    }

    // Every record, by id.
    static QMap<int, Record> All(SQLConnection& connection)
    {
        const RowSet rows = connection.OpenRowSet(
            QStringLiteral("SELECT %1 FROM %2")
                .arg(Store::Columns().join(QStringLiteral(", ")), Store::kTable));
        QMap<int, Record> all;
        for (int r = 0; r < rows.RecordCount(); ++r)
            all.insert(rows.At(r, 0).toInt(), Store::FromRow(rows, r));
        return all;
    }

    // Many records, a few to a statement.
    static void InsertAll(SQLConnection& connection, const QList<Record>& records)
    {
        PreparedInsert rows(connection, Store::kTable, Store::Columns());
        for (const Record& record : records)
            rows.Add(Store::Values(record));
        rows.Flush();
    }

    static void RemoveAll(SQLConnection& connection, const QList<int>& ids)
    {
        DeleteWhereIn(connection, Store::kTable, Store::kIdColumn,
                      QVariantList(ids.cbegin(), ids.cend()));
    }

    // Moves the server's id generator on past the highest id (after ids of our own were written).
    static void AdvanceIdentity(SQLConnection& connection)
    {
        SqlDialect::AdvanceIdentity(connection, Store::kTable, Store::kIdColumn);
    }

    // The highest id in the table, 0 when it is empty.
    static int HighestId(SQLConnection& connection)
    {
        return connection
            .Scalar(QStringLiteral("SELECT max(%1) FROM %2").arg(Store::kIdColumn, Store::kTable))
            .toInt();
    }
};
