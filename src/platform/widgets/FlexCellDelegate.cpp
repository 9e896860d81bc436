#include "platform/widgets/FlexCellDelegate.h"

#include "platform/widgets/FlexGridModel.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

void FlexCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const
{
    QStyleOptionViewItem cell(option);
    // The windows mark the current cell with its own colours; the view's focus frame and
    // selection would only hide them.
    cell.state &= ~(QStyle::State_HasFocus | QStyle::State_Selected);
    QStyledItemDelegate::paint(painter, cell, index);

    const QVariant picture = index.data(FlexGridModel::PictureRole);
    if (!picture.isValid())
        return;
    const QPixmap pixmap = picture.value<QPixmap>();
    const QSizeF size = pixmap.deviceIndependentSize();
    const QPointF topLeft(option.rect.x() + (option.rect.width() - size.width()) / 2.0,
                          option.rect.y() + (option.rect.height() - size.height()) / 2.0);
    painter->save();
    painter->setClipRect(option.rect);
    painter->drawPixmap(topLeft, pixmap);
    painter->restore();
}

bool FlexCellDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                 const QStyleOptionViewItem& option, const QModelIndex& index)
{
    if (event->type() != QEvent::ToolTip)
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    QStyleOptionViewItem cell(option);
    initStyleOption(&cell, index);
    const QStyle* style = view->style();
    // The text's room as drawn: its part of the cell, less the margins the style keeps.
    const QRect room = style->subElementRect(QStyle::SE_ItemViewItemText, &cell, view)
                           .intersected(view->viewport()->rect());
    const int margins = 2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin, &cell, view) + 1);
    // Blanks that pad a name out are no part of what the user reads.
    const QString text = cell.text.trimmed();
    const bool cut =
        !text.isEmpty() && cell.fontMetrics.horizontalAdvance(text) > room.width() - margins;
    if (cut)
        QToolTip::showText(event->globalPos(), text, view->viewport(), option.rect);
    else
        QToolTip::hideText();
    return true;
}
