#pragma once

#include "platform/db/CatalogueTypes.h"

#include <QHash>
#include <QList>
#include <QString>

class SQLConnection;

// Where generic names stand in the tree: for the find window's matches by code, which name
// generic names and must open their nodes.
namespace GenericPlaces {

struct Place
{
    QString nodeKey;
    QString classificationName; // the classification the generic name is filed under
};

// The place of each of the generic names that is filed; names filed nowhere are absent. A few
// hundred names to a statement.
QHash<CatalogueId::Generic, Place> Of(SQLConnection& connection,
                                      const QList<CatalogueId::Generic>& generics);

} // namespace GenericPlaces
