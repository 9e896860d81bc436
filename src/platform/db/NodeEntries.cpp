#include "platform/db/NodeEntries.h"

#include "platform/db/ClassificationStore.h"
#include "platform/db/DrugStore.h"
#include "platform/db/GenericStore.h"

QString NodeEntryJoins(const QString& node, const QString& prefix)
{
    return QStringLiteral(" LEFT JOIN %1 %2c ON %3.Node_Type = '1' AND %2c.ClassificationID = "
                          "%3.Node_ID"
                          " LEFT JOIN %4 %2g ON %3.Node_Type = '2' AND %2g.GenericCode = %3.Node_ID"
                          " LEFT JOIN %5 %2d ON %3.Node_Type = '3' AND %2d.itemid = %3.Node_ID ")
        .arg(ClassificationStore::kTable, prefix, node, GenericStore::kTable, DrugStore::kTable);
}
