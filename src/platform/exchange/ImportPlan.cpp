#include "platform/exchange/ImportPlan.h"

#include "platform/db/CatalogueTypes.h"
#include "platform/exchange/ExchangeFiles.h"
#include "platform/exchange/FormularyPlan.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <tuple>

namespace {
const QString& kClassification = NodeType::Classification;
const QString& kGeneric = NodeType::Generic;
const QString& kDrug = NodeType::Drug;

// Texts differ when their letters do, or when one is NULL and the other is not.
bool differ(const QString& a, const QString& b)
{
    return a.isNull() != b.isNull() || a != b;
}

// Records differ when one of their values does.
bool differ(const QVariantList& a, const QVariantList& b)
{
    for (qsizetype v = 0; v < a.size(); ++v) {
        const bool text = a.at(v).metaType() == QMetaType::fromType<QString>();
        if (text ? differ(a.at(v).toString(), b.at(v).toString()) : a.at(v) != b.at(v))
            return true;
    }
    return false;
}

bool differ(const ClassificationRecord& a, const ClassificationRecord& b)
{
    return differ(ClassificationStore::Values(a), ClassificationStore::Values(b));
}

bool differ(const GenericRecord& a, const GenericRecord& b)
{
    return differ(GenericStore::Values(a), GenericStore::Values(b));
}

bool differ(const DrugRecord& a, const DrugRecord& b)
{
    return differ(DrugStore::Values(a), DrugStore::Values(b));
}

int depth(const QString& key)
{
    return static_cast<int>(key.count(QLatin1Char('.')));
}

// The catalogue the files ask for, and the file lines that asked for each part of it.
struct Target
{
    QMap<CatalogueId::Classification, ClassificationRecord> classifications;
    QMap<int, int> classificationParent;
    QMap<CatalogueId::Generic, GenericRecord> generics;
    QMap<int, int> genericUnder;
    QMap<CatalogueId::Item, DrugRecord> drugs;
    QMap<int, int> drugUnder;
    QMap<int, QString> details;

    QHash<int, int> classificationLine, genericFilingLine, drugFilingLine, detailsLine;
};

// Keeps only the entries whose ids were given.
template <typename Value> void keepOnly(QMap<int, Value>& map, const QSet<int>& given)
{
    for (auto it = map.begin(); it != map.end();)
        it = given.contains(it.key()) ? std::next(it) : map.erase(it);
}

class Planner
{
public:
    Planner(const CatalogueState& current, const ImportFiles::Content& files, bool prune)
        : m_current(current), m_files(files), m_prune(prune), m_now(CatalogueFiling::Of(current))
    {}

    ImportPlan Make();

private:
    void ApplyFiles();
    void DropWhatLostItsParent();
    void RefuseCycles();
    void PlaceNodes();
    QString Place(const QString& type, int id, const QString& parentKey);
    void DiffEntries();
    void PlanFormulary();
    void Summarise();
    void Fault(const ExchangeFiles::Kind& kind, int line, int column, const QString& text)
    {
        m_plan.faults << ImportPlan::Fault{kind.fileName, line, column, text};
    }

