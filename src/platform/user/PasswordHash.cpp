#include "platform/user/PasswordHash.h"

#include "platform/db/PharvelError.h"

#include <mutex>
#include <sodium.h>

namespace PasswordHash {

namespace {
const QString kSource = QStringLiteral("PasswordHash");

void initialiseOnce()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (sodium_init() < 0)
            throw PharvelError(ErrorNumber::DatabaseError,
                               QStringLiteral("The password library cannot be started."), kSource);
    });
}

// The password's bytes, wiped when they are no longer needed.
class SecretBytes
{
public:
    explicit SecretBytes(const QString& text) : m_bytes(text.toUtf8()) {}
    ~SecretBytes() { sodium_memzero(m_bytes.data(), static_cast<size_t>(m_bytes.size())); }
    SecretBytes(const SecretBytes&) = delete;
    SecretBytes& operator=(const SecretBytes&) = delete;

    const char* data() const { return m_bytes.constData(); }
    unsigned long long size() const { return static_cast<unsigned long long>(m_bytes.size()); }

private:
    QByteArray m_bytes;
};
} // namespace

QString Hash(const QString& password)
{
    initialiseOnce();
    const SecretBytes secret(password);
    char hashed[crypto_pwhash_STRBYTES];
    // The interactive limits keep a login under a second on a desktop; the salt is random.
    if (crypto_pwhash_str(hashed, secret.data(), secret.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        throw PharvelError(ErrorNumber::DatabaseError,
                           QStringLiteral("The password cannot be hashed: out of memory."),
                           kSource);
    return QString::fromLatin1(hashed);
}

bool Verify(const QString& hash, const QString& password)
{
    initialiseOnce();
    const QByteArray hashText = hash.toLatin1();
    if (hashText.isEmpty() || static_cast<size_t>(hashText.size()) >= crypto_pwhash_STRBYTES)
        return false;
    const SecretBytes secret(password);
    return crypto_pwhash_str_verify(hashText.constData(), secret.data(), secret.size()) == 0;
}

} // namespace PasswordHash
