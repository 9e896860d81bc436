#pragma once

#include <QString>
#include <QVariantList>

class SQLConnection;

// Deletes the rows of table whose column holds one of values, a few hundred to a statement.
// The table and column are our own names.
void DeleteWhereIn(SQLConnection& connection, const QString& table, const QString& column,
                   const QVariantList& values);
