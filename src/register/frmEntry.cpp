#include "register/frmEntry.h"

#include "platform/db/ClassificationStore.h"
#include "platform/widgets/ErrorHandler.h"
#include "platform/widgets/MsgBox.h"
#include "platform/widgets/Twips.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

frmEntry::frmEntry(SQLConnection& connection, QWidget* parent)
    : NameEntryDialog(parent), fraEntry2(new QGroupBox(tr("&2. Type Description"), this)),
      txtDescription(new QPlainTextEdit(fraEntry2)), m_connection(connection)
{
    setWindowTitle(tr("Classification Entry"));
    fraEntry->setTitle(tr("&1. Type New Classification"));
    fraEntry2->setGeometry(TwipsRect(120, 1500, 5910, 1455, this));
    txtDescription->setGeometry(TwipsRect(120, 240, 5670, 1095, this));
    txtDescription->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    fraEntry2->hide();

    connectGuarded(cmdOK, &QPushButton::clicked, this, &frmEntry::cmdOK_Click);
}

void frmEntry::Form_Load()
{
    m_classEntry.clear();
    m_descriptionEntry.clear();
    txtNewClassification->clear();
    txtDescription->clear();
    if (m_classtype == QLatin1String("1")) {
        setWindowTitle(tr("Drug Classification Entry"));
        fraEntry->setTitle(tr("&1. Type New Classification"));
    } else if (m_classtype == QLatin1String("2")) {
        setWindowTitle(tr("Generic Name Entry"));
        fraEntry->setTitle(tr("&1. Type New Generic Name"));
    } else {
        setWindowTitle(tr("Classification Entry"));
        fraEntry->setTitle(tr("&1. Type New Classification"));
    }
    UpdateSaveButton();
    txtNewClassification->setFocus();
}

void frmEntry::cmdOK_Click()
{
    if (ClassNameExists(TrimmedEntry())) {
        MsgBox::Show(tr("Classification name exists."), MsgBox::Icon::Information);
        return;
    }
    m_classEntry = txtNewClassification->text();
    m_descriptionEntry = txtDescription->toPlainText();
    accept();
}

bool frmEntry::ClassNameExists(const QString& name) const
{
    return ClassificationStore::NameTaken(m_connection, name);
}
