#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class SQLConnection;

// "Find Entry": searches the catalogue by text, lists the matching entries and, for the one the
// user picks, has the server write its line of ancestry (the trace) for the main window to walk.
// FindNode tells the opener whether that trace holds anything; it starts False at every opening,
// so a window closed with Close never sends the main window down an old trace, and it keeps its
// value after the window closes. A search text that is a code of any system, or an ATC code
// that others begin with ("J01"), also lists the generic names carrying it, after the others.
class frmFind : public QDialog
{
    Q_OBJECT

public:
    // connection: the current user's, on which the search and the trace run; statusPanel: the
    // first panel of the main window's status bar, where the window leaves its instruction.
    frmFind(SQLConnection& connection, QLabel& statusPanel, QWidget* parent = nullptr);
    ~frmFind() override;

    bool FindNode() const { return m_findNode; }

    void Form_Load();
    void txtFind_Change();
    // Enter in the search box.
    void txtFind_Return();
    void cmdFind_Click();
    void lvFind_ColumnClick(int column);
    void lvFind_DblClick();
    // Enter in the result list.
    void lvFind_Return();
    void cmdGo_Click();

    // The result list's columns, counted from 0.
    enum Column { EntryColumn, ParentColumn, NodeKeyColumn, IndexColumn };

    QGroupBox* Frame1;
    QLineEdit* txtFind;
    QPushButton* cmdFind;
    QGroupBox* Frame2;
    QTreeWidget* lvFind;
    QPushButton* cmdGo;
    QPushButton* cmdClose;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetColumnWidths();
    // The generic names that carry the search text as a code (or an ATC code it begins), each
    // with the code in its text, to be listed after the names found by their text.
    QList<QTreeWidgetItem*> FoundByCode(const QString& searchText) const;

    SQLConnection& m_connection;
    QLabel& m_statusPanel;
    bool m_findNode = false;
};
