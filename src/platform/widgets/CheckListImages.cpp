#include "platform/widgets/CheckListImages.h"

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int Side = 14;
// Drawn at twice the size so that the box stays crisp on a 2x screen.
constexpr qreal Scale = 2.0;

QPixmap checkBox(bool ticked)
{
    QPixmap picture(QSize(Side, Side) * Scale);
    picture.setDevicePixelRatio(Scale);
    picture.fill(Qt::transparent);

    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box(1.5, 1.5, Side - 3, Side - 3);
    painter.setPen(QPen(QColor(64, 64, 64), 1.0));
    painter.setBrush(Qt::white);
    painter.drawRect(box);
    if (ticked) {
        QPainterPath tick;
        tick.moveTo(3.8, 7.2);
        tick.lineTo(6.0, 9.6);
        tick.lineTo(10.4, 4.2);
        painter.setPen(QPen(Qt::black, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(tick);
    }
    return picture;
}

} // namespace

CheckListImages::CheckListImages(QObject* parent) : ImageList(QSize(Side, Side), parent)
{
    Add(QStringLiteral("ticked"), checkBox(true));
    Add(QStringLiteral("empty"), checkBox(false));
}
