#include "platform/widgets/UpperCaseTyping.h"

#include <QKeyEvent>
#include <QLineEdit>

UpperCaseTyping::UpperCaseTyping(QLineEdit* box) : QObject(box), m_box(box)
{
    box->installEventFilter(this);
}

bool UpperCaseTyping::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_box || event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    constexpr Qt::KeyboardModifiers commandKeys =
        Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    const QString typed = key->text();
    if (typed.isEmpty() || !typed.front().isPrint() || (key->modifiers() & commandKeys))
        return false;
    const QString upper = typed.toUpper();
    if (upper == typed)
        return false;
    m_box->insert(upper);
    return true;
}
