#include "platform/db/GenericStore.h"

const QList<RecordField<GenericRecord>>& GenericStore::Fields()
{
    static const QList<RecordField<GenericRecord>> fields = IdAndName<GenericRecord>(
        kIdColumn, QLatin1String("generic_code"), QLatin1String("genericname"));
    return fields;
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
