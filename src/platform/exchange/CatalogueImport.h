#pragma once

#include "platform/exchange/ImportFiles.h"

#include <QList>
#include <QString>
#include <QStringList>

class SQLConnection;

// Brings the catalogue to what the exchange files in a folder say (any of them; see
// ImportPlan). Every row is checked before anything is written; one bad row and nothing is.
// Otherwise the whole change is one transaction, taken under the catalogue's write lock, and
// journaled in it (see ImportJournal).
namespace CatalogueImport {

struct Result
{
    QList<ImportFiles::Fault> faults; // every bad row found; nothing was written when any
    QStringList summary;              // what was (or with dryRun would be) added, changed, ...
    bool written = false;
};

// Raises PharvelError when the database fails (a lock held beyond the time-out, the server
// gone); the catalogue is then left as it was.
Result Run(SQLConnection& connection, const QString& folder, bool dryRun, bool prune);

} // namespace CatalogueImport
