#pragma once

#include "platform/db/CatalogueTypes.h"

#include <QString>
#include <optional>

class SQLConnection;

namespace ClassPharvel {

class NodeStore;

// Where a window last read an entry to be filed (the component's current generic name or
// drug): which entry, and the key of its node then (empty when it was filed nowhere).
struct FiledAsRead
{
    std::optional<int> id;
    QString key;
};

// The journal rows of the tree's changes, and the check a filing makes, inside its transaction,
// that the entry still stands where the window read it.
namespace FilingJournal {

// Why a change of the entry is refused when another user filed, moved or took it out after the
// window read it: who did, where to and when, from the journal.
QString ChangedMeanwhile(SQLConnection& connection, const QString& type, int id);

// Refuses the change, naming from the journal who put the entry where it now is, when the entry
// was read (read.id is id) and its node now is not the one read.
void RequireAsRead(SQLConnection& connection, const QString& type, int id,
                   const std::optional<CatalogueNode>& now, const FiledAsRead& read);

// Journals the entry (type, id, name) filed under parent: filed, or moved when it stood at old
// before.
void Filed(NodeStore& nodes, SQLConnection& connection, const CatalogueNode& entry,
           const std::optional<CatalogueNode>& old, const CatalogueNode& parent);

// Journals the node gone: an entry taken out, or a classification deleted.
void TakenOut(NodeStore& nodes, SQLConnection& connection, const CatalogueNode& old);

// Journals a rename of the entry of type and id from oldName to newName.
void Renamed(SQLConnection& connection, const QString& type, int id, const QString& oldName,
             const QString& newName);

} // namespace FilingJournal
} // namespace ClassPharvel
