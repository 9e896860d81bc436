#pragma once

#include "platform/report/Database.h"
#include "platform/report/ExportOptions.h"
#include "platform/report/FormulaField.h"
#include "platform/report/ReportDefinition.h"

#include <QDate>
#include <QList>
#include <QPageLayout>
#include <memory>

class QPrinter;
class ReportContent;
class ReportLayout;

namespace ReportEngine {

// A report opened from its file: its text properties, its tables, its export options, and the
// operations to export and print it. The tables are read when the report is first laid out,
// printed or exported, and again after any table was re-pointed or logged on anew.
class Report
{
public:
    explicit Report(ReportDefinition definition);
    ~Report();
    Report(const Report&) = delete;
    Report& operator=(const Report&) = delete;

    const ReportDefinition& Definition() const { return m_definition; }

    // The text properties in the order of the file.
    QList<FormulaField>& FormulaFields() { return m_formulaFields; }
    // Raises PharvelError(ReportFileInvalid) when the report has no text property of that name.
    FormulaField& FormulaFieldByName(const QString& name);

    ReportEngine::Database& Database() { return m_database; }
    ReportEngine::ExportOptions& ExportOptions() { return m_exportOptions; }

    // The date the report prints as its date; today unless set.
    QDate PrintDate() const { return m_printDate; }
    void SetPrintDate(const QDate& date) { m_printDate = date; }

    // Writes the report as the export options say. The engine never asks the user anything, so
    // promptUser must be false; missing options, or a file that cannot be written, raise
    // PharvelError(ReportExportFailed), and no partial file is left behind.
    void Export(bool promptUser = false);

    // Prints every page in the printer's page range on the printer's page layout.
    void PrintOut(QPrinter& printer);

    // The report with its data and current texts, reading the tables if needed.
    const ReportContent& Content();
    // The report cut into pages of that layout (kept until the data changes).
    std::shared_ptr<const ReportLayout> Layout(const QPageLayout& page);

private:
    void ReadTables();

    ReportDefinition m_definition;
    QList<FormulaField> m_formulaFields;
    ReportEngine::Database m_database;
    ReportEngine::ExportOptions m_exportOptions;
    QDate m_printDate;
    std::shared_ptr<ReportContent> m_content;
    int m_contentRevision = -1;
    std::shared_ptr<const ReportLayout> m_layout;
};

} // namespace ReportEngine
