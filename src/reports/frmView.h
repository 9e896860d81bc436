#pragma once

#include "platform/db/ReportPreparation.h"
#include "platform/report/ExportOptions.h"

#include <QDialog>
#include <QSize>
#include <memory>
#include <optional>

class CommonDialog;
class QFrame;
class QLabel;
class QPushButton;
class QToolButton;
class ReportViewer;

namespace ReportEngine {
class Application;
class Report;
} // namespace ReportEngine

// "Drug Pharvel": one of the three catalogue reports in the report viewer, to print and to
// export to a spreadsheet or rich-text file. The opener sets WhatReport (1 the catalogue
// structure, 2 the drugs with no generic name, 3 the catalogue with other details, 4 the
// catalogue's changes, 5 the formulary) and calls
// Show. The report is opened afresh at every opening and released when the window closes.
class frmView : public QDialog
{
    Q_OBJECT

public:
    explicit frmView(QWidget* parent = nullptr);
    ~frmView() override;

    qint16 WhatReport() const { return m_whatReport; }
    void SetWhatReport(qint16 whatReport) { m_whatReport = whatReport; }
    // The report preparation whose rows a prepared report reads; none for a report that reads
    // the catalogue itself. Set by the opener with WhatReport.
    const std::optional<ReportPreparation::Id>& Preparation() const { return m_preparation; }
    void SetPreparation(std::optional<ReportPreparation::Id> preparation)
    {
        m_preparation = preparation;
    }

    // Loads the window and shows it modally until the user closes it. A failure of the load
    // (no report file, a log-on refused) reaches the caller, and the window is not shown; an
    // export that cannot be written is reported and the report is shown all the same.
    void Show();

    // The report of this opening; empty while the window is closed.
    const std::shared_ptr<ReportEngine::Report>& Report() const { return m_report; }

    // Points every table of the report at the database Inventory, whatever database the report
    // file names, with the current user's log-on, choosing the rows of the preparation if any.
    void LogOnTables();

    // The window's events.
    void Form_Load();
    void Form_Resize();
    void cmdMore_Click();
    void cmdPrint_Click();
    void imgPrint_Click();
    void imgExcel_Click();
    void imgRTF_Click();

    ReportViewer* CRViewer1;
    QPushButton* cmdPrint;
    QPushButton* cmdMore;
    QFrame* pctMore;
    QToolButton* imgPrint;
    QLabel* Label1;
    QToolButton* imgExcel;
    QLabel* Label2;
    QToolButton* imgRTF;
    QLabel* Label3;
    CommonDialog* dlgOpen;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void done(int result) override;

private:
    QSize DesignSize() const;
    QToolButton* ImageButton(const QString& picture, int left, int top);
    QLabel* PanelLabel(const QString& text, int left, int top);
    void OpenReport(const QString& path);
    void OfferExport(const QString& path);
    // The image buttons' export: the file chosen in the dialog. Closing the dialog without a
    // choice exports nothing and says nothing.
    void ExportAs(const QString& filter, ReportEngine::ExportFormatType format);
    // Writes the report to path without questions, then says that it was written or why not.
    void ExportTo(const QString& path, ReportEngine::ExportFormatType format);
    void Form_Unload();

    qint16 m_whatReport = 0;
    std::optional<ReportPreparation::Id> m_preparation;
    std::unique_ptr<ReportEngine::Application> m_application;
    std::shared_ptr<ReportEngine::Report> m_report;
};
