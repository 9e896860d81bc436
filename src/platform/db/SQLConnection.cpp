#include "platform/db/SQLConnection.h"

#include "platform/db/DriverError.h"
#include "platform/db/PharvelError.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>

namespace {
const QString kInventoryFile = QStringLiteral("inventory.db");
const QString kPatientFile = QStringLiteral("patient_data.db");

QString uniqueConnectionName()
{
    return QStringLiteral("pharvel-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
}
} // namespace

SQLConnection::SQLConnection(ConnectionString target, QString text)
    : m_target(std::move(target)), m_text(std::move(text)), m_name(uniqueConnectionName())
{
}

SQLConnection::~SQLConnection()
{
    if (m_db.isValid()) {
        if (m_transactionDepth > 0)
            QSqlQuery(m_db).exec(QStringLiteral("ROLLBACK"));
        m_db.close();
    }
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_name);
}

std::unique_ptr<SQLConnection> SQLConnection::Open(const QString& connectionString,
                                                   bool createMissing)
{
    std::unique_ptr<SQLConnection> connection(
        new SQLConnection(ConnectionString::Parse(connectionString), connectionString));
    if (connection->engine() == Engine::SQLite)
        connection->OpenSQLite(createMissing);
    else
        connection->OpenPostgreSQL();
    return connection;
}

void SQLConnection::OpenSQLite(bool createMissing)
{
    const QString source = QStringLiteral("SQLConnection.Open");
    QDir folder(m_target.folder);
    const QString inventoryPath = folder.absoluteFilePath(kInventoryFile);
    const QString patientPath = folder.absoluteFilePath(kPatientFile);
    if (!createMissing) {
        for (const QString& path : {inventoryPath, patientPath}) {
            const QFileInfo info(path);
            if (!info.exists())
                throw PharvelError(ErrorNumber::ConnectionFailed,
                                   QStringLiteral("The database %1 does not exist.").arg(path),
                                   source);
            if (!info.isWritable())
                throw PharvelError(ErrorNumber::NotPermitted,
                                   QStringLiteral("The database %1 is read-only; the catalogue "
                                                  "cannot be kept in it.")
                                       .arg(path),
                                   source);
        }
    } else if (!folder.exists() && !QDir().mkpath(folder.absolutePath())) {
        throw PharvelError(ErrorNumber::ConnectionFailed,
                           QStringLiteral("The folder %1 cannot be created.")
                               .arg(folder.absolutePath()),
                           source);
    }

    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    // The main database is a private scratch area; the catalogue lives in the two attached files.
    m_db.setDatabaseName(QStringLiteral(":memory:"));
    if (!m_db.open())
        Raise(m_db.lastError(), source);

    Execute(QStringLiteral("ATTACH DATABASE ? AS inventory"), {inventoryPath});
    Execute(QStringLiteral("ATTACH DATABASE ? AS patient_data"), {patientPath});
    // A file that is not a database shows itself at the first read of its schema.
    Scalar(QStringLiteral("SELECT count(*) FROM inventory.sqlite_master"));
    Scalar(QStringLiteral("SELECT count(*) FROM patient_data.sqlite_master"));
    Execute(QStringLiteral("PRAGMA foreign_keys = ON"));
    Scalar(QStringLiteral("PRAGMA inventory.journal_mode = WAL"));
    Scalar(QStringLiteral("PRAGMA patient_data.journal_mode = WAL"));
    SetCommandTimeout(m_commandTimeout);
}

void SQLConnection::OpenPostgreSQL()
{
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
    m_db.setHostName(m_target.host);
    m_db.setPort(m_target.port);
    m_db.setDatabaseName(m_target.database);
    m_db.setUserName(m_target.user);
    m_db.setPassword(m_target.password);
    QString options = QStringLiteral("connect_timeout=10;application_name=Pharvel");
    if (!m_target.sslmode.isEmpty())
        options += QStringLiteral(";sslmode=") + m_target.sslmode;
    m_db.setConnectOptions(options);
    if (!m_db.open())
        Raise(m_db.lastError(), QStringLiteral("SQLConnection.Open"));
    Execute(QStringLiteral("SET client_min_messages = warning"));
    SetCommandTimeout(m_commandTimeout);
}

