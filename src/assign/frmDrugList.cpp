#include "assign/frmDrugList.h"

#include "app/mdlPharvel.h"
#include "assign/FrameAccessKey.h"
#include "assign/FrameCaption.h"
#include "assign/GridPair.h"
#include "assign/NewChildKeys.h"
#include "assign/ResumeNext.h"
#include "assign/RowsNotMoved.h"
#include "platform/catalog/Pharvel.h"
#include "platform/catalog/ShortId.h"
#include "platform/db/CatalogueTypes.h"
#include "platform/widgets/CheckListImages.h"
#include "platform/widgets/CheckListProcedures.h"
#include "platform/widgets/DesignFont.h"
#include "platform/widgets/ErrorHandler.h"
#include "platform/widgets/FlexGrid.h"
#include "platform/widgets/MsgBox.h"
#include "platform/widgets/Twips.h"
#include "platform/widgets/UpperCaseTyping.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <cmath>

namespace {

// Columns of both grids, bound from the row set: drug name, description, the generic name the
// drug is filed under, drug id and node key.
constexpr int kNameColumn = 1;
constexpr int kDescriptionColumn = 2;
constexpr int kGenericColumn = 3;
constexpr int kDrugIdColumn = 4;
constexpr int kNodeKeyColumn = 5;
constexpr int kCheckColumnWidth = 250;

QString EmptyHeader()
{
    return QStringLiteral("|<Drug Name |<Description |<Generic Name");
}

bool IsTicked(const FlexGrid& grid, int row)
{
    return grid.TextMatrix(row, mdlPharvel::MarkerColumn) == mdlPharvel::CheckMarker();
}

// Half the grid's width in whole twips, an exact half going to the even neighbour.
int HalfWidth(const FlexGrid& grid)
{
    return static_cast<int>(std::nearbyint(Twips::FromPixels(grid.width(), &grid) / 2.0));
}

int DrugId(const FlexGrid& grid, int row)
{
    return ClassPharvel::ShortId::FromText(grid.TextMatrix(row, kDrugIdColumn).trimmed(),
                                           frmDrugList::tr("The drug id"));
}

// Calls move(row, name) for each ticked row of grid that names a drug, in order. Only ticked
// rows are read: the rows of a long list are fetched as they are needed. The blank row of an
// empty grid can be ticked; it holds nothing to move.
template <typename Move> void ForEachTickedDrug(FlexGrid& grid, Move move)
{
    for (int row = 1; row < grid.Rows(); ++row) {
        if (!IsTicked(grid, row))
            continue;
        const QString name = grid.TextMatrix(row, kNameColumn).trimmed();
        if (!name.isEmpty())
            move(row, name);
    }
}

// Where the drug is filed now; empty when it is filed nowhere.
QString NodeKeyOf(ClassPharvel::clsDrugs& drugs, int drugId)
{
    return drugs.SearchDrug(drugId) ? drugs.NodeKey() : QString();
}

} // namespace

