#include "platform/exchange/CatalogueImport.h"

#include "platform/db/ClassificationStore.h"
#include "platform/db/DeleteWhereIn.h"
#include "platform/db/DrugStore.h"
#include "platform/db/GenericStore.h"
#include "platform/db/IdSequences.h"
#include "platform/db/PharvelError.h"
#include "platform/db/PreparedInsert.h"
#include "platform/db/SQLConnection.h"
#include "platform/db/ScopedTransaction.h"
#include "platform/db/SqlDialect.h"
#include "platform/exchange/CatalogueState.h"
#include "platform/exchange/ImportJournal.h"
#include "platform/exchange/ImportPlan.h"

namespace CatalogueImport {

namespace {
const QString kSource = QStringLiteral("CatalogueImport.Run");

QVariantList ids(const QList<int>& list)
{
    return QVariantList(list.cbegin(), list.cend());
}

// Nodes go deepest first, one depth at a time: a node's parent may be deleted only once nothing
// stands under it, and a statement deletes its rows in no order of its own.
void deleteNodes(SQLConnection& connection, const QStringList& keys)
{
    QVariantList sameDepth;
    qsizetype depth = -1;
    for (const QString& key : keys) {
        const qsizetype keyDepth = key.count(QLatin1Char('.'));
        if (keyDepth != depth && !sameDepth.isEmpty()) {
            DeleteWhereIn(connection, QStringLiteral("inventory.tbPharvel"),
                          QStringLiteral("Node_Key"), sameDepth);
            sameDepth.clear();
        }
        depth = keyDepth;
        sameDepth << key;
    }
    DeleteWhereIn(connection, QStringLiteral("inventory.tbPharvel"), QStringLiteral("Node_Key"),
                  sameDepth);
}

void write(SQLConnection& connection, const ImportPlan& plan)
{
    deleteNodes(connection, plan.nodesDeleted);
    DeleteWhereIn(connection, QStringLiteral("inventory.tbPharvelOtherDetails"),
                  QStringLiteral("GenericID"), ids(plan.detailsRemoved));
    DrugStore::RemoveAll(connection, plan.drugsRemoved);
    GenericStore::RemoveAll(connection, plan.genericsRemoved);
    ClassificationStore::RemoveAll(connection, plan.classificationsRemoved);

    for (const ClassificationRecord& classification : plan.classificationsRenamed)
        ClassificationStore::Update(connection, classification);
    for (const GenericRecord& generic : plan.genericsRenamed)
        GenericStore::Update(connection, generic);
    for (const DrugRecord& drug : plan.drugsChanged)
        DrugStore::Update(connection, drug);
    for (const ImportPlan::Details& details : plan.detailsChanged)
        connection.Execute(QStringLiteral("UPDATE inventory.tbPharvelOtherDetails SET "
                                          "OtherDetails = ? WHERE GenericID = ?"),
                           {details.text, details.generic});

    // Entries before the nodes that file them, parents before their children.
    {
        ClassificationStore::InsertAll(connection, plan.classificationsAdded);
        GenericStore::InsertAll(connection, plan.genericsAdded);
        DrugStore::InsertAll(connection, plan.drugsAdded);
        PreparedInsert nodes(connection, QStringLiteral("inventory.tbPharvel"),
                             {QStringLiteral("Node_Key"), QStringLiteral("Node_Parent"),
                              QStringLiteral("Node_Type"), QStringLiteral("Node_ID")});
        for (const CatalogueState::Node& node : plan.nodesInserted)
            nodes.Add({node.key, node.parent, node.type, node.id});
        nodes.Flush();
        PreparedInsert details(connection, QStringLiteral("inventory.tbPharvelOtherDetails"),
                               {QStringLiteral("GenericID"), QStringLiteral("OtherDetails")});
        for (const ImportPlan::Details& added : plan.detailsAdded)
            details.Add({added.generic, added.text});
        details.Flush();
    }
    // Journaled by its own path, once the generic names it refers to are all there.
    Formulary::Write(connection, plan.formularyChanged);
    // The ids came from the files, so the server's id generators move on past them.
    IdSequences::Advance(connection);
}

// On PostgreSQL other writers wait until the import is done, so the catalogue it was checked
// against is the one it writes into; the embedded engine took its write lock at BEGIN.
// A new database's tables were measured while empty, so the server would check each new node's
// parent by reading the whole tree: tens of thousands of rows, each checked that way, take
// minutes instead of seconds. For this transaction the checks use the keys' indexes.
void lockCatalogue(SQLConnection& connection)
{
    SqlDialect::LockAgainstWriters(
        connection,
        {QStringLiteral("inventory.tbPharvel"), ClassificationStore::kTable, GenericStore::kTable,
         DrugStore::kTable, QStringLiteral("inventory.tbPharvelOtherDetails"),
         QStringLiteral("inventory.tbFormulary"), QStringLiteral("inventory.tbGenericCode"),
         QStringLiteral("inventory.tbAlternative")});
    SqlDialect::PreferIndexes(connection);
}
} // namespace

Result Run(SQLConnection& connection, const QString& folder, bool dryRun, bool prune)
{
    Result result;
    const ImportFiles::Content files = ImportFiles::Read(folder);
    if (!files.faults.isEmpty()) {
        result.faults = files.faults;
        return result;
    }
    try {
        if (dryRun) {
            const ImportPlan plan =
                ImportPlan::Make(CatalogueState::Read(connection), files, prune);
            result.faults = plan.faults;
            result.summary = plan.summary;
            return result;
        }
        ScopedTransaction transaction(connection);
        lockCatalogue(connection);
        const CatalogueState before = CatalogueState::Read(connection);
        const ImportPlan plan = ImportPlan::Make(before, files, prune);
        result.faults = plan.faults;
        result.summary = plan.summary;
        if (!plan.faults.isEmpty())
            return result;
        write(connection, plan);
        ImportJournal::Record(connection, before, plan);
        transaction.Commit();
        result.written = true;
    } catch (const PharvelError& error) {
        throw error.WithSource(kSource);
    }
    return result;
}

} // namespace CatalogueImport
