#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace Corvida_User {

// The login window: the server (a catalogue folder or a server address), the user id and the
// password. OK accepts, Cancel gives up; the current-user component checks what was typed.
class LoginDialog : public QDialog
{
    Q_OBJECT

public:
    explicit LoginDialog(QWidget* parent = nullptr);

    QString Server() const;
    QString UserId() const;
    QString Password() const;
    void SetServer(const QString& server);

    // After a refused attempt: the password is cleared and has the focus, the rest stays.
    void RetryPassword();

    void cmdOK_Click();
    void cmdCancel_Click();

    QLineEdit* txtServer;
    QLineEdit* txtUserId;
    QLineEdit* txtPassword;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
};

} // namespace Corvida_User
