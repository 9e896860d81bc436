#include "platform/report/ReportXlsExport.h"

#include "platform/report/ReportContent.h"
#include "platform/report/XlsWriter.h"

namespace {
// The width of the digit zero in a spreadsheet's default font.
constexpr double kMillimetresPerCharacter = 1.85;
constexpr double kNoteWidthCharacters = 60;
constexpr double kLevelWidthCharacters = 6;

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
// The value of a Number column as a number: the tables keep some ids as text.
QVariant asNumber(const QVariant& value)
{
    bool ok = false;
    const qlonglong whole = value.toString().trimmed().toLongLong(&ok);
    return ok ? QVariant(whole) : value;
}
} // namespace

QByteArray ReportXlsExport::Workbook(const ReportContent& content)
{
    const ReportDefinition& d = content.Definition();
    XlsWriter sheet(d.title.isEmpty() ? d.name : d.title);
    // A report drawn as a tree keeps its shape in the sheet: each record's level in a column of
    // its own, to filter and sort by, and the first column's text indented by that level.
    const bool hasLevels = !d.detail.levelField.isEmpty();
    const int first = hasLevels ? 1 : 0;
    const int columns = static_cast<int>(d.columns.size());
    const int noteColumn = first + columns;
    const bool hasNotes = !d.detail.noteField.isEmpty();
    if (hasLevels) {
        sheet.SetColumnWidth(0, kLevelWidthCharacters);
        sheet.SetText(0, 0, QStringLiteral("Level"), true);
    }
    for (int c = 0; c < columns; ++c) {
        const ReportColumn& column = d.columns[static_cast<size_t>(c)];
        sheet.SetColumnWidth(first + c, column.width / kMillimetresPerCharacter);
        sheet.SetText(0, first + c, column.caption, true);
    }
    if (hasNotes) {
        sheet.SetColumnWidth(noteColumn, kNoteWidthCharacters);
        sheet.SetText(0, noteColumn, d.detail.noteCaption, true);
    }
    for (int record = 0; record < content.RecordCount(); ++record) {
        const int row = record + 1;
        const int level = content.Level(record);
        if (hasLevels)
            sheet.SetNumber(row, 0, level);
        for (int c = 0; c < columns; ++c) {
            const QVariant cell = content.CellValue(record, c);
            const QVariant value =
                d.columns[static_cast<size_t>(c)].number && !isNumber(cell) ? asNumber(cell) : cell;
            if (isNumber(value))
                sheet.SetNumber(row, first + c, value.toDouble());
            else if (!value.isNull())
                sheet.SetText(row, first + c, value.toString(), content.IsBold(record, c),
                              c == 0 ? level - 1 : 0);
        }
        if (hasNotes) {
            const QString note = content.Note(record);
            if (!note.isEmpty())
                sheet.SetText(row, noteColumn, note);
        }
    }
    return sheet.Workbook();
}
