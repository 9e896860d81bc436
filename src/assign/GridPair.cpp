#include "assign/GridPair.h"

#include "platform/widgets/CheckListImages.h"
#include "platform/widgets/CheckListProcedures.h"
#include "platform/widgets/ErrorHandler.h"
#include "platform/widgets/FlexGrid.h"
#include "platform/widgets/MsgBox.h"

#include <QLineEdit>
#include <QPushButton>
#include <utility>

GridPair::GridPair(const ImageList& ilsCheckList, const Controls& grid1, const Controls& grid2,
                   LoadOperation load, Behaviour behaviour, QObject* parent)
    : QObject(parent), m_images(ilsCheckList), m_grids{grid1, grid2}, m_load(std::move(load)),
      m_behaviour(behaviour)
{
    Connect(1);
    Connect(2);
}

const GridPair::Controls& GridPair::Grid(int intWhichGrid) const
{
    return m_grids[intWhichGrid == 1 ? 0 : 1];
}

GridPair::Controls& GridPair::GridControls(int intWhichGrid)
{
    return m_grids[intWhichGrid == 1 ? 0 : 1];
}

void GridPair::Connect(int intWhichGrid)
{
    const Controls& controls = Grid(intWhichGrid);
    FlexGrid* grid = controls.grid;
    const auto guarded = [this, intWhichGrid](void (GridPair::*handler)(int)) {
        return [this, intWhichGrid, handler] { Guarded([&] { (this->*handler)(intWhichGrid); }); };
    };
    connect(grid, &FlexGrid::Click, this, guarded(&GridPair::flexMSHList_Click));
    connect(grid, &FlexGrid::KeyDown, this, [this, intWhichGrid](int keyCode) {
        Guarded([&] { flexMSHList_KeyDown(intWhichGrid, keyCode); });
    });
    connect(grid, &FlexGrid::EnterCell, this,
            [grid] { Guarded([&] { mdlPharvel::HighlightCell(*grid, true); }); });
    connect(grid, &FlexGrid::LeaveCell, this,
            [grid] { Guarded([&] { mdlPharvel::HighlightCell(*grid, false); }); });
    if (m_behaviour.highlightOnFocus) {
        connect(grid, &FlexGrid::GotFocus, this,
                [grid] { Guarded([&] { mdlPharvel::HighlightCell(*grid, true); }); });
    }
    connect(controls.cmdClear, &QPushButton::clicked, this, guarded(&GridPair::cmdClear_Click));
    connect(controls.txtSearch, &QLineEdit::textChanged, this,
            guarded(&GridPair::txtSearch_Change));
}

void GridPair::flexMSHList_Click(int intWhichGrid)
{
    Controls& controls = GridControls(intWhichGrid);
    const FlexGrid& grid = *controls.grid;
    // A click elsewhere only moves the current cell; the header row holds no tick.
    const bool inCheckColumn = grid.MouseCol() == mdlPharvel::CheckColumn && grid.MouseRow() >= 1;
    if (inCheckColumn || m_spaceKey) {
        ToggleCurrentRow(controls);
        m_spaceKey = false;
    } else if (!m_behaviour.lockSearchWhileTicked) {
        SetTicked(controls, mdlPharvel::HasCheckedItems(grid));
    }
}

void GridPair::flexMSHList_KeyDown(int intWhichGrid, int KeyCode)
{
    if (KeyCode != Qt::Key_Space) {
        m_spaceKey = false;
        return;
    }
    m_spaceKey = true;
    flexMSHList_Click(intWhichGrid);
}

void GridPair::ToggleCurrentRow(Controls& controls)
{
    FlexGrid& grid = *controls.grid;
    const int row = grid.Row();
    if (grid.TextMatrix(row, mdlPharvel::MarkerColumn) != mdlPharvel::CheckMarker()) {
        grid.SetCellPicture(row, mdlPharvel::CheckColumn,
                            m_images.Picture(CheckListImages::Ticked));
        grid.SetTextMatrix(row, mdlPharvel::MarkerColumn, mdlPharvel::CheckMarker());
        SetTicked(controls, true);
    } else {
        grid.SetCellPicture(row, mdlPharvel::CheckColumn, m_images.Picture(CheckListImages::Empty));
        grid.SetTextMatrix(row, mdlPharvel::MarkerColumn, QString());
        SetTicked(controls, mdlPharvel::HasCheckedItems(grid));
    }
}

void GridPair::SetTicked(Controls& controls, bool ticked)
{
    controls.cmdClear->setEnabled(ticked);
    controls.cmdMove->setEnabled(ticked);
    if (m_behaviour.lockSearchWhileTicked)
        controls.fraSearch->setEnabled(!ticked);
}

void GridPair::cmdClear_Click(int intWhichGrid)
{
    Controls& controls = GridControls(intWhichGrid);
    mdlPharvel::ClearChecks(*controls.grid, m_images, mdlPharvel::CheckColumn, 1, true);
    SetTicked(controls, false);
}

void GridPair::txtSearch_Change(int intWhichGrid)
{
    const Controls& controls = Grid(intWhichGrid);
    const int intCount = m_load(intWhichGrid, controls.txtSearch->text());
    controls.grid->setEnabled(intCount > 0);
}

void GridPair::FollowTicks(int intWhichGrid)
{
    Controls& controls = GridControls(intWhichGrid);
    SetTicked(controls, mdlPharvel::HasCheckedItems(*controls.grid));
}

bool GridPair::Form_QueryUnload()
{
    if (!mdlPharvel::HasCheckedItems(*Grid(2).grid) && !mdlPharvel::HasCheckedItems(*Grid(1).grid))
        return false;
    return MsgBox::Show(tr("You checked some items. Would you like to process them first."),
                        MsgBox::Icon::Information, MsgBox::Buttons::YesNo) == MsgBox::Answer::Yes;
}
