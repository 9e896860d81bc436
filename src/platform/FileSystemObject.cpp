#include "platform/FileSystemObject.h"

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
    // A folder written with backslashes ("C:\My Documents") goes on with backslashes.
    const QChar separator = path.contains(QLatin1Char('\\')) && !path.contains(QLatin1Char('/'))
                                ? QLatin1Char('\\')
                                : QLatin1Char('/');
    QString head = path;
    while (head.size() > 1 && isSeparator(head.back()))
        head.chop(1);
    qsizetype start = 0;
    while (start < name.size() && isSeparator(name.at(start)))
        ++start;
    if (isSeparator(head.back()))
        return head + name.mid(start);
    return head + separator + name.mid(start);
}

QString FileSystemObject::GetBaseName(const QString& path) const
{
    qsizetype end = path.size();
    while (end > 0 && isSeparator(path.at(end - 1)))
        --end;
    qsizetype start = end;
    while (start > 0 && !isSeparator(path.at(start - 1)))
        --start;
    const QString last = path.mid(start, end - start);
    const qsizetype dot = last.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? last.left(dot) : last;
}

} // namespace Scripting
