#include "platform/db/DrugStore.h"

#include "platform/db/StoredText.h"

const QStringList& DrugStore::Columns()
{
    static const QStringList columns{kIdColumn,
                                     QStringLiteral("DrugName"),
                                     QStringLiteral("Description"),
                                     QStringLiteral("Indication"),
                                     QStringLiteral("Dosage"),
                                     QStringLiteral("Administration"),
                                     QStringLiteral("Preparation")};
    return columns;
}

QVariantList DrugStore::Values(const DrugRecord& record)
{
    QVariantList values{record.id};
    for (const QString& field : record.fields)
        values << field;
    return values;
}

DrugRecord DrugStore::FromRow(const RowSet& rows, int r)
{
    DrugRecord record{rows.At(r, 0).toInt(), {}};
    for (size_t f = 0; f < record.fields.size(); ++f)
        record.fields[f] = StoredText(rows.At(r, static_cast<int>(f) + 1));
    return record;
}

std::optional<QString> DrugStore::NameOf(SQLConnection& connection, CatalogueId::Item id)
{
    const RowSet rows = connection.OpenRowSet(
        QStringLiteral("SELECT DrugName FROM inventory.tbinvmaster WHERE itemid = ?"), {id});
    if (rows.RecordCount() == 0)
        return std::nullopt;
    return rows.Text(0);
}
