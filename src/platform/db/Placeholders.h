#pragma once

#include <QString>
#include <QStringList>

// "?,?,?": the bound values of a VALUES row or an IN list of count values.
inline QString Placeholders(qsizetype count)
{
    return QStringList(count, QStringLiteral("?")).join(QLatin1Char(','));
}
