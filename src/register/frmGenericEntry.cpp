#include "register/frmGenericEntry.h"

#include "platform/catalog/Pharvel.h"
#include "platform/catalog/ShortId.h"
#include "platform/db/GenericStore.h"
#include "platform/db/SQLConnection.h"
#include "platform/widgets/ErrorHandler.h"
#include "platform/widgets/MsgBox.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

namespace {

// Names longer than this do not fit the register.
constexpr int kMaxNameLength = 100;

} // namespace

frmGenericEntry::frmGenericEntry(ClassPharvel::Pharvel& pharvel, SQLConnection& connection,
                                 QWidget* parent)
    : NameEntryDialog(parent), m_pharvel(pharvel), m_connection(connection)
{
    Frame1->setTitle(tr("&Enter New Generic Name"));
    txtEntry->setMaxLength(kMaxNameLength);
    connectGuarded(cmdSave, &QPushButton::clicked, this, &frmGenericEntry::cmdSave_Click);
}

void frmGenericEntry::Form_Load()
{
    setWindowTitle(QString());
    Frame1->setTitle(m_mode == NewName ? tr("Enter New Generic Name") : tr("Rename Generic Name"));
    UpdateSaveButton();
    txtEntry->setFocus();
}

void frmGenericEntry::Form_Unload()
{
    // The opener fills the box for a rename before showing the dialog, so it is emptied here
    // and each opening starts with a fresh box.
    txtEntry->clear();
    txtEntry->setMaxLength(kMaxNameLength);
}

void frmGenericEntry::SetEntryText(const QString& name)
{
    txtEntry->setMaxLength(std::max(kMaxNameLength, static_cast<int>(name.size())));
    txtEntry->setText(name);
}

void frmGenericEntry::cmdSave_Click()
{
    // A rename to another entry's name would leave the register holding one name twice.
    if (GenericNameExists(TrimmedEntry())) {
        MsgBox::Show(tr("Generic name exists."), MsgBox::Icon::Information);
        return;
    }
    if (m_mode == NewName) {
        m_pharvel.Generics().NewGeneric(txtEntry->text());
        txtEntry->clear();
        txtEntry->setFocus();
    } else {
        m_pharvel.Generics().RenameGeneric(m_genericCode, txtEntry->text());
    }
    emit Saved();
    if (m_mode == Rename)
        accept();
}

bool frmGenericEntry::GenericNameExists(const QString& name) const
{
    if (m_mode == NewName)
        return GenericStore::NameTaken(m_connection, name);
    // The entry being renamed may keep its own name.
    return GenericStore::NameTaken(
        m_connection, name, ClassPharvel::ShortId::FromText(m_genericCode, tr("The generic code")));
}
