#pragma once

#include "register/NameEntryDialog.h"

class QPlainTextEdit;

// Takes the name of a new classification. The opener sets classtype, shows the dialog modally and
// then reads ClassEntry: the name as typed when the user saved it, "" when the dialog was closed
// without saving. A name the catalogue already holds as a classification is refused.
class frmEntry : public NameEntryDialog
{
    Q_OBJECT

public:
    // connection: the current user's, on which the duplicate check runs.
    explicit frmEntry(SQLConnection& connection, QWidget* parent = nullptr);

    // "1" a classification, "2" a generic name: only the captions differ.
    void SetClasstype(const QString& classtype) { m_classtype = classtype; }
    const QString& classtype() const { return m_classtype; }
    const QString& ClassEntry() const { return m_classEntry; }
    const QString& DescriptionEntry() const { return m_descriptionEntry; }

    void cmdOK_Click();

    QGroupBox* const fraEntry = EntryFrame();
    QLineEdit* const txtNewClassification = EntryBox();
    QPushButton* const cmdOK = SaveButton();
    QPushButton* const cmdClose = CloseButton();
    // Never shown: its text is handed back as DescriptionEntry.
    QGroupBox* fraEntry2;
    QPlainTextEdit* txtDescription;

protected:
    void Form_Load() override;

private:
    bool ClassNameExists(const QString& name) const;

    SQLConnection& m_connection;
    QString m_classtype;
    QString m_classEntry;
    QString m_descriptionEntry;
};
