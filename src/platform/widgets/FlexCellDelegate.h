#pragma once

#include <QStyledItemDelegate>

// Paints a FlexGrid cell: its own back colour when it has one, its text, and its picture centred
// in the cell over the text.
class FlexCellDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};
