#include "platform/report/ReportCondition.h"

#include "platform/db/PharvelError.h"
#include "platform/db/RowSet.h"
#include "platform/report/ReportErrorNumber.h"

#include <QRegularExpression>

ReportCondition ReportCondition::Parse(const QString& text)
{
    static const QRegularExpression shape(
        QStringLiteral("^\\s*([A-Za-z_][A-Za-z0-9_]*)\\s*(?:=|\\s[Ii][Nn]\\s)\\s*(.*?)\\s*$"));
    const QRegularExpressionMatch match = shape.match(text);
    ReportCondition condition;
    if (match.hasMatch()) {
        condition.field = match.captured(1);
        for (const QString& value : match.captured(2).split(QLatin1Char(',')))
            condition.values << value.trimmed();
    }
    if (!condition.IsSet() || condition.values.contains(QString()))
        throw PharvelError(ErrorNumber::ReportFileInvalid,
                           QStringLiteral("\"%1\" is not a condition of the form \"Field = value\" "
                                          "or \"Field in value, value\".")
                               .arg(text),
                           QStringLiteral("ReportCondition.Parse"));
    return condition;
}

bool ReportCondition::Matches(const RowSet& rows, int row, int column) const
{
    return values.contains(rows.At(row, column).toString());
}

QString ReportCondition::SqlPredicate() const
{
    QStringList marks;
    for (qsizetype i = 0; i < values.size(); ++i)
        marks << QStringLiteral("?");
    return field + QStringLiteral(" IN (") + marks.join(QStringLiteral(", ")) + QLatin1Char(')');
}
