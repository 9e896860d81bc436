#include "platform/exchange/CatalogueCheck.h"

#include "platform/catalog/NodeStore.h"
#include "platform/db/AtcCode.h"
#include "platform/db/CatalogueTypes.h"
#include "platform/exchange/CatalogueState.h"
#include "platform/exchange/Csv.h"

#include <QHash>
#include <QSet>

namespace CatalogueCheck {

namespace {
const QString kClassification = QStringLiteral("classification");
const QString kGeneric = QStringLiteral("generic name");
const QString kDrug = QStringLiteral("drug");
const QString kNode = QStringLiteral("node");

QString entryOfType(const QString& type)
{
    if (type == NodeType::Classification)
        return kClassification;
    if (type == NodeType::Generic)
        return kGeneric;
    if (type == NodeType::Drug)
        return kDrug;
    return kNode;
}

// The name as a person would compare two of them: letter case, blanks and punctuation not
// counting ("Co-Amoxiclav" and "co amoxiclav" are one).
QString comparable(const QString& name)
{
    QString letters;
    for (const QChar c : name) {
        if (c.isLetterOrNumber())
            letters += c;
    }
    return letters.toCaseFolded();
}

class Checker
{
public:
    explicit Checker(const CatalogueState& state) : m_state(state) {}
    Report Run();

private:
    void Rule(const QString& check, const QString& entry, const QString& id, const QString& name,
              const QString& detail = {})
    {
        m_report.items << Item{true, check, entry, id, name, detail};
    }
    void Finding(const QString& check, const QString& entry, int id, const QString& name,
                 const QString& detail = {})
    {
        m_report.items << Item{false, check, entry, QString::number(id), name, detail};
    }
    QString NameOf(const QString& type, int id) const;
    void CheckNodes();
    void CheckFindings();
    void CheckFormulary();

