#include "platform/catalog/RowSelection.h"

#include <algorithm>

namespace ClassPharvel::RowSelection {

RowSet Matching(const RowSet& rows, const QList<int>& searchColumns, const QString& search,
                int sortColumn)
{
    const QString wanted = search.toCaseFolded();
    std::vector<int> order;
    std::vector<QString> sortKeys(static_cast<size_t>(rows.RecordCount()));
    for (int r = 0; r < rows.RecordCount(); ++r) {
        const bool matches = std::any_of(searchColumns.begin(), searchColumns.end(), [&](int c) {
            return rows.At(r, c).toString().toCaseFolded().contains(wanted);
        });
        if (!matches)
            continue;
        order.push_back(r);
        sortKeys[static_cast<size_t>(r)] = rows.At(r, sortColumn).toString().toCaseFolded();
    }
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return sortKeys[static_cast<size_t>(a)] < sortKeys[static_cast<size_t>(b)];
    });
    return Reordered(rows, order);
}

RowSet Reordered(const RowSet& rows, const std::vector<int>& order)
{
    std::vector<RowSet::Row> result;
    result.reserve(order.size());
    for (const int r : order) {
        RowSet::Row row(static_cast<size_t>(rows.FieldCount()));
        for (int c = 0; c < rows.FieldCount(); ++c)
            row[static_cast<size_t>(c)] = rows.At(r, c);
        result.push_back(std::move(row));
    }
    return RowSet(rows.FieldNames(), std::move(result));
}

} // namespace ClassPharvel::RowSelection
