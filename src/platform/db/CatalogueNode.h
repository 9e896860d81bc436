#pragma once

#include <QString>

// One node of the catalogue tree as the database holds it. type is "0" for the root, "1" a
// classification, "2" a generic name, "3" a drug; id is the classification's id, the generic
// code or the drug's item id; name is what the node shows (empty for the root, or when the entry
// it files is missing). otherDetails is a generic name's other-details text, where the reader
// asked for it.
struct CatalogueNode
{
    QString key;
    QString parent;
    QString type;
    int id = 0;
    QString name;
    QString otherDetails = {};
};
