// The main window's tree: loading it from the catalogue, and what a click on a node does.
#include "app/frmLoad.h"
#include "app/mdlPharvel.h"
#include "catalogue/CatalogueRowLoader.h"
#include "catalogue/frmPharvel.h"
#include "platform/catalog/Pharvel.h"
#include "platform/db/CatalogueTypes.h"
#include "platform/db/PharvelError.h"
#include "platform/db/ServerProcedures.h"
#include "platform/user/AccountStore.h"
#include "platform/user/clsCurrentUser.h"
#include "platform/widgets/ImageList.h"
#include "platform/widgets/KeyedTree.h"
#include "platform/widgets/MsgBox.h"

#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QToolBar>
#include <array>
#include <limits>
#include <memory>
#include <optional>

namespace {

const QString kNodeFoundSource = QStringLiteral("frmPharvel.NodeFound");

// The commands a node click sets, each a menu item with its toolbar twin.
enum Command { AddRemove, AddClassification, AssignGenerics, AssignDrugs, Delete, Rename, Count };
using CommandStates = std::array<std::optional<bool>, Count>;
constexpr std::optional<bool> kUnchanged = std::nullopt;

// By node type: a classification may hold classifications and generic names, a generic name
// only drugs, and a drug nothing; only classifications are deleted and renamed from here.
CommandStates StatesForType(const QString& nodeType, bool viewOnly)
{
    using namespace ClassPharvel;
    CommandStates states{};
    if (nodeType == NodeType::Classification) {
        states = {true, true, true, false, true, true};
        if (viewOnly)
            states.fill(false);
    } else if (nodeType == NodeType::Generic) {
        states = {true, false, false, true, false, false};
        if (viewOnly)
            states[AddRemove] = false;
    } else if (nodeType == NodeType::Drug) {
        states = {false, kUnchanged, kUnchanged, kUnchanged, false, false};
    }
    return states;
}

QString ProgressTitle(const QString& parentNode, const QString& title)
{
    if (parentNode != kRootKey)
        return frmPharvel::tr("Loading ") + title;
    if (!title.isEmpty())
        return title;
    return frmPharvel::tr("Loading All Classifications...");
}

} // namespace

qint16 frmPharvel::LoadTreeView(const QString& ParentNode, const QString& Title, bool LoadAll)
{
    // The rows are counted before the tree is touched: a load too large to take leaves the tree
    // as it was.
    RowSet rows = mdlPharvel::objPharvel->LoadClassifications(ParentNode, LoadAll);
    if (rows.RecordCount() > std::numeric_limits<qint16>::max()) {
        throw PharvelError(ErrorNumber::Overflow,
                           tr("The catalogue holds %1 entries to show here, more than the %2 "
                              "one load can take; the tree is left as it was.")
                               .arg(rows.RecordCount())
                               .arg(std::numeric_limits<qint16>::max()),
                           QStringLiteral("frmPharvel.LoadTreeView"));
    }

    const bool fromRoot = ParentNode == kRootKey;
    if (fromRoot) {
        trePharvel->Clear();
        // As in the tree control, the first node of an empty tree is the selected one: the
        // commands act on the root until another node is chosen.
        TreeNode root =
            trePharvel->Add(QString(), kRootKey, tr("All Classification"), QStringLiteral("smile"));
        trePharvel->setCurrentItem(root.Item());
        root.SetSelected(true);
    }

    qint16 result = 0;
    if (rows.RecordCount() > 0) {
        result = static_cast<qint16>(rows.RecordCount());

        // The progress window goes at the end of the load, also when the load fails.
        std::unique_ptr<frmLoad> progress;
        if (!mdlPharvel::blnQuietLoad) {
            progress = std::make_unique<frmLoad>();
            progress->lblTitle->setText(ProgressTitle(ParentNode, Title));
            progress->pb->setMaximum(result);
            progress->ShowPainted();
        }
        CatalogueRowLoader loader(
            *trePharvel, [this](const QStringList& keys) { return NodesFound(keys); },
            [] { return mdlPharvel::objPharvel->Formulary().Statuses(); });
        loader.AddRows(rows, [&progress] {
            if (progress)
                progress->Step();
        });
    }

    mdlPharvel::blnQuietLoad = false;
    rows.Close();
    if (fromRoot)
        trePharvel->Find(kRootKey).SetExpanded(true);
    return result;
}

