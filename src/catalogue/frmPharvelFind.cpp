// "&Find Entry" in the main window: the find window, and the walk that opens the tree down the
// trace it leaves.
#include "catalogue/frmPharvel.h"
#include "find/TraceQuery.h"
#include "find/frmFind.h"
#include "platform/widgets/KeyedTree.h"

#include <QLabel>

namespace {
const QString kFindEntrySource = QStringLiteral("frmPharvel.mnuFindEntry");
}

void frmPharvel::mnuFindEntry_Click()
{
    // One find window for the run, on the connection of the user who opened it first.
    if (!m_find)
        m_find = new frmFind(UserConnection(kFindEntrySource), *staMessage, this);
    m_find->exec();
    if (!m_find->FindNode())
        return;
    WalkTrace();
}

// Each node of the trace, from the top level down, is selected and opened; a node whose children
// the tree does not hold yet gets them through a node click first, so the next level's node is
// in the tree when its row comes. A key with no node in the tree is passed over. Keys are unique
// in the tree, so looking a key up finds the one node a search of the node list would.
void frmPharvel::WalkTrace()
{
    RowSet trace = TraceQuery::Open(UserConnection(kFindEntrySource));
    TreeNode reached;
    for (trace.MoveFirst(); !trace.AtEnd(); trace.MoveNext()) {
        TreeNode node = trePharvel->Find(trace.Text(QStringLiteral("Node_Key")));
        if (!node)
            continue;
        node.SetSelected(true);
        if (!node.Expanded()) {
            if (node.Children() == 0)
                trePharvel_NodeClick(node);
            node.SetExpanded(true);
        }
        reached = node;
    }
    trace.Close();
    if (reached)
        reached.EnsureVisible();
}
