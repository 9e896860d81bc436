#include "assign/FrameAccessKey.h"

#include <QEvent>
#include <QGroupBox>

FrameAccessKey::FrameAccessKey(QGroupBox* frame, QWidget* target) : QObject(frame), m_target(target)
{
    frame->installEventFilter(this);
}

bool FrameAccessKey::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != parent() || event->type() != QEvent::Shortcut)
        return false;
    m_target->setFocus(Qt::ShortcutFocusReason);
    return true;
}
