#pragma once

#include "platform/db/CatalogueTypes.h"
#include "platform/db/RecordRows.h"

// One classification, as its table holds it (where it stands is its node's business). A new
// column is a new member here, with its place in ClassificationStore's Columns(), Values() and
// FromRow().
struct ClassificationRecord
{
    CatalogueId::Classification id = 0;
    QString name;
};

// The classifications (inventory.tbForClassification): the one owner of their SQL.
struct ClassificationStore : RecordStore<ClassificationStore, ClassificationRecord>
{
    static constexpr QLatin1String kTable{"inventory.tbForClassification"};
    static constexpr QLatin1String kIdColumn{"ClassificationID"};
    static const QStringList& Columns();
    static QVariantList Values(const ClassificationRecord& record);
    static ClassificationRecord FromRow(const RowSet& rows, int r);

    // Whether a classification is already called name, exactly.
    static bool NameTaken(SQLConnection& connection, const QString& name);
    static void Update(SQLConnection& connection, const ClassificationRecord& record);
};
