#include "platform/catalog/clsGenerics.h"

#include "platform/catalog/CatalogueSession.h"
#include "platform/catalog/FilingAsRead.h"
#include "platform/catalog/RowSelection.h"
#include "platform/catalog/ShortId.h"
#include "platform/db/GenericStore.h"
#include "platform/db/Journal.h"
#include "platform/db/SearchPrefilter.h"
#include "platform/db/SqlDialect.h"

namespace ClassPharvel {

namespace {
const QString kCode = QStringLiteral("The generic code");
const QString kGenericId = QStringLiteral("The generic id");

// Every stock drug with the generic name it is filed under (gp is the generic name's node).
const QString kDrugColumns = QStringLiteral(
    "SELECT d.DrugName AS \"Drug Name\", d.Description AS \"Description\", "
    "COALESCE(g.genericname, 'Unclassified') AS \"Generic Name\", d.itemid AS \"Drug ID\", "
    "p.Node_Key AS \"Node Key\" ");
const QString kDrugJoins =
    QStringLiteral(
        "LEFT JOIN inventory.tbPharvel p ON p.Node_Type = '3' AND p.Node_ID = d.itemid "
        "LEFT JOIN inventory.tbPharvel gp ON gp.Node_Key = p.Node_Parent AND gp.Node_Type = '2' "
        "LEFT JOIN ") +
    GenericStore::kTable + QStringLiteral(" g ON g.GenericCode = gp.Node_ID ");
const QString kDrugs = QStringLiteral("FROM inventory.tbinvmaster d ");
// The drugs filed under a generic name (the ids of their nodes); conditions over the drugs ask
// this rather than join, so that choosing the rows does not visit every drug's node.
const QString kFiledUnderGeneric =
    QStringLiteral("SELECT p.Node_ID FROM inventory.tbPharvel p JOIN inventory.tbPharvel gp "
                   "ON gp.Node_Key = p.Node_Parent AND gp.Node_Type = '2' "
                   "WHERE p.Node_Type = '3'");
constexpr int kDrugNameColumn = 0;
constexpr int kDescriptionColumn = 1;

const QStringList& searchedColumns()
{
    static const QStringList columns{QStringLiteral("d.DrugName"), QStringLiteral("d.Description")};
    return columns;
}

std::vector<RowSet::Row> allRows(const RowSet& rows)
{
    std::vector<RowSet::Row> result(static_cast<size_t>(rows.RecordCount()));
    for (int r = 0; r < rows.RecordCount(); ++r)
        for (int c = 0; c < rows.FieldCount(); ++c)
            result[static_cast<size_t>(r)].push_back(rows.At(r, c));
    return result;
}

// The drug rows chosen by condition (a WHERE clause over the drugs d with its values) whose
// name or description contains search, read whole and matched here: a search the server cannot
// match exactly.
RowSet drugsMatchedHere(SQLConnection& connection, const QString& condition, QVariantList values,
                        const QString& search)
{
    const SearchPrefilter::Condition candidates =
        SearchPrefilter::Candidates(connection, searchedColumns(), search);
    QString sql = kDrugColumns + kDrugs + kDrugJoins + condition;
    if (!candidates.sql.isEmpty()) {
        sql += QStringLiteral(" AND ") + candidates.sql;
        values += candidates.values;
    }
    return RowSelection::Matching(connection.OpenRowSet(sql, values),
                                  {kDrugNameColumn, kDescriptionColumn}, search, kDrugNameColumn);
}

// The same rows, matched and ordered on the server and read a page at a time: the count first,
// then each page of drugs with their generic names and nodes, so a keystroke reads one page
// however many drugs match. Pages after the first are read through the session when a grid first
// shows one of their rows; the session (the component) outlives every row set it gives.
RowSet drugsByPages(CatalogueSession& session, const QString& source, const QString& condition,
                    QVariantList values, const SearchPrefilter::Condition& match)
{
    SQLConnection& connection = session.Connection();
    QString where = condition;
    if (!match.sql.isEmpty()) {
        where += QStringLiteral(" AND ") + match.sql;
        values += match.values;
    }
    const int count =
        connection.Scalar(QStringLiteral("SELECT count(*) ") + kDrugs + where, values).toInt();
    const QString pageSql = kDrugColumns +
                            QStringLiteral("FROM (SELECT d.itemid, d.DrugName, d.Description, ") +
                            SqlDialect::AsciiLowered(connection, QStringLiteral("d.DrugName")) +
                            QStringLiteral(" AS sortkey ") + kDrugs + where +
                            QStringLiteral(" ORDER BY sortkey, d.itemid LIMIT ? OFFSET ?) d ") +
                            kDrugJoins + QStringLiteral("ORDER BY d.sortkey, d.itemid");
    const auto page = [&session, pageSql, values](int firstRow, int rows) {
        return session.Connection().OpenRowSet(pageSql, values + QVariantList{rows, firstRow});
    };
    const RowSet first = page(0, RowSet::kPageRows);
    RowSet::PageReader reader = [&session, source, page](int firstRow, int rows) {
        return session.Read(source, [&] { return allRows(page(firstRow, rows)); });
    };
    return RowSet(first.FieldNames(), count, allRows(first), std::move(reader));
}

// The drug rows chosen by condition whose name or description contains search, by name.
RowSet matchingDrugs(CatalogueSession& session, const QString& source, const QString& condition,
                     const QVariantList& values, const QString& search)
{
    SQLConnection& connection = session.Connection();
    const std::optional<SearchPrefilter::Condition> exact =
        SearchPrefilter::Exact(connection, searchedColumns(), search);
    if (!exact)
        return drugsMatchedHere(connection, condition, values, search);
    return drugsByPages(session, source, condition, values, *exact);
}

constexpr int kFilterUnclassified = 2;
constexpr int kFilterClassified = 3;

QString drugsHeldRefusal(const CatalogueNode& node)
{
    return QStringLiteral("Drugs are filed under the generic name %1; it cannot leave its "
                          "classification until they are taken out of it.")
        .arg(node.name);
}
} // namespace

bool clsGenerics::AddGeneric(const QString& parentKey, const QString& newKey,
                             const QString& /*name*/, double genericCode)
{
    // The register keeps the name; the tree only files the generic name where it now belongs.
    int code = 0;
    const bool added = m_session.Write(QStringLiteral("Pharvel.AddGeneric"), [&] {
        code = ShortId::FromNumber(genericCode, kCode);
        SQLConnection& connection = m_session.Connection();
        const std::optional<GenericRecord> registered = GenericStore::Find(connection, code);
        if (!registered)
            CatalogueSession::Refuse(QStringLiteral("No generic name with the code %1 is in the "
                                                    "register; it cannot be filed.")
                                         .arg(code));
        FilingJournal::FileAsRead(connection,
                                  {newKey, parentKey, NodeType::Generic, code, registered->name},
                                  m_read, drugsHeldRefusal);
        return true;
    });
    m_read = {code, newKey};
    return added;
}

bool clsGenerics::SearchGeneric(double genericCode)
{
    return m_session.Read(QStringLiteral("Pharvel.SearchGeneric"), [&] {
        m_read = FilingJournal::Where(m_session.Connection(), NodeType::Generic,
                                      ShortId::FromNumber(genericCode, kCode));
        return !m_read.key.isEmpty();
    });
}

bool clsGenerics::DeleteGeneric(const QString& genericCode)
{
    int code = 0;
    const bool deleted = m_session.Write(QStringLiteral("Pharvel.DeleteGeneric"), [&] {
        code = ShortId::FromText(genericCode, kCode);
        return FilingJournal::TakeOutAsRead(m_session.Connection(), NodeType::Generic, code, m_read,
                                            drugsHeldRefusal);
    });
    m_read = {code, QString()};
    return deleted;
}

RowSet clsGenerics::ListGeneric(const QString& search)
{
    return m_session.Read(QStringLiteral("Pharvel.ListGeneric"), [&] {
        constexpr int nameColumn = 1;
        SQLConnection& connection = m_session.Connection();
        const SearchPrefilter::Condition candidates =
            SearchPrefilter::Candidates(connection, {QStringLiteral("genericname")}, search);
        return RowSelection::Matching(
            GenericStore::Listing(connection, candidates.sql, candidates.values), {nameColumn},
            search, nameColumn);
    });
}

bool clsGenerics::NewGeneric(const QString& name)
{
    return m_session.Write(QStringLiteral("Pharvel.NewGeneric"), [&] {
        CatalogueSession::RequireName(name);
        const CatalogueId::Generic code =
            m_session.NextFreeId(GenericStore::kTable, GenericStore::kIdColumn);
        GenericStore::InsertAll(m_session.Connection(), {{code, name}});
        Journal::Change change =
            Journal::AboutGeneric(m_session.Connection(), Journal::Action::GenericAdded, code);
        change.newName = name;
        Journal::Record(m_session.Connection(), change);
        return true;
    });
}

bool clsGenerics::RenameGeneric(const QString& genericCode, const QString& newName)
{
    return m_session.Write(QStringLiteral("Pharvel.RenameGeneric"), [&] {
        CatalogueSession::RequireName(newName);
        const int code = ShortId::FromText(genericCode, kCode);
        SQLConnection& connection = m_session.Connection();
        std::optional<GenericRecord> record = GenericStore::Find(connection, code);
        if (!record)
            return false;
        const QString oldName = record->name;
        record->name = newName;
        GenericStore::Update(connection, *record);
        FilingJournal::Renamed(connection, NodeType::Generic, code, oldName, newName);
        return true;
    });
}

RowSet clsGenerics::OtherDrugs(int genericId, int /*mode*/, const QString& search, int filter)
{
    const QString source = QStringLiteral("Pharvel.OtherDrugs");
    return m_session.Read(source, [&] {
        const int id = ShortId::FromInteger(genericId, kGenericId);
        QString condition = QStringLiteral("WHERE d.itemid NOT IN (") + kFiledUnderGeneric +
                            QStringLiteral(" AND gp.Node_ID = ?)");
        if (filter == kFilterUnclassified)
            condition += QStringLiteral(" AND d.itemid NOT IN (SELECT Node_ID FROM "
                                        "inventory.tbPharvel WHERE Node_Type = '3')");
        else if (filter == kFilterClassified)
            condition +=
                QStringLiteral(" AND d.itemid IN (") + kFiledUnderGeneric + QLatin1Char(')');
        return matchingDrugs(m_session, source, condition, {id}, search);
    });
}

RowSet clsGenerics::LoadDrugs(int genericId, int /*mode*/, const QString& search)
{
    const QString source = QStringLiteral("Pharvel.LoadDrugs");
    return m_session.Read(source, [&] {
        const int id = ShortId::FromInteger(genericId, kGenericId);
        return matchingDrugs(m_session, source,
                             QStringLiteral("WHERE d.itemid IN (") + kFiledUnderGeneric +
                                 QStringLiteral(" AND gp.Node_ID = ?)"),
                             {id}, search);
    });
}

} // namespace ClassPharvel
