#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

// A result fetched whole to the client: its record count is known before the first row is read,
// it is read forward from a cursor, and a grid can bind to it and read any row at random.
// Column names are matched without regard to letter case, since statements spell them both ways.
// A NULL reads as an empty value (an invalid QVariant, empty text).
class RowSet
{
public:
    using Row = std::vector<QVariant>;

    RowSet() = default;
    RowSet(QStringList fieldNames, std::vector<Row> rows);

    int RecordCount() const noexcept { return static_cast<int>(m_rows.size()); }
    int FieldCount() const noexcept { return static_cast<int>(m_fields.size()); }
    const QStringList& FieldNames() const noexcept { return m_fields; }
    QString FieldName(int column) const { return m_fields.value(column); }

    // The cursor.
    bool IsOpen() const noexcept { return m_open; }
    bool AtEnd() const noexcept { return !m_open || m_position >= RecordCount(); }
    void MoveFirst() noexcept { m_position = 0; }
    void MoveNext() noexcept;
    int Position() const noexcept { return m_position; }
    void Close() noexcept;

    // Values of the current row, by name or position. An unknown column raises PharvelError.
    QVariant Value(const QString& field) const;
    QVariant Value(int column) const;
    QString Text(const QString& field) const { return Value(field).toString(); }
    QString Text(int column) const { return Value(column).toString(); }
    bool IsNull(const QString& field) const { return Value(field).isNull(); }

    // Random access for grids and reports: row r, column c, without moving the cursor.
    const QVariant& At(int row, int column) const;
    int ColumnIndex(const QString& field) const; // -1 when there is no such column

private:
    int RequireColumn(const QString& field) const;
    const Row& CurrentRow() const;

    QStringList m_fields;
    std::vector<Row> m_rows;
    int m_position = 0;
    bool m_open = true;
};
