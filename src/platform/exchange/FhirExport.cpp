#include "platform/exchange/FhirExport.h"

#include "platform/db/HospitalStore.h"
#include "platform/db/Journal.h"
#include "platform/db/PharvelError.h"
#include "platform/exchange/CatalogueState.h"
#include "platform/exchange/FhirResources.h"

#include <QDir>
#include <QJsonDocument>
#include <QSaveFile>

namespace FhirExport {

namespace {
const QString kSource = QStringLiteral("FhirExport.Write");

QByteArray line(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

void save(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) < 0 || !file.commit())
        throw PharvelError(ErrorNumber::DatabaseError,
                           QStringLiteral("%1 cannot be written: %2").arg(path, file.errorString()),
                           kSource);
}

// Each resource type's resources, in the order the export gives them, each with its id.
struct Lines
{
    QString type;
    QList<std::pair<QString, QByteArray>> resources;

    void Add(const QJsonObject& resource)
    {
        resources.append({resource.value(QLatin1String("id")).toString(), line(resource)});
    }
};

QByteArray bundle(const QString& base, const QList<Lines>& all)
{
    // The Bundle's own fields first, then one entry a line.
    QByteArray header = line(QJsonObject{{QStringLiteral("resourceType"), QStringLiteral("Bundle")},
                                         {QStringLiteral("id"), QStringLiteral("catalogue")},
                                         {QStringLiteral("type"), QStringLiteral("collection")}});
    header.chop(1);
    QByteArray bytes = header + ",\"entry\":[";
    bool first = true;
    for (const Lines& lines : all)
        for (const auto& [id, resource] : lines.resources) {
            bytes += first ? "\n" : ",\n";
            bytes += "{\"fullUrl\":\"" +
                     (base + QLatin1Char('/') + lines.type + QLatin1Char('/') + id).toUtf8() +
                     "\",\"resource\":" + resource + '}';
            first = false;
        }
    return bytes + "\n]}\n";
}
} // namespace

void Write(SQLConnection& connection, const Targets& targets)
{
    const CatalogueState state = CatalogueState::Read(connection);
    QMap<std::pair<QString, int>, QDateTime> latest = Journal::LatestChanges(connection);
    // A drug filed under or taken out of a generic name changes that name's resource too (its
    // drugs), though the journal row is the drug's.
    const QMap<QString, QDateTime> filings = Journal::LatestDrugFilings(connection);
    for (const CatalogueState::Node& node : state.nodes) {
        const auto filed = filings.constFind(node.key.trimmed());
        if (node.type == NodeType::Generic && filed != filings.cend()) {
            QDateTime& at = latest[{node.type, node.id}];
            if (!at.isValid() || at < filed.value())
                at = filed.value();
        }
    }
    const FhirResources resources(state, HospitalStore::Read(connection), latest);

    QList<Lines> all{{QStringLiteral("CodeSystem"), {}},
                     {QStringLiteral("MedicationKnowledge"), {}},
                     {QStringLiteral("Medication"), {}}};
    all[0].Add(resources.Classifications());
    for (const GenericRecord& generic : state.generics)
        all[1].Add(resources.Knowledge(generic));
    for (const DrugRecord& drug : state.drugs)
        all[2].Add(resources.Medication(drug));

    if (!targets.bundleFile.isEmpty())
        save(targets.bundleFile, bundle(resources.Base(), all));
    if (!targets.ndjsonFolder.isEmpty()) {
        const QDir folder(targets.ndjsonFolder);
        if (!folder.exists() && !QDir().mkpath(folder.absolutePath()))
            throw PharvelError(
                ErrorNumber::DatabaseError,
                QStringLiteral("The folder %1 cannot be made.").arg(targets.ndjsonFolder), kSource);
        for (const Lines& lines : all) {
            QByteArray bytes;
            for (const auto& resource : lines.resources)
                bytes += resource.second + '\n';
            save(folder.absoluteFilePath(lines.type + QStringLiteral(".ndjson")), bytes);
        }
    }
}

} // namespace FhirExport
