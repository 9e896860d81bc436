#include "platform/widgets/TreeNode.h"

#include "platform/widgets/KeyedTree.h"
#include "platform/widgets/KeyedTreeItem.h"

QString TreeNode::Key() const
{
    return keyedItem(m_item)->key;
}

QString TreeNode::Text() const
{
    return m_item->text(0);
}

void TreeNode::SetText(const QString& text)
{
    m_item->setText(0, text);
}

QString TreeNode::Image() const
{
    return keyedItem(m_item)->image;
}

void TreeNode::SetImage(const QString& imageKey)
{
    keyedItem(m_item)->image = imageKey;
    m_tree->ShowImage(m_item);
}

QString TreeNode::ExpandedImage() const
{
    return keyedItem(m_item)->expandedImage;
}

void TreeNode::SetExpandedImage(const QString& imageKey)
{
    keyedItem(m_item)->expandedImage = imageKey;
    m_tree->ShowImage(m_item);
}

QString TreeNode::Tag() const
{
    return keyedItem(m_item)->tag;
}

void TreeNode::SetTag(const QString& tag)
{
    keyedItem(m_item)->tag = tag;
}

void TreeNode::SetToolTipLine(const QString& line)
{
    keyedItem(m_item)->toolTipLine = line;
}

int TreeNode::Children() const
{
    return m_item->childCount();
}

TreeNode TreeNode::Child(int i) const
{
    return TreeNode(m_tree, m_item->child(i));
}

TreeNode TreeNode::Parent() const
{
    return TreeNode(m_tree, m_item->parent());
}

int TreeNode::Index() const
{
    return m_tree->IndexOf(m_item);
}

bool TreeNode::Expanded() const
{
    return m_item->isExpanded();
}

void TreeNode::SetExpanded(bool expanded)
{
    m_item->setExpanded(expanded);
}

bool TreeNode::Selected() const
{
    return m_item->isSelected();
}

void TreeNode::SetSelected(bool selected)
{
    if (selected)
        m_tree->setCurrentItem(m_item);
    else
        m_item->setSelected(false);
}

void TreeNode::EnsureVisible()
{
    for (QTreeWidgetItem* up = m_item->parent(); up; up = up->parent())
        up->setExpanded(true);
    m_tree->scrollToItem(m_item);
}
