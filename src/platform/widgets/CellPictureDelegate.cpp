#include "platform/widgets/CellPictureDelegate.h"

#include "platform/widgets/FlexGridModel.h"

#include <QPainter>

void CellPictureDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const
{
    QStyledItemDelegate::paint(painter, option, index);
    const QPixmap picture = index.data(FlexGridModel::PictureRole).value<QPixmap>();
    if (picture.isNull())
        return;
    const QSize size = picture.deviceIndependentSize().toSize();
    QRect target(QPoint(), size);
    target.moveCenter(option.rect.center());
    painter->save();
    painter->setClipRect(option.rect);
    painter->drawPixmap(target, picture);
    painter->restore();
}
