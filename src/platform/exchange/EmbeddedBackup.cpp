#include "platform/exchange/EmbeddedBackup.h"

#include "platform/db/ConnectionString.h"
#include "platform/db/PharvelError.h"
#include "platform/db/SQLConnection.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace EmbeddedBackup {

namespace {
const QByteArray kMagic("Pharvel backup 1\n");

// The two files and a table each must hold.
struct Part
{
    const char* schema;
    const char* fileName;
    const char* table;
};
constexpr Part kParts[] = {{"inventory", "inventory.db", "tbSchemaVersion"},
                           {"patient_data", "patient_data.db", "tbUserProfile"}};

[[noreturn]] void fail(int number, const QString& text, const QString& source)
{
    throw PharvelError(number, text, source);
}

QString embeddedFolder(const QString& connectionString, const QString& source)
{
    const ConnectionString target = ConnectionString::Parse(connectionString);
    if (target.engine != ConnectionString::Engine::SQLite)
        fail(ErrorNumber::Refused,
             QStringLiteral("backup and restore serve the embedded database; for PostgreSQL "
                            "use pg_dump and pg_restore (see the README)"),
             source);
    return QDir(target.folder).absolutePath();
}

QByteArray checksum(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

// A raw connection to one database file, for the checks and locks that come before the file
// becomes a catalogue again. Closed and removed when it goes.
class FileConnection
{
public:
    explicit FileConnection(const QString& path)
        : m_name(QStringLiteral("pharvel-restore-") +
                 QUuid::createUuid().toString(QUuid::WithoutBraces))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        db.open();
    }
    ~FileConnection()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    FileConnection(const FileConnection&) = delete;
    FileConnection& operator=(const FileConnection&) = delete;

    bool Exec(const QString& sql)
    {
        QSqlQuery query(QSqlDatabase::database(m_name, false));
        return query.exec(sql);
    }
    // The first value of the statement's first row, or a null text when it fails.
    QString Scalar(const QString& sql)
    {
        QSqlQuery query(QSqlDatabase::database(m_name, false));
        if (!query.exec(sql) || !query.next())
            return {};
        return query.value(0).toString();
    }

private:
    QString m_name;
};

// The database files an archive holds, each checked against its size and checksum; refused,
// with what that means (`outcome`), otherwise.
QList<QByteArray> readArchive(const QString& archivePath, const QString& outcome,
                              const QString& source)
{
    QFile archive(archivePath);
    if (!archive.open(QIODevice::ReadOnly))
        fail(ErrorNumber::DatabaseError,
             QStringLiteral("%1 cannot be read: %2").arg(archivePath, archive.errorString()),
             source);
    const QByteArray all = archive.readAll();
    if (!all.startsWith(kMagic))
        fail(ErrorNumber::Refused,
             QStringLiteral("%1 is not a Pharvel backup; %2").arg(archivePath, outcome), source);
    const auto damaged = [&](const QString& why) {
        fail(ErrorNumber::Refused,
             QStringLiteral("%1 is damaged (%2); %3").arg(archivePath, why, outcome), source);
    };

    // The header names each file with its size and checksum; the files follow it in that order.
    const qsizetype headerEnd = all.indexOf("\n\n");
    if (headerEnd < 0)
        damaged(QStringLiteral("its header is cut short"));
    const QList<QByteArray> lines = all.mid(kMagic.size(), headerEnd - kMagic.size()).split('\n');
    if (lines.size() != qsizetype(std::size(kParts)))
        damaged(QStringLiteral("it does not list both database files"));
    QList<QByteArray> contents;
    qsizetype offset = headerEnd + 2;
    for (size_t i = 0; i < std::size(kParts); ++i) {
        const QList<QByteArray> fields = lines.at(static_cast<qsizetype>(i)).split(' ');
        bool sized = false;
        const qsizetype size = fields.size() == 3 ? fields.at(1).toLongLong(&sized) : -1;
        if (!sized || fields.at(0) != kParts[i].fileName || size < 0 || offset + size > all.size())
            damaged(QStringLiteral("the entry of %1 does not match")
                        .arg(QString::fromLatin1(kParts[i].fileName)));
        contents << all.mid(offset, size);
        if (checksum(contents.last()) != fields.at(2))
            damaged(QStringLiteral("the checksum of %1 does not match")
                        .arg(QString::fromLatin1(kParts[i].fileName)));
        offset += size;
    }
    if (offset != all.size())
        damaged(QStringLiteral("it holds more than its header lists"));
    return contents;
}
} // namespace

