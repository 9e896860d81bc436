#pragma once

#include <QByteArray>
#include <QList>
#include <QPageLayout>
#include <QString>

// A rich-text (RTF) document of plain paragraphs, as the report export writes it: runs of text
// in normal or bold type, tab stops for columns, left indents for levels, and a page header that
// may carry the page number and the page count.
class RtfWriter
{
public:
    struct Run
    {
        enum class Kind { Text, PageNumber, PageCount };
        QString text; // for Kind::Text; '\t' moves to the next tab stop, '\n' breaks the line
        bool bold = false;
        Kind kind = Kind::Text;
    };
    struct TabStop
    {
        int positionTwips = 0; // from the left margin
        Qt::Alignment alignment = Qt::AlignLeft;
    };
    struct Paragraph
    {
        QList<Run> runs;
        int leftIndentTwips = 0;
        Qt::Alignment alignment = Qt::AlignLeft;
        int pointSize = 10;
        QList<TabStop> tabStops;
        // Where the first line starts, from the left indent: below 0 for a paragraph whose
        // later lines stand further in than its first.
        int firstLineIndentTwips = 0;
    };

    explicit RtfWriter(const QPageLayout& page);

    void AddHeaderParagraph(const Paragraph& paragraph);
    void AddParagraph(const Paragraph& paragraph);

    // The complete .rtf file (7-bit text).
    QByteArray Document() const;

    // Text as RTF: '\', '{' and '}' escaped, characters beyond ASCII as \uN? (UTF-16 units, so a
    // character outside the basic plane becomes its surrogate pair), tabs and line breaks as
    // control words, other control characters dropped.
    static QByteArray EscapeText(QStringView text);

private:
    static QByteArray Encode(const Paragraph& paragraph);

    QPageLayout m_page;
    QByteArray m_header;
    QByteArray m_body;
};
