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

void MakePlatformFolder(const QString& path)
{
    const QString folder = QFileInfo(path).absolutePath();
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QDir(folder) == QDir(documents) && !QFileInfo(folder).isDir())
        QDir().mkpath(folder);
}

} // namespace DefaultExportFile
