#pragma once

#include <QString>

// The main window's right pane on a prepared catalogue: from a node selected in the fully loaded
// tree to the pane showing it, over a spread of the tree's nodes of every kind.
namespace PaneBench {

struct PaneFigures
{
    int selections = 0; // nodes selected, spread over the whole tree
    double medianMs = 0;
    double worstMs = 0;
    double classificationMedianMs = 0; // of those, the classifications alone (status counts)
};

PaneFigures Measure(const QString& target, const QString& userId, const QString& password);

// Measures and prints the figures with their target (median under 20 ms).
void Run(const QString& target, const QString& userId, const QString& password);

} // namespace PaneBench
