#include "platform/report/ReportTableLocation.h"

#include "platform/db/PharvelError.h"
#include "platform/report/ReportErrorNumber.h"
#include "platform/report/ReportIdentifier.h"

#include <QStringList>

ReportTableLocation ReportTableLocation::Parse(const QString& text)
{
    const QStringList parts = text.trimmed().split(QLatin1Char('.'));
    const bool shaped = parts.size() == 3 && IsReportIdentifier(parts.at(0)) &&
                        (parts.at(1).isEmpty() || IsReportIdentifier(parts.at(1))) &&
                        IsReportIdentifier(parts.at(2));
    if (!shaped)
        throw PharvelError(ErrorNumber::ReportTableInvalid,
                           QStringLiteral("The table location \"%1\" is not of the form "
                                          "database.owner.table.")
                               .arg(text),
                           QStringLiteral("DatabaseTable.Location"));
    return ReportTableLocation{parts.at(0), parts.at(1), parts.at(2)};
}

QString ReportTableLocation::Text() const
{
    return database + QLatin1Char('.') + owner + QLatin1Char('.') + table;
}

QString ReportTableLocation::SqlTable() const
{
    return database.toLower() + QLatin1Char('.') + table;
}
