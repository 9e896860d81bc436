// The main window's two assignment commands: generic names into the selected classification,
// drugs into the selected generic name. The windows change the catalogue and the tree
// themselves; nothing is read back from them.
#include "app/mdlPharvel.h"
#include "assign/frmDrugList.h"
#include "assign/frmList.h"
#include "catalogue/frmPharvel.h"
#include "platform/catalog/Pharvel.h"
#include "platform/catalog/ShortId.h"
#include "platform/widgets/KeyedTree.h"

#include <QLabel>

namespace {

// The catalogue's record of the selected node, or null when there is none or the catalogue no
// longer knows it: the command then shows nothing.
const ClassPharvel::clsNode* SearchedSelection(const KeyedTree& tree)
{
    const TreeNode selected = tree.SelectedItem();
    if (!selected)
        return nullptr;
    ClassPharvel::clsNode& node = mdlPharvel::objPharvel->NodePharvel();
    return node.SearchNode(selected.Key()) ? &node : nullptr;
}

qint16 ShortNodeId(const ClassPharvel::clsNode& node)
{
    return static_cast<qint16>(
        ClassPharvel::ShortId::FromInteger(node.Node_ID(), frmPharvel::tr("The entry's id")));
}

} // namespace

void frmPharvel::mnuNewGeneric_Click()
{
    const ClassPharvel::clsNode* node = SearchedSelection(*trePharvel);
    if (!node)
        return;
    staMessage->setText(tr("Loading Generic Names List..."));
    frmList& window = ListWindow();
    window.SetItemID(ShortNodeId(*node));
    window.SetClassificationName(node->NameOfNode().trimmed());
    window.SetTreList(trePharvel);
    window.exec();
    staMessage->setText(QString());
    ExpandSelectionIfFilled();
}

void frmPharvel::mnuNewDrug_Click()
{
    const ClassPharvel::clsNode* node = SearchedSelection(*trePharvel);
    if (!node)
        return;
    staMessage->setText(tr("Loading Drug List..."));
    frmDrugList& window = DrugListWindow();
    window.SetGenericID(ShortNodeId(*node));
    window.SetGenericName(node->NameOfNode().trimmed());
    window.SetTreList(trePharvel);
    window.exec();
    staMessage->setText(QString());
    ExpandSelectionIfFilled();
}

frmList& frmPharvel::ListWindow()
{
    if (!m_listWindow) {
        m_listWindow = new frmList(*mdlPharvel::objPharvel, GenericWindow(), this);
    }
    return *m_listWindow;
}

frmDrugList& frmPharvel::DrugListWindow()
{
    if (!m_drugListWindow)
        m_drugListWindow = new frmDrugList(*mdlPharvel::objPharvel, this);
    return *m_drugListWindow;
}
