#include "platform/exchange/FormularyPlan.h"

#include "platform/exchange/ExchangeFiles.h"

#include <algorithm>

namespace FormularyPlan {

namespace {
void takeDecision(FormularyRecord& record, const FormularyRecord& decision)
{
    FormularyRecord taken = decision;
    taken.codes = record.codes;
    taken.alternatives = record.alternatives;
    record = taken;
}

class Planner
{
public:
    Planner(const CatalogueState& current, const QSet<CatalogueId::Generic>& generics,
            QList<ImportFiles::Fault>& faults)
        : m_target(current.formulary), m_generics(generics), m_faults(faults)
    {}

    // The record of generic in the target, or nullptr (and a bad row) when the import leaves no
    // such generic name in the register.
    FormularyRecord* Of(int generic, const ExchangeFiles::Kind& kind, int line, int column)
    {
        if (generic == 0)
            return nullptr; // its bad id is told already
        if (!m_generics.contains(generic)) {
            m_faults << ImportFiles::Fault{
                kind.fileName, line, column,
                QStringLiteral("there is no generic name %1").arg(generic)};
            return nullptr;
        }
        FormularyRecord& record = m_target[generic];
        record.generic = generic;
        return &record;
    }

    // A list part of every record named by rows (codes or alternatives), replaced in order.
    template <typename Row, typename Part, typename Value>
    void Replace(const QList<Row>& rows, const ExchangeFiles::Kind& kind, bool prune, Part part,
                 Value value)
    {
        QSet<int> named;
        for (const Row& row : rows) {
            FormularyRecord* record = Of(row.generic, kind, row.line, 1);
            if (record == nullptr)
                continue;
            if (!named.contains(row.generic))
                (record->*part).clear();
            named << row.generic;
            (record->*part) << value(row);
        }
        if (prune)
            for (FormularyRecord& record : m_target)
                if (!named.contains(record.generic))
                    (record.*part).clear();
    }

    QMap<CatalogueId::Generic, FormularyRecord> m_target;
    const QSet<CatalogueId::Generic>& m_generics;
    QList<ImportFiles::Fault>& m_faults;
};
} // namespace

Result Make(const CatalogueState& current, const ImportFiles::Content& files,
            const QSet<CatalogueId::Generic>& generics, bool prune,
            QList<ImportFiles::Fault>& faults)
{
    Planner planner(current, generics, faults);
    if (files.formulary) {
        if (prune)
            for (FormularyRecord& record : planner.m_target)
                takeDecision(record, FormularyRecord{record.generic});
        for (const ImportFiles::FormularyRow& row : *files.formulary)
            if (FormularyRecord* record =
                    planner.Of(row.decision.generic, ExchangeFiles::Formulary(), row.line, 1))
                takeDecision(*record, row.decision);
    }
    if (files.codes)
        planner.Replace(*files.codes, ExchangeFiles::ReferenceCodes(), prune,
                        &FormularyRecord::codes,
                        [](const ImportFiles::CodeRow& row) { return row.code; });
    if (files.alternatives) {
        for (const ImportFiles::AlternativeRow& row : *files.alternatives)
            if (row.alternative.generic != 0 && !generics.contains(row.alternative.generic))
                faults << ImportFiles::Fault{
                    ExchangeFiles::Alternatives().fileName, row.line, 2,
                    QStringLiteral("there is no generic name %1").arg(row.alternative.generic)};
        planner.Replace(*files.alternatives, ExchangeFiles::Alternatives(), prune,
                        &FormularyRecord::alternatives,
                        [](const ImportFiles::AlternativeRow& row) { return row.alternative; });
    }
    for (FormularyRecord& record : planner.m_target)
        record.alternatives.removeIf(
            [&](const Alternative& a) { return !generics.contains(a.generic); });

    Result result;
    for (const int generic : generics) {
        const FormularyRecord before = current.formulary.value(generic, FormularyRecord{generic});
        const FormularyRecord after = planner.m_target.value(generic, FormularyRecord{generic});
        if (before == after) {
            result.kept += before.IsEmpty() ? 0 : 1;
            continue;
        }
        result.changes << Formulary::Change{before, after};
        result.added += before.IsEmpty() ? 1 : 0;
        result.removed += after.IsEmpty() ? 1 : 0;
    }
    std::sort(result.changes.begin(), result.changes.end(),
              [](const Formulary::Change& a, const Formulary::Change& b) {
                  return a.after.generic < b.after.generic;
              });
    return result;
}

} // namespace FormularyPlan
