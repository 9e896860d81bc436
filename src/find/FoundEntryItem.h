#pragma once

#include <QTreeWidgetItem>

// A row of the find window's result list. Rows sort by the sort column's text with letter case
// not counting, so "antibiotics" stands among the capitals where a reader looks for it.
class FoundEntryItem : public QTreeWidgetItem
{
public:
    using QTreeWidgetItem::QTreeWidgetItem;

    bool operator<(const QTreeWidgetItem& other) const override;
};
