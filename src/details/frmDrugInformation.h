#pragma once

#include "details/DetailsWindow.h"
#include "platform/db/OtherDetailsStore.h"

#include <QString>
#include <array>

class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class StretchedPicture;

// " Drug Details": the free text of other details of one generic name, kept as one row of
// inventory.tbPharvelOtherDetails. The opener sets GenericID and shows the window modally; each
// opening reads the row afresh, and "Save" inserts or updates it, whichever the table needs then,
// and closes the window. When another desktop saved after this window read the text, "Save" says
// so and offers to overwrite theirs or to keep it (shown in the box). "Close" discards the edit
// without a question.
class frmDrugInformation : public DetailsWindow
{
    Q_OBJECT

public:
    explicit frmDrugInformation(SQLConnection& connection, QWidget* parent = nullptr);

    // Set as text, kept as a 16-bit id: a text that is no whole number in -32768..32767 is
    // refused. Read back as the id in decimal.
    void SetGenericID(const QString& genericId);
    QString GenericID() const;
    // True when this opening found no row, so that saving inserts one.
    bool NewRecord() const { return m_blnNewRecord; }

    void cmdSave_Click();
    void cmdClose_Click();

    StretchedPicture* Image1;
    QLabel* Label1;
    StretchedPicture* Image2;
    QFrame* Line1;
    std::array<QLabel*, 2> Label2;
    QFrame* Shape1;
    QPlainTextEdit* txtEntry;
    QPushButton* cmdSave;
    QPushButton* cmdClose;

protected:
    void Form_Load() override;
    void showEvent(QShowEvent* event) override;

private:
    void LoadOtherDetails();
    // False when the user kept another desktop's text instead.
    bool SaveOtherDetails();
    void ShowAsRead(const OtherDetailsStore::Text& text);
    QString TypedText() const;

    qint16 m_genericId = 0;
    bool m_blnNewRecord = false;
    OtherDetailsStore::Text m_asRead;
};
