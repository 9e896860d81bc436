#include "assign/AssignmentWindow.h"

#include "assign/GridPair.h"
#include "platform/db/PharvelError.h"
#include "platform/db/RowSet.h"
#include "platform/widgets/ErrorHandler.h"
#include "platform/widgets/FlexGrid.h"

#include <QShowEvent>

void AssignmentWindow::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        Guarded([this] { Form_Load(); });
    QDialog::showEvent(event);
}

void AssignmentWindow::done(int result)
{
    if (m_grids->Form_QueryUnload())
        return;
    for (FlexGrid* grid : {m_grid1, m_grid2})
        grid->Clear();
    CloseRowSets();
    QDialog::done(result);
}

KeyedTree& AssignmentWindow::Tree(const QString& source) const
{
    if (!m_treList)
        throw PharvelError(ErrorNumber::DatabaseError,
                           tr("The window was opened without the catalogue tree."), source);
    return *m_treList;
}

FlexGrid& AssignmentWindow::BeginReload(bool first)
{
    FlexGrid& grid = first ? *m_grid1 : *m_grid2;
    grid.SetRedraw(false);
    grid.Clear();
    if (const std::shared_ptr<RowSet>& rowSet = BoundRows(first); rowSet && rowSet->IsOpen())
        rowSet->Close();
    return grid;
}

void AssignmentWindow::SetGrids(GridPair* grids, FlexGrid* grid1, FlexGrid* grid2)
{
    m_grids = grids;
    m_grid1 = grid1;
    m_grid2 = grid2;
}

void AssignmentWindow::CloseRowSets()
{
    for (std::shared_ptr<RowSet>& rowSet : m_rowSets) {
        if (rowSet && rowSet->IsOpen())
            rowSet->Close();
        rowSet.reset();
    }
}
