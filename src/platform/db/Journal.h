#pragma once

#include "platform/db/RowSet.h"

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <utility>

class SQLConnection;

// The change journal of the catalogue (inventory.tbCatalogueJournal). Every write of the
// catalogue calls Record (or RecordAll) inside its own transaction, so the row and the change are
// kept or undone together: a change that fails leaves no row, and a row that cannot be written
// fails the change. See docs/journal.md for how each engine stamps and guards the rows.
namespace Journal {

// What a change did, as the journal and its report spell it.
namespace Action {
inline const QString ClassificationAdded = QStringLiteral("classification added");
inline const QString ClassificationRenamed = QStringLiteral("classification renamed");
inline const QString ClassificationDeleted = QStringLiteral("classification deleted");
inline const QString GenericFiled = QStringLiteral("generic name filed");
inline const QString GenericMoved = QStringLiteral("generic name moved");
inline const QString GenericTakenOut = QStringLiteral("generic name taken out");
inline const QString DrugFiled = QStringLiteral("drug filed");
inline const QString DrugMoved = QStringLiteral("drug moved");
inline const QString DrugTakenOut = QStringLiteral("drug taken out");
inline const QString GenericAdded = QStringLiteral("generic name added");
inline const QString GenericRenamed = QStringLiteral("generic name renamed");
inline const QString GenericDeleted = QStringLiteral("generic name deleted");
inline const QString OtherDetailsSaved = QStringLiteral("other details saved");
inline const QString FormularyChanged = QStringLiteral("formulary changed");
inline const QString JournalPruned = QStringLiteral("journal pruned");
// Taken by an import of a catalogue file and a merge of generic names, or on PostgreSQL by the
// server's journal of a change made outside the program.
inline const QString ClassificationMoved = QStringLiteral("classification moved");
inline const QString ClassificationTakenOut = QStringLiteral("classification taken out");
inline const QString DrugAdded = QStringLiteral("drug added");
inline const QString DrugChanged = QStringLiteral("drug changed");
inline const QString DrugDeleted = QStringLiteral("drug deleted");
inline const QString GenericMerged = QStringLiteral("generic name merged");
} // namespace Action

// The entry a row speaks of: its node type ("1" classification, "2" generic name, "3" drug;
// "J" the journal itself), its id and its name as it was. A null QString is stored as NULL.
struct Change
{
    QString action;
    QString entryType;
    int entryId = 0;
    QString entryName;
    QString oldName;
    QString newName;
    QString oldParentKey;
    QString oldParentName;
    QString newParentKey;
    QString newParentName;
    QString oldText;
    QString newText;
};

// A change of the generic name genericCode, named as the register names it now.
Change AboutGeneric(SQLConnection& connection, const QString& action, int genericCode);

// Adds one row for change. Must run inside the change's transaction; raises PharvelError
// otherwise, or when the row cannot be written. On PostgreSQL a change that the server's
// triggers journaled already (any role's but the owner's) is not written again.
void Record(SQLConnection& connection, const Change& change);

// Adds one row for each of changes, in order and in batches (an import of a whole catalogue
// makes tens of thousands). Bound as Record is.
void RecordAll(SQLConnection& connection, const QList<Change>& changes);

// Which rows List returns; empty or null members do not narrow. Times are UTC; until is
// exclusive. entry matches the entry's name, its old or new name, with letter case ignored.
struct Filter
{
    QDateTime since;
    QDateTime until;
    QString user;
    QString entry;
};

// Journal rows, newest first. Columns: At (UTC, "yyyy-MM-dd hh:mm:ss"), User, Desktop, Action,
// Entry Type, Entry ID, Entry, Old Name, New Name, Old Parent, New Parent, Old Text, New Text.
RowSet List(SQLConnection& connection, const Filter& filter);

// The current row of a List as "before → after": the old and new name, parent or text that
// the row holds (a text cut to its first line and 80 characters).
QString BeforeAfter(const RowSet& rows);

// The newest row about the entry, told as a sentence for a user whose change came too late
// ("ab moved it under X at 2026-12-09 14:03:11 UTC from the desktop pc7"); empty when the
// journal holds none.
QString LastChangeOf(SQLConnection& connection, const QString& entryType, int entryId);

// The time (UTC, to the second) of the newest row about each entry that the journal names, by
// entry type and id: the entries that exist today and those that went.
QMap<std::pair<QString, int>, QDateTime> LatestChanges(SQLConnection& connection);
// The time (UTC, to the second) of the newest drug filed under or taken out of each node, by the
// node's key as the journal row names it: what changes a generic name's list of drugs.
QMap<QString, QDateTime> LatestDrugFilings(SQLConnection& connection);

// Deletes the rows older than before, and journals the pruning, in one transaction. Returns the
// number of rows deleted. The administrator's tool only: on PostgreSQL no other role may.
int Prune(SQLConnection& connection, const QDateTime& before);

} // namespace Journal
