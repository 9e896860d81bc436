#include "platform/report/XlsWriter.h"

#include "platform/db/PharvelError.h"
#include "platform/report/CompoundFile.h"
#include "platform/report/LittleEndianWriter.h"
#include "platform/report/ReportErrorNumber.h"

#include <QHash>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {
const QString kSource = QStringLiteral("XlsWriter");

// Record types.
enum : std::uint16_t {
    kBof = 0x0809,
    kEof = 0x000A,
    kCodepage = 0x0042,
    kWindow1 = 0x003D,
    kFont = 0x0031,
    kFormat = 0x041E,
    kXf = 0x00E0,
    kStyle = 0x0293,
    kBoundSheet = 0x0085,
    kSst = 0x00FC,
    kContinue = 0x003C,
    kColInfo = 0x007D,
    kDimensions = 0x0200,
    kLabelSst = 0x00FD,
    kNumber = 0x0203,
    kRk = 0x027E,
    kWindow2 = 0x023E,
};

constexpr qsizetype kMaxRecordData = 8224;

// Cell formats (XF indexes): 0-14 are the style formats every workbook carries, then a plain and
// a bold text format for every indent, then whole numbers.
constexpr std::uint16_t kXfText = 15;
constexpr std::uint16_t kXfWholeNumber = kXfText + 2 * (XlsWriter::kMaxIndent + 1);
// Whole numbers (item codes, counts) shown in full rather than in exponent form.
constexpr std::uint16_t kFormatWholeNumber = 164;

std::uint16_t textFormat(bool bold, int indent)
{
    return static_cast<std::uint16_t>(kXfText + 2 * indent + (bold ? 1 : 0));
}

void record(QByteArray& out, std::uint16_t type, const QByteArray& data)
{
    LittleEndianWriter w(out);
    w.U16(type);
    w.U16(static_cast<std::uint16_t>(data.size()));
    out.append(data);
}

bool needsWideCharacters(QStringView text)
{
    for (const QChar c : text) {
        if (c.unicode() > 0xFF)
            return true;
    }
    return false;
}

QByteArray bof(std::uint16_t substreamType)
{
    QByteArray d;
    LittleEndianWriter w(d);
    w.U16(0x0600); // BIFF8
    w.U16(substreamType);
    w.U16(0x0DBB); // build
    w.U16(0x07CC); // year
    w.U32(0);      // file history
    w.U32(0x06);   // lowest version that can read it
    return d;
}

QByteArray font(bool bold)
{
    QByteArray d;
    LittleEndianWriter w(d);
    w.U16(200);               // 10 points, in twentieths
    w.U16(bold ? 0x0001 : 0); // attributes: the old bold bit, which Excel still sets
    w.U16(0x7FFF);            // automatic colour
    w.U16(bold ? 700 : 400);
    w.U16(0); // no super- or subscript
    w.U8(0);  // no underline
    w.U8(0);  // family
    w.U8(0);  // character set
    w.U8(0);
    const QString name = QStringLiteral("Arial");
    w.U8(static_cast<std::uint8_t>(name.size()));
    w.U8(0); // compressed characters
    w.Latin1(name);
    return d;
}

QByteArray xf(std::uint16_t fontIndex, std::uint16_t formatIndex, bool style, int indent = 0)
{
    QByteArray d;
    LittleEndianWriter w(d);
    w.U16(fontIndex);
    w.U16(formatIndex);
    w.U16(style ? 0xFFF5 : 0x0001); // locked; a style has no parent, a cell's parent is style 0
    w.U8(indent > 0 ? 0x21 : 0x20); // bottom; general alignment, or left where indented
    w.U8(0);                        // no rotation
    w.U8(static_cast<std::uint8_t>(indent));
    w.U8(style ? 0x00 : 0xF8); // a cell format states its own number, font, alignment...
    w.U32(0);                  // no borders
    w.U32(0);
    w.U16(0x20C0); // default pattern colours
    return d;
}

