#include "platform/report/ReportTemplate.h"

#include "platform/db/PharvelError.h"
#include "platform/report/ReportErrorNumber.h"
#include "platform/report/ReportIdentifier.h"

namespace {
[[noreturn]] void fail(const QString& text, const QString& why)
{
    throw PharvelError(ErrorNumber::ReportFileInvalid,
                       QStringLiteral("The text \"%1\": %2").arg(text, why),
                       QStringLiteral("ReportTemplate.Parse"));
}

ReportTemplate::Part placeholder(const QString& name, const QStringList& textProperties,
                                 const QString& whole)
{
    using Kind = ReportTemplate::Part::Kind;
    if (textProperties.contains(name, Qt::CaseInsensitive))
        return {Kind::TextProperty, name, {}};
    if (name.compare(QLatin1String("Date"), Qt::CaseInsensitive) == 0)
        return {Kind::Date, name, {}};
    if (name.compare(QLatin1String("Page"), Qt::CaseInsensitive) == 0)
        return {Kind::Page, name, {}};
    if (name.compare(QLatin1String("Pages"), Qt::CaseInsensitive) == 0)
        return {Kind::Pages, name, {}};
    if (name.compare(QLatin1String("RecordCount"), Qt::CaseInsensitive) == 0)
        return {Kind::RecordCount, name, {}};
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot > 0 && IsReportIdentifier(QStringView(name).left(dot)) &&
        IsReportIdentifier(QStringView(name).mid(dot + 1)))
        return {Kind::Field, name.mid(dot + 1), name.left(dot)};
    fail(whole,
         QStringLiteral("{%1} names no text property, built-in value or table field.").arg(name));
}
} // namespace

ReportTemplate ReportTemplate::Parse(const QString& text, const QStringList& textProperties)
{
    ReportTemplate result;
    qsizetype at = 0;
    while (at < text.size()) {
        const qsizetype open = text.indexOf(QLatin1Char('{'), at);
        const qsizetype literalEnd = open < 0 ? text.size() : open;
        if (literalEnd > at)
            result.m_parts.append({Part::Kind::Literal, text.mid(at, literalEnd - at), {}});
        if (open < 0)
            break;
        const qsizetype close = text.indexOf(QLatin1Char('}'), open);
        if (close < 0)
            fail(text, QStringLiteral("a brace is not closed."));
        const QString name = text.mid(open + 1, close - open - 1).trimmed();
        if (name.isEmpty())
            fail(text, QStringLiteral("a pair of braces names nothing."));
        result.m_parts.append(placeholder(name, textProperties, text));
        at = close + 1;
    }
    return result;
}

QString ReportTemplate::Expand(const std::function<QString(const Part&)>& value) const
{
    QString out;
    for (const Part& part : m_parts)
        out += part.kind == Part::Kind::Literal ? part.text : value(part);
    return out;
}
