#include "platform/exchange/Csv.h"

namespace Csv {

namespace {
const QByteArray kByteOrderMark("\xEF\xBB\xBF");

bool needsQuotes(const QString& field)
{
    if (field.isEmpty())
        return !field.isNull();
    for (const QChar c : field) {
        if (c == QLatin1Char(',') || c == QLatin1Char('"') || c == QLatin1Char('\r') ||
            c == QLatin1Char('\n'))
            return true;
    }
    return false;
}

// Where the first byte lies that is not well-formed UTF-8 (an overlong form, a surrogate, a code
// point beyond U+10FFFF or a sequence cut short), or -1 when there is none.
qsizetype firstMalformedByte(const QByteArray& bytes)
{
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size;) {
        const unsigned char lead = data[i];
        int length = 0;
        char32_t lowest = 0;
        char32_t code = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2, lowest = 0x80, code = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, lowest = 0x800, code = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, lowest = 0x10000, code = lead & 0x07;
        } else {
            return i;
        }
        if (i + length > size)
            return i;
        for (int k = 1; k < length; ++k) {
            if ((data[i + k] & 0xC0) != 0x80)
                return i;
            code = (code << 6) | (data[i + k] & 0x3F);
        }
        if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return i;
        i += length;
    }
    return -1;
}

// How many bytes at the end of a piece begin a character that the next piece completes.
qsizetype cutCharacter(const QByteArray& bytes)
{
    const qsizetype size = bytes.size();
    for (qsizetype k = 1; k <= std::min<qsizetype>(3, size); ++k) {
        const auto byte = static_cast<unsigned char>(bytes.at(size - k));
        if ((byte & 0xC0) == 0x80)
            continue;
        const qsizetype length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > k ? k : 0;
    }
    return 0;
}

constexpr qint64 kPiece = 64 * 1024;
} // namespace

QByteArray Record(const QStringList& fields)
{
    QString line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += QLatin1Char(',');
        const QString& field = fields.at(i);
        if (needsQuotes(field)) {
            QString quoted = field;
            quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
            line += QLatin1Char('"') + quoted + QLatin1Char('"');
        } else {
            line += field;
        }
    }
    return line.toUtf8() + "\r\n";
}

QByteArray File(const QStringList& header, const QList<QStringList>& records)
{
    QByteArray bytes = kByteOrderMark + Record(header);
    for (const QStringList& record : records)
        bytes += Record(record);
    return bytes;
}

Reader::Reader(QIODevice& device, qsizetype longestField)
    : m_device(device), m_longest(longestField)
{}

std::optional<ReadRecord> Reader::Next()
{
    while (m_ready.isEmpty() && !m_done)
        m_done = !readPiece();
    if (m_ready.isEmpty() || m_fault)
        return std::nullopt;
    return m_ready.takeFirst();
}

bool Reader::readPiece()
{
    const QByteArray piece = m_device.read(kPiece);
    if (piece.isEmpty() && !m_device.atEnd()) {
        fail(0, 0, QStringLiteral("cannot be read: %1").arg(m_device.errorString()));
        return false;
    }
    QByteArray bytes = m_undecoded + piece;
    m_undecoded.clear();
    const bool atEnd = m_device.atEnd();
    if (!m_started) {
        if (bytes.size() < kByteOrderMark.size() && !atEnd) {
            m_undecoded = bytes;
            return true;
        }
        m_started = true;
        if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
            fail(1, 0, QStringLiteral("the file is in UTF-16; save it as CSV in UTF-8"));
            return false;
        }
        if (bytes.startsWith(kByteOrderMark))
            bytes.remove(0, kByteOrderMark.size());
    }
    if (!atEnd) {
        const qsizetype cut = cutCharacter(bytes);
        m_undecoded = bytes.right(cut);
        bytes.chop(cut);
    }
    if (const qsizetype bad = firstMalformedByte(bytes); bad >= 0) {
        const QByteArray before = bytes.left(bad);
        const qsizetype lineStart = before.lastIndexOf('\n') + 1;
        const qsizetype place = QString::fromUtf8(before.mid(lineStart)).size() +
                                (lineStart == 0 ? m_lineCharacters : 0) + 1;
        fail(m_physicalLine + static_cast<int>(before.count('\n')), 0,
             QStringLiteral("the file is not in UTF-8 (character %1 of this line); save it as "
                            "CSV in UTF-8")
                 .arg(place));
        return false;
    }
    const QString text = QString::fromUtf8(bytes);
    const qsizetype lastBreak = text.lastIndexOf(QLatin1Char('\n'));
    m_physicalLine += static_cast<int>(text.count(QLatin1Char('\n')));
    m_lineCharacters = lastBreak < 0 ? m_lineCharacters + text.size() : text.size() - lastBreak - 1;
    for (const QChar c : text) {
        take(c);
        if (m_fault)
            return false;
    }
    if (!atEnd)
        return true;
    finish();
    return false;
}

