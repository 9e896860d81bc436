#include "platform/db/GenericStore.h"

#include "platform/db/StoredText.h"

const QStringList& GenericStore::Columns()
{
    static const QStringList columns{kIdColumn, QStringLiteral("genericname")};
    return columns;
}

QVariantList GenericStore::Values(const GenericRecord& record)
{
    return {record.id, record.name};
}

GenericRecord GenericStore::FromRow(const RowSet& rows, int r)
{
    return {rows.At(r, 0).toInt(), StoredText(rows.At(r, 1))};
}

std::optional<GenericRecord> GenericStore::Find(SQLConnection& connection,
                                                CatalogueId::Generic code)
{
    const RowSet rows = connection.OpenRowSet(
        QStringLiteral(
            "SELECT GenericCode, genericname FROM inventory.tbforgeneric WHERE GenericCode = ?"),
        {code});
    if (rows.RecordCount() == 0)
        return std::nullopt;
    return FromRow(rows, 0);
}

RowSet GenericStore::Listing(SQLConnection& connection, const QString& condition,
                             const QVariantList& values)
{
    QString sql = QStringLiteral("SELECT GenericCode AS \"Code\", genericname AS "
                                 "\"Generic Name\" FROM inventory.tbforgeneric");
    if (!condition.isEmpty())
        sql += QStringLiteral(" WHERE ") + condition;
    return connection.OpenRowSet(sql, values);
}

bool GenericStore::NameTaken(SQLConnection& connection, const QString& name,
                             CatalogueId::Generic except)
{
    return !connection
                .OpenRowSet(QStringLiteral("SELECT 1 FROM inventory.tbforgeneric "
                                           "WHERE genericname = ? AND GenericCode <> ?"),
                            {name, except})
                .AtEnd();
}

void GenericStore::Update(SQLConnection& connection, const GenericRecord& record)
{
    connection.Execute(
        QStringLiteral("UPDATE inventory.tbforgeneric SET genericname = ? WHERE GenericCode = ?"),
        {record.name, record.id});
}
