#pragma once

#include <QString>

// The catalogue's own constants and types, shared by the database layer, the component, the
// exchange files and the windows.

// Ids, codes and counts pass between windows as 16-bit signed integers: the highest of them.
inline constexpr int kHighestId = 32767;

// One type for each kind of id, as the tables hold them (each within 1..kHighestId once stored):
// a classification's id, a generic name's code, a stock drug's item id.
namespace CatalogueId {
using Classification = int;
using Generic = int;
using Item = int;
} // namespace CatalogueId

// The kind of entry a tree node files, as the tree's table stores it.
namespace NodeType {
inline const QString Root = QStringLiteral("0");
inline const QString Classification = QStringLiteral("1");
inline const QString Generic = QStringLiteral("2");
inline const QString Drug = QStringLiteral("3");
} // namespace NodeType

// The key of the tree's root, "All Classification"; every other key is "_" and a dotted path.
inline const QString kRootKey = QStringLiteral("_0");

// One node of the catalogue tree as the database holds it. type is a NodeType; id is the
// classification's id, the generic code or the drug's item id; name is what the node shows
// (empty for the root, or when the entry it files is missing). otherDetails is a generic name's
// other-details text, where the reader asked for it.
struct CatalogueNode
{
    QString key;
    QString parent;
    QString type;
    int id = 0;
    QString name;
    QString otherDetails = {};
};
