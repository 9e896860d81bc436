#include "details/frmMedDetails.h"

#include "platform/db/SQLConnection.h"
#include "platform/widgets/DesignFont.h"
#include "platform/widgets/ReadOnlyText.h"
#include "platform/widgets/Twips.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace {

// A read-only box of several lines without scroll bars, which Tab leaves for the next box.
QPlainTextEdit* DetailBox(QWidget* parent)
{
    auto* box = new QPlainTextEdit(parent);
    ReadOnlyText::Apply(box);
    box->setFocusPolicy(Qt::StrongFocus);
    box->setTabChangesFocus(true);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return box;
}

// Item codes are the stock items' ids; a code that is no id names no item.
QVariant ItemId(const QString& itemCode)
{
    bool ok = false;
    const int id = itemCode.toInt(&ok);
    return ok ? QVariant(id) : QVariant(QMetaType::fromType<int>());
}

} // namespace

frmMedDetails::frmMedDetails(SQLConnection& connection, QWidget* parent)
    : DetailsWindow(connection, parent), Label1(new QLabel(tr("Item Name:"), this)),
      Label2(new QLabel(tr("Indication:"), this)), Label3(new QLabel(tr("Dosage:"), this)),
      Label4(new QLabel(tr("Administration:"), this)), Label5(new QLabel(tr("Preparation:"), this)),
      txtItemName(new ReadOnlyLineEdit(this)), txtIndication(DetailBox(this)),
      txtDosage(DetailBox(this)), txtAdministration(DetailBox(this)),
      txtPreparation(DetailBox(this))
{
    setWindowTitle(tr("Medicine Details"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(TwipsRect(0, 0, 8880, 6285, this).size());
    setFont(DesignFont(QStringLiteral("MS Sans Serif"), 8));

    Label1->setGeometry(TwipsRect(210, 165, 975, 375, this));
    Label2->setGeometry(TwipsRect(210, 735, 975, 375, this));
    Label3->setGeometry(TwipsRect(210, 2085, 975, 315, this));
    Label4->setGeometry(TwipsRect(210, 3390, 975, 330, this));
    Label5->setGeometry(TwipsRect(210, 4710, 975, 330, this));
    for (QLabel* label : {Label1, Label2, Label3, Label4, Label5}) {
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        HoldCaption(label);
    }

    txtItemName->setGeometry(TwipsRect(1560, 120, 6855, 495, this));
    txtIndication->setGeometry(TwipsRect(1560, 720, 6855, 1215, this));
    txtDosage->setGeometry(TwipsRect(1560, 2040, 6855, 1215, this));
    txtAdministration->setGeometry(TwipsRect(1560, 3360, 6855, 1215, this));
    txtPreparation->setGeometry(TwipsRect(1560, 4680, 6855, 1215, this));
    setTabOrder(txtItemName, txtIndication);
    setTabOrder(txtIndication, txtDosage);
    setTabOrder(txtDosage, txtAdministration);
    setTabOrder(txtAdministration, txtPreparation);
}

void frmMedDetails::Form_Load()
{
    txtItemName->setText(m_itemName);
    txtItemName->setCursorPosition(0);
    txtItemName->setFocus();
    for (QPlainTextEdit* box : {txtIndication, txtDosage, txtAdministration, txtPreparation})
        box->clear();

    RowSet item = Connection().OpenRowSet(
        QStringLiteral("SELECT COALESCE(Indication, '') AS Indication, "
                       "COALESCE(Dosage, '') AS Dosage, "
                       "COALESCE(Administration, '') AS Administration, "
                       "COALESCE(Preparation, '') AS Preparation "
                       "FROM inventory.tbinvmaster WHERE itemid = ? LIMIT 1"),
        {ItemId(m_itemCode)});
    if (!item.AtEnd()) {
        txtIndication->setPlainText(item.Text(QStringLiteral("Indication")));
        txtDosage->setPlainText(item.Text(QStringLiteral("Dosage")));
        txtAdministration->setPlainText(item.Text(QStringLiteral("Administration")));
        txtPreparation->setPlainText(item.Text(QStringLiteral("Preparation")));
    }
    item.Close();
}
