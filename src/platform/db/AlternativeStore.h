#pragma once

#include "platform/db/GenericParts.h"

// The therapeutic alternatives of generic names (inventory.tbAlternative): an ordered list of
// other generic names a generic name, each read with its name.
struct AlternativeStore : GenericParts::PartStore<AlternativeStore, Alternative>
{
    static constexpr QLatin1String kTable{"inventory.tbAlternative"};
    static const GenericParts::Layout<Alternative>& Layout();

    // The generic names that list generic as an alternative, by code.
    static QList<CatalogueId::Generic> Listing(SQLConnection& connection,
                                               CatalogueId::Generic generic);
};
