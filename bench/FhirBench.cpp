#include "FhirBench.h"

#include "BenchTiming.h"
#include "platform/db/HospitalStore.h"
#include "platform/db/Journal.h"
#include "platform/db/SQLConnection.h"
#include "platform/exchange/CatalogueState.h"
#include "platform/exchange/FhirExport.h"

#include <QTemporaryDir>

namespace FhirBench {

Figures Measure(const QString& target)
{
    using BenchTiming::Milliseconds;
    Figures f;
    QTemporaryDir folder;
    auto connection = SQLConnection::Open(target);
    QElapsedTimer timer;
    timer.start();
    const CatalogueState state = CatalogueState::Read(*connection);
    Journal::LatestChanges(*connection);
    HospitalStore::Read(*connection);
    f.readMs = Milliseconds(timer);
    f.resources = 1 + static_cast<int>(state.generics.size() + state.drugs.size());

    timer.start();
    FhirExport::Write(*connection, {folder.filePath(QStringLiteral("catalogue.json")), {}});
    f.bundleMs = Milliseconds(timer);
    timer.start();
    FhirExport::Write(*connection, {folder.filePath(QStringLiteral("again.json")),
                                    folder.filePath(QStringLiteral("ndjson"))});
    f.bothMs = Milliseconds(timer);
    return f;
}

} // namespace FhirBench
