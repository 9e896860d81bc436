#pragma once

#include "platform/db/CatalogueTypes.h"
#include "platform/db/RecordRows.h"

#include <array>
#include <optional>

// A drug's name, description, indication, dosage, administration and preparation.
using DrugFields = std::array<QString, 6>;

// One stock drug, as the inventory's table holds it. A new column is a new member here, with its
// place in DrugStore's Columns(), Values() and FromRow().
struct DrugRecord
{
    CatalogueId::Item id = 0;
    DrugFields fields;
};

// The stock drugs (inventory.tbinvmaster): the one owner of the catalogue's SQL on them.
struct DrugStore : RecordStore<DrugStore, DrugRecord>
{
    static constexpr QLatin1String kTable{"inventory.tbinvmaster"};
    static constexpr QLatin1String kIdColumn{"itemid"};
    static const QStringList& Columns();
    static QVariantList Values(const DrugRecord& record);
    static DrugRecord FromRow(const RowSet& rows, int r);

    // The drug's name, none when no drug has the id.
    static std::optional<QString> NameOf(SQLConnection& connection, CatalogueId::Item id);
};
