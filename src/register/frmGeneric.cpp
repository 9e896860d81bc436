#include "register/frmGeneric.h"

#include "platform/catalog/Pharvel.h"
#include "platform/catalog/ShortId.h"
#include "platform/db/PharvelError.h"
#include "platform/db/ServerProcedures.h"
#include "platform/widgets/CheckListProcedures.h"
#include "platform/widgets/ErrorHandler.h"
#include "platform/widgets/FlexGrid.h"
#include "platform/widgets/MsgBox.h"
#include "platform/widgets/Twips.h"
#include "platform/widgets/UpperCaseTyping.h"
#include "register/frmGenericEntry.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

namespace {

QString HeaderFormat()
{
    return QStringLiteral("<Code |<Generic Name");
}

constexpr int kCodeColumn = 0;
constexpr int kNameColumn = 1;

} // namespace

frmGeneric::frmGeneric(ClassPharvel::Pharvel& pharvel, SQLConnection& connection, QWidget* parent)
    : QDialog(parent), Frame1(new QGroupBox(tr("&Search"), this)), txtSearch(new QLineEdit(Frame1)),
      Frame2(new QGroupBox(tr("&Generic Name List"), this)), flexMSHList(new FlexGrid(Frame2)),
      cmdNew(new QPushButton(tr("&New"), this)), cmdRename(new QPushButton(tr("&Rename"), this)),
      cmdDelete(new QPushButton(tr("&Delete"), this)),
      cmdClose(new QPushButton(tr("&Close"), this)), m_pharvel(pharvel), m_connection(connection),
      m_genericEntry(new frmGenericEntry(pharvel, connection, this))
{
    setWindowTitle(tr("Build Generic Name"));
    setFixedSize(TwipsRect(0, 0, 6705, 5940, this).size());
    Frame1->setGeometry(TwipsRect(120, 60, 6465, 735, this));
    txtSearch->setGeometry(TwipsRect(120, 240, 6225, 375, this));
    QFont bold = txtSearch->font();
    bold.setBold(true);
    txtSearch->setFont(bold);
    new UpperCaseTyping(txtSearch);
    Frame2->setGeometry(TwipsRect(120, 840, 6465, 4455, this));
    flexMSHList->setGeometry(TwipsRect(75, 255, 6315, 4095, this));
    int left = 120;
    for (QPushButton* button : {cmdNew, cmdRename, cmdDelete}) {
        button->setGeometry(TwipsRect(left, 5430, 1095, 375, this));
        left += 1170;
    }
    cmdClose->setGeometry(TwipsRect(5490, 5430, 1095, 375, this));
    // Enter in the search box must not press a button.
    for (QPushButton* button : {cmdNew, cmdRename, cmdDelete, cmdClose})
        button->setAutoDefault(false);

    connectGuarded(txtSearch, &QLineEdit::textChanged, this, &frmGeneric::txtSearch_Change);
    connectGuarded(cmdNew, &QPushButton::clicked, this, &frmGeneric::cmdNew_Click);
    connectGuarded(cmdRename, &QPushButton::clicked, this, &frmGeneric::cmdRename_Click);
    connectGuarded(cmdDelete, &QPushButton::clicked, this, &frmGeneric::cmdDelete_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    // A name the entry dialog wrote shows at once; an error on the way reaches its Save's handler.
    connect(m_genericEntry, &frmGenericEntry::Saved, this, [this] { LoadList(txtSearch->text()); });
    const auto highlight = [this](bool on) {
        return [this, on] { Guarded([&] { mdlPharvel::HighlightCell(*flexMSHList, on); }); };
    };
    connect(flexMSHList, &FlexGrid::EnterCell, this, highlight(true));
    connect(flexMSHList, &FlexGrid::GotFocus, this, highlight(true));
    connect(flexMSHList, &FlexGrid::LeaveCell, this, highlight(false));
}

frmGeneric::~frmGeneric() = default;

void frmGeneric::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        Guarded([this] { Form_Load(); });
    QDialog::showEvent(event);
}

