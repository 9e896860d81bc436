#include "platform/db/DriverError.h"

#include <QSqlError>

namespace {
// PostgreSQL reports a SQLSTATE, SQLite its numeric result code.
int classify(const QSqlError& error, ConnectionString::Engine engine)
{
    const QString code = error.nativeErrorCode();
    if (engine == ConnectionString::Engine::PostgreSQL) {
        if (code.startsWith(QLatin1String("23")))
            return ErrorNumber::ConstraintViolated;
        if (code == QLatin1String("42501"))
            return ErrorNumber::NotPermitted;
        if (code == QLatin1String("57014") || code == QLatin1String("55P03"))
            return ErrorNumber::Timeout;
        if (code == QLatin1String("40001") || code == QLatin1String("40P01"))
            return ErrorNumber::ConstraintViolated;
        if (code.startsWith(QLatin1String("08")) || code.startsWith(QLatin1String("57P")) ||
            error.type() == QSqlError::ConnectionError)
            return ErrorNumber::ConnectionFailed;
        if (code.isEmpty() && error.databaseText().contains(QLatin1String("connection")))
            return ErrorNumber::ConnectionFailed;
        return ErrorNumber::DatabaseError;
    }
    const int sqliteCode = code.toInt() & 0xff;
    switch (sqliteCode) {
    case 19: // SQLITE_CONSTRAINT
        return ErrorNumber::ConstraintViolated;
    case 5: // SQLITE_BUSY
    case 6: // SQLITE_LOCKED
        return ErrorNumber::Timeout;
    case 8:  // SQLITE_READONLY
    case 23: // SQLITE_AUTH
        return ErrorNumber::NotPermitted;
    case 14: // SQLITE_CANTOPEN
    case 26: // SQLITE_NOTADB
    case 11: // SQLITE_CORRUPT
        return ErrorNumber::ConnectionFailed;
    default:
        break;
    }
    return error.type() == QSqlError::ConnectionError ? ErrorNumber::ConnectionFailed
                                                      : ErrorNumber::DatabaseError;
}
bool isDiskFull(const QSqlError& error)
{
    return (error.nativeErrorCode().toInt() & 0xff) == 13; // SQLITE_FULL
}

// The embedded database is a folder of files on this desktop: its failures speak of the files.
QString embeddedText(const QSqlError& error, int number, const QString& folder, const QString& text)
{
    if (isDiskFull(error))
        return QStringLiteral("The disk that holds the database %1 is full; nothing was written. "
                              "Make room on it and try again.")
            .arg(folder);
    switch (number) {
    case ErrorNumber::ConnectionFailed:
        return QStringLiteral("The database %1 cannot be opened or read. %2").arg(folder, text);
    case ErrorNumber::Timeout:
        return QStringLiteral("The database %1 is held locked by another program (another "
                              "desktop's change, a backup or a tool), and it was not let go in "
                              "time. Try again in a moment. %2")
            .arg(folder, text);
    default:
        return text;
    }
}
} // namespace

PharvelError DriverError(const QSqlError& error, const ConnectionString& target,
                         const QString& source)
{
    const int number = classify(error, target.engine);
    QString text = error.databaseText().trimmed();
    const QString driverText = error.driverText().trimmed();
    if (text.isEmpty())
        text = driverText;
    else if (!driverText.isEmpty() && !text.contains(driverText))
        text = driverText + QStringLiteral(": ") + text;
    if (target.engine == ConnectionString::Engine::SQLite)
        return PharvelError(isDiskFull(error) ? ErrorNumber::DiskFull : number,
                            embeddedText(error, number, target.folder, text), source);
    if (number == ErrorNumber::ConnectionFailed)
        text = QStringLiteral("The database server %1 cannot be reached. %2")
                   .arg(target.ServerName(), text);
    else if (number == ErrorNumber::Timeout)
        text = QStringLiteral("The database server %1 did not answer in time (the catalogue may "
                              "be locked by another user). %2")
                   .arg(target.ServerName(), text);
    return PharvelError(number, text, source);
}
