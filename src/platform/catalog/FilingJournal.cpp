#include "platform/catalog/FilingJournal.h"

#include "platform/catalog/CatalogueSession.h"
#include "platform/catalog/FilingAsRead.h"
#include "platform/catalog/NodeStore.h"
#include "platform/db/CatalogueTypes.h"
#include "platform/db/Journal.h"
#include "platform/db/SQLConnection.h"

namespace ClassPharvel::FilingJournal {

namespace {
QString parentName(NodeStore& nodes, const QString& parentKey)
{
    // The root has no entry; the tree shows it by this name.
    if (parentKey == kRootKey)
        return QStringLiteral("All Classification");
    const std::optional<CatalogueNode> parent = nodes.Find(parentKey);
    return parent ? parent->name : QString();
}

QString filedAction(const QString& type, bool moved)
{
    if (type == NodeType::Classification)
        return Journal::Action::ClassificationAdded;
    if (type == NodeType::Generic)
        return moved ? Journal::Action::GenericMoved : Journal::Action::GenericFiled;
    return moved ? Journal::Action::DrugMoved : Journal::Action::DrugFiled;
}

QString takenOutAction(const QString& type)
{
    if (type == NodeType::Classification)
        return Journal::Action::ClassificationDeleted;
    if (type == NodeType::Generic)
        return Journal::Action::GenericTakenOut;
    return Journal::Action::DrugTakenOut;
}

QString renamedAction(const QString& type)
{
    return type == NodeType::Classification ? Journal::Action::ClassificationRenamed
                                            : Journal::Action::GenericRenamed;
}
} // namespace

void RequireAsRead(SQLConnection& connection, const QString& type, int id,
                   const std::optional<CatalogueNode>& now, const FiledAsRead& read)
{
    if (read.id != id || (now ? now->key : QString()) == read.key)
        return;
    CatalogueSession::Refuse(ChangedMeanwhile(connection, type, id));
}

QString ChangedMeanwhile(SQLConnection& connection, const QString& type, int id)
{
    const QString who = Journal::LastChangeOf(connection, type, id);
    return who.isEmpty()
               ? QStringLiteral("Another user changed where it is filed after this window read "
                                "it; it was left where they put it.")
               : QStringLiteral("Another user changed where it is filed after this window read "
                                "it; it was left where they put it: %1.")
                     .arg(who);
}

void FileAsRead(SQLConnection& connection, const CatalogueNode& entry, const FiledAsRead& read,
                const std::function<QString(const CatalogueNode&)>& refusal)
{
    NodeStore nodes(connection);
    const std::optional<CatalogueNode> old = nodes.FindFiled(entry.type, entry.id);
    RequireAsRead(connection, entry.type, entry.id, old, read);
    if (old)
        nodes.Remove(*old, refusal(*old));
    const CatalogueNode parent = nodes.Insert(entry.parent, entry.key, entry.type, entry.id);
    Filed(nodes, connection, entry, old, parent);
}

bool TakeOutAsRead(SQLConnection& connection, const QString& type, int id, const FiledAsRead& read,
                   const std::function<QString(const CatalogueNode&)>& refusal)
{
    NodeStore nodes(connection);
    const std::optional<CatalogueNode> node = nodes.FindFiled(type, id);
    RequireAsRead(connection, type, id, node, read);
    if (!node)
        return false;
    nodes.Remove(*node, refusal(*node));
    TakenOut(nodes, connection, *node);
    return true;
}

FiledAsRead Where(SQLConnection& connection, const QString& type, int id)
{
    const std::optional<CatalogueNode> node = NodeStore(connection).FindFiled(type, id);
    return {id, node ? node->key : QString()};
}

void Filed(NodeStore& nodes, SQLConnection& connection, const CatalogueNode& entry,
           const std::optional<CatalogueNode>& old, const CatalogueNode& parent)
{
    if (!connection.WritesJournal())
        return; // the server journaled it, places and all
    Journal::Change change;
    change.action = filedAction(entry.type, old.has_value());
    change.entryType = entry.type;
    change.entryId = entry.id;
    change.entryName = entry.name;
    if (entry.type == NodeType::Classification)
        change.newName = entry.name;
    if (old) {
        change.oldParentKey = old->parent;
        change.oldParentName = parentName(nodes, old->parent);
    }
    change.newParentKey = parent.key;
    change.newParentName = parent.key == kRootKey ? parentName(nodes, parent.key) : parent.name;
    Journal::Record(connection, change);
}

void TakenOut(NodeStore& nodes, SQLConnection& connection, const CatalogueNode& old)
{
    if (!connection.WritesJournal())
        return; // the server journaled it, places and all
    Journal::Change change;
    change.action = takenOutAction(old.type);
    change.entryType = old.type;
    change.entryId = old.id;
    change.entryName = old.name;
    if (old.type == NodeType::Classification)
        change.oldName = old.name;
    change.oldParentKey = old.parent;
    change.oldParentName = parentName(nodes, old.parent);
    Journal::Record(connection, change);
}

void Renamed(SQLConnection& connection, const QString& type, int id, const QString& oldName,
             const QString& newName)
{
    Journal::Change change;
    change.action = renamedAction(type);
    change.entryType = type;
    change.entryId = id;
    change.entryName = oldName;
    change.oldName = oldName;
    change.newName = newName;
    Journal::Record(connection, change);
}

} // namespace ClassPharvel::FilingJournal
