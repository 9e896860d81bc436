#include "app/ArtPicture.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QSvgRenderer>
#include <algorithm>

namespace ArtPicture {

QString Path(const QString& name)
{
    return QStringLiteral(":/art/%1.svg").arg(name);
}

QPixmap Render(const QString& name, QSize size, qreal devicePixelRatio)
{
    QPixmap picture(size * devicePixelRatio);
    picture.setDevicePixelRatio(devicePixelRatio);
    picture.fill(Qt::transparent);
    QSvgRenderer drawing(Path(name));
    if (drawing.isValid()) {
        QPainter painter(&picture);
        drawing.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    }
    return picture;
}

QPixmap Render(const QString& name, QSize size)
{
    qreal ratio = 1.0;
    for (const QScreen* screen : QGuiApplication::screens())
        ratio = std::max(ratio, screen->devicePixelRatio());
    return Render(name, size, ratio);
}

} // namespace ArtPicture