frmDrugList::frmDrugList(ClassPharvel::Pharvel& pharvel, QWidget* parent)
    : AssignmentWindow(pharvel, parent), fraGenericList(new QGroupBox(this)),
      fraSearch1(new QGroupBox(tr("&1. Search"), fraGenericList)),
      txtSearch1(new QLineEdit(fraSearch1)),
      fraDrug1(new QGroupBox(tr("&2. Available Drugs"), fraGenericList)),
      flexMSHList1(new FlexGrid(fraDrug1)), Picture1(new QWidget(fraDrug1)),
      optAll(new QRadioButton(tr("A&LL"), Picture1)),
      optClassified(new QRadioButton(tr("Classi&fied"), Picture1)),
      optUnClassified(new QRadioButton(tr("&Unclassified"), Picture1)),
      cmdClear1(new QPushButton(tr("Clear Selec&tion"), fraDrug1)),
      cmdAdd(new QPushButton(tr("&Add >>"), fraGenericList)),
      cmdRemove(new QPushButton(tr("<< &Remove"), fraGenericList)),
      fraSearch2(new QGroupBox(tr("&3. Search"), fraGenericList)),
      txtSearch2(new QLineEdit(fraSearch2)),
      fraDrug2(new QGroupBox(tr("&4. Drugs under [GenericName]"), fraGenericList)),
      flexMSHList2(new FlexGrid(fraDrug2)),
      cmdClear2(new QPushButton(tr("Cl&ear Selection"), fraDrug2)),
      cmdCancel(new QPushButton(tr("&Close"), this)), ilsCheckList(new CheckListImages(this))
{
    setWindowTitle(tr("Drug Classification"));
    setFont(DesignFont(QStringLiteral("Arial"), 9));
    setFixedSize(TwipsRect(0, 0, 11745, 5745, this).size());
    fraGenericList->setGeometry(TwipsRect(60, -60, 11595, 5115, this));
    fraSearch1->setGeometry(TwipsRect(120, 180, 5835, 735, this));
    txtSearch1->setGeometry(TwipsRect(120, 240, 5595, 390, this));
    fraDrug1->setGeometry(TwipsRect(120, 960, 5835, 4035, this));
    flexMSHList1->setGeometry(TwipsRect(120, 300, 5595, 3135, this));
    Picture1->setGeometry(TwipsRect(120, 3480, 3495, 495, this));
    optAll->setGeometry(TwipsRect(60, 180, 615, 195, this));
    optClassified->setGeometry(TwipsRect(840, 180, 975, 195, this));
    optUnClassified->setGeometry(TwipsRect(1980, 180, 1215, 195, this));
    cmdClear1->setGeometry(TwipsRect(4320, 3540, 1335, 375, this));
    cmdAdd->setGeometry(TwipsRect(6060, 2640, 1035, 375, this));
    cmdRemove->setGeometry(TwipsRect(6060, 3240, 1035, 375, this));
    fraSearch2->setGeometry(TwipsRect(7200, 180, 4275, 735, this));
    txtSearch2->setGeometry(TwipsRect(120, 240, 4035, 390, this));
    fraDrug2->setGeometry(TwipsRect(7200, 960, 4275, 4035, this));
    flexMSHList2->setGeometry(TwipsRect(120, 300, 4035, 3135, this));
    cmdClear2->setGeometry(TwipsRect(2820, 3540, 1335, 375, this));
    cmdCancel->setGeometry(TwipsRect(10560, 5220, 1035, 375, this));
    for (QGroupBox* frame : {fraSearch1, fraDrug1, fraSearch2, fraDrug2})
        EmphasiseCaption(frame);
    // Enter in a search box must not press a button.
    for (QPushButton* button : {cmdClear1, cmdAdd, cmdRemove, cmdClear2, cmdCancel})
        button->setAutoDefault(false);
    // The designed widths were measured for fonts this desktop may not have.
    // The filter buttons may take the room up to Clear Selection.
    Picture1->resize(cmdClear1->x() - Picture1->x(), Picture1->height());
    FitCaptionRow({optAll, optClassified, optUnClassified}, Picture1->width());
    FitCaption(cmdClear1);
    FitCaption(cmdClear2);
    new UpperCaseTyping(txtSearch1);
    new UpperCaseTyping(txtSearch2);
    SetTabOrder();
    new FrameAccessKey(fraSearch1, txtSearch1);
    new FrameAccessKey(fraDrug1, flexMSHList1);
    new FrameAccessKey(fraSearch2, txtSearch2);
    new FrameAccessKey(fraDrug2, flexMSHList2);

    SetGrids(new GridPair(
                 *ilsCheckList, {flexMSHList1, cmdClear1, cmdAdd, fraSearch1, txtSearch1},
                 {flexMSHList2, cmdClear2, cmdRemove, fraSearch2, txtSearch2},
                 [this](int intWhichGrid, const QString& strSearchKey) {
                     const auto which = static_cast<qint16>(intWhichGrid);
                     LoadDrugList(which, strSearchKey);
                     return BoundRows(which == 1)->RecordCount();
                 },
                 {.lockSearchWhileTicked = false, .highlightOnFocus = true}, this),
             flexMSHList1, flexMSHList2);
    // The pair has unticked the grid; Clear Selection of the left grid then hands the focus to
    // its search box.
    connectGuarded(cmdClear1, &QPushButton::clicked, this, &frmDrugList::cmdClear1_Click);
    const auto onSelect = [this](QRadioButton* option, void (frmDrugList::*handler)()) {
        connect(option, &QRadioButton::toggled, this, [this, handler](bool selected) {
            if (selected)
                Guarded([&] { (this->*handler)(); });
        });
    };
    onSelect(optAll, &frmDrugList::optAll_Click);
    onSelect(optClassified, &frmDrugList::optClassified_Click);
    onSelect(optUnClassified, &frmDrugList::optUnClassified_Click);
    connectGuarded(cmdAdd, &QPushButton::clicked, this, &frmDrugList::cmdAdd_Click);
    connectGuarded(cmdRemove, &QPushButton::clicked, this, &frmDrugList::cmdRemove_Click);
    connectGuarded(cmdCancel, &QPushButton::clicked, this, &frmDrugList::cmdCancel_Click);
}

