#include "platform/db/HospitalStore.h"

#include "platform/db/StoredText.h"

const QStringList& HospitalStore::Columns()
{
    static const QStringList columns{kIdColumn, QStringLiteral("clientname"),
                                     QStringLiteral("company"), QStringLiteral("address1"),
                                     QStringLiteral("FhirBase")};
    return columns;
}

QVariantList HospitalStore::Values(const HospitalRecord& record)
{
    return {record.id, record.clientName, record.company, record.address, record.fhirBase};
}

HospitalRecord HospitalStore::FromRow(const RowSet& rows, int r)
{
    return {rows.At(r, 0).toInt(), StoredText(rows.At(r, 1)), StoredText(rows.At(r, 2)),
            StoredText(rows.At(r, 3)), StoredText(rows.At(r, 4))};
}

std::optional<HospitalRecord> HospitalStore::Read(SQLConnection& connection)
{
    const RowSet rows =
        connection.OpenRowSet(QStringLiteral("SELECT %1 FROM %2 ORDER BY HospitalID LIMIT 1")
                                  .arg(Columns().join(QStringLiteral(", ")), kTable));
    if (rows.RecordCount() == 0)
        return std::nullopt;
    return FromRow(rows, 0);
}

void HospitalStore::Replace(SQLConnection& connection, const HospitalRecord& record)
{
    // The columns keep no NULL: a text not given is empty.
    const auto text = [](const QString& value) {
        return value.isNull() ? QStringLiteral("") : value;
    };
    connection.Execute(QStringLiteral("DELETE FROM patient_data.tbHospitalInfo"));
    connection.Execute(QStringLiteral("INSERT INTO patient_data.tbHospitalInfo (clientname, "
                                      "company, address1, FhirBase) VALUES (?, ?, ?, ?)"),
                       {text(record.clientName), text(record.company), text(record.address),
                        text(record.fhirBase)});
}
