#include "platform/catalog/EntryOutline.h"

#include "platform/catalog/NodeStore.h"
#include "platform/db/Formulary.h"
#include "platform/db/FormularyStore.h"
#include "platform/db/OtherDetailsStore.h"

namespace ClassPharvel {

std::optional<EntryOutline> EntryOutline::Read(SQLConnection& connection, const QString& key)
{
    NodeStore nodes(connection);
    std::optional<CatalogueNode> node = key == kRootKey ? std::nullopt : nodes.Find(key);
    if (!node)
        return std::nullopt;

    EntryOutline entry;
    entry.node = *node;
    std::optional<CatalogueNode> parent;
    for (QString above = node->parent; !above.isEmpty() && above != kRootKey;) {
        const std::optional<CatalogueNode> ancestor = nodes.Find(above);
        if (!ancestor)
            break;
        if (!parent)
            parent = ancestor;
        entry.path.prepend(ancestor->name);
        above = ancestor->parent;
    }

    if (node->type == NodeType::Generic) {
        entry.formulary = Formulary::Read(connection, node->id);
        entry.drugs = nodes.ChildCount(node->key);
        entry.otherDetails = OtherDetailsStore::Read(connection, node->id).value_or(QString());
    } else if (node->type == NodeType::Drug) {
        entry.drug = DrugStore::Find(connection, node->id).value_or(DrugRecord{node->id, {}});
        if (parent && parent->type == NodeType::Generic) {
            entry.generic = parent->id;
            entry.genericName = parent->name;
            if (const auto decision = FormularyStore::Find(connection, parent->id))
                entry.genericStatus = decision->status;
        }
    } else if (node->type == NodeType::Classification) {
        entry.statusCounts = FormularyStore::StatusCounts(connection, node->key);
    }
    return entry;
}

QString EntryOutline::NodeKeyOf(SQLConnection& connection, CatalogueId::Generic generic)
{
    const std::optional<CatalogueNode> node =
        NodeStore(connection).FindFiled(NodeType::Generic, generic);
    return node ? node->key : QString();
}

} // namespace ClassPharvel
