#pragma once

#include <QString>

class SQLConnection;

// Writes the whole catalogue to a folder as the exchange files (see ExchangeFiles), each in
// order of id, so that exporting the same catalogue twice gives the same bytes. The folder is
// made when it is missing; files of those names in it are replaced. Raises PharvelError.
namespace CatalogueExport {

void Write(SQLConnection& connection, const QString& folder);

} // namespace CatalogueExport
