#include "platform/db/Journal.h"

#include "platform/db/CatalogueTypes.h"
#include "platform/db/GenericStore.h"
#include "platform/db/PharvelError.h"
#include "platform/db/PreparedInsert.h"
#include "platform/db/SQLConnection.h"
#include "platform/db/ScopedTransaction.h"
#include "platform/db/SearchPrefilter.h"
#include "platform/db/SqlDialect.h"

#include <QSysInfo>
#include <QTimeZone>

namespace Journal {

namespace {
const QString kSource = QStringLiteral("Journal.Record");
const QStringList kColumns{QStringLiteral("Desktop"),       QStringLiteral("Action"),
                           QStringLiteral("EntryType"),     QStringLiteral("EntryID"),
                           QStringLiteral("EntryName"),     QStringLiteral("OldName"),
                           QStringLiteral("NewName"),       QStringLiteral("OldParentKey"),
                           QStringLiteral("OldParentName"), QStringLiteral("NewParentKey"),
                           QStringLiteral("NewParentName"), QStringLiteral("OldText"),
                           QStringLiteral("NewText")};

// On the embedded engine the row names the logged-in user; the administrator's tool, which logs
// in as nobody, names the account it runs under.
QString embeddedUser(const SQLConnection& connection)
{
    const QString user = connection.Target().user;
    if (!user.isEmpty())
        return user;
    const QString account = qEnvironmentVariable("USER");
    return account.isEmpty() ? QStringLiteral("administrator") : account;
}

// The time of a row as UTC text "yyyy-MM-dd hh:mm:ss" on both engines.
QString timeColumn(const SQLConnection& connection)
{
    return SqlDialect::UtcTimeText(connection, QStringLiteral("ChangedAt"));
}

// The changes whose rows this client writes. On PostgreSQL the catalogue's own triggers journal
// every change of its tables made by a role that may not write journal rows (every role but the
// owner's); such a role's client writes none of those rows again. What the tables cannot tell
// (a merge, a pruning) is written here by the owner's tool, and refused to any other role.
QList<Change> notJournaledByServer(SQLConnection& connection, const QList<Change>& changes)
{
    if (connection.WritesJournal())
        return changes;
    QList<Change> rest;
    for (const Change& change : changes)
        if (change.action == Action::GenericMerged || change.action == Action::JournalPruned)
            rest << change;
    return rest;
}

// A time as SqlDialect::UtcTimeText writes it.
QDateTime utcTime(const QVariant& text)
{
    QDateTime at = QDateTime::fromString(text.toString(), QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    at.setTimeZone(QTimeZone::utc());
    return at;
}

// What the newest row did to the entry, said of "it".
QString deed(const RowSet& row)
{
    const QString action = row.Text(3);
    if (action == Action::DrugMoved || action == Action::GenericMoved ||
        action == Action::DrugFiled || action == Action::GenericFiled ||
        action == Action::ClassificationMoved)
        return QStringLiteral("moved it under %1").arg(row.Text(10));
    if (action == Action::DrugTakenOut || action == Action::GenericTakenOut ||
        action == Action::ClassificationTakenOut)
        return QStringLiteral("took it out of %1").arg(row.Text(9));
    if (action.endsWith(QLatin1String("renamed")))
        return QStringLiteral("renamed it to %1").arg(row.Text(8));
    if (action.endsWith(QLatin1String("deleted")))
        return QStringLiteral("deleted it");
    if (action == Action::OtherDetailsSaved)
        return QStringLiteral("saved its other details");
    if (action == Action::FormularyChanged)
        return QStringLiteral("changed its formulary");
    return action;
}
} // namespace

Change AboutGeneric(SQLConnection& connection, const QString& action, int genericCode)
{
    Change change;
    change.action = action;
    change.entryType = NodeType::Generic;
    change.entryId = genericCode;
    if (const std::optional<GenericRecord> generic = GenericStore::Find(connection, genericCode))
        change.entryName = generic->name;
    return change;
}

void Record(SQLConnection& connection, const Change& change)
{
    RecordAll(connection, {change});
}

void RecordAll(SQLConnection& connection, const QList<Change>& changes)
{
    if (!connection.InTransaction())
        throw PharvelError(ErrorNumber::DatabaseError,
                           QStringLiteral("A change of the catalogue is journaled inside its own "
                                          "transaction; nothing was changed."),
                           kSource);
    const QList<Change> written = notJournaledByServer(connection, changes);
    if (written.isEmpty())
        return;
    // The server stamps time and user itself (see the migration); here the client names them.
    const bool clientNamesUser = !SqlDialect::HasLoginRoles(connection);
    QStringList columns = kColumns;
    if (clientNamesUser)
        columns.prepend(QStringLiteral("ChangedBy"));
    const QString desktop = QSysInfo::machineHostName();
    const QString user = clientNamesUser ? embeddedUser(connection) : QString();
    try {
        PreparedInsert rows(connection, QStringLiteral("inventory.tbCatalogueJournal"), columns);
        for (const Change& change : written) {
            QVariantList values{desktop,
                                change.action,
                                change.entryType,
                                change.entryId,
                                change.entryName,
                                change.oldName,
                                change.newName,
                                change.oldParentKey,
                                change.oldParentName,
                                change.newParentKey,
                                change.newParentName,
                                change.oldText,
                                change.newText};
            if (clientNamesUser)
                values.prepend(user);
            rows.Add(values);
        }
        rows.Flush();
    } catch (const PharvelError& error) {
        throw error.WithSource(kSource);
    }
}

RowSet List(SQLConnection& connection, const Filter& filter)
{
    QString sql = QStringLiteral("SELECT %1 AS \"At\", ChangedBy AS \"User\", Desktop AS "
                                 "\"Desktop\", Action AS \"Action\", EntryType AS \"Entry Type\", "
                                 "EntryID AS \"Entry ID\", EntryName AS \"Entry\", OldName AS "
                                 "\"Old Name\", NewName AS \"New Name\", OldParentName AS "
                                 "\"Old Parent\", NewParentName AS \"New Parent\", OldText AS "
                                 "\"Old Text\", NewText AS \"New Text\" "
                                 "FROM inventory.tbCatalogueJournal WHERE 1 = 1")
                      .arg(timeColumn(connection));
    QVariantList values;
    if (filter.since.isValid()) {
        sql += QStringLiteral(" AND ChangedAt >= ") + SqlDialect::TimeParameter(connection);
        values << SqlDialect::BoundTime(connection, filter.since);
    }
    if (filter.until.isValid()) {
        sql += QStringLiteral(" AND ChangedAt < ") + SqlDialect::TimeParameter(connection);
        values << SqlDialect::BoundTime(connection, filter.until);
    }
    if (!filter.user.isEmpty()) {
        sql += QStringLiteral(" AND ChangedBy = ?");
        values << filter.user;
    }
    if (!filter.entry.isEmpty()) {
        const SearchPrefilter::Condition entry = SearchPrefilter::Candidates(
            connection,
            {QStringLiteral("EntryName"), QStringLiteral("OldName"), QStringLiteral("NewName")},
            filter.entry);
        if (!entry.sql.isEmpty()) {
            sql += QStringLiteral(" AND ") + entry.sql;
            values += entry.values;
        }
    }
    sql += QStringLiteral(" ORDER BY ChangedAt DESC, JournalID DESC");
    return connection.OpenRowSet(sql, values);
}

QString BeforeAfter(const RowSet& rows)
{
    const auto shortText = [](const QString& text) {
        constexpr qsizetype kLongest = 80;
        const QString line = text.section(QLatin1Char('\n'), 0, 0);
        return line.size() > kLongest || line.size() < text.size()
                   ? line.left(kLongest) + QChar(0x2026)
                   : line;
    };
    const auto pair = [](const QString& before, const QString& after) {
        return QStringLiteral("%1 \u2192 %2").arg(before, after);
    };
    const auto text = [&](const char* column) { return rows.Text(QString::fromLatin1(column)); };
    if (!rows.IsNull(QStringLiteral("Old Text")) || !rows.IsNull(QStringLiteral("New Text")))
        return pair(shortText(text("Old Text")), shortText(text("New Text")));
    if (!rows.IsNull(QStringLiteral("Old Parent")) || !rows.IsNull(QStringLiteral("New Parent")))
        return pair(text("Old Parent"), text("New Parent"));
    return pair(text("Old Name"), text("New Name"));
}

QString LastChangeOf(SQLConnection& connection, const QString& entryType, int entryId)
{
    const RowSet row = connection.OpenRowSet(
        QStringLiteral("SELECT %1, ChangedBy, Desktop, Action, EntryType, EntryID, EntryName, "
                       "OldName, NewName, OldParentName, NewParentName "
                       "FROM inventory.tbCatalogueJournal WHERE EntryType = ? AND EntryID = ? "
                       "ORDER BY ChangedAt DESC, JournalID DESC LIMIT 1")
            .arg(timeColumn(connection)),
        {entryType, entryId});
    if (row.RecordCount() == 0)
        return {};
    return QStringLiteral("%1 %2 at %3 UTC from the desktop %4")
        .arg(row.Text(1), deed(row), row.Text(0), row.Text(2));
}

QMap<std::pair<QString, int>, QDateTime> LatestChanges(SQLConnection& connection)
{
    const RowSet rows = connection.OpenRowSet(
        QStringLiteral("SELECT EntryType, EntryID, %1 FROM inventory.tbCatalogueJournal "
                       "GROUP BY EntryType, EntryID")
            .arg(SqlDialect::UtcTimeText(connection, QStringLiteral("max(ChangedAt)"))));
    QMap<std::pair<QString, int>, QDateTime> latest;
    for (int r = 0; r < rows.RecordCount(); ++r)
        latest.insert({rows.At(r, 0).toString(), rows.At(r, 1).toInt()}, utcTime(rows.At(r, 2)));
    return latest;
}

QMap<QString, QDateTime> LatestDrugFilings(SQLConnection& connection)
{
    const RowSet rows = connection.OpenRowSet(
        QStringLiteral(
            "SELECT ParentKey, %1 FROM ("
            "SELECT OldParentKey AS ParentKey, ChangedAt FROM inventory.tbCatalogueJournal "
            "WHERE EntryType = '3' UNION ALL "
            "SELECT NewParentKey, ChangedAt FROM inventory.tbCatalogueJournal "
            "WHERE EntryType = '3') AS filings "
            "WHERE ParentKey IS NOT NULL GROUP BY ParentKey")
            .arg(SqlDialect::UtcTimeText(connection, QStringLiteral("max(ChangedAt)"))));
    QMap<QString, QDateTime> latest;
    for (int r = 0; r < rows.RecordCount(); ++r) {
        // Keys padded differently may name the same node.
        const QDateTime at = utcTime(rows.At(r, 1));
        QDateTime& newest = latest[rows.At(r, 0).toString().trimmed()];
        if (!newest.isValid() || newest < at)
            newest = at;
    }
    return latest;
}

int Prune(SQLConnection& connection, const QDateTime& before)
{
    ScopedTransaction transaction(connection);
    const int deleted = connection.Execute(
        QStringLiteral("DELETE FROM inventory.tbCatalogueJournal WHERE ChangedAt < ") +
            SqlDialect::TimeParameter(connection),
        {SqlDialect::BoundTime(connection, before)});
    Change pruned;
    pruned.action = Action::JournalPruned;
    pruned.entryType = QStringLiteral("J");
    pruned.entryName = QStringLiteral("journal");
    pruned.newText = QStringLiteral("%1 rows before %2 UTC deleted")
                         .arg(deleted)
                         .arg(before.toUTC().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
    Record(connection, pruned);
    transaction.Commit();
    return deleted;
}

} // namespace Journal
