#pragma once

#include "platform/db/ReportPreparation.h"
#include "platform/db/RowSet.h"

#include <QDateTime>
#include <QSet>
#include <QString>
#include <QStringList>

class SQLConnection;

// The catalogue server's procedures. Each that changes the catalogue runs as one transaction on
// the connection it is given (joining one the caller already holds); each that only reads it does
// so in statements that are whole by themselves. All raise PharvelError with the procedure's name
// as the source.
namespace ServerProcedures {

// The node with this key (exact, letter case counting): one row when it exists, none otherwise.
RowSet For_FoundNode(SQLConnection& connection, const QString& nodeKey);

// The entries of the catalogue whose name holds the text anywhere, letter case not counting (in
// any alphabet): rows ItemName, ParentName (NULL for an entry straight under the root) and
// Node_Key, ordered by name. The text is matched as it stands, so "%" and "_" are plain letters;
// an empty text matches every entry.
RowSet For_SearchNodeList(SQLConnection& connection, const QString& searchText);

// Creates this connection's own trace table, tbForTraceParent (Node_Key), if it is not there yet,
// so that reading the trace before any trace was made finds no rows instead of failing.
void PrepareSession(SQLConnection& connection);

// Fills this connection's trace table with the keys of the node and of each of its ancestors
// below the root; an unknown key leaves it empty. Another user's trace is never touched. Read it
// with "SELECT Node_Key FROM tbForTraceParent ORDER BY Node_Key", top level first.
void For_TraceParent(SQLConnection& connection, const QString& nodeKey);

// Report preparation, run one after the other: the level of every node below the root
// (inventory.tbPharvelNodeLevel), which begins a preparation and returns its id, then the whole
// catalogue in the order the reports print it (inventory.tbPharvelReport), into that
// preparation. Each reads the catalogue in one statement, which sees one committed state of it
// and holds back no writer, and writes only its preparation's own rows; a report reads them
// alone (ReportPreparation), so two users prepare at once without waiting or mixing.
ReportPreparation::Id Pharvel_NodeLevel(SQLConnection& connection);
void Pharvel_Generate(SQLConnection& connection, ReportPreparation::Id preparation);

// Prepares the report "Catalogue Changes" as a preparation of its own and returns its id: the
// journal's rows of the days first to last (UTC, both included), newest first, grouped by day
// (inventory.tbCatalogueChanges), and the period (inventory.tbCatalogueChangesPeriod).
ReportPreparation::Id Pharvel_Changes(SQLConnection& connection, const QDate& first,
                                      const QDate& last);

// Deletes the generic name and its other details. Refuses (ErrorNumber::Refused) a generic name
// that does not exist or that is still filed in the catalogue.
void Delete_Generic(SQLConnection& connection, int genericCode);

// Which of the keys name existing nodes, asked in a few statements however many keys there are.
QSet<QString> ExistingNodeKeys(SQLConnection& connection, const QStringList& keys);

} // namespace ServerProcedures
