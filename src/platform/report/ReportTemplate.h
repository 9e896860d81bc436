#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

// A line of report text with placeholders in braces: a text property ("{CompanyName}"), the
// print date ("{Date}"), the page number and count ("{Page}", "{Pages}"), the number of records
// ("{RecordCount}") or a field of a table's first record ("{tbHospitalInfo.company}").
class ReportTemplate
{
public:
    struct Part
    {
        enum class Kind { Literal, TextProperty, Date, Page, Pages, RecordCount, Field };
        Kind kind = Kind::Literal;
        QString text;  // the literal, the property's name, or the field's name
        QString table; // for Kind::Field
    };

    ReportTemplate() = default;
    // Raises PharvelError(ReportFileInvalid) for an unclosed or empty brace, or a placeholder
    // that names neither a built-in value, one of textProperties, nor "table.field" with an
    // identifier on each side.
    static ReportTemplate Parse(const QString& text, const QStringList& textProperties);

    const QList<Part>& Parts() const { return m_parts; }
    bool IsEmpty() const { return m_parts.isEmpty(); }

    // The text with every placeholder replaced by what `value` gives for it. A value is inserted
    // as it stands: braces inside it are not expanded again.
    QString Expand(const std::function<QString(const Part&)>& value) const;

private:
    QList<Part> m_parts;
};
