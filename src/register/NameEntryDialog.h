#pragma once

#include <QDialog>
#include <QString>

class QGroupBox;
class QLineEdit;
class QPushButton;
class SQLConnection;

// The shape both name entry dialogs share: a frame across the top holding a single-line entry
// box, and Save and Close buttons at the bottom right of a 6150 x 1425 twips client area. Save is
// enabled exactly while the entry holds more than blanks. Each showing is one opening of the
// dialog (Form_Load); whatever closes it unloads it (Form_Unload).
class NameEntryDialog : public QDialog
{
    Q_OBJECT

protected:
    explicit NameEntryDialog(QWidget* parent);

    QGroupBox* EntryFrame() const { return m_frame; }
    QLineEdit* EntryBox() const { return m_box; }
    QPushButton* SaveButton() const { return m_save; }
    QPushButton* CloseButton() const { return m_close; }

    virtual void Form_Load() = 0;
    virtual void Form_Unload() {}

    // Enables Save while the entry, without leading and trailing blanks, is not empty.
    void UpdateSaveButton();
    QString TrimmedEntry() const;

    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    QGroupBox* m_frame;
    QLineEdit* m_box;
    QPushButton* m_save;
    QPushButton* m_close;
};
