#pragma once

#include <QString>

class FlexGrid;
class ImageList;

// The procedures every check-list grid shares. A row's tick is recorded only by the marker "@"
// in the hidden column 6; the picture in the check column mirrors it and is never read back.
namespace mdlPharvel {

inline constexpr int CheckColumn = 0;
inline constexpr int MarkerColumn = 6;
inline QString CheckMarker()
{
    return QStringLiteral("@");
}

// The current cell in the highlight colours (True) or the normal ones (False). Nothing happens
// on a grid without data rows.
void HighlightCell(FlexGrid& grid, bool blnHighlight);

// Unticks rows intFirstRow..Rows-1: the empty box (image 2 of imageList) in column intColumn and
// no marker. The current cell stays where it was. With blnRedraw the grid's drawing is suspended
// meanwhile and the grid drawn once at the end; without it the caller has suspended drawing.
void ClearChecks(FlexGrid& grid, const ImageList& imageList, int intColumn, int intFirstRow,
                 bool blnRedraw);

// True when some row's marker is exactly "@".
bool HasCheckedItems(const FlexGrid& grid);

} // namespace mdlPharvel
