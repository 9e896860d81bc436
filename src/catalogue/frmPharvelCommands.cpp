// The main window's catalogue commands: adding, deleting and renaming classifications, the
// windows of other details and of the generic-name register, and reloading the tree.
#include "app/mdlPharvel.h"
#include "catalogue/frmPharvel.h"
#include "details/frmDrugInformation.h"
#include "details/frmFormulary.h"
#include "details/frmMedDetails.h"
#include "platform/catalog/Pharvel.h"
#include "platform/catalog/ShortId.h"
#include "platform/db/CatalogueTypes.h"
#include "platform/db/PharvelError.h"
#include "platform/widgets/ErrorHandler.h"
#include "platform/widgets/FlexGrid.h"
#include "platform/widgets/KeyedTree.h"
#include "platform/widgets/MsgBox.h"
#include "register/frmEntry.h"
#include "register/frmGeneric.h"

#include <QFrame>
#include <QLabel>

namespace {

// The selected node, which every command acts on. The tree always has one while it shows the
// root; a command run with none selected says so instead of acting on nothing.
TreeNode SelectedNode(const KeyedTree& tree, const QString& source)
{
    const TreeNode node = tree.SelectedItem();
    if (!node)
        throw PharvelError(ErrorNumber::Refused, frmPharvel::tr("No entry of the tree is chosen."),
                           source);
    return node;
}

} // namespace

void frmPharvel::ConnectCommands()
{
    connectGuarded(mnuNewClassification, &QAction::triggered, this,
                   &frmPharvel::mnuNewClassification_Click);
    connectGuarded(mnuNewGeneric, &QAction::triggered, this, &frmPharvel::mnuNewGeneric_Click);
    connectGuarded(mnuNewDrug, &QAction::triggered, this, &frmPharvel::mnuNewDrug_Click);
    connectGuarded(mnuOther, &QAction::triggered, this, &frmPharvel::mnuOther_Click);
    connectGuarded(mnuFormulary, &QAction::triggered, this, &frmPharvel::mnuFormulary_Click);
    connectGuarded(mnuDelete, &QAction::triggered, this, &frmPharvel::mnuDelete_Click);
    connectGuarded(mnuRename, &QAction::triggered, this, &frmPharvel::mnuRename_Click);
    connectGuarded(mnuGenericFiles, &QAction::triggered, this, &frmPharvel::mnuGenericFiles_Click);
    connectGuarded(mnuRefresh, &QAction::triggered, this, &frmPharvel::mnuRefresh_Click);
    connectGuarded(mnuLoadAll, &QAction::triggered, this, &frmPharvel::mnuLoadAll_Click);

    // The toolbar's buttons by index, separators counted; a click on button 1 itself only
    // offers its drop-down items.
    const auto button = [this](QAction* action, int index) {
        connect(action, &QAction::triggered, this,
                [this, index] { Guarded([&] { tbPharvel_ButtonClick(index); }); });
    };
    button(tbNewEntry, 1);
    button(tbDelete, 3);
    button(tbRename, 4);
    button(tbGenericFiles, 6);
    button(tbFindEntry, 7);
    const auto item = [this](QAction* action, int index) {
        connect(action, &QAction::triggered, this,
                [this, index] { Guarded([&] { tbPharvel_ButtonMenuClick(1, index); }); });
    };
    item(tbNewClassification, 1);
    item(tbNewGeneric, 2);
    item(tbNewDrug, 3);
}

void frmPharvel::tbPharvel_ButtonClick(int Index)
{
    // The handlers run whatever the state of their menu items: a disabled button is not
    // clickable in the first place.
    switch (Index) {
    case 3:
        mnuDelete_Click();
        break;
    case 4:
        mnuRename_Click();
        break;
    case 6:
        mnuGenericFiles_Click();
        break;
    case 7:
        mnuFindEntry_Click();
        break;
    default:
        break;
    }
}

void frmPharvel::tbPharvel_ButtonMenuClick(int Button, int Item)
{
    if (Button != 1)
        return;
    switch (Item) {
    case 1:
        mnuNewClassification_Click();
        break;
    case 2:
        mnuNewGeneric_Click();
        break;
    case 3:
        mnuNewDrug_Click();
        break;
    default:
        break;
    }
}

void frmPharvel::mnuNewClassification_Click()
{
    flexMSHPharvel->hide();
    flexMSHPharvel->Clear();
    fraButton->hide();
    AddNode(NodeType::Classification, 0, QString());
    ExpandSelectionIfFilled();
}

void frmPharvel::ExpandSelectionIfFilled()
{
    if (TreeNode selected = trePharvel->SelectedItem(); selected && selected.Children() > 0)
        selected.SetExpanded(true);
}

void frmPharvel::AddNode(const QString& strNodeType, qint16 intItemCode,
                         const QString& /*strClassName*/)
{
    QString name;
    if (strNodeType != NodeType::Drug) {
        frmEntry& entry = EntryWindow();
        entry.SetClasstype(strNodeType);
        entry.exec();
        name = entry.ClassEntry();
    }
    if (name.isEmpty())
        return;

    const QString source = QStringLiteral("frmPharvel.AddNode");
    const TreeNode parent = SelectedNode(*trePharvel, source);
    const QString parentKey = parent.Key();
    const QString newKey = mdlPharvel::NextNodeKey(
        parentKey, static_cast<qint16>(ClassPharvel::ShortId::FromInteger(
                       parent.Children(), tr("The number of entries under one node"))));

    // The catalogue first: a refused or failed write leaves the tree without the node, and the
    // top-level handler tells the user why.
    ClassPharvel::Pharvel& pharvel = *mdlPharvel::objPharvel;
    if (strNodeType == NodeType::Classification)
        pharvel.Classifications().AddClassification(parentKey, newKey, name, intItemCode);
    else if (strNodeType == NodeType::Generic)
        pharvel.Generics().AddGeneric(parentKey, newKey, name, intItemCode);
    else
        return;

    // No expanded picture of its own: it shows "bookclose" until the tree is loaded afresh.
    trePharvel->Add(parentKey, newKey, name, mdlPharvel::NodeImageKey(strNodeType));
}

