#pragma once

#include <QString>

// The figures of the structure and changes reports on a prepared database (see main.cpp for what is
// printed).
namespace ReportBench {

struct ReportFigures
{
    int records = 0;
    int pages = 0;
    double firstPageMs = 0; // the command to the first page drawn: procedures, reading, pagination
    double nodeLevelMs = 0; // of that, the two procedures that prepare the structure report
    double generateMs = 0;
    double xlsExportMs = 0; // the shown report written to a spreadsheet file
    double rtfExportMs = 0; // and to a rich-text file
};

// Logs in with the account, times the two preparing procedures alone, and runs the structure
// report command as the menu does, the export question answered No, then exports the shown
// report through the viewer's image buttons.
ReportFigures MeasureStructureReport(const QString& target, const QString& userId,
                                     const QString& password);

// Adds journalRows rows to the change journal as the account, then runs the report "Catalogue
// Changes" on the last 30 days as the menu does once the period is chosen.
ReportFigures MeasureChangesReport(const QString& target, const QString& userId,
                                   const QString& password, int journalRows = 10000);

} // namespace ReportBench
