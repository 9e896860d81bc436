#include "platform/widgets/CheckListProcedures.h"

#include "platform/widgets/CheckListImages.h"
#include "platform/widgets/FlexGrid.h"

#include <QPalette>

namespace mdlPharvel {

namespace {

bool HasDataRows(const FlexGrid& grid)
{
    return grid.Rows() > 1;
}

} // namespace

void HighlightCell(FlexGrid& grid, bool blnHighlight)
{
    if (!HasDataRows(grid))
        return;
    // The highlighted cell's text takes the window-background colour, not the highlight-text
    // colour, so that it reads the same on every colour scheme the pharmacy's desktops use.
    const QPalette& palette = grid.palette();
    grid.SetCellBackColor(palette.color(blnHighlight ? QPalette::Highlight : QPalette::Base));
    grid.SetCellForeColor(palette.color(blnHighlight ? QPalette::Base : QPalette::Text));
}

void ClearChecks(FlexGrid& grid, const ImageList& imageList, int intColumn, int intFirstRow,
                 bool blnRedraw)
{
    if (!HasDataRows(grid))
        return;
    if (blnRedraw)
        grid.SetRedraw(false);
    // Cells are addressed directly rather than by moving the current cell down the grid, so the
    // user's current cell is untouched and no cell events are raised for every row.
    const QPixmap empty = imageList.Picture(CheckListImages::Empty);
    for (int row = intFirstRow; row < grid.Rows(); ++row) {
        grid.SetCellPicture(row, intColumn, empty);
        grid.SetTextMatrix(row, MarkerColumn, QString());
    }
    if (blnRedraw)
        grid.SetRedraw(true);
}

bool HasCheckedItems(const FlexGrid& grid)
{
    if (grid.Cols() <= MarkerColumn)
        return false;
    const QString marker = CheckMarker();
    for (int row = 0; row < grid.Rows(); ++row) {
        if (grid.TextMatrix(row, MarkerColumn) == marker)
            return true;
    }
    return false;
}

} // namespace mdlPharvel
