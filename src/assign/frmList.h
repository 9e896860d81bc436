#pragma once

#include "assign/AssignmentWindow.h"

#include <QString>
#include <memory>

class CheckListImages;
class QGroupBox;
class QLineEdit;
class QPushButton;
class frmGeneric;

// "Generic Classification": which generic names are filed under one classification. Grid 1
// lists the generic names not under it, each with the classification it is under now or "no
// classification"; grid 2 those under it. Add files the ticked names of grid 1 under the
// classification, Remove takes the ticked names of grid 2 out of it; every move is written
// through the catalogue component and shown at once in the main window's tree.
//
// Opening, as the main window's "&Generic" command does for the selected classification node:
//
//   form.SetItemID(node's Node_ID);            // the classification's id
//   form.SetClassificationName(node's name);
//   form.SetTreList(trePharvel);               // its selected node is the classification node
//   form.exec();
//
// The properties keep their values between openings; the controls start afresh at each one.
// While the window works it adds and removes nodes of treList itself, so the opener has only to
// expand the classification node afterwards.
class frmList : public AssignmentWindow
{
    Q_OBJECT

public:
    // genericRegister: the run's one generic-name register, which "&Build Generics" opens.
    frmList(ClassPharvel::Pharvel& pharvel, frmGeneric& genericRegister, QWidget* parent = nullptr);
    ~frmList() override;

    qint16 ItemID() const { return m_itemId; }
    void SetItemID(qint16 itemId) { m_itemId = itemId; }
    const QString& ClassificationName() const { return m_classificationName; }
    void SetClassificationName(const QString& name) { m_classificationName = name; }

    // Refills grid 1 (intWhichGrid 1) or grid 2 (any other value) with the generic names
    // matching strSearchKey, every row unticked; returns the number of rows loaded.
    qint16 LoadGrid(qint16 intWhichGrid, const QString& strSearchKey);
    // The index in treList's node collection of the node whose key is strSearchKey, blanks
    // around either ignored; 0 for an empty key or a key no node has.
    qint16 IsKeyPosition(const QString& strSearchKey) const;
    // True when the tree node at intKeyPosition has child nodes as the tree holds it now.
    bool CanAdd(qint16 intKeyPosition) const;

    void Form_Load() override;
    void cmdAdd_Click();
    void cmdRemove_Click();
    void Command1_Click();
    void cmdCancel_Click();

    frmGeneric& GenericRegister() const { return m_register; }

    QGroupBox* fraGenericList;
    QGroupBox* fraSearch1;
    QLineEdit* txtSearch1;
    QGroupBox* fraGeneric1;
    FlexGrid* flexMSHList1;
    QPushButton* cmdClear1;
    QPushButton* cmdAdd;
    QPushButton* cmdRemove;
    QGroupBox* fraSearch2;
    QLineEdit* txtSearch2;
    QGroupBox* fraGeneric2;
    FlexGrid* flexMSHList2;
    QPushButton* cmdClear2;
    QPushButton* Command1;
    QPushButton* cmdCancel;
    CheckListImages* ilsCheckList;

private:
    // Whether the generic name's node at oldKey carries drugs: in the tree as loaded, or in the
    // catalogue for a branch the tree has not loaded.
    bool HoldsDrugs(const QString& oldKey);
    // The key of the node that files the generic name now, empty when it is filed nowhere.
    QString GenericNodeKey(int genericCode);
    void AfterMove();

    frmGeneric& m_register;
    qint16 m_itemId = 0;
    QString m_classificationName;
};
