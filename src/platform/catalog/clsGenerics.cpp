#include "platform/catalog/clsGenerics.h"

#include "platform/catalog/CatalogueSession.h"
#include "platform/catalog/FilingJournal.h"
#include "platform/catalog/NodeStore.h"
#include "platform/catalog/RowSelection.h"
#include "platform/catalog/ShortId.h"
#include "platform/db/Journal.h"
#include "platform/db/SearchPrefilter.h"

namespace ClassPharvel {

namespace {
const QString kCode = QStringLiteral("The generic code");
const QString kGenericId = QStringLiteral("The generic id");

// Every stock drug with the generic name it is filed under (gp is the generic name's node).
const QString kDrugRows = QStringLiteral(
    "SELECT d.DrugName AS \"Drug Name\", d.Description AS \"Description\", "
    "COALESCE(g.genericname, 'Unclassified') AS \"Generic Name\", d.itemid AS \"Drug ID\", "
    "p.Node_Key AS \"Node Key\" "
    "FROM inventory.tbinvmaster d "
    "LEFT JOIN inventory.tbPharvel p ON p.Node_Type = '3' AND p.Node_ID = d.itemid "
    "LEFT JOIN inventory.tbPharvel gp ON gp.Node_Key = p.Node_Parent AND gp.Node_Type = '2' "
    "LEFT JOIN inventory.tbforgeneric g ON g.GenericCode = gp.Node_ID ");
constexpr int kDrugNameColumn = 0;
constexpr int kDescriptionColumn = 1;

// The drug rows chosen by condition (a WHERE clause over kDrugRows with its values) whose name or
// description contains search.
RowSet matchingDrugs(SQLConnection& connection, const QString& condition, QVariantList values,
                     const QString& search)
{
    const SearchPrefilter::Condition candidates = SearchPrefilter::Candidates(
        connection.engine(), {QStringLiteral("d.DrugName"), QStringLiteral("d.Description")},
        search);
    QString sql = kDrugRows + condition;
    if (!candidates.sql.isEmpty()) {
        sql += QStringLiteral(" AND ") + candidates.sql;
        values += candidates.values;
    }
    return RowSelection::Matching(connection.OpenRowSet(sql, values),
                                  {kDrugNameColumn, kDescriptionColumn}, search, kDrugNameColumn);
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
        const bool registered =
            connection
                .Scalar(QStringLiteral("SELECT count(*) FROM inventory.tbforgeneric "
                                       "WHERE GenericCode = ?"),
                        {code})
                .toInt() > 0;
        if (!registered)
            CatalogueSession::Refuse(QStringLiteral("No generic name with the code %1 is in the "
                                                    "register; it cannot be filed.")
                                         .arg(code));
        NodeStore nodes(connection);
        const std::optional<CatalogueNode> old = nodes.FindFiled(NodeType::Generic, code);
        FilingJournal::RequireAsRead(connection, NodeType::Generic, code, old, m_read);
        if (old)
            nodes.Remove(*old, drugsHeldRefusal(*old));
        nodes.Insert(parentKey, newKey, NodeType::Generic, code);
        FilingJournal::Filed(nodes, connection, old, newKey);
        return true;
    });
    m_read = {code, newKey};
    return added;
}

bool clsGenerics::SearchGeneric(double genericCode)
{
    return m_session.Read(QStringLiteral("Pharvel.SearchGeneric"), [&] {
        const int code = ShortId::FromNumber(genericCode, kCode);
        const std::optional<CatalogueNode> node =
            NodeStore(m_session.Connection()).FindFiled(NodeType::Generic, code);
        m_read = {code, node ? node->key : QString()};
        return node.has_value();
    });
}

bool clsGenerics::DeleteGeneric(const QString& genericCode)
{
    int code = 0;
    const bool deleted = m_session.Write(QStringLiteral("Pharvel.DeleteGeneric"), [&] {
        code = ShortId::FromText(genericCode, kCode);
        SQLConnection& connection = m_session.Connection();
        NodeStore nodes(connection);
        const std::optional<CatalogueNode> node = nodes.FindFiled(NodeType::Generic, code);
        FilingJournal::RequireAsRead(connection, NodeType::Generic, code, node, m_read);
        if (!node)
            return false;
        nodes.Remove(*node, drugsHeldRefusal(*node));
        FilingJournal::TakenOut(nodes, connection, *node);
        return true;
    });
    m_read = {code, QString()};
    return deleted;
}

RowSet clsGenerics::ListGeneric(const QString& search)
{
    return m_session.Read(QStringLiteral("Pharvel.ListGeneric"), [&] {
        constexpr int nameColumn = 1;
        SQLConnection& connection = m_session.Connection();
        const SearchPrefilter::Condition candidates = SearchPrefilter::Candidates(
            connection.engine(), {QStringLiteral("genericname")}, search);
        QString sql = QStringLiteral("SELECT GenericCode AS \"Code\", genericname AS "
                                     "\"Generic Name\" FROM inventory.tbforgeneric");
        if (!candidates.sql.isEmpty())
            sql += QStringLiteral(" WHERE ") + candidates.sql;
        return RowSelection::Matching(connection.OpenRowSet(sql, candidates.values), {nameColumn},
                                      search, nameColumn);
    });
}

bool clsGenerics::NewGeneric(const QString& name)
{
    return m_session.Write(QStringLiteral("Pharvel.NewGeneric"), [&] {
        CatalogueSession::RequireName(name);
        const int code = m_session.NextFreeId(QStringLiteral("inventory.tbforgeneric"),
                                              QStringLiteral("GenericCode"));
        m_session.Connection().Execute(QStringLiteral("INSERT INTO inventory.tbforgeneric "
                                                      "(GenericCode, genericname) VALUES (?, ?)"),
                                       {code, name});
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
        const RowSet old = connection.OpenRowSet(
            QStringLiteral("SELECT genericname FROM inventory.tbforgeneric WHERE GenericCode = ?"),
            {code});
        if (old.RecordCount() == 0)
            return false;
        connection.Execute(
            QStringLiteral(
                "UPDATE inventory.tbforgeneric SET genericname = ? WHERE GenericCode = ?"),
            {newName, code});
        FilingJournal::Renamed(connection, NodeType::Generic, code, old.Text(0), newName);
        return true;
    });
}

RowSet clsGenerics::OtherDrugs(int genericId, int /*mode*/, const QString& search, int filter)
{
    return m_session.Read(QStringLiteral("Pharvel.OtherDrugs"), [&] {
        const int id = ShortId::FromInteger(genericId, kGenericId);
        QString condition = QStringLiteral("WHERE (gp.Node_ID IS NULL OR gp.Node_ID <> ?)");
        if (filter == kFilterUnclassified)
            condition += QStringLiteral(" AND p.Node_Key IS NULL");
        else if (filter == kFilterClassified)
            condition += QStringLiteral(" AND gp.Node_ID IS NOT NULL");
        return matchingDrugs(m_session.Connection(), condition, {id}, search);
    });
}

RowSet clsGenerics::LoadDrugs(int genericId, int /*mode*/, const QString& search)
{
    return m_session.Read(QStringLiteral("Pharvel.LoadDrugs"), [&] {
        const int id = ShortId::FromInteger(genericId, kGenericId);
        return matchingDrugs(m_session.Connection(), QStringLiteral("WHERE gp.Node_ID = ?"), {id},
                             search);
    });
}

} // namespace ClassPharvel
