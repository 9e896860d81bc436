#pragma once

#include "assign/AssignmentWindow.h"

#include <QString>
#include <memory>

class CheckListImages;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// "Drug Classification": which stock drugs are filed under one generic name. The left grid
// lists the drugs that can be moved in, filtered by "A&LL", "Classi&fied" (filed under another
// generic name) or "&Unclassified" and by an upper-case search text; the right grid lists the
// drugs filed under the generic name, with a search box of its own. "&Add >>" files the ticked
// drugs of the left grid under the generic name, "<< &Remove" takes the ticked drugs of the
// right grid out of it; the main window's tree is kept in step as each drug moves.
//
// Opening, as the main window's "&Drug" command does for the selected generic-name node:
//
//   form.SetGenericID(node's Node_ID);         // the generic code
//   form.SetGenericName(node's name);
//   form.SetTreList(trePharvel);               // its selected node is the generic name's node
//   form.exec();
//
// The properties keep their values between openings; the controls start afresh at each one.
// The opener reads nothing back: the tree already shows every move.
//
// Unlike the check-list grids of "Generic Classification", the search frames here never close:
// after every click in a grid its two buttons say whether it holds a tick, and a search may drop
// ticks under enabled buttons until the next click.
class frmDrugList : public AssignmentWindow
{
    Q_OBJECT

public:
    // The filter codes the left grid passes to the catalogue component.
    static constexpr qint16 FilterAll = 1;
    static constexpr qint16 FilterUnclassified = 2;
    static constexpr qint16 FilterClassified = 3;

    explicit frmDrugList(ClassPharvel::Pharvel& pharvel, QWidget* parent = nullptr);
    ~frmDrugList() override;

    qint16 GenericID() const { return m_genericId; }
    void SetGenericID(qint16 genericId) { m_genericId = genericId; }
    const QString& GenericName() const { return m_genericName; }
    void SetGenericName(const QString& name) { m_genericName = name; }

    // Refills grid 1 (intWhichGrid 1: the drugs that can be moved in, for strSearchKey and the
    // selected filter) or grid 2 (any other value: the drugs under the generic name, for the
    // text of txtSearch2), every row unticked; the grid is enabled exactly when rows were found.
    void LoadDrugList(qint16 intWhichGrid, const QString& strSearchKey);
    // The filter of the selected option button: 1 "A&LL", 2 "&Unclassified", 3 "Classi&fied",
    // 0 when none is selected.
    qint16 CheckClassify() const;

    void Form_Load() override;
    void optAll_Click();
    void optClassified_Click();
    void optUnClassified_Click();
    void cmdAdd_Click();
    void cmdRemove_Click();
    void cmdClear1_Click();
    void cmdCancel_Click();

    // The check-list behaviour of the two grids: toggling, Clear Selection, the searches and
    // the close prompt.

    QGroupBox* fraGenericList;
    QGroupBox* fraSearch1;
    QLineEdit* txtSearch1;
    QGroupBox* fraDrug1;
    FlexGrid* flexMSHList1;
    QWidget* Picture1;
    QRadioButton* optAll;
    QRadioButton* optClassified;
    QRadioButton* optUnClassified;
    QPushButton* cmdClear1;
    QPushButton* cmdAdd;
    QPushButton* cmdRemove;
    QGroupBox* fraSearch2;
    QLineEdit* txtSearch2;
    QGroupBox* fraDrug2;
    FlexGrid* flexMSHList2;
    QPushButton* cmdClear2;
    QPushButton* cmdCancel;
    CheckListImages* ilsCheckList;

private:
    // Takes the node with this key out of treList; a key the tree does not hold is no error.
    void RemoveTreeNode(const QString& strNodeKey);
    void ReloadBothGrids();
    void EmptySearchBoxes();
    void SetTabOrder();

    qint16 m_genericId = 0;
    QString m_genericName;
};
