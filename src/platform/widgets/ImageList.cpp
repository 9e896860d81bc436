#include "platform/widgets/ImageList.h"

#include "platform/db/PharvelError.h"
#include "platform/widgets/WidgetErrors.h"

ImageList::ImageList(QSize imageSize, QObject* parent) : QObject(parent), m_size(imageSize) {}

void ImageList::Add(const QString& key, const QPixmap& picture)
{
    if (!key.isEmpty() && m_keys.contains(key)) {
        throw PharvelError(ErrorNumber::KeyNotUnique, tr("Key is not unique in collection"),
                           QStringLiteral("ImageList.Add"));
    }
    m_pictures.append(picture);
    m_icons.append(QIcon(picture));
    m_keys.append(key);
}

QPixmap ImageList::Picture(const QString& key) const
{
    return Picture(key.isEmpty() ? 0 : static_cast<int>(m_keys.indexOf(key)) + 1);
}

QPixmap ImageList::Picture(int index) const
{
    return m_pictures.value(index - 1);
}

QIcon ImageList::Icon(const QString& key) const
{
    const qsizetype at = key.isEmpty() ? -1 : m_keys.indexOf(key);
    return at < 0 ? QIcon() : m_icons.at(at);
}
