#include "platform/db/ReferenceCodeStore.h"

#include "platform/db/AtcCode.h"
#include "platform/db/AtcIndexStore.h"
#include "platform/db/ClassificationStore.h"
#include "platform/db/GenericStore.h"

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