    const CatalogueState& m_state;
    Report m_report;
    QHash<QString, const CatalogueState::Node*> m_byKey;
    QHash<QString, int> m_childCount;
    QHash<QString, QString> m_keyOf; // "type:id" -> key
};

QString Checker::NameOf(const QString& type, int id) const
{
    if (type == NodeType::Classification)
        return m_state.classifications.value(id).name;
    if (type == NodeType::Generic)
        return m_state.generics.value(id).name;
    if (type == NodeType::Drug)
        return m_state.drugs.value(id).fields[0];
    return {};
}

void Checker::CheckNodes()
{
    QHash<QString, QStringList> filedAt;
    for (const CatalogueState::Node& node : m_state.nodes) {
        m_byKey.insert(node.key, &node);
        ++m_childCount[node.parent];
        const QString entry = CatalogueFiling::EntryKey(node.type, node.id);
        m_keyOf.insert(entry, node.key);
        if (node.type != NodeType::Root)
            filedAt[entry] << node.key;
    }
    for (const CatalogueState::Node& node : m_state.nodes) {
        if (node.type == NodeType::Root)
            continue;
        const QString name = NameOf(node.type, node.id);
        const bool exists = node.type == NodeType::Classification
                                ? m_state.classifications.contains(node.id)
                            : node.type == NodeType::Generic ? m_state.generics.contains(node.id)
                            : node.type == NodeType::Drug    ? m_state.drugs.contains(node.id)
                                                             : false;
        if (!exists)
            Rule(QStringLiteral("a node files an entry that does not exist"), kNode, node.key, {},
                 QStringLiteral("%1 %2").arg(entryOfType(node.type)).arg(node.id));
        const CatalogueState::Node* parent = m_byKey.value(node.parent);
        if (parent == nullptr) {
            Rule(QStringLiteral("a node's parent does not exist"), kNode, node.key, name,
                 QStringLiteral("parent %1").arg(node.parent));
            continue;
        }
        if (!ClassPharvel::NodeStore::IsChildKey(node.parent, node.key))
            Rule(QStringLiteral("a node's key does not lie under its parent's key"), kNode,
                 node.key, name, QStringLiteral("parent %1").arg(node.parent));
        if (!ClassPharvel::NodeStore::MayHold(parent->type, node.type))
            Rule(QStringLiteral("a node stands under a parent of the wrong kind"), kNode, node.key,
                 name,
                 QStringLiteral("a %1 under a %2")
                     .arg(entryOfType(node.type), entryOfType(parent->type)));
    }
    for (auto it = filedAt.cbegin(); it != filedAt.cend(); ++it) {
        if (it.value().size() > 1)
            Rule(QStringLiteral("an entry is filed twice"), kNode,
                 it.value().join(QLatin1Char(' ')), {}, it.key());
    }
    for (auto it = m_state.otherDetails.cbegin(); it != m_state.otherDetails.cend(); ++it) {
        if (!m_state.generics.contains(it.key()))
            Rule(QStringLiteral("other details without a generic name"),
                 QStringLiteral("other details"), QString::number(it.key()), {});
    }
    for (auto it = m_state.classifications.cbegin(); it != m_state.classifications.cend(); ++it) {
        if (!m_keyOf.contains(CatalogueFiling::EntryKey(NodeType::Classification, it.key())))
            Rule(QStringLiteral("a classification has no node"), kClassification,
                 QString::number(it.key()), it.value().name);
    }
}

void Checker::CheckFindings()
{
    const auto children = [&](const QString& type, int id) {
        const QString key = m_keyOf.value(CatalogueFiling::EntryKey(type, id));
        return key.isEmpty() ? 0 : m_childCount.value(key);
    };
    for (auto it = m_state.classifications.cbegin(); it != m_state.classifications.cend(); ++it) {
        if (children(NodeType::Classification, it.key()) == 0)
            Finding(QStringLiteral("classification with nothing under it"), kClassification,
                    it.key(), it.value().name);
    }
    for (auto it = m_state.generics.cbegin(); it != m_state.generics.cend(); ++it) {
        if (children(NodeType::Generic, it.key()) == 0)
            Finding(QStringLiteral("generic name with no drug"), kGeneric, it.key(),
                    it.value().name);
    }
    for (auto it = m_state.generics.cbegin(); it != m_state.generics.cend(); ++it) {
        if (!m_keyOf.contains(CatalogueFiling::EntryKey(NodeType::Generic, it.key())))
            Finding(QStringLiteral("generic name in no classification"), kGeneric, it.key(),
                    it.value().name);
    }
    for (auto it = m_state.drugs.cbegin(); it != m_state.drugs.cend(); ++it) {
        if (!m_keyOf.contains(CatalogueFiling::EntryKey(NodeType::Drug, it.key())))
            Finding(QStringLiteral("drug under no generic name"), kDrug, it.key(),
                    it.value().fields[0]);
    }

    // Names that one reader would take for the same, listed together.
    const auto sameNames = [&](const QString& check, const QString& entry,
                               const QList<std::pair<QString, int>>& groupAndId,
                               const QString& type) {
        QHash<QString, QList<int>> groups;
        QStringList order;
        for (const auto& [group, id] : groupAndId) {
            QList<int>& ids = groups[group];
            if (ids.isEmpty())
                order << group;
            ids << id;
        }
        for (const QString& group : std::as_const(order)) {
            const QList<int>& ids = groups.value(group);
            if (ids.size() < 2)
                continue;
            QStringList all;
            for (const int id : ids)
                all << QString::number(id);
            for (const int id : ids)
                Finding(check, entry, id, NameOf(type, id),
                        QStringLiteral("same as %1").arg(all.join(QLatin1Char(' '))));
        }
    };
    QList<std::pair<QString, int>> genericGroups;
    for (auto it = m_state.generics.cbegin(); it != m_state.generics.cend(); ++it)
        genericGroups.append({comparable(it.value().name), it.key()});
    sameNames(QStringLiteral("generic names the same but for letter case, blanks and "
                             "punctuation"),
              kGeneric, genericGroups, NodeType::Generic);
    QList<std::pair<QString, int>> classificationGroups;
    for (const CatalogueState::Node& node : m_state.nodes) {
        if (node.type == NodeType::Classification && m_state.classifications.contains(node.id))
            classificationGroups.append(
                {node.parent + QLatin1Char('\n') +
                     m_state.classifications.value(node.id).name.trimmed().toCaseFolded(),
                 node.id});
    }
    std::sort(classificationGroups.begin(), classificationGroups.end(),
              [](const auto& a, const auto& b) { return a.second < b.second; });
    sameNames(QStringLiteral("classifications of the same name under one parent"), kClassification,
              classificationGroups, NodeType::Classification);
}

// What a formulary committee has still to decide or mend. A restricted name without its text is
// a broken rule: both engines refuse to store one.
void Checker::CheckFormulary()
{
    const QDate today = QDate::currentDate();
    const auto statusOf = [&](int generic) { return m_state.formulary.value(generic).status; };
    const auto nameOf = [&](int generic) { return m_state.generics.value(generic).name; };
    // Broken rules come before every finding.
    qsizetype rules = std::count_if(m_report.items.cbegin(), m_report.items.cend(),
                                    [](const Item& item) { return item.brokenRule; });
    for (const FormularyRecord& record : m_state.formulary) {
        if (FormularyStatus::NeedsText(record.status) && record.restriction.trimmed().isEmpty())
            m_report.items.insert(
                rules++,
                Item{true, QStringLiteral("restricted or with guidelines, without its text"),
                     kGeneric, QString::number(record.generic), nameOf(record.generic),
                     QStringLiteral("status %1").arg(record.status)});
    }
    for (const FormularyRecord& record : m_state.formulary) {
        if (record.reviewOn.isValid() && record.reviewOn < today)
            Finding(QStringLiteral("formulary review date passed"), kGeneric, record.generic,
                    nameOf(record.generic),
                    QStringLiteral("due %1").arg(record.reviewOn.toString(Qt::ISODate)));
    }
    if (!m_state.atcIndexCodes.isEmpty()) {
        for (const FormularyRecord& record : m_state.formulary)
            for (const ReferenceCode& code : record.codes)
                if (code.system == AtcCode::kSystem && !m_state.atcIndexCodes.contains(code.code))
                    Finding(QStringLiteral("ATC code not in the loaded index"), kGeneric,
                            record.generic, nameOf(record.generic), code.code);
    }
    const auto inFormulary = [](const QString& status) {
        return status == FormularyStatus::InFormulary || status == FormularyStatus::Restricted ||
               status == FormularyStatus::WithGuidelines;
    };
    for (const FormularyRecord& record : m_state.formulary) {
        if (record.status == FormularyStatus::NotInFormulary &&
            std::none_of(record.alternatives.cbegin(), record.alternatives.cend(),
                         [&](const Alternative& a) { return inFormulary(statusOf(a.generic)); }))
            Finding(QStringLiteral("not in the formulary, with no formulary alternative"), kGeneric,
                    record.generic, nameOf(record.generic));
    }
    for (const FormularyRecord& record : m_state.formulary)
        for (const Alternative& alternative : record.alternatives)
            if (statusOf(alternative.generic) == FormularyStatus::NotInFormulary)
                Finding(QStringLiteral("an alternative that is not in the formulary"), kGeneric,
                        record.generic, nameOf(record.generic),
                        QStringLiteral("alternative %1 %2")
                            .arg(alternative.generic)
                            .arg(nameOf(alternative.generic)));
}

Report Checker::Run()
{
    CheckNodes();
    CheckFindings();
    CheckFormulary();
    return m_report;
}
} // namespace

bool Report::RulesKept() const
{
    return std::none_of(items.cbegin(), items.cend(),
                        [](const Item& item) { return item.brokenRule; });
}

QString Report::Text() const
{
    QString text;
    const auto section = [&](bool rules) {
        QString check;
        qsizetype count = 0;
        QString lines;
        const auto flush = [&] {
            if (!check.isEmpty())
                text += QStringLiteral("  %1 (%2):\n").arg(check).arg(count) + lines;
            lines.clear();
            count = 0;
        };
        for (const Item& item : items) {
            if (item.brokenRule != rules)
                continue;
            if (item.check != check) {
                flush();
                check = item.check;
            }
            ++count;
            QString line = QStringLiteral("    %1 %2").arg(item.entry, item.id);
            if (!item.name.isEmpty())
                line += QStringLiteral(" \"%1\"").arg(item.name);
            if (!item.detail.isEmpty())
                line += QStringLiteral(" (%1)").arg(item.detail);
            lines += line + QLatin1Char('\n');
        }
        flush();
    };
    const qsizetype broken = std::count_if(items.cbegin(), items.cend(),
                                           [](const Item& item) { return item.brokenRule; });
    text += broken == 0 ? QStringLiteral("Rules: none broken\n")
                        : QStringLiteral("Rules: %1 broken\n").arg(broken);
    section(true);
    text += QStringLiteral("Findings: %1\n").arg(items.size() - broken);
    section(false);
    return text;
}

QByteArray Report::Csv() const
{
    QList<QStringList> records;
    for (const Item& item : items)
        records << QStringList{item.brokenRule ? QStringLiteral("broken rule")
                                               : QStringLiteral("finding"),
                               item.check,
                               item.entry,
                               item.id,
                               item.name,
                               item.detail};
    return Csv::File({QStringLiteral("kind"), QStringLiteral("check"), QStringLiteral("entry"),
                      QStringLiteral("id"), QStringLiteral("name"), QStringLiteral("detail")},
                     records);
}

Report Run(SQLConnection& connection)
{
    return Checker(CatalogueState::Read(connection)).Run();
}

} // namespace CatalogueCheck
