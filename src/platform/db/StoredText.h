#pragma once

#include <QString>
#include <QVariant>

// The text of a column as stored: NULL stays a null text, an empty text stays empty.
inline QString StoredText(const QVariant& value)
{
    if (value.isNull())
        return {};
    const QString text = value.toString();
    return text.isNull() ? QStringLiteral("") : text;
}

// The value to bind for a text whose emptiness means "none": NULL for an empty text.
inline QVariant NullIfEmpty(const QString& text)
{
    return text.isEmpty() ? QVariant(QString()) : QVariant(text);
}
