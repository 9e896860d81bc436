#pragma once

#include "platform/db/RowSet.h"

#include <QString>

// The order in which a tree load delivers its rows: every node right after its parent, the
// children of one parent classifications first, then generic names, then drugs, each kind by
// name with letter case ignored. A loader that adds a row only under a parent it already holds
// thus adds every row.
namespace ClassPharvel::TreeOrder {

// rows: the tree rows below topKey (columns node_type, ClassificationName, GenericName,
// DrugName, ItemID, Node_Parent, Node_Key), in any order; each row's parent is topKey or
// another of the rows.
RowSet PreOrder(const RowSet& rows, const QString& topKey);

} // namespace ClassPharvel::TreeOrder
