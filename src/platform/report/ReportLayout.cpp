#include "platform/report/ReportLayout.h"

#include "platform/report/ReportContent.h"

#include <QFontMetricsF>
#include <QTextLayout>

namespace {
// Space between the page header or the column headings and what follows them.
constexpr double kGap = 60;

// One paragraph broken into lines of the width, at word boundaries where it can be.
QStringList wrapped(const QString& paragraph, const QFont& font, double width)
{
    QStringList lines;
    QTextLayout layout(paragraph, font);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(std::max(width, 1.0));
        lines << paragraph.mid(line.textStart(), line.textLength());
    }
    layout.endLayout();
    return lines;
}
} // namespace

QFont ReportLayout::Font(double pointSize, bool bold)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(qRound(pointSize * kUnitsPerInch / 72));
    font.setBold(bold);
    // Unhinted glyphs keep their widths at every scale the layout is drawn at.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

double ReportLayout::LineHeight(double pointSize, bool bold)
{
    return QFontMetricsF(Font(pointSize, bold)).lineSpacing();
}

ReportLayout::ReportLayout(std::shared_ptr<const ReportContent> content, const QPageLayout& page)
    : m_content(std::move(content)), m_page(page)
{
    const QRectF printable = page.paintRect(QPageLayout::Point);
    m_contentSize = printable.size() * (kUnitsPerInch / 72);
    const ReportDefinition& d = m_content->Definition();
    m_noteIndent = FromMillimetres(d.detail.NoteIndent());
    double left = 0;
    for (const ReportColumn& column : d.columns) {
        const double width =
            std::min(FromMillimetres(column.width), std::max(0.0, m_contentSize.width() - left));
        m_columnLeft.push_back(left);
        m_columnWidth.push_back(width);
        left += width;
    }
    if (!d.columns.empty() && d.columns.back().wrap) {
        m_wrapColumn = static_cast<int>(d.columns.size()) - 1;
        m_wrapped.resize(static_cast<size_t>(m_content->RecordCount()));
    }
    Paginate();
}

double ReportLayout::Indent(int record) const
{
    return FromMillimetres(m_content->Definition().detail.indentPerLevel) *
           (m_content->Level(record) - 1);
}

void ReportLayout::WrapNote(const QString& note, double width, int record)
{
    const QFont font = Font(m_content->Definition().detail.pointSize, false);
    for (const QString& paragraph : note.split(QLatin1Char('\n'))) {
        if (paragraph.trimmed().isEmpty()) {
            m_noteLines.emplace_back();
            m_noteRecord.push_back(record);
            continue;
        }
        for (const QString& line : wrapped(paragraph, font, width)) {
            m_noteLines.push_back(line);
            m_noteRecord.push_back(record);
        }
    }
}

const QStringList& ReportLayout::WrappedCell(int record) const
{
    static const QStringList none;
    return m_wrapColumn < 0 ? none : m_wrapped.at(static_cast<size_t>(record));
}

int ReportLayout::WrapRecord(int record)
{
    if (m_wrapColumn < 0)
        return 1;
    const ReportContent& content = *m_content;
    const double shift = m_wrapColumn == 0 ? Indent(record) : 0;
    const double width = ColumnWidth(m_wrapColumn) - shift - FromMillimetres(kReportColumnPadding);
    const QFont font =
        Font(content.Definition().detail.pointSize, content.IsBold(record, m_wrapColumn));
    QStringList& lines = m_wrapped[static_cast<size_t>(record)];
    const QString text = content.CellText(record, m_wrapColumn);
    if (!text.isEmpty()) {
        for (const QString& paragraph : text.split(QLatin1Char('\n')))
            lines << wrapped(paragraph, font, width);
    }
    return std::max<int>(1, static_cast<int>(lines.size()));
}

void ReportLayout::Paginate()
{
    using Kind = Band::Kind;
    const ReportContent& content = *m_content;
    const ReportDefinition& d = content.Definition();
    const double pageHeight = m_contentSize.height();
    const double recordHeight = LineHeight(d.detail.pointSize, false);
    const double headingsHeight = LineHeight(d.detail.pointSize, true);
    double y = 0;
    bool pageHasBody = false;

    auto startPage = [&] {
        m_pages.emplace_back();
        y = 0;
        pageHasBody = false;
        for (size_t i = 0; i < d.pageHeader.size(); ++i) {
            const ReportTextLine& line = d.pageHeader[i];
            const double h = LineHeight(line.pointSize, line.bold);
            m_pages.back().push_back({Kind::HeaderLine, static_cast<int>(i), y, h});
            y += h;
        }
        if (!d.pageHeader.empty())
            y += kGap;
        if (d.detail.headings) {
            m_pages.back().push_back({Kind::Headings, 0, y, headingsHeight});
            y += headingsHeight + kGap / 2;
        }
    };
    // Every page takes at least one band of the body, however tall its header, so the
    // pagination always ends.
    auto place = [&](Kind kind, int index, double height) {
        if (pageHasBody && y + height > pageHeight)
            startPage();
        m_pages.back().push_back({kind, index, y, height});
        y += height;
        pageHasBody = true;
    };

    startPage();
    const bool hasNotes = !d.detail.noteField.isEmpty();
    for (int record = 0; record < content.RecordCount(); ++record) {
        place(Kind::Record, record, recordHeight * WrapRecord(record));
        if (!hasNotes)
            continue;
        const QString note = content.Note(record);
        if (note.isEmpty())
            continue;
        const size_t first = m_noteLines.size();
        const double indent = Indent(record) + m_noteIndent;
        WrapNote(note, m_contentSize.width() - indent, record);
        for (size_t line = first; line < m_noteLines.size(); ++line)
            place(Kind::NoteLine, static_cast<int>(line), recordHeight);
    }
    if (!d.reportFooter.empty())
        y += kGap;
    for (size_t i = 0; i < d.reportFooter.size(); ++i) {
        const ReportTextLine& line = d.reportFooter[i];
        place(Kind::FooterLine, static_cast<int>(i), LineHeight(line.pointSize, line.bold));
    }
}
