#include "platform/widgets/LabelEditDelegate.h"

#include "platform/widgets/KeyedTree.h"

#include <QLineEdit>

LabelEditDelegate::LabelEditDelegate(KeyedTree* tree) : QStyledItemDelegate(tree), m_tree(tree) {}

void LabelEditDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                     const QModelIndex& index) const
{
    const auto* line = qobject_cast<QLineEdit*>(editor);
    if (!line)
        return;
    QString text = line->text();
    if (m_tree->FinishLabelEdit(text))
        model->setData(index, text, Qt::EditRole);
}
