#pragma once

#include "platform/db/FormularyRecord.h"

#include <QList>
#include <QMap>
#include <QString>

class SQLConnection;

// The reference codes of generic names (inventory.tbGenericCode): any number of (code system,
// code) pairs a generic name, in order. A code of the ATC system reads with the name the loaded
// index gives it.
namespace ReferenceCodeStore {

inline constexpr QLatin1String kTable{"inventory.tbGenericCode"};

QList<ReferenceCode> Of(SQLConnection& connection, CatalogueId::Generic generic);
// Every generic name's codes, by generic code.
QMap<CatalogueId::Generic, QList<ReferenceCode>> All(SQLConnection& connection);
void RemoveAll(SQLConnection& connection, const QList<CatalogueId::Generic>& generics);
// The codes of each record, a few rows to a statement.
void InsertAll(SQLConnection& connection, const QList<FormularyRecord>& records);

// A generic name that carries a code a search asked for.
struct Carrier
{
    CatalogueId::Generic generic = 0;
    QString genericName;
    ReferenceCode code;
    // Where the generic name is filed in the tree; both empty when it is filed nowhere.
    QString nodeKey;
    QString classificationName;
};
// The generic names carrying text as a code of any system, exactly; and, when text (in capitals)
// is an ATC code of any level, those whose ATC codes begin with it ("J01" finds J01CA04). By
// code, then by generic name. Each comes with its place in the tree, read in the same statement,
// so that a find listing thousands of them costs one round trip.
QList<Carrier> Carrying(SQLConnection& connection, const QString& text);

} // namespace ReferenceCodeStore
