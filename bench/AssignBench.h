#pragma once

#include <QString>

// The figures of "Drug Classification" on a catalogue of 20,000 drugs, measured with the
// program's own window and catalogue component, each beside the bare queries behind it.
namespace AssignBench {

struct DrugWindowFigures
{
    int drugs = 0;             // drugs in the inventory
    int leftRows = 0;          // rows of the left grid at opening
    double openMs = 0;         // showing the window: both grids loaded and drawn
    double openBaselineMs = 0; // the two bare queries
    double keystroke1Ms = 0;   // one keystroke in the left search box, the median
    double keystroke1WorstMs = 0;
    double keystroke1BaselineMs = 0;  // the bare query for the same texts, the median
    double keystroke1ComponentMs = 0; // the catalogue component's row set alone, the median
    double keystroke2Ms = 0;          // one keystroke in the right search box, the median
    double keystroke2BaselineMs = 0;
    double filterMs = 0; // one change of filter, the median
    double filterBaselineMs = 0;
    int moved = 0;       // drugs ticked and moved by one "&Add >>"
    double addMs = 0;    // that "&Add >>", the grids' reloads included
    double reloadMs = 0; // the reloads of both grids alone, as they end it
};

// On a catalogue made by pharvel-admin at target (the administrator's connection string), the
// window working as the pharmacist with this account.
DrugWindowFigures MeasureDrugWindow(const QString& target, const QString& userId,
                                    const QString& password, int drugsToAdd = 100);

} // namespace AssignBench
