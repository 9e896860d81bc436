#pragma once

#include "platform/db/Formulary.h"
#include "platform/exchange/CatalogueState.h"
#include "platform/exchange/ImportFiles.h"

#include <QList>
#include <QStringList>

// What an import changes: the catalogue the files ask for, worked out from the catalogue the
// database holds, and the difference between the two as rows to delete, insert and update.
// Entries the files do not mention stay as they are unless pruning was asked for; then every
// entry of a kind whose file was given, and every filing when the filing file was given, that
// the files do not mention goes.
struct ImportPlan
{
    using Fault = ImportFiles::Fault;

    // A generic name's other-details text.
    struct Details
    {
        CatalogueId::Generic generic;
        QString text;
    };

    // Entries, by id.
    QList<ClassificationRecord> classificationsAdded, classificationsRenamed;
    QList<CatalogueId::Classification> classificationsRemoved;
    QList<GenericRecord> genericsAdded, genericsRenamed;
    QList<CatalogueId::Generic> genericsRemoved;
    QList<DrugRecord> drugsAdded, drugsChanged;
    QList<CatalogueId::Item> drugsRemoved;
    QList<Details> detailsAdded, detailsChanged;
    QList<CatalogueId::Generic> detailsRemoved;
    // The formulary of every generic name it changes, before and after (FormularyPlan).
    QList<Formulary::Change> formularyChanged;

    // Nodes: deleted deepest first, inserted parents first. A node whose entry stays under the
    // same parent keeps its key.
    QStringList nodesDeleted;
    QList<CatalogueState::Node> nodesInserted;

    // "classifications: 3 added, 1 changed, ..." one line a kind.
    QStringList summary;
    QList<Fault> faults;

    static ImportPlan Make(const CatalogueState& current, const ImportFiles::Content& files,
                           bool prune);
};
