#pragma once

#include "platform/db/CatalogueNode.h"

#include <QString>

namespace ClassPharvel {

namespace NodeType {
inline const QString Root = QStringLiteral("0");
inline const QString Classification = QStringLiteral("1");
inline const QString Generic = QStringLiteral("2");
inline const QString Drug = QStringLiteral("3");
} // namespace NodeType

// The tree's node record is the database layer's own.
using ::CatalogueNode;

} // namespace ClassPharvel
