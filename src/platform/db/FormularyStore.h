#pragma once

#include "platform/db/FormularyRecord.h"
#include "platform/db/RecordRows.h"

#include <QHash>
#include <QMap>
#include <optional>

// The committee's decisions (inventory.tbFormulary): one row a generic name that has any of
// the decision's fields, status to VEN. Codes and alternatives are their own stores' records;
// Formulary puts the three together. An empty text and a null date are stored as NULL.
struct FormularyStore : RecordStore<FormularyStore, FormularyRecord>
{
    static constexpr QLatin1String kTable{"inventory.tbFormulary"};
    static constexpr QLatin1String kIdColumn{"GenericCode"};
    static const QStringList& Columns();
    static QVariantList Values(const FormularyRecord& record);
    // The decision's fields; no codes, no alternatives.
    static FormularyRecord FromRow(const RowSet& rows, int r);

    // The status of every generic name that has one, by generic code (for the tree's marks).
    static QHash<QString, QString> Statuses(SQLConnection& connection);
    // How many generic names are filed under the classification node classificationKey, at any
    // depth (the root's key: the whole tree), by status; "" counts those not yet decided.
    static QMap<QString, int> StatusCounts(SQLConnection& connection,
                                           const QString& classificationKey);
};
