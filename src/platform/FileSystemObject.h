#pragma once

#include <QObject>
#include <QString>

namespace Scripting {

// The file-system object ("Scripting.FileSystemObject"): path helpers of the report export.
class FileSystemObject : public QObject
{
    Q_OBJECT

public:
    explicit FileSystemObject(QObject* parent = nullptr);

    // path and name joined by exactly one separator, a backslash when path is written with
    // backslashes only and '/' otherwise; either alone when the other is empty.
    QString BuildPath(const QString& path, const QString& name) const;
    // The last component of path without its extension: "C:\\rep\\PharvelStructure.rpt" and
    // "/rep/PharvelStructure.rpt" both give "PharvelStructure". '/' and '\\' both separate.
    QString GetBaseName(const QString& path) const;
};

} // namespace Scripting