void Reader::take(QChar c)
{
    if (m_afterReturn) {
        m_afterReturn = false;
        if (c == QLatin1Char('\n'))
            return;
    }
    if (m_quoteInQuotes) {
        m_quoteInQuotes = false;
        if (c == QLatin1Char('"')) {
            append(c);
            return;
        }
        m_inQuotes = false;
        if (c != QLatin1Char(',') && c != QLatin1Char('\r') && c != QLatin1Char('\n')) {
            fail(m_line, column(), QStringLiteral("text follows the closing quote of a field"));
            return;
        }
    }
    if (m_inQuotes) {
        if (c == QLatin1Char('"')) {
            m_quoteInQuotes = true;
            return;
        }
        append(c);
        if (c == QLatin1Char('\n'))
            ++m_line;
    } else if (c == QLatin1Char('"')) {
        if (!m_field.isNull()) {
            fail(m_line, column(),
                 QStringLiteral("a quote inside a field that is not quoted; write the field in "
                                "quotes"));
            return;
        }
        m_inQuotes = true;
        m_quoted = true;
        m_quoteLine = m_line;
    } else if (c == QLatin1Char(',')) {
        endField();
    } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
        m_afterReturn = c == QLatin1Char('\r');
        ++m_line;
        endRecord();
    } else {
        append(c);
    }
}

void Reader::append(QChar c)
{
    if (c.unicode() == 0)
        fail(m_line, column(),
             QStringLiteral("the field holds a NUL character (byte 0), which no text may hold"));
    else if (m_field.size() >= m_longest)
        fail(m_line, column(),
             QStringLiteral("the field is longer than %1 characters").arg(m_longest));
    else
        m_field += c;
}

void Reader::endField()
{
    // An empty field that was not quoted stands for no value.
    m_record.fields << (m_quoted && m_field.isNull() ? QStringLiteral("") : m_field);
    m_field = QString();
    m_quoted = false;
}

void Reader::endRecord()
{
    endField();
    // Lines of nothing are passed over, and so are blanks before the header.
    const bool blank = m_record.fields.size() == 1 &&
                       (m_record.fields.first().isNull() ||
                        (m_records == 0 && m_record.fields.first().trimmed().isEmpty()));
    if (!blank) {
        m_ready << m_record;
        ++m_records;
    }
    m_record = ReadRecord{m_line, {}};
}

void Reader::finish()
{
    if (m_quoteInQuotes)
        m_inQuotes = false;
    if (m_inQuotes) {
        fail(m_quoteLine, column(),
             QStringLiteral("a quoted field is left open to the end of the file"));
        return;
    }
    endRecord();
    if (m_records == 0)
        fail(1, 0, QStringLiteral("the file is empty"));
}

void Reader::fail(int line, int column, const QString& text)
{
    if (!m_fault)
        m_fault = Fault{line, column, text};
}

} // namespace Csv
