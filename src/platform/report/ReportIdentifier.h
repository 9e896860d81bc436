#pragma once

#include <QString>

// Names that a report file puts into a statement (tables, schemas, fields) cannot be bound as
// values, so only plain identifiers are accepted: [A-Za-z_][A-Za-z0-9_]*.
bool IsReportIdentifier(QStringView name);
