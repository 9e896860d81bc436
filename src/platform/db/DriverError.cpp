#include "platform/db/DriverError.h"

#include "platform/db/SqlDialect.h"

#include <QSqlError>

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
    if (number == ErrorNumber::ConnectionFailed)
        text = QStringLiteral("The database server %1 cannot be reached. %2")
                   .arg(target.ServerName(), text);
    else if (number == ErrorNumber::Timeout)
        text = QStringLiteral("The database server %1 did not answer in time (the catalogue may "
                              "be locked by another user). %2")
                   .arg(target.ServerName(), text);
    return PharvelError(number, text, source);
}
