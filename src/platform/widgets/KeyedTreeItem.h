#pragma once

#include <QString>
#include <QTreeWidgetItem>

// A node of a KeyedTree: the item with its key, image keys and tag held as plain members.
class KeyedTreeItem : public QTreeWidgetItem
{
public:
    static constexpr int ItemType = QTreeWidgetItem::UserType + 1;

    KeyedTreeItem(QString nodeKey, const QString& text, QString imageKey);

    // The node's whole text is its tooltip, with toolTipLine under it when there is one.
    QVariant data(int column, int role) const override;

    QString key;
    QString toolTipLine;
    QString image;
    QString expandedImage;
    QString tag;
    // Kept from the tree's expand and collapse signals: asking the item costs a search among
    // its siblings, too much for every node of a load.
    bool expanded = false;
};

inline KeyedTreeItem* keyedItem(QTreeWidgetItem* item)
{
    return item && item->type() == KeyedTreeItem::ItemType ? static_cast<KeyedTreeItem*>(item)
                                                           : nullptr;
}
