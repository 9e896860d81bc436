// The tree's events besides the node click: in-place renaming, collapsing, keys, the context
// menu on the right mouse button, and the plain and double clicks.
#include "app/mdlPharvel.h"
#include "catalogue/frmPharvel.h"
#include "details/frmMedDetails.h"
#include "platform/catalog/Pharvel.h"
#include "platform/db/CatalogueTypes.h"
#include "platform/widgets/ErrorHandler.h"
#include "platform/widgets/FlexGrid.h"
#include "platform/widgets/KeyedTree.h"
#include "platform/widgets/MsgBox.h"

#include <QFrame>
#include <QMenu>

namespace {}

void frmPharvel::ConnectTreeEvents()
{
    // The tree's own menu is the "&Pharvel" menu, opened by MouseDown; nothing else may offer one.
    trePharvel->setContextMenuPolicy(Qt::PreventContextMenu);
    connectGuarded(trePharvel, &KeyedTree::BeforeLabelEdit, this,
                   &frmPharvel::trePharvel_BeforeLabelEdit);
    connectGuarded(trePharvel, &KeyedTree::AfterLabelEdit, this,
                   &frmPharvel::trePharvel_AfterLabelEdit);
    connectGuarded(trePharvel, &KeyedTree::Collapse, this, &frmPharvel::trePharvel_Collapse);
    connectGuarded(trePharvel, &KeyedTree::KeyDown, this, &frmPharvel::trePharvel_KeyDown);
    connect(trePharvel, &KeyedTree::MouseDown, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPoint& pos) {
                Guarded([&] { trePharvel_MouseDown(button, shift, pos.x(), pos.y()); });
            });
    connectGuarded(trePharvel, &KeyedTree::Click, this, &frmPharvel::trePharvel_Click);
    connectGuarded(trePharvel, &KeyedTree::DblClick, this, &frmPharvel::trePharvel_DblClick);
}

void frmPharvel::trePharvel_BeforeLabelEdit(bool& /*Cancel*/)
{
    m_labelBeforeEdit = trePharvel->SelectedItem().Text();
}

void frmPharvel::trePharvel_AfterLabelEdit(bool& Cancel, QString& NewString)
{
    const TreeNode selected = trePharvel->SelectedItem();
    if (!selected)
        return;
    if (NewString.isEmpty()) {
        MsgBox::Show(tr("Please supply a name."), MsgBox::Icon::Information, MsgBox::Buttons::OK);
        NewString = m_labelBeforeEdit;
        trePharvel->StartLabelEdit(selected);
        return;
    }
    if (NewString == m_labelBeforeEdit)
        return;
    // A name the catalogue refuses is not shown either: the node keeps the name it has there.
    // So does a node the catalogue no longer holds (another desktop deleted it since this tree
    // was loaded).
    Cancel = true;
    if (!mdlPharvel::objPharvel->Classifications().RenameClassification(selected.Key(),
                                                                        NewString)) {
        MsgBox::Show(tr("The classification %1 is no longer in the catalogue (another user may "
                        "have deleted it); it was not renamed. Refresh the tree to see the "
                        "catalogue as it is.")
                         .arg(m_labelBeforeEdit),
                     MsgBox::Icon::Exclamation, MsgBox::Buttons::OK);
        return;
    }
    Cancel = false;
}

void frmPharvel::trePharvel_Collapse(TreeNode Node)
{
    // The root stays open. Closing a node by its sign selects it where the tree control hides
    // the selected node inside it, so the root is always the selected node when it closes; this
    // tree keeps the selection where it was, and the root is opened again all the same.
    if (Node.Key() == kRootKey)
        Node.SetExpanded(true);
}

void frmPharvel::trePharvel_KeyDown(int KeyCode, Qt::KeyboardModifiers /*Shift*/)
{
    if (KeyCode == Qt::Key_Delete && mnuDelete->isEnabled())
        mnuDelete_Click();
    else if ((KeyCode == Qt::Key_Space || KeyCode == Qt::Key_F2) && mnuRename->isEnabled())
        mnuRename_Click();
}

void frmPharvel::trePharvel_MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers /*Shift*/,
                                      int x, int y)
{
    const QPoint pointer(x, y);
    TreeNode node = trePharvel->HitTest(pointer);
    if (!node || Button != Qt::RightButton)
        return;

    trePharvel->setCurrentItem(node.Item());
    node.SetSelected(true);
    if (node.Children() == 0) {
        const QString key = node.Key();
        const qint16 loaded = LoadTreeView(key, node.Text(), false);
        // A load from the root rebuilds the tree: the node is found again by its key.
        node = trePharvel->Find(key);
        if (!node)
            return;
        trePharvel->setCurrentItem(node.Item());
        node.SetSelected(true);
        if (loaded > 0)
            node.SetExpanded(true);
    }

    SetContextMenuCommands(node);
    mnuSep3->setVisible(false);
    mnuExit->setVisible(false);
    mnuPopup->exec(trePharvel->viewport()->mapToGlobal(pointer));
}

// The commands the context menu offers for node: those a node click sets, with "&Other Details"
// for generic names and drugs, and for a generic name the toolbar's "New Entry" left as it was.
void frmPharvel::SetContextMenuCommands(const TreeNode& node)
{
    using namespace ClassPharvel;
    if (node.Key() == kRootKey) {
        DisableNodeCommands();
        mnuOther->setEnabled(false);
        return;
    }
    clsNode& catalogueNode = mdlPharvel::objPharvel->NodePharvel();
    if (!catalogueNode.SearchNode(node.Key()))
        return;
    const QString type = catalogueNode.node_type();
    if (type != NodeType::Classification && type != NodeType::Generic && type != NodeType::Drug)
        return;
    const bool newEntryButton = tbNewEntry->isEnabled();
    SetCommandsForType(type);
    if (type == NodeType::Generic)
        tbNewEntry->setEnabled(newEntryButton);
    mnuOther->setEnabled(type != NodeType::Classification);
}

void frmPharvel::trePharvel_Click()
{
    const TreeNode selected = trePharvel->SelectedItem();
    if (selected && mdlPharvel::objPharvel->NodePharvel().SearchNode(selected.Key())) {
        flexMSHPharvel->hide();
        fraButton->hide();
    }
}

void frmPharvel::trePharvel_DblClick()
{
    const TreeNode selected = trePharvel->SelectedItem();
    if (!selected || selected.Children() > 0)
        return;
    frmMedDetails& details = MedDetailsWindow();
    details.SetItemName(selected.Text());
    details.SetItemCode(selected.Tag());
    details.exec();
}
