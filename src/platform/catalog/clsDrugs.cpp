#include "platform/catalog/clsDrugs.h"

#include "platform/catalog/CatalogueSession.h"
#include "platform/catalog/FilingJournal.h"
#include "platform/catalog/NodeStore.h"
#include "platform/catalog/ShortId.h"

namespace ClassPharvel {

namespace {
const QString kDrugId = QStringLiteral("The drug id");
const QString kDrugHoldsNodes = QStringLiteral("A drug's node holds other nodes; it is left as "
                                               "it is.");
} // namespace

bool clsDrugs::SearchDrug(double drugId)
{
    return m_session.Read(QStringLiteral("Pharvel.SearchDrug"), [&] {
        const int id = ShortId::FromNumber(drugId, kDrugId);
        const std::optional<CatalogueNode> node =
            NodeStore(m_session.Connection()).FindFiled(NodeType::Drug, id);
        m_read = {id, node ? node->key : QString()};
        return node.has_value();
    });
}

bool clsDrugs::AddDrug(const QString& parentKey, const QString& newKey, const QString& /*name*/,
                       double drugId)
{
    int id = 0;
    const bool added = m_session.Write(QStringLiteral("Pharvel.AddDrug"), [&] {
        id = ShortId::FromNumber(drugId, kDrugId);
        SQLConnection& connection = m_session.Connection();
        const RowSet stocked = connection.OpenRowSet(
            QStringLiteral("SELECT DrugName FROM inventory.tbinvmaster WHERE itemid = ?"), {id});
        if (stocked.RecordCount() == 0)
            CatalogueSession::Refuse(QStringLiteral("No drug with the id %1 is in the inventory; "
                                                    "it cannot be filed.")
                                         .arg(id));
        NodeStore nodes(connection);
        const std::optional<CatalogueNode> old = nodes.FindFiled(NodeType::Drug, id);
        FilingJournal::RequireAsRead(connection, NodeType::Drug, id, old, m_read);
        if (old)
            nodes.Remove(*old, kDrugHoldsNodes);
        const CatalogueNode parent = nodes.Insert(parentKey, newKey, NodeType::Drug, id);
        FilingJournal::Filed(nodes, connection,
                             {newKey, parentKey, NodeType::Drug, id, stocked.Text(0)}, old, parent);
        return true;
    });
    m_read = {id, newKey};
    return added;
}

bool clsDrugs::DeleteDrug(double drugId)
{
    int id = 0;
    const bool deleted = m_session.Write(QStringLiteral("Pharvel.DeleteDrug"), [&] {
        id = ShortId::FromNumber(drugId, kDrugId);
        SQLConnection& connection = m_session.Connection();
        NodeStore nodes(connection);
        const std::optional<CatalogueNode> node = nodes.FindFiled(NodeType::Drug, id);
        FilingJournal::RequireAsRead(connection, NodeType::Drug, id, node, m_read);
        if (!node)
            return false;
        nodes.Remove(*node, kDrugHoldsNodes);
        FilingJournal::TakenOut(nodes, connection, *node);
        return true;
    });
    m_read = {id, QString()};
    return deleted;
}

} // namespace ClassPharvel
