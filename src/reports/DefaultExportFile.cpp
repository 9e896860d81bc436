#include "reports/DefaultExportFile.h"

#include "platform/FileSystemObject.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace DefaultExportFile {

QString DocumentsFolder(const Scripting::FileSystemObject& fileSystem)
{
    const QString profile = qEnvironmentVariable("USERPROFILE");
    if (!profile.isEmpty())
        return fileSystem.BuildPath(profile, QStringLiteral("My Documents"));
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

QString Path(const Scripting::FileSystemObject& fileSystem, const QString& reportPath,
             const QDate& day)
{
    return fileSystem.BuildPath(DocumentsFolder(fileSystem),
                                fileSystem.GetBaseName(reportPath) + QLatin1Char('.') +
                                    day.toString(QStringLiteral("yyyy.MM.dd")) +
                                    QStringLiteral(".xls"));
}

QString FirstFree(const QString& path)
{
    const QFileInfo file(path);
    const QString stem = file.completeBaseName();
    const QString suffix = file.suffix().isEmpty() ? QString() : QLatin1Char('.') + file.suffix();
    QString candidate = path;
    for (int number = 2; QFileInfo::exists(candidate); ++number)
        candidate =
            file.dir().filePath(QStringLiteral("%1 (%2)%3").arg(stem).arg(number).arg(suffix));
    return candidate;
}

void MakePlatformFolder(const QString& path)
{
    const QString folder = QFileInfo(path).absolutePath();
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QDir(folder) == QDir(documents) && !QFileInfo(folder).isDir())
        QDir().mkpath(folder);
}

} // namespace DefaultExportFile
