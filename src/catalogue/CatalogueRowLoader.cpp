#include "catalogue/CatalogueRowLoader.h"

#include "app/mdlPharvel.h"
#include "platform/db/CatalogueTypes.h"
#include "platform/db/PharvelError.h"
#include "platform/db/RowSet.h"
#include "platform/widgets/ImageList.h"
#include "platform/widgets/KeyedTree.h"

namespace {

// The columns of a catalogue row set, looked up once per load.
struct CatalogueColumns
{
    explicit CatalogueColumns(const RowSet& rows)
        : type(rows.ColumnIndex(QStringLiteral("node_type"))),
          classification(rows.ColumnIndex(QStringLiteral("ClassificationName"))),
          generic(rows.ColumnIndex(QStringLiteral("GenericName"))),
          drug(rows.ColumnIndex(QStringLiteral("DrugName"))),
          itemId(rows.ColumnIndex(QStringLiteral("ItemID"))),
          parent(rows.ColumnIndex(QStringLiteral("Node_Parent"))),
          key(rows.ColumnIndex(QStringLiteral("Node_Key")))
    {}

    int type, classification, generic, drug, itemId, parent, key;
};

} // namespace

CatalogueRowLoader::CatalogueRowLoader(KeyedTree& tree, KnownNodes knownNodes)
    : m_tree(tree), m_knownNodes(std::move(knownNodes))
{}

void CatalogueRowLoader::AddRows(RowSet& rows, const std::function<void()>& rowDone)
{
    using namespace ClassPharvel;
    const CatalogueColumns column(rows);
    for (rows.MoveFirst(); !rows.AtEnd(); rows.MoveNext()) {
        const QString type = rows.Text(column.type);
        QString name;
        QString itemId;
        if (type == NodeType::Classification) {
            name = rows.Text(column.classification);
        } else if (type == NodeType::Generic) {
            name = rows.Text(column.generic);
        } else if (type == NodeType::Drug) {
            name = rows.Text(column.drug);
            itemId = rows.Text(column.itemId);
        }

        TreeNode added;
        if (!name.trimmed().isEmpty()) {
            const QString parent = rows.Text(column.parent);
            const QString key = rows.Text(column.key);
            const QString image = mdlPharvel::NodeImageKey(type);
            if (parent == kRootKey) {
                added = m_tree.Add(kRootKey, key, name, image);
            } else if (ParentKnown(rows, parent.trimmed())) {
                try {
                    added = m_tree.Add(parent, key, name, image);
                } catch (const PharvelError&) {
                    // The parent is not in the tree yet, or the node is already there.
                }
            }
        }

        if (added) {
            if (type == NodeType::Classification)
                added.SetExpandedImage(QStringLiteral("bookopen"));
            if (!itemId.trimmed().isEmpty())
                added.SetTag(itemId);
        }
        rowDone();
    }
}

bool CatalogueRowLoader::ParentKnown(RowSet& rows, const QString& parentKey)
{
    if (!m_known) {
        // Every parent below the root that this row set names, asked together.
        const int parentColumn = rows.ColumnIndex(QStringLiteral("Node_Parent"));
        QSet<QString> keys;
        for (int row = 0; row < rows.RecordCount(); ++row) {
            const QString parent = rows.At(row, parentColumn).toString();
            if (parent != kRootKey)
                keys.insert(parent.trimmed());
        }
        m_known = m_knownNodes(QStringList(keys.cbegin(), keys.cend()));
    }
    return m_known->contains(parentKey);
}