    const CatalogueState& m_current;
    const ImportFiles::Content& m_files;
    const bool m_prune;
    const CatalogueFiling m_now;
    Target m_target;
    ImportPlan m_plan;
    FormularyPlan::Result m_formulary;
    QHash<QString, QString> m_placed;    // "type:id" -> key in the new tree
    QHash<QString, QString> m_nowParent; // key -> parent key in the database
    QHash<QString, int> m_highestChild;  // parent key -> highest child number in the database
};

void Planner::ApplyFiles()
{
    Target& t = m_target;
    t.classifications = m_current.classifications;
    t.classificationParent = m_now.classificationParent;
    t.generics = m_current.generics;
    t.genericUnder = m_now.genericUnder;
    t.drugs = m_current.drugs;
    t.drugUnder = m_now.drugUnder;
    t.details = m_current.otherDetails;

    // The records a file gives replace those of the same id; with pruning the others go.
    const auto take = [this](const auto& rows, auto& records, const auto& recordOf,
                             const auto& alsoNote) {
        if (!rows)
            return;
        QSet<int> given;
        for (const auto& row : *rows) {
            const auto record = recordOf(row);
            given << record.id;
            records.insert(record.id, record);
            alsoNote(row);
        }
        if (m_prune)
            keepOnly(records, given);
    };
    const auto nothing = [](const auto&) {};
    const auto record = [](const auto& row) { return row.record; };
    take(m_files.classifications, t.classifications, record,
         [&t](const ImportFiles::ClassificationRow& row) {
             t.classificationParent.insert(row.record.id, row.parent);
             t.classificationLine.insert(row.record.id, row.line);
         });
    take(m_files.generics, t.generics, record, nothing);
    take(
        m_files.drugs, t.drugs,
        [](const ImportFiles::DrugRow& row) {
            return DrugRecord{row.id, row.fields};
        },
        nothing);
    if (m_files.filing) {
        if (m_prune) {
            t.genericUnder.clear();
            t.drugUnder.clear();
        }
        for (const ImportFiles::FilingRow& row : *m_files.filing) {
            (row.isDrug ? t.drugUnder : t.genericUnder).insert(row.id, row.under);
            (row.isDrug ? t.drugFilingLine : t.genericFilingLine).insert(row.id, row.line);
        }
    }
    if (m_files.otherDetails) {
        if (m_prune)
            t.details.clear();
        for (const ImportFiles::DetailsRow& row : *m_files.otherDetails) {
            t.details.insert(row.code, row.text);
            t.detailsLine.insert(row.code, row.line);
        }
    }
}

// A reference the files make to an entry that is not there is a bad row; one the database made
// to an entry that pruning removed goes with it.
void Planner::DropWhatLostItsParent()
{
    Target& t = m_target;
    const auto check = [&](QMap<int, int>& under, const auto& entries, const auto& parents,
                           const QHash<int, int>& lines, const ExchangeFiles::Kind& kind,
                           int idColumn, int parentColumn, const QString& entryWord,
                           const QString& parentWord) {
        for (auto it = under.begin(); it != under.end();) {
            const int line = lines.value(it.key());
            const bool entryThere = entries.contains(it.key());
            const bool parentThere = it.value() == 0 || parents.contains(it.value());
            if (entryThere && parentThere) {
                ++it;
                continue;
            }
            if (line > 0 && !entryThere)
                Fault(kind, line, idColumn,
                      QStringLiteral("there is no %1 %2").arg(entryWord).arg(it.key()));
            else if (line > 0)
                Fault(kind, line, parentColumn,
                      QStringLiteral("there is no %1 %2 to file it under")
                          .arg(parentWord)
                          .arg(it.value()));
            it = under.erase(it);
        }
    };
    check(t.classificationParent, t.classifications, t.classifications, t.classificationLine,
          ExchangeFiles::Classifications(), 1, 3, QStringLiteral("classification"),
          QStringLiteral("parent classification"));
    check(t.genericUnder, t.generics, t.classifications, t.genericFilingLine,
          ExchangeFiles::Filing(), 2, 3, QStringLiteral("generic name"),
          QStringLiteral("classification"));
    check(t.drugUnder, t.drugs, t.generics, t.drugFilingLine, ExchangeFiles::Filing(), 2, 3,
          QStringLiteral("drug"), QStringLiteral("generic name"));
    for (auto it = t.details.begin(); it != t.details.end();) {
        if (t.generics.contains(it.key())) {
            ++it;
            continue;
        }
        if (const int line = t.detailsLine.value(it.key()); line > 0)
            Fault(ExchangeFiles::OtherDetails(), line, 1,
                  QStringLiteral("there is no generic name %1").arg(it.key()));
        it = t.details.erase(it);
    }
}

void Planner::RefuseCycles()
{
    const QMap<int, int>& parent = m_target.classificationParent;
    for (auto it = m_target.classificationLine.cbegin(); it != m_target.classificationLine.cend();
         ++it) {
        int above = parent.value(it.key(), 0);
        for (qsizetype steps = 0; above != 0 && steps <= parent.size(); ++steps) {
            if (above == it.key()) {
                Fault(ExchangeFiles::Classifications(), it.value(), 3,
                      QStringLiteral("classification %1 would lie under itself").arg(it.key()));
                break;
            }
            above = parent.value(above, 0);
        }
    }
}

QString Planner::Place(const QString& type, int id, const QString& parentKey)
{
    const QString entry = CatalogueFiling::EntryKey(type, id);
    QString key = m_now.keyOf.value(entry);
    if (key.isEmpty() || m_nowParent.value(key) != parentKey) {
        const int number = ++m_highestChild[parentKey];
        if (number > ExchangeFiles::kHighestId)
            m_plan.faults << ImportPlan::Fault{
                QString(), 0, 0,
                QStringLiteral("node %1 would hold more than %2 entries")
                    .arg(parentKey)
                    .arg(ExchangeFiles::kHighestId)};
        key = parentKey == kRootKey ? QStringLiteral("_%1").arg(number)
                                    : QStringLiteral("%1.%2").arg(parentKey).arg(number);
        m_plan.nodesInserted.push_back({key, parentKey, type, id});
    }
    m_placed.insert(entry, key);
    return key;
}

// Lays out the new tree from the top, parents before children, keeping each node's key where
// its entry stays under the same parent node, and numbering new nodes after every number the
// parent's children have in the database, so that no new key is one in use.
void Planner::PlaceNodes()
{
    for (const CatalogueState::Node& node : m_current.nodes) {
        m_nowParent.insert(node.key, node.parent);
        const qsizetype last =
            node.key.lastIndexOf(QLatin1Char(node.parent == kRootKey ? '_' : '.'));
        const int number = QStringView(node.key).mid(last + 1).toInt();
        int& highest = m_highestChild[node.parent];
        highest = std::max(highest, number);
    }
    QMap<int, QList<int>> classificationsUnder, genericsUnder, drugsUnder;
    for (auto it = m_target.classificationParent.cbegin();
         it != m_target.classificationParent.cend(); ++it)
        classificationsUnder[it.value()] << it.key();
    for (auto it = m_target.genericUnder.cbegin(); it != m_target.genericUnder.cend(); ++it)
        genericsUnder[it.value()] << it.key();
    for (auto it = m_target.drugUnder.cbegin(); it != m_target.drugUnder.cend(); ++it)
        drugsUnder[it.value()] << it.key();

    QList<std::pair<int, QString>> open{{0, kRootKey}}; // classification id, its key
    for (qsizetype next = 0; next < open.size(); ++next) {
        const auto [classification, key] = open.at(next);
        for (const int child : classificationsUnder.value(classification))
            open.append({child, Place(kClassification, child, key)});
        if (classification == 0)
            continue;
        for (const int generic : genericsUnder.value(classification)) {
            const QString genericKey = Place(kGeneric, generic, key);
            for (const int drug : drugsUnder.value(generic))
                Place(kDrug, drug, genericKey);
        }
    }
    // Filing the files asked for that found no place: its parent is in no tree.
    const auto unplaced = [&](const QMap<int, int>& under, const QHash<int, int>& lines,
                              const QString& type, const ExchangeFiles::Kind& kind) {
        for (auto it = under.cbegin(); it != under.cend(); ++it) {
            const int line = lines.value(it.key());
            if (line > 0 && !m_placed.contains(CatalogueFiling::EntryKey(type, it.key())))
                Fault(kind, line, 3,
                      QStringLiteral("%1 is not in the tree, so nothing can be filed under it")
                          .arg(it.value()));
        }
    };
    unplaced(m_target.classificationParent, m_target.classificationLine, kClassification,
             ExchangeFiles::Classifications());
    unplaced(m_target.genericUnder, m_target.genericFilingLine, kGeneric, ExchangeFiles::Filing());
    unplaced(m_target.drugUnder, m_target.drugFilingLine, kDrug, ExchangeFiles::Filing());

    std::vector<const CatalogueState::Node*> gone;
    for (const CatalogueState::Node& node : m_current.nodes) {
        if (node.type != NodeType::Root &&
            m_placed.value(CatalogueFiling::EntryKey(node.type, node.id)) != node.key)
            gone.push_back(&node);
    }
    std::stable_sort(gone.begin(), gone.end(),
                     [](const auto* a, const auto* b) { return depth(a->key) > depth(b->key); });
    for (const CatalogueState::Node* node : gone)
        m_plan.nodesDeleted << node->key;
}

void Planner::DiffEntries()
{
    const auto diff = [](const auto& now, const auto& target, auto& added, auto& changed,
                         QList<int>& removed, auto make) {
        for (auto it = target.cbegin(); it != target.cend(); ++it) {
            const auto found = now.constFind(it.key());
            if (found == now.cend())
                added << make(it.key(), it.value());
            else if (differ(*found, it.value()))
                changed << make(it.key(), it.value());
        }
        for (auto it = now.cbegin(); it != now.cend(); ++it) {
            if (!target.contains(it.key()))
                removed << it.key();
        }
    };
    const auto whole = [](int, const auto& record) { return record; };
    diff(m_current.classifications, m_target.classifications, m_plan.classificationsAdded,
         m_plan.classificationsRenamed, m_plan.classificationsRemoved, whole);
    diff(m_current.generics, m_target.generics, m_plan.genericsAdded, m_plan.genericsRenamed,
         m_plan.genericsRemoved, whole);
    diff(m_current.drugs, m_target.drugs, m_plan.drugsAdded, m_plan.drugsChanged,
         m_plan.drugsRemoved, whole);
    diff(m_current.otherDetails, m_target.details, m_plan.detailsAdded, m_plan.detailsChanged,
         m_plan.detailsRemoved, [](CatalogueId::Generic generic, const QString& text) {
             return ImportPlan::Details{generic, text};
         });
}

void Planner::PlanFormulary()
{
    QSet<CatalogueId::Generic> generics;
    for (auto it = m_target.generics.cbegin(); it != m_target.generics.cend(); ++it)
        generics.insert(it.key());
    m_formulary = FormularyPlan::Make(m_current, m_files, generics, m_prune, m_plan.faults);
    m_plan.formularyChanged = m_formulary.changes;
}

// Counts entries by what happens to them; an entry whose node only takes a new key because an
// ancestor moved is not counted as moved.
void Planner::Summarise()
{
    QHash<QString, QString> entryOfKey; // node key -> "type:id", in both trees
    QHash<QString, QString> parentEntryBefore;
    for (const CatalogueState::Node& node : m_current.nodes)
        entryOfKey.insert(node.key, CatalogueFiling::EntryKey(node.type, node.id));
    for (const CatalogueState::Node& node : m_plan.nodesInserted)
        entryOfKey.insert(node.key, CatalogueFiling::EntryKey(node.type, node.id));
    for (const CatalogueState::Node& node : m_current.nodes)
        parentEntryBefore.insert(CatalogueFiling::EntryKey(node.type, node.id),
                                 entryOfKey.value(node.parent));
    int filed = 0;
    int moved = 0;
    int takenOut = 0;
    for (const CatalogueState::Node& node : m_plan.nodesInserted) {
        const auto was = parentEntryBefore.constFind(CatalogueFiling::EntryKey(node.type, node.id));
        if (was == parentEntryBefore.cend())
            ++filed;
        else if (*was != entryOfKey.value(node.parent))
            ++moved;
    }
    for (const CatalogueState::Node& node : m_current.nodes) {
        if (node.type != NodeType::Root &&
            !m_placed.contains(CatalogueFiling::EntryKey(node.type, node.id)))
            ++takenOut;
    }

    const auto line = [](const QString& kind, qsizetype total, qsizetype added, qsizetype changed,
                         qsizetype removed) {
        return QStringLiteral("%1: %2 added, %3 changed, %4 removed, %5 left alone")
            .arg(kind)
            .arg(added)
            .arg(changed)
            .arg(removed)
            .arg(total - added - changed);
    };
    const ImportPlan& p = m_plan;
    m_plan.summary << line(QStringLiteral("classifications"), m_target.classifications.size(),
                           p.classificationsAdded.size(), p.classificationsRenamed.size(),
                           p.classificationsRemoved.size())
                   << line(QStringLiteral("generic names"), m_target.generics.size(),
                           p.genericsAdded.size(), p.genericsRenamed.size(),
                           p.genericsRemoved.size())
                   << line(QStringLiteral("drugs"), m_target.drugs.size(), p.drugsAdded.size(),
                           p.drugsChanged.size(), p.drugsRemoved.size())
                   << line(QStringLiteral("other details"), m_target.details.size(),
                           p.detailsAdded.size(), p.detailsChanged.size(), p.detailsRemoved.size())
                   << line(QStringLiteral("formulary"),
                           m_formulary.kept + m_formulary.changes.size() - m_formulary.removed,
                           m_formulary.added,
                           m_formulary.changes.size() - m_formulary.added - m_formulary.removed,
                           m_formulary.removed)
                   << QStringLiteral("tree: %1 filed, %2 moved, %3 taken out, %4 left alone")
                          .arg(filed)
                          .arg(moved)
                          .arg(takenOut)
                          .arg(m_placed.size() - filed - moved);
}

ImportPlan Planner::Make()
{
    m_plan.faults = m_files.faults;
    ApplyFiles();
    DropWhatLostItsParent();
    RefuseCycles();
    PlanFormulary();
    // Bad rows are told file by file, in the order of their lines.
    std::stable_sort(m_plan.faults.begin(), m_plan.faults.end(),
                     [](const ImportPlan::Fault& a, const ImportPlan::Fault& b) {
                         return std::tie(a.file, a.line, a.column) <
                                std::tie(b.file, b.line, b.column);
                     });
    if (!m_plan.faults.isEmpty())
        return m_plan;
    PlaceNodes();
    if (!m_plan.faults.isEmpty())
        return m_plan;
    DiffEntries();
    Summarise();
    return m_plan;
}
} // namespace

ImportPlan ImportPlan::Make(const CatalogueState& current, const ImportFiles::Content& files,
                            bool prune)
{
    return Planner(current, files, prune).Make();
}
