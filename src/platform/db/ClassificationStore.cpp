#include "platform/db/ClassificationStore.h"

const QList<RecordField<ClassificationRecord>>& ClassificationStore::Fields()
{
    static const QList<RecordField<ClassificationRecord>> fields = IdAndName<ClassificationRecord>(
        kIdColumn, QLatin1String("classification_id"), QLatin1String("ClassificationName"));
    return fields;
}

bool ClassificationStore::NameTaken(SQLConnection& connection, const QString& name)
{
    return !connection
                .OpenRowSet(QStringLiteral("SELECT 1 FROM inventory.tbForClassification "
                                           "WHERE ClassificationName = ?"),
                            {name})
                .AtEnd();
}
