#pragma once

#include <QString>
#include <QtGlobal>

class SQLConnection;

// The rows a report preparation writes into the report tables are its own, under its id, and a
// report reads the rows of its own preparation alone: two desktops prepare at the same time
// without waiting for each other, and neither report shows the other's rows. On a server each
// role sees, writes and removes the rows of its own preparations only.
namespace ReportPreparation {

using Id = qint64;

// The column of every report table that names the preparation a row belongs to.
inline const QString kColumn = QStringLiteral("PreparationID");

// What a preparation is for: the catalogue's reports (the structure, the other details) or the
// catalogue's changes.
enum class Kind { Catalogue = 1, Changes = 2 };

// Begins a preparation of that kind inside the caller's transaction and returns its id. The
// preparations begun more than a day ago go, rows and all: their sessions are long over.
Id Begin(SQLConnection& connection, Kind kind);

// A session's new preparation replaces its earlier ones of the kind, whose reports have read
// them: each procedure removes their rows from the table it writes, and the last one of the
// preparation then forgets them.
void RemoveEarlierRows(SQLConnection& connection, Kind kind, Id current, const QString& table);
void ForgetEarlier(SQLConnection& connection, Kind kind, Id current);

} // namespace ReportPreparation
