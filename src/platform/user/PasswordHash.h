#pragma once

#include <QString>

// The embedded engine has no accounts of its own, so the login keeps an Argon2id hash of each
// password (libsodium's self-describing "$argon2id$..." text, salt and limits included) and
// checks a typed password against it. The password itself is never stored.
namespace PasswordHash {

// A fresh hash of the password, with a random salt: two calls give different texts.
// Raises PharvelError when the machine cannot spare the memory the hash needs.
QString Hash(const QString& password);

// True when the password is the one the hash was made from. A malformed hash is no match.
bool Verify(const QString& hash, const QString& password);

} // namespace PasswordHash
