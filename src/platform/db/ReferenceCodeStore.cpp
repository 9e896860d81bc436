#include "platform/db/ReferenceCodeStore.h"

#include "platform/db/AtcCode.h"
#include "platform/db/AtcIndexStore.h"
#include "platform/db/ClassificationStore.h"
#include "platform/db/GenericParts.h"
#include "platform/db/GenericStore.h"
#include "platform/db/PreparedInsert.h"
#include "platform/db/SQLConnection.h"

namespace ReferenceCodeStore {

namespace {
// The codes with their index names; the ATC index names only its own system's codes.
const QString kCodes = QStringLiteral(
    "SELECT t.GenericCode, t.CodeSystem, t.Code, a.Name FROM inventory.tbGenericCode t "
    "LEFT JOIN inventory.tbAtcIndex a ON t.CodeSystem = 'ATC' AND a.Code = t.Code ");

ReferenceCode codeOf(const RowSet& rows, int r)
{
    return {rows.At(r, 1).toString(), rows.At(r, 2).toString(), rows.At(r, 3).toString()};
}
} // namespace

QList<ReferenceCode> Of(SQLConnection& connection, CatalogueId::Generic generic)
{
    return GenericParts::Of(connection, kCodes, generic, codeOf);
}

QMap<CatalogueId::Generic, QList<ReferenceCode>> All(SQLConnection& connection)
{
    return GenericParts::All(connection, kCodes, codeOf);
}

void RemoveAll(SQLConnection& connection, const QList<CatalogueId::Generic>& generics)
{
    GenericParts::RemoveAll(connection, kTable, generics);
}

void InsertAll(SQLConnection& connection, const QList<FormularyRecord>& records)
{
    PreparedInsert rows(connection, kTable,
                        {QStringLiteral("GenericCode"), QStringLiteral("Position"),
                         QStringLiteral("CodeSystem"), QStringLiteral("Code")});
    for (const FormularyRecord& record : records)
        for (int position = 0; position < record.codes.size(); ++position)
            rows.Add({record.generic, position + 1, record.codes.at(position).system,
                      record.codes.at(position).code});
    rows.Flush();
}

QList<Carrier> Carrying(SQLConnection& connection, const QString& text)
{
    const QString code = text.trimmed();
    if (code.isEmpty())
        return {};
    QString sql =
        QStringLiteral("SELECT c.GenericCode, g.genericname, c.CodeSystem, c.Code, a.Name, "
                       "n.Node_Key, k.ClassificationName "
                       "FROM inventory.tbGenericCode c JOIN %1 g "
                       "ON g.GenericCode = c.GenericCode LEFT JOIN %2 a "
                       "ON c.CodeSystem = 'ATC' AND a.Code = c.Code "
                       "LEFT JOIN inventory.tbPharvel n ON n.Node_Type = '2' "
                       "AND n.Node_ID = c.GenericCode "
                       "LEFT JOIN inventory.tbPharvel p ON p.Node_Key = n.Node_Parent "
                       "LEFT JOIN %3 k ON k.ClassificationID = p.Node_ID WHERE c.Code = ?")
            .arg(GenericStore::kTable, AtcIndexStore::kTable, ClassificationStore::kTable);
    QVariantList values{code};
    const QString atcPrefix = code.toUpper();
    if (AtcCode::IsWellFormed(atcPrefix)) {
        // An ATC code holds capitals and digits only, so the prefix needs no escaping; both
        // engines then compare the first characters exactly.
        sql += QStringLiteral(" OR (c.CodeSystem = 'ATC' AND c.Code LIKE ? AND "
                              "substr(c.Code, 1, ?) = ?)");
        values << atcPrefix + QLatin1Char('%') << atcPrefix.size() << atcPrefix;
    }
    const RowSet rows =
        connection.OpenRowSet(sql + QStringLiteral(" ORDER BY c.Code, g.genericname"), values);
    QList<Carrier> carriers;
    for (int r = 0; r < rows.RecordCount(); ++r)
        carriers << Carrier{
            rows.At(r, 0).toInt(),
            rows.At(r, 1).toString(),
            {rows.At(r, 2).toString(), rows.At(r, 3).toString(), rows.At(r, 4).toString()},
            rows.At(r, 5).toString(),
            rows.At(r, 6).toString()};
    return carriers;
}

} // namespace ReferenceCodeStore
