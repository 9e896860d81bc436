#include "platform/report/ReportPageView.h"

#include "platform/report/ReportLayout.h"
#include "platform/report/ReportPainter.h"

#include <QPainter>

ReportPageView::ReportPageView(QWidget* parent) : QWidget(parent) {}

void ReportPageView::ShowPage(std::shared_ptr<const ReportLayout> layout, int page, double zoom)
{
    m_layout = std::move(layout);
    m_page = page;
    m_zoom = zoom;
    setFixedSize(sizeHint());
    update();
}

void ReportPageView::Clear()
{
    m_layout.reset();
    setFixedSize(sizeHint());
    update();
}

QSize ReportPageView::PageSize(double zoom) const
{
    if (!m_layout)
        return {};
    const QSizeF inches = m_layout->PageLayout().fullRect(QPageLayout::Inch).size();
    return (inches * logicalDpiX() * zoom).toSize();
}

QSize ReportPageView::sizeHint() const
{
    return PageSize(m_zoom) + QSize(2 * kMargin, 2 * kMargin);
}

void ReportPageView::paintEvent(QPaintEvent*)
{
    if (!m_layout)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRect sheet(QPoint(kMargin, kMargin), PageSize(m_zoom));
    painter.fillRect(sheet.translated(3, 3), QColor(0, 0, 0, 60));
    painter.fillRect(sheet, Qt::white);
    painter.setPen(Qt::darkGray);
    painter.drawRect(sheet.adjusted(0, 0, -1, -1));

    const double pixelsPerInch = logicalDpiX() * m_zoom;
    const QRectF printable = m_layout->PageLayout().paintRect(QPageLayout::Inch);
    painter.translate(sheet.topLeft() + QPointF(printable.left(), printable.top()) * pixelsPerInch);
    const double scale = pixelsPerInch / ReportLayout::kUnitsPerInch;
    painter.scale(scale, scale);
    ReportPainter::PaintPage(painter, *m_layout, m_page);
}
