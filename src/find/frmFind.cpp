#include "find/frmFind.h"

#include "app/WindowPlacement.h"
#include "app/mdlPharvel.h"
#include "find/FoundEntryItem.h"
#include "find/TraceQuery.h"
#include "platform/catalog/Pharvel.h"
#include "platform/db/ServerProcedures.h"
#include "platform/widgets/DesignFont.h"
#include "platform/widgets/ErrorHandler.h"
#include "platform/widgets/MsgBox.h"
#include "platform/widgets/Twips.h"
#include "platform/widgets/UpperCaseTyping.h"

#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTreeWidget>
#include <optional>

namespace {

// The application-wide busy pointer while it lives, also when the search fails.
struct BusyPointer
{
    BusyPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { QApplication::restoreOverrideCursor(); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
};

bool IsEnterKey(const QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

frmFind::frmFind(SQLConnection& connection, QLabel& statusPanel, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      Frame1(new QGroupBox(tr("&1. Enter search key"), this)), txtFind(new QLineEdit(Frame1)),
      cmdFind(new QPushButton(tr("&Find"), Frame1)),
      Frame2(new QGroupBox(tr("&2. Select item from list then click OPEN button."), this)),
      lvFind(new QTreeWidget(Frame2)), cmdGo(new QPushButton(tr("&Go to Treeview"), this)),
      cmdClose(new QPushButton(tr("&Close"), this)), m_connection(connection),
      m_statusPanel(statusPanel)
{
    setObjectName(QStringLiteral("frmFind"));
    setWindowTitle(tr("Find Entry"));
    setFont(DesignFont(QStringLiteral("Arial"), 9));
    setFixedSize(TwipsRect(0, 0, 5925, 5640, this).size());
    Frame1->setGeometry(TwipsRect(60, 0, 5775, 735, this));
    txtFind->setGeometry(TwipsRect(120, 300, 4515, 330, this));
    cmdFind->setGeometry(TwipsRect(4740, 300, 915, 315, this));
    Frame2->setGeometry(TwipsRect(60, 780, 5775, 4215, this));
    lvFind->setGeometry(TwipsRect(120, 300, 5535, 3795, this));
    cmdGo->setGeometry(TwipsRect(1920, 5160, 1875, 375, this));
    cmdClose->setGeometry(TwipsRect(4800, 5160, 975, 375, this));
    setTabOrder(txtFind, cmdFind);
    setTabOrder(cmdFind, lvFind);
    setTabOrder(lvFind, cmdGo);
    setTabOrder(cmdGo, cmdClose);
    // Enter searches in the box and goes in the list; it never presses a button of its own.
    for (QPushButton* button : {cmdFind, cmdGo, cmdClose})
        button->setAutoDefault(false);

    new UpperCaseTyping(txtFind);

    lvFind->setColumnCount(4);
    lvFind->setHeaderLabels({tr("Entry in list"), tr("Parent"), tr("NodeKey"), tr("Index")});
    lvFind->setRootIsDecorated(false);
    lvFind->setUniformRowHeights(true);
    lvFind->setAllColumnsShowFocus(true);
    lvFind->setSelectionMode(QAbstractItemView::SingleSelection);
    lvFind->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvFind->header()->setStretchLastSection(false);
    lvFind->header()->setMinimumSectionSize(0);
    lvFind->header()->setSectionsClickable(true);
    lvFind->installEventFilter(this);

    WindowPlacement::CentreOnScreen(this);

    connectGuarded(txtFind, &QLineEdit::textChanged, this, &frmFind::txtFind_Change);
    connectGuarded(txtFind, &QLineEdit::returnPressed, this, &frmFind::txtFind_Return);
    connectGuarded(cmdFind, &QPushButton::clicked, this, &frmFind::cmdFind_Click);
    connectGuarded(lvFind->header(), &QHeaderView::sectionClicked, this,
                   &frmFind::lvFind_ColumnClick);
    connectGuarded(lvFind, &QTreeWidget::itemDoubleClicked, this, &frmFind::lvFind_DblClick);
    connectGuarded(cmdGo, &QPushButton::clicked, this, &frmFind::cmdGo_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
}

frmFind::~frmFind() = default;

void frmFind::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        Guarded([this] { Form_Load(); });
    QDialog::showEvent(event);
}

bool frmFind::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lvFind && IsEnterKey(event)) {
        Guarded([this] { lvFind_Return(); });
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void frmFind::Form_Load()
{
    m_findNode = false;
    // The controls start afresh at each opening.
    txtFind->clear();
    lvFind->clear();
    cmdFind->setEnabled(false);
    cmdGo->setEnabled(false);
    SetColumnWidths();
    txtFind->setFocus();
}

void frmFind::SetColumnWidths()
{
    const int half = lvFind->width() / 2;
    lvFind->setColumnWidth(EntryColumn, half);
    lvFind->setColumnWidth(ParentColumn, half);
    lvFind->setColumnWidth(NodeKeyColumn, 0);
    lvFind->setColumnWidth(IndexColumn, 0);
}

void frmFind::txtFind_Change()
{
    // Blanks count: a text of blanks only searches for the empty text.
    cmdFind->setEnabled(!txtFind->text().isEmpty());
}

void frmFind::txtFind_Return()
{
    if (cmdFind->isEnabled())
        cmdFind_Click();
}

void frmFind::cmdFind_Click()
{
    mdlPharvel::blnQuietLoad = true;
    std::optional<BusyPointer> busy(std::in_place);
    const QString searchText = txtFind->text().trimmed();
    RowSet found = ServerProcedures::For_SearchNodeList(m_connection, searchText);
    QList<QTreeWidgetItem*> byCode = FoundByCode(searchText);
    if (found.RecordCount() == 0 && byCode.isEmpty()) {
        busy.reset();
        // The rows of the last search stay, and with them Go to Treeview.
        MsgBox::Show(tr("Search string not existing!"), MsgBox::Icon::Information,
                     MsgBox::Buttons::OK, tr("MESSAGE"));
        return;
    }

    lvFind->clear();
    SetColumnWidths();
    QList<QTreeWidgetItem*> rows;
    rows.reserve(found.RecordCount());
    for (found.MoveFirst(); !found.AtEnd(); found.MoveNext()) {
        // A NULL parent (an entry straight under the root) reads as the empty text.
        rows << new FoundEntryItem({found.Text(QStringLiteral("ItemName")),
                                    found.Text(QStringLiteral("ParentName")),
                                    found.Text(QStringLiteral("Node_Key"))});
    }
    lvFind->addTopLevelItems(rows + byCode);
    cmdGo->setEnabled(lvFind->topLevelItemCount() > 0);
    lvFind_ColumnClick(EntryColumn);
    m_statusPanel.setText(tr("Select entry from list then click GO TO TREEVIEW."));
    found.Close();
}

QList<QTreeWidgetItem*> frmFind::FoundByCode(const QString& searchText) const
{
    // The window also works on a connection alone, with no catalogue component to ask.
    if (!mdlPharvel::objPharvel)
        return {};
    const QList<ReferenceCodeStore::Carrier> carriers =
        mdlPharvel::objPharvel->Formulary().FindByCode(searchText);
    QList<QTreeWidgetItem*> rows;
    for (const ReferenceCodeStore::Carrier& carrier : carriers) {
        // A generic name filed nowhere has no node the tree could open.
        if (carrier.nodeKey.isEmpty())
            continue;
        const QString code = carrier.code.system + QLatin1Char(' ') + carrier.code.code;
        auto* row = new FoundEntryItem({tr("%1 (code %2)").arg(carrier.genericName, code),
                                        carrier.classificationName, carrier.nodeKey});
        row->SetFoundByCode();
        row->setToolTip(EntryColumn, carrier.code.indexName.isEmpty()
                                         ? code
                                         : code + QStringLiteral(": ") + carrier.code.indexName);
        rows << row;
    }
    return rows;
}

void frmFind::lvFind_ColumnClick(int column)
{
    lvFind->sortItems(column, Qt::AscendingOrder);
}

void frmFind::lvFind_DblClick()
{
    if (cmdGo->isEnabled())
        cmdGo_Click();
}

void frmFind::lvFind_Return()
{
    cmdGo_Click();
}

void frmFind::cmdGo_Click()
{
    // With no row chosen there is no entry to go to.
    const QList<QTreeWidgetItem*> chosen = lvFind->selectedItems();
    if (chosen.isEmpty())
        return;
    ServerProcedures::For_TraceParent(m_connection, chosen.first()->text(NodeKeyColumn));
    m_findNode = false;
    RowSet trace = TraceQuery::Open(m_connection);
    if (trace.RecordCount() > 0)
        m_findNode = true;
    trace.Close();
    close();
}
