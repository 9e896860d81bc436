#include "platform/widgets/FlexCellDelegate.h"

#include "platform/widgets/FlexGridModel.h"

#include <QPainter>

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
