#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class KeyedTree;
class RowSet;

// Adds the rows of a catalogue row set (node_type, ClassificationName, GenericName, DrugName,
// ItemID, Node_Parent, Node_Key) to the tree as nodes, parents before children.
//
// A row adds no node when its name is blank, when the database does not know its parent, or
// when the tree refuses it below the root (parent not in the tree, key already there); those
// rows are passed over without a word. A top-level row the tree refuses ends the load with the
// tree's error, the nodes added so far kept.
//
// Whether the database knows a parent is asked once per load, for every parent key of the row
// set together, at the first row that needs it, rather than once per row: a load of 30,000 rows
// is then a few statements, not 30,000 round trips. The formulary statuses that mark generic
// names are read once too, at the first generic name of the load.
class CatalogueRowLoader
{
public:
    // Which of these node keys the database knows. Raises PharvelError.
    using KnownNodes = std::function<QSet<QString>(const QStringList& keys)>;

    // The formulary status of every generic name that has one, by generic code. Without it (or
    // without the row set's Node_ID) generic names get no mark.
    using Statuses = std::function<QHash<QString, QString>()>;

    CatalogueRowLoader(KeyedTree& tree, KnownNodes knownNodes, Statuses statuses = {});

    // Reads the rows from the first to the last; rowDone runs after each row, whether or not it
    // added a node.
    void AddRows(RowSet& rows, const std::function<void()>& rowDone);

private:
    bool ParentKnown(RowSet& rows, const QString& parentKey);
    QString StatusOf(const QString& nodeKey);

    KeyedTree& m_tree;
    KnownNodes m_knownNodes;
    std::optional<QSet<QString>> m_known;
    Statuses m_readStatuses;
    std::optional<QHash<QString, QString>> m_statuses;
    // The tooltip line of each status met so far.
    QHash<QString, QString> m_toolTipLines;
};
