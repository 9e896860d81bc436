#include "platform/widgets/MsgBox.h"

#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>

namespace {

MsgBox::Handler& installedHandler()
{
    static MsgBox::Handler handler;
    return handler;
}

QMessageBox::Icon boxIcon(MsgBox::Icon icon)
{
    switch (icon) {
    case MsgBox::Icon::Critical:
        return QMessageBox::Critical;
    case MsgBox::Icon::Question:
        return QMessageBox::Question;
    case MsgBox::Icon::Exclamation:
        return QMessageBox::Warning;
    case MsgBox::Icon::Information:
        break;
    case MsgBox::Icon::None:
        return QMessageBox::NoIcon;
    }
    return QMessageBox::Information;
}

QMessageBox::StandardButtons boxButtons(MsgBox::Buttons buttons)
{
    switch (buttons) {
    case MsgBox::Buttons::OK:
        break;
    case MsgBox::Buttons::OKCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgBox::Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MsgBox::Buttons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MsgBox::Buttons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

// A box closed without a button gives the answer of its escape button.
MsgBox::Answer closedAnswer(MsgBox::Buttons buttons)
{
    switch (buttons) {
    case MsgBox::Buttons::OK:
        return MsgBox::Answer::Ok;
    case MsgBox::Buttons::YesNo:
        return MsgBox::Answer::No;
    case MsgBox::Buttons::OKCancel:
    case MsgBox::Buttons::YesNoCancel:
    case MsgBox::Buttons::RetryCancel:
        break;
    }
    return MsgBox::Answer::Cancel;
}

// The window a message belongs over: the modal window that is up, else the active window, else
// the main window. The active window is briefly none after a progress window closes, and a box
// without a window would stand in the middle of the screen.
QWidget* ownerWindow()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget* active = QApplication::activeWindow())
        return active;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && qobject_cast<QMainWindow*>(window))
            return window;
    }
    return nullptr;
}

} // namespace

MsgBox::Answer MsgBox::Show(const QString& text, Icon icon, Buttons buttons, const QString& title)
{
    const Message message{text, icon, buttons, title};
    if (const Handler& handler = installedHandler())
        return handler(message);
    return ShowBox(message);
}

QString MsgBox::ApplicationTitle()
{
    return QCoreApplication::translate("MsgBox", "prjPharvel");
}

void MsgBox::SetHandler(Handler handler)
{
    installedHandler() = std::move(handler);
}

MsgBox::Answer MsgBox::ShowBox(const Message& message)
{
    QMessageBox box(boxIcon(message.icon), message.title, message.text, boxButtons(message.buttons),
                    ownerWindow());
    switch (box.exec()) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Retry:
        return Answer::Retry;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    default:
        return closedAnswer(message.buttons);
    }
}

ScopedMsgBoxHandler::ScopedMsgBoxHandler(MsgBox::Handler handler)
    : m_previous(std::exchange(installedHandler(), std::move(handler)))
{}

ScopedMsgBoxHandler::~ScopedMsgBoxHandler()
{
    installedHandler() = std::move(m_previous);
}
