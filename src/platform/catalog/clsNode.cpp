#include "platform/catalog/clsNode.h"

#include "platform/catalog/CatalogueSession.h"
#include "platform/catalog/NodeStore.h"

namespace ClassPharvel {

bool clsNode::SearchNode(const QString& nodeKey)
{
    return m_session.Read(QStringLiteral("Pharvel.SearchNode"), [&] {
        const std::optional<CatalogueNode> node = NodeStore(m_session.Connection()).Find(nodeKey);
        if (!node)
            return false;
        m_key = node->key;
        m_type = node->type;
        m_name = node->name;
        m_id = node->id;
        return true;
    });
}

void clsNode::Renamed(const QString& nodeKey, const QString& newName)
{
    if (nodeKey == m_key)
        m_name = newName;
}

} // namespace ClassPharvel
