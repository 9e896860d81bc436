#pragma once

#include "platform/user/UserProfile.h"

#include <QLatin1String>
#include <QList>
#include <QString>
#include <optional>

class SQLConnection;

// The accounts of a catalogue, kept the way each engine needs them:
//   SQLite: a profile row holding an Argon2id hash of the password;
//   PostgreSQL: a LOGIN role of the same name (the server keeps and checks the password) with
//   rights on the two schemas, and a profile row without a hash.
namespace AccountStore {

// The pharmacy's department code; only its accounts may open the catalogue.
inline constexpr QLatin1String kPharmacyDeptCode("PH");
// The rights code of a user who may only look.
inline constexpr QLatin1String kViewOnlyRights("BB");

// A user id doubles as a server role name, so it is kept to letters, digits, "_" and "-"
// (at most 63, not starting with "-" or the server's reserved "pg_").
bool IsValidUserId(const QString& userId);

// Creates the account; an empty rights code gives full rights. Raises PharvelError for an invalid
// id, an empty password, initials or department, an account or server role that exists already;
// nothing is left behind when it fails.
void AddAccount(SQLConnection& connection, const QString& userId, const QString& password,
                const QString& initials, const QString& rights, const QString& deptCode);

// On a server: whether a role of that name exists there (roles belong to the whole server, so
// it may serve another catalogue).
bool ServerRoleExists(SQLConnection& connection, const QString& userId);

// On a server: makes an existing login role an account of this catalogue with the rights given;
// the server keeps the role's password as it is. Raises PharvelError on the embedded engine, for
// a role that does not exist, or for an account that exists here already.
void AddAccountForRole(SQLConnection& connection, const QString& userId, const QString& initials,
                       const QString& rights, const QString& deptCode);

// On a server: gives every account's role its rights again, on every table there is now (a
// grant reaches only the tables that existed when it was made, so a migration that adds tables
// is followed by this). Returns how many roles it renewed; none on the embedded engine.
int RenewRights(SQLConnection& connection);

enum class Removal {
    NotFound,       // the catalogue has no such account; nothing was touched
    Removed,        // the account is gone (on a server: with its role)
    RemovedRoleKept // the account is gone, but the server role still serves other databases
};
// Removes the account and, on a server, its rights here and then its role when nothing else
// on the server needs it. A role without a profile here is never touched.
Removal RemoveAccount(SQLConnection& connection, const QString& userId);

// Every account, in user-id order (without password hashes).
QList<UserProfile> ListAccounts(SQLConnection& connection);

// The account of userId, exactly as spelt, or nothing.
std::optional<UserProfile> FindAccount(SQLConnection& connection, const QString& userId);

} // namespace AccountStore
