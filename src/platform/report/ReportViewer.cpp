#include "platform/report/ReportViewer.h"

#include "platform/report/Report.h"
#include "platform/report/ReportLayout.h"
#include "platform/report/ReportPageView.h"

#include <QAction>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

namespace {
constexpr double kSmallestZoom = 0.1;
constexpr double kLargestZoom = 8;
} // namespace

ReportViewer::ReportViewer(QWidget* parent)
    : QWidget(parent), m_toolBar(new QToolBar(this)), m_pageLabel(new QLabel(this)),
      m_scrollArea(new QScrollArea(this)), m_pageView(new ReportPageView(m_scrollArea))
{
    auto* spacer = new QWidget(m_toolBar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_toolBar->addWidget(spacer);
    QStyle* s = style();
    m_first = m_toolBar->addAction(s->standardIcon(QStyle::SP_MediaSkipBackward), tr("First Page"),
                                   this, &ReportViewer::ShowFirstPage);
    m_previous = m_toolBar->addAction(s->standardIcon(QStyle::SP_MediaSeekBackward),
                                      tr("Previous Page"), this, &ReportViewer::ShowPreviousPage);
    m_toolBar->addWidget(m_pageLabel);
    m_next = m_toolBar->addAction(s->standardIcon(QStyle::SP_MediaSeekForward), tr("Next Page"),
                                  this, &ReportViewer::ShowNextPage);
    m_last = m_toolBar->addAction(s->standardIcon(QStyle::SP_MediaSkipForward), tr("Last Page"),
                                  this, &ReportViewer::ShowLastPage);
    m_toolBar->addSeparator();
    m_toolBar->addAction(tr("Zoom Out"), this, &ReportViewer::ZoomOut);
    m_toolBar->addAction(tr("Zoom In"), this, &ReportViewer::ZoomIn);
    m_toolBar->addAction(tr("Fit Width"), this, &ReportViewer::FitWidth);
    m_pageLabel->setContentsMargins(6, 0, 6, 0);

    m_scrollArea->setWidget(m_pageView);
    m_scrollArea->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_scrollArea->setBackgroundRole(QPalette::Dark);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolBar);
    layout->addWidget(m_scrollArea, 1);
    Refresh();
}

ReportViewer::~ReportViewer() = default;

void ReportViewer::SetReportSource(std::shared_ptr<ReportEngine::Report> report)
{
    m_report = std::move(report);
    m_layout.reset();
    m_page = 0;
    Refresh();
}

void ReportViewer::ViewReport()
{
    m_layout.reset();
    m_page = 0;
    if (m_report)
        m_layout = m_report->Layout(m_report->Definition().PageLayout());
    Refresh();
}

void ReportViewer::PrintReport()
{
    if (!m_report)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(m_report->Definition().PageLayout());
    const bool chosen = m_chooser ? m_chooser(printer) : [&] {
        QPrintDialog dialog(&printer, this);
        return dialog.exec() == QDialog::Accepted;
    }();
    if (chosen)
        m_report->PrintOut(printer);
}

int ReportViewer::PageCount() const
{
    return m_layout ? m_layout->PageCount() : 0;
}

void ReportViewer::ShowNthPage(int page)
{
    if (!m_layout)
        return;
    m_page = std::clamp(page, 1, PageCount()) - 1;
    Refresh();
    m_scrollArea->verticalScrollBar()->setValue(0);
}

void ReportViewer::SetZoom(double zoom)
{
    m_zoom = std::clamp(zoom, kSmallestZoom, kLargestZoom);
    Refresh();
}

void ReportViewer::FitWidth()
{
    const QSize natural = m_pageView->PageSize(1);
    if (natural.width() <= 0)
        return;
    const int room = m_scrollArea->viewport()->width() - 2 * ReportPageView::kMargin;
    SetZoom(double(room) / natural.width());
}

void ReportViewer::Refresh()
{
    if (m_layout)
        m_pageView->ShowPage(m_layout, m_page, m_zoom);
    else
        m_pageView->Clear();
    const int pages = PageCount();
    m_pageLabel->setText(pages > 0 ? tr("Page %1 of %2").arg(CurrentPage()).arg(pages) : QString());
    m_first->setEnabled(pages > 0 && m_page > 0);
    m_previous->setEnabled(pages > 0 && m_page > 0);
    m_next->setEnabled(m_page + 1 < pages);
    m_last->setEnabled(m_page + 1 < pages);
}
