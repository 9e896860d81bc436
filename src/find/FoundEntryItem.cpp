#include "find/FoundEntryItem.h"

void FoundEntryItem::SetFoundByCode()
{
    m_foundByCode = true;
    for (int column = 0; column < columnCount(); ++column) {
        QFont italic = font(column);
        italic.setItalic(true);
        setFont(column, italic);
    }
}

bool FoundEntryItem::operator<(const QTreeWidgetItem& other) const
{
    const auto* found = dynamic_cast<const FoundEntryItem*>(&other);
    const bool otherByCode = found && found->m_foundByCode;
    if (m_foundByCode != otherByCode)
        return otherByCode;
    const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
    return text(column).compare(other.text(column), Qt::CaseInsensitive) < 0;
}
