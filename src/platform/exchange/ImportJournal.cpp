#include "platform/exchange/ImportJournal.h"

#include "platform/db/CatalogueTypes.h"
#include "platform/db/Journal.h"
#include "platform/db/SQLConnection.h"
#include "platform/exchange/CatalogueState.h"
#include "platform/exchange/ImportPlan.h"

#include <QHash>
#include <QSet>

namespace ImportJournal {

namespace {
const QString& kClassification = NodeType::Classification;
const QString& kGeneric = NodeType::Generic;
const QString& kDrug = NodeType::Drug;

// A drug's fields as one text, one line each, for the journal's before and after.
QString drugText(const CatalogueState::DrugFields& fields)
{
    static const char* const kLabels[] = {"name",   "description",    "indication",
                                          "dosage", "administration", "preparation"};
    QStringList lines;
    for (size_t f = 0; f < fields.size(); ++f)
        lines << QString::fromLatin1(kLabels[f]) + QStringLiteral(": ") + fields[f];
    return lines.join(QLatin1Char('\n'));
}

// The names of entries before and after the import, and which entry each node key files.
class Names
{
public:
    Names(const CatalogueState& before, const ImportPlan& plan)
    {
        for (const CatalogueState::Node& node : before.nodes)
            m_entryAt.insert(node.key, {node.type, node.id});
        for (const CatalogueState::Node& node : plan.nodesInserted)
            m_entryAt.insert(node.key, {node.type, node.id});
        for (const ClassificationRecord& classification : before.classifications)
            m_old[kClassification].insert(classification.id, classification.name);
        for (const GenericRecord& generic : before.generics)
            m_old[kGeneric].insert(generic.id, generic.name);
        for (const DrugRecord& drug : before.drugs)
            m_old[kDrug].insert(drug.id, drug.fields[0]);
        m_new = m_old;
        for (const ClassificationRecord& classification :
             plan.classificationsAdded + plan.classificationsRenamed)
            m_new[kClassification].insert(classification.id, classification.name);
        for (const GenericRecord& generic : plan.genericsAdded + plan.genericsRenamed)
            m_new[kGeneric].insert(generic.id, generic.name);
        for (const DrugRecord& d : plan.drugsAdded + plan.drugsChanged)
            m_new[kDrug].insert(d.id, d.fields[0]);
    }
    QString Old(const QString& type, int id) const { return m_old.value(type).value(id); }
    QString New(const QString& type, int id) const { return m_new.value(type).value(id); }
    // The entry a node key files, as "type:id"; empty for the root or an unknown key.
    QString EntryAt(const QString& key) const
    {
        const auto found = m_entryAt.constFind(key);
        return found == m_entryAt.cend() || found->first == NodeType::Root
                   ? QString()
                   : CatalogueFiling::EntryKey(found->first, found->second);
    }
    QString OldNameAt(const QString& key) const
    {
        const auto found = m_entryAt.constFind(key);
        return found == m_entryAt.cend() ? QString() : Old(found->first, found->second);
    }
    QString NewNameAt(const QString& key) const
    {
        const auto found = m_entryAt.constFind(key);
        return found == m_entryAt.cend() ? QString() : New(found->first, found->second);
    }

private:
    QHash<QString, std::pair<QString, int>> m_entryAt;
    QHash<QString, QMap<int, QString>> m_old, m_new;
};

Journal::Change change(const QString& action, const QString& type, int id, const QString& name)
{
    Journal::Change c;
    c.action = action;
    c.entryType = type;
    c.entryId = id;
    c.entryName = name;
    return c;
}

using Changes = QList<Journal::Change>;

void recordEntries(Changes& changes, const CatalogueState& before, const ImportPlan& plan,
                   const Names& names)
{
    const auto Record = [&](const Journal::Change& c) { changes << c; };
    namespace A = Journal::Action;
    const auto added = [&](const QString& action, const QString& type, const QString& name, int id,
                           const QString& text) {
        Journal::Change c = change(action, type, id, name);
        c.newName = name;
        c.newText = text;
        Record(c);
    };
    const auto renamed = [&](const QString& action, const QString& type, int id,
                             const QString& name, const QString& oldText, const QString& text) {
        Journal::Change c = change(action, type, id, names.Old(type, id));
        c.oldName = c.entryName;
        c.newName = name;
        c.oldText = oldText;
        c.newText = text;
        Record(c);
    };
    const auto removed = [&](const QString& action, const QString& type, int id) {
        Journal::Change c = change(action, type, id, names.Old(type, id));
        c.oldName = c.entryName;
        Record(c);
    };
    // Classifications and generic names alike: each added, renamed and removed record, its
    // fields beside its name told before and after.
    const auto named = [&]<typename Store>(Store, const QString& type, const auto& beforeRecords,
                                           const auto& addedRecords, const auto& renamedRecords,
                                           const QList<int>& removedIds,
                                           const QStringList& actions) {
        for (const auto& record : addedRecords)
            added(actions.at(0), type, record.name, record.id, Store::JournalText(record));
        for (const auto& record : renamedRecords)
            renamed(actions.at(1), type, record.id, record.name,
                    Store::JournalText(beforeRecords.value(record.id)), Store::JournalText(record));
        for (const int id : removedIds)
            removed(actions.at(2), type, id);
    };
    named(ClassificationStore{}, kClassification, before.classifications, plan.classificationsAdded,
          plan.classificationsRenamed, plan.classificationsRemoved,
          {A::ClassificationAdded, A::ClassificationRenamed, A::ClassificationDeleted});
    named(GenericStore{}, kGeneric, before.generics, plan.genericsAdded, plan.genericsRenamed,
          plan.genericsRemoved, {A::GenericAdded, A::GenericRenamed, A::GenericDeleted});
    for (const DrugRecord& d : plan.drugsAdded)
        added(A::DrugAdded, kDrug, d.fields[0], d.id, drugText(d.fields));
    for (const DrugRecord& d : plan.drugsChanged) {
        Journal::Change c = change(A::DrugChanged, kDrug, d.id, names.Old(kDrug, d.id));
        c.oldName = c.entryName;
        c.newName = d.fields[0];
        c.oldText = drugText(before.drugs.value(d.id).fields);
        c.newText = drugText(d.fields);
        Record(c);
    }
    for (const int id : plan.drugsRemoved)
        removed(A::DrugDeleted, kDrug, id);

    const auto details = [&](int id, const QString& oldText, const QString& newText) {
        Journal::Change c = change(A::OtherDetailsSaved, kGeneric, id, names.New(kGeneric, id));
        c.oldText = oldText;
        c.newText = newText;
        Record(c);
    };
    for (const ImportPlan::Details& d : plan.detailsAdded)
        details(d.generic, QString(), d.text);
    for (const ImportPlan::Details& d : plan.detailsChanged)
        details(d.generic, before.otherDetails.value(d.generic), d.text);
    for (const int id : plan.detailsRemoved)
        details(id, before.otherDetails.value(id), QString());
}

void recordFiling(Changes& changes, const CatalogueState& before, const ImportPlan& plan,
                  const Names& names)
{
    namespace A = Journal::Action;
    QHash<QString, const CatalogueState::Node*> wasAt; // "type:id" -> node before
    for (const CatalogueState::Node& node : before.nodes)
        wasAt.insert(CatalogueFiling::EntryKey(node.type, node.id), &node);
    QSet<QString> placedAgain;
    for (const CatalogueState::Node& node : plan.nodesInserted) {
        const QString entry = CatalogueFiling::EntryKey(node.type, node.id);
        placedAgain << entry;
        const CatalogueState::Node* was = wasAt.value(entry);
        if (was != nullptr && names.EntryAt(was->parent) == names.EntryAt(node.parent))
            continue;
        // A new classification's place is told by its "added" row.
        if (was == nullptr && node.type == kClassification)
            continue;
        const bool isGeneric = node.type == kGeneric;
        QString action = node.type == kClassification ? A::ClassificationMoved
                         : was == nullptr             ? (isGeneric ? A::GenericFiled : A::DrugFiled)
                                          : (isGeneric ? A::GenericMoved : A::DrugMoved);
        Journal::Change c = change(action, node.type, node.id, names.New(node.type, node.id));
        if (was != nullptr) {
            c.oldParentKey = was->parent;
            c.oldParentName = names.OldNameAt(was->parent);
        }
        c.newParentKey = node.parent;
        c.newParentName = names.NewNameAt(node.parent);
        changes << c;
    }
    const QSet<int> classificationsRemoved(plan.classificationsRemoved.cbegin(),
                                           plan.classificationsRemoved.cend());
    for (const QString& key : plan.nodesDeleted) {
        const CatalogueState::Node* was = nullptr;
        const QString entry = names.EntryAt(key);
        if (entry.isEmpty() || placedAgain.contains(entry) ||
            (was = wasAt.value(entry)) == nullptr || was->type == kClassification)
            continue;
        Journal::Change c = change(was->type == kGeneric ? A::GenericTakenOut : A::DrugTakenOut,
                                   was->type, was->id, names.Old(was->type, was->id));
        c.oldParentKey = was->parent;
        c.oldParentName = names.OldNameAt(was->parent);
        changes << c;
    }
}
} // namespace

void Record(SQLConnection& connection, const CatalogueState& before, const ImportPlan& plan)
{
    const Names names(before, plan);
    Changes changes;
    recordEntries(changes, before, plan, names);
    recordFiling(changes, before, plan, names);
    Journal::RecordAll(connection, changes);
}

} // namespace ImportJournal