void SQLConnection::SetCommandTimeout(int seconds)
{
    if (seconds < 0)
        seconds = 0;
    m_commandTimeout = seconds;
    const qint64 milliseconds = qint64(seconds) * 1000;
    if (engine() == Engine::PostgreSQL) {
        Scalar(QStringLiteral("SELECT set_config('statement_timeout', ?, false)"),
               {QString::number(milliseconds)});
    } else {
        // A pragma takes no bound value; the number is our own, never a user's text.
        Scalar(QStringLiteral("PRAGMA busy_timeout = %1").arg(milliseconds));
    }
}

QSqlQuery SQLConnection::Run(const QString& sql, const QVariantList& values,
                             const QString& source)
{
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    // A statement without values runs as it stands: PostgreSQL cannot prepare a utility
    // statement (SET, CREATE ...), and there is nothing to bind.
    if (values.isEmpty()) {
        if (!query.exec(sql))
            Raise(query.lastError(), source);
        return query;
    }
    if (!query.prepare(sql))
        Raise(query.lastError(), source);
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec())
        Raise(query.lastError(), source);
    return query;
}

int SQLConnection::Execute(const QString& sql, const QVariantList& values)
{
    QSqlQuery query = Run(sql, values, QStringLiteral("SQLConnection.Execute"));
    const int affected = query.numRowsAffected();
    query.finish();
    return affected;
}

RowSet SQLConnection::OpenRowSet(const QString& sql, const QVariantList& values)
{
    QSqlQuery query = Run(sql, values, QStringLiteral("SQLConnection.OpenRowSet"));
    const QSqlRecord record = query.record();
    QStringList fields;
    fields.reserve(record.count());
    for (int i = 0; i < record.count(); ++i)
        fields << record.fieldName(i);

    std::vector<RowSet::Row> rows;
    while (query.next()) {
        RowSet::Row row(static_cast<size_t>(fields.size()));
        for (int i = 0; i < fields.size(); ++i) {
            QVariant value = query.value(i);
            if (!value.isNull())
                row[static_cast<size_t>(i)] = std::move(value);
        }
        rows.push_back(std::move(row));
    }
    if (query.lastError().isValid())
        Raise(query.lastError(), QStringLiteral("SQLConnection.OpenRowSet"));
    query.finish();
    return RowSet(std::move(fields), std::move(rows));
}

QVariant SQLConnection::Scalar(const QString& sql, const QVariantList& values)
{
    QSqlQuery query = Run(sql, values, QStringLiteral("SQLConnection.Scalar"));
    QVariant result;
    if (query.next() && !query.value(0).isNull())
        result = query.value(0);
    query.finish();
    return result;
}

void SQLConnection::BeginTransaction()
{
    if (m_transactionDepth++ > 0)
        return;
    // SQLite: take the write lock at once, so two writers queue on the busy timeout instead of
    // one of them failing when it upgrades a read to a write.
    QSqlQuery query(m_db);
    if (!query.exec(engine() == Engine::SQLite ? QStringLiteral("BEGIN IMMEDIATE")
                                               : QStringLiteral("BEGIN"))) {
        m_transactionDepth = 0;
        Raise(query.lastError(), QStringLiteral("SQLConnection.BeginTransaction"));
    }
}

void SQLConnection::Commit()
{
    const QString source = QStringLiteral("SQLConnection.Commit");
    if (m_transactionDepth == 0)
        throw PharvelError(ErrorNumber::DatabaseError,
                           QStringLiteral("There is no transaction to commit."), source);
    if (--m_transactionDepth > 0)
        return;
    if (m_rollbackOnly) {
        Rollback();
        throw PharvelError(ErrorNumber::DatabaseError,
                           QStringLiteral("The change was undone because a part of it failed."),
                           source);
    }
    QSqlQuery query(m_db);
    if (!query.exec(QStringLiteral("COMMIT"))) {
        const QSqlError error = query.lastError();
        m_transactionDepth = 1;
        Rollback();
        Raise(error, source);
    }
}

void SQLConnection::Rollback() noexcept
{
    if (m_transactionDepth > 1) {
        // An inner scope failed: the whole transaction can only be undone now.
        --m_transactionDepth;
        m_rollbackOnly = true;
        return;
    }
    m_transactionDepth = 0;
    m_rollbackOnly = false;
    QSqlQuery(m_db).exec(QStringLiteral("ROLLBACK"));
}

void SQLConnection::Raise(const QSqlError& error, const QString& source) const
{
    throw DriverError(error, m_target, source);
}
