#pragma once

// Error numbers of the report engine, beside the database's own (platform/db/PharvelError.h).
namespace ErrorNumber {
inline constexpr int ReportFileInvalid = 1100;  // a report file that cannot be read or is malformed
inline constexpr int ReportTableInvalid = 1101; // a table location or name that is not usable
inline constexpr int ReportNotLoggedOn = 1102;  // a table read before its log-on was given
inline constexpr int ReportExportFailed = 1103; // export options missing or the file not written
} // namespace ErrorNumber
