#include "catalogue/PharvelLayout.h"

#include <cmath>

namespace {

// Half of a width, as a whole number; an exact half goes to the even neighbour.
int HalfToEven(int twips)
{
    return static_cast<int>(std::nearbyint(twips / 2.0));
}

} // namespace

bool PharvelLayout::ControlsResize(int clientWidth, int clientHeight, int statusBarHeight)
{
    const int height = clientHeight - (statusBarHeight + kTreeHeightAllowance);
    if (height < 0)
        return false;
    tree.height = height;
    frame.height = height;
    back.height = height;
    splitter.height = height;

    if (!FitRightPane(clientWidth))
        return false;

    const int gridHeight = frame.height - buttons.height - kGridBottomMargin;
    if (gridHeight < 0)
        return false;
    grid.height = gridHeight;

    const int gridWidth = frame.width - kGridRightMargin;
    if (gridWidth < 0)
        return false;
    grid.width = gridWidth;

    const int column = HalfToEven(grid.width - kColumnReserve);
    if (column < 0)
        return false;
    gridColumns = {kCheckColumnWidth, column, column, 0, 0, 0};

    buttons.top = grid.top + grid.height;
    buttons.left = grid.left + grid.width - buttons.width;
    return true;
}

bool PharvelLayout::FitRightPane(int clientWidth)
{
    const int paneWidth = clientWidth - tree.width - kRightPaneMargin;
    if (paneWidth < 0)
        return false;
    frame.width = paneWidth;
    back.width = paneWidth;
    return true;
}

bool PharvelLayout::AdjustControls(int clientWidth)
{
    tree.width = tree.left + splitter.left - splitter.width;
    frame.left = splitter.left + splitter.width;
    back.left = frame.left;

    if (!FitRightPane(clientWidth))
        return false;
    const int gridWidth = frame.width - kGridRightMargin;
    if (gridWidth < 0)
        return false;
    grid.width = gridWidth;
    buttons.left = grid.left + grid.width - buttons.width;
    return true;
}

void PharvelLayout::SplitterDown(int x)
{
    m_dragging = true;
    dragBar = {splitter.left + x, splitter.top, splitter.width, splitter.height};
}

void PharvelLayout::SplitterMove(int x, int outerWidth)
{
    if (!m_dragging)
        return;
    const int pointer = splitter.left + x;
    if (pointer < kSplitterLimit)
        dragBar.left = kSplitterLimit;
    else if (pointer > outerWidth - kSplitterLimit)
        dragBar.left = outerWidth - kSplitterLimit;
    else
        dragBar.left = pointer;
}

void PharvelLayout::SplitterUp()
{
    splitter.left = dragBar.left;
    m_dragging = false;
}
