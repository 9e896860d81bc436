#include "platform/widgets/FlexGrid.h"

#include "platform/widgets/CellPictureDelegate.h"
#include "platform/widgets/FlexGridModel.h"
#include "platform/widgets/Twips.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

namespace {
constexpr int DefaultColWidthTwips = 960;

// Qt's model has the data rows only; the grid's row 0 is the model's horizontal header.
int ModelRow(int gridRow)
{
    return gridRow - 1;
}
} // namespace

FlexGrid::FlexGrid(QWidget* parent) : QTableView(parent), m_model(new FlexGridModel(this))
{
    setModel(m_model);
    setItemDelegate(new CellPictureDelegate(this));
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setMouseTracking(true);
    verticalHeader()->hide();
    // One fixed row height: sizing 20,000 rows to their contents would cost a visible pause.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    // Widths are the windows' own: a narrow check column must not grow to the style's minimum.
    horizontalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        ApplyColumnWidths();
        m_row = std::clamp(m_row, 1, std::max(1, Rows() - 1));
        m_col = std::clamp(m_col, 0, std::max(0, Cols() - 1));
        // A reset leaves Qt without a current index; the first focus or key would then pick
        // cell (1, 0) on its own and move the current cell behind the window's back.
        ShowCurrentCell();
    });
    ApplyColumnWidths();
}

FlexGrid::~FlexGrid() = default;

int FlexGrid::Rows() const
{
    return m_model->Rows();
}

void FlexGrid::SetRows(int rows)
{
    m_model->SetRows(rows);
}

int FlexGrid::Cols() const
{
    return m_model->Cols();
}

void FlexGrid::SetCols(int cols)
{
    m_model->SetCols(cols);
}

int FlexGrid::FixedCols() const
{
    return m_model->FixedCols();
}

void FlexGrid::SetFixedCols(int fixedCols)
{
    m_model->SetFixedCols(fixedCols);
}

void FlexGrid::SetRowSet(std::shared_ptr<const RowSet> rowSet)
{
    m_model->SetRowSet(std::move(rowSet));
    CurrentCellToFirstDataCell();
}

void FlexGrid::Clear()
{
    m_model->Clear();
}

void FlexGrid::SetFormatString(const QString& format)
{
    m_model->SetFormatString(format);
}

QString FlexGrid::TextMatrix(int row, int col) const
{
    return m_model->TextMatrix(row, col);
}

void FlexGrid::SetTextMatrix(int row, int col, const QString& text)
{
    m_model->SetTextMatrix(row, col, text);
}

void FlexGrid::SetRow(int row)
{
    MoveCurrentCell(row, m_col);
}

void FlexGrid::SetCol(int col)
{
    MoveCurrentCell(m_row, col);
}

QPixmap FlexGrid::CellPicture() const
{
    return m_model->CellPicture(m_row, m_col);
}

void FlexGrid::SetCellPicture(const QPixmap& picture)
{
    m_model->SetCellPicture(m_row, m_col, picture);
}

void FlexGrid::SetCellPicture(int row, int col, const QPixmap& picture)
{
    m_model->SetCellPicture(row, col, picture);
}

QColor FlexGrid::CellBackColor() const
{
    return m_model->CellBackColor(m_row, m_col);
}

void FlexGrid::SetCellBackColor(const QColor& color)
{
    m_model->SetCellBackColor(m_row, m_col, color);
}

QColor FlexGrid::CellForeColor() const
{
    return m_model->CellForeColor(m_row, m_col);
}

void FlexGrid::SetCellForeColor(const QColor& color)
{
    m_model->SetCellForeColor(m_row, m_col, color);
}

int FlexGrid::ColWidth(int col) const
{
    if (col < 0 || col >= Cols())
        return 0;
    const int twips = col < m_colWidths.size() ? m_colWidths.at(col) : -1;
    return twips < 0 ? DefaultColWidthTwips : twips;
}

void FlexGrid::SetColWidth(int col, int twips)
{
    if (col < 0)
        return;
    if (col >= m_colWidths.size())
        m_colWidths.resize(col + 1, -1);
    m_colWidths[col] = std::max(twips, 0);
    ApplyColumnWidths();
}

void FlexGrid::ApplyColumnWidths()
{
    for (int col = 0; col < Cols(); ++col) {
        const int twips = ColWidth(col);
        setColumnHidden(col, twips == 0);
        if (twips > 0)
            setColumnWidth(col, Twips::ToPixels(twips, this));
    }
}

void FlexGrid::SetRedraw(bool redraw)
{
    m_redraw = redraw;
    setUpdatesEnabled(redraw);
    if (redraw)
        viewport()->update();
}

int FlexGrid::TopRow() const
{
    const int modelRow = rowAt(0);
    return modelRow < 0 ? 1 : modelRow + 1;
}

void FlexGrid::SetTopRow(int row)
{
    const QModelIndex index = m_model->index(ModelRow(row), std::max(0, m_col));
    if (index.isValid())
        scrollTo(index, QAbstractItemView::PositionAtTop);
}

void FlexGrid::CurrentCellToFirstDataCell()
{
    MoveCurrentCell(1, std::min(FixedCols(), std::max(0, Cols() - 1)));
}

void FlexGrid::MoveCurrentCell(int row, int col)
{
    row = std::clamp(row, 0, std::max(0, Rows() - 1));
    col = std::clamp(col, 0, std::max(0, Cols() - 1));
    if (row == m_row && col == m_col)
        return;
    emit LeaveCell();
    m_row = row;
    m_col = col;
    ShowCurrentCell();
    emit EnterCell();
}

// Keeps Qt's current index on the grid's current cell, without raising the cell events twice.
void FlexGrid::ShowCurrentCell()
{
    const QModelIndex index = m_model->index(ModelRow(m_row), m_col);
    if (!index.isValid())
        return;
    m_settingCurrent = true;
    setCurrentIndex(index);
    m_settingCurrent = false;
}

void FlexGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    if (m_settingCurrent || !current.isValid())
        return;
    MoveCurrentCell(current.row() + 1, current.column());
}

void FlexGrid::TrackMouse(const QPoint& viewportPos)
{
    const int modelRow = rowAt(viewportPos.y());
    const int col = columnAt(viewportPos.x());
    m_mouseRow = modelRow < 0 ? 0 : modelRow + 1;
    m_mouseCol = col < 0 ? 0 : col;
}

void FlexGrid::mousePressEvent(QMouseEvent* event)
{
    TrackMouse(event->position().toPoint());
    QTableView::mousePressEvent(event);
}

void FlexGrid::mouseReleaseEvent(QMouseEvent* event)
{
    TrackMouse(event->position().toPoint());
    QTableView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid())
        emit Click();
}

void FlexGrid::mouseMoveEvent(QMouseEvent* event)
{
    TrackMouse(event->position().toPoint());
    QTableView::mouseMoveEvent(event);
}

void FlexGrid::keyPressEvent(QKeyEvent* event)
{
    emit KeyDown(event->key(), event->modifiers());
    QTableView::keyPressEvent(event);
}

void FlexGrid::focusInEvent(QFocusEvent* event)
{
    QTableView::focusInEvent(event);
    emit GotFocus();
}

bool FlexGrid::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::Leave) {
        m_mouseRow = 0;
        m_mouseCol = 0;
    }
    return QTableView::viewportEvent(event);
}
