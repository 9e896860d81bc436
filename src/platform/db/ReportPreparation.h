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
// rows of this session's previous preparation of the kind go (its report has read them), and so
// do those of any preparation begun more than a day ago, whose session is long over.
Id Begin(SQLConnection& connection, Kind kind);

} // namespace ReportPreparation
