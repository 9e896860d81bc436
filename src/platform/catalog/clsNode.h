#pragma once

#include <QString>

namespace ClassPharvel {

class CatalogueSession;

// The component's current node.
class clsNode
{
public:
    explicit clsNode(CatalogueSession& session) : m_session(session) {}

    // True when a node with this key exists; it then becomes the current node. A key that does
    // not exist leaves the current node as it was.
    bool SearchNode(const QString& nodeKey);

    // The current node: the id of the classification, generic name or drug it shows, the name
    // it shows, and its node type ("1", "2", "3"; "0" for the root). Empty before any search.
    int Node_ID() const { return m_id; }
    const QString& NameOfNode() const { return m_name; }
    const QString& node_type() const { return m_type; }
    const QString& Node_Key() const { return m_key; }

    // The current node's entry was renamed by this component: it shows the new name now.
    void Renamed(const QString& nodeKey, const QString& newName);

private:
    CatalogueSession& m_session;
    QString m_key;
    QString m_type;
    QString m_name;
    int m_id = 0;
};

} // namespace ClassPharvel
