#pragma once

#include <QString>

// The FHIR export of the synthetic catalogue, beside a baseline of the same run: the bare reads
// it is made from (the whole catalogue, the journal's latest rows, the hospital header).
namespace FhirBench {

struct Figures
{
    int resources = 0;
    double bundleMs = 0; // --fhir FILE
    double bothMs = 0;   // --fhir FILE --ndjson FOLDER
    double readMs = 0;   // baseline
};

// target holds the synthetic catalogue. Target: the bundle under 2 s.
Figures Measure(const QString& target);

} // namespace FhirBench
