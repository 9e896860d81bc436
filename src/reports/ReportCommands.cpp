#include "reports/ReportCommands.h"

#include "app/mdlPharvel.h"
#include "platform/db/PharvelError.h"
#include "platform/db/ServerProcedures.h"
#include "platform/user/clsCurrentUser.h"
#include "reports/ScreenPointer.h"
#include "reports/frmChangesPeriod.h"
#include "reports/frmView.h"

#include <QLabel>

namespace {

SQLConnection& UserConnection(const QString& source)
{
    SQLConnection* connection =
        mdlPharvel::objCurrentUser ? mdlPharvel::objCurrentUser->SQLConnection() : nullptr;
    if (!connection)
        throw PharvelError(ErrorNumber::ConnectionFailed,
                           ReportCommands::tr("There is no connection to the server."), source);
    return *connection;
}

// The text is drawn at once: the procedures run without the event loop.
void SetStatus(QLabel& statusPanel, const QString& text)
{
    statusPanel.setText(text);
    statusPanel.repaint();
}

} // namespace

frmView& ReportCommands::Viewer(QWidget& mainWindow)
{
    if (auto* viewer = mainWindow.findChild<frmView*>(QString(), Qt::FindDirectChildrenOnly))
        return *viewer;
    return *new frmView(&mainWindow);
}

namespace {
// Prepares the report's data on the user's connection with the busy pointer, then shows the rows
// of that preparation.
template <typename Prepare>
void prepareAndShow(frmView& viewer, qint16 whatReport, const QString& errorSource,
                    Prepare&& prepare)
{
    try {
        ScreenPointer::SetBusy();
        const ReportPreparation::Id preparation = prepare(UserConnection(errorSource));
        viewer.SetWhatReport(whatReport);
        viewer.SetPreparation(preparation);
        viewer.Show();
        ScreenPointer::SetNormal();
    } catch (const PharvelError& error) {
        // The status text stays, to say where it failed; the pointer does not stay busy.
        ScreenPointer::SetNormal();
        throw error.WithSource(errorSource);
    }
}
} // namespace

void ReportCommands::PrepareAndView(QLabel& statusPanel, frmView& viewer, qint16 whatReport,
                                    const QString& errorSource)
{
    prepareAndShow(viewer, whatReport, errorSource, [&](SQLConnection& connection) {
        SetStatus(statusPanel, tr("Gathering Report Information..."));
        const ReportPreparation::Id preparation = ServerProcedures::Pharvel_NodeLevel(connection);
        SetStatus(statusPanel, tr("Generating Report..."));
        ServerProcedures::Pharvel_Generate(connection, preparation);
        SetStatus(statusPanel, QString());
        return preparation;
    });
}

void ReportCommands::ChangesAndView(QWidget& mainWindow, QLabel& statusPanel, frmView& viewer,
                                    const QString& errorSource)
{
    frmChangesPeriod period(&mainWindow);
    if (period.exec() != QDialog::Accepted)
        return;
    prepareAndShow(viewer, 4, errorSource, [&](SQLConnection& connection) {
        SetStatus(statusPanel, tr("Gathering Report Information..."));
        const ReportPreparation::Id preparation =
            ServerProcedures::Pharvel_Changes(connection, period.From(), period.To());
        SetStatus(statusPanel, QString());
        return preparation;
    });
}

void ReportCommands::View(frmView& viewer, qint16 whatReport,
                          std::optional<ReportPreparation::Id> preparation)
{
    viewer.SetWhatReport(whatReport);
    viewer.SetPreparation(preparation);
    viewer.Show();
}
