#include "platform/widgets/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace Twips {

qreal LogicalDpi(const QWidget* widget)
{
    if (widget)
        return widget->logicalDpiX();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        return screen->logicalDotsPerInchX();
    return 96.0;
}

qreal PerPixel(qreal dpi)
{
    return PerInch / dpi;
}

int ToPixels(int twips, qreal dpi)
{
    return static_cast<int>(std::lround(twips * dpi / PerInch));
}

int FromPixels(int pixels, qreal dpi)
{
    return static_cast<int>(std::lround(pixels * PerPixel(dpi)));
}

int ToPixels(int twips, const QWidget* widget)
{
    return ToPixels(twips, LogicalDpi(widget));
}

int FromPixels(int pixels, const QWidget* widget)
{
    return FromPixels(pixels, LogicalDpi(widget));
}

} // namespace Twips

QRect TwipsRect(int left, int top, int width, int height, qreal dpi)
{
    return QRect(Twips::ToPixels(left, dpi), Twips::ToPixels(top, dpi), Twips::ToPixels(width, dpi),
                 Twips::ToPixels(height, dpi));
}

QRect TwipsRect(int left, int top, int width, int height, const QWidget* widget)
{
    return TwipsRect(left, top, width, height, Twips::LogicalDpi(widget));
}
