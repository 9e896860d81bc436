#pragma once

#include "register/NameEntryDialog.h"

namespace ClassPharvel {
class Pharvel;
}

// Takes a new generic name (Mode 1) or a new name for an existing one (Mode 2, GenericCode and
// the current name in txtEntry set by the opener). It writes through the catalogue component and
// then says so by Saved(), on which the register reloads its list with its search text. A new
// name stays open for the next one; a rename closes after saving. Both refuse a name another
// entry of the register already holds.
class frmGenericEntry : public NameEntryDialog
{
    Q_OBJECT

public:
    static constexpr qint16 NewName = 1;
    static constexpr qint16 Rename = 2;

    // connection: the current user's, on which the duplicate check runs.
    frmGenericEntry(ClassPharvel::Pharvel& pharvel, SQLConnection& connection,
                    QWidget* parent = nullptr);

    qint16 Mode() const { return m_mode; }
    void SetMode(qint16 mode) { m_mode = mode; }
    const QString& GenericCode() const { return m_genericCode; }
    void SetGenericCode(const QString& code) { m_genericCode = code; }

    // Puts the name to rename into txtEntry whole: a stored name longer than the box takes for
    // typing is not cut short, so Save never shortens a name the user did not edit.
    void SetEntryText(const QString& name);

    void cmdSave_Click();

    QGroupBox* const Frame1 = EntryFrame();
    QLineEdit* const txtEntry = EntryBox();
    QPushButton* const cmdSave = SaveButton();
    QPushButton* const cmdClose = CloseButton();

signals:
    // A name was written: a new one, or a rename, before the dialog closes.
    void Saved();

protected:
    void Form_Load() override;
    void Form_Unload() override;

private:
    bool GenericNameExists(const QString& name) const;

    ClassPharvel::Pharvel& m_pharvel;
    SQLConnection& m_connection;
    qint16 m_mode = NewName;
    QString m_genericCode;
};
