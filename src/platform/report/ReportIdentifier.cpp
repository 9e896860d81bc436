#include "platform/report/ReportIdentifier.h"

namespace {
bool isLetter(QChar c)
{
    return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
           (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || c == QLatin1Char('_');
}
} // namespace

bool IsReportIdentifier(QStringView name)
{
    if (name.isEmpty() || !isLetter(name.front()))
        return false;
    for (const QChar c : name) {
        if (!isLetter(c) && !(c >= QLatin1Char('0') && c <= QLatin1Char('9')))
            return false;
    }
    return true;
}
