#include "platform/exchange/GenericMerge.h"

#include "platform/catalog/FilingJournal.h"
#include "platform/catalog/NodeStore.h"
#include "platform/db/CatalogueTypes.h"
#include "platform/db/Formulary.h"
#include "platform/db/GenericStore.h"
#include "platform/db/Journal.h"
#include "platform/db/OtherDetailsStore.h"
#include "platform/db/PharvelError.h"
#include "platform/db/SQLConnection.h"
#include "platform/db/ScopedTransaction.h"
#include "platform/db/ServerProcedures.h"
#include "platform/db/SqlDialect.h"

namespace GenericMerge {

namespace {
const QString kSource = QStringLiteral("GenericMerge.Merge");
const QString kHoldsNodes =
    QStringLiteral("A node to be moved holds other nodes; nothing was merged.");

[[noreturn]] void refuse(const QString& text)
{
    throw PharvelError(ErrorNumber::Refused, text, kSource);
}

QString genericName(SQLConnection& connection, int code)
{
    const std::optional<GenericRecord> generic = GenericStore::Find(connection, code);
    if (!generic)
        refuse(QStringLiteral("There is no generic name with the code %1.").arg(code));
    return generic->name;
}

// Hands out keys under a classification's or a generic name's node, after every number its
// children have now.
class ChildKeys
{
public:
    ChildKeys(SQLConnection& connection, QString parentKey) : m_parent(std::move(parentKey))
    {
        const RowSet children = connection.OpenRowSet(
            QStringLiteral("SELECT Node_Key FROM inventory.tbPharvel WHERE Node_Parent = ?"),
            {m_parent});
        for (int r = 0; r < children.RecordCount(); ++r) {
            const QString key = children.At(r, 0).toString();
            m_highest = std::max(
                m_highest, QStringView(key).mid(key.lastIndexOf(QLatin1Char('.')) + 1).toInt());
        }
    }
    QString Next() { return m_parent + QLatin1Char('.') + QString::number(++m_highest); }

private:
    QString m_parent;
    int m_highest = 0;
};

// DROP's other details go below KEEP's, under a line naming DROP; saved as any other details
// are, so the journal holds the text before and after.
void appendDetails(SQLConnection& connection, int keepCode, int dropCode, const QString& dropName)
{
    const OtherDetailsStore::Text drop = OtherDetailsStore::Read(connection, dropCode);
    if (!drop || drop->isEmpty())
        return;
    const OtherDetailsStore::Text keep = OtherDetailsStore::Read(connection, keepCode);
    const QString appended = DetailsHeading(dropName, dropCode) + QLatin1Char('\n') + *drop;
    OtherDetailsStore::Save(
        connection, keepCode,
        keep && !keep->isEmpty() ? *keep + QStringLiteral("\n\n") + appended : appended, keep);
}

// The history says what was merged into what, besides each drug's move.
void journalMerge(SQLConnection& connection, const Result& result, int keepCode, int dropCode)
{
    Journal::Change change;
    change.action = Journal::Action::GenericMerged;
    change.entryType = NodeType::Generic;
    change.entryId = dropCode;
    change.entryName = result.dropName;
    change.oldName = result.dropName;
    change.newName = result.keepName;
    change.newText = QStringLiteral("merged into generic name %1 \"%2\"; %3 drugs moved")
                         .arg(keepCode)
                         .arg(result.keepName)
                         .arg(result.drugsMoved);
    Journal::Record(connection, change);
}
} // namespace

QString DetailsHeading(const QString& dropName, int dropCode)
{
    return QStringLiteral("From %1 (generic name %2):").arg(dropName).arg(dropCode);
}

Result Merge(SQLConnection& connection, int keepCode, int dropCode)
{
    try {
        if (keepCode == dropCode)
            refuse(QStringLiteral("A generic name cannot be merged into itself."));
        ScopedTransaction transaction(connection);
        SqlDialect::LockAgainstWriters(connection, {QStringLiteral("inventory.tbPharvel")});
        Result result{genericName(connection, keepCode), genericName(connection, dropCode), 0};

        ClassPharvel::NodeStore nodes(connection);
        // Each node moves as the assignment windows move it: old node out, new node in, journaled.
        const auto move = [&](const QString& type, int id, const QString& parentKey,
                              const QString& newKey) {
            const std::optional<CatalogueNode> old = nodes.FindFiled(type, id);
            if (old)
                nodes.Remove(*old, kHoldsNodes);
            const CatalogueNode parent = nodes.Insert(parentKey, newKey, type, id);
            if (const std::optional<CatalogueNode> moved = nodes.Find(newKey))
                ClassPharvel::FilingJournal::Filed(nodes, connection, *moved, old, parent);
        };
        if (const std::optional<CatalogueNode> drop =
                nodes.FindFiled(NodeType::Generic, dropCode)) {
            QString keepKey;
            if (const auto keep = nodes.FindFiled(NodeType::Generic, keepCode)) {
                keepKey = keep->key;
            } else {
                // KEEP takes DROP's place: filed under the same classification.
                keepKey = ChildKeys(connection, drop->parent).Next();
                move(NodeType::Generic, keepCode, drop->parent, keepKey);
            }
            const RowSet drugs = connection.OpenRowSet(
                QStringLiteral("SELECT Node_ID FROM inventory.tbPharvel WHERE Node_Parent = ? "
                               "ORDER BY Node_ID"),
                {drop->key});
            ChildKeys keys(connection, keepKey);
            for (int r = 0; r < drugs.RecordCount(); ++r) {
                move(NodeType::Drug, drugs.At(r, 0).toInt(), keepKey, keys.Next());
                ++result.drugsMoved;
            }
            nodes.Remove(*drop, kHoldsNodes);
            ClassPharvel::FilingJournal::TakenOut(nodes, connection, *drop);
        }
        appendDetails(connection, keepCode, dropCode, result.dropName);
        Formulary::Merge(connection, keepCode, dropCode);
        journalMerge(connection, result, keepCode, dropCode);
        ServerProcedures::Delete_Generic(connection, dropCode);
        transaction.Commit();
        return result;
    } catch (const PharvelError& error) {
        throw error.Source().isEmpty() ? error.WithSource(kSource) : error;
    }
}

} // namespace GenericMerge
