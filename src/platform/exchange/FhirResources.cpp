#include "platform/exchange/FhirResources.h"

#include "platform/db/CatalogueTypes.h"
#include "platform/exchange/FhirNames.h"

#include <algorithm>

namespace {

QString s(const char* latin1)
{
    return QString::fromLatin1(latin1);
}

// A text as a FHIR string may hold it: tabs and line breaks stay, other white space (a
// non-breaking space, a form feed) becomes a plain space and other control characters go.
QString plain(const QString& text)
{
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            result += c;
        else if (c.isSpace() || c == QChar(0xFEFF))
            result += QLatin1Char(' ');
        else if (c.category() != QChar::Other_Control)
            result += c;
    }
    return result;
}

// A code has no white space but single spaces inside.
QString code(const QString& text)
{
    return plain(text).simplified();
}

void putText(QJsonObject& object, const QString& key, const QString& text)
{
    const QString value = plain(text);
    if (!value.trimmed().isEmpty())
        object.insert(key, value);
}

QJsonObject coding(const QString& system, const QString& value, const QString& display = {})
{
    QJsonObject result{{s("system"), system}, {s("code"), code(value)}};
    putText(result, s("display"), display);
    return result;
}

QJsonObject reference(const QString& type, const QString& id)
{
    return {{s("reference"), type + QLatin1Char('/') + id}};
}

// A CodeableConcept of one coding, or of a text alone.
QJsonObject codedConcept(const QJsonObject& onlyCoding)
{
    return {{s("coding"), QJsonArray{onlyCoding}}};
}
QJsonObject textConcept(const QString& text)
{
    return {{s("text"), text}};
}

QString statusDisplay(const QString& status)
{
    if (status == FormularyStatus::InFormulary)
        return s("Pharmaceutical substance is in the formulary");
    if (status == FormularyStatus::NotInFormulary)
        return s("Pharmaceutical substance is NOT in the formulary");
    if (status == FormularyStatus::Restricted)
        return s("Pharmaceutical substance is in the formulary, but restrictions apply");
    return s("Pharmaceutical substance is in the formulary, but guidelines apply");
}

// The human-readable text of a resource: one paragraph a line given, each text escaped and its
// line breaks kept.
class Narrative
{
public:
    void Add(const QString& label, const QString& text)
    {
        const QString value = plain(text).trimmed();
        if (value.isEmpty())
            return;
        QString escaped = value.toHtmlEscaped();
        escaped.replace(s("\r\n"), s("\n"));
        escaped.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        escaped.replace(QLatin1Char('\n'), s("<br/>"));
        m_html += s("<p>") + (label.isEmpty() ? QString() : label.toHtmlEscaped() + s(": ")) +
                  escaped + s("</p>");
    }
    // Beyond this point the lines say more than the resource's coded elements.
    void StartAdditional() { m_generatedEnd = m_html.size(); }
    QJsonObject Json() const
    {
        return {
            {s("status"), m_html.size() > m_generatedEnd ? s("additional") : s("generated")},
            {s("div"), s("<div xmlns=\"http://www.w3.org/1999/xhtml\">") + m_html + s("</div>")}};
    }

private:
    QString m_html;
    qsizetype m_generatedEnd = 0;
};

QString restrictionLabel(const QString& status)
{
    if (status == FormularyStatus::Restricted)
        return s("Restriction");
    if (status == FormularyStatus::WithGuidelines)
        return s("Guidelines");
    return s("Restriction or guidelines");
}

} // namespace

