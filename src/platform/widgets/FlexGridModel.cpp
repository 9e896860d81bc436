#include "platform/widgets/FlexGridModel.h"

#include "platform/db/PharvelError.h"
#include "platform/widgets/WidgetErrors.h"

#include <utility>

namespace {
constexpr int HeaderRow = 0;
} // namespace

FlexGridModel::FlexGridModel(QObject* parent) : QAbstractTableModel(parent)
{
    // A reset tells the views of every cell, the held ones too.
    connect(this, &QAbstractItemModel::modelReset, this, [this] {
        const bool holding = m_held.holding;
        m_held = HeldChanges();
        m_held.holding = holding;
    });
}

FlexGridModel::CellKey FlexGridModel::Key(int row, int col)
{
    return (static_cast<CellKey>(static_cast<quint32>(row)) << 32) | static_cast<quint32>(col);
}

bool FlexGridModel::IsCell(int row, int col) const
{
    return row >= 0 && row < m_rows && col >= 0 && col < m_cols;
}

// Cells outside the grid are refused as the grid control refuses them, so that a window that
// addresses a cell that is not there learns of it instead of writing nowhere.
void FlexGridModel::RequireCell(int row, int col) const
{
    if (!IsCell(row, col)) {
        throw PharvelError(ErrorNumber::SubscriptOutOfRange, tr("Subscript out of range"),
                           QStringLiteral("FlexGrid.TextMatrix(%1, %2)").arg(row).arg(col));
    }
}

template <class Map> void FlexGridModel::DropBeyond(Map& map, int rows, int cols)
{
    for (auto it = map.begin(); it != map.end();) {
        const int row = static_cast<int>(it.key() >> 32);
        const int col = static_cast<int>(it.key() & 0xffffffffu);
        it = (row >= rows || col >= cols) ? map.erase(it) : std::next(it);
    }
}

void FlexGridModel::SetRows(int rows)
{
    rows = std::max(rows, 1);
    if (rows == m_rows)
        return;
    beginResetModel();
    m_rows = rows;
    m_boundRecords = std::min(m_boundRecords, rows - 1);
    DropBeyond(m_texts, m_rows, m_cols);
    DropBeyond(m_pictures, m_rows, m_cols);
    DropBeyond(m_backColors, m_rows, m_cols);
    DropBeyond(m_foreColors, m_rows, m_cols);
    endResetModel();
}

void FlexGridModel::SetCols(int cols)
{
    cols = std::max(cols, 0);
    if (cols == m_cols)
        return;
    beginResetModel();
    m_cols = cols;
    m_fixedCols = std::min(m_fixedCols, cols);
    DropBeyond(m_texts, m_rows, m_cols);
    DropBeyond(m_pictures, m_rows, m_cols);
    DropBeyond(m_backColors, m_rows, m_cols);
    DropBeyond(m_foreColors, m_rows, m_cols);
    m_alignments.resize(std::min<qsizetype>(m_alignments.size(), cols));
    endResetModel();
}

void FlexGridModel::SetFixedCols(int fixedCols)
{
    beginResetModel();
    m_fixedCols = std::clamp(fixedCols, 0, m_cols);
    endResetModel();
}

void FlexGridModel::SetRowSet(std::shared_ptr<const RowSet> rowSet)
{
    beginResetModel();
    m_rowSet = std::move(rowSet);
    m_texts.clear();
    m_pictures.clear();
    m_backColors.clear();
    m_foreColors.clear();
    m_boundRecords = m_rowSet ? m_rowSet->RecordCount() : 0;
    if (m_rowSet) {
        m_rows = 1 + std::max(m_boundRecords, 1);
        m_cols = m_fixedCols + m_rowSet->FieldCount();
    }
    endResetModel();
}

void FlexGridModel::Clear()
{
    beginResetModel();
    m_rowSet.reset();
    m_boundRecords = 0;
    m_texts.clear();
    m_pictures.clear();
    m_backColors.clear();
    m_foreColors.clear();
    endResetModel();
}

QString FlexGridModel::BoundText(int row, int col) const
{
    if (!m_rowSet || col < m_fixedCols)
        return {};
    const int field = col - m_fixedCols;
    if (row == HeaderRow)
        return m_rowSet->FieldName(field);
    if (row - 1 >= m_boundRecords)
        return {};
    return m_rowSet->At(row - 1, field).toString();
}

QString FlexGridModel::TextMatrix(int row, int col) const
{
    RequireCell(row, col);
    const auto it = m_texts.constFind(Key(row, col));
    return it != m_texts.constEnd() ? *it : BoundText(row, col);
}

void FlexGridModel::SetTextMatrix(int row, int col, const QString& text)
{
    RequireCell(row, col);
    m_texts.insert(Key(row, col), text);
    CellChanged(row, col);
}

QPixmap FlexGridModel::CellPicture(int row, int col) const
{
    RequireCell(row, col);
    return m_pictures.value(Key(row, col));
}

void FlexGridModel::SetCellPicture(int row, int col, const QPixmap& picture)
{
    RequireCell(row, col);
    if (picture.isNull())
        m_pictures.remove(Key(row, col));
    else
        m_pictures.insert(Key(row, col), picture);
    CellChanged(row, col);
}

