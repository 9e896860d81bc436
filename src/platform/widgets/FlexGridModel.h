#pragma once

#include "platform/db/RowSet.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QHash>
#include <QPixmap>
#include <QVector>
#include <memory>

// The cells of a FlexGrid, counted as the windows count them: row 0 is the fixed header row and
// data rows are 1..Rows()-1; columns 0..FixedCols()-1 are fixed columns. A bound row set is read
// in place (its fields from column FixedCols() on, its field names in row 0); what the windows
// write into cells is kept sparsely as overrides, so binding 20,000 rows creates no per-cell
// objects. To Qt the model has Rows()-1 rows: the header row is its horizontal header.
class FlexGridModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    // Extra data roles: the picture drawn centred in a cell.
    static constexpr int PictureRole = Qt::UserRole + 1;

    explicit FlexGridModel(QObject* parent = nullptr);

    int Rows() const { return m_rows; }
    void SetRows(int rows); // at least 1 (the header row)
    int Cols() const { return m_cols; }
    void SetCols(int cols); // at least 0
    int FixedCols() const { return m_fixedCols; }
    void SetFixedCols(int fixedCols);

    // Binds the row set: Rows = records + 1 (one blank data row when it has none), Cols =
    // FixedCols + fields; every override is dropped. A null pointer unbinds.
    void SetRowSet(std::shared_ptr<const RowSet> rowSet);
    const std::shared_ptr<const RowSet>& BoundRowSet() const { return m_rowSet; }
    // Empties every cell (texts, pictures, colours) and unbinds; Rows and Cols stay.
    void Clear();

    // While held, changed cells are told to the views once, on release, as one change of the
    // block they span: a grid whose drawing is suspended re-marks 20,000 rows without a notice
    // for each cell.
    void HoldChangeNotices(bool hold);

    QString TextMatrix(int row, int col) const;
    void SetTextMatrix(int row, int col, const QString& text);
    QPixmap CellPicture(int row, int col) const;
    void SetCellPicture(int row, int col, const QPixmap& picture);
    QColor CellBackColor(int row, int col) const; // invalid when not set
    void SetCellBackColor(int row, int col, const QColor& color);
    QColor CellForeColor(int row, int col) const;
    void SetCellForeColor(int row, int col, const QColor& color);

    Qt::Alignment ColAlignment(int col) const;
    void SetColAlignment(int col, Qt::Alignment alignment);
    // "|<Drug Name |<Description |<Generic Name": one column per '|'-separated part, each part's
    // leading '<', '>' or '^' aligning its column left, right or centred, the rest its header.
    // Cols grows to the number of parts.
    void SetFormatString(const QString& format);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    using CellKey = quint64;
    static CellKey Key(int row, int col);
    bool IsCell(int row, int col) const;
    void RequireCell(int row, int col) const;
    QString BoundText(int row, int col) const;
    void CellChanged(int row, int col);
    template <class Map> void DropBeyond(Map& map, int rows, int cols);
    void TellHeldChanges();

    // The block of cells changed while notices are held (grid rows and columns).
    struct HeldChanges
    {
        bool holding = false;
        int firstRow = 0, lastRow = -1, firstCol = 0, lastCol = -1;
        int firstHeaderCol = 0, lastHeaderCol = -1;
    };

    int m_rows = 2;
    int m_cols = 2;
    int m_fixedCols = 1;
    std::shared_ptr<const RowSet> m_rowSet;
    int m_boundRecords = 0;
    QHash<CellKey, QString> m_texts;
    QHash<CellKey, QPixmap> m_pictures;
    QHash<CellKey, QColor> m_backColors;
    QHash<CellKey, QColor> m_foreColors;
    QVector<Qt::Alignment> m_alignments;
    HeldChanges m_held;
};
