#include "catalogue/frmAbout.h"

#include "app/mdlPharvel.h"
#include "platform/db/SQLConnection.h"
#include "platform/db/Schema.h"
#include "platform/user/AccountStore.h"
#include "platform/user/clsCurrentUser.h"
#include "platform/widgets/ErrorHandler.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

QLabel* Paragraph(QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    return label;
}

QString DatabaseText(SQLConnection& connection)
{
    const ConnectionString& target = connection.Target();
    const QString place =
        target.engine == ConnectionString::Engine::SQLite
            ? frmAbout::tr("Database: the folder %1 (SQLite, embedded)").arg(target.folder)
            : frmAbout::tr("Database: %1 on the server %2, port %3 (PostgreSQL)")
                  .arg(target.database,
                       target.host.isEmpty() ? QStringLiteral("localhost") : target.host)
                  .arg(target.port);
    return place + QLatin1Char('\n') +
           frmAbout::tr("Schema version: %1").arg(Schema::CurrentVersion(connection));
}

QString UserText(const Corvida_User::clsCurrentUser& user)
{
    const QString who = frmAbout::tr("Signed in as %1 (%2).").arg(user.userid(), user.Initial()) +
                        QLatin1Char('\n');
    if (user.UserRights() == AccountStore::kViewOnlyRights) {
        return who + frmAbout::tr("This account may look at the catalogue, find entries and "
                                  "prepare reports. It may not change the catalogue, so the "
                                  "toolbar and the commands that add, delete, rename or file "
                                  "entries are off. The pharmacy's administrator can give you "
                                  "a pharmacist's account.");
    }
    return who + frmAbout::tr("This account may look at and change the catalogue.");
}

} // namespace

frmAbout::frmAbout(QWidget* parent)
    : QDialog(parent), lblProgram(Paragraph(this)), lblLicence(Paragraph(this)),
      lblDatabase(Paragraph(this)), lblUser(Paragraph(this))
{
    setWindowTitle(tr("About Pharvel"));
    QFont title = lblProgram->font();
    title.setBold(true);
    title.setPointSizeF(title.pointSizeF() * 1.3);
    lblProgram->setFont(title);
    lblLicence->setText(
        tr("Pharvel keeps a hospital pharmacy's drug catalogue.\n"
           "Copyright 2026 Pharvel developers.\n"
           "Pharvel is free software: you can redistribute it and/or modify it under the terms "
           "of the GNU General Public License as published by the Free Software Foundation, "
           "either version 3 of the License, or (at your option) any later version "
           "(GPL-3.0-or-later). It comes with ABSOLUTELY NO WARRANTY."));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    for (QLabel* label : {lblProgram, lblLicence, lblDatabase, lblUser})
        layout->addWidget(label);
    layout->addWidget(buttons);
    // Wide enough for the licence to read as a paragraph, not a column, and never shorter than
    // the paragraphs at the width it has.
    for (QLabel* label : {lblLicence, lblDatabase, lblUser})
        label->setMinimumWidth(fontMetrics().averageCharWidth() * 64);
    layout->setSizeConstraint(QLayout::SetMinimumSize);
}

void frmAbout::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        Guarded([this] { Form_Load(); });
    QDialog::showEvent(event);
}

void frmAbout::Form_Load()
{
    lblProgram->setText(tr("Pharvel %1").arg(QStringLiteral(PHARVEL_VERSION)));
    const Corvida_User::clsCurrentUser& user = *mdlPharvel::objCurrentUser;
    lblUser->setText(UserText(user));
    lblDatabase->setText(DatabaseText(*user.SQLConnection()));
    // A wrapped paragraph asks for its height only at a width; at its narrowest it needs most.
    for (QLabel* label : {lblLicence, lblDatabase, lblUser})
        label->setMinimumHeight(label->heightForWidth(label->minimumWidth()));
    adjustSize();
}
