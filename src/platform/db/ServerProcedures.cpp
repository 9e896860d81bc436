#include "platform/db/ServerProcedures.h"

#include "platform/db/CatalogueTypes.h"
#include "platform/db/Formulary.h"
#include "platform/db/GenericStore.h"
#include "platform/db/Journal.h"
#include "platform/db/NodeEntries.h"
#include "platform/db/PharvelError.h"
#include "platform/db/PreparedInsert.h"
#include "platform/db/SQLConnection.h"
#include "platform/db/ScopedTransaction.h"
#include "platform/db/SearchPrefilter.h"
#include "platform/db/SqlDialect.h"

#include <QHash>
#include <algorithm>
#include <type_traits>
#include <utility>

namespace ServerProcedures {

namespace {
// Runs the body as one transaction; any failure in it is raised again as the procedure's own.
template <typename Body>
auto AsProcedure(SQLConnection& connection, const QString& source, Body body)
{
    try {
        ScopedTransaction transaction(connection);
        if constexpr (std::is_void_v<std::invoke_result_t<Body>>) {
            body();
            transaction.Commit();
        } else {
            auto result = body();
            transaction.Commit();
            return result;
        }
    } catch (const PharvelError& error) {
        throw error.WithSource(source);
    }
}

std::vector<CatalogueNode> CatalogueNodes(SQLConnection& connection)
{
    RowSet rows = connection.OpenRowSet(
        QStringLiteral(
            "SELECT n.Node_Key, n.Node_Parent, n.Node_Type, n.Node_ID,"
            " CASE n.Node_Type WHEN '1' THEN c.ClassificationName WHEN '2' THEN g.genericname"
            " WHEN '3' THEN d.DrugName END AS NodeName,"
            " o.OtherDetails"
            " FROM inventory.tbPharvel n") +
        NodeEntryJoins(QStringLiteral("n")) +
        QStringLiteral(" LEFT JOIN inventory.tbPharvelOtherDetails o"
                       "  ON n.Node_Type = '2' AND o.GenericID = n.Node_ID"
                       " WHERE n.Node_Parent IS NOT NULL"));
    std::vector<CatalogueNode> nodes;
    nodes.reserve(static_cast<size_t>(rows.RecordCount()));
    for (int r = 0; r < rows.RecordCount(); ++r) {
        nodes.push_back({rows.At(r, 0).toString(), rows.At(r, 1).toString(),
                         rows.At(r, 2).toString().trimmed(), rows.At(r, 3).toInt(),
                         rows.At(r, 4).toString(), rows.At(r, 5).toString()});
    }
    return nodes;
}

// Names in the order a pharmacist reads them: letter case not counting, the key settling ties so
// that the order never depends on the engine.
bool NameOrder(const CatalogueNode& a, const CatalogueNode& b)
{
    const int byName = a.name.compare(b.name, Qt::CaseInsensitive);
    return byName != 0 ? byName < 0 : a.key < b.key;
}

// A procedure that changes nothing of the catalogue (it reads it, each statement whole by itself,
// and writes at most this session's own trace) takes no transaction: on the embedded engine one
// would take the write lock and queue the reader behind every writer.
template <typename Body> auto AsReadingProcedure(const QString& source, Body body)
{
    try {
        return body();
    } catch (const PharvelError& error) {
        throw error.WithSource(source);
    }
}

} // namespace

RowSet For_FoundNode(SQLConnection& connection, const QString& nodeKey)
{
    return AsReadingProcedure(QStringLiteral("For_FoundNode"), [&] {
        return connection.OpenRowSet(
            QStringLiteral("SELECT Node_Key, Node_Parent, Node_Type, Node_ID "
                           "FROM inventory.tbPharvel WHERE Node_Key = ?"),
            {nodeKey});
    });
}

RowSet For_SearchNodeList(SQLConnection& connection, const QString& searchText)
{
    // The server narrows the search where it can fold letter case as we do; the match itself is
    // made here, since the engines fold letter case differently (SQLite only for ASCII letters,
    // PostgreSQL by the database's locale), and the user's text never becomes a pattern, so "%"
    // and "_" are plain letters.
    const QString name = QStringLiteral(
        "(CASE n.Node_Type WHEN '1' THEN c.ClassificationName WHEN '2' THEN g.genericname"
        " WHEN '3' THEN d.DrugName END)");
    const SearchPrefilter::Condition candidates =
        SearchPrefilter::Candidates(connection, {name}, searchText);
    QString sql = QStringLiteral("SELECT n.Node_Key, n.Node_Parent, ") + name +
                  QStringLiteral(" AS NodeName,"
                                 " CASE p.Node_Type WHEN '1' THEN pc.ClassificationName"
                                 " WHEN '2' THEN pg.genericname END AS ParentName"
                                 " FROM inventory.tbPharvel n") +
                  NodeEntryJoins(QStringLiteral("n")) +
                  QStringLiteral(" LEFT JOIN inventory.tbPharvel p ON p.Node_Key = n.Node_Parent"
                                 " LEFT JOIN inventory.tbForClassification pc"
                                 "  ON p.Node_Type = '1' AND pc.ClassificationID = p.Node_ID"
                                 " LEFT JOIN ") +
                  GenericStore::kTable +
                  QStringLiteral(" pg"
                                 "  ON p.Node_Type = '2' AND pg.GenericCode = p.Node_ID"
                                 " WHERE n.Node_Parent IS NOT NULL");
    if (!candidates.sql.isEmpty())
        sql += QStringLiteral(" AND ") + candidates.sql;
    const RowSet found = AsReadingProcedure(QStringLiteral("For_SearchNodeList"), [&] {
        return connection.OpenRowSet(sql, candidates.values);
    });

    // An entry with a blank name has no place in the tree, so it cannot be opened there either.
    std::vector<CatalogueNode> nodes;
    QHash<QString, QString> parentName;
    for (int r = 0; r < found.RecordCount(); ++r) {
        const QString nodeName = found.At(r, 2).toString();
        if (nodeName.trimmed().isEmpty() || !nodeName.contains(searchText, Qt::CaseInsensitive))
            continue;
        nodes.push_back({found.At(r, 0).toString(), found.At(r, 1).toString(), {}, 0, nodeName});
        parentName.insert(nodes.back().key, found.At(r, 3).toString());
    }
    std::sort(nodes.begin(), nodes.end(), NameOrder);

    std::vector<RowSet::Row> rows;
    rows.reserve(nodes.size());
    for (const CatalogueNode& node : nodes) {
        const QVariant parent =
            node.parent == kRootKey ? QVariant() : QVariant(parentName.value(node.key));
        rows.push_back({node.name, parent, node.key});
    }
    return RowSet(
        {QStringLiteral("ItemName"), QStringLiteral("ParentName"), QStringLiteral("Node_Key")},
        std::move(rows));
}

void PrepareSession(SQLConnection& connection)
{
    // A temporary table belongs to its connection, so each user's trace is his own; unqualified
    // names find it before any table of the same name on both engines.
    AsReadingProcedure(QStringLiteral("PrepareSession"), [&] {
        // A session set up again after a reconnection gets its trace table back too.
        connection.AddSessionSetup(QStringLiteral(
            "CREATE TEMPORARY TABLE IF NOT EXISTS tbForTraceParent (Node_Key TEXT)"));
    });
}

void For_TraceParent(SQLConnection& connection, const QString& nodeKey)
{
    AsReadingProcedure(QStringLiteral("For_TraceParent"), [&] {
        PrepareSession(connection);
        connection.Execute(QStringLiteral("DELETE FROM tbForTraceParent"));
        // Up the stored parents, not the key's text: only nodes that really exist are traced,
        // and the root (the one node without a parent) is left out.
        connection.Execute(
            QStringLiteral("INSERT INTO tbForTraceParent (Node_Key) "
                           "WITH RECURSIVE Trace (Node_Key, Node_Parent) AS ("
                           " SELECT Node_Key, Node_Parent FROM inventory.tbPharvel"
                           "  WHERE Node_Key = ?"
                           " UNION ALL"
                           " SELECT p.Node_Key, p.Node_Parent FROM inventory.tbPharvel p"
                           "  JOIN Trace t ON p.Node_Key = t.Node_Parent) "
                           "SELECT Node_Key FROM Trace WHERE Node_Parent IS NOT NULL"),
            {nodeKey});
    });
}

ReportPreparation::Id Pharvel_NodeLevel(SQLConnection& connection)
{
    return AsProcedure(connection, QStringLiteral("Pharvel_NodeLevel"), [&] {
        const ReportPreparation::Id preparation =
            ReportPreparation::Begin(connection, ReportPreparation::Kind::Catalogue);
        ReportPreparation::RemoveEarlierRows(connection, ReportPreparation::Kind::Catalogue,
                                             preparation,
                                             QStringLiteral("inventory.tbPharvelNodeLevel"));
        connection.Execute(
            QStringLiteral(
                "INSERT INTO inventory.tbPharvelNodeLevel"
                " (PreparationID, Node_Key, Node_Parent, Node_Type, Node_ID, Node_Level) "
                "WITH RECURSIVE Levels (Node_Key, Node_Parent, Node_Type, Node_ID, Node_Level) AS ("
                " SELECT Node_Key, Node_Parent, Node_Type, Node_ID, 1 FROM inventory.tbPharvel"
                "  WHERE Node_Parent = ?"
                " UNION ALL"
                " SELECT n.Node_Key, n.Node_Parent, n.Node_Type, n.Node_ID, l.Node_Level + 1"
                "  FROM inventory.tbPharvel n JOIN Levels l ON n.Node_Parent = l.Node_Key) "
                "SELECT CAST(? AS BIGINT), Node_Key, Node_Parent, Node_Type, Node_ID, Node_Level"
                " FROM Levels"),
            {kRootKey, preparation});
        return preparation;
    });
}

void Pharvel_Generate(SQLConnection& connection, ReportPreparation::Id preparation)
{
    const QString source = QStringLiteral("Pharvel_Generate");
    // Read and ordered before the transaction, which then only writes: the embedded engine's
    // write lock is held for the writing alone.
    std::vector<CatalogueNode> nodes =
        AsReadingProcedure(source, [&] { return CatalogueNodes(connection); });
    std::sort(nodes.begin(), nodes.end(), NameOrder);
    // Children in name order under each parent, since the nodes were sorted before.
    QHash<QString, std::vector<const CatalogueNode*>> childrenOf;
    for (const CatalogueNode& node : nodes)
        childrenOf[node.parent].push_back(&node);

    AsProcedure(connection, source, [&] {
        const auto kind = ReportPreparation::Kind::Catalogue;
        ReportPreparation::RemoveEarlierRows(connection, kind, preparation,
                                             QStringLiteral("inventory.tbPharvelReport"));
        // Pre-order: each node before its children. The stack holds the children of each open
        // level in reverse, so the first child is taken first.
        PreparedInsert rows(connection, QStringLiteral("inventory.tbPharvelReport"),
                            {QStringLiteral("PreparationID"), QStringLiteral("SortOrder"),
                             QStringLiteral("Node_Key"), QStringLiteral("Node_Level"),
                             QStringLiteral("Node_Type"), QStringLiteral("ItemName"),
                             QStringLiteral("ItemCode"), QStringLiteral("OtherDetails")},
                            PreparedInsert::kRowsPerReportStatement);
        std::vector<std::pair<const CatalogueNode*, int>> stack;
        const auto pushChildren = [&](const QString& key, int level) {
            const auto found = childrenOf.constFind(key);
            if (found == childrenOf.constEnd())
                return;
            for (auto child = found->rbegin(); child != found->rend(); ++child)
                stack.emplace_back(*child, level);
        };
        pushChildren(kRootKey, 1);
        int sortOrder = 0;
        while (!stack.empty()) {
            const auto [node, level] = stack.back();
            stack.pop_back();
            rows.Add({preparation, ++sortOrder, node->key, level, node->type, node->name,
                      node->type == NodeType::Drug ? QString::number(node->id) : QString(),
                      node->type == NodeType::Generic ? node->otherDetails : QString()});
            pushChildren(node->key, level + 1);
        }
        rows.Flush();
        ReportPreparation::ForgetEarlier(connection, kind, preparation);
    });
}

ReportPreparation::Id Pharvel_Changes(SQLConnection& connection, const QDate& first,
                                      const QDate& last)
{
    return AsProcedure(connection, QStringLiteral("Pharvel_Changes"), [&] {
        const auto kind = ReportPreparation::Kind::Changes;
        const ReportPreparation::Id preparation = ReportPreparation::Begin(connection, kind);
        for (const QString& table : {QStringLiteral("inventory.tbCatalogueChanges"),
                                     QStringLiteral("inventory.tbCatalogueChangesPeriod")})
            ReportPreparation::RemoveEarlierRows(connection, kind, preparation, table);
        const QDateTime since(first, QTime(0, 0), Qt::UTC);
        const QDateTime until(last.addDays(1), QTime(0, 0), Qt::UTC);
        RowSet rows = Journal::List(connection, {since, until, {}, {}});
        PreparedInsert changes(connection, QStringLiteral("inventory.tbCatalogueChanges"),
                               {QStringLiteral("PreparationID"), QStringLiteral("SortOrder"),
                                QStringLiteral("RowLevel"), QStringLiteral("RowType"),
                                QStringLiteral("ChangeTime"), QStringLiteral("UserName"),
                                QStringLiteral("Action"), QStringLiteral("Entry"),
                                QStringLiteral("Change")},
                               PreparedInsert::kRowsPerReportStatement);
        int sortOrder = 0;
        QString day;
        for (rows.MoveFirst(); !rows.AtEnd(); rows.MoveNext()) {
            const QString at = rows.Text(QStringLiteral("At"));
            if (at.left(10) != day) {
                day = at.left(10);
                changes.Add({preparation, ++sortOrder, 1, QStringLiteral("1"), day, QString(),
                             QString(), QString(), QString()});
            }
            changes.Add({preparation, ++sortOrder, 2, QStringLiteral("2"), at.mid(11),
                         rows.Text(QStringLiteral("User")), rows.Text(QStringLiteral("Action")),
                         rows.Text(QStringLiteral("Entry")), Journal::BeforeAfter(rows)});
        }
        changes.Flush();
        const QString format = QStringLiteral("yyyy-MM-dd");
        connection.Execute(QStringLiteral("INSERT INTO inventory.tbCatalogueChangesPeriod"
                                          " (PreparationID, Period, Changes) VALUES (?, ?, ?)"),
                           {preparation,
                            QStringLiteral("From %1 to %2 (UTC)")
                                .arg(first.toString(format), last.toString(format)),
                            rows.RecordCount()});
        ReportPreparation::ForgetEarlier(connection, kind, preparation);
        return preparation;
    });
}

void Delete_Generic(SQLConnection& connection, int genericCode)
{
    const QString source = QStringLiteral("Delete_Generic");
    AsProcedure(connection, source, [&] {
        // Nobody may file the generic name between the check and the delete: SQLite's write lock
        // already keeps other writers out; on PostgreSQL new nodes wait for this transaction.
        SqlDialect::LockAgainstChanges(connection, QStringLiteral("inventory.tbPharvel"));
        const std::optional<GenericRecord> generic = GenericStore::Find(connection, genericCode);
        if (!generic)
            throw PharvelError(ErrorNumber::Refused,
                               QStringLiteral("The generic name is no longer in the register "
                                              "(another user may have just deleted it); "
                                              "nothing was deleted."),
                               source);
        if (connection
                .Scalar(QStringLiteral("SELECT count(*) FROM inventory.tbPharvel "
                                       "WHERE Node_Type = '2' AND Node_ID = ?"),
                        {genericCode})
                .toInt() > 0)
            throw PharvelError(ErrorNumber::Refused,
                               QStringLiteral("The generic name \"%1\" is still filed in the "
                                              "catalogue; take it out of its classification "
                                              "before deleting it.")
                                   .arg(generic->name.trimmed()),
                               source);
        Journal::Change change =
            Journal::AboutGeneric(connection, Journal::Action::GenericDeleted, genericCode);
        change.oldName = change.entryName;
        Formulary::Forget(connection, genericCode);
        GenericStore::RemoveAll(connection, {genericCode});
        Journal::Record(connection, change);
    });
}

QSet<QString> ExistingNodeKeys(SQLConnection& connection, const QStringList& keys)
{
    const QStringList asked = QSet<QString>(keys.cbegin(), keys.cend()).values();
    return AsReadingProcedure(QStringLiteral("ExistingNodeKeys"), [&] {
        QSet<QString> existing;
        const auto collect = [&](const RowSet& rows) {
            for (int r = 0; r < rows.RecordCount(); ++r)
                existing.insert(rows.At(r, 0).toString());
        };
        for (const SqlDialect::Membership& part :
             SqlDialect::OneOf(connection, QStringLiteral("Node_Key"), asked))
            collect(connection.OpenRowSet(
                QStringLiteral("SELECT Node_Key FROM inventory.tbPharvel WHERE ") + part.sql,
                part.values));
        return existing;
    });
}

} // namespace ServerProcedures