bool frmPharvel::NodeFound(const QString& strNodeKey)
{
    try {
        RowSet rows = ServerProcedures::For_FoundNode(UserConnection(kNodeFoundSource), strNodeKey);
        return rows.RecordCount() > 0;
    } catch (const PharvelError& error) {
        throw error.WithSource(kNodeFoundSource);
    }
}

// NodeFound for many keys at once, as a load asks it.
QSet<QString> frmPharvel::NodesFound(const QStringList& keys)
{
    try {
        return ServerProcedures::ExistingNodeKeys(UserConnection(kNodeFoundSource), keys);
    } catch (const PharvelError& error) {
        throw error.WithSource(kNodeFoundSource);
    }
}

void frmPharvel::trePharvel_NodeClick(TreeNode Node)
{
    if (Node.Children() == 0) {
        const QString key = Node.Key();
        const qint16 loaded = LoadTreeView(key, Node.Text(), false);
        // A load from the root rebuilds the tree, so the clicked node is found again by its key.
        Node = trePharvel->Find(key);
        if (Node && !trePharvel->SelectedItem()) {
            trePharvel->setCurrentItem(Node.Item());
            Node.SetSelected(true);
        }
        if (loaded > 0 && Node)
            Node.SetExpanded(true);
    }

    const TreeNode selected = trePharvel->SelectedItem();
    const TreeNode root = trePharvel->NodeAt(1);
    if (!root || root.Children() == 0) {
        MsgBox::Show(tr("No data!"), MsgBox::Icon::Information, MsgBox::Buttons::OK, tr("MESSAGE"));
        return;
    }

    if (selected) {
        SetCommandsForSelection();
        if (selected.Key() == kRootKey && Node)
            Node.SetExpanded(true);
    }

    mnuSep3->setVisible(true);
    mnuExit->setVisible(true);
}

void frmPharvel::SetCommandsForSelection()
{
    const TreeNode selected = trePharvel->SelectedItem();
    if (!selected || selected.Key() == kRootKey) {
        DisableNodeCommands();
        return;
    }
    ClassPharvel::clsNode& catalogueNode = mdlPharvel::objPharvel->NodePharvel();
    if (catalogueNode.SearchNode(selected.Key()))
        SetCommandsForType(catalogueNode.node_type());
}

void frmPharvel::DisableNodeCommands()
{
    for (QAction* command : {tbNewGeneric, tbNewDrug, mnuNewGeneric, mnuNewDrug, mnuDelete,
                             mnuRename, tbDelete, tbRename, mnuFormulary}) {
        command->setEnabled(false);
    }
}

void frmPharvel::SetCommandsForType(const QString& nodeType)
{
    const bool viewOnly = mdlPharvel::objCurrentUser->UserRights() == AccountStore::kViewOnlyRights;
    const CommandStates states = StatesForType(nodeType, viewOnly);
    const std::array<std::array<QAction*, 2>, Count> twins = {{
        {mnuNew->menuAction(), tbNewEntry},
        {mnuNewClassification, tbNewClassification},
        {mnuNewGeneric, tbNewGeneric},
        {mnuNewDrug, tbNewDrug},
        {mnuDelete, tbDelete},
        {mnuRename, tbRename},
    }};
    for (int command = 0; command < Count; ++command) {
        if (!states[command])
            continue;
        for (QAction* action : twins[command])
            action->setEnabled(*states[command]);
    }
    // A formulary is kept for generic names only, and changed by those who may edit.
    mnuFormulary->setEnabled(nodeType == NodeType::Generic && !viewOnly);
}
