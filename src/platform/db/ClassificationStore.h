#pragma once

#include "platform/db/CatalogueTypes.h"
#include "platform/db/RecordFields.h"

// One classification, as its table holds it (where it stands is its node's business). A new
// column is a new member here and its line in ClassificationStore::Fields().
struct ClassificationRecord
{
    CatalogueId::Classification id = 0;
    QString name;
};

// The classifications (inventory.tbForClassification): the one owner of their SQL.
struct ClassificationStore : FieldStore<ClassificationStore, ClassificationRecord>
{
    static constexpr QLatin1String kTable{"inventory.tbForClassification"};
    static constexpr QLatin1String kIdColumn{"ClassificationID"};
    static const QList<RecordField<ClassificationRecord>>& Fields();

    // Whether a classification is already called name, exactly.
    static bool NameTaken(SQLConnection& connection, const QString& name);
};
