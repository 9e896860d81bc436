#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// Comma-separated files as spreadsheets read and write them (RFC 4180): UTF-8, records ended by
// CR LF, a field quoted when it holds a comma, a quote or a line break, a quote inside doubled.
// A field left empty stands for no value (NULL, a null QString); an empty text is written "" so
// that the two come back apart.
namespace Csv {

// One record as text, ended by CR LF.
QByteArray Record(const QStringList& fields);

// The whole file: a byte-order mark (so that a spreadsheet takes the file for UTF-8), the header
// record and the records.
QByteArray File(const QStringList& header, const QList<QStringList>& records);

// A record read back, with the line of the file it starts on (1 for the header).
struct ReadRecord
{
    int line = 0;
    QStringList fields;
};

// A fault of the file, at a line and a column (the field's number, from 1; 0 when the fault is
// the file's as a whole).
struct Fault
{
    int line = 0;
    int column = 0;
    QString text;
};

// Reads a file record by record, so that a file of any size costs the memory of one piece of it:
// refuses another encoding than UTF-8, an empty file, a quoted field left open, a NUL character
// and a field longer than the longest text the catalogue keeps; lines of nothing at all are
// passed over.
class Reader
{
public:
    Reader(QIODevice& device, qsizetype longestField);

    // The next record (the header first); std::nullopt at the end of the file or at its first
    // fault, which Failure() then gives.
    std::optional<ReadRecord> Next();
    const std::optional<Fault>& Failure() const { return m_fault; }

private:
    bool readPiece();
    void take(QChar c);
    void append(QChar c);
    void endField();
    void endRecord();
    void finish();
    void fail(int line, int column, const QString& text);
    int column() const { return static_cast<int>(m_record.fields.size()) + 1; }

    QIODevice& m_device;
    qsizetype m_longest;
    QByteArray m_undecoded; // a character cut in two by the end of a piece
    bool m_started = false;
    bool m_done = false;
    std::optional<Fault> m_fault;
    QList<ReadRecord> m_ready;
    qsizetype m_records = 0;
    // Where the bytes read so far end, for a fault of the encoding.
    int m_physicalLine = 1;
    qsizetype m_lineCharacters = 0;
    // The record being read.
    int m_line = 1;
    ReadRecord m_record{1, {}};
    QString m_field;
    bool m_quoted = false;
    bool m_inQuotes = false;
    bool m_quoteInQuotes = false; // a quote inside quotes: closing, or the first of two
    bool m_afterReturn = false;
    int m_quoteLine = 0;
};

} // namespace Csv
