#pragma once

#include <QTreeWidgetItem>

// A row of the find window's result list. Rows sort by the sort column's text with letter case
// not counting, so "antibiotics" stands among the capitals where a reader looks for it; the
// generic names found by a code they carry stand after the entries found by their text, in
// italics.
class FoundEntryItem : public QTreeWidgetItem
{
public:
    using QTreeWidgetItem::QTreeWidgetItem;

    void SetFoundByCode();
    bool FoundByCode() const { return m_foundByCode; }

    bool operator<(const QTreeWidgetItem& other) const override;

private:
    bool m_foundByCode = false;
};
