#pragma once

#include "platform/db/Formulary.h"
#include "platform/exchange/CatalogueState.h"
#include "platform/exchange/ImportFiles.h"

#include <QSet>

// What an import changes in the formulary. Each of the three files, when given, replaces that
// part (the decision, the codes, the alternatives) of every generic name it names, in the file's
// order; with pruning, the generic names it does not name lose that part. A row naming a generic
// name the import leaves out of the register is a bad row; an alternative the database kept for
// such a name goes with it, as does the formulary of a generic name the import removes.
namespace FormularyPlan {

struct Result
{
    QList<Formulary::Change> changes;
    int added = 0;
    int removed = 0;
    int kept = 0; // generic names with a formulary that the import leaves as it is
};

// generics: the codes of the register as the import leaves it.
Result Make(const CatalogueState& current, const ImportFiles::Content& files,
            const QSet<CatalogueId::Generic>& generics, bool prune,
            QList<ImportFiles::Fault>& faults);

} // namespace FormularyPlan
