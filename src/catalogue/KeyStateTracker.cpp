#include "catalogue/KeyStateTracker.h"

#include "catalogue/KeyStatePanel.h"
#include "catalogue/LockKeyState.h"

#include <QCoreApplication>
#include <QKeyEvent>

KeyStateTracker::KeyStateTracker(KeyStatePanel* insert, KeyStatePanel* caps, KeyStatePanel* num,
                                 QObject* parent)
    : QObject(parent), m_insert(insert), m_caps(caps), m_num(num)
{
    QCoreApplication::instance()->installEventFilter(this);
    Refresh();
}

KeyStateTracker::~KeyStateTracker()
{
    QCoreApplication::instance()->removeEventFilter(this);
}

void KeyStateTracker::Refresh()
{
    if (const std::optional<bool> caps = LockKeyState::CapsLock())
        m_caps->SetOn(*caps);
    if (const std::optional<bool> num = LockKeyState::NumLock())
        m_num->SetOn(*num);
}

bool KeyStateTracker::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::ApplicationActivate) {
        Refresh();
    } else if ((type == QEvent::KeyPress || type == QEvent::KeyRelease) &&
               watched->isWindowType()) {
        // Every key reaches its window first and then the widgets on its way up; it is counted
        // once, at the window.
        const auto* key = static_cast<const QKeyEvent*>(event);
        if (type == QEvent::KeyPress && !key->isAutoRepeat()) {
            switch (key->key()) {
            case Qt::Key_Insert:
                m_insert->SetOn(!m_insert->IsOn());
                break;
            case Qt::Key_CapsLock:
                m_caps->SetOn(!m_caps->IsOn());
                break;
            case Qt::Key_NumLock:
                m_num->SetOn(!m_num->IsOn());
                break;
            default:
                break;
            }
        }
        Refresh();
    }
    return false;
}
