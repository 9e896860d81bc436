#pragma once

#include <QDialog>

class QLabel;

// "About Pharvel": the program's version and licence, the database in use (the folder of the
// embedded files or the PostgreSQL server, and its schema version) and who is signed in with
// which rights. A look-only account learns here why the commands that change the catalogue are
// off. Read afresh at each opening.
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    explicit frmAbout(QWidget* parent = nullptr);

    void Form_Load();

    QLabel* lblProgram;
    QLabel* lblLicence;
    QLabel* lblDatabase;
    QLabel* lblUser;

protected:
    void showEvent(QShowEvent* event) override;
};
