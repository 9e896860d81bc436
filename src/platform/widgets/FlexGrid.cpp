#include "platform/widgets/FlexGrid.h"

#include "platform/db/PharvelError.h"
#include "platform/widgets/FlexCellDelegate.h"
#include "platform/widgets/FlexGridModel.h"
#include "platform/widgets/Twips.h"
#include "platform/widgets/WidgetErrors.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

FlexGrid::FlexGrid(QWidget* parent) : QTableView(parent), m_model(new FlexGridModel(this))
{
    setModel(m_model);
    setItemDelegate(new FlexCellDelegate(this));
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setMouseTracking(true);
    setWordWrap(false);
    // Tab leaves the grid for the window's next control; the arrow keys move inside it.
    setTabKeyNavigation(false);

    // One fixed row height: sizing 20,000 rows to their contents would cost a visible pause.
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(std::max(fontMetrics().height() + 4, 18));

    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    // A check column of 250 twips is narrower than the style's usual minimum.
    horizontalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setMouseTracking(true);
    horizontalHeader()->viewport()->setMouseTracking(true);
    horizontalHeader()->viewport()->installEventFilter(this);

    connect(m_model, &QAbstractItemModel::modelReset, this, &FlexGrid::AfterModelReset);
    AfterModelReset();
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
    m_row = std::min(1, Rows() - 1);
    m_col = std::min(FixedCols(), std::max(Cols() - 1, 0));
    ShowCurrentCell();
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
    m_model->TextMatrix(row, std::max(m_col, 0)); // refuses a row that is not there
    MoveCurrentCell(row, m_col);
}

void FlexGrid::SetCol(int col)
{
    RequireCol(col);
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

void FlexGrid::RequireCol(int col) const
{
    if (col < 0 || col >= Cols()) {
        throw PharvelError(ErrorNumber::SubscriptOutOfRange, tr("Subscript out of range"),
                           QStringLiteral("FlexGrid.Col(%1)").arg(col));
    }
}

int FlexGrid::ColWidth(int col) const
{
    RequireCol(col);
    const int twips = m_colWidths.at(col);
    return twips >= 0 ? twips : Twips::FromPixels(horizontalHeader()->defaultSectionSize(), this);
}

void FlexGrid::SetColWidth(int col, int twips)
{
    RequireCol(col);
    m_colWidths[col] = std::max(twips, 0);
    ApplyColumnWidths();
}

void FlexGrid::ApplyColumnWidths()
{
    QHeaderView* header = horizontalHeader();
    for (int col = 0; col < m_colWidths.size(); ++col) {
        const int twips = m_colWidths.at(col);
        setColumnHidden(col, twips == 0);
        if (twips > 0)
            header->resizeSection(col, Twips::ToPixels(twips, this));
        else if (twips < 0)
            header->resizeSection(col, header->defaultSectionSize());
    }
}

// A reset (rows, columns, binding or clearing changed) keeps the widths of the columns that are
// still there and a current cell inside the grid.
void FlexGrid::AfterModelReset()
{
    m_colWidths.resize(Cols(), -1);
    ApplyColumnWidths();
    m_row = std::clamp(m_row, 0, Rows() - 1);
    m_col = std::clamp(m_col, 0, std::max(Cols() - 1, 0));
    ShowCurrentCell();
}

void FlexGrid::MoveCurrentCell(int row, int col)
{
    if (row == m_row && col == m_col)
        return;
    emit LeaveCell();
    m_row = row;
    m_col = col;
    ShowCurrentCell();
    emit EnterCell();
}

void FlexGrid::ShowCurrentCell()
{
    m_settingCurrent = true;
    const QModelIndex cell = m_row >= 1 ? m_model->index(m_row - 1, m_col) : QModelIndex();
    selectionModel()->setCurrentIndex(cell, QItemSelectionModel::NoUpdate);
    m_settingCurrent = false;
}

void FlexGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    if (m_settingCurrent) {
        // Moved by the program: as the grid control does, the view does not scroll to it.
        update(previous);
        update(current);
        return;
    }
    QTableView::currentChanged(current, previous);
    if (current.isValid())
        MoveCurrentCell(current.row() + 1, current.column());
}

// A click, a key or the grid's type-ahead search moves the current cell, and the view follows
// it up and down only: a name column wider than the view would otherwise push the check column
// out of sight, and the next clicks would tick nothing. Only the scroll bar moves sideways.
void FlexGrid::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    QScrollBar* sideways = horizontalScrollBar();
    const int column = sideways->value();
    QTableView::scrollTo(index, hint);
    sideways->setValue(column);
}

void FlexGrid::TrackMouse(const QPoint& viewportPos)
{
    const int row = rowAt(viewportPos.y());
    const int col = columnAt(viewportPos.x());
    const bool overCell = row >= 0 && col >= 0;
    m_mouseRow = overCell ? row + 1 : -1;
    m_mouseCol = overCell ? col : -1;
}

bool FlexGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == horizontalHeader()->viewport() &&
        (event->type() == QEvent::MouseMove || event->type() == QEvent::MouseButtonPress)) {
        const int col = horizontalHeader()->logicalIndexAt(
            static_cast<QMouseEvent*>(event)->position().toPoint());
        m_mouseRow = col >= 0 ? 0 : -1;
        m_mouseCol = col;
    }
    return QTableView::eventFilter(watched, event);
}

void FlexGrid::mousePressEvent(QMouseEvent* event)
{
    TrackMouse(event->position().toPoint());
    QTableView::mousePressEvent(event);
}

void FlexGrid::mouseMoveEvent(QMouseEvent* event)
{
    TrackMouse(event->position().toPoint());
    QTableView::mouseMoveEvent(event);
}

void FlexGrid::mouseReleaseEvent(QMouseEvent* event)
{
    TrackMouse(event->position().toPoint());
    QTableView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        emit Click();
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

void FlexGrid::SetRedraw(bool redraw)
{
    m_redraw = redraw;
    m_model->HoldChangeNotices(!redraw);
    setUpdatesEnabled(redraw);
    if (redraw)
        viewport()->update();
}

int FlexGrid::TopRow() const
{
    return std::max(rowAt(0), 0) + 1;
}

void FlexGrid::SetTopRow(int row)
{
    m_model->TextMatrix(row, 0);
    if (row >= 1)
        scrollTo(m_model->index(row - 1, 0), QAbstractItemView::PositionAtTop);
}
