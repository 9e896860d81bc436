#include "platform/catalog/TreeOrder.h"

#include "platform/catalog/RowSelection.h"
#include "platform/db/CatalogueTypes.h"

#include <QHash>
#include <algorithm>
#include <tuple>
#include <vector>

namespace ClassPharvel::TreeOrder {

namespace {
enum Column { Type, ClassificationName, GenericName, DrugName, ItemID, Parent, Key };

struct SiblingKey
{
    QString type;
    QString name;
    QString key;
    bool operator<(const SiblingKey& other) const
    {
        return std::tie(type, name, key) < std::tie(other.type, other.name, other.key);
    }
};

SiblingKey siblingKey(const RowSet& rows, int r)
{
    const QString type = rows.At(r, Type).toString().trimmed();
    const int nameColumn = type == NodeType::Classification ? ClassificationName
                           : type == NodeType::Generic      ? GenericName
                                                            : DrugName;
    return {type, rows.At(r, nameColumn).toString().toCaseFolded(), rows.At(r, Key).toString()};
}
} // namespace

RowSet PreOrder(const RowSet& rows, const QString& topKey)
{
    QHash<QString, std::vector<int>> children;
    std::vector<SiblingKey> keys;
    keys.reserve(static_cast<size_t>(rows.RecordCount()));
    for (int r = 0; r < rows.RecordCount(); ++r) {
        children[rows.At(r, Parent).toString()].push_back(r);
        keys.push_back(siblingKey(rows, r));
    }
    for (std::vector<int>& siblings : children) {
        std::sort(siblings.begin(), siblings.end(), [&](int a, int b) {
            return keys[static_cast<size_t>(a)] < keys[static_cast<size_t>(b)];
        });
    }

    // Depth first without recursion: a catalogue may be deep, and the stack holds the siblings
    // still to visit in reverse, so the first of them comes off first.
    std::vector<int> order;
    order.reserve(keys.size());
    std::vector<int> pending;
    const auto pushChildren = [&](const QString& key) {
        const auto found = children.constFind(key);
        if (found != children.constEnd())
            pending.insert(pending.end(), found->rbegin(), found->rend());
    };
    pushChildren(topKey);
    while (!pending.empty()) {
        const int r = pending.back();
        pending.pop_back();
        order.push_back(r);
        pushChildren(keys[static_cast<size_t>(r)].key);
    }
    return RowSelection::Reordered(rows, order);
}

} // namespace ClassPharvel::TreeOrder