void Backup(const QString& connectionString, const QString& archivePath)
{
    const QString source = QStringLiteral("EmbeddedBackup.Backup");
    embeddedFolder(connectionString, source);
    auto connection = SQLConnection::Open(connectionString);
    QTemporaryDir scratch;
    if (!scratch.isValid())
        fail(ErrorNumber::DatabaseError,
             QStringLiteral("no temporary folder for the backup: %1").arg(scratch.errorString()),
             source);
    QByteArray header = kMagic;
    QByteArray body;
    QList<QByteArray> parts;
    for (const Part& part : kParts) {
        const QString copy = scratch.filePath(QString::fromLatin1(part.fileName));
        try {
            // The schema name is our own, never a user's text.
            connection->Execute(
                QStringLiteral("VACUUM %1 INTO ?").arg(QString::fromLatin1(part.schema)), {copy});
        } catch (const PharvelError& error) {
            throw error.WithSource(source);
        }
        QFile file(copy);
        if (!file.open(QIODevice::ReadOnly))
            fail(ErrorNumber::DatabaseError,
                 QStringLiteral("%1 cannot be read: %2").arg(copy, file.errorString()), source);
        const QByteArray bytes = file.readAll();
        header += QByteArray(part.fileName) + ' ' + QByteArray::number(bytes.size()) + ' ' +
                  checksum(bytes) + '\n';
        body += bytes;
        parts << bytes;
    }
    // Every step of the writing is checked, the file is on the disk before it takes the
    // archive's name, and it is read back: a full disk or a failing one leaves no archive that
    // looks whole.
    const QByteArray bytes = header + '\n' + body;
    QSaveFile archive(archivePath);
    const bool written = archive.open(QIODevice::WriteOnly) &&
                         archive.write(bytes) == bytes.size() && archive.flush() &&
                         ::fsync(archive.handle()) == 0 && archive.commit();
    if (!written) {
        const QString reason = archive.error() != QFileDevice::NoError
                                   ? archive.errorString()
                                   : QString::fromLocal8Bit(std::strerror(errno));
        archive.cancelWriting();
        fail(
            ErrorNumber::DatabaseError,
            QStringLiteral("%1 cannot be written: %2; no backup was made").arg(archivePath, reason),
            source);
    }
    // A file that does not read back is no backup, and is not left to be taken for one.
    auto removeUnusable = qScopeGuard([&] { QFile::remove(archivePath); });
    if (readArchive(archivePath, QStringLiteral("the backup is not usable"), source) != parts)
        fail(ErrorNumber::DatabaseError,
             QStringLiteral("%1 does not read back as it was written; the backup is not usable")
                 .arg(archivePath),
             source);
    removeUnusable.dismiss();
}

void Restore(const QString& connectionString, const QString& archivePath)
{
    const QString source = QStringLiteral("EmbeddedBackup.Restore");
    const QString folderPath = embeddedFolder(connectionString, source);
    const QList<QByteArray> contents =
        readArchive(archivePath, QStringLiteral("nothing was restored"), source);

    // Each file is written beside its place, checked, and only then put in place.
    QDir folder(folderPath);
    if (!folder.exists() && !QDir().mkpath(folderPath))
        fail(ErrorNumber::DatabaseError,
             QStringLiteral("The folder %1 cannot be made.").arg(folderPath), source);
    QStringList staged;
    const auto removeStaged = qScopeGuard([&] {
        for (const QString& path : std::as_const(staged))
            QFile::remove(path);
    });
    for (size_t i = 0; i < std::size(kParts); ++i) {
        const QString path = folder.absoluteFilePath(QStringLiteral(".restoring-") +
                                                     QString::fromLatin1(kParts[i].fileName));
        staged << path;
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(contents.at(static_cast<qsizetype>(i))) < 0 || !file.flush())
            fail(ErrorNumber::DatabaseError,
                 QStringLiteral("%1 cannot be written: %2").arg(path, file.errorString()), source);
        file.close();
        FileConnection check(path);
        if (check.Scalar(QStringLiteral("PRAGMA integrity_check")) != QLatin1String("ok") ||
            check.Scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = '%1'")
                             .arg(QString::fromLatin1(kParts[i].table))) != QLatin1String("1"))
            fail(ErrorNumber::Refused,
                 QStringLiteral("%1 is damaged (%2 is not a whole catalogue database); nothing "
                                "was restored")
                     .arg(archivePath, QString::fromLatin1(kParts[i].fileName)),
                 source);
    }

    // The database in place must be free: leaving write-ahead logging needs every other
    // connection closed, and afterwards no log is left that SQLite would replay into the new file.
    std::vector<std::unique_ptr<FileConnection>> holds;
    for (const Part& part : kParts) {
        const QString path = folder.absoluteFilePath(QString::fromLatin1(part.fileName));
        if (!QFile::exists(path))
            continue;
        auto hold = std::make_unique<FileConnection>(path);
        if (hold->Scalar(QStringLiteral("PRAGMA journal_mode = DELETE")) !=
                QLatin1String("delete") ||
            !hold->Exec(QStringLiteral("BEGIN EXCLUSIVE")))
            fail(ErrorNumber::Refused,
                 QStringLiteral("the database %1 is in use; close Pharvel on every desktop "
                                "and restore again")
                     .arg(path),
                 source);
        holds.push_back(std::move(hold));
    }
    for (size_t i = 0; i < std::size(kParts); ++i) {
        std::error_code error;
        std::filesystem::rename(
            staged.at(static_cast<qsizetype>(i)).toStdString(),
            folder.absoluteFilePath(QString::fromLatin1(kParts[i].fileName)).toStdString(), error);
        if (error)
            fail(ErrorNumber::DatabaseError,
                 QStringLiteral("%1 cannot be put in place: %2")
                     .arg(QString::fromLatin1(kParts[i].fileName),
                          QString::fromStdString(error.message())),
                 source);
    }
}

} // namespace EmbeddedBackup
