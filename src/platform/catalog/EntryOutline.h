#pragma once

#include "platform/db/CatalogueTypes.h"
#include "platform/db/DrugStore.h"
#include "platform/db/FormularyRecord.h"

#include <QMap>
#include <QStringList>
#include <optional>

class SQLConnection;

namespace ClassPharvel {

// What the main window's right pane shows of one tree node, read afresh for each selection in a
// few indexed reads (a classification's counts in one grouped read). Which parts are filled
// depends on the node's type; the others stay empty.
struct EntryOutline
{
    CatalogueNode node;
    // The names of the classifications above the node, the top one first (for a drug, its
    // generic name last).
    QStringList path;

    // A generic name: its formulary, the drugs filed under it and its other details.
    FormularyRecord formulary;
    int drugs = 0;
    QString otherDetails;

    // A drug: its details, and the generic name it is filed under with that one's status.
    DrugRecord drug;
    CatalogueId::Generic generic = 0;
    QString genericName;
    QString genericStatus;

    // A classification: how many generic names lie under it at any depth, by status ("" for
    // those not yet decided).
    QMap<QString, int> statusCounts;

    // The node with this key, none when the catalogue no longer has it (or for the root).
    static std::optional<EntryOutline> Read(SQLConnection& connection, const QString& key);
    // The key of the node that files the generic name, empty when it is filed nowhere.
    static QString NodeKeyOf(SQLConnection& connection, CatalogueId::Generic generic);
};

} // namespace ClassPharvel
