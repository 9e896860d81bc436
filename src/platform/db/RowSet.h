#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <map>
#include <memory>
#include <vector>

// A result whose record count is known before the first row is read: it is read forward from a
// cursor, and a grid can bind to it and read any row at random. Column names are matched without
// regard to letter case, since statements spell them both ways. A NULL reads as an empty value
// (an invalid QVariant, empty text).
//
// Most results are fetched whole. A long list that a grid shows a screenful at a time is read in
// pages instead, each page when one of its rows is first read: its count and first page come
// from the server at once, and a keystroke then costs one page whatever the length of the list.
class RowSet
{
public:
    using Row = std::vector<QVariant>;
    // Reads count rows of the result from row first on (fewer at its end). Raises PharvelError.
    using PageReader = std::function<std::vector<Row>(int first, int count)>;
    static constexpr int kPageRows = 100;

    RowSet() = default;
    RowSet(QStringList fieldNames, std::vector<Row> rows);
    // A result of recordCount rows read by pages; firstPage holds its first rows already read.
    RowSet(QStringList fieldNames, int recordCount, std::vector<Row> firstPage, PageReader reader);

    int RecordCount() const noexcept { return m_recordCount; }
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

    // Random access for grids and reports: row r, column c, without moving the cursor. A row of
    // a paged result not read yet is read with its page, which may raise PharvelError.
    const QVariant& At(int row, int column) const;
    int ColumnIndex(const QString& field) const; // -1 when there is no such column

private:
    int RequireColumn(const QString& field) const;
    const Row& CurrentRow() const;
    const Row* FindRow(int row) const;

    // The pages of a paged result, shared by its copies.
    struct Pages
    {
        PageReader reader;
        std::map<int, std::vector<Row>> read; // by page number
    };

    QStringList m_fields;
    std::vector<Row> m_rows; // a whole result
    std::shared_ptr<Pages> m_pages;
    int m_recordCount = 0;
    int m_position = 0;
    bool m_open = true;
};
