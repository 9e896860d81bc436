#pragma once

#include <QString>

// The joins from tree nodes (the alias node) to the entries they file, for reads that show a
// node's name: its classification as <prefix>c, generic name as <prefix>g and drug as <prefix>d.
QString NodeEntryJoins(const QString& node, const QString& prefix = {});