frmDrugList::~frmDrugList() = default;

// The access keys 1 to 4 of the numbered frames reach the search box of grid 1, grid 1, the
// search box of grid 2 and grid 2.
void frmDrugList::SetTabOrder()
{
    QWidget* const order[] = {txtSearch1,      flexMSHList1, optAll,     optClassified,
                              optUnClassified, cmdClear1,    txtSearch2, flexMSHList2,
                              cmdClear2,       cmdCancel,    cmdAdd,     cmdRemove};
    for (std::size_t n = 1; n < std::size(order); ++n)
        setTabOrder(order[n - 1], order[n]);
}

void frmDrugList::Form_Load()
{
    {
        // The controls start from their design state: both boxes empty, no filter selected.
        const QSignalBlocker quiet1(txtSearch1);
        const QSignalBlocker quiet2(txtSearch2);
        txtSearch1->clear();
        txtSearch2->clear();
        for (QRadioButton* option : {optAll, optClassified, optUnClassified}) {
            const QSignalBlocker quiet(option);
            option->setAutoExclusive(false);
            option->setChecked(false);
            option->setAutoExclusive(true);
        }
    }
    fraDrug2->setTitle(tr("&4. Drugs under [") + m_genericName + QLatin1Char(']'));
    optAll->setChecked(true);
    for (QPushButton* button : {cmdClear1, cmdClear2, cmdAdd, cmdRemove})
        button->setEnabled(false);
    LoadDrugList(2, QString());
}

void frmDrugList::LoadDrugList(qint16 intWhichGrid, const QString& strSearchKey)
{
    const bool first = intWhichGrid == 1;
    FlexGrid& grid = BeginReload(first);
    std::shared_ptr<RowSet>& rowSet = BoundRows(first);
    ClassPharvel::clsGenerics& generics = m_pharvel.Generics();
    rowSet = std::make_shared<RowSet>(
        first ? generics.OtherDrugs(m_genericId, 1, strSearchKey, CheckClassify())
              : generics.LoadDrugs(m_genericId, 3, txtSearch2->text()));
    if (rowSet->RecordCount() < 1) {
        grid.SetRows(2);
        grid.SetFormatString(EmptyHeader());
        grid.setEnabled(false);
    } else {
        grid.SetRowSet(rowSet);
        grid.setEnabled(true);
    }
    grid.SetCols(7);
    const int half = HalfWidth(grid);
    const int widths[] = {kCheckColumnWidth, half, half, half, 0, 0, 0};
    for (int col = 0; col < 7; ++col)
        grid.SetColWidth(col, widths[col]);
    mdlPharvel::ClearChecks(grid, *ilsCheckList, mdlPharvel::CheckColumn, 1, false);
    grid.SetRedraw(true);
}

qint16 frmDrugList::CheckClassify() const
{
    qint16 filter = 0;
    if (optAll->isChecked())
        filter = FilterAll;
    if (optUnClassified->isChecked())
        filter = FilterUnclassified;
    if (optClassified->isChecked())
        filter = FilterClassified;
    return filter;
}

void frmDrugList::optAll_Click()
{
    LoadDrugList(1, txtSearch1->text());
}

void frmDrugList::optClassified_Click()
{
    LoadDrugList(1, txtSearch1->text());
}

void frmDrugList::optUnClassified_Click()
{
    LoadDrugList(1, txtSearch1->text());
}

void frmDrugList::RemoveTreeNode(const QString& strNodeKey)
{
    KeyedTree& tree = Tree(QStringLiteral("frmDrugList.RemoveTreeNode"));
    if (tree.Exists(strNodeKey))
        tree.Remove(strNodeKey);
}

