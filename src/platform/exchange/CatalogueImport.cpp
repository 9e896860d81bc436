#include "platform/exchange/CatalogueImport.h"

#include "platform/db/IdSequences.h"
#include "platform/db/PharvelError.h"
#include "platform/db/PreparedInsert.h"
#include "platform/db/SQLConnection.h"
#include "platform/db/ScopedTransaction.h"
#include "platform/exchange/CatalogueState.h"
#include "platform/exchange/ImportJournal.h"
#include "platform/exchange/ImportPlan.h"

namespace CatalogueImport {

namespace {
const QString kSource = QStringLiteral("CatalogueImport.Run");

// Deletes the rows whose column holds one of the values, a few hundred to a statement. The table
// and column are our own names.
void deleteWhereIn(SQLConnection& connection, const QString& table, const QString& column,
                   const QVariantList& values)
{
    constexpr qsizetype kPerStatement = 500;
    for (qsizetype first = 0; first < values.size(); first += kPerStatement) {
        const QVariantList chunk = values.mid(first, kPerStatement);
        connection.Execute(
            QStringLiteral("DELETE FROM %1 WHERE %2 IN (%3)")
                .arg(table, column,
                     QStringList(chunk.size(), QStringLiteral("?")).join(QLatin1Char(','))),
            chunk);
    }
}

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
            deleteWhereIn(connection, QStringLiteral("inventory.tbPharvel"),
                          QStringLiteral("Node_Key"), sameDepth);
            sameDepth.clear();
        }
        depth = keyDepth;
        sameDepth << key;
    }
    deleteWhereIn(connection, QStringLiteral("inventory.tbPharvel"), QStringLiteral("Node_Key"),
                  sameDepth);
}

void write(SQLConnection& connection, const ImportPlan& plan)
{
    deleteNodes(connection, plan.nodesDeleted);
    deleteWhereIn(connection, QStringLiteral("inventory.tbPharvelOtherDetails"),
                  QStringLiteral("GenericID"), ids(plan.detailsRemoved));
    deleteWhereIn(connection, QStringLiteral("inventory.tbinvmaster"), QStringLiteral("itemid"),
                  ids(plan.drugsRemoved));
    deleteWhereIn(connection, QStringLiteral("inventory.tbforgeneric"),
                  QStringLiteral("GenericCode"), ids(plan.genericsRemoved));
    deleteWhereIn(connection, QStringLiteral("inventory.tbForClassification"),
                  QStringLiteral("ClassificationID"), ids(plan.classificationsRemoved));

    for (const ImportPlan::Entry& entry : plan.classificationsRenamed)
        connection.Execute(QStringLiteral("UPDATE inventory.tbForClassification SET "
                                          "ClassificationName = ? WHERE ClassificationID = ?"),
                           {entry.name, entry.id});
    for (const ImportPlan::Entry& entry : plan.genericsRenamed)
        connection.Execute(
            QStringLiteral(
                "UPDATE inventory.tbforgeneric SET genericname = ? WHERE GenericCode = ?"),
            {entry.name, entry.id});
    for (const ImportPlan::Drug& drug : plan.drugsChanged) {
        const auto& f = drug.fields;
        connection.Execute(QStringLiteral("UPDATE inventory.tbinvmaster SET DrugName = ?, "
                                          "Description = ?, Indication = ?, Dosage = ?, "
                                          "Administration = ?, Preparation = ? WHERE itemid = ?"),
                           {f[0], f[1], f[2], f[3], f[4], f[5], drug.id});
    }
    for (const ImportPlan::Entry& entry : plan.detailsChanged)
        connection.Execute(QStringLiteral("UPDATE inventory.tbPharvelOtherDetails SET "
                                          "OtherDetails = ? WHERE GenericID = ?"),
                           {entry.name, entry.id});

    // Entries before the nodes that file them, parents before their children.
    {
        PreparedInsert classifications(
            connection, QStringLiteral("inventory.tbForClassification"),
            {QStringLiteral("ClassificationID"), QStringLiteral("ClassificationName")});
        for (const ImportPlan::Entry& entry : plan.classificationsAdded)
            classifications.Add({entry.id, entry.name});
        classifications.Flush();
        PreparedInsert generics(connection, QStringLiteral("inventory.tbforgeneric"),
                                {QStringLiteral("GenericCode"), QStringLiteral("genericname")});
        for (const ImportPlan::Entry& entry : plan.genericsAdded)
            generics.Add({entry.id, entry.name});
        generics.Flush();
        PreparedInsert drugs(connection, QStringLiteral("inventory.tbinvmaster"),
                             {QStringLiteral("itemid"), QStringLiteral("DrugName"),
                              QStringLiteral("Description"), QStringLiteral("Indication"),
                              QStringLiteral("Dosage"), QStringLiteral("Administration"),
                              QStringLiteral("Preparation")});
        for (const ImportPlan::Drug& drug : plan.drugsAdded) {
            const auto& f = drug.fields;
            drugs.Add({drug.id, f[0], f[1], f[2], f[3], f[4], f[5]});
        }
        drugs.Flush();
        PreparedInsert nodes(connection, QStringLiteral("inventory.tbPharvel"),
                             {QStringLiteral("Node_Key"), QStringLiteral("Node_Parent"),
                              QStringLiteral("Node_Type"), QStringLiteral("Node_ID")});
        for (const CatalogueState::Node& node : plan.nodesInserted)
            nodes.Add({node.key, node.parent, node.type, node.id});
        nodes.Flush();
        PreparedInsert details(connection, QStringLiteral("inventory.tbPharvelOtherDetails"),
                               {QStringLiteral("GenericID"), QStringLiteral("OtherDetails")});
        for (const ImportPlan::Entry& entry : plan.detailsAdded)
            details.Add({entry.id, entry.name});
        details.Flush();
    }
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
    if (connection.engine() != SQLConnection::Engine::PostgreSQL)
        return;
    connection.Execute(QStringLiteral(
        "LOCK TABLE inventory.tbPharvel, inventory.tbForClassification, "
        "inventory.tbforgeneric, inventory.tbinvmaster, inventory.tbPharvelOtherDetails "
        "IN SHARE ROW EXCLUSIVE MODE"));
    connection.Execute(QStringLiteral("SET LOCAL enable_seqscan = off"));
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
