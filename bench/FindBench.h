#pragma once

#include <QString>

// The figures of "Find Entry" on a prepared catalogue, with the program's own windows and
// components: a search that lists a few hundred entries, one by an ATC prefix that lists
// thousands of generic names, and the main window's walk down the
// trace to a drug in a tree that holds only its top level.
namespace FindBench {

struct FindFigures
{
    QString searchText;
    int matches = 0;     // entries the search lists
    int searches = 0;    // searches measured
    double searchMs = 0; // median: Find pressed to the filled list drawn
    double searchWorstMs = 0;
    double searchBaselineMs = 0; // median of the bare search procedure for the same text
    QString codePrefix;
    int codeMatches = 0;     // generic names the search by an ATC prefix lists
    double codeSearchMs = 0; // median: Find pressed to the filled list drawn
    double codeSearchWorstMs = 0;
    int walks = 0;     // walks measured, each to another drug
    int traceRows = 0; // the deepest trace walked
    double walkMs = 0; // median: the find window closed to the drug selected
    double walkWorstMs = 0;
    double walkBaselineMs = 0; // median of the same levels loaded quietly, without the walk
};

// Logs in with the account and measures. Targets: search and walk each under 100 ms.
FindFigures MeasureFind(const QString& target, const QString& userId, const QString& password);

// Measures and prints the figures with their targets.
void Run(const QString& target, const QString& userId, const QString& password);

} // namespace FindBench
