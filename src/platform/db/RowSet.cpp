#include "platform/db/RowSet.h"

#include "platform/db/PharvelError.h"

namespace {
const QVariant& emptyValue()
{
    static const QVariant empty;
    return empty;
}
} // namespace

RowSet::RowSet(QStringList fieldNames, std::vector<Row> rows)
    : m_fields(std::move(fieldNames)), m_rows(std::move(rows))
{}

void RowSet::MoveNext() noexcept
{
    if (m_position < RecordCount())
        ++m_position;
}

void RowSet::Close() noexcept
{
    m_open = false;
    m_rows.clear();
    m_rows.shrink_to_fit();
}

int RowSet::ColumnIndex(const QString& field) const
{
    for (int i = 0; i < m_fields.size(); ++i) {
        if (m_fields.at(i).compare(field, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int RowSet::RequireColumn(const QString& field) const
{
    const int column = ColumnIndex(field);
    if (column < 0) {
        throw PharvelError(ErrorNumber::DatabaseError,
                           QStringLiteral("Item cannot be found in the collection corresponding "
                                          "to the requested name: %1")
                               .arg(field),
                           QStringLiteral("RowSet.Fields"));
    }
    return column;
}

const RowSet::Row& RowSet::CurrentRow() const
{
    if (AtEnd()) {
        throw PharvelError(ErrorNumber::DatabaseError,
                           QStringLiteral("Either BOF or EOF is True, or the current record has "
                                          "been deleted."),
                           QStringLiteral("RowSet.Fields"));
    }
    return m_rows[static_cast<size_t>(m_position)];
}

QVariant RowSet::Value(const QString& field) const
{
    return Value(RequireColumn(field));
}

QVariant RowSet::Value(int column) const
{
    const Row& row = CurrentRow();
    if (column < 0 || column >= FieldCount()) {
        throw PharvelError(ErrorNumber::DatabaseError,
                           QStringLiteral("Column %1 is out of range").arg(column),
                           QStringLiteral("RowSet.Fields"));
    }
    return row[static_cast<size_t>(column)];
}

const QVariant& RowSet::At(int row, int column) const
{
    if (row < 0 || row >= RecordCount() || column < 0 || column >= FieldCount())
        return emptyValue();
    return m_rows[static_cast<size_t>(row)][static_cast<size_t>(column)];
}
