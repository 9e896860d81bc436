#pragma once

#include "platform/db/CatalogueTypes.h"
#include "platform/db/RecordRows.h"

#include <optional>

// One generic name of the register, as its table holds it. A new column is a new member here,
// with its place in GenericStore's Columns(), Values() and FromRow(); the catalogue files, the
// import's plan and its journal take the record whole.
struct GenericRecord
{
    CatalogueId::Generic id = 0; // the generic code
    QString name;
};

// The register of generic names (inventory.tbforgeneric): the one owner of its SQL. Other
// tables' reads join it through kTable.
struct GenericStore : RecordStore<GenericStore, GenericRecord>
{
    static constexpr QLatin1String kTable{"inventory.tbforgeneric"};
    static constexpr QLatin1String kIdColumn{"GenericCode"};
    static const QStringList& Columns();
    static QVariantList Values(const GenericRecord& record);
    static GenericRecord FromRow(const RowSet& rows, int r);

    static std::optional<GenericRecord> Find(SQLConnection& connection, CatalogueId::Generic code);
    // The register's rows for its grid (columns Code, Generic Name) narrowed by condition, a SQL
    // condition over the column genericname with its bound values (empty: every row).
    static RowSet Listing(SQLConnection& connection, const QString& condition,
                          const QVariantList& values);
    // Whether another generic name than except (0: none) is already called name, exactly.
    static bool NameTaken(SQLConnection& connection, const QString& name,
                          CatalogueId::Generic except = 0);
    static void Update(SQLConnection& connection, const GenericRecord& record);
};
