#pragma once

#include <QFont>
#include <QString>

// The fonts the drug-details windows are designed in, with the nearest fonts of like width to
// stand in where a desktop lacks them, so that the designed label sizes hold their captions.
// family: "Arial", "Tahoma" or "MS Sans Serif".
QFont DesignFont(const QString& family, qreal pointSize, bool bold = false);

class QLabel;

// Widens a label whose caption, in the font that stands in, is wider than its designed size.
void HoldCaption(QLabel* label);
