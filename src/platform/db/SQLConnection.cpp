#include "platform/db/SQLConnection.h"

#include "platform/db/DriverError.h"
#include "platform/db/PharvelError.h"
#include "platform/db/SqlDialect.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSysInfo>
#include <QUrl>
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
{}

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

std::unique_ptr<SQLConnection> SQLConnection::OpenReadOnly(const QString& connectionString)
{
    std::unique_ptr<SQLConnection> connection(
        new SQLConnection(ConnectionString::Parse(connectionString), connectionString));
    connection->m_readOnly = true;
    if (connection->engine() == Engine::SQLite) {
        connection->OpenSQLite(false);
    } else {
        connection->m_sessionSetup << QStringLiteral("SET default_transaction_read_only = on");
        connection->OpenPostgreSQL();
    }
    return connection;
}

void SQLConnection::OpenSQLite(bool createMissing)
{
    const QString source = QStringLiteral("SQLConnection.Open");
    QDir folder(m_target.folder);
    const QString inventoryPath = folder.absoluteFilePath(kInventoryFile);
    const QString patientPath = folder.absoluteFilePath(kPatientFile);
    if (m_readOnly) {
        for (const QString& path : {inventoryPath, patientPath})
            if (!QFileInfo::exists(path))
                throw PharvelError(ErrorNumber::ConnectionFailed,
                                   QStringLiteral("The database %1 does not exist.").arg(path),
                                   source);
    } else if (!createMissing) {
        // The journal files are made beside the database files.
        const QFileInfo folderInfo(folder.absolutePath());
        if (folderInfo.isDir() && !folderInfo.isWritable())
            throw PharvelError(ErrorNumber::NotPermitted,
                               QStringLiteral("The folder %1 is read-only; the catalogue cannot "
                                              "be kept in it.")
                                   .arg(folder.absolutePath()),
                               source);
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
        throw PharvelError(
            ErrorNumber::ConnectionFailed,
            QStringLiteral("The folder %1 cannot be created.").arg(folder.absolutePath()), source);
    }

    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    // The main database is a private scratch area; the catalogue lives in the two attached files.
    m_db.setDatabaseName(QStringLiteral(":memory:"));
    if (m_readOnly)
        m_db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI"));
    if (!m_db.open())
        Raise(m_db.lastError(), source);

    // Set first, so that a file another program holds locked is waited for, up to the time-out.
    SetCommandTimeout(m_commandTimeout);
    AttachChecked(QStringLiteral("inventory"), inventoryPath, createMissing);
    AttachChecked(QStringLiteral("patient_data"), patientPath, createMissing);
    Execute(QStringLiteral("PRAGMA foreign_keys = ON"));
}

void SQLConnection::AttachChecked(const QString& schema, const QString& path, bool createMissing)
{
    const QString source = QStringLiteral("SQLConnection.Open");
    // A file that is not a database, or a damaged one, is refused here rather than half-way
    // through the user's first change. The schema names are our own, never a user's text.
    const auto refuseDamaged = [&](const QString& damage) {
        throw PharvelError(ErrorNumber::ConnectionFailed,
                           QStringLiteral("The database %1 is damaged or is not a catalogue "
                                          "database, so it cannot be opened (%2). Restore it "
                                          "from a backup.")
                               .arg(path, damage),
                           source);
    };
    const auto checked = [&](QSqlQuery& query, bool ran) {
        if (ran)
            return;
        const QSqlError error = query.lastError();
        const int code = error.nativeErrorCode().toInt() & 0xff;
        if (code == 11 || code == 26) // SQLITE_CORRUPT, SQLITE_NOTADB
            refuseDamaged(error.databaseText());
        Raise(error, source);
    };
    QSqlQuery attach(m_db);
    checked(attach, attach.prepare(QStringLiteral("ATTACH DATABASE ? AS %1").arg(schema)));
    attach.addBindValue(AttachedName(path));
    checked(attach, attach.exec());
    attach.finish();
    if (!createMissing) {
        QSqlQuery check(m_db);
        checked(check, check.exec(QStringLiteral("PRAGMA %1.quick_check").arg(schema)));
        if (check.next() && check.value(0).toString() != QLatin1String("ok"))
            refuseDamaged(check.value(0).toString().simplified().left(200));
    }
    if (!m_readOnly)
        Scalar(QStringLiteral("PRAGMA %1.journal_mode = WAL").arg(schema));
}

