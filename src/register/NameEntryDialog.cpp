#include "register/NameEntryDialog.h"

#include "platform/db/SQLConnection.h"
#include "platform/db/TextLimits.h"
#include "platform/widgets/ErrorHandler.h"
#include "platform/widgets/Twips.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

NameEntryDialog::NameEntryDialog(QWidget* parent)
    : QDialog(parent), m_frame(new QGroupBox(this)), m_box(new QLineEdit(m_frame)),
      m_save(new QPushButton(tr("&Save"), this)), m_close(new QPushButton(tr("&Close"), this))
{
    setFixedSize(TwipsRect(0, 0, 6150, 1425, this).size());
    m_frame->setGeometry(TwipsRect(120, 60, 5910, 735, this));
    m_box->setGeometry(TwipsRect(120, 240, 5670, 375, this));
    m_box->setMaxLength(static_cast<int>(TextLimits::kName));
    m_save->setGeometry(TwipsRect(3720, 900, 1095, 375, this));
    m_close->setGeometry(TwipsRect(4935, 900, 1095, 375, this));
    // Enter saves the name; Close never becomes the default button.
    m_save->setDefault(true);
    m_close->setAutoDefault(false);

    connect(m_box, &QLineEdit::textChanged, this, &NameEntryDialog::UpdateSaveButton);
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
}

void NameEntryDialog::UpdateSaveButton()
{
    m_save->setEnabled(!TrimmedEntry().isEmpty());
}

QString NameEntryDialog::TrimmedEntry() const
{
    return m_box->text().trimmed();
}

void NameEntryDialog::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        Guarded([this] { Form_Load(); });
    QDialog::showEvent(event);
}

void NameEntryDialog::done(int result)
{
    Guarded([this] { Form_Unload(); });
    QDialog::done(result);
}
