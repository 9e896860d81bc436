#pragma once

#include "platform/db/CatalogueTypes.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

// What the formulary committee decided for one generic name, as the component reads and saves
// it, the journal tells it, the catalogue files carry it and the check looks at it.

// The formulary status, as HL7 v2 table 0478 spells it; an empty status is "not yet decided".
namespace FormularyStatus {
inline const QString InFormulary = QStringLiteral("Y");
inline const QString NotInFormulary = QStringLiteral("N");
inline const QString Restricted = QStringLiteral("R");
inline const QString WithGuidelines = QStringLiteral("G");
// The four letters and the empty status, in the order a list shows them.
const QStringList& All();
bool IsValid(const QString& status); // one of the four, or empty
// Restricted and with-guidelines names need the text that says who may prescribe them, when.
bool NeedsText(const QString& status);
// "in the formulary", "not in the formulary", "restricted", "with guidelines", "not yet decided".
QString Word(const QString& status);
} // namespace FormularyStatus

// The VEN category of WHO's formulary guidance; empty is "not assigned".
namespace VenCategory {
inline const QString Vital = QStringLiteral("V");
inline const QString Essential = QStringLiteral("E");
inline const QString NonEssential = QStringLiteral("N");
bool IsValid(const QString& category); // one of the three, or empty
// "vital", "essential", "non-essential", "not assigned".
QString Word(const QString& category);
} // namespace VenCategory

// What an alternative is to the generic name that lists it.
namespace AlternativeKind {
inline const QString Preferred = QStringLiteral("P");
inline const QString Equivalent = QStringLiteral("T");
bool IsValid(const QString& kind);
// "preferred alternative", "therapeutic equivalent".
QString Word(const QString& kind);
} // namespace AlternativeKind

// One reference code: a code system (AtcCode::kSystem, or one the hospital names) and a code of
// it, always two fields. indexName is read, never saved: the name the loaded ATC index gives the
// code (empty for other systems and for a code the index lacks). == compares what is saved.
struct ReferenceCode
{
    QString system;
    QString code;
    QString indexName = {};

    bool operator==(const ReferenceCode& other) const
    {
        return system == other.system && code == other.code;
    }
};

// One therapeutic alternative: another generic name, what it is (an AlternativeKind) and a note
// (a dose conversion, a condition). name is read, never saved: the alternative's generic name.
struct Alternative
{
    CatalogueId::Generic generic = 0;
    QString kind = {};
    QString note = {};
    QString name = {};

    bool operator==(const Alternative& other) const
    {
        return generic == other.generic && kind == other.kind && note == other.note;
    }
};

// The formulary of one generic name. Empty texts and null dates are "none"; codes and
// alternatives keep their order.
struct FormularyRecord
{
    CatalogueId::Generic generic = 0;
    QString status = {};
    QString restriction =
        {}; // the restriction or guidelines: who may prescribe it, for what, how long
    QDate decidedOn = {};
    QString decisionRef = {}; // the committee's minute
    QDate reviewOn = {};
    QString ven = {};
    QList<ReferenceCode> codes = {};
    QList<Alternative> alternatives = {};

    bool operator==(const FormularyRecord& other) const = default;
    // Whether any of the decision's fields (status to VEN) is set.
    bool HasDecision() const;
    // Nothing decided, coded or listed: the generic name has no formulary.
    bool IsEmpty() const { return !HasDecision() && codes.isEmpty() && alternatives.isEmpty(); }
};

// What is wrong with record on its own, one sentence each; empty when it can be saved. Checks
// every field's letters and length, R and G without text, the ATC codes' format, a code or an
// alternative given twice, an alternative naming the generic name itself. Whether the generic
// names exist is the save's to check.
QStringList FormularyProblems(const FormularyRecord& record);

// The record as the journal tells it: one line a field that is set ("status: R restricted",
// "restriction: …", "decided: 2026-03-01", "reference: …", "review: …", "VEN: E essential",
// "code: ATC J01CA04", "alternative: 12 preferred alternative (note)"); empty for an empty one.
QString FormularySummary(const FormularyRecord& record);
