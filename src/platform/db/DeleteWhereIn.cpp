#include "platform/db/DeleteWhereIn.h"

#include "platform/db/Placeholders.h"
#include "platform/db/SQLConnection.h"

void DeleteWhereIn(SQLConnection& connection, const QString& table, const QString& column,
                   const QVariantList& values)
{
    constexpr qsizetype kPerStatement = 500;
    for (qsizetype first = 0; first < values.size(); first += kPerStatement) {
        const QVariantList chunk = values.mid(first, kPerStatement);
        connection.Execute(QStringLiteral("DELETE FROM %1 WHERE %2 IN (%3)")
                               .arg(table, column, Placeholders(chunk.size())),
                           chunk);
    }
}
