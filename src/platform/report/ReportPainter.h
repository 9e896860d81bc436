#pragma once

class QPainter;
class ReportLayout;

// Draws one page of a laid-out report. The painter's coordinates must be layout units
// (1/720 inch) with the origin at the top-left corner of the page's printable area.
namespace ReportPainter {

void PaintPage(QPainter& painter, const ReportLayout& layout, int page);

} // namespace ReportPainter
