#pragma once

#include "platform/db/RecordRows.h"

#include <optional>

// The hospital's header, as its table holds it: the names and address the reports print, and the
// base URL under which the catalogue's FHIR export names the hospital's code systems (empty: none
// set, the export derives one from the hospital's name).
struct HospitalRecord
{
    int id = 0;
    QString clientName = {};
    QString company = {};
    QString address = {};
    QString fhirBase = {};
};

// The hospital header (patient_data.tbHospitalInfo): the one owner of its SQL. The header is the
// table's first row; the administrator's tool replaces it whole. On a server pharmacists read it
// and only the administrator writes it.
struct HospitalStore : RecordStore<HospitalStore, HospitalRecord>
{
    static constexpr QLatin1String kTable{"patient_data.tbHospitalInfo"};
    static constexpr QLatin1String kIdColumn{"HospitalID"};
    static const QStringList& Columns();
    static QVariantList Values(const HospitalRecord& record);
    static HospitalRecord FromRow(const RowSet& rows, int r);

    // The header; none when no header was ever set.
    static std::optional<HospitalRecord> Read(SQLConnection& connection);
    // Replaces the header with record (the table gives the id).
    static void Replace(SQLConnection& connection, const HospitalRecord& record);
};
