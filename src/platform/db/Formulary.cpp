#include "platform/db/Formulary.h"

#include "platform/db/AlternativeStore.h"
#include "platform/db/FormularyStore.h"
#include "platform/db/GenericStore.h"
#include "platform/db/Journal.h"
#include "platform/db/ReferenceCodeStore.h"

#include <QSet>
#include <algorithm>

namespace Formulary {

namespace {
// The names of the generic names the changes speak of: the register is read once when there
// are many.
QHash<int, QString> namesOf(SQLConnection& connection, const QList<Change>& changes)
{
    QSet<int> codes;
    for (const Change& change : changes) {
        codes.insert(change.after.generic);
        for (const FormularyRecord* record : {&change.before, &change.after})
            for (const Alternative& alternative : record->alternatives)
                codes.insert(alternative.generic);
    }
    QHash<int, QString> names;
    if (codes.size() > 20) {
        const QMap<int, GenericRecord> all = GenericStore::All(connection);
        for (auto it = all.cbegin(); it != all.cend(); ++it)
            names.insert(it.key(), it->name);
        return names;
    }
    for (const int code : codes)
        if (const std::optional<GenericRecord> generic = GenericStore::Find(connection, code))
            names.insert(code, generic->name);
    return names;
}

QString summaryWithNames(FormularyRecord record, const QHash<int, QString>& names)
{
    for (Alternative& alternative : record.alternatives)
        if (alternative.name.isEmpty())
            alternative.name = names.value(alternative.generic);
    return FormularySummary(record);
}

void appendMissing(QList<ReferenceCode>& codes, const QList<ReferenceCode>& more)
{
    for (const ReferenceCode& code : more)
        if (!codes.contains(code))
            codes << code;
}

// The alternatives of owner once drop is gone: keep (0: none) takes drop's place, unless owner
// is keep or lists keep already.
QList<Alternative> withoutDrop(const QList<Alternative>& alternatives, int owner, int drop,
                               int keep)
{
    const bool listsKeep = std::any_of(alternatives.cbegin(), alternatives.cend(),
                                       [&](const Alternative& a) { return a.generic == keep; });
    QList<Alternative> result;
    for (Alternative alternative : alternatives) {
        if (alternative.generic == drop) {
            if (keep == 0 || owner == keep || listsKeep)
                continue;
            alternative.generic = keep;
            alternative.name.clear();
        }
        result << alternative;
    }
    return result;
}

// The changes of every generic name but except that lists drop, once keep takes its place.
QList<Change> relisted(SQLConnection& connection, int drop, int keep, int except)
{
    QList<Change> changes;
    for (const int owner : AlternativeStore::Listing(connection, drop)) {
        if (owner == except)
            continue;
        Change change{Read(connection, owner), {}};
        change.after = change.before;
        change.after.alternatives = withoutDrop(change.before.alternatives, owner, drop, keep);
        changes << change;
    }
    return changes;
}
} // namespace

FormularyRecord Read(SQLConnection& connection, CatalogueId::Generic generic)
{
    FormularyRecord record =
        FormularyStore::Find(connection, generic).value_or(FormularyRecord{generic});
    record.codes = ReferenceCodeStore::Of(connection, generic);
    record.alternatives = AlternativeStore::Of(connection, generic);
    return record;
}

QMap<CatalogueId::Generic, FormularyRecord> ReadAll(SQLConnection& connection)
{
    QMap<CatalogueId::Generic, FormularyRecord> all = FormularyStore::All(connection);
    const auto codes = ReferenceCodeStore::All(connection);
    for (auto it = codes.cbegin(); it != codes.cend(); ++it) {
        FormularyRecord& record = all[it.key()];
        record.generic = it.key();
        record.codes = it.value();
    }
    const auto alternatives = AlternativeStore::All(connection);
    for (auto it = alternatives.cbegin(); it != alternatives.cend(); ++it) {
        FormularyRecord& record = all[it.key()];
        record.generic = it.key();
        record.alternatives = it.value();
    }
    return all;
}

void Write(SQLConnection& connection, const QList<Change>& changes)
{
    QList<Change> real;
    for (const Change& change : changes)
        if (!(change.before == change.after))
            real << change;
    if (real.isEmpty())
        return;
    QList<CatalogueId::Generic> generics;
    QList<FormularyRecord> decided;
    QList<FormularyRecord> afters;
    for (const Change& change : real) {
        generics << change.after.generic;
        afters << change.after;
        if (change.after.HasDecision())
            decided << change.after;
    }
    AlternativeStore::RemoveAll(connection, generics);
    ReferenceCodeStore::RemoveAll(connection, generics);
    FormularyStore::RemoveAll(connection, generics);
    FormularyStore::InsertAll(connection, decided);
    ReferenceCodeStore::InsertAll(connection, afters);
    AlternativeStore::InsertAll(connection, afters);

    const QHash<int, QString> names = namesOf(connection, real);
    QList<Journal::Change> journal;
    for (const Change& change : real) {
        Journal::Change row;
        row.action = Journal::Action::FormularyChanged;
        row.entryType = NodeType::Generic;
        row.entryId = change.after.generic;
        row.entryName = names.value(change.after.generic);
        row.oldText = summaryWithNames(change.before, names);
        row.newText = summaryWithNames(change.after, names);
        journal << row;
    }
    Journal::RecordAll(connection, journal);
}

void Forget(SQLConnection& connection, CatalogueId::Generic generic)
{
    QList<Change> changes = relisted(connection, generic, 0, generic);
    changes << Change{Read(connection, generic), FormularyRecord{generic}};
    Write(connection, changes);
}

void Merge(SQLConnection& connection, CatalogueId::Generic keep, CatalogueId::Generic drop)
{
    Change kept{Read(connection, keep), {}};
    const FormularyRecord dropped = Read(connection, drop);
    FormularyRecord& merged = kept.after;
    merged = kept.before.HasDecision() ? kept.before : dropped;
    merged.generic = keep;
    merged.codes = kept.before.codes;
    appendMissing(merged.codes, dropped.codes);
    merged.alternatives = withoutDrop(kept.before.alternatives, keep, drop, keep);
    for (const Alternative& alternative : dropped.alternatives)
        if (alternative.generic != keep &&
            std::none_of(merged.alternatives.cbegin(), merged.alternatives.cend(),
                         [&](const Alternative& a) { return a.generic == alternative.generic; }))
            merged.alternatives << alternative;
    QList<Change> changes = relisted(connection, drop, keep, keep);
    changes.prepend(kept);
    Write(connection, changes);
}

} // namespace Formulary
