#pragma once

#include "platform/db/GenericParts.h"

#include <QString>

// The reference codes of generic names (inventory.tbGenericCode): any number of (code system,
// code) pairs a generic name, in order. A code of the ATC system reads with the name the loaded
// index gives it.
struct ReferenceCodeStore : GenericParts::PartStore<ReferenceCodeStore, ReferenceCode>
{
    static constexpr QLatin1String kTable{"inventory.tbGenericCode"};
    static const GenericParts::Layout<ReferenceCode>& Layout();

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
    // The generic names carrying text as a code of any system, exactly; and, when text (in
    // capitals) is an ATC code of any level, those whose ATC codes begin with it ("J01" finds
    // J01CA04). By code, then by generic name. Each comes with its place in the tree, read in the
    // same statement, so that a find listing thousands of them costs one round trip.
    static QList<Carrier> Carrying(SQLConnection& connection, const QString& text);
};
