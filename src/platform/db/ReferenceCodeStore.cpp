#include "platform/db/ReferenceCodeStore.h"

#include "platform/db/AtcCode.h"

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

const GenericParts::Layout<ReferenceCode>& ReferenceCodeStore::Layout()
{
    static const GenericParts::Layout<ReferenceCode> layout{
        kCodes,
        codeOf,
        {QStringLiteral("CodeSystem"), QStringLiteral("Code")},
        [](const ReferenceCode& code) {
            return QVariantList{code.system, code.code};
        },
        &FormularyRecord::codes};
    return layout;
}

QList<ReferenceCodeStore::Carrier> ReferenceCodeStore::Carrying(SQLConnection& connection,
                                                                const QString& text)
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
