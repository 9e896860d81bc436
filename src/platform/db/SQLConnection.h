#pragma once

#include "platform/db/ConnectionString.h"
#include "platform/db/RowSet.h"

#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

#include <memory>

class QSqlQuery;
class QSqlError;

// One open connection to the catalogue's server: the embedded SQLite files or a PostgreSQL
// database, with the schemas `inventory` and `patient_data` reachable under those names on both.
// Every statement is prepared and its values bound ("?" placeholders); no value is ever joined
// into the text.
class SQLConnection
{
public:
    using Engine = ConnectionString::Engine;

    // Opens the connection. For SQLite the two database files must exist unless createMissing is
    // set (only the administrator's tool creates a database). Raises PharvelError.
    static std::unique_ptr<SQLConnection> Open(const QString& connectionString,
                                               bool createMissing = false);
    ~SQLConnection();

    SQLConnection(const SQLConnection&) = delete;
    SQLConnection& operator=(const SQLConnection&) = delete;

    Engine engine() const noexcept { return m_target.engine; }
    const ConnectionString& Target() const noexcept { return m_target; }
    const QString& ConnectionStringText() const noexcept { return m_text; }

    // Seconds a statement may run (PostgreSQL) or wait for a lock (SQLite); 0 means no limit.
    int CommandTimeout() const noexcept { return m_commandTimeout; }
    void SetCommandTimeout(int seconds);

    // Runs a statement for its effect and returns the number of rows it touched.
    int Execute(const QString& sql, const QVariantList& values = {});

    // Runs a query and fetches every row to the client.
    RowSet OpenRowSet(const QString& sql, const QVariantList& values = {});

    // The first column of the first row, or an empty value when there is no row.
    QVariant Scalar(const QString& sql, const QVariantList& values = {});

    // Transactions: see ScopedTransaction. Nested scopes join the outermost one.
    void BeginTransaction();
    void Commit();
    void Rollback() noexcept;
    bool InTransaction() const noexcept { return m_transactionDepth > 0; }

    QSqlDatabase& Database() noexcept { return m_db; }

private:
    SQLConnection(ConnectionString target, QString text);
    void OpenSQLite(bool createMissing);
    void OpenPostgreSQL();
    QSqlQuery Run(const QString& sql, const QVariantList& values, const QString& source);
    [[noreturn]] void Raise(const QSqlError& error, const QString& source) const;

    ConnectionString m_target;
    QString m_text;
    QString m_name;
    QSqlDatabase m_db;
    int m_commandTimeout = 30;
    int m_transactionDepth = 0;
    bool m_rollbackOnly = false;
};
