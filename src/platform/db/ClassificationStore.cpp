#include "platform/db/ClassificationStore.h"

#include "platform/db/StoredText.h"

const QStringList& ClassificationStore::Columns()
{
    static const QStringList columns{kIdColumn, QStringLiteral("ClassificationName")};
    return columns;
}

QVariantList ClassificationStore::Values(const ClassificationRecord& record)
{
    return {record.id, record.name};
}

ClassificationRecord ClassificationStore::FromRow(const RowSet& rows, int r)
{
    return {rows.At(r, 0).toInt(), StoredText(rows.At(r, 1))};
}

bool ClassificationStore::NameTaken(SQLConnection& connection, const QString& name)
{
    return !connection
                .OpenRowSet(QStringLiteral("SELECT 1 FROM inventory.tbForClassification "
                                           "WHERE ClassificationName = ?"),
                            {name})
                .AtEnd();
}

void ClassificationStore::Update(SQLConnection& connection, const ClassificationRecord& record)
{
    connection.Execute(QStringLiteral("UPDATE inventory.tbForClassification SET "
                                      "ClassificationName = ? WHERE ClassificationID = ?"),
                       {record.name, record.id});
}
