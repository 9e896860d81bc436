#include "catalogue/ManualPage.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

QString ManualPage::InstalledFile()
{
    const QString page = QDir(QCoreApplication::applicationDirPath())
                             .absoluteFilePath(QStringLiteral("../../share/man/man1/pharvel.1.gz"));
    return QFileInfo::exists(page) ? QDir::cleanPath(page) : QString();
}

bool ManualPage::Open()
{
    return QDesktopServices::openUrl(QUrl(QStringLiteral("man:pharvel(1)")));
}