QString SQLConnection::AttachedName(const QString& path) const
{
    if (!m_readOnly)
        return path;
    // A file under write-ahead logging is read through its log, which SQLite keeps beside it;
    // in a folder where the log can be neither found nor made, no writer can be at work, and the
    // file is read as it stands.
    const QFileInfo folder(QFileInfo(path).absolutePath());
    const bool logReadable =
        folder.isWritable() || (QFileInfo::exists(path + QStringLiteral("-wal")) &&
                                QFileInfo::exists(path + QStringLiteral("-shm")));
    return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) +
           (logReadable ? QStringLiteral("?mode=ro") : QStringLiteral("?mode=ro&immutable=1"));
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
    SetUpSession();
}

void SQLConnection::SetUpSession()
{
    Execute(QStringLiteral("SET client_min_messages = warning"));
    // The desktop the server's journal names for this session's changes; the client says it, so
    // it tells the reader where a change was made and guards nothing. A server without the
    // catalogue yet is being created by its owner.
    const RowSet session = OpenRowSet(
        QStringLiteral("SELECT set_config('pharvel.desktop', ?, false), "
                       "to_regclass('inventory.tbcataloguejournal') IS NULL OR "
                       "has_table_privilege(session_user, 'inventory.tbcataloguejournal', "
                       "'INSERT')"),
        {QSysInfo::machineHostName()});
    m_writesJournal = session.Value(1).toBool();
    SetCommandTimeout(m_commandTimeout);
    for (const QString& statement : std::as_const(m_sessionSetup))
        Execute(statement);
}

void SQLConnection::AddSessionSetup(const QString& sql)
{
    Execute(sql);
    if (!m_sessionSetup.contains(sql))
        m_sessionSetup << sql;
}

void SQLConnection::Reconnect(const QString& source)
{
    m_lost = true;
    m_db.close();
    if (!m_db.open())
        Raise(m_db.lastError(), source);
    m_lost = false;
    SetUpSession();
}

bool SQLConnection::IsConnectionLoss(const QSqlError& error) const
{
    // Only a server can go away and come back; an embedded file that fails stays failed.
    return SqlDialect::CanReconnect(m_target) &&
           DriverError(error, m_target, {}).Number() == ErrorNumber::ConnectionFailed;
}

void SQLConnection::SetCommandTimeout(int seconds)
{
    if (seconds < 0)
        seconds = 0;
    m_commandTimeout = seconds;
    const qint64 milliseconds = qint64(seconds) * 1000;
    SqlDialect::SetCommandTimeout(*this, milliseconds);
}

bool SQLConnection::Attempt(QSqlQuery& query, const QString& sql, const QVariantList& values)
{
    query.setForwardOnly(true);
    // A statement without values runs as it stands: PostgreSQL cannot prepare a utility
    // statement (SET, CREATE ...), and there is nothing to bind.
    if (values.isEmpty())
        return query.exec(sql);
    if (!query.prepare(sql))
        return false;
    for (const QVariant& value : values)
        query.addBindValue(value);
    return query.exec();
}

