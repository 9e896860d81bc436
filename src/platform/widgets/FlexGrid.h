#pragma once

#include "platform/db/RowSet.h"

#include <QColor>
#include <QPixmap>
#include <QTableView>
#include <QVector>
#include <memory>

class FlexGridModel;

// The grid control of the windows (`flexMSHList1`, `flexMSHPharvel`, ...): cells counted as the
// windows count them (row 0 the header, data rows 1..Rows()-1), a current cell (Row, Col) that
// the cell properties act on, column widths in twips, a row set binding and suspended drawing.
// Rows have one fixed height.
//
// Events are signals: Click (after a mouse click, once the current cell has moved to it),
// EnterCell and LeaveCell (around every change of the current cell, by the user or by setting
// Row or Col: LeaveCell first, while the old cell is still current), GotFocus and KeyDown (Qt key
// code, modifiers).
class FlexGrid : public QTableView
{
    Q_OBJECT

public:
    explicit FlexGrid(QWidget* parent = nullptr);
    ~FlexGrid() override;

    int Rows() const;
    void SetRows(int rows);
    int Cols() const;
    void SetCols(int cols);
    int FixedCols() const;
    void SetFixedCols(int fixedCols);

    // Binds the row set: its fields from column FixedCols() on, its field names as row 0. The
    // grid shares the row set; the current cell goes to the first data cell.
    void SetRowSet(std::shared_ptr<const RowSet> rowSet);
    void Clear();
    void SetFormatString(const QString& format);

    QString TextMatrix(int row, int col) const;
    void SetTextMatrix(int row, int col, const QString& text);

    // The current cell. Setting it raises LeaveCell and EnterCell when it changes.
    int Row() const { return m_row; }
    void SetRow(int row);
    int Col() const { return m_col; }
    void SetCol(int col);

    QPixmap CellPicture() const;
    void SetCellPicture(const QPixmap& picture);
    void SetCellPicture(int row, int col, const QPixmap& picture);
    QColor CellBackColor() const;
    void SetCellBackColor(const QColor& color);
    QColor CellForeColor() const;
    void SetCellForeColor(const QColor& color);

    // Widths in twips. A width of 0 hides the column.
    int ColWidth(int col) const;
    void SetColWidth(int col, int twips);

    // The cell under the pointer at the last mouse event: row 0 over the header; both -1 where
    // the pointer was over no cell.
    int MouseRow() const { return m_mouseRow; }
    int MouseCol() const { return m_mouseCol; }

    // False suspends drawing; True draws the grid once and resumes.
    bool Redraw() const { return m_redraw; }
    void SetRedraw(bool redraw);

    // The first data row in view.
    int TopRow() const;
    void SetTopRow(int row);

    FlexGridModel* GridModel() const { return m_model; }

    // Brings the row into view; sideways the grid stays where its scroll bar is.
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

signals:
    void Click();
    void EnterCell();
    void LeaveCell();
    void GotFocus();
    void KeyDown(int keyCode, Qt::KeyboardModifiers shift);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void MoveCurrentCell(int row, int col);
    void ShowCurrentCell();
    void TrackMouse(const QPoint& viewportPos);
    void AfterModelReset();
    void ApplyColumnWidths();
    void RequireCol(int col) const;

    FlexGridModel* m_model;
    QVector<int> m_colWidths; // twips; -1 = the default width
    int m_row = 1;
    int m_col = 1;
    int m_mouseRow = 0;
    int m_mouseCol = 0;
    bool m_redraw = true;
    bool m_settingCurrent = false;
};
