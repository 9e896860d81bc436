#include "assign/frmList.h"

#include "app/mdlPharvel.h"
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
#include "register/frmGeneric.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <limits>

namespace {

// Columns of both grids, bound from the row set: name, node key, code, classification id and
// the classification the generic name is under.
constexpr int kNameColumn = 1;
constexpr int kNodeKeyColumn = 2;
constexpr int kCodeColumn = 3;
constexpr int kClassificationColumn = 5;
constexpr int kCheckColumnWidth = 250;

QString NoClassification()
{
    return QStringLiteral("no classification");
}

QString Trimmed(const FlexGrid& grid, int row, int col)
{
    return grid.TextMatrix(row, col).trimmed();
}

bool IsTicked(const FlexGrid& grid, int row)
{
    return grid.TextMatrix(row, mdlPharvel::MarkerColumn) == mdlPharvel::CheckMarker();
}

int GenericCode(const FlexGrid& grid, int row)
{
    return ClassPharvel::ShortId::FromText(Trimmed(grid, row, kCodeColumn),
                                           frmList::tr("The generic code"));
}

} // namespace

frmList::frmList(ClassPharvel::Pharvel& pharvel, frmGeneric& genericRegister, QWidget* parent)
    : AssignmentWindow(pharvel, parent), fraGenericList(new QGroupBox(this)),
      fraSearch1(new QGroupBox(tr("&1. Search"), fraGenericList)),
      txtSearch1(new QLineEdit(fraSearch1)),
      fraGeneric1(new QGroupBox(tr("&2. Available Generic Names"), fraGenericList)),
      flexMSHList1(new FlexGrid(fraGeneric1)),
      cmdClear1(new QPushButton(tr("Clear Selec&tion"), fraGeneric1)),
      cmdAdd(new QPushButton(tr("&Add >>"), fraGenericList)),
      cmdRemove(new QPushButton(tr("<< &Remove"), fraGenericList)),
      fraSearch2(new QGroupBox(tr("&3. Search"), fraGenericList)),
      txtSearch2(new QLineEdit(fraSearch2)),
      fraGeneric2(new QGroupBox(tr("&4. Generic names under [Classification]"), fraGenericList)),
      flexMSHList2(new FlexGrid(fraGeneric2)),
      cmdClear2(new QPushButton(tr("C&lear Selection"), fraGeneric2)),
      Command1(new QPushButton(tr("&Build Generics"), this)),
      cmdCancel(new QPushButton(tr("&Close"), this)), ilsCheckList(new CheckListImages(this)),
      m_register(genericRegister)
{
    setWindowTitle(tr("Generic Classification"));
    setFont(DesignFont(QStringLiteral("Arial"), 9));
    setFixedSize(TwipsRect(0, 0, 10155, 5745, this).size());
    fraGenericList->setGeometry(TwipsRect(60, -60, 10035, 5115, this));
    fraSearch1->setGeometry(TwipsRect(120, 180, 4275, 735, this));
    txtSearch1->setGeometry(TwipsRect(120, 240, 4035, 390, this));
    fraGeneric1->setGeometry(TwipsRect(120, 960, 4275, 4035, this));
    flexMSHList1->setGeometry(TwipsRect(120, 300, 4035, 3135, this));
    cmdClear1->setGeometry(TwipsRect(2820, 3540, 1335, 375, this));
    // The move buttons take the whole gap between the frames: "<< Remove" at 192 dpi needs it.
    cmdAdd->setGeometry(TwipsRect(4440, 2640, 1155, 375, this));
    cmdRemove->setGeometry(TwipsRect(4440, 3240, 1155, 375, this));
    fraSearch2->setGeometry(TwipsRect(5640, 180, 4275, 735, this));
    txtSearch2->setGeometry(TwipsRect(120, 240, 4035, 390, this));
    fraGeneric2->setGeometry(TwipsRect(5640, 960, 4275, 4035, this));
    flexMSHList2->setGeometry(TwipsRect(120, 300, 4035, 3135, this));
    cmdClear2->setGeometry(TwipsRect(2820, 3540, 1335, 375, this));
    Command1->setGeometry(TwipsRect(120, 5220, 1575, 375, this));
    cmdCancel->setGeometry(TwipsRect(9000, 5220, 1035, 375, this));
    for (QGroupBox* frame : {fraSearch1, fraGeneric1, fraSearch2, fraGeneric2})
        EmphasiseCaption(frame);
    // Enter in a search box must not press a button.
    for (QPushButton* button : {cmdClear1, cmdAdd, cmdRemove, cmdClear2, Command1, cmdCancel})
        button->setAutoDefault(false);
    // The designed widths were measured for fonts this desktop may not have.
    FitCaption(cmdClear1);
    FitCaption(cmdClear2);

    SetGrids(new GridPair(
                 *ilsCheckList, {flexMSHList1, cmdClear1, cmdAdd, fraSearch1, txtSearch1},
                 {flexMSHList2, cmdClear2, cmdRemove, fraSearch2, txtSearch2},
                 [this](int intWhichGrid, const QString& strSearchKey) {
                     return LoadGrid(static_cast<qint16>(intWhichGrid), strSearchKey);
                 },
                 {}, this),
             flexMSHList1, flexMSHList2);
    connectGuarded(cmdAdd, &QPushButton::clicked, this, &frmList::cmdAdd_Click);
    connectGuarded(cmdRemove, &QPushButton::clicked, this, &frmList::cmdRemove_Click);
    connectGuarded(Command1, &QPushButton::clicked, this, &frmList::Command1_Click);
    connectGuarded(cmdCancel, &QPushButton::clicked, this, &frmList::cmdCancel_Click);
}

