#pragma once

#include "platform/widgets/ImageList.h"
#include "platform/widgets/TreeNode.h"
#include "platform/widgets/WidgetErrors.h"

#include <QHash>
#include <QPointer>
#include <QTreeWidget>
#include <vector>

// The tree control of the windows (`trePharvel`, `treList`): nodes reached by a unique text key,
// with an image, an expanded image and a tag, kept in a node collection counted from 1 in the
// order the nodes were added. Finding a node by key costs one hash look-up, and adding a node
// does no layout work of its own, so a tree of 32,000 nodes loads quickly.
//
// Labels are shown whole, never shortened: the label column is as wide as the widest label shown
// so far (measured as nodes are added, expanded or renamed, never by walking the whole tree) and
// the tree scrolls sideways when that is wider than the view. Hovering a node shows its text.
//
// Events are signals: NodeClick (a node clicked, or made current by the keyboard), Click (after
// every mouse click), DblClick, MouseDown (button, modifiers, position in viewport pixels),
// KeyDown (Qt key code, modifiers), Collapse, and the label-editing pair. Labels are edited only
// through StartLabelEdit.
class KeyedTree : public QTreeWidget
{
    Q_OBJECT

public:
    explicit KeyedTree(QWidget* parent = nullptr);
    ~KeyedTree() override;

    // Adds a node as the last child of parentKey, or at the top level when parentKey is empty.
    // Raises PharvelError "Key is not unique in collection" for a key already in the tree and
    // "Element not found" for a parent that is not.
    TreeNode Add(const QString& parentKey, const QString& key, const QString& text,
                 const QString& imageKey = {});
    // Removes the node and its subtree; "Element not found" for a key not in the tree.
    void Remove(const QString& key);
    void Clear();

    TreeNode Find(const QString& key) const; // null when there is no such node
    bool Exists(const QString& key) const { return m_byKey.contains(key); }
    int Count() const { return static_cast<int>(m_order.size()); }
    TreeNode NodeAt(int index) const; // 1..Count, null outside

    TreeNode SelectedItem() const;
    TreeNode HitTest(const QPoint& viewportPos) const;

    // The pictures that image keys name. The tree keeps a guarded pointer; it does not own it.
    void SetImageList(const ImageList* images);
    const ImageList* Images() const { return m_images; }

    // Starts in-place editing of the node: BeforeLabelEdit may cancel it; AfterLabelEdit gets
    // the typed text, may change it or cancel the change. Called from an AfterLabelEdit handler
    // it starts the new edit as soon as the finished one has closed.
    void StartLabelEdit(const TreeNode& node);

signals:
    void NodeClick(const TreeNode& node);
    void Click();
    void DblClick();
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPoint& pos);
    void KeyDown(int keyCode, Qt::KeyboardModifiers shift);
    void Collapse(const TreeNode& node);
    void BeforeLabelEdit(bool& cancel);
    void AfterLabelEdit(bool& cancel, QString& newString);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    friend class TreeNode;
    friend class LabelEditDelegate;

    void ShowImage(QTreeWidgetItem* item) const;
    void ForgetSubtree(QTreeWidgetItem* item);
    int IndexOf(const QTreeWidgetItem* item) const;
    // The delegate's commit: true when the edited text may be stored (possibly changed).
    bool FinishLabelEdit(QString& text);
    // Widens the label column for the item's label when the item is on show, and for those of
    // the nodes below it that its opening shows.
    void FitLabel(const QTreeWidgetItem* item);
    void FitShownChildren(const QTreeWidgetItem* item);
    bool Shown(const QTreeWidgetItem* item) const;
    void FitLabelColumn();

    QHash<QString, QTreeWidgetItem*> m_byKey;
    std::vector<QTreeWidgetItem*> m_order;
    QPointer<const ImageList> m_images;
    bool m_inAfterLabelEdit = false;
    int m_labelWidth = 0;
};