QSqlQuery SQLConnection::Run(const QString& sql, const QVariantList& values, const QString& source,
                             Retry retry)
{
    if (m_lost && m_transactionDepth == 0)
        Reconnect(source);
    QSqlQuery query(m_db);
    if (Attempt(query, sql, values))
        return query;
    QSqlError error = query.lastError();
    if (IsConnectionLoss(error)) {
        m_lost = true;
        // The statement cannot have changed anything: it only reads, outside a transaction.
        if (retry == Retry::WhenSafe && m_transactionDepth == 0) {
            Reconnect(source);
            QSqlQuery again(m_db);
            if (Attempt(again, sql, values))
                return again;
            error = again.lastError();
            m_lost = IsConnectionLoss(error);
        }
    }
    Raise(error, source);
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
    QSqlQuery query = Run(sql, values, QStringLiteral("SQLConnection.OpenRowSet"), Retry::WhenSafe);
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
    QSqlQuery query = Run(sql, values, QStringLiteral("SQLConnection.Scalar"), Retry::WhenSafe);
    QVariant result;
    if (query.next() && !query.value(0).isNull())
        result = query.value(0);
    query.finish();
    return result;
}

void SQLConnection::BeginTransaction()
{
    if (m_transactionDepth > 0) {
        ++m_transactionDepth;
        return;
    }
    // SQLite: take the write lock at once, so two writers queue on the busy timeout instead of
    // one of them failing when it upgrades a read to a write. Nothing has run yet, so a lost
    // server is reconnected to and asked again.
    if (engine() == Engine::SQLite)
        BeginImmediateWaiting();
    else
        Run(SqlDialect::BeginStatement(m_target), {},
            QStringLiteral("SQLConnection.BeginTransaction"), Retry::WhenSafe);
    m_transactionDepth = 1;
}

namespace {
SQLConnection::LockWaitNotice& lockWaitNotice()
{
    static SQLConnection::LockWaitNotice notice;
    return notice;
}
} // namespace

void SQLConnection::SetLockWaitNotice(LockWaitNotice notice)
{
    lockWaitNotice() = std::move(notice);
}

// A lock another desktop lets go at once is taken without a word; a longer wait is shown while
// it lasts, up to the command time-out.
void SQLConnection::BeginImmediateWaiting()
{
    const QString begin = QStringLiteral("BEGIN IMMEDIATE");
    const QString source = QStringLiteral("SQLConnection.BeginTransaction");
    const int timeout = m_commandTimeout;
    QSqlQuery first(m_db);
    Scalar(QStringLiteral("PRAGMA busy_timeout = 200"));
    const bool taken = first.exec(begin);
    Scalar(QStringLiteral("PRAGMA busy_timeout = %1").arg(qint64(timeout) * 1000));
    if (taken)
        return;
    if ((first.lastError().nativeErrorCode().toInt() & 0xff) != 5) // SQLITE_BUSY
        Raise(first.lastError(), source);
    const LockWaitNotice& notice = lockWaitNotice();
    if (notice)
        notice(true, m_target.folder);
    const auto waited = qScopeGuard([&] {
        if (notice)
            notice(false, m_target.folder);
    });
    Run(begin, {}, source);
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
        m_lost = m_lost || IsConnectionLoss(error);
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
    // A lost session has undone the transaction on the server already.
    if (!m_lost)
        QSqlQuery(m_db).exec(QStringLiteral("ROLLBACK"));
}

void SQLConnection::Raise(const QSqlError& error, const QString& source) const
{
    const int code = error.nativeErrorCode().toInt() & 0xff;
    if (engine() == Engine::SQLite && (code == 11 || code == 26)) { // SQLITE_CORRUPT, _NOTADB
        // Found damaged while in use: the user is told which of the two files it is.
        for (const auto& [schema, file] :
             {std::pair{QStringLiteral("inventory"), kInventoryFile},
              std::pair{QStringLiteral("patient_data"), kPatientFile}}) {
            QSqlQuery check(m_db);
            if (check.exec(QStringLiteral("PRAGMA %1.quick_check(1)").arg(schema)) &&
                check.next() && check.value(0).toString() == QLatin1String("ok"))
                continue;
            throw PharvelError(
                ErrorNumber::ConnectionFailed,
                QStringLiteral("The database %1 is damaged (%2). Close Pharvel and "
                               "restore the catalogue from a backup.")
                    .arg(QDir(m_target.folder).absoluteFilePath(file), error.databaseText()),
                source);
        }
    }
    throw DriverError(error, m_target, source);
}
