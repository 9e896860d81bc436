#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

class SQLConnection;

// Inserts many rows into one table a few hundred at a time, each batch one statement with bound
// values, so that loading a large catalogue costs few round trips on a server.
class BulkInsert
{
public:
    BulkInsert(SQLConnection& connection, QString table, QStringList columns);
    ~BulkInsert() noexcept(false);

    BulkInsert(const BulkInsert&) = delete;
    BulkInsert& operator=(const BulkInsert&) = delete;

    void Add(const QVariantList& row);
    void Flush();

private:
    SQLConnection& m_connection;
    QString m_table;
    QStringList m_columns;
    QVariantList m_values;
    int m_rows = 0;
};
