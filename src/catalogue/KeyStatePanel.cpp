#include "catalogue/KeyStatePanel.h"

KeyStatePanel::KeyStatePanel(const QString& keyName, QWidget* parent) : QLabel(keyName, parent)
{
    setAlignment(Qt::AlignCenter);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("CAPS")) + 16);
    setEnabled(false);
}

void KeyStatePanel::SetOn(bool on)
{
    m_on = on;
    // A disabled label draws its text in the palette's greyed colour.
    setEnabled(on);
}
