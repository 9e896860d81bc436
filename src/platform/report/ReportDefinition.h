#pragma once

#include "platform/report/ReportCondition.h"
#include "platform/report/ReportTemplate.h"

#include <QPageLayout>
#include <QPageSize>
#include <QString>
#include <QStringList>
#include <vector>

// What a report file (.rpt) describes; docs/report-format.md gives the file's syntax.
// Lengths are in millimetres, type sizes in points.

// A table the report reads, under the name the rest of the file uses for it.
struct ReportTableDefinition
{
    QString name;
    QString location;   // "database.owner.table"
    QStringList fields; // the fields the report uses, gathered from the whole file
};

// A text the caller sets before the report is shown, such as the hospital's company name.
struct ReportTextProperty
{
    QString name;
    QString defaultText;
};

// One line of the page header or the report footer: texts at the left, centre and right.
struct ReportTextLine
{
    ReportTemplate left;
    ReportTemplate center;
    ReportTemplate right;
    bool bold = false;
    double pointSize = 10;
};

// One column of the detail lines.
struct ReportColumn
{
    QString field;
    QString caption;
    double width = 30;
    Qt::Alignment alignment = Qt::AlignLeft;
    bool bold = false;
    // Ids and counts: a spreadsheet gets them as numbers, whatever type the table stores.
    bool number = false;
    // A value too long for the column goes on over more lines instead of being cut short; only
    // the last column may wrap.
    bool wrap = false;
};

// The detail: one line a record of one table, the first column indented by the record's level.
struct ReportDetail
{
    QString table;
    QString sortField; // empty: in the order the server gives
    bool sortDescending = false;
    QString levelField; // empty: every record at the top level
    double indentPerLevel = 5;
    ReportCondition where;    // which records are shown
    ReportCondition boldWhen; // which records are printed in bold
    QString noteField;        // a text printed in full below the record's line, when not empty
    QString noteCaption;      // the note's caption where it becomes a column (a spreadsheet)
    bool headings = true;     // the column captions at the top of every page
    double pointSize = 10;

    // How far a note stands in from its record's text.
    double NoteIndent() const { return indentPerLevel > 0 ? indentPerLevel : 5; }
};

// Room left between neighbouring columns, in millimetres.
inline constexpr double kReportColumnPadding = 1.5;

struct ReportDefinition
{
    QString name;
    QString title;
    QPageSize::PageSizeId pageSize = QPageSize::A4;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    double margin = 15;

    std::vector<ReportTableDefinition> tables;
    std::vector<ReportTextProperty> textProperties;
    std::vector<ReportTextLine> pageHeader;
    ReportDetail detail;
    std::vector<ReportColumn> columns;
    std::vector<ReportTextLine> reportFooter;

    QPageLayout PageLayout() const;
};
