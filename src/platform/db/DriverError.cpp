#include "platform/db/DriverError.h"

#include "platform/db/SqlDialect.h"

#include <QSqlError>

namespace {
// The embedded database is a folder of files on this desktop: its failures speak of the files.
QString embeddedText(const QSqlError& error, int number, const ConnectionString& target,
                     const QString& text)
{
    if (SqlDialect::IsDiskFull(error, target))
        return QStringLiteral("The disk that holds the database %1 is full; nothing was written. "
                              "Make room on it and try again.")
            .arg(target.folder);
    switch (number) {
    case ErrorNumber::ConnectionFailed:
        return QStringLiteral("The database %1 cannot be opened or read. %2")
            .arg(target.folder, text);
    case ErrorNumber::Timeout:
        return QStringLiteral("The database %1 is held locked by another program (another "
                              "desktop's change, a backup or a tool), and it was not let go in "
                              "time. Try again in a moment. %2")
            .arg(target.folder, text);
    default:
        return text;
    }
}
} // namespace

PharvelError DriverError(const QSqlError& error, const ConnectionString& target,
                         const QString& source)
{
    const int number = SqlDialect::ErrorNumberOf(error, target);
    QString text = error.databaseText().trimmed();
    const QString driverText = error.driverText().trimmed();
    if (text.isEmpty())
        text = driverText;
    else if (!driverText.isEmpty() && !text.contains(driverText))
        text = driverText + QStringLiteral(": ") + text;
    if (!SqlDialect::CanReconnect(target))
        return PharvelError(SqlDialect::IsDiskFull(error, target) ? ErrorNumber::DiskFull : number,
                            embeddedText(error, number, target, text), source);
    if (number == ErrorNumber::ConnectionFailed)
        text = QStringLiteral("The database server %1 cannot be reached. %2")
                   .arg(target.ServerName(), text);
    else if (number == ErrorNumber::Timeout)
        text = QStringLiteral("The database server %1 did not answer in time (the catalogue may "
                              "be locked by another user). %2")
                   .arg(target.ServerName(), text);
    return PharvelError(number, text, source);
}
