#pragma once

#include "platform/db/HospitalStore.h"

#include <QString>
#include <optional>

// The names the catalogue's FHIR export gives its resources and code systems. Everything of the
// hospital's own lies under one base URL, the setting the administrator's tool keeps with the
// hospital header; ids follow the entries' own ids, so an entry keeps its id in every export of
// the same database.
namespace FhirNames {

inline const QString kAtcSystem = QStringLiteral("http://www.whocc.no/atc");
inline const QString kFormularyStatusSystem =
    QStringLiteral("http://terminology.hl7.org/CodeSystem/v2-0478");

// The base in effect: the header's setting, or one derived from the hospital's name where none
// is set ("https://riverside-general-hospital.invalid/fhir": a host that never resolves, so no
// receiving system takes the names for published ones).
QString Base(const std::optional<HospitalRecord>& hospital);
// The setting as the administrator gave it, made plain (no slash at the end); raises
// PharvelError (Refused) for anything but an absolute http or https address without spaces,
// query or fragment.
QString CheckedBase(const QString& text);

QString ClassificationSystem(const QString& base);
QString GenericSystem(const QString& base);
QString ItemSystem(const QString& base);
// The system of a reference code: ATC's own URL, or a code system of the hospital's for the
// systems it names itself ("HOSP" -> base/CodeSystem/reference/HOSP).
QString ReferenceSystem(const QString& base, const QString& systemName);

inline const QString kClassificationsId = QStringLiteral("classification");
QString GenericId(int code);
QString ItemId(int itemId);

} // namespace FhirNames
