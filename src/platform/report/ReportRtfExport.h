#pragma once

#include <QByteArray>

class ReportContent;

// A report as rich text, laid out as it prints: the page header at the head of every page (with
// the page number and count as fields the word processor fills in), the column captions, one
// paragraph a record with its first column indented by its level, the notes, and the footer.
namespace ReportRtfExport {

QByteArray Document(const ReportContent& content);

} // namespace ReportRtfExport
