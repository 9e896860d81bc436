#pragma once

#include <QRect>

class QWidget;

// Window geometry is kept in twips, 1/1440 inch: 15 twips a pixel on a 96-dpi screen, 7.5 at
// 192 dpi. Conversions go through the logical dpi of the widget's screen (the primary screen
// when no widget is given), rounding to the nearest whole pixel or twip.
namespace Twips {

inline constexpr int PerInch = 1440;

qreal LogicalDpi(const QWidget* widget = nullptr);
qreal PerPixel(qreal dpi);

int ToPixels(int twips, qreal dpi);
int FromPixels(int pixels, qreal dpi);
int ToPixels(int twips, const QWidget* widget);
int FromPixels(int pixels, const QWidget* widget);

} // namespace Twips

// A rectangle given as left, top, width and height in twips, in pixels for the widget's screen.
QRect TwipsRect(int left, int top, int width, int height, const QWidget* widget = nullptr);
QRect TwipsRect(int left, int top, int width, int height, qreal dpi);