frmList::~frmList() = default;

void frmList::Form_Load()
{
    {
        // The controls start afresh at each opening; emptying a box is no search.
        const QSignalBlocker quiet1(txtSearch1);
        const QSignalBlocker quiet2(txtSearch2);
        txtSearch1->clear();
        txtSearch2->clear();
    }
    fraSearch1->setEnabled(true);
    fraSearch2->setEnabled(true);
    flexMSHList1->setEnabled(LoadGrid(1, QString()) > 0);
    flexMSHList2->setEnabled(LoadGrid(2, QString()) > 0);
    for (QPushButton* button : {cmdAdd, cmdRemove, cmdClear1, cmdClear2})
        button->setEnabled(false);
    fraGeneric2->setTitle(tr("Generic Names under [") + m_classificationName + QLatin1Char(']'));
}

qint16 frmList::LoadGrid(qint16 intWhichGrid, const QString& strSearchKey)
{
    const bool first = intWhichGrid == 1;
    FlexGrid& grid = BeginReload(first);
    std::shared_ptr<RowSet>& rowSet = BoundRows(first);
    ClassPharvel::clsClassifications& classifications = m_pharvel.Classifications();
    rowSet =
        std::make_shared<RowSet>(first ? classifications.OtherGenerics(m_itemId, 1, strSearchKey)
                                       : classifications.LoadGenerics(m_itemId, 1, strSearchKey));
    const int count = rowSet->RecordCount();
    // An empty row set binds as the header of its field names over one blank row.
    grid.SetRowSet(rowSet);
    grid.SetCols(7);
    const int nameWidth = Twips::FromPixels(grid.width(), &grid) - kCheckColumnWidth;
    const int widths[] = {kCheckColumnWidth, nameWidth, 0, 0, 0, nameWidth, 0};
    for (int col = 0; col < 7; ++col)
        grid.SetColWidth(col, widths[col]);
    grid.SetRedraw(true);
    mdlPharvel::ClearChecks(grid, *ilsCheckList, mdlPharvel::CheckColumn, 1, true);
    if (count > std::numeric_limits<qint16>::max())
        throw PharvelError(ErrorNumber::Overflow,
                           tr("%1 generic names were found; a list shows at most %2.")
                               .arg(count)
                               .arg(std::numeric_limits<qint16>::max()),
                           QStringLiteral("frmList.LoadGrid"));
    return static_cast<qint16>(count);
}

qint16 frmList::IsKeyPosition(const QString& strSearchKey) const
{
    if (strSearchKey.isEmpty())
        return 0;
    const QString wanted = strSearchKey.trimmed();
    const KeyedTree& tree = Tree(QStringLiteral("frmList.IsKeyPosition"));
    // Node indexes that pass between the windows are 16-bit.
    const int count = std::min<int>(tree.Count(), std::numeric_limits<qint16>::max());
    for (int position = 1; position <= count; ++position) {
        if (tree.NodeAt(position).Key().trimmed() == wanted)
            return static_cast<qint16>(position);
    }
    return 0;
}

bool frmList::CanAdd(qint16 intKeyPosition) const
{
    if (intKeyPosition < 1)
        return false;
    const TreeNode node = Tree(QStringLiteral("frmList.CanAdd")).NodeAt(intKeyPosition);
    return node && node.Children() > 0;
}

bool frmList::HoldsDrugs(const QString& oldKey)
{
    if (oldKey.isEmpty())
        return false;
    if (CanAdd(IsKeyPosition(oldKey)))
        return true;
    // A branch the tree never opened shows no drugs; the catalogue knows them all the same.
    return m_pharvel.LoadClassifications(oldKey.trimmed(), false).RecordCount() > 0;
}

QString frmList::GenericNodeKey(int genericCode)
{
    ClassPharvel::clsGenerics& generics = m_pharvel.Generics();
    return generics.SearchGeneric(genericCode) ? generics.NodeKey() : QString();
}

