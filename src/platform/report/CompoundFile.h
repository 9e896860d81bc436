#pragma once

#include <QByteArray>
#include <QString>

// The structured-storage container (a "compound file", version 3 with 512-byte sectors) that a
// spreadsheet workbook lives in. We only ever write one stream, the workbook itself.
namespace CompoundFile {

// The whole file holding one stream of the given name (at most 31 characters).
// A stream shorter than 4096 bytes would belong in the container's mini stream; it is padded
// with zero bytes to that length instead, which readers of the workbook ignore after its end.
QByteArray WithOneStream(const QString& streamName, const QByteArray& stream);

} // namespace CompoundFile
