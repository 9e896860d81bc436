#include "platform/widgets/KeyedTree.h"

#include "platform/db/PharvelError.h"
#include "platform/widgets/ImageList.h"
#include "platform/widgets/KeyedTreeItem.h"
#include "platform/widgets/LabelEditDelegate.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <algorithm>
#include <unordered_set>

KeyedTreeItem::KeyedTreeItem(QString nodeKey, const QString& text, QString imageKey)
    : QTreeWidgetItem(ItemType), key(std::move(nodeKey)), image(std::move(imageKey))
{
    setText(0, text);
    setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable);
}

QVariant KeyedTreeItem::data(int column, int role) const
{
    if (role == Qt::ToolTipRole)
        return toolTipLine.isEmpty() ? text(column)
                                     : text(column) + QLatin1Char('\n') + toolTipLine;
    return QTreeWidgetItem::data(column, role);
}

namespace {

PharvelError elementNotFound(const QString& source)
{
    return PharvelError(ErrorNumber::ElementNotFound, KeyedTree::tr("Element not found"), source);
}

} // namespace

KeyedTree::KeyedTree(QWidget* parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformRowHeights(true);
    setItemDelegate(new LabelEditDelegate(this));
    setTextElideMode(Qt::ElideNone);
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::Fixed);

    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        keyedItem(item)->expanded = true;
        ShowImage(item);
        FitShownChildren(item);
    });
    connect(this, &QTreeWidget::itemChanged, this,
            [this](const QTreeWidgetItem* item) { FitLabel(item); });
    connect(this, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) {
        keyedItem(item)->expanded = false;
        ShowImage(item);
        emit Collapse(TreeNode(this, item));
    });
}

KeyedTree::~KeyedTree() = default;

TreeNode KeyedTree::Add(const QString& parentKey, const QString& key, const QString& text,
                        const QString& imageKey)
{
    QTreeWidgetItem* parentItem = nullptr;
    if (!parentKey.isEmpty()) {
        parentItem = m_byKey.value(parentKey);
        if (!parentItem)
            throw elementNotFound(QStringLiteral("Nodes.Add"));
    }
    if (m_byKey.contains(key)) {
        throw PharvelError(ErrorNumber::KeyNotUnique, tr("Key is not unique in collection"),
                           QStringLiteral("Nodes.Add"));
    }

    auto* item = new KeyedTreeItem(key, text, imageKey);
    ShowImage(item);
    if (parentItem)
        parentItem->addChild(item);
    else
        addTopLevelItem(item);
    m_byKey.insert(key, item);
    m_order.push_back(item);
    FitLabel(item);
    return TreeNode(this, item);
}

void KeyedTree::Remove(const QString& key)
{
    QTreeWidgetItem* item = m_byKey.value(key);
    if (!item)
        throw elementNotFound(QStringLiteral("Nodes.Remove"));
    ForgetSubtree(item);
    delete item;
}

void KeyedTree::ForgetSubtree(QTreeWidgetItem* item)
{
    std::unordered_set<const QTreeWidgetItem*> gone;
    std::vector<QTreeWidgetItem*> pending{item};
    while (!pending.empty()) {
        QTreeWidgetItem* next = pending.back();
        pending.pop_back();
        gone.insert(next);
        m_byKey.remove(keyedItem(next)->key);
        for (int i = 0; i < next->childCount(); ++i)
            pending.push_back(next->child(i));
    }
    std::erase_if(m_order, [&gone](const QTreeWidgetItem* node) { return gone.contains(node); });
}

void KeyedTree::Clear()
{
    m_byKey.clear();
    m_order.clear();
    clear();
    m_labelWidth = 0;
    FitLabelColumn();
}

bool KeyedTree::Shown(const QTreeWidgetItem* item) const
{
    for (QTreeWidgetItem* parent = item->parent(); parent; parent = parent->parent()) {
        if (!keyedItem(parent)->expanded)
            return false;
    }
    return true;
}

void KeyedTree::FitLabel(const QTreeWidgetItem* item)
{
    if (!Shown(item))
        return;
    int depth = rootIsDecorated() ? 1 : 0;
    for (const QTreeWidgetItem* parent = item->parent(); parent; parent = parent->parent())
        ++depth;
    // The picture and the text each have the style's focus margin on both sides, and one more
    // pair keeps the last letter clear of the edge.
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    const int width = depth * indentation() + iconSize().width() +
                      fontMetrics().horizontalAdvance(item->text(0)) + 6 * margin;
    if (width > m_labelWidth) {
        m_labelWidth = width;
        FitLabelColumn();
    }
}

