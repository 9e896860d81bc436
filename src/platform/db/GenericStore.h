#pragma once

#include "platform/db/CatalogueTypes.h"
#include "platform/db/RecordFields.h"

// One generic name of the register, as its table holds it. A new column is a new member here
// and its line in GenericStore::Fields(), with its name in the catalogue file where the file
// carries it; the exchange files, the import's plan, the merge and the journal take it from
// there.
struct GenericRecord
{
    CatalogueId::Generic id = 0; // the generic code
    QString name;
};

// The register of generic names (inventory.tbforgeneric): the one owner of its SQL. Other
// tables' reads join it through kTable.
struct GenericStore : FieldStore<GenericStore, GenericRecord>
{
    static constexpr QLatin1String kTable{"inventory.tbforgeneric"};
    static constexpr QLatin1String kIdColumn{"GenericCode"};
    static const QList<RecordField<GenericRecord>>& Fields();

    // The register's rows for its grid (columns Code, Generic Name) narrowed by condition, a SQL
    // condition over the column genericname with its bound values (empty: every row).
    static RowSet Listing(SQLConnection& connection, const QString& condition,
                          const QVariantList& values);
    // Whether another generic name than except (0: none) is already called name, exactly.
    static bool NameTaken(SQLConnection& connection, const QString& name,
                          CatalogueId::Generic except = 0);
};