FhirResources::FhirResources(const CatalogueState& state,
                             const std::optional<HospitalRecord>& hospital,
                             const QMap<std::pair<QString, int>, QDateTime>& latestChanges)
    : m_state(state), m_filing(CatalogueFiling::Of(state)), m_base(FhirNames::Base(hospital)),
      m_hospitalName(hospital ? hospital->clientName : QString()), m_latest(latestChanges)
{
    for (auto it = m_filing.classificationParent.cbegin();
         it != m_filing.classificationParent.cend(); ++it)
        if (m_state.classifications.contains(it.key()))
            m_children[it.value()] << it.key();
    // Children as the tree shows them: by name with letter case ignored.
    for (QList<int>& children : m_children)
        std::sort(children.begin(), children.end(), [&](int a, int b) {
            const int order =
                QString::compare(m_state.classifications.value(a).name,
                                 m_state.classifications.value(b).name, Qt::CaseInsensitive);
            return order != 0 ? order < 0 : a < b;
        });
    for (auto it = m_filing.drugUnder.cbegin(); it != m_filing.drugUnder.cend(); ++it)
        m_drugsOf[it.value()] << it.key(); // drugUnder runs by item id
}

std::optional<QDateTime> FhirResources::LatestChange(const QString& entryType, int id) const
{
    const auto found = m_latest.constFind({entryType, id});
    if (found == m_latest.cend())
        return std::nullopt;
    return found.value();
}

QJsonObject FhirResources::Meta(const std::optional<QDateTime>& lastUpdated) const
{
    if (!lastUpdated)
        return {};
    return {{s("lastUpdated"), lastUpdated->toString(s("yyyy-MM-ddThh:mm:ssZ"))}};
}

QJsonObject FhirResources::Concept(int classification, QSet<int>& placed) const
{
    placed.insert(classification);
    QJsonObject result{{s("code"), QString::number(classification)}};
    putText(result, s("display"), m_state.classifications.value(classification).name);
    QJsonArray children;
    for (const int child : m_children.value(classification))
        if (!placed.contains(child))
            children << Concept(child, placed);
    if (!children.isEmpty())
        result.insert(s("concept"), children);
    return result;
}

QJsonObject FhirResources::Classifications() const
{
    QSet<int> placed;
    QJsonArray concepts;
    for (const int top : m_children.value(0))
        concepts << Concept(top, placed);
    // Classifications filed nowhere in the tree stand at the top, after the tree's, by id.
    for (const ClassificationRecord& classification : m_state.classifications)
        if (!placed.contains(classification.id))
            concepts << Concept(classification.id, placed);

    std::optional<QDateTime> lastUpdated;
    for (auto it = m_latest.cbegin(); it != m_latest.cend(); ++it)
        if (it.key().first == NodeType::Classification &&
            (!lastUpdated || *lastUpdated < it.value()))
            lastUpdated = it.value();
    const QString title = m_hospitalName.trimmed().isEmpty()
                              ? s("Classifications")
                              : m_hospitalName.trimmed() + s(" classifications");
    Narrative narrative;
    narrative.Add({}, title);
    narrative.Add({}, QStringLiteral("%1 classifications").arg(m_state.classifications.size()));
    QJsonObject resource{{s("resourceType"), s("CodeSystem")},
                         {s("id"), FhirNames::kClassificationsId},
                         {s("text"), narrative.Json()},
                         {s("url"), FhirNames::ClassificationSystem(m_base)},
                         {s("name"), s("Classifications")},
                         {s("status"), s("active")},
                         {s("caseSensitive"), true},
                         {s("hierarchyMeaning"), s("is-a")},
                         {s("content"), s("complete")},
                         {s("count"), static_cast<int>(m_state.classifications.size())}};
    putText(resource, s("title"), title);
    putText(resource, s("publisher"), m_hospitalName);
    if (const QJsonObject meta = Meta(lastUpdated); !meta.isEmpty())
        resource.insert(s("meta"), meta);
    if (!concepts.isEmpty())
        resource.insert(s("concept"), concepts);
    return resource;
}

