#pragma once

#include <QDialog>

// A dialog that reads its data afresh at every opening (Form_Load). An opening whose read fails
// says why and closes the window again, so that it never shows, or saves over, data it could
// not read.
class FreshReadDialog : public QDialog
{
    Q_OBJECT

protected:
    using QDialog::QDialog;

    virtual void Form_Load() = 0;
    void showEvent(QShowEvent* event) override;
};
