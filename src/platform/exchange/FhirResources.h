#pragma once

#include "platform/db/HospitalStore.h"
#include "platform/exchange/CatalogueState.h"

#include <QDateTime>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QSet>
#include <optional>
#include <utility>

// The catalogue as FHIR R4 resources (docs/fhir.md gives the mapping field by field): the
// classification tree as one CodeSystem, a MedicationKnowledge for each generic name and a
// Medication for each stock drug. A resource says only what its own entry holds (others are
// named by reference, never by their names), so a change of one entry changes its resource
// alone.
class FhirResources
{
public:
    // latestChanges: the journal's newest row about each entry (Journal::LatestChanges).
    FhirResources(const CatalogueState& state, const std::optional<HospitalRecord>& hospital,
                  const QMap<std::pair<QString, int>, QDateTime>& latestChanges);

    const QString& Base() const { return m_base; }
    QJsonObject Classifications() const;
    QJsonObject Knowledge(const GenericRecord& generic) const;
    QJsonObject Medication(const DrugRecord& drug) const;

private:
    QJsonObject Concept(int classification, QSet<int>& placed) const;
    QJsonObject Meta(const std::optional<QDateTime>& lastUpdated) const;
    std::optional<QDateTime> LatestChange(const QString& entryType, int id) const;

    const CatalogueState& m_state;
    CatalogueFiling m_filing;
    QString m_base;
    QString m_hospitalName;
    const QMap<std::pair<QString, int>, QDateTime>& m_latest;
    // Classification (0: the root) -> its child classifications in the tree's order; generic
    // code -> the drugs filed under it, by item id.
    QHash<int, QList<int>> m_children;
    QHash<int, QList<int>> m_drugsOf;
};