void frmList::cmdAdd_Click()
{
    KeyedTree& tree = Tree(QStringLiteral("frmList.cmdAdd_Click"));
    const TreeNode classification = tree.SelectedItem();
    if (!classification)
        return;
    const QString parentKey = classification.Key();
    RowsNotMoved notMoved(tr("These generic names were not moved:"));
    NewChildKeys newKeys(m_pharvel, parentKey);
    bool moved = false;
    FlexGrid& grid = *flexMSHList1;
    for (int row = 1; row < grid.Rows(); ++row) {
        const QString name = Trimmed(grid, row, kNameColumn);
        // The blank row of an emptied grid can be ticked; it holds nothing to move.
        if (!IsTicked(grid, row) || name.isEmpty())
            continue;
        const QString shownName = grid.TextMatrix(row, kNameColumn);
        QString oldKey;
        QString newKey;
        try {
            const int code = GenericCode(grid, row);
            oldKey = GenericNodeKey(code);
            // The question below would be asked on what the grid read: another desktop may
            // have filed the generic name elsewhere since.
            if (oldKey.trimmed() != Trimmed(grid, row, kNodeKeyColumn)) {
                notMoved.Add(name, m_pharvel.ChangedMeanwhile(NodeType::Generic, code));
                continue;
            }
            if (HoldsDrugs(oldKey)) {
                MsgBox::Show(tr("You can't move ") + name +
                             tr(" because drugs are already assigned to it."));
                continue;
            }
            const QString classificationShown = grid.TextMatrix(row, kClassificationColumn);
            if (classificationShown.trimmed() != NoClassification() &&
                MsgBox::Show(name + tr(" is already under the classification ") +
                                 classificationShown + tr(". Do you wish to proceed?"),
                             MsgBox::Icon::Information, MsgBox::Buttons::YesNo,
                             tr("Message")) != MsgBox::Answer::Yes)
                continue;
            newKey = newKeys.Next(static_cast<qint16>(classification.Children()));
            m_pharvel.Generics().AddGeneric(parentKey, newKey, shownName, code);
            newKeys.Taken(newKey);
        } catch (const PharvelError& error) {
            notMoved.Add(name, error.Description());
            continue;
        }
        ResumeNext([&] {
            tree.Add(parentKey, newKey, shownName, mdlPharvel::NodeImageKey(NodeType::Generic));
        });
        ResumeNext([&] { tree.SelectedItem().SetExpanded(true); });
        if (!oldKey.isEmpty() && tree.Exists(oldKey.trimmed()))
            ResumeNext([&] { tree.Remove(oldKey.trimmed()); });
        flexMSHList2->setEnabled(true);
        moved = true;
    }
    if (moved) {
        AfterMove();
        txtSearch1->setText(QString());
    }
    notMoved.Show();
}

void frmList::cmdRemove_Click()
{
    KeyedTree& tree = Tree(QStringLiteral("frmList.cmdRemove_Click"));
    RowsNotMoved notMoved(tr("These generic names were not taken out:"));
    bool moved = false;
    FlexGrid& grid = *flexMSHList2;
    for (int row = 1; row < grid.Rows(); ++row) {
        const QString name = Trimmed(grid, row, kNameColumn);
        if (!IsTicked(grid, row) || name.isEmpty())
            continue;
        QString oldKey;
        try {
            oldKey = GenericNodeKey(GenericCode(grid, row));
            if (HoldsDrugs(oldKey)) {
                MsgBox::Show(tr("You can't remove ") + name +
                             tr(" because drugs are already assigned to it."));
                continue;
            }
            m_pharvel.Generics().DeleteGeneric(grid.TextMatrix(row, kCodeColumn));
        } catch (const PharvelError& error) {
            notMoved.Add(name, error.Description());
            continue;
        }
        if (!oldKey.isEmpty() && tree.Exists(oldKey.trimmed()))
            ResumeNext([&] { tree.Remove(oldKey.trimmed()); });
        flexMSHList1->setEnabled(true);
        moved = true;
    }
    if (moved) {
        AfterMove();
        txtSearch2->setText(QString());
    }
    notMoved.Show();
}

// Both grids freshly loaded without a search, nothing ticked, all four buttons disabled and
// both search frames open again.
void frmList::AfterMove()
{
    LoadGrid(1, QString());
    LoadGrid(2, QString());
    for (QPushButton* button : {cmdAdd, cmdRemove, cmdClear1, cmdClear2})
        button->setEnabled(false);
    fraSearch1->setEnabled(true);
    fraSearch2->setEnabled(true);
}

void frmList::Command1_Click()
{
    m_register.exec();
    if (!m_register.Update())
        return;
    // The reload may bring rows to a grid that had none, and it drops the ticks of grid 1.
    flexMSHList1->setEnabled(LoadGrid(1, txtSearch1->text()) > 0);
    Grids().FollowTicks(1);
}

void frmList::cmdCancel_Click()
{
    close();
}
