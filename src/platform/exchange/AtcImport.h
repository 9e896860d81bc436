#pragma once

#include "platform/exchange/ImportFiles.h"

#include <QList>
#include <QString>
#include <QStringList>

class SQLConnection;

// Loads the hospital's own copy of the WHO ATC/DDD index (a CSV file: code, name, ddd, unit,
// route, note) in place of the one loaded before, in one transaction, and says what a new
// year's index changed for the generic names that carry its codes.
namespace AtcImport {

// A code of the previous index that the new one drops or names otherwise.
struct Difference
{
    QString code;
    QString oldName;
    QString newName;               // empty: the code is gone
    QStringList genericNames = {}; // the generic names that carry the code, by name
};

struct Result
{
    QList<ImportFiles::Fault> faults; // when any: nothing was written
    int entries = 0;                  // the entries loaded
    QList<Difference> gone;
    QList<Difference> renamed;
};

// Refuses a malformed code, a code given twice and a blank name (each with its file, line and
// column) and then writes nothing. The administrator's tool only: no pharmacist may.
Result Run(SQLConnection& connection, const QString& file);

} // namespace AtcImport
