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

// The line and the place in it (in characters, from 1) of a byte.
Fault faultAtByte(const QByteArray& bytes, qsizetype at, const QString& text)
{
    const qsizetype lineStart = bytes.lastIndexOf('\n', at - 1) + 1;
    const int line = static_cast<int>(bytes.left(lineStart).count('\n')) + 1;
    const int place =
        static_cast<int>(QString::fromUtf8(bytes.mid(lineStart, at - lineStart)).size()) + 1;
    return {line, 0, text.arg(place)};
}
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

ReadResult Parse(const QByteArray& raw)
{
    ReadResult result;
    QByteArray bytes = raw;
    if (bytes.startsWith(kByteOrderMark))
        bytes.remove(0, kByteOrderMark.size());
    if (raw.startsWith("\xFF\xFE") || raw.startsWith("\xFE\xFF")) {
        result.faults << Fault{1, 0,
                               QStringLiteral("the file is in UTF-16; save it as CSV in UTF-8")};
        return result;
    }
    if (const qsizetype bad = firstMalformedByte(bytes); bad >= 0) {
        result.faults << faultAtByte(bytes, bad,
                                     QStringLiteral("the file is not in UTF-8 (character %1 of "
                                                    "this line); save it as CSV in UTF-8"));
        return result;
    }
    const QString text = QString::fromUtf8(bytes);
    if (text.trimmed().isEmpty()) {
        result.faults << Fault{1, 0, QStringLiteral("the file is empty")};
        return result;
    }

    int line = 1;
    ReadRecord record{line, {}};
    QString field;
    bool quoted = false;
    bool inQuotes = false;
    int quoteLine = 0;
    const auto endField = [&] {
        // An empty field that was not quoted stands for no value.
        record.fields << (quoted && field.isNull() ? QStringLiteral("") : field);
        field = QString();
        quoted = false;
    };
    const auto endRecord = [&](int nextLine) {
        endField();
        const bool blank = record.fields.size() == 1 && record.fields.first().isNull();
        if (!blank)
            result.records << record;
        record = ReadRecord{nextLine, {}};
    };
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (inQuotes) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < size && text.at(i + 1) == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    inQuotes = false;
                    const QChar next = i + 1 < size ? text.at(i + 1) : QLatin1Char('\n');
                    if (next != QLatin1Char(',') && next != QLatin1Char('\r') &&
                        next != QLatin1Char('\n')) {
                        result.faults
                            << Fault{line, static_cast<int>(record.fields.size()) + 1,
                                     QStringLiteral("text follows the closing quote of a field")};
                        return result;
                    }
                }
            } else {
                if (c == QLatin1Char('\n'))
                    ++line;
                field += c;
            }
        } else if (c == QLatin1Char('"')) {
            if (!field.isNull()) {
                result.faults << Fault{line, static_cast<int>(record.fields.size()) + 1,
                                       QStringLiteral("a quote inside a field that is not "
                                                      "quoted; write the field in quotes")};
                return result;
            }
            inQuotes = true;
            quoted = true;
            quoteLine = line;
        } else if (c == QLatin1Char(',')) {
            endField();
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < size && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            ++line;
            endRecord(line);
        } else {
            field += c;
        }
    }
    if (inQuotes) {
        result.faults << Fault{
            quoteLine, static_cast<int>(record.fields.size()) + 1,
            QStringLiteral("a quoted field is left open to the end of the file")};
        return result;
    }
    endRecord(line);
    return result;
}

} // namespace Csv
