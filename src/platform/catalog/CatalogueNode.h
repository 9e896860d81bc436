#pragma once

#include <QString>

namespace ClassPharvel {

namespace NodeType {
inline const QString Root = QStringLiteral("0");
inline const QString Classification = QStringLiteral("1");
inline const QString Generic = QStringLiteral("2");
inline const QString Drug = QStringLiteral("3");
} // namespace NodeType

// One node of the catalogue tree as the database holds it. type is "0" for the root, "1" a
// classification, "2" a generic name, "3" a drug; id is the classification's id, the generic
// code or the drug's item id; name is what the node shows (empty for the root).
struct CatalogueNode
{
    QString key;
    QString parent;
    QString type;
    int id = 0;
    QString name;
};

} // namespace ClassPharvel
