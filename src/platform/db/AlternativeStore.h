#pragma once

#include "platform/db/FormularyRecord.h"

#include <QList>
#include <QMap>

class SQLConnection;

// The therapeutic alternatives of generic names (inventory.tbAlternative): an ordered list of
// other generic names a generic name, each read with its name.
namespace AlternativeStore {

inline constexpr QLatin1String kTable{"inventory.tbAlternative"};

QList<Alternative> Of(SQLConnection& connection, CatalogueId::Generic generic);
// Every generic name's alternatives, by generic code.
QMap<CatalogueId::Generic, QList<Alternative>> All(SQLConnection& connection);
void RemoveAll(SQLConnection& connection, const QList<CatalogueId::Generic>& generics);
void InsertAll(SQLConnection& connection, const QList<FormularyRecord>& records);
// The generic names that list generic as an alternative, by code.
QList<CatalogueId::Generic> Listing(SQLConnection& connection, CatalogueId::Generic generic);

} // namespace AlternativeStore
