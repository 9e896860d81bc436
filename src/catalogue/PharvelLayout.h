#pragma once

#include "catalogue/TwipsBox.h"

#include <array>

// The geometry of the main window's panes, in twips: the tree on the left, the splitter, the
// background picture on the right and the (hidden) details frame over it, with the grid and
// the button strip inside that frame. The window lays its controls out from here; the sums are
// kept apart from the widgets so that they hold at any screen density.
class PharvelLayout
{
public:
    static constexpr int kTreeHeightAllowance = 750; // leaves 30 between tree and status bar
    static constexpr int kRightPaneMargin = 100;
    static constexpr int kGridBottomMargin = 250;
    static constexpr int kGridRightMargin = 125;
    static constexpr int kCheckColumnWidth = 250;
    static constexpr int kColumnReserve = 300;
    static constexpr int kSplitterLimit = 3000;
    static constexpr int kGridColumns = 6;

    // As the window is designed; the left and top of the tree and the tops of the splitter,
    // the picture and the frame never change.
    TwipsBox tree{60, 720, 3195, 4875};
    TwipsBox splitter{3240, 720, 75, 4815};
    TwipsBox dragBar{7560, 1260, 135, 1875};
    TwipsBox back{3300, 720, 4035, 4875};
    TwipsBox frame{2160, 5760, 3195, 2115};
    TwipsBox grid{60, 180, 3915, 3915};      // within the frame
    TwipsBox buttons{1680, 4140, 2295, 615}; // within the frame
    std::array<int, kGridColumns> gridColumns{};

    bool Dragging() const { return m_dragging; }

    // Fits the panes to a client area of this size. A step that would need a negative size
    // stops the layout there, the steps before it applied; the result says whether all ran.
    bool ControlsResize(int clientWidth, int clientHeight, int statusBarHeight);

    // After the splitter has moved: the tree reaches to it and the right pane starts after it.
    // Heights, the grid's columns and the strip's top wait for the next resize.
    bool AdjustControls(int clientWidth);

    // The splitter drag; x is the pointer's distance from the splitter's left edge. The drag bar
    // follows the pointer within the limits, and the panes move only at the release.
    void SplitterDown(int x);
    void SplitterMove(int x, int outerWidth);
    // The splitter goes where the drag bar is; AdjustControls then moves the panes.
    void SplitterUp();

private:
    bool FitRightPane(int clientWidth);

    bool m_dragging = false;
};
