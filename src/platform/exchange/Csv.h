#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

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

struct ReadResult
{
    QList<ReadRecord> records; // the header first
    QList<Fault> faults;       // empty when the file was read whole
};

// Reads a file's bytes: refuses another encoding than UTF-8, an empty file and a quoted field left
// open; lines of nothing at all are passed over.
ReadResult Parse(const QByteArray& bytes);

} // namespace Csv
