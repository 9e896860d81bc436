#pragma once

#include "platform/db/PharvelError.h"
#include "platform/db/SQLConnection.h"
#include "platform/db/ScopedTransaction.h"

#include <QString>
#include <memory>

namespace ClassPharvel {

// What the catalogue component's objects share: its own connection, the user's right to change
// the catalogue, and the way every member reads and writes.
//
// Rights: an unnamed user is the administrator's tool and may change everything; a named user
// is looked up in patient_data.tbUserProfile, where the rights code "BB" allows looking only.
// A named user without a profile may only look, since the login admits nobody without one.
class CatalogueSession
{
public:
    CatalogueSession() = default;
    ~CatalogueSession();

    // Opens the connection and reads the user's rights. Raises PharvelError.
    void Open(const QString& connectionString);
    bool IsOpen() const { return m_connection != nullptr; }
    SQLConnection& Connection();
    bool MayWrite() const { return m_refusal.isEmpty(); }

    // Runs a member's reading work; an error leaves with the member's name as its source.
    template <typename Work> auto Read(const QString& source, Work&& work) -> decltype(work())
    {
        try {
            return work();
        } catch (const PharvelError& error) {
            throw error.WithSource(source);
        }
    }

    // Runs a change as one transaction, after checking that the user may change the catalogue.
    // On PostgreSQL the tree is locked against other writers first, so that the checks a change
    // makes still hold when it is written (the embedded engine takes its write lock at BEGIN).
    template <typename Change> bool Write(const QString& source, Change&& change)
    {
        return Read(source, [&] {
            RequireWritable();
            ScopedTransaction transaction(Connection());
            LockForWriting(QStringLiteral("inventory.tbPharvel"));
            const bool changed = change();
            transaction.Commit();
            return changed;
        });
    }

    // The first free id of a table whose ids are 16-bit: one above the highest, or the lowest
    // gap once the highest is 32767. Call inside Write. table and column are our own names.
    int NextFreeId(const QString& table, const QString& column);

    // A change the catalogue refuses because it would break it; Read adds the member's name.
    [[noreturn]] static void Refuse(const QString& description);
    // Names are stored exactly as given, but a name of blanks only would show as nothing.
    static void RequireName(const QString& name);

private:
    void RequireWritable() const;
    void LockForWriting(const QString& table);
    static QString RefusalFor(SQLConnection& connection);

    std::unique_ptr<SQLConnection> m_connection;
    QString m_refusal;
};

} // namespace ClassPharvel
