#include "platform/catalog/Pharvel.h"

#include "platform/catalog/CatalogueSession.h"
#include "platform/catalog/FilingJournal.h"
#include "platform/catalog/TreeOrder.h"
#include "platform/db/CatalogueTypes.h"
#include "platform/db/NodeEntries.h"

namespace ClassPharvel {

namespace {

// Aliases are quoted so that both engines hand back the names as spelled here.
const QString kTreeRows =
    QStringLiteral(
        "SELECT p.Node_Type AS \"node_type\", c.ClassificationName AS \"ClassificationName\", "
        "g.genericname AS \"GenericName\", d.DrugName AS \"DrugName\", d.itemid AS \"ItemID\", "
        "p.Node_Parent AS \"Node_Parent\", p.Node_Key AS \"Node_Key\" "
        "FROM inventory.tbPharvel p") +
    NodeEntryJoins(QStringLiteral("p"));
} // namespace

Pharvel::Pharvel(QObject* parent)
    : QObject(parent), m_session(std::make_unique<CatalogueSession>()),
      m_node(std::make_unique<clsNode>(*m_session)),
      m_classifications(std::make_unique<clsClassifications>(*m_session, *m_node)),
      m_generics(std::make_unique<clsGenerics>(*m_session)),
      m_drugs(std::make_unique<clsDrugs>(*m_session)),
      m_formulary(std::make_unique<clsFormulary>(*m_session))
{}

Pharvel::~Pharvel() = default;

bool Pharvel::Connect(const QString& connectionString)
{
    try {
        m_session->Open(connectionString);
        m_lastError.clear();
        return true;
    } catch (const std::exception& error) {
        m_lastError = QString::fromUtf8(error.what());
        return false;
    }
}

bool Pharvel::IsConnected() const
{
    return m_session->IsOpen();
}

QString Pharvel::LastError() const
{
    return m_lastError;
}

RowSet Pharvel::LoadClassifications(const QString& parentKey, bool loadAll)
{
    return m_session->Read(QStringLiteral("Pharvel.LoadClassifications"), [&] {
        SQLConnection& connection = m_session->Connection();
        if (!loadAll)
            return TreeOrder::PreOrder(
                connection.OpenRowSet(kTreeRows + QStringLiteral("WHERE p.Node_Parent = ?"),
                                      {parentKey}),
                parentKey);
        // Every node below the parent is a node whose key starts with the parent's key and a
        // full stop; below the root that is every node but the root.
        if (parentKey == kRootKey)
            return TreeOrder::PreOrder(
                connection.OpenRowSet(kTreeRows +
                                      QStringLiteral("WHERE p.Node_Parent IS NOT NULL")),
                parentKey);
        return TreeOrder::PreOrder(
            connection.OpenRowSet(
                kTreeRows +
                    QStringLiteral("WHERE substr(p.Node_Key, 1, length(CAST(? AS TEXT)) + 1) "
                                   "= CAST(? AS TEXT) || '.'"),
                {parentKey, parentKey}),
            parentKey);
    });
}

clsNode& Pharvel::NodePharvel()
{
    return *m_node;
}

clsClassifications& Pharvel::Classifications()
{
    return *m_classifications;
}

clsGenerics& Pharvel::Generics()
{
    return *m_generics;
}

clsDrugs& Pharvel::Drugs()
{
    return *m_drugs;
}

clsFormulary& Pharvel::Formulary()
{
    return *m_formulary;
}

QString Pharvel::ChangedMeanwhile(const QString& nodeType, int id)
{
    return m_session->Read(QStringLiteral("Pharvel.ChangedMeanwhile"), [&] {
        return FilingJournal::ChangedMeanwhile(m_session->Connection(), nodeType, id);
    });
}

SQLConnection& Pharvel::Connection()
{
    return m_session->Connection();
}

} // namespace ClassPharvel
