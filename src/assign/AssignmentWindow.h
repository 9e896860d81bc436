#pragma once

#include "platform/widgets/KeyedTree.h"

#include <QDialog>
#include <QPointer>
#include <memory>

namespace ClassPharvel {
class Pharvel;
}
class FlexGrid;
class GridPair;
class RowSet;

// What the two assignment windows share around their grid pair: the catalogue component they
// move entries through, the opening that starts the controls afresh, the close that asks about
// ticked rows first and lets go of both row sets, and the main window's tree they keep in step.
class AssignmentWindow : public QDialog
{
    Q_OBJECT

public:
    explicit AssignmentWindow(ClassPharvel::Pharvel& pharvel, QWidget* parent = nullptr)
        : QDialog(parent), m_pharvel(pharvel)
    {}

    KeyedTree* treList() const { return m_treList.data(); }
    void SetTreList(KeyedTree* tree) { m_treList = tree; }
    GridPair& Grids() const { return *m_grids; }

    // Each opening: the window's controls back to their first state and both grids loaded.
    virtual void Form_Load() = 0;

protected:
    ClassPharvel::Pharvel& m_pharvel;

    void showEvent(QShowEvent* event) override;
    // Refused while the user chooses to process the ticked rows first.
    void done(int result) override;

    // The tree, or an error naming source when the window was opened without one.
    KeyedTree& Tree(const QString& source) const;
    // The row set bound to grid 1 (first) or grid 2.
    std::shared_ptr<RowSet>& BoundRows(bool first) { return m_rowSets[first ? 0 : 1]; }
    // The start of a reload of grid 1 (first) or grid 2: its drawing suspended, its rows
    // cleared and its row set closed. Returns the grid.
    FlexGrid& BeginReload(bool first);
    // Set by the window's constructor once its controls exist.
    void SetGrids(GridPair* grids, FlexGrid* grid1, FlexGrid* grid2);

private:
    void CloseRowSets();

    GridPair* m_grids = nullptr;
    FlexGrid* m_grid1 = nullptr;
    FlexGrid* m_grid2 = nullptr;
    std::shared_ptr<RowSet> m_rowSets[2];
    QPointer<KeyedTree> m_treList;
};
