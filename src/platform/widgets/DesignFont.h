#pragma once

#include <QFont>
#include <QList>
#include <QString>

// The fonts the windows are designed in, with the nearest fonts of like width to
// stand in where a desktop lacks them, so that the designed label sizes hold their captions.
// family: "Arial", "Tahoma" or "MS Sans Serif".
QFont DesignFont(const QString& family, qreal pointSize, bool bold = false);

class QLabel;

// Widens a label whose caption, in the font that stands in, is wider than its designed size.
void HoldCaption(QLabel* label);

class QWidget;

// Makes the caption of a control (a button, an option) fit in the font that stands in: the
// control first grows to the right as far as room (an x in its parent; 0 for no growing), then
// its type is made smaller, half a point at a time down to 7 points, until the caption fits.
void FitCaption(QWidget* control, int room = 0);

// FitCaption for controls side by side in one parent (option buttons in a row): each keeps its
// designed place unless its left neighbour grew into it, and all shrink to one type size, so
// that sibling captions never show in different sizes. room is the x where the row must end.
void FitCaptionRow(const QList<QWidget*>& row, int room);
