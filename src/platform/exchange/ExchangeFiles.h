#pragma once

#include "platform/db/CatalogueTypes.h"

#include <QString>
#include <QStringList>

// The files a catalogue is exported to and imported from, one per kind of record, each with its
// header row. docs/catalogue-files.md describes them.
namespace ExchangeFiles {

struct Kind
{
    QString fileName;
    QStringList header;
};

// The fields of a classification's and a generic name's record, as their stores name them
// (classification_id, name; generic_code, name), a classification's then parent_id (empty: at
// the top).
const Kind& Classifications();
const Kind& GenericNames();
const Kind& Drugs();        // item_id, name, description, indication, dosage, ...
const Kind& Filing();       // entry, id, filed_under ("generic" under a classification id,
                            // "drug" under a generic code)
const Kind& OtherDetails(); // generic_code, other_details

const Kind& Formulary();      // generic_code, status, restriction, decided_on, decision_ref,
                              // review_on, ven
const Kind& ReferenceCodes(); // generic_code, code_system, code (in each generic name's order)
const Kind& Alternatives();   // generic_code, alternative_code, kind, note (in order)

// The hospital's ATC/DDD index, which the administrator loads (no catalogue file): code, name,
// ddd, unit, route, note.
const Kind& AtcIndex();

// All of them, in the order an import reads them.
QList<const Kind*> All();

inline const QString kGenericEntry = QStringLiteral("generic");
inline const QString kDrugEntry = QStringLiteral("drug");

// Ids, codes and counts are 16-bit.
inline constexpr int kHighestId = ::kHighestId;

} // namespace ExchangeFiles
