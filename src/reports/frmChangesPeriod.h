#pragma once

#include <QDate>
#include <QDialog>

class QDateEdit;
class QDialogButtonBox;

// "Catalogue Changes": asks for the period of the changes report, from and to (days, both
// included), by default the last 30 days up to today.
class frmChangesPeriod : public QDialog
{
    Q_OBJECT

public:
    explicit frmChangesPeriod(QWidget* parent = nullptr);

    QDate From() const;
    QDate To() const;

    QDateEdit* dtpFrom;
    QDateEdit* dtpTo;
    QDialogButtonBox* cmdButtons;
};
