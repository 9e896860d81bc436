#pragma once

#include <QString>

// Where a report table is read from: "database.owner.table" (the owner may be empty, as in
// "Inventory..tbPharvelReport"). The database names the schema, lower-cased ("Inventory" is the
// schema inventory); the owner is kept for the text but plays no part in reading.
struct ReportTableLocation
{
    QString database;
    QString owner;
    QString table;

    // Raises PharvelError(ReportTableInvalid) for a text that is not of that shape or whose
    // parts are not plain identifiers.
    static ReportTableLocation Parse(const QString& text);

    QString Text() const;     // "database.owner.table" again
    QString SqlTable() const; // "schema.table"
};
