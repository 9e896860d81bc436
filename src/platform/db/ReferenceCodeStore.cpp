#include "platform/db/ReferenceCodeStore.h"

#include "platform/db/AtcCode.h"
#include "platform/db/DeleteWhereIn.h"
#include "platform/db/PreparedInsert.h"
#include "platform/db/SQLConnection.h"

namespace ReferenceCodeStore {

namespace {
// The codes with their index names; the ATC index names only its own system's codes.
const QString kCodes = QStringLiteral(
    "SELECT c.GenericCode, c.CodeSystem, c.Code, a.Name FROM inventory.tbGenericCode c "
    "LEFT JOIN inventory.tbAtcIndex a ON c.CodeSystem = 'ATC' AND a.Code = c.Code ");

ReferenceCode codeOf(const RowSet& rows, int r)
{
    return {rows.At(r, 1).toString(), rows.At(r, 2).toString(), rows.At(r, 3).toString()};
}
} // namespace

QList<ReferenceCode> Of(SQLConnection& connection, CatalogueId::Generic generic)
{
    const RowSet rows = connection.OpenRowSet(
        kCodes + QStringLiteral("WHERE c.GenericCode = ? ORDER BY c.Position"), {generic});
    QList<ReferenceCode> codes;
    for (int r = 0; r < rows.RecordCount(); ++r)
        codes << codeOf(rows, r);
    return codes;
}

QMap<CatalogueId::Generic, QList<ReferenceCode>> All(SQLConnection& connection)
{
    const RowSet rows =
        connection.OpenRowSet(kCodes + QStringLiteral("ORDER BY c.GenericCode, c.Position"));
    QMap<CatalogueId::Generic, QList<ReferenceCode>> all;
    for (int r = 0; r < rows.RecordCount(); ++r)
        all[rows.At(r, 0).toInt()] << codeOf(rows, r);
    return all;
}

void RemoveAll(SQLConnection& connection, const QList<CatalogueId::Generic>& generics)
{
    DeleteWhereIn(connection, kTable, QStringLiteral("GenericCode"),
                  QVariantList(generics.cbegin(), generics.cend()));
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
        QStringLiteral("SELECT c.GenericCode, g.genericname, c.CodeSystem, c.Code, a.Name "
                       "FROM inventory.tbGenericCode c JOIN inventory.tbforgeneric g "
                       "ON g.GenericCode = c.GenericCode LEFT JOIN inventory.tbAtcIndex a "
                       "ON c.CodeSystem = 'ATC' AND a.Code = c.Code WHERE c.Code = ?");
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
            {rows.At(r, 2).toString(), rows.At(r, 3).toString(), rows.At(r, 4).toString()}};
    return carriers;
}

} // namespace ReferenceCodeStore
