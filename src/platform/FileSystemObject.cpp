#include "platform/FileSystemObject.h"

#include <QDir>

namespace Scripting {

namespace {

bool isSeparator(QChar c)
{
    return c == QLatin1Char('/') || c == QLatin1Char('\\');
}

} // namespace

FileSystemObject::FileSystemObject(QObject* parent) : QObject(parent) {}

QString FileSystemObject::BuildPath(const QString& path, const QString& name) const
{
    if (path.isEmpty())
        return name;
    if (name.isEmpty())
        return path;
    qsizetype pathEnd = path.size();
    while (pathEnd > 0 && isSeparator(path.at(pathEnd - 1)))
        --pathEnd;
    qsizetype nameStart = 0;
    while (nameStart < name.size() && isSeparator(name.at(nameStart)))
        ++nameStart;
    return path.left(pathEnd) + QDir::separator() + name.mid(nameStart);
}

QString FileSystemObject::GetBaseName(const QString& path) const
{
    qsizetype end = path.size();
    while (end > 0 && isSeparator(path.at(end - 1)))
        --end;
    qsizetype start = end;
    while (start > 0 && !isSeparator(path.at(start - 1)))
        --start;
    const QString fileName = path.mid(start, end - start);
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? fileName : fileName.left(dot);
}

} // namespace Scripting
