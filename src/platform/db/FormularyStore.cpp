#include "platform/db/FormularyStore.h"

#include "platform/db/StoredText.h"

namespace {

QVariant dateOrNull(const QDate& date)
{
    return date.isNull() ? QString() : date.toString(Qt::ISODate);
}
} // namespace

const QStringList& FormularyStore::Columns()
{
    static const QStringList columns{kIdColumn,
                                     QStringLiteral("Status"),
                                     QStringLiteral("Restriction"),
                                     QStringLiteral("DecidedOn"),
                                     QStringLiteral("DecisionRef"),
                                     QStringLiteral("ReviewOn"),
                                     QStringLiteral("Ven")};
    return columns;
}

QVariantList FormularyStore::Values(const FormularyRecord& record)
{
    return {record.generic,
            NullIfEmpty(record.status),
            NullIfEmpty(record.restriction),
            dateOrNull(record.decidedOn),
            NullIfEmpty(record.decisionRef),
            dateOrNull(record.reviewOn),
            NullIfEmpty(record.ven)};
}

FormularyRecord FormularyStore::FromRow(const RowSet& rows, int r)
{
    FormularyRecord record;
    record.generic = rows.At(r, 0).toInt();
    record.status = rows.At(r, 1).toString();
    record.restriction = rows.At(r, 2).toString();
    record.decidedOn = rows.At(r, 3).toDate();
    record.decisionRef = rows.At(r, 4).toString();
    record.reviewOn = rows.At(r, 5).toDate();
    record.ven = rows.At(r, 6).toString();
    return record;
}

QHash<QString, QString> FormularyStore::Statuses(SQLConnection& connection)
{
    // By node key, as the tree knows its nodes: the tree's rows carry no generic code.
    const RowSet rows = connection.OpenRowSet(
        QStringLiteral("SELECT p.Node_Key, f.Status FROM inventory.tbPharvel p "
                       "JOIN inventory.tbFormulary f ON f.GenericCode = p.Node_ID "
                       "WHERE p.Node_Type = '2' AND f.Status IS NOT NULL"));
    QHash<QString, QString> statuses;
    statuses.reserve(rows.RecordCount());
    for (int r = 0; r < rows.RecordCount(); ++r)
        statuses.insert(rows.At(r, 0).toString(), rows.At(r, 1).toString());
    return statuses;
}

QMap<QString, int> FormularyStore::StatusCounts(SQLConnection& connection,
                                                const QString& classificationKey)
{
    // A key spells its ancestry, so the nodes below a classification are those whose keys begin
    // with its key and a full stop.
    QString sql = QStringLiteral(
        "SELECT f.Status, count(*) FROM inventory.tbPharvel p "
        "LEFT JOIN inventory.tbFormulary f ON f.GenericCode = p.Node_ID WHERE p.Node_Type = '2'");
    QVariantList values;
    if (classificationKey != kRootKey) {
        const QString prefix = classificationKey + QLatin1Char('.');
        sql += QStringLiteral(" AND substr(p.Node_Key, 1, ?) = ?");
        values << prefix.size() << prefix;
    }
    const RowSet rows = connection.OpenRowSet(sql + QStringLiteral(" GROUP BY f.Status"), values);
    QMap<QString, int> counts;
    for (int r = 0; r < rows.RecordCount(); ++r)
        counts.insert(rows.At(r, 0).isNull() ? QStringLiteral("") : rows.At(r, 0).toString(),
                      rows.At(r, 1).toInt());
    return counts;
}
