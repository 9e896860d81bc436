#pragma once

#include <QString>

class KeyedTree;
class QTreeWidgetItem;

// A handle on one node of a KeyedTree. It is cheap to copy and stays valid until its node is
// removed; a null handle (no such node) answers IsNull() and converts to false.
class TreeNode
{
public:
    TreeNode() = default;
    TreeNode(KeyedTree* tree, QTreeWidgetItem* item) : m_tree(tree), m_item(item) {}

    bool IsNull() const { return m_item == nullptr; }
    explicit operator bool() const { return m_item != nullptr; }
    bool operator==(const TreeNode& other) const { return m_item == other.m_item; }

    QString Key() const;
    QString Text() const;
    void SetText(const QString& text);
    QString Image() const;
    void SetImage(const QString& imageKey);
    // Shown instead of Image while the node is expanded; empty for none.
    QString ExpandedImage() const;
    void SetExpandedImage(const QString& imageKey);
    QString Tag() const;
    void SetTag(const QString& tag);
    // A line shown under the node's text in its tooltip; empty for none.
    void SetToolTipLine(const QString& line);

    int Children() const;
    TreeNode Child(int i) const; // 0-based; null outside 0..Children()-1
    TreeNode Parent() const;     // null for a top-level node
    // The node's position in the tree's node collection, counted from 1 (KeyedTree::NodeAt).
    int Index() const;

    bool Expanded() const;
    void SetExpanded(bool expanded);
    bool Selected() const;
    void SetSelected(bool selected);
    void EnsureVisible();

    QTreeWidgetItem* Item() const { return m_item; }

private:
    KeyedTree* m_tree = nullptr;
    QTreeWidgetItem* m_item = nullptr;
};