// The shared string table, split into CONTINUE records where it outgrows one record. A string's
// header is never split; its characters may be, and each continuation repeats the flag byte.
void sharedStrings(QByteArray& out, const QStringList& strings, std::uint32_t totalUses)
{
    QList<QByteArray> chunks{QByteArray()};
    {
        LittleEndianWriter w(chunks.back());
        w.U32(totalUses);
        w.U32(static_cast<std::uint32_t>(strings.size()));
    }
    for (const QString& s : strings) {
        const bool wide = needsWideCharacters(s);
        const int charSize = wide ? 2 : 1;
        const std::uint8_t flags = wide ? 1 : 0;
        if (chunks.back().size() + 3 + (s.isEmpty() ? 0 : charSize) > kMaxRecordData)
            chunks.append(QByteArray());
        LittleEndianWriter(chunks.back()).U16(static_cast<std::uint16_t>(s.size()));
        LittleEndianWriter(chunks.back()).U8(flags);
        qsizetype done = 0;
        while (done < s.size()) {
            qsizetype room = (kMaxRecordData - chunks.back().size()) / charSize;
            if (room == 0) {
                chunks.append(QByteArray());
                LittleEndianWriter(chunks.back()).U8(flags);
                continue;
            }
            const qsizetype n = std::min(room, s.size() - done);
            LittleEndianWriter w(chunks.back());
            if (wide)
                w.Utf16(QStringView(s).mid(done, n));
            else
                w.Latin1(QStringView(s).mid(done, n));
            done += n;
        }
    }
    record(out, kSst, chunks.front());
    for (qsizetype i = 1; i < chunks.size(); ++i)
        record(out, kContinue, chunks.at(i));
}

// An RK value holds a 30-bit integer in place; anything else is written as a full number.
bool fitsRk(double value, std::uint32_t& rk)
{
    if (value != std::floor(value) || value < -(1 << 29) || value >= (1 << 29))
        return false;
    rk = (static_cast<std::uint32_t>(static_cast<std::int32_t>(value)) << 2) | 0x2;
    return true;
}
} // namespace

XlsWriter::XlsWriter(const QString& sheetName)
{
    static const QString kForbidden = QStringLiteral("[]:*?/\\");
    for (const QChar c : sheetName)
        m_sheetName += kForbidden.contains(c) ? QLatin1Char('_') : c;
    m_sheetName = m_sheetName.left(31);
    if (m_sheetName.trimmed().isEmpty())
        m_sheetName = QStringLiteral("Sheet1");
}

void XlsWriter::CheckPosition(int row, int column) const
{
    if (row < 0 || row >= kMaxRows || column < 0 || column >= kMaxColumns)
        throw PharvelError(ErrorNumber::ReportExportFailed,
                           QStringLiteral("A spreadsheet holds at most %1 rows and %2 columns; "
                                          "cell (%3, %4) is beyond that.")
                               .arg(kMaxRows)
                               .arg(kMaxColumns)
                               .arg(row + 1)
                               .arg(column + 1),
                           kSource);
}

void XlsWriter::SetColumnWidth(int column, double characters)
{
    CheckPosition(0, column);
    m_widths[column] = std::clamp(characters, 0.0, 255.0);
}

void XlsWriter::SetText(int row, int column, const QString& text, bool bold, int indent)
{
    CheckPosition(row, column);
    if (text.size() > kMaxTextLength)
        throw PharvelError(ErrorNumber::ReportExportFailed,
                           QStringLiteral("A spreadsheet cell holds at most %1 characters; the "
                                          "text for row %2 has %3.")
                               .arg(kMaxTextLength)
                               .arg(row + 1)
                               .arg(text.size()),
                           kSource);
    m_cells[{row, column}] = Cell{true, bold, std::clamp(indent, 0, kMaxIndent), text, 0};
}

void XlsWriter::SetNumber(int row, int column, double value)
{
    CheckPosition(row, column);
    m_cells[{row, column}] = Cell{false, false, 0, QString(), value};
}

