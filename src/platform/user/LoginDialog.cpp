#include "platform/user/LoginDialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace Corvida_User {

namespace {
QLineEdit* namedEdit(const QString& name, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    return edit;
}

QPushButton* namedButton(const QString& name, const QString& text, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    return button;
}
} // namespace

LoginDialog::LoginDialog(QWidget* parent)
    : QDialog(parent), txtServer(namedEdit(QStringLiteral("txtServer"), this)),
      txtUserId(namedEdit(QStringLiteral("txtUserId"), this)),
      txtPassword(namedEdit(QStringLiteral("txtPassword"), this)),
      cmdOK(namedButton(QStringLiteral("cmdOK"), tr("OK"), this)),
      cmdCancel(namedButton(QStringLiteral("cmdCancel"), tr("Cancel"), this))
{
    setObjectName(QStringLiteral("frmLogin"));
    setWindowTitle(tr("Login"));
    txtPassword->setEchoMode(QLineEdit::Password);
    txtServer->setMinimumWidth(320);
    cmdOK->setDefault(true);

    auto* fields = new QFormLayout;
    fields->addRow(tr("&Server:"), txtServer);
    fields->addRow(tr("&User ID:"), txtUserId);
    fields->addRow(tr("&Password:"), txtPassword);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());

    connect(cmdOK, &QPushButton::clicked, this, &LoginDialog::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &LoginDialog::cmdCancel_Click);
    txtUserId->setFocus();
}

QString LoginDialog::Server() const
{
    return txtServer->text().trimmed();
}

QString LoginDialog::UserId() const
{
    return txtUserId->text().trimmed();
}

QString LoginDialog::Password() const
{
    return txtPassword->text();
}

void LoginDialog::SetServer(const QString& server)
{
    txtServer->setText(server);
}

void LoginDialog::RetryPassword()
{
    txtPassword->clear();
    txtPassword->setFocus();
}

void LoginDialog::cmdOK_Click()
{
    accept();
}

void LoginDialog::cmdCancel_Click()
{
    reject();
}

} // namespace Corvida_User
