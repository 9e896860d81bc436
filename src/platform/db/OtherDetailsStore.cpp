#include "platform/db/OtherDetailsStore.h"

#include "platform/db/CatalogueTypes.h"
#include "platform/db/Journal.h"
#include "platform/db/PharvelError.h"
#include "platform/db/SQLConnection.h"
#include "platform/db/ScopedTransaction.h"
#include "platform/db/SqlDialect.h"
#include "platform/db/TextLimits.h"

namespace OtherDetailsStore {

Text Read(SQLConnection& connection, int genericId)
{
    const RowSet row = connection.OpenRowSet(
        QStringLiteral("SELECT OtherDetails FROM inventory.tbPharvelOtherDetails "
                       "WHERE GenericID = ?"),
        {genericId});
    if (row.RecordCount() == 0)
        return std::nullopt;
    // A NULL text reads as an empty one.
    return row.Text(0).isNull() ? QStringLiteral("") : row.Text(0);
}

Outcome Save(SQLConnection& connection, int genericId, const QString& text, const Text& asRead)
{
    try {
        if (text.size() > TextLimits::kOtherDetails)
            throw PharvelError(
                ErrorNumber::Refused,
                TextLimits::TooLong(QStringLiteral("The other details"), TextLimits::kOtherDetails),
                QString());
        ScopedTransaction transaction(connection);
        // No other desktop inserts or updates the row between the check and the write (the
        // embedded engine holds its write lock from BEGIN).
        SqlDialect::LockAgainstWriters(connection,
                                       {QStringLiteral("inventory.tbPharvelOtherDetails")});
        const Text stored = Read(connection, genericId);
        if (stored != asRead)
            return {false, stored, Journal::LastChangeOf(connection, NodeType::Generic, genericId)};
        if (stored)
            connection.Execute(QStringLiteral("UPDATE inventory.tbPharvelOtherDetails "
                                              "SET OtherDetails = ? WHERE GenericID = ?"),
                               {text, genericId});
        else
            connection.Execute(QStringLiteral("INSERT INTO inventory.tbPharvelOtherDetails "
                                              "(GenericID, OtherDetails) VALUES (?, ?)"),
                               {genericId, text});
        Journal::Change change =
            Journal::AboutGeneric(connection, Journal::Action::OtherDetailsSaved, genericId);
        change.oldText = stored.value_or(QString());
        change.newText = text;
        Journal::Record(connection, change);
        transaction.Commit();
        return {true, std::nullopt, {}};
    } catch (const PharvelError& error) {
        throw error.WithSource(QStringLiteral("frmDrugInformation.SaveOtherDetails"));
    }
}

} // namespace OtherDetailsStore
