#include "platform/report/ReportPainter.h"

#include "platform/report/ReportContent.h"
#include "platform/report/ReportLayout.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>

namespace {
const double kColumnPadding = ReportLayout::FromMillimetres(kReportColumnPadding);

void drawCell(QPainter& painter, const QRectF& rect, const QString& text, Qt::Alignment alignment)
{
    if (rect.width() <= 0)
        return;
    const QString shown =
        QFontMetricsF(painter.font()).elidedText(text, Qt::ElideRight, rect.width());
    painter.drawText(rect, int(alignment | Qt::AlignVCenter) | Qt::TextSingleLine, shown);
}

void drawTextLine(QPainter& painter, const ReportContent& content, const ReportLayout& layout,
                  const ReportTextLine& line, double top, double height, int page)
{
    painter.setFont(ReportLayout::Font(line.pointSize, line.bold));
    const QRectF rect(0, top, layout.ContentSize().width(), height);
    const int pages = layout.PageCount();
    const int flags = Qt::AlignVCenter | Qt::TextSingleLine;
    painter.drawText(rect, flags | Qt::AlignLeft, content.Expand(line.left, page, pages));
    painter.drawText(rect, flags | Qt::AlignHCenter, content.Expand(line.center, page, pages));
    painter.drawText(rect, flags | Qt::AlignRight, content.Expand(line.right, page, pages));
}

// A column's text area for a record at the given indent (only the first column is indented).
QRectF cellRect(const ReportLayout& layout, int column, double indent, double top, double height)
{
    const double shift = column == 0 ? indent : 0;
    return QRectF(layout.ColumnLeft(column) + shift, top,
                  layout.ColumnWidth(column) - shift - kColumnPadding, height);
}
} // namespace

void ReportPainter::PaintPage(QPainter& painter, const ReportLayout& layout, int page)
{
    const ReportContent& content = layout.Content();
    using Kind = ReportLayout::Band::Kind;
    const ReportDefinition& d = content.Definition();
    const double width = layout.ContentSize().width();
    const QFont normal = ReportLayout::Font(d.detail.pointSize, false);
    const QFont bold = ReportLayout::Font(d.detail.pointSize, true);
    painter.save();
    painter.setPen(QPen(Qt::black, 0));
    for (const ReportLayout::Band& band : layout.Bands(page)) {
        switch (band.kind) {
        case Kind::HeaderLine:
            drawTextLine(painter, content, layout, d.pageHeader.at(static_cast<size_t>(band.index)),
                         band.top, band.height, page + 1);
            break;
        case Kind::FooterLine:
            drawTextLine(painter, content, layout,
                         d.reportFooter.at(static_cast<size_t>(band.index)), band.top, band.height,
                         page + 1);
            break;
        case Kind::Headings:
            painter.setFont(bold);
            for (int c = 0; c < static_cast<int>(d.columns.size()); ++c)
                drawCell(painter, cellRect(layout, c, 0, band.top, band.height),
                         d.columns[static_cast<size_t>(c)].caption,
                         d.columns[static_cast<size_t>(c)].alignment);
            painter.drawLine(QPointF(0, band.top + band.height),
                             QPointF(width, band.top + band.height));
            break;
        case Kind::Record: {
            const double indent = layout.Indent(band.index);
            // A record of several lines has its one-line values on its first line.
            const double lineHeight = ReportLayout::LineHeight(d.detail.pointSize, false);
            const double firstLine = std::min(band.height, lineHeight);
            for (int c = 0; c < static_cast<int>(d.columns.size()); ++c) {
                painter.setFont(content.IsBold(band.index, c) ? bold : normal);
                const Qt::Alignment alignment = d.columns[static_cast<size_t>(c)].alignment;
                if (c != layout.WrapColumn()) {
                    drawCell(painter, cellRect(layout, c, indent, band.top, firstLine),
                             content.CellText(band.index, c), alignment);
                    continue;
                }
                double top = band.top;
                for (const QString& line : layout.WrappedCell(band.index)) {
                    drawCell(painter, cellRect(layout, c, indent, top, firstLine), line, alignment);
                    top += lineHeight;
                }
            }
            break;
        }
        case Kind::NoteLine: {
            painter.setFont(normal);
            const double left = layout.Indent(layout.NoteRecord(band.index)) + layout.NoteIndent();
            drawCell(painter, QRectF(left, band.top, width - left, band.height),
                     layout.NoteLine(band.index), Qt::AlignLeft);
            break;
        }
        }
    }
    painter.restore();
}
