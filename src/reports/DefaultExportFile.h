#pragma once

#include <QDate>
#include <QString>

namespace Scripting {
class FileSystemObject;
}

// Where the report viewer offers to export a report: the user's documents folder, under the
// report's name and the day, "PharvelStructure.2024.01.31.xls".
namespace DefaultExportFile {

// USERPROFILE joined with "My Documents" when the variable is set. Without it the platform's
// own documents folder: the "C:\My Documents" of a desktop without profiles names no folder here.
QString DocumentsFolder(const Scripting::FileSystemObject& fileSystem);

// The documents folder joined with the report file's base name, the day as yyyy.MM.dd and
// ".xls"; the same report on the same day always gives the same path.
QString Path(const Scripting::FileSystemObject& fileSystem, const QString& reportPath,
             const QDate& day);

// The path itself when no file has that name yet; otherwise the first of "name (2).xls",
// "name (3).xls", ... that is free, so that a second export of the day never replaces the first,
// which the user may have edited since.
QString FirstFree(const QString& path);

// Makes the folder of path when it is the platform's own documents folder and a fresh account
// has none yet. A folder under USERPROFILE is the profile's and is left as it is.
void MakePlatformFolder(const QString& path);

} // namespace DefaultExportFile