void frmDrugList::cmdAdd_Click()
{
    FlexGrid& grid = *flexMSHList1;
    if (grid.Rows() < 2)
        return;
    KeyedTree& tree = Tree(QStringLiteral("frmDrugList.cmdAdd_Click"));
    const TreeNode generic = tree.SelectedItem();
    if (!generic)
        return;
    const QString parentKey = generic.Key();
    RowsNotMoved notMoved(tr("These drugs were not moved:"));
    NewChildKeys newKeys(m_pharvel, parentKey);
    ForEachTickedDrug(grid, [&](int row, const QString& name) {
        const QString filedUnder = grid.TextMatrix(row, kGenericColumn);
        const QString g = filedUnder.trimmed();
        QString formerKey;
        QString newKey;
        int drugId = 0;
        try {
            drugId = DrugId(grid, row);
            formerKey = NodeKeyOf(m_pharvel.Drugs(), drugId);
            // The question below would be asked on what the grid read: another desktop may
            // have filed the drug elsewhere since.
            if (formerKey != grid.TextMatrix(row, kNodeKeyColumn).trimmed()) {
                notMoved.Add(name, m_pharvel.ChangedMeanwhile(NodeType::Drug, drugId));
                return;
            }
            if (!g.isEmpty() && g != QLatin1String("Unclassified") &&
                MsgBox::Show(name + tr(" already belongs to ") + filedUnder +
                                 tr(". Do you wish to continue?"),
                             MsgBox::Icon::Question, MsgBox::Buttons::YesNo) != MsgBox::Answer::Yes)
                return;
            newKey = newKeys.Next(static_cast<qint16>(generic.Children()));
            m_pharvel.Drugs().AddDrug(parentKey, newKey, QString(), drugId);
            newKeys.Taken(newKey);
        } catch (const PharvelError& error) {
            notMoved.Add(name, error.Description());
            return;
        }
        // Like a drug node of a tree load, it carries the drug's item id, which the medicine
        // details read.
        ResumeNext([&] {
            tree.Add(parentKey, newKey,
                     name + QLatin1Char(' ') + grid.TextMatrix(row, kDescriptionColumn).trimmed(),
                     mdlPharvel::NodeImageKey(NodeType::Drug))
                .SetTag(QString::number(drugId));
        });
        ResumeNext([&] { tree.SelectedItem().SetExpanded(true); });
        if (!formerKey.isEmpty())
            RemoveTreeNode(formerKey);
    });
    ReloadBothGrids();
    cmdAdd->setEnabled(false);
    cmdClear1->setEnabled(false);
    EmptySearchBoxes();
    txtSearch1->setFocus();
    notMoved.Show();
}

void frmDrugList::cmdRemove_Click()
{
    FlexGrid& grid = *flexMSHList2;
    if (grid.Rows() < 2)
        return;
    RowsNotMoved notMoved(tr("These drugs were not taken out:"));
    ForEachTickedDrug(grid, [&](int row, const QString& name) {
        QString nodeKey;
        try {
            const int drugId = DrugId(grid, row);
            nodeKey = NodeKeyOf(m_pharvel.Drugs(), drugId);
            m_pharvel.Drugs().DeleteDrug(drugId);
        } catch (const PharvelError& error) {
            notMoved.Add(name, error.Description());
            return;
        }
        if (!nodeKey.isEmpty())
            RemoveTreeNode(nodeKey);
    });
    ReloadBothGrids();
    for (QPushButton* button : {cmdAdd, cmdRemove, cmdClear1, cmdClear2})
        button->setEnabled(false);
    EmptySearchBoxes();
    txtSearch2->setFocus();
    notMoved.Show();
}

// Grid 2 still loads with the text its box holds; emptying the box then loads it once more.
void frmDrugList::ReloadBothGrids()
{
    LoadDrugList(1, QString());
    LoadDrugList(2, QString());
}

void frmDrugList::EmptySearchBoxes()
{
    txtSearch1->setText(QString());
    txtSearch2->setText(QString());
}

void frmDrugList::cmdClear1_Click()
{
    txtSearch1->setFocus();
}

void frmDrugList::cmdCancel_Click()
{
    close();
}
