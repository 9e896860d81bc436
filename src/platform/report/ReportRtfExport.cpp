#include "platform/report/ReportRtfExport.h"

#include "platform/report/ReportContent.h"
#include "platform/report/RtfWriter.h"

#include <QRectF>

namespace {
int twips(double millimetres)
{
    return qRound(millimetres / 25.4 * 1440);
}

QList<RtfWriter::Run> runs(const ReportContent& content, const ReportTemplate& text, bool bold)
{
    using Kind = ReportTemplate::Part::Kind;
    QList<RtfWriter::Run> out;
    for (const ReportTemplate::Part& part : text.Parts()) {
        if (part.kind == Kind::Page)
            out.append({QString(), bold, RtfWriter::Run::Kind::PageNumber});
        else if (part.kind == Kind::Pages)
            out.append({QString(), bold, RtfWriter::Run::Kind::PageCount});
        else
            out.append({content.PartText(part, 1, 1), bold, RtfWriter::Run::Kind::Text});
    }
    return out;
}

// Left, centre and right parts on one line, by a centre and a right tab stop.
RtfWriter::Paragraph textLine(const ReportContent& content, const ReportTextLine& line,
                              int widthTwips)
{
    RtfWriter::Paragraph p;
    p.pointSize = qRound(line.pointSize);
    p.tabStops = {{widthTwips / 2, Qt::AlignHCenter}, {widthTwips, Qt::AlignRight}};
    const RtfWriter::Run tab{QStringLiteral("\t"), false, RtfWriter::Run::Kind::Text};
    p.runs = runs(content, line.left, line.bold);
    p.runs.append(tab);
    p.runs.append(runs(content, line.center, line.bold));
    p.runs.append(tab);
    p.runs.append(runs(content, line.right, line.bold));
    return p;
}

// Tab stops for the columns after the first, placed by each column's alignment.
QList<RtfWriter::TabStop> columnTabs(const ReportDefinition& d)
{
    QList<RtfWriter::TabStop> tabs;
    double left = 0;
    for (size_t c = 0; c < d.columns.size(); ++c) {
        const ReportColumn& column = d.columns[c];
        if (c > 0) {
            if (column.alignment & Qt::AlignRight)
                tabs.append({twips(left + column.width - kReportColumnPadding), Qt::AlignRight});
            else if (column.alignment & Qt::AlignHCenter)
                tabs.append({twips(left + column.width / 2), Qt::AlignHCenter});
            else
                tabs.append({twips(left), Qt::AlignLeft});
        }
        left += column.width;
    }
    return tabs;
}
} // namespace

QByteArray ReportRtfExport::Document(const ReportContent& content)
{
    const ReportDefinition& d = content.Definition();
    const QPageLayout page = d.PageLayout();
    RtfWriter rtf(page);
    const int width = twips(page.paintRect(QPageLayout::Millimeter).width());
    for (const ReportTextLine& line : d.pageHeader)
        rtf.AddHeaderParagraph(textLine(content, line, width));

    const QList<RtfWriter::TabStop> tabs = columnTabs(d);
    const int size = qRound(d.detail.pointSize);
    const RtfWriter::Run tab{QStringLiteral("\t"), false, RtfWriter::Run::Kind::Text};
    if (d.detail.headings) {
        RtfWriter::Paragraph headings{{}, 0, Qt::AlignLeft, size, tabs};
        for (size_t c = 0; c < d.columns.size(); ++c) {
            if (c > 0)
                headings.runs.append(tab);
            headings.runs.append({d.columns[c].caption, true, RtfWriter::Run::Kind::Text});
        }
        rtf.AddParagraph(headings);
    }
    const double indentPerLevel = d.detail.indentPerLevel;
    double wrapLeft = 0;
    if (d.columns.size() > 1 && d.columns.back().wrap) {
        for (size_t c = 0; c + 1 < d.columns.size(); ++c)
            wrapLeft += d.columns[c].width;
    }
    for (int record = 0; record < content.RecordCount(); ++record) {
        const double indent = indentPerLevel * (content.Level(record) - 1);
        RtfWriter::Paragraph line{{}, twips(indent), Qt::AlignLeft, size, tabs};
        if (wrapLeft > 0) {
            // The lines a long value of the last column takes stand under that column.
            line.leftIndentTwips = twips(wrapLeft);
            line.firstLineIndentTwips = twips(indent) - twips(wrapLeft);
        }
        for (int c = 0; c < static_cast<int>(d.columns.size()); ++c) {
            if (c > 0)
                line.runs.append(tab);
            // A tab or line break inside a value would break the columns.
            QString text = content.CellText(record, c);
            text.replace(QLatin1Char('\t'), QLatin1Char(' '))
                .replace(QLatin1Char('\n'), QLatin1Char(' '));
            line.runs.append({text, content.IsBold(record, c), RtfWriter::Run::Kind::Text});
        }
        rtf.AddParagraph(line);
        const QString note = content.Note(record);
        if (!note.isEmpty())
            rtf.AddParagraph({{{note, false, RtfWriter::Run::Kind::Text}},
                              twips(indent + d.detail.NoteIndent()),
                              Qt::AlignLeft,
                              size,
                              {}});
    }
    for (const ReportTextLine& line : d.reportFooter)
        rtf.AddParagraph(textLine(content, line, width));
    return rtf.Document();
}
