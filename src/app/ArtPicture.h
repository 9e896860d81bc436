#pragma once

#include <QPixmap>
#include <QSize>
#include <QString>

// The program's own artwork, kept as drawings under :/art/ and drawn at whatever size and pixel
// density the screen needs, so that pictures stay crisp on a high-dpi screen.
namespace ArtPicture {

// The resource path of a drawing: "capsule" gives ":/art/capsule.svg".
QString Path(const QString& name);

// The drawing at size (logical pixels), for a screen of devicePixelRatio. A missing drawing
// gives a transparent picture of that size.
QPixmap Render(const QString& name, QSize size, qreal devicePixelRatio);

// The same for the application's screens (the highest pixel density among them).
QPixmap Render(const QString& name, QSize size);

} // namespace ArtPicture
