#include "catalogue/CatalogueRowLoader.h"

#include "app/mdlPharvel.h"
#include "catalogue/StatusMarks.h"
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

CatalogueRowLoader::CatalogueRowLoader(KeyedTree& tree, KnownNodes knownNodes, Statuses statuses)
    : m_tree(tree), m_knownNodes(std::move(knownNodes)), m_readStatuses(std::move(statuses))
{}

void CatalogueRowLoader::AddRows(RowSet& rows, const std::function<void()>& rowDone)
{
    using namespace ClassPharvel;
    const CatalogueColumns column(rows);
    for (rows.MoveFirst(); !rows.AtEnd(); rows.MoveNext()) {
        const QString type = rows.Text(column.type);
        QString name;
        QString itemId;
        QString image = mdlPharvel::NodeImageKey(type);
        std::optional<QString> status;
        if (type == NodeType::Classification) {
            name = rows.Text(column.classification);
        } else if (type == NodeType::Generic) {
            name = rows.Text(column.generic);
            if (m_readStatuses) {
                status = StatusOf(rows.Text(column.key));
                image = StatusMarks::ImageKey(*status);
            }
        } else if (type == NodeType::Drug) {
            name = rows.Text(column.drug);
            itemId = rows.Text(column.itemId);
        }

        TreeNode added;
        if (!name.trimmed().isEmpty()) {
            const QString parent = rows.Text(column.parent);
            const QString key = rows.Text(column.key);
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
            if (status)
                added.SetToolTipLine(
                    m_toolTipLines.contains(*status)
                        ? m_toolTipLines.value(*status)
                        : *m_toolTipLines.insert(*status, StatusMarks::ToolTipLine(*status)));
        }
        rowDone();
    }
}

bool CatalogueRowLoader::ParentKnown(RowSet& rows, const QString& parentKey)
{
    if (!m_known) {
        // A parent that is itself a row of this load was read by the same statement, so it is
        // known without asking; the others below the root are asked together. A whole load
        // names only its own rows and so asks nothing.
        const int parentColumn = rows.ColumnIndex(QStringLiteral("Node_Parent"));
        const int keyColumn = rows.ColumnIndex(QStringLiteral("Node_Key"));
        QSet<QString> loaded;
        for (int row = 0; row < rows.RecordCount(); ++row)
            loaded.insert(rows.At(row, keyColumn).toString().trimmed());
        QSet<QString> asked;
        for (int row = 0; row < rows.RecordCount(); ++row) {
            const QString parent = rows.At(row, parentColumn).toString();
            if (parent != kRootKey && !loaded.contains(parent.trimmed()))
                asked.insert(parent.trimmed());
        }
        m_known = asked.isEmpty() ? QSet<QString>()
                                  : m_knownNodes(QStringList(asked.cbegin(), asked.cend()));
        m_known->unite(loaded);
    }
    return m_known->contains(parentKey);
}

QString CatalogueRowLoader::StatusOf(const QString& nodeKey)
{
    if (!m_statuses)
        m_statuses = m_readStatuses();
    return m_statuses->value(nodeKey);
}
