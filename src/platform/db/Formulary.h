#pragma once

#include "platform/db/FormularyRecord.h"

#include <QList>
#include <QMap>

class SQLConnection;

// A generic name's whole formulary over its three stores (FormularyStore, ReferenceCodeStore,
// AlternativeStore), and the one path by which it changes: every write journals the record
// before and after ("formulary changed", with FormularySummary as the old and new text).
namespace Formulary {

// The generic name's formulary, with its codes' index names and its alternatives' names; an
// empty record (generic set) when it has none.
FormularyRecord Read(SQLConnection& connection, CatalogueId::Generic generic);
// Every generic name that has any formulary, by generic code.
QMap<CatalogueId::Generic, FormularyRecord> ReadAll(SQLConnection& connection);

// One generic name's formulary as it was and as it is to be (after.generic names it).
struct Change
{
    FormularyRecord before;
    FormularyRecord after;
};
// Writes each change's after in place of its before and journals it, many at a time (an import
// writes thousands); a change whose before and after are the same is passed over. Checks
// nothing: the caller checked the records (FormularyProblems, the generic names exist). Call
// inside the change's transaction.
void Write(SQLConnection& connection, const QList<Change>& changes);

// Before the generic name is deleted: empties its formulary and takes it out of every other
// generic name's alternatives, journaled. Call inside the deletion's transaction.
void Forget(SQLConnection& connection, CatalogueId::Generic generic);

// A merge of the generic name drop into keep: keep keeps its own decision (or takes drop's when
// it has none), gains drop's codes and alternatives that it lacks, and every other generic name
// that listed drop lists keep instead (once). Journaled; drop's own formulary is left for
// Forget when drop is deleted.
void Merge(SQLConnection& connection, CatalogueId::Generic keep, CatalogueId::Generic drop);

} // namespace Formulary
