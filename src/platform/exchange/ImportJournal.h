#pragma once

class SQLConnection;
struct CatalogueState;
struct ImportPlan;

// The journal rows of an import, one a change, written in the import's transaction: entries
// added, renamed or changed and removed, entries filed, moved and taken out, other details
// saved. A node that only takes a new key because a classification above it moved is no change
// of its own.
namespace ImportJournal {

void Record(SQLConnection& connection, const CatalogueState& before, const ImportPlan& plan);

} // namespace ImportJournal
