#pragma once

#include "platform/db/CatalogueTypes.h"

#include <QString>
#include <QVariantList>
#include <optional>

class SQLConnection;

namespace ClassPharvel {

// The tree table and the rules that keep it whole: a node lies under a parent that may hold it
// (a classification under the root or a classification, a generic name under a classification,
// a drug under a generic name), its key spells its parent's key and one more number, no key is
// taken twice, and no node goes while it holds others. Refusals raise PharvelError without a
// source; the member that calls adds its own.
class NodeStore
{
public:
    explicit NodeStore(SQLConnection& connection) : m_connection(connection) {}

    std::optional<CatalogueNode> Find(const QString& key);
    // The node that files the classification, generic name or drug with this id, if any.
    std::optional<CatalogueNode> FindFiled(const QString& type, int id);
    bool HasChildren(const QString& key) { return ChildCount(key) > 0; }
    int ChildCount(const QString& key);

    // Returns the parent the node was filed under.
    CatalogueNode Insert(const QString& parentKey, const QString& key, const QString& type, int id);
    // Removes the node; refused with refusal as the description while it holds nodes.
    void Remove(const CatalogueNode& node, const QString& refusal);

    static bool IsChildKey(const QString& parentKey, const QString& key);
    static bool MayHold(const QString& parentType, const QString& childType);

private:
    std::optional<CatalogueNode> FindWhere(const QString& condition, const QVariantList& values);
    [[noreturn]] static void RefuseTakenKey();

    SQLConnection& m_connection;
};

} // namespace ClassPharvel
