#pragma once

#include <QStyledItemDelegate>

// Paints a FlexGrid cell: its own back colour when it has one, its text, and its picture centred
// in the cell over the text. A cell whose text is cut short, by its column or by the edge of the
// view, shows its whole text as its tooltip.
class FlexCellDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;
};
