#pragma once

#include <QString>

class SQLConnection;

// Merges two generic names that are one: every drug filed under DROP is filed under KEEP (KEEP
// takes DROP's place in the tree when it is filed nowhere), DROP's other details are appended to
// KEEP's under a line naming DROP, and DROP leaves the tree and the register. One transaction,
// each node moved and journaled as the assignment windows move it. Refuses (ErrorNumber::Refused)
// an unknown code or two codes that are the same.
namespace GenericMerge {

struct Result
{
    QString keepName;
    QString dropName;
    int drugsMoved = 0;
};

Result Merge(SQLConnection& connection, int keepCode, int dropCode);

// The line put above DROP's other details where they are appended to KEEP's.
QString DetailsHeading(const QString& dropName, int dropCode);

} // namespace GenericMerge
