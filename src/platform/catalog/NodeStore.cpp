#include "platform/catalog/NodeStore.h"

#include "platform/catalog/CatalogueSession.h"
#include "platform/db/CatalogueTypes.h"
#include "platform/db/NodeEntries.h"
#include "platform/db/PharvelError.h"
#include "platform/db/SQLConnection.h"

namespace ClassPharvel {

namespace {

bool allDigits(QStringView text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

QString kindOf(const QString& type)
{
    if (type == NodeType::Classification)
        return QStringLiteral("a classification");
    if (type == NodeType::Generic)
        return QStringLiteral("a generic name");
    if (type == NodeType::Drug)
        return QStringLiteral("a drug");
    return QStringLiteral("the root");
}

// A node as a message names it: its kind and, unless it is the root, its name.
QString named(const CatalogueNode& node)
{
    if (node.name.isEmpty())
        return kindOf(node.type);
    return QStringLiteral("%1 \"%2\"").arg(kindOf(node.type), node.name);
}
} // namespace

std::optional<CatalogueNode> NodeStore::Find(const QString& key)
{
    return FindWhere(QStringLiteral("p.Node_Key = ?"), {key});
}

std::optional<CatalogueNode> NodeStore::FindFiled(const QString& type, int id)
{
    return FindWhere(QStringLiteral("p.Node_Type = ? AND p.Node_ID = ?"), {type, id});
}

std::optional<CatalogueNode> NodeStore::FindWhere(const QString& condition,
                                                  const QVariantList& values)
{
    RowSet rows = m_connection.OpenRowSet(
        QStringLiteral("SELECT p.Node_Key, p.Node_Parent, p.Node_Type, p.Node_ID, "
                       "COALESCE(c.ClassificationName, g.genericname, d.DrugName, '') "
                       "FROM inventory.tbPharvel p") +
            NodeEntryJoins(QStringLiteral("p")) + QStringLiteral("WHERE ") + condition,
        values);
    if (rows.RecordCount() == 0)
        return std::nullopt;
    return CatalogueNode{rows.Text(0), rows.Text(1), rows.Text(2).trimmed(), rows.Value(3).toInt(),
                         rows.Text(4)};
}

int NodeStore::ChildCount(const QString& key)
{
    return m_connection
        .Scalar(QStringLiteral("SELECT count(*) FROM inventory.tbPharvel WHERE Node_Parent = ?"),
                {key})
        .toInt();
}

CatalogueNode NodeStore::Insert(const QString& parentKey, const QString& key, const QString& type,
                                int id)
{
    const std::optional<CatalogueNode> parent = Find(parentKey);
    if (!parent)
        CatalogueSession::Refuse(
            QStringLiteral("The entry to file under is no longer in the catalogue (another user "
                           "may have just removed it); nothing was filed under it."));
    if (!MayHold(parent->type, type))
        CatalogueSession::Refuse(
            QStringLiteral("%1 cannot be filed under %2.").arg(kindOf(type), named(*parent)));
    if (!IsChildKey(parentKey, key))
        CatalogueSession::Refuse(
            QStringLiteral("The key \"%1\" is not a key for a node under %2.").arg(key, parentKey));
    // Children are counted in 16 bits, so no key numbers a node beyond that.
    const qsizetype lastNumber = key.lastIndexOf(QLatin1Char(parentKey == kRootKey ? '_' : '.'));
    if (QStringView(key).mid(lastNumber + 1).size() > 5 ||
        QStringView(key).mid(lastNumber + 1).toInt() > kHighestId)
        throw PharvelError(ErrorNumber::Overflow,
                           QStringLiteral("There is no room for another entry in %1 (it "
                                          "holds %2); nothing was filed.")
                               .arg(named(*parent))
                               .arg(kHighestId),
                           {});
    if (Find(key))
        RefuseTakenKey();
    try {
        m_connection.Execute(QStringLiteral("INSERT INTO inventory.tbPharvel "
                                            "(Node_Key, Node_Parent, Node_Type, Node_ID) "
                                            "VALUES (?, ?, ?, ?)"),
                             {key, parentKey, type, id});
    } catch (const PharvelError& error) {
        // A writer outside this component took the key, or filed the same entry, meanwhile.
        if (error.Number() == ErrorNumber::ConstraintViolated)
            RefuseTakenKey();
        throw;
    }
    return *parent;
}

void NodeStore::RefuseTakenKey()
{
    throw PharvelError(ErrorNumber::ConstraintViolated,
                       QStringLiteral("Another user filed an entry in the same place, or "
                                      "filed this same entry, at the same moment; nothing was "
                                      "changed."),
                       {});
}

void NodeStore::Remove(const CatalogueNode& node, const QString& refusal)
{
    if (HasChildren(node.key))
        CatalogueSession::Refuse(refusal);
    m_connection.Execute(QStringLiteral("DELETE FROM inventory.tbPharvel WHERE Node_Key = ?"),
                         {node.key});
}

bool NodeStore::IsChildKey(const QString& parentKey, const QString& key)
{
    if (parentKey == kRootKey)
        return key.startsWith(QLatin1Char('_')) && allDigits(QStringView(key).mid(1));
    const QString prefix = parentKey + QLatin1Char('.');
    return key.startsWith(prefix) && allDigits(QStringView(key).mid(prefix.size()));
}

bool NodeStore::MayHold(const QString& parentType, const QString& childType)
{
    if (childType == NodeType::Classification)
        return parentType == NodeType::Root || parentType == NodeType::Classification;
    if (childType == NodeType::Generic)
        return parentType == NodeType::Classification;
    if (childType == NodeType::Drug)
        return parentType == NodeType::Generic;
    return false;
}

} // namespace ClassPharvel
