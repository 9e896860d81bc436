#pragma once

#include <QString>

// The figures of the generic-name register: one keystroke in the search box of "Build Generic
// Name", measured with the program's own window and catalogue component.
namespace RegisterBench {

struct SearchFigures
{
    int names = 0;      // generic names in the register
    int keystrokes = 0; // keystrokes measured
    // One keystroke: upper-casing, the component's query, the grid reload and one drawing.
    double medianMs = 0;
    double worstMs = 0;
    double baselineMs = 0; // the median of the bare query for the same search texts
};

// Tops the register of the database at target up to names generic names (on the administrator's
// connection, as pharvel-admin fills a database) and types search texts into the register.
// Target: median under 30 ms, and under 3 x the baseline.
SearchFigures MeasureSearchKeystroke(const QString& target, int names = 20000);

} // namespace RegisterBench
