#include "reports/frmChangesPeriod.h"

#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>

namespace {
constexpr int kDefaultDays = 30;

QDateEdit* dateBox(const QDate& date, QWidget* parent)
{
    auto* box = new QDateEdit(date, parent);
    box->setCalendarPopup(true);
    box->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    return box;
}
} // namespace

frmChangesPeriod::frmChangesPeriod(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("Catalogue Changes"));
    // The journal keeps its times in UTC, so the days are UTC days too.
    const QDate today = QDateTime::currentDateTimeUtc().date();
    dtpFrom = dateBox(today.addDays(-(kDefaultDays - 1)), this);
    dtpTo = dateBox(today, this);
    cmdButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QFormLayout(this);
    layout->addRow(tr("&From:"), dtpFrom);
    layout->addRow(tr("&To:"), dtpTo);
    layout->addRow(cmdButtons);
    connect(cmdButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(cmdButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // A period whose end comes before its start holds nothing: the other date follows.
    connect(dtpFrom, &QDateEdit::dateChanged, this, [this](QDate from) {
        if (dtpTo->date() < from)
            dtpTo->setDate(from);
    });
    connect(dtpTo, &QDateEdit::dateChanged, this, [this](QDate to) {
        if (dtpFrom->date() > to)
            dtpFrom->setDate(to);
    });
}

QDate frmChangesPeriod::From() const
{
    return dtpFrom->date();
}

QDate frmChangesPeriod::To() const
{
    return dtpTo->date();
}
