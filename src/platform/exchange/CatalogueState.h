#pragma once

#include "platform/db/ClassificationStore.h"
#include "platform/db/DrugStore.h"
#include "platform/db/FormularyRecord.h"
#include "platform/db/GenericStore.h"

#include <QMap>
#include <QSet>
#include <QString>
#include <array>
#include <vector>

class SQLConnection;

// The whole catalogue as the database holds it, read in one statement a table: the entries of
// the three registers, the other details, the formulary, and the tree's nodes. Texts keep NULL
// apart from an empty text (a null QString).
struct CatalogueState
{
    using DrugFields = ::DrugFields;

    struct Node
    {
        QString key;
        QString parent; // null for the root
        QString type;   // "0" root, "1" classification, "2" generic name, "3" drug
        int id = 0;
    };

    QMap<CatalogueId::Classification, ClassificationRecord> classifications;
    QMap<CatalogueId::Generic, GenericRecord> generics;
    QMap<CatalogueId::Item, DrugRecord> drugs;
    QMap<int, QString> otherDetails; // generic code -> text
    // Every generic name that has any formulary, by generic code; and the codes of the loaded
    // ATC index, which no catalogue file carries (the check compares with it).
    QMap<CatalogueId::Generic, FormularyRecord> formulary;
    QSet<QString> atcIndexCodes;
    std::vector<Node> nodes;

    static CatalogueState Read(SQLConnection& connection);
};

// Where each entry stands in the tree, as ids: a classification under a classification (0 for the
// top level), a generic name under a classification, a drug under a generic name. Entries that
// are filed nowhere are missing; nodes that break the tree's rules are left out (the check names
// them).
struct CatalogueFiling
{
    QMap<int, int> classificationParent;
    QMap<int, int> genericUnder;
    QMap<int, int> drugUnder;
    QMap<QString, QString> keyOf; // "type:id" -> node key, for every node but the root

    static CatalogueFiling Of(const CatalogueState& state);
    static QString EntryKey(const QString& type, int id);
};
