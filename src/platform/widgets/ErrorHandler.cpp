#include "platform/widgets/ErrorHandler.h"

#include "platform/widgets/MsgBox.h"

#include <QCoreApplication>

QString ErrorText(const PharvelError& error)
{
    return QCoreApplication::translate("ErrorHandler", "%1\n\nSource: %2")
        .arg(error.Description(), error.Source());
}

void ReportError(const PharvelError& error)
{
    MsgBox::Show(ErrorText(error), MsgBox::Icon::Critical, MsgBox::Buttons::OK);
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
