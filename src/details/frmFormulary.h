#pragma once

#include "details/FreshReadDialog.h"
#include "platform/db/FormularyRecord.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace ClassPharvel {
class clsFormulary;
class clsGenerics;
} // namespace ClassPharvel

// "Formulary": what the committee decided for one generic name (status, restriction or
// guidelines, dates, reference, VEN), its reference codes and its therapeutic alternatives. The
// opener sets the generic name and shows the window modally; each opening reads the formulary
// afresh. The form checks itself as the user types, showing each problem beside its field, and
// "Save" is offered only while there is none. Saving is checked against what this opening read:
// when another desktop saved meanwhile the user is told who and when, and chooses to overwrite
// theirs or to keep it (shown in the form).
class frmFormulary : public FreshReadDialog
{
    Q_OBJECT

public:
    frmFormulary(ClassPharvel::clsFormulary& formulary, ClassPharvel::clsGenerics& generics,
                 QWidget* parent = nullptr);

    // The generic name the next opening edits.
    void SetGeneric(CatalogueId::Generic genericCode, const QString& genericName);
    // True when the last opening saved.
    bool Saved() const { return m_saved; }
    // The formulary as the form holds it now.
    FormularyRecord Edited() const;
    // The problems the form shows, one each; "Save" is enabled only while there is none.
    QStringList Problems() const;

    void cmdSave_Click();
    void cmdClose_Click();
    void cmdAddCode_Click();
    void cmdRemoveCode_Click();
    // Moves the chosen row one place up (-1) or down (1).
    void cmdMoveCode_Click(int by);
    void txtFindAlternative_Change();
    // Lists the generic name chosen in the register's matches as the last alternative.
    void cmdAddAlternative_Click();
    void cmdRemoveAlternative_Click();
    void cmdMoveAlternative_Click(int by);

    QComboBox* cboStatus;
    QPlainTextEdit* txtRestriction;
    QLabel* lblRestrictionProblem;
    QCheckBox* chkDecided;
    QDateEdit* dtpDecided;
    QLineEdit* txtReference;
    QLabel* lblReferenceProblem;
    QCheckBox* chkReview;
    QDateEdit* dtpReview;
    QComboBox* cboVen;

    QTableWidget* tblCodes;
    QComboBox* cboSystem;
    QLineEdit* txtCode;
    QLabel* lblCodesProblem;
    QPushButton* cmdAddCode;
    QPushButton* cmdRemoveCode;
    QPushButton* cmdCodeUp;
    QPushButton* cmdCodeDown;

    QLineEdit* txtFindAlternative;
    QListWidget* lstGenerics;
    QPushButton* cmdAddAlternative;
    QTableWidget* tblAlternatives;
    QComboBox* cboKind;
    QLineEdit* txtNote;
    QLabel* lblAlternativesProblem;
    QPushButton* cmdRemoveAlternative;
    QPushButton* cmdAlternativeUp;
    QPushButton* cmdAlternativeDown;

    QPushButton* cmdSave;
    QPushButton* cmdClose;

public slots:
    // Closing with unsaved changes asks first.
    void reject() override;

protected:
    void Form_Load() override;

private:
    QWidget* CreateDecision();
    QWidget* CreateCodes();
    QWidget* CreateAlternatives();
    void ShowRecord(const FormularyRecord& record);
    void ShowCodes();
    void ShowAlternatives();
    void ShowCurrentCode();
    void ShowCurrentAlternative();
    void CodeEdited();
    void AlternativeEdited();
    // Checks the form and shows what is wrong where it is wrong.
    void CheckForm();
    bool Changed() const;

    ClassPharvel::clsFormulary& m_formulary;
    ClassPharvel::clsGenerics& m_generics;
    CatalogueId::Generic m_generic = 0;
    QString m_genericName;
    FormularyRecord m_asRead;
    QList<ReferenceCode> m_codes;
    QList<Alternative> m_alternatives;
    QStringList m_problems;
    bool m_saved = false;
    // Set while the form fills its own controls, whose change signals then mean no edit.
    bool m_filling = false;
};
