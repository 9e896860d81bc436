#pragma once

#include <QStyledItemDelegate>

class KeyedTree;

// Hands the text typed into a node's label to the tree's AfterLabelEdit before it is stored, so
// that a handler can change it or refuse it.
class LabelEditDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit LabelEditDelegate(KeyedTree* tree);

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

private:
    KeyedTree* m_tree;
};