void frmGeneric::done(int result)
{
    CloseRowSet();
    flexMSHList->Clear();
    m_rowSet.reset();
    QDialog::done(result);
}

void frmGeneric::Form_Load()
{
    m_update = false;
    {
        // The controls start afresh at each opening; emptying the box is no search.
        const QSignalBlocker quiet(txtSearch);
        txtSearch->clear();
    }
    flexMSHList->SetCols(2);
    flexMSHList->SetRows(2);
    flexMSHList->SetFormatString(HeaderFormat());
    LoadList(txtSearch->text());
    txtSearch->setFocus();
}

void frmGeneric::LoadList(const QString& strSearch)
{
    flexMSHList->SetRedraw(false);
    flexMSHList->SetCols(2);
    flexMSHList->SetRows(2);
    flexMSHList->SetFixedCols(0);
    CloseRowSet();
    m_rowSet = std::make_shared<RowSet>(m_pharvel.Generics().ListGeneric(strSearch));
    if (m_rowSet->RecordCount() < 1) {
        flexMSHList->Clear();
        flexMSHList->SetRows(2);
    } else {
        flexMSHList->SetRowSet(m_rowSet);
    }
    flexMSHList->SetFormatString(HeaderFormat());
    const int codeWidth = qRound(Twips::FromPixels(flexMSHList->width(), flexMSHList) / 6.0);
    flexMSHList->SetColWidth(kCodeColumn, codeWidth);
    flexMSHList->SetColWidth(kNameColumn, 5 * codeWidth - 300);
    flexMSHList->SetRedraw(true);
    mdlPharvel::HighlightCell(*flexMSHList, true);
}

void frmGeneric::txtSearch_Change()
{
    LoadList(txtSearch->text());
}

void frmGeneric::cmdNew_Click()
{
    m_genericEntry->SetMode(frmGenericEntry::NewName);
    m_genericEntry->exec();
    m_update = true;
}

void frmGeneric::cmdRename_Click()
{
    if (!HasGenericNames())
        return;
    const int row = flexMSHList->Row();
    m_genericEntry->SetMode(frmGenericEntry::Rename);
    m_genericEntry->SetEntryText(flexMSHList->TextMatrix(row, kNameColumn));
    m_genericEntry->SetGenericCode(flexMSHList->TextMatrix(row, kCodeColumn));
    m_genericEntry->exec();
    m_update = true;
    LoadList(txtSearch->text());
}

void frmGeneric::cmdDelete_Click()
{
    if (!HasGenericNames())
        return;
    if (MsgBox::Show(tr("Are you sure to delete this generic?"), MsgBox::Icon::Question,
                     MsgBox::Buttons::YesNo) == MsgBox::Answer::Yes) {
        const int code = CurrentCode();
        try {
            ServerProcedures::Delete_Generic(m_connection, code);
            m_update = true;
        } catch (const PharvelError& error) {
            // A name still filed in the catalogue stays: the user is told why, and the list is
            // reloaded all the same.
            if (error.Number() != ErrorNumber::Refused)
                throw;
            MsgBox::Show(error.Description(), MsgBox::Icon::Exclamation);
        }
    }
    LoadList(txtSearch->text());
}

bool frmGeneric::HasGenericNames() const
{
    return m_rowSet && m_rowSet->RecordCount() > 0;
}

int frmGeneric::CurrentCode() const
{
    try {
        return ClassPharvel::ShortId::FromText(
            flexMSHList->TextMatrix(flexMSHList->Row(), kCodeColumn), tr("the generic code"));
    } catch (const PharvelError& error) {
        throw error.WithSource(QStringLiteral("frmGeneric.cmdDelete_Click"));
    }
}

void frmGeneric::CloseRowSet()
{
    if (m_rowSet && m_rowSet->IsOpen())
        m_rowSet->Close();
}
