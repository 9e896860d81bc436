#pragma once

#include <QFont>
#include <QPageLayout>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class ReportContent;

// A report cut into pages for one page size. Positions are in layout units of 1/720 inch,
// measured from the top-left corner of the page's printable area; fonts are sized in those
// units too, so the same layout draws alike on screen, on paper and in a PDF.
class ReportLayout
{
public:
    static constexpr double kUnitsPerInch = 720;

    struct Band
    {
        enum class Kind { HeaderLine, Headings, Record, NoteLine, FooterLine };
        Kind kind;
        int index; // header or footer line, record, or note line
        double top;
        double height;
    };

    // The layout keeps the content it was made from, so it stays whole while it is shown even
    // if the report reads its tables again.
    ReportLayout(std::shared_ptr<const ReportContent> content, const QPageLayout& page);

    const ReportContent& Content() const { return *m_content; }

    const QPageLayout& PageLayout() const { return m_page; }
    QSizeF ContentSize() const { return m_contentSize; }
    int PageCount() const { return static_cast<int>(m_pages.size()); }
    const std::vector<Band>& Bands(int page) const { return m_pages.at(static_cast<size_t>(page)); }

    // Columns across the printable width; a column that does not fit is cut at the edge.
    double ColumnLeft(int column) const { return m_columnLeft.at(static_cast<size_t>(column)); }
    double ColumnWidth(int column) const { return m_columnWidth.at(static_cast<size_t>(column)); }
    // How far the record's first column and note are moved in for its level.
    double Indent(int record) const;
    double NoteIndent() const { return m_noteIndent; }

    const QString& NoteLine(int line) const { return m_noteLines.at(static_cast<size_t>(line)); }
    // The lines of the record's value in the column that wraps, one a line of the record's band;
    // empty when no column wraps.
    const QStringList& WrappedCell(int record) const;
    // The column whose values wrap, or -1.
    int WrapColumn() const { return m_wrapColumn; }
    int NoteRecord(int line) const { return m_noteRecord.at(static_cast<size_t>(line)); }

    // The report's type at a size in points.
    static QFont Font(double pointSize, bool bold);
    static double LineHeight(double pointSize, bool bold);
    static double FromMillimetres(double millimetres) { return millimetres / 25.4 * kUnitsPerInch; }

private:
    void Paginate();
    void WrapNote(const QString& note, double width, int record);
    // The record's line count: more than one where its wrapping value needs them.
    int WrapRecord(int record);

    std::shared_ptr<const ReportContent> m_content;
    QPageLayout m_page;
    QSizeF m_contentSize;
    double m_noteIndent = 0;
    std::vector<double> m_columnLeft;
    std::vector<double> m_columnWidth;
    std::vector<std::vector<Band>> m_pages;
    std::vector<QString> m_noteLines;
    std::vector<int> m_noteRecord;
    int m_wrapColumn = -1;
    std::vector<QStringList> m_wrapped; // by record, when a column wraps
};
