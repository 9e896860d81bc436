#include "platform/report/ReportContent.h"

#include <QLocale>
#include <algorithm>

ReportContent::ReportContent(const ReportDefinition& definition, RowSet records,
                             QHash<QString, QString> firstRecords)
    : m_definition(definition), m_records(std::move(records)),
      m_firstRecords(std::move(firstRecords)), m_printDate(QDate::currentDate())
{
    for (const ReportColumn& column : m_definition.columns)
        m_columnIndex.push_back(Column(column.field));
    m_levelIndex = Column(m_definition.detail.levelField);
    m_boldIndex = Column(m_definition.detail.boldWhen.field);
    m_noteIndex = Column(m_definition.detail.noteField);
}

int ReportContent::Column(const QString& field) const
{
    return field.isEmpty() ? -1 : m_records.ColumnIndex(field);
}

QVariant ReportContent::CellValue(int record, int column) const
{
    const int index = m_columnIndex.at(static_cast<size_t>(column));
    return index < 0 ? QVariant() : m_records.At(record, index);
}

int ReportContent::Level(int record) const
{
    // Deep catalogues must not push their names off the page.
    constexpr int kDeepestIndentedLevel = 20;
    if (m_levelIndex < 0)
        return 1;
    return std::clamp(m_records.At(record, m_levelIndex).toInt(), 1, kDeepestIndentedLevel);
}

bool ReportContent::IsBold(int record, int column) const
{
    if (m_definition.columns.at(static_cast<size_t>(column)).bold)
        return true;
    return m_boldIndex >= 0 && m_definition.detail.boldWhen.Matches(m_records, record, m_boldIndex);
}

QString ReportContent::Note(int record) const
{
    if (m_noteIndex < 0)
        return {};
    QString note = m_records.At(record, m_noteIndex).toString();
    note.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    note.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return note.trimmed();
}

QString ReportContent::PartText(const ReportTemplate::Part& part, int page, int pages) const
{
    using Kind = ReportTemplate::Part::Kind;
    switch (part.kind) {
    case Kind::Literal:
        return part.text;
    case Kind::TextProperty:
        return m_texts.value(part.text.toLower());
    case Kind::Date:
        return QLocale().toString(m_printDate, QLocale::LongFormat);
    case Kind::Page:
        return QString::number(page);
    case Kind::Pages:
        return QString::number(pages);
    case Kind::RecordCount:
        return QString::number(RecordCount());
    case Kind::Field:
        return m_firstRecords.value((part.table + QLatin1Char('.') + part.text).toLower());
    }
    return {};
}

QString ReportContent::Expand(const ReportTemplate& text, int page, int pages) const
{
    return text.Expand(
        [&](const ReportTemplate::Part& part) { return PartText(part, page, pages); });
}
