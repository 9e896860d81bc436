#include "platform/catalog/clsClassifications.h"

#include "platform/catalog/CatalogueSession.h"
#include "platform/catalog/FilingJournal.h"
#include "platform/catalog/NodeStore.h"
#include "platform/catalog/RowSelection.h"
#include "platform/catalog/ShortId.h"
#include "platform/catalog/clsNode.h"
#include "platform/db/ClassificationStore.h"
#include "platform/db/GenericStore.h"
#include "platform/db/Journal.h"

namespace ClassPharvel {

namespace {
// The register with where each generic name stands: its node, and the classification above it.
const QString kGenericRows =
    QStringLiteral("SELECT g.genericname AS \"Generic Name\", p.Node_Key AS \"Node Key\", "
                   "g.GenericCode AS \"Code\", c.ClassificationID AS \"Classification ID\", "
                   "COALESCE(c.ClassificationName, 'no classification') AS \"Classification\" "
                   "FROM ") +
    GenericStore::kTable +
    QStringLiteral(
        " g "
        "LEFT JOIN inventory.tbPharvel p ON p.Node_Type = '2' AND p.Node_ID = g.GenericCode "
        "LEFT JOIN inventory.tbPharvel cp ON cp.Node_Key = p.Node_Parent "
        "LEFT JOIN inventory.tbForClassification c "
        "ON cp.Node_Type = '1' AND c.ClassificationID = cp.Node_ID ");
constexpr int kNameColumn = 0;

std::optional<CatalogueNode> findClassification(NodeStore& nodes, const QString& nodeKey)
{
    std::optional<CatalogueNode> node = nodes.Find(nodeKey);
    if (node && node->type != NodeType::Classification)
        CatalogueSession::Refuse(QStringLiteral("\"%1\" is not a classification.").arg(node->name));
    return node;
}
} // namespace

bool clsClassifications::AddClassification(const QString& parentKey, const QString& newKey,
                                           const QString& name, int /*itemCode*/)
{
    return m_session.Write(QStringLiteral("Pharvel.AddClassification"), [&] {
        CatalogueSession::RequireName(name);
        SQLConnection& connection = m_session.Connection();
        const CatalogueId::Classification id =
            m_session.NextFreeId(ClassificationStore::kTable, ClassificationStore::kIdColumn);
        ClassificationStore::InsertAll(connection, {{id, name}});
        NodeStore nodes(connection);
        const CatalogueNode parent = nodes.Insert(parentKey, newKey, NodeType::Classification, id);
        FilingJournal::Filed(nodes, connection,
                             {newKey, parentKey, NodeType::Classification, id, name}, std::nullopt,
                             parent);
        return true;
    });
}

bool clsClassifications::DeleteClassification(const QString& nodeKey)
{
    return m_session.Write(QStringLiteral("Pharvel.DeleteClassification"), [&] {
        NodeStore nodes(m_session.Connection());
        const std::optional<CatalogueNode> node = findClassification(nodes, nodeKey);
        RequireAsRead(m_session.Connection(), nodeKey, node);
        if (!node)
            return false;
        nodes.Remove(*node, QStringLiteral("The classification %1 still holds classifications or "
                                           "generic names; it cannot be deleted until they are "
                                           "taken out of it.")
                                .arg(node->name));
        ClassificationStore::RemoveAll(m_session.Connection(), {node->id});
        FilingJournal::TakenOut(nodes, m_session.Connection(), *node);
        return true;
    });
}

bool clsClassifications::RenameClassification(const QString& nodeKey, const QString& newName)
{
    const bool renamed = m_session.Write(QStringLiteral("Pharvel.RenameClassification"), [&] {
        CatalogueSession::RequireName(newName);
        SQLConnection& connection = m_session.Connection();
        NodeStore nodes(connection);
        const std::optional<CatalogueNode> node = findClassification(nodes, nodeKey);
        RequireAsRead(connection, nodeKey, node);
        if (!node)
            return false;
        ClassificationStore::Update(connection, {node->id, newName});
        FilingJournal::Renamed(connection, NodeType::Classification, node->id, node->name, newName);
        return true;
    });
    if (renamed)
        m_current.Renamed(nodeKey, newName);
    return renamed;
}

void clsClassifications::RequireAsRead(SQLConnection& connection, const QString& nodeKey,
                                       const std::optional<CatalogueNode>& node) const
{
    // Only the current node was read by the window; its name then is what the user renames.
    if (m_current.Node_Key() != nodeKey || m_current.node_type() != NodeType::Classification)
        return;
    if (node && node->id == m_current.Node_ID() && node->name == m_current.NameOfNode())
        return;
    const QString who =
        Journal::LastChangeOf(connection, NodeType::Classification, m_current.Node_ID());
    CatalogueSession::Refuse(
        QStringLiteral("The classification %1 was changed by another user after this window "
                       "read it; it was left as they made it%2.")
            .arg(m_current.NameOfNode(), who.isEmpty() ? QString() : QStringLiteral(": ") + who));
}

RowSet clsClassifications::OtherGenerics(int classificationId, int /*mode*/, const QString& search)
{
    return m_session.Read(QStringLiteral("Pharvel.OtherGenerics"), [&] {
        const int id =
            ShortId::FromInteger(classificationId, QStringLiteral("The classification id"));
        return RowSelection::Matching(
            m_session.Connection().OpenRowSet(kGenericRows +
                                                  QStringLiteral("WHERE c.ClassificationID IS NULL "
                                                                 "OR c.ClassificationID <> ?"),
                                              {id}),
            {kNameColumn}, search, kNameColumn);
    });
}

RowSet clsClassifications::LoadGenerics(int classificationId, int /*mode*/, const QString& search)
{
    return m_session.Read(QStringLiteral("Pharvel.LoadGenerics"), [&] {
        const int id =
            ShortId::FromInteger(classificationId, QStringLiteral("The classification id"));
        return RowSelection::Matching(
            m_session.Connection().OpenRowSet(
                kGenericRows + QStringLiteral("WHERE c.ClassificationID = ?"), {id}),
            {kNameColumn}, search, kNameColumn);
    });
}

} // namespace ClassPharvel
