#pragma once

#include <QObject>
#include <QString>
#include <memory>

class SQLConnection;

namespace Corvida_User {

// The current-user component ("Corvida_User.clsCurrentUser"): logs the user in and owns the
// user's database connection.
//   SQLite: the accounts are rows of patient_data.tbUserProfile holding Argon2id hashes.
//   PostgreSQL: the user connects as their own database role (the server checks the password);
//   the profile table gives initials and rights.
// Only accounts of the department named by PasswordDeptCode are admitted.
class clsCurrentUser : public QObject
{
    Q_OBJECT

public:
    explicit clsCurrentUser(QObject* parent = nullptr);
    ~clsCurrentUser() override;

    void SetPasswordDeptCode(const QString& code);
    const QString& PasswordDeptCode() const;

    // Runs the login dialog (server, user id, password) until the user logs in or cancels.
    void ShowMain();
    // The login itself, as the dialog runs it. Raises PharvelError with a clear description
    // when the server cannot be reached or the account or password is wrong.
    void Login(const QString& server, const QString& userId, const QString& password);
    // The server the dialog offers first: PHARVEL_SERVER, else the embedded demo database.
    static QString DefaultServer();

    bool Connected() const;
    ::SQLConnection* SQLConnection() const;
    // The connection string of that connection (with the credentials the catalogue component
    // needs to open its own).
    QString connectionstr() const;
    QString Initial() const;
    QString UserRights() const;
    QString ServerName() const;
    QString userid() const;
    QString serverpassword() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace Corvida_User
