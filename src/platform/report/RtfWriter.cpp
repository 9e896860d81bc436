#include "platform/report/RtfWriter.h"

#include <QMarginsF>
#include <QRectF>

namespace {
int toTwips(double millimetres)
{
    return qRound(millimetres / 25.4 * 1440);
}

QByteArray number(int value)
{
    return QByteArray::number(value);
}

QByteArray alignmentWord(Qt::Alignment alignment)
{
    if (alignment & Qt::AlignHCenter)
        return "\\qc";
    if (alignment & Qt::AlignRight)
        return "\\qr";
    return "\\ql";
}

QByteArray field(const char* instruction)
{
    return QByteArray("{\\field{\\*\\fldinst ") + instruction + "}{\\fldrslt 1}}";
}
} // namespace

RtfWriter::RtfWriter(const QPageLayout& page) : m_page(page) {}

QByteArray RtfWriter::EscapeText(QStringView text)
{
    QByteArray out;
    out.reserve(text.size() + 16);
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\\' || u == u'{' || u == u'}') {
            out += '\\';
            out += static_cast<char>(u);
        } else if (u == u'\t') {
            out += "\\tab ";
        } else if (u == u'\n') {
            out += "\\line ";
        } else if (u < 0x20 || u == 0x7F) {
            continue;
        } else if (u < 0x80) {
            out += static_cast<char>(u);
        } else {
            // \u takes a signed 16-bit number, then the one character (\uc1) a reader without
            // Unicode shows: '?', written as \'3f so that no reader takes it for text.
            out += "\\u" + number(static_cast<int16_t>(u)) + "\\'3f";
        }
    }
    return out;
}

QByteArray RtfWriter::Encode(const Paragraph& paragraph)
{
    QByteArray out = "\\pard\\plain" + alignmentWord(paragraph.alignment) + "\\li" +
                     number(paragraph.leftIndentTwips);
    if (paragraph.firstLineIndentTwips != 0)
        out += "\\fi" + number(paragraph.firstLineIndentTwips);
    out += "\\fs" + number(paragraph.pointSize * 2);
    for (const TabStop& tab : paragraph.tabStops) {
        if (tab.alignment & Qt::AlignRight)
            out += "\\tqr";
        else if (tab.alignment & Qt::AlignHCenter)
            out += "\\tqc";
        out += "\\tx" + number(tab.positionTwips);
    }
    out += ' ';
    for (const Run& run : paragraph.runs) {
        out += run.bold ? "{\\b " : "{";
        switch (run.kind) {
        case Run::Kind::Text:
            out += EscapeText(run.text);
            break;
        case Run::Kind::PageNumber:
            out += field("PAGE");
            break;
        case Run::Kind::PageCount:
            out += field("NUMPAGES");
            break;
        }
        out += '}';
    }
    out += "\\par\n";
    return out;
}

void RtfWriter::AddHeaderParagraph(const Paragraph& paragraph)
{
    m_header += Encode(paragraph);
}

void RtfWriter::AddParagraph(const Paragraph& paragraph)
{
    m_body += Encode(paragraph);
}

QByteArray RtfWriter::Document() const
{
    const QSizeF paper = m_page.fullRect(QPageLayout::Millimeter).size();
    const QMarginsF margins = m_page.margins(QPageLayout::Millimeter);
    QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n"
                     "{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}\n";
    out += "\\paperw" + number(toTwips(paper.width())) + "\\paperh" +
           number(toTwips(paper.height())) + "\\margl" + number(toTwips(margins.left())) +
           "\\margr" + number(toTwips(margins.right())) + "\\margt" +
           number(toTwips(margins.top())) + "\\margb" + number(toTwips(margins.bottom()));
    if (m_page.orientation() == QPageLayout::Landscape)
        out += "\\landscape";
    out += "\\f0\n";
    if (!m_header.isEmpty())
        out += "{\\header\n" + m_header + "}\n";
    out += m_body;
    out += "}\n";
    return out;
}
