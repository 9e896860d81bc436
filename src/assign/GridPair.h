#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <functional>

class FlexGrid;
class ImageList;
class QLineEdit;
class QPushButton;
class QWidget;

// What the two check-list grids of an assignment window share: ticking a row by a click in the
// check column or by the space key, the highlight of the current cell, the Clear Selection
// buttons, the search boxes, the rules that enable each grid's buttons and search frame, and the
// close prompt. Grids are numbered 1 (the items that can be moved in) and 2 (the items under the
// parent). The pair connects the controls' events itself; loading a grid and moving its ticked
// rows stay with the window.
//
// Each grid is Unticked (Clear Selection and move button disabled, search frame enabled) or
// Ticked (the reverse): a search frame is closed while its grid holds ticks, so the list cannot
// be reloaded under them.
class GridPair : public QObject
{
    Q_OBJECT

public:
    // One grid's controls; the window keeps ownership.
    struct Controls
    {
        FlexGrid* grid = nullptr;
        QPushButton* cmdClear = nullptr;
        QPushButton* cmdMove = nullptr;
        QWidget* fraSearch = nullptr;
        QLineEdit* txtSearch = nullptr;
    };

    struct Behaviour
    {
        // False for a window whose search frames always stay open: a search there may drop the
        // ticks under enabled buttons, so every click in a grid decides its buttons afresh.
        bool lockSearchWhileTicked = true;
        // Also highlight the current cell when a grid gains the focus.
        bool highlightOnFocus = false;
    };

    // The window's load operation: refills grid intWhichGrid for the search text, leaves every
    // row unticked and returns the number of rows loaded.
    using LoadOperation = std::function<int(int intWhichGrid, const QString& strSearchKey)>;

    GridPair(const ImageList& ilsCheckList, const Controls& grid1, const Controls& grid2,
             LoadOperation load, Behaviour behaviour, QObject* parent);

    const Controls& Grid(int intWhichGrid) const;
    bool SpaceKeyFlag() const { return m_spaceKey; }

    // The events, connected by the constructor; public so that tests can raise them.
    // A click toggles the current row when it was in the check column or raised by the space key.
    void flexMSHList_Click(int intWhichGrid);
    void flexMSHList_KeyDown(int intWhichGrid, int KeyCode);
    void cmdClear_Click(int intWhichGrid);
    // Every change of a search box's text reloads its grid, enabled only when rows were found.
    void txtSearch_Change(int intWhichGrid);

    // Sets the grid's Clear Selection and move buttons and its search frame from the ticks it
    // holds now, as after a reload of the window's own.
    void FollowTicks(int intWhichGrid);

    // The close prompt, for whatever closes the window: True cancels the close. With a tick in
    // either grid the user is asked whether to process the ticked items first; Yes keeps the
    // window open with its ticks.
    bool Form_QueryUnload();

private:
    Controls& GridControls(int intWhichGrid);
    void Connect(int intWhichGrid);
    void ToggleCurrentRow(Controls& controls);
    void SetTicked(Controls& controls, bool ticked);

    const ImageList& m_images;
    std::array<Controls, 2> m_grids;
    LoadOperation m_load;
    Behaviour m_behaviour;
    bool m_spaceKey = false;
};
