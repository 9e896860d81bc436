#pragma once

#include "platform/db/RowSet.h"
#include "platform/report/ReportDefinition.h"

#include <QDate>
#include <QHash>
#include <QString>
#include <vector>

// A report with its data: the definition, the detail records read from the server, the first
// record of every other table, and the texts the caller set. Layout, printing and export all
// read the report through this.
class ReportContent
{
public:
    // `firstRecords` maps "table.field" (lower-cased) to the value of that table's first record.
    ReportContent(const ReportDefinition& definition, RowSet records,
                  QHash<QString, QString> firstRecords);

    const ReportDefinition& Definition() const { return m_definition; }

    void SetTexts(QHash<QString, QString> texts) { m_texts = std::move(texts); } // keys lower-cased
    void SetPrintDate(const QDate& date) { m_printDate = date; }

    int RecordCount() const { return m_records.RecordCount(); }
    QVariant CellValue(int record, int column) const;
    QString CellText(int record, int column) const { return CellValue(record, column).toString(); }
    // 1 for the top level; a record without a level field, or with a level below 1, is at 1,
    // and levels below 20 are indented as 20.
    int Level(int record) const;
    bool IsBold(int record, int column) const;
    // The note below the record, its line breaks as '\n'; empty when there is none.
    QString Note(int record) const;

    // One placeholder's text, or a whole template's; the page number and count are as given.
    QString PartText(const ReportTemplate::Part& part, int page, int pages) const;
    QString Expand(const ReportTemplate& text, int page, int pages) const;

private:
    int Column(const QString& field) const; // -1 for no field

    ReportDefinition m_definition;
    RowSet m_records;
    QHash<QString, QString> m_firstRecords;
    QHash<QString, QString> m_texts;
    QDate m_printDate;
    std::vector<int> m_columnIndex;
    int m_levelIndex = -1;
    int m_boldIndex = -1;
    int m_noteIndex = -1;
};
