#include "platform/catalog/clsDrugs.h"

#include "platform/catalog/CatalogueSession.h"
#include "platform/catalog/FilingAsRead.h"
#include "platform/catalog/ShortId.h"
#include "platform/db/DrugStore.h"

namespace ClassPharvel {

namespace {
const QString kDrugId = QStringLiteral("The drug id");
const QString kDrugHoldsNodes = QStringLiteral("A drug's node holds other nodes; it is left as "
                                               "it is.");
} // namespace

bool clsDrugs::SearchDrug(double drugId)
{
    return m_session.Read(QStringLiteral("Pharvel.SearchDrug"), [&] {
        m_read = FilingJournal::Where(m_session.Connection(), NodeType::Drug,
                                      ShortId::FromNumber(drugId, kDrugId));
        return !m_read.key.isEmpty();
    });
}

bool clsDrugs::AddDrug(const QString& parentKey, const QString& newKey, const QString& /*name*/,
                       double drugId)
{
    int id = 0;
    const bool added = m_session.Write(QStringLiteral("Pharvel.AddDrug"), [&] {
        id = ShortId::FromNumber(drugId, kDrugId);
        SQLConnection& connection = m_session.Connection();
        const std::optional<QString> stocked = DrugStore::NameOf(connection, id);
        if (!stocked)
            CatalogueSession::Refuse(QStringLiteral("No drug with the id %1 is in the inventory; "
                                                    "it cannot be filed.")
                                         .arg(id));
        FilingJournal::FileAsRead(connection, {newKey, parentKey, NodeType::Drug, id, *stocked},
                                  m_read, [](const CatalogueNode&) { return kDrugHoldsNodes; });
        return true;
    });
    m_read = {id, newKey};
    return added;
}

bool clsDrugs::DeleteDrug(double drugId)
{
    int id = 0;
    const bool deleted = m_session.Write(QStringLiteral("Pharvel.DeleteDrug"), [&] {
        id = ShortId::FromNumber(drugId, kDrugId);
        return FilingJournal::TakeOutAsRead(m_session.Connection(), NodeType::Drug, id, m_read,
                                            [](const CatalogueNode&) { return kDrugHoldsNodes; });
    });
    m_read = {id, QString()};
    return deleted;
}

} // namespace ClassPharvel
