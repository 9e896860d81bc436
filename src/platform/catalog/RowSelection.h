#pragma once

#include "platform/db/RowSet.h"

#include <QList>
#include <QString>
#include <vector>

// The rows the catalogue's grids show are chosen and ordered here rather than in SQL, so that
// both engines match and order names alike, whatever the script: the embedded engine folds
// only ASCII letters, and the server orders by its own collation.
namespace ClassPharvel::RowSelection {

// The rows of rows whose text in any of searchColumns contains search, letter case ignored and
// every character taken literally (an empty search matches every row), ordered by the text of
// sortColumn with letter case ignored; rows of equal names keep their order.
RowSet Matching(const RowSet& rows, const QList<int>& searchColumns, const QString& search,
                int sortColumn);

// The same columns with the rows given by order, in that order.
RowSet Reordered(const RowSet& rows, const std::vector<int>& order);

} // namespace ClassPharvel::RowSelection