void KeyedTree::FitShownChildren(const QTreeWidgetItem* item)
{
    if (!Shown(item))
        return;
    std::vector<const QTreeWidgetItem*> pending{item};
    while (!pending.empty()) {
        const QTreeWidgetItem* next = pending.back();
        pending.pop_back();
        for (int i = 0; i < next->childCount(); ++i) {
            const QTreeWidgetItem* child = next->child(i);
            FitLabel(child);
            if (child->isExpanded())
                pending.push_back(child);
        }
    }
}

void KeyedTree::FitLabelColumn()
{
    // Never narrower than the view, so that a row's selection spans it.
    const int width = std::max(m_labelWidth, viewport()->width());
    if (header()->sectionSize(0) != width)
        header()->resizeSection(0, width);
}

bool KeyedTree::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::Resize)
        FitLabelColumn();
    return QTreeWidget::viewportEvent(event);
}

TreeNode KeyedTree::Find(const QString& key) const
{
    return TreeNode(const_cast<KeyedTree*>(this), m_byKey.value(key));
}

TreeNode KeyedTree::NodeAt(int index) const
{
    if (index < 1 || index > Count())
        return {};
    return TreeNode(const_cast<KeyedTree*>(this), m_order[static_cast<size_t>(index - 1)]);
}

int KeyedTree::IndexOf(const QTreeWidgetItem* item) const
{
    const auto at = std::find(m_order.begin(), m_order.end(), item);
    return at == m_order.end() ? 0 : static_cast<int>(at - m_order.begin()) + 1;
}

TreeNode KeyedTree::SelectedItem() const
{
    QTreeWidgetItem* item = currentItem();
    return TreeNode(const_cast<KeyedTree*>(this), item && item->isSelected() ? item : nullptr);
}

TreeNode KeyedTree::HitTest(const QPoint& viewportPos) const
{
    return TreeNode(const_cast<KeyedTree*>(this), itemAt(viewportPos));
}

void KeyedTree::SetImageList(const ImageList* images)
{
    m_images = images;
    if (images)
        setIconSize(images->ImageSize());
    for (QTreeWidgetItem* item : m_order)
        ShowImage(item);
}

void KeyedTree::ShowImage(QTreeWidgetItem* item) const
{
    const KeyedTreeItem* node = keyedItem(item);
    const QString& key =
        node->expanded && !node->expandedImage.isEmpty() ? node->expandedImage : node->image;
    item->setIcon(0, m_images && !key.isEmpty() ? m_images->Icon(key) : QIcon());
}

void KeyedTree::StartLabelEdit(const TreeNode& node)
{
    if (node.IsNull())
        return;
    if (m_inAfterLabelEdit) {
        // The finished edit's editor is still open; begin the next one once it has closed.
        QMetaObject::invokeMethod(
            this,
            [this, key = node.Key()] {
                if (TreeNode again = Find(key))
                    StartLabelEdit(again);
            },
            Qt::QueuedConnection);
        return;
    }
    bool cancel = false;
    emit BeforeLabelEdit(cancel);
    if (cancel)
        return;
    setCurrentItem(node.Item());
    editItem(node.Item(), 0);
}

bool KeyedTree::FinishLabelEdit(QString& text)
{
    bool cancel = false;
    m_inAfterLabelEdit = true;
    emit AfterLabelEdit(cancel, text);
    m_inAfterLabelEdit = false;
    return !cancel;
}

void KeyedTree::mousePressEvent(QMouseEvent* event)
{
    QTreeWidget::mousePressEvent(event);
    emit MouseDown(event->button(), event->modifiers(), event->position().toPoint());
}

void KeyedTree::mouseReleaseEvent(QMouseEvent* event)
{
    QTreeWidget::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint pos = event->position().toPoint();
    // A click on the expand sign beside a node opens or closes it; it does not click the node.
    if (QTreeWidgetItem* item = itemAt(pos); item && pos.x() >= visualItemRect(item).left())
        emit NodeClick(TreeNode(this, item));
    emit Click();
}

void KeyedTree::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTreeWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit DblClick();
}

void KeyedTree::keyPressEvent(QKeyEvent* event)
{
    emit KeyDown(event->key(), event->modifiers());
    // A handler that began editing a label has taken the key.
    if (state() == QAbstractItemView::EditingState) {
        event->accept();
        return;
    }
    // Taken once the handler is done: a node it removed is gone, and the node it left current
    // is where the key's own move starts.
    const QTreeWidgetItem* before = currentItem();
    QTreeWidget::keyPressEvent(event);
    if (QTreeWidgetItem* after = currentItem(); after && after != before)
        emit NodeClick(TreeNode(this, after));
}
