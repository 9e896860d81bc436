#include "platform/report/ReportDefinition.h"

QPageLayout ReportDefinition::PageLayout() const
{
    return QPageLayout(QPageSize(pageSize), orientation, QMarginsF(margin, margin, margin, margin),
                       QPageLayout::Millimeter);
}
