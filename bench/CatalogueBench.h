#pragma once

#include <QString>

// The figures of the catalogue tree and the start-up, each measured on a prepared database with
// the program's own windows and components (see main.cpp for what is printed).
namespace CatalogueBench {

struct LoadFigures
{
    int rows = 0;
    double loadAllMs = 0;    // "Load All" through the main window, end to end
    double baselineMs = 0;   // one query for the same rows + the same items in a bare tree
    double lazyMedianMs = 0; // one node's children, the median over the top-level nodes
    double lazyWorstMs = 0;
    int lazyLoads = 0;
    double peakMemoryMb = 0; // the process's peak resident size with the whole tree loaded
};

// Logs in with the account, opens the main window and measures the tree loads.
LoadFigures MeasureTreeLoads(const QString& target, const QString& userId, const QString& password);

// The start-up from the end of the login to the main window shown, in milliseconds: the
// connection, the window's load with the first fill of the tree, and showing it.
double MeasureStartUp(const QString& target, const QString& userId, const QString& password);

} // namespace CatalogueBench
