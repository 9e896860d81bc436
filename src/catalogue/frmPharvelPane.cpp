// The main window's right pane: made over the background picture and sized with it, fed from
// the tree's selection, and the walk to an alternative clicked in it.
#include "app/StretchedPicture.h"
#include "app/mdlPharvel.h"
#include "catalogue/FormularyPane.h"
#include "catalogue/StatusMarks.h"
#include "catalogue/frmPharvel.h"
#include "platform/catalog/EntryOutline.h"
#include "platform/db/ServerProcedures.h"
#include "platform/widgets/ErrorHandler.h"
#include "platform/widgets/KeyedTree.h"
#include "platform/widgets/MsgBox.h"

#include <QVBoxLayout>

namespace {
const QString kShowGenericSource = QStringLiteral("frmPharvel.ShowGenericInTree");
}

void frmPharvel::CreateFormularyPane()
{
    StatusMarks::AddPictures(*ilsTree);

    // A child of the picture, filling it: the layout that places the picture places the pane.
    m_formularyPane = new FormularyPane(imgBack);
    auto* fill = new QVBoxLayout(imgBack);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->setSizeConstraint(QLayout::SetNoConstraint);
    fill->addWidget(m_formularyPane);

    const auto follow = [this] {
        const TreeNode selected = trePharvel->SelectedItem();
        m_formularyPane->ShowEntryLater(selected ? selected.Key() : QString());
    };
    connect(trePharvel, &QTreeWidget::itemSelectionChanged, this, follow);
    connect(trePharvel, &QTreeWidget::currentItemChanged, this, follow);
    connect(m_formularyPane, &FormularyPane::StatusRead, this,
            [this](const QString& key, const QString& status) {
                if (TreeNode node = trePharvel->Find(key))
                    StatusMarks::Mark(node, status);
            });
    connectGuarded(m_formularyPane, &FormularyPane::AlternativeChosen, this,
                   &frmPharvel::ShowGenericInTree);
    // The pane shows the selected generic name, so its button edits the one the menu item does;
    // a save shows at once in the pane and in the tree's mark.
    connectGuarded(m_formularyPane, &FormularyPane::FormularyRequested, this,
                   &frmPharvel::mnuFormulary_Click);
    connect(this, &frmPharvel::FormularySaved, m_formularyPane, &FormularyPane::Refresh);
}

void frmPharvel::ShowGenericInTree(CatalogueId::Generic generic)
{
    SQLConnection& connection = UserConnection(kShowGenericSource);
    const QString key = ClassPharvel::EntryOutline::NodeKeyOf(connection, generic);
    if (key.isEmpty()) {
        MsgBox::Show(tr("This generic name is not filed under any classification."),
                     MsgBox::Icon::Information, MsgBox::Buttons::OK);
        return;
    }
    ServerProcedures::For_TraceParent(connection, key);
    WalkTrace();
    trePharvel->setFocus();
}
