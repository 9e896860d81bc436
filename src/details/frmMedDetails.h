#pragma once

#include "details/DetailsWindow.h"

#include <QString>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

// "Medicine Details": the clinical details of one stock item as the inventory keeps them, to
// look at only. The opener sets ItemName (the tree node's text) and ItemCode (the node's tag)
// and shows the window modally; each opening reads the item afresh. An item code that names no
// item leaves the four detail boxes empty.
class frmMedDetails : public DetailsWindow
{
    Q_OBJECT

public:
    explicit frmMedDetails(SQLConnection& connection, QWidget* parent = nullptr);

    void SetItemName(const QString& itemName) { m_itemName = itemName; }
    const QString& ItemName() const { return m_itemName; }
    void SetItemCode(const QString& itemCode) { m_itemCode = itemCode; }
    const QString& ItemCode() const { return m_itemCode; }

    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLineEdit* txtItemName;
    QPlainTextEdit* txtIndication;
    QPlainTextEdit* txtDosage;
    QPlainTextEdit* txtAdministration;
    QPlainTextEdit* txtPreparation;

protected:
    void Form_Load() override;

private:
    QString m_itemName;
    QString m_itemCode;
};
