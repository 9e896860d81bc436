#pragma once

#include "platform/db/ConnectionString.h"
#include "platform/db/RowSet.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <functional>
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
    // Opens the catalogue for reading only, so that a copy the user may only read can be
    // exported and checked: the embedded files are opened read-only (and, in a folder no one can
    // write, as files nothing changes), a server session refuses every write.
    static std::unique_ptr<SQLConnection> OpenReadOnly(const QString& connectionString);
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
    // Whether the session's role writes the catalogue's journal rows itself: always on SQLite;
    // on PostgreSQL only the owner's role, whose changes the server's triggers leave to it.
    bool WritesJournal() const noexcept { return m_writesJournal; }

    QSqlDatabase& Database() noexcept { return m_db; }

    // A server that went away (stopped, restarted, or this session ended by its administrator)
    // is reconnected to at the next statement outside a transaction; a read or the start of a
    // transaction that finds the connection lost reconnects and runs again at once. A statement
    // that may have written is never run twice: it fails with ConnectionFailed naming the server.
    bool ConnectionLost() const noexcept { return m_lost; }

    // Told when a change on the embedded database has to wait for its file, which another
    // program holds locked (true, with the database's folder), and when the wait is over (false):
    // the windows show that they wait. One notice serves the run.
    using LockWaitNotice = std::function<void(bool waiting, const QString& database)>;
    static void SetLockWaitNotice(LockWaitNotice notice);

    // A statement that sets up this session (a temporary table of its own): run now, and again
    // on every reconnection, since a new session starts without it.
    void AddSessionSetup(const QString& sql);

private:
    // Whether a failed statement may simply run again on a new connection.
    enum class Retry { Never, WhenSafe };

    SQLConnection(ConnectionString target, QString text);
    void OpenSQLite(bool createMissing);
    void AttachChecked(const QString& schema, const QString& path, bool createMissing);
    QString AttachedName(const QString& path) const;
    void OpenPostgreSQL();
    void BeginImmediateWaiting();
    void SetUpSession();
    void Reconnect(const QString& source);
    bool Attempt(QSqlQuery& query, const QString& sql, const QVariantList& values);
    bool IsConnectionLoss(const QSqlError& error) const;
    QSqlQuery Run(const QString& sql, const QVariantList& values, const QString& source,
                  Retry retry = Retry::Never);
    [[noreturn]] void Raise(const QSqlError& error, const QString& source) const;

    ConnectionString m_target;
    QString m_text;
    QString m_name;
    QSqlDatabase m_db;
    int m_commandTimeout = 30;
    bool m_readOnly = false;
    int m_transactionDepth = 0;
    bool m_rollbackOnly = false;
    bool m_lost = false;
    bool m_writesJournal = true;
    QStringList m_sessionSetup;
};
