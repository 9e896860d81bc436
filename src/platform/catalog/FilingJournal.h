#pragma once

#include "platform/db/CatalogueTypes.h"

#include <QString>
#include <functional>
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

// Files the entry (its key, parent, type, id and name) where it now belongs, moving it from its
// old node if it had one (refused as refusal(old) while that node holds others), after checking
// it still stands where the window read it; journaled.
void FileAsRead(SQLConnection& connection, const CatalogueNode& entry, const FiledAsRead& read,
                const std::function<QString(const CatalogueNode&)>& refusal);

// Takes the entry of type and id out of its node, after checking it still stands where the
// window read it (refused as refusal(node) while the node holds others); journaled. False when
// it was filed nowhere.
bool TakeOutAsRead(SQLConnection& connection, const QString& type, int id, const FiledAsRead& read,
                   const std::function<QString(const CatalogueNode&)>& refusal);

// Where the entry of type and id stands now, as a window reads it.
FiledAsRead Where(SQLConnection& connection, const QString& type, int id);

// Journals the node gone: an entry taken out, or a classification deleted.
void TakenOut(NodeStore& nodes, SQLConnection& connection, const CatalogueNode& old);

// Journals a rename of the entry of type and id from oldName to newName.
void Renamed(SQLConnection& connection, const QString& type, int id, const QString& oldName,
             const QString& newName);

} // namespace FilingJournal
} // namespace ClassPharvel
