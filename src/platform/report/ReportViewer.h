#pragma once

#include <QWidget>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QPrinter;
class QScrollArea;
class QToolBar;
class ReportLayout;
class ReportPageView;

namespace ReportEngine {
class Report;
}

// The report viewer control: a report shown page by page with its own toolbar (first,
// previous, next and last page, "Page N of M", zoom in and out, fit to width), and printing.
// The navigation sits at the right of the toolbar; its left part is left free for the buttons
// of the window that holds the viewer.
class ReportViewer : public QWidget
{
    Q_OBJECT

public:
    explicit ReportViewer(QWidget* parent = nullptr);
    ~ReportViewer() override;

    void SetReportSource(std::shared_ptr<ReportEngine::Report> report);
    const std::shared_ptr<ReportEngine::Report>& ReportSource() const { return m_report; }

    // Lays the report out on its own page size, reading its tables if needed, and shows the
    // first page. Failures (a table that cannot be read) raise PharvelError to the caller.
    void ViewReport();
    // Asks for a printer (the dialog unless a chooser is set) and prints the whole report.
    void PrintReport();
    // Chooses and sets up the printer; false cancels the printing.
    using PrinterChooser = std::function<bool(QPrinter&)>;
    void SetPrinterChooser(PrinterChooser chooser) { m_chooser = std::move(chooser); }

    // Pages count from 1; 0 pages while no report is shown.
    int CurrentPage() const { return m_page + 1; }
    int PageCount() const;
    void ShowNthPage(int page);
    void ShowFirstPage() { ShowNthPage(1); }
    void ShowPreviousPage() { ShowNthPage(CurrentPage() - 1); }
    void ShowNextPage() { ShowNthPage(CurrentPage() + 1); }
    void ShowLastPage() { ShowNthPage(PageCount()); }

    double Zoom() const { return m_zoom; }
    void SetZoom(double zoom);
    void ZoomIn() { SetZoom(m_zoom * 1.25); }
    void ZoomOut() { SetZoom(m_zoom / 1.25); }
    void FitWidth();

    QToolBar* ToolBar() const { return m_toolBar; }
    QLabel* PageLabel() const { return m_pageLabel; }

private:
    void Refresh();

    std::shared_ptr<ReportEngine::Report> m_report;
    std::shared_ptr<const ReportLayout> m_layout;
    PrinterChooser m_chooser;
    int m_page = 0;
    double m_zoom = 1;

    QToolBar* m_toolBar;
    QAction* m_first;
    QAction* m_previous;
    QAction* m_next;
    QAction* m_last;
    QLabel* m_pageLabel;
    QScrollArea* m_scrollArea;
    ReportPageView* m_pageView;
};
