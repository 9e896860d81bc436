#include "platform/widgets/ErrorHandler.h"

#include "platform/widgets/MsgBox.h"

#include <QCoreApplication>
#include <QEvent>
#include <utility>

QString ErrorText(const PharvelError& error)
{
    return QCoreApplication::translate("ErrorHandler", "%1\n\nSource: %2")
        .arg(error.Description(), error.Source());
}

namespace {
void showCritical(const PharvelError& error)
{
    MsgBox::Show(ErrorText(error), MsgBox::Icon::Critical, MsgBox::Buttons::OK);
}

// One click runs several handlers (a node's load, then its search), and while the database
// cannot be reached each fails the same way: the user is told once an action, an action being
// what follows a press of a key or a mouse button.
class UnreachableToldOnce : public QObject
{
public:
    static void Report(const PharvelError& error)
    {
        static auto* instance = new UnreachableToldOnce(QCoreApplication::instance());
        if (std::exchange(instance->m_told, true))
            return;
        instance->m_showing = true;
        showCritical(error);
        instance->m_showing = false;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        // The press that closes the box is no new action.
        if (!m_showing && (type == QEvent::MouseButtonPress || type == QEvent::KeyPress ||
                           type == QEvent::MouseButtonDblClick || type == QEvent::Shortcut))
            m_told = false;
        return QObject::eventFilter(watched, event);
    }

private:
    explicit UnreachableToldOnce(QObject* application) : QObject(application)
    {
        if (application)
            application->installEventFilter(this);
    }

    bool m_told = false;
    bool m_showing = false;
};
} // namespace

void ReportError(const PharvelError& error)
{
    if (error.Number() == ErrorNumber::ConnectionFailed)
        UnreachableToldOnce::Report(error);
    else
        showCritical(error);
}

namespace ErrorHandlerDetail {

// An exception that is no PharvelError comes from the toolkit or the library, not from one of
// the system's procedures, so it is named as the application's own.
void ReportUnexpected(const std::exception& error)
{
    ReportError(PharvelError(0, QString::fromLocal8Bit(error.what()), MsgBox::ApplicationTitle()));
}

void ReportUnknown()
{
    ReportError(PharvelError(
        0, QCoreApplication::translate("ErrorHandler", "An unexpected error occurred."),
        MsgBox::ApplicationTitle()));
}

} // namespace ErrorHandlerDetail
