#pragma once

#include <QString>
#include <QStringList>

class RowSet;

// A test on one field of a record: "Field = value" or "Field in value, value, ...". It chooses
// the records a report shows (run by the server, with bound values) and the records it prints
// in bold (tested on each fetched record).
struct ReportCondition
{
    QString field; // empty: no condition
    QStringList values;

    // Raises PharvelError(ReportFileInvalid) for text of neither form.
    static ReportCondition Parse(const QString& text);

    bool IsSet() const { return !field.isEmpty(); }
    // The field's text equals one of the values. The column index is the field's in the rows.
    bool Matches(const RowSet& rows, int row, int column) const;
    // "field IN (?, ?)" for the values, which the caller binds.
    QString SqlPredicate() const;
};
