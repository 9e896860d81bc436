#pragma once

#include <QByteArray>

class ReportContent;

// A report as a spreadsheet: the column captions as a bold first row, then one row a record
// (numbers as numbers, the report's bold records in bold), and the record's note, if the report
// has notes, in a last column.
namespace ReportXlsExport {

QByteArray Workbook(const ReportContent& content);

} // namespace ReportXlsExport
