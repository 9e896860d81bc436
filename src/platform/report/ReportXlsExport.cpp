#include "platform/report/ReportXlsExport.h"

#include "platform/report/ReportContent.h"
#include "platform/report/XlsWriter.h"

namespace {
// The width of the digit zero in a spreadsheet's default font.
constexpr double kMillimetresPerCharacter = 1.85;
constexpr double kNoteWidthCharacters = 60;

bool isNumber(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return true;
    default:
        return false;
    }
}
} // namespace

QByteArray ReportXlsExport::Workbook(const ReportContent& content)
{
    const ReportDefinition& d = content.Definition();
    XlsWriter sheet(d.title.isEmpty() ? d.name : d.title);
    const int columns = static_cast<int>(d.columns.size());
    const bool hasNotes = !d.detail.noteField.isEmpty();
    for (int c = 0; c < columns; ++c) {
        const ReportColumn& column = d.columns[static_cast<size_t>(c)];
        sheet.SetColumnWidth(c, column.width / kMillimetresPerCharacter);
        sheet.SetText(0, c, column.caption, true);
    }
    if (hasNotes) {
        sheet.SetColumnWidth(columns, kNoteWidthCharacters);
        sheet.SetText(0, columns, d.detail.noteCaption, true);
    }
    for (int record = 0; record < content.RecordCount(); ++record) {
        const int row = record + 1;
        for (int c = 0; c < columns; ++c) {
            const QVariant value = content.CellValue(record, c);
            if (isNumber(value))
                sheet.SetNumber(row, c, value.toDouble());
            else if (!value.isNull())
                sheet.SetText(row, c, value.toString(), content.IsBold(record, c));
        }
        if (hasNotes) {
            const QString note = content.Note(record);
            if (!note.isEmpty())
                sheet.SetText(row, columns, note);
        }
    }
    return sheet.Workbook();
}