void frmPharvel::mnuOther_Click()
{
    // No search: the details are those of the node the catalogue component searched last.
    const ClassPharvel::clsNode& current = mdlPharvel::objPharvel->NodePharvel();
    // Other details belong to generic names only. The id of any other node (a classification,
    // a drug, or none yet) would open, and save, the details of an unrelated generic name.
    if (current.node_type() != NodeType::Generic) {
        MsgBox::Show(tr("Other details are kept for generic names. Choose a generic name "
                        "first."),
                     MsgBox::Icon::Information, MsgBox::Buttons::OK, tr("MESSAGE"));
        return;
    }
    frmDrugInformation& details = DrugInformationWindow();
    details.SetGenericID(QString::number(current.Node_ID()));
    details.exec();
}

void frmPharvel::mnuFormulary_Click()
{
    const QString source = QStringLiteral("frmPharvel.mnuFormulary_Click");
    const TreeNode selected = SelectedNode(*trePharvel, source);
    ClassPharvel::clsNode& node = mdlPharvel::objPharvel->NodePharvel();
    if (!node.SearchNode(selected.Key()) || node.node_type() != NodeType::Generic) {
        MsgBox::Show(tr("A formulary is kept for generic names. Choose a generic name first."),
                     MsgBox::Icon::Information, MsgBox::Buttons::OK, tr("MESSAGE"));
        return;
    }
    const int genericCode = node.Node_ID();
    frmFormulary& formulary = FormularyWindow();
    formulary.SetGeneric(genericCode, node.NameOfNode().trimmed());
    formulary.exec();
    if (formulary.Saved())
        emit FormularySaved(genericCode);
}

void frmPharvel::mnuDelete_Click()
{
    const QString source = QStringLiteral("frmPharvel.mnuDelete_Click");
    const TreeNode selected = SelectedNode(*trePharvel, source);
    if (selected.Children() > 0) {
        MsgBox::Show(tr("You can not delete this classification at the moment."),
                     MsgBox::Icon::None, MsgBox::Buttons::OK);
        return;
    }
    if (MsgBox::Show(tr("Are you sure to delete this classification?"), MsgBox::Icon::Critical,
                     MsgBox::Buttons::YesNo) != MsgBox::Answer::Yes)
        return;

    const QString key = selected.Key();
    try {
        mdlPharvel::objPharvel->Classifications().DeleteClassification(key);
    } catch (const PharvelError& error) {
        // The catalogue still holds entries under it that the tree does not show (filed since
        // the node was loaded, perhaps from another desktop): the node stays, and the user
        // learns why.
        if (error.Number() != ErrorNumber::Refused)
            throw;
        MsgBox::Show(tr("You can not delete this classification at the moment.") +
                         QStringLiteral("\n\n") + error.Description(),
                     MsgBox::Icon::Exclamation, MsgBox::Buttons::OK);
        return;
    }
    trePharvel->Remove(key);
    // The tree has moved the selection to a neighbour; the commands follow it.
    SetCommandsForSelection();
}

void frmPharvel::mnuRename_Click()
{
    trePharvel->StartLabelEdit(SelectedNode(*trePharvel, QStringLiteral("frmPharvel.mnuRename")));
}

void frmPharvel::mnuGenericFiles_Click()
{
    GenericWindow().exec();
}

void frmPharvel::mnuRefresh_Click()
{
    staMessage->setText(tr("Refreshing Tree...please wait"));
    staMessage->repaint();
    LoadTreeView(kRootKey, QString(), false);
    staMessage->setText(tr("Choose an entry and right click for options."));
}

void frmPharvel::mnuLoadAll_Click()
{
    if (MsgBox::Show(tr("This may take some time.  Do you want to continue?"),
                     MsgBox::Icon::Question, MsgBox::Buttons::YesNo,
                     tr("MESSAGE")) == MsgBox::Answer::Yes)
        LoadTreeView(kRootKey, tr("Loading Pharvel Structure..."), true);
}

frmEntry& frmPharvel::EntryWindow()
{
    if (!m_entryWindow)
        m_entryWindow = new frmEntry(UserConnection(QStringLiteral("frmEntry")), this);
    return *m_entryWindow;
}

frmGeneric& frmPharvel::GenericWindow()
{
    if (!m_genericWindow) {
        m_genericWindow = new frmGeneric(*mdlPharvel::objPharvel,
                                         UserConnection(QStringLiteral("frmGeneric")), this);
    }
    return *m_genericWindow;
}

frmFormulary& frmPharvel::FormularyWindow()
{
    if (!m_formularyWindow) {
        m_formularyWindow = new frmFormulary(mdlPharvel::objPharvel->Formulary(),
                                             mdlPharvel::objPharvel->Generics(), this);
    }
    return *m_formularyWindow;
}

frmDrugInformation& frmPharvel::DrugInformationWindow()
{
    if (!m_drugInformationWindow) {
        m_drugInformationWindow =
            new frmDrugInformation(UserConnection(QStringLiteral("frmDrugInformation")), this);
    }
    return *m_drugInformationWindow;
}

frmMedDetails& frmPharvel::MedDetailsWindow()
{
    if (!m_medDetailsWindow)
        m_medDetailsWindow =
            new frmMedDetails(UserConnection(QStringLiteral("frmMedDetails")), this);
    return *m_medDetailsWindow;
}