QJsonObject FhirResources::Knowledge(const GenericRecord& generic) const
{
    const FormularyRecord formulary = m_state.formulary.value(generic.id);
    QJsonObject resource{{s("resourceType"), s("MedicationKnowledge")},
                         {s("id"), FhirNames::GenericId(generic.id)},
                         {s("status"), s("active")}};
    if (const QJsonObject meta = Meta(LatestChange(NodeType::Generic, generic.id)); !meta.isEmpty())
        resource.insert(s("meta"), meta);

    QJsonArray codings{
        coding(FhirNames::GenericSystem(m_base), QString::number(generic.id), generic.name)};
    for (const ReferenceCode& reference : formulary.codes)
        if (!code(reference.code).isEmpty())
            codings << coding(FhirNames::ReferenceSystem(m_base, reference.system), reference.code);
    QJsonObject codeConcept{{s("coding"), codings}};
    putText(codeConcept, s("text"), generic.name);
    resource.insert(s("code"), codeConcept);

    QJsonArray classifications;
    if (const auto filed = m_filing.genericUnder.constFind(generic.id);
        filed != m_filing.genericUnder.cend())
        classifications << QJsonObject{
            {s("type"), textConcept(s("classification"))},
            {s("classification"),
             QJsonArray{codedConcept(coding(FhirNames::ClassificationSystem(m_base),
                                            QString::number(filed.value())))}}};
    if (!formulary.status.isEmpty())
        classifications << QJsonObject{
            {s("type"), textConcept(s("formulary status"))},
            {s("classification"),
             QJsonArray{codedConcept(coding(FhirNames::kFormularyStatusSystem, formulary.status,
                                            statusDisplay(formulary.status)))}}};
    if (!classifications.isEmpty())
        resource.insert(s("medicineClassification"), classifications);

    QJsonArray related;
    for (const Alternative& alternative : formulary.alternatives)
        related << QJsonObject{
            {s("type"), textConcept(AlternativeKind::Word(alternative.kind))},
            {s("reference"), QJsonArray{reference(s("MedicationKnowledge"),
                                                  FhirNames::GenericId(alternative.generic))}}};
    if (!related.isEmpty())
        resource.insert(s("relatedMedicationKnowledge"), related);

    QJsonArray drugs;
    for (const int item : m_drugsOf.value(generic.id))
        drugs << reference(s("Medication"), FhirNames::ItemId(item));
    if (!drugs.isEmpty())
        resource.insert(s("associatedMedication"), drugs);

    Narrative narrative;
    narrative.Add({}, generic.name.trimmed().isEmpty()
                          ? QStringLiteral("Generic name %1").arg(generic.id)
                          : generic.name);
    narrative.Add(s("Formulary status"), FormularyStatus::Word(formulary.status));
    narrative.StartAdditional();
    narrative.Add(restrictionLabel(formulary.status), formulary.restriction);
    narrative.Add(s("Decided"), formulary.decidedOn.toString(Qt::ISODate));
    narrative.Add(s("Decision"), formulary.decisionRef);
    narrative.Add(s("Next review"), formulary.reviewOn.toString(Qt::ISODate));
    if (!formulary.ven.isEmpty())
        narrative.Add(s("VEN"), VenCategory::Word(formulary.ven));
    for (const Alternative& alternative : formulary.alternatives)
        narrative.Add(QStringLiteral("Alternative (%1, generic name %2)")
                          .arg(AlternativeKind::Word(alternative.kind))
                          .arg(alternative.generic),
                      alternative.note);
    narrative.Add(s("Other details"), m_state.otherDetails.value(generic.id));
    resource.insert(s("text"), narrative.Json());
    return resource;
}

QJsonObject FhirResources::Medication(const DrugRecord& drug) const
{
    QJsonObject resource{
        {s("resourceType"), s("Medication")},
        {s("id"), FhirNames::ItemId(drug.id)},
        {s("identifier"), QJsonArray{QJsonObject{{s("system"), FhirNames::ItemSystem(m_base)},
                                                 {s("value"), QString::number(drug.id)}}}},
        {s("status"), s("active")}};
    if (const QJsonObject meta = Meta(LatestChange(NodeType::Drug, drug.id)); !meta.isEmpty())
        resource.insert(s("meta"), meta);
    QJsonObject name;
    putText(name, s("text"), drug.fields.at(0));
    if (!name.isEmpty())
        resource.insert(s("code"), name);
    return resource;
}