QByteArray XlsWriter::Globals(const QStringList& strings, qsizetype& sheetOffsetAt) const
{
    QByteArray out;
    record(out, kBof, bof(0x0005));
    {
        QByteArray d;
        LittleEndianWriter(d).U16(1200); // text is UTF-16
        record(out, kCodepage, d);
    }
    {
        QByteArray d;
        LittleEndianWriter w(d);
        w.U16(0);      // left
        w.U16(0);      // top
        w.U16(0x3A5C); // width
        w.U16(0x23BE); // height
        w.U16(0x0038); // show scroll bars and sheet tabs
        w.U16(0);      // active sheet
        w.U16(0);      // first visible tab
        w.U16(1);      // selected tabs
        w.U16(0x0258); // tab bar width ratio
        record(out, kWindow1, d);
    }
    // Font 0 is the normal font, font 1 the bold one; Excel expects at least four before the
    // gap at index 4.
    for (const bool bold : {false, true, false, false})
        record(out, kFont, font(bold));
    {
        QByteArray d;
        LittleEndianWriter w(d);
        const QString code = QStringLiteral("0");
        w.U16(kFormatWholeNumber);
        w.U16(static_cast<std::uint16_t>(code.size()));
        w.U8(0);
        w.Latin1(code);
        record(out, kFormat, d);
    }
    for (int i = 0; i < 15; ++i)
        record(out, kXf, xf(0, 0, true));
    for (int indent = 0; indent <= kMaxIndent; ++indent) {
        for (const bool bold : {false, true})
            record(out, kXf, xf(bold ? 1 : 0, 0, false, indent)); // textFormat(bold, indent)
    }
    record(out, kXf, xf(0, kFormatWholeNumber, false)); // kXfWholeNumber
    {
        QByteArray d;
        LittleEndianWriter w(d);
        w.U16(0x8000); // built-in style on XF 0
        w.U8(0);       // "Normal"
        w.U8(0xFF);
        record(out, kStyle, d);
    }
    {
        QByteArray d;
        LittleEndianWriter w(d);
        sheetOffsetAt = out.size() + 4; // after the record's type and length
        w.U32(0);                       // the sheet's position, known once the globals are
        w.U8(0);                        // visible
        w.U8(0);                        // worksheet
        const bool wide = needsWideCharacters(m_sheetName);
        w.U8(static_cast<std::uint8_t>(m_sheetName.size()));
        w.U8(wide ? 1 : 0);
        if (wide)
            w.Utf16(m_sheetName);
        else
            w.Latin1(m_sheetName);
        record(out, kBoundSheet, d);
    }
    std::uint32_t uses = 0;
    for (const auto& [position, cell] : m_cells)
        uses += cell.isText ? 1 : 0;
    sharedStrings(out, strings, uses);
    record(out, kEof, {});
    return out;
}

QByteArray XlsWriter::Sheet(const QHash<QString, quint32>& stringIndex) const
{
    QByteArray out;
    record(out, kBof, bof(0x0010));
    for (const auto& [column, width] : m_widths) {
        QByteArray d;
        LittleEndianWriter w(d);
        w.U16(static_cast<std::uint16_t>(column));
        w.U16(static_cast<std::uint16_t>(column));
        w.U16(static_cast<std::uint16_t>(std::lround(width * 256)));
        w.U16(kXfText);
        w.U16(0);
        w.U16(0);
        record(out, kColInfo, d);
    }
    {
        int lastRow = -1;
        int lastColumn = -1;
        for (const auto& [position, cell] : m_cells) {
            lastRow = std::max(lastRow, position.first);
            lastColumn = std::max(lastColumn, position.second);
        }
        QByteArray d;
        LittleEndianWriter w(d);
        w.U32(0);
        w.U32(static_cast<std::uint32_t>(lastRow + 1));
        w.U16(0);
        w.U16(static_cast<std::uint16_t>(lastColumn + 1));
        w.U16(0);
        record(out, kDimensions, d);
    }
    for (const auto& [position, cell] : m_cells) {
        QByteArray d;
        LittleEndianWriter w(d);
        w.U16(static_cast<std::uint16_t>(position.first));
        w.U16(static_cast<std::uint16_t>(position.second));
        std::uint32_t rk = 0;
        if (cell.isText) {
            w.U16(textFormat(cell.bold, cell.indent));
            w.U32(stringIndex.value(cell.text));
            record(out, kLabelSst, d);
        } else if (fitsRk(cell.number, rk)) {
            w.U16(kXfWholeNumber);
            w.U32(rk);
            record(out, kRk, d);
        } else {
            w.U16(cell.number == std::floor(cell.number) ? kXfWholeNumber : kXfText);
            w.F64(cell.number);
            record(out, kNumber, d);
        }
    }
    {
        QByteArray d;
        LittleEndianWriter w(d);
        w.U16(0x06B6); // grid, headers, zeros, outline symbols; sheet selected and shown
        w.U16(0);      // top row
        w.U16(0);      // left column
        w.U32(64);     // grid line colour: automatic
        w.U16(0);      // zoom of page-break preview (default)
        w.U16(0);      // normal zoom (default)
        w.U32(0);
        record(out, kWindow2, d);
    }
    record(out, kEof, {});
    return out;
}

QByteArray XlsWriter::Workbook() const
{
    QStringList strings;
    QHash<QString, quint32> index;
    for (const auto& [position, cell] : m_cells) {
        if (cell.isText && !index.contains(cell.text)) {
            index.insert(cell.text, static_cast<quint32>(strings.size()));
            strings << cell.text;
        }
    }
    qsizetype sheetOffsetAt = 0;
    QByteArray stream = Globals(strings, sheetOffsetAt);
    QByteArray offset;
    LittleEndianWriter(offset).U32(static_cast<std::uint32_t>(stream.size()));
    stream.replace(sheetOffsetAt, offset.size(), offset);
    stream += Sheet(index);
    return CompoundFile::WithOneStream(QStringLiteral("Workbook"), stream);
}
