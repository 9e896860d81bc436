#pragma once

#include <QString>

class SQLConnection;

// Writes the catalogue as FHIR R4 JSON for the hospital's other systems (docs/fhir.md): one
// Bundle of type collection, one entry a line, and/or one NDJSON file a resource type
// (CodeSystem.ndjson, MedicationKnowledge.ndjson, Medication.ndjson) as FHIR bulk data has them.
// Resources come in a fixed order with fixed ids and no time of the export, so two exports of an
// unchanged database are the same bytes, and a change shows as the lines of the changed
// resources. A file is replaced only once it is written whole. Raises PharvelError.
namespace FhirExport {

struct Targets
{
    QString bundleFile;   // empty: no bundle
    QString ndjsonFolder; // empty: no NDJSON files; made when missing
};

void Write(SQLConnection& connection, const Targets& targets);

} // namespace FhirExport
