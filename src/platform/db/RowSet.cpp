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
    : m_fields(std::move(fieldNames)), m_rows(std::move(rows)),
      m_recordCount(static_cast<int>(m_rows.size()))
{}

RowSet::RowSet(QStringList fieldNames, int recordCount, std::vector<Row> firstPage,
               PageReader reader)
    : m_fields(std::move(fieldNames)), m_pages(std::make_shared<Pages>()),
      m_recordCount(recordCount)
{
    m_pages->reader = std::move(reader);
    m_pages->read.emplace(0, std::move(firstPage));
}

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
    m_pages.reset();
    m_recordCount = 0;
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

// The row, read with its page when a paged result has not read it yet; null beyond the end of
// a page that came back short (rows taken away on the server meanwhile).
const RowSet::Row* RowSet::FindRow(int row) const
{
    if (!m_pages)
        return &m_rows[static_cast<size_t>(row)];
    const int page = row / kPageRows;
    auto it = m_pages->read.find(page);
    if (it == m_pages->read.end())
        it = m_pages->read.emplace(page, m_pages->reader(page * kPageRows, kPageRows)).first;
    const size_t offset = static_cast<size_t>(row - page * kPageRows);
    return offset < it->second.size() ? &it->second[offset] : nullptr;
}

const RowSet::Row& RowSet::CurrentRow() const
{
    const Row* row = AtEnd() ? nullptr : FindRow(m_position);
    if (!row) {
        throw PharvelError(ErrorNumber::DatabaseError,
                           QStringLiteral("Either BOF or EOF is True, or the current record has "
                                          "been deleted."),
                           QStringLiteral("RowSet.Fields"));
    }
    return *row;
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
    const Row* found = FindRow(row);
    return found && static_cast<size_t>(column) < found->size()
               ? (*found)[static_cast<size_t>(column)]
               : emptyValue();
}
