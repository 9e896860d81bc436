#include "app/StretchedPicture.h"

#include "app/ArtPicture.h"

#include <QPainter>

StretchedPicture::StretchedPicture(const QString& artName, QWidget* parent)
    : QWidget(parent), m_drawing(ArtPicture::Path(artName))
{
    m_drawing.setAspectRatioMode(Qt::IgnoreAspectRatio);
}

void StretchedPicture::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    m_drawing.render(&painter, QRectF(rect()));
}
