#pragma once

#include <QDialog>
#include <QString>
#include <memory>

namespace ClassPharvel {
class Pharvel;
}
class FlexGrid;
class QGroupBox;
class QLineEdit;
class QPushButton;
class RowSet;
class SQLConnection;
class frmGenericEntry;

// "Build Generic Name": the register of generic names with their codes, filtered by an
// upper-case search text, where names are added, renamed and deleted. Update tells the opener
// whether anything may have changed; it starts False at every opening and keeps its value after
// the window closes.
class frmGeneric : public QDialog
{
    Q_OBJECT

public:
    // connection: the current user's, on which Delete runs.
    frmGeneric(ClassPharvel::Pharvel& pharvel, SQLConnection& connection,
               QWidget* parent = nullptr);
    ~frmGeneric() override;

    bool Update() const { return m_update; }
    frmGenericEntry& GenericEntry() const { return *m_genericEntry; }

    // Reloads the grid from the register: the names matching strSearch, or the header and one
    // blank row when none does.
    void LoadList(const QString& strSearch);

    void Form_Load();
    void txtSearch_Change();
    void cmdNew_Click();
    void cmdRename_Click();
    void cmdDelete_Click();

    QGroupBox* Frame1;
    QLineEdit* txtSearch;
    QGroupBox* Frame2;
    FlexGrid* flexMSHList;
    QPushButton* cmdNew;
    QPushButton* cmdRename;
    QPushButton* cmdDelete;
    QPushButton* cmdClose;

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    // False while the grid shows only its blank row: Rename and Delete then have nothing to act
    // on.
    bool HasGenericNames() const;
    int CurrentCode() const;
    void CloseRowSet();

    ClassPharvel::Pharvel& m_pharvel;
    SQLConnection& m_connection;
    frmGenericEntry* m_genericEntry;
    std::shared_ptr<RowSet> m_rowSet;
    bool m_update = false;
};
