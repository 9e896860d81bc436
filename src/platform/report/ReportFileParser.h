#pragma once

#include "platform/report/ReportDefinition.h"

#include <QString>

// Reads report files (.rpt, UTF-8 text; see docs/report-format.md). Any fault raises
// PharvelError(ReportFileInvalid) naming the file and the line.
namespace ReportFileParser {

ReportDefinition ReadFile(const QString& path);
// `fileName` names the text in messages and gives the report's name when the file sets none.
ReportDefinition Parse(const QString& text, const QString& fileName);

} // namespace ReportFileParser
