#pragma once

#include <QStyledItemDelegate>

// Draws a FlexGrid cell as usual and then the cell's picture (FlexGridModel::PictureRole)
// centred in it: the check column of a check-list grid shows its boxes this way.
class CellPictureDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};
