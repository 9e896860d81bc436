#pragma once

#include "platform/db/AtcIndexStore.h"
#include "platform/db/FormularyRecord.h"
#include "platform/db/ReferenceCodeStore.h"

#include <QHash>
#include <QMap>
#include <optional>

namespace ClassPharvel {

class CatalogueSession;

// The formulary of the catalogue's generic names: what the committee decided for each, its
// reference codes and its therapeutic alternatives. Reads take no transaction; a save is one
// transaction, checked against what the window read and journaled before and after. Failures
// raise PharvelError with the member's name as their source ("Pharvel.SaveFormulary").
class clsFormulary
{
public:
    explicit clsFormulary(CatalogueSession& session) : m_session(session) {}

    // The generic name's formulary with its codes' index names and its alternatives' names (an
    // empty record when nothing is decided yet). Refused for a code not in the register.
    FormularyRecord ReadFormulary(CatalogueId::Generic genericCode);

    struct SaveOutcome
    {
        bool saved = false;
        // When not saved: the formulary another desktop saved after asRead was read, and who
        // changed the generic name when, from the journal (empty when it does not say).
        FormularyRecord theirs;
        QString who;
    };
    // Saves changed (changed.generic names the generic name) unless its stored formulary is no
    // longer asRead, what the window read; then nothing is written and theirs is returned.
    // Refused (NotPermitted) for a user who may only look; refused (Refused) for what
    // FormularyProblems finds, and for a generic name or an alternative not in the register.
    SaveOutcome SaveFormulary(const FormularyRecord& changed, const FormularyRecord& asRead);

    // The status letter of every generic name that has one, by generic code: for the tree's
    // marks, read once per load.
    QHash<QString, QString> Statuses();
    // How many generic names lie under the classification node (at any depth; the root's key:
    // all), by status letter; "" counts those not yet decided. Statuses with none are absent.
    QMap<QString, int> StatusCounts(const QString& classificationKey);
    // The generic names carrying text as a code, or an ATC code beginning with text ("J01").
    QList<ReferenceCodeStore::Carrier> FindByCode(const QString& text);
    // The loaded ATC index's entry for code, if it has one.
    std::optional<AtcIndexEntry> AtcEntry(const QString& code);

private:
    CatalogueSession& m_session;
};

} // namespace ClassPharvel