QColor FlexGridModel::CellBackColor(int row, int col) const
{
    RequireCell(row, col);
    return m_backColors.value(Key(row, col));
}

void FlexGridModel::SetCellBackColor(int row, int col, const QColor& color)
{
    RequireCell(row, col);
    m_backColors.insert(Key(row, col), color);
    CellChanged(row, col);
}

QColor FlexGridModel::CellForeColor(int row, int col) const
{
    RequireCell(row, col);
    return m_foreColors.value(Key(row, col));
}

void FlexGridModel::SetCellForeColor(int row, int col, const QColor& color)
{
    RequireCell(row, col);
    m_foreColors.insert(Key(row, col), color);
    CellChanged(row, col);
}

void FlexGridModel::HoldChangeNotices(bool hold)
{
    if (hold == m_held.holding)
        return;
    m_held.holding = hold;
    if (!hold)
        TellHeldChanges();
}

void FlexGridModel::TellHeldChanges()
{
    const HeldChanges held = std::exchange(m_held, HeldChanges{});
    if (held.firstHeaderCol <= held.lastHeaderCol)
        emit headerDataChanged(Qt::Horizontal, held.firstHeaderCol, held.lastHeaderCol);
    if (held.firstRow <= held.lastRow)
        emit dataChanged(index(held.firstRow - 1, held.firstCol),
                         index(held.lastRow - 1, held.lastCol));
}

void FlexGridModel::CellChanged(int row, int col)
{
    if (m_held.holding) {
        HeldChanges& h = m_held;
        if (row == HeaderRow) {
            h.firstHeaderCol =
                h.firstHeaderCol <= h.lastHeaderCol ? std::min(h.firstHeaderCol, col) : col;
            h.lastHeaderCol = std::max(h.lastHeaderCol, col);
        } else {
            const bool first = h.firstRow > h.lastRow;
            h.firstRow = first ? row : std::min(h.firstRow, row);
            h.lastRow = std::max(h.lastRow, row);
            h.firstCol = first ? col : std::min(h.firstCol, col);
            h.lastCol = first ? col : std::max(h.lastCol, col);
        }
        return;
    }
    if (row == HeaderRow) {
        emit headerDataChanged(Qt::Horizontal, col, col);
        return;
    }
    const QModelIndex cell = index(row - 1, col);
    emit dataChanged(cell, cell);
}

Qt::Alignment FlexGridModel::ColAlignment(int col) const
{
    return m_alignments.value(col, Qt::AlignLeft) | Qt::AlignVCenter;
}

void FlexGridModel::SetColAlignment(int col, Qt::Alignment alignment)
{
    RequireCell(HeaderRow, col);
    if (m_alignments.size() <= col)
        m_alignments.resize(col + 1, Qt::AlignLeft);
    m_alignments[col] = alignment & Qt::AlignHorizontal_Mask;
    if (m_rows > 1)
        emit dataChanged(index(0, col), index(m_rows - 2, col));
    emit headerDataChanged(Qt::Horizontal, col, col);
}

void FlexGridModel::SetFormatString(const QString& format)
{
    const QStringList parts = format.split(QLatin1Char('|'));
    if (parts.size() > m_cols)
        SetCols(static_cast<int>(parts.size()));
    for (int col = 0; col < parts.size(); ++col) {
        QString caption = parts.at(col);
        Qt::Alignment alignment = Qt::AlignLeft;
        if (caption.startsWith(QLatin1Char('<'))) {
            caption.remove(0, 1);
        } else if (caption.startsWith(QLatin1Char('>'))) {
            alignment = Qt::AlignRight;
            caption.remove(0, 1);
        } else if (caption.startsWith(QLatin1Char('^'))) {
            alignment = Qt::AlignHCenter;
            caption.remove(0, 1);
        }
        SetColAlignment(col, alignment);
        SetTextMatrix(HeaderRow, col, caption);
    }
}

int FlexGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows - 1;
}

int FlexGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_cols;
}

QVariant FlexGridModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const int row = index.row() + 1;
    const int col = index.column();
    switch (role) {
    case Qt::DisplayRole:
        // A page of a bound row set that cannot be read now leaves its cells blank on the
        // screen rather than failing the paint; the window's own reads still raise the error.
        try {
            return TextMatrix(row, col);
        } catch (const PharvelError& error) {
            qWarning("%s", error.what());
            return {};
        }
    case PictureRole: {
        const auto it = m_pictures.constFind(Key(row, col));
        return it != m_pictures.constEnd() ? QVariant(*it) : QVariant();
    }
    case Qt::BackgroundRole: {
        const auto it = m_backColors.constFind(Key(row, col));
        return it != m_backColors.constEnd() ? QVariant(*it) : QVariant();
    }
    case Qt::ForegroundRole: {
        const auto it = m_foreColors.constFind(Key(row, col));
        return it != m_foreColors.constEnd() ? QVariant(*it) : QVariant();
    }
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(ColAlignment(col));
    default:
        return {};
    }
}

QVariant FlexGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_cols)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return TextMatrix(HeaderRow, section);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(ColAlignment(section));
    return {};
}

Qt::ItemFlags FlexGridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}
