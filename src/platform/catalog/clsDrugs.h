#pragma once

#include "platform/catalog/FilingJournal.h"

#include <QString>

namespace ClassPharvel {

class CatalogueSession;

// The filing of stock drugs under generic names. Writes return True when they changed the
// catalogue, False when there was nothing to change; refusals raise PharvelError.
class clsDrugs
{
public:
    explicit clsDrugs(CatalogueSession& session) : m_session(session) {}

    // True when the drug has a node; NodeKey() then gives that node's key (empty otherwise).
    bool SearchDrug(double drugId);
    const QString& NodeKey() const { return m_read.key; }
    // Files the drug under the generic name's node parentKey with newKey; a drug filed elsewhere
    // moves, in one transaction. name is not used (the drug keeps its own). When the drug is
    // the current one, the move is refused if another user filed it elsewhere since SearchDrug.
    bool AddDrug(const QString& parentKey, const QString& newKey, const QString& name,
                 double drugId);
    // Takes the drug out of its generic name (its node goes).
    bool DeleteDrug(double drugId);

private:
    CatalogueSession& m_session;
    FiledAsRead m_read;
};

} // namespace ClassPharvel
