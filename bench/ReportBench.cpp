#include "ReportBench.h"

#include "BenchTiming.h"
#include "app/mdlPharvel.h"
#include "platform/FileSystemObject.h"
#include "platform/db/Journal.h"
#include "platform/db/SQLConnection.h"
#include "platform/db/ScopedTransaction.h"
#include "platform/db/ServerProcedures.h"
#include "platform/report/Report.h"
#include "platform/report/ReportContent.h"
#include "platform/report/ReportViewer.h"
#include "platform/user/AccountStore.h"
#include "platform/user/clsCurrentUser.h"
#include "platform/widgets/MsgBox.h"
#include "reports/CommonDialog.h"
#include "reports/ReportCommands.h"
#include "reports/frmView.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <stdexcept>

namespace ReportBench {

namespace {

using BenchTiming::Milliseconds;

// The time an export through the image button takes, and that it wrote its file.
double TimeExport(frmView& view, const QString& path, void (frmView::*button)())
{
    const ScopedSaveDialogHandler dialog([&](const QString&) { return path; });
    QElapsedTimer timer;
    timer.start();
    (view.*button)();
    const double ms = Milliseconds(timer);
    if (!QFileInfo::exists(path))
        throw std::runtime_error("the report was not exported");
    return ms;
}

} // namespace

namespace {
// The catalogue's user logged in as the program logs in, for the length of one measurement.
class LoggedIn
{
public:
    LoggedIn(const QString& target, const QString& userId, const QString& password)
    {
        mdlPharvel::objCurrentUser = std::make_unique<Corvida_User::clsCurrentUser>();
        mdlPharvel::objCurrentUser->SetPasswordDeptCode(AccountStore::kPharmacyDeptCode);
        mdlPharvel::objCurrentUser->Login(target, userId, password);
        if (!mdlPharvel::objFileSystem)
            mdlPharvel::objFileSystem = std::make_unique<Scripting::FileSystemObject>();
    }
    ~LoggedIn() { mdlPharvel::objCurrentUser.reset(); }
    LoggedIn(const LoggedIn&) = delete;
    LoggedIn& operator=(const LoggedIn&) = delete;
};

// Runs command, which ends by showing the viewer, and measures from its start to the first page
// drawn; then runs inViewer in the viewer's own event loop before closing it.
template <typename Command, typename InViewer>
ReportFigures TimeFirstPage(Command&& command, InViewer&& inViewer)
{
    const ScopedMsgBoxHandler noExport([](const MsgBox::Message&) { return MsgBox::Answer::No; });
    QWidget mainWindow;
    QLabel status(&mainWindow);
    frmView& view = ReportCommands::Viewer(mainWindow);
    ReportFigures figures;
    QElapsedTimer timer;
    QString failure;
    // Nothing may escape into the viewer's event loop.
    QTimer::singleShot(0, &view, [&] {
        try {
            view.CRViewer1->repaint();
            figures.firstPageMs = Milliseconds(timer);
            figures.pages = view.CRViewer1->PageCount();
            figures.records = view.Report()->Content().RecordCount();
            inViewer(view, figures);
        } catch (const std::exception& error) {
            failure = QString::fromLocal8Bit(error.what());
        }
        view.close();
    });
    timer.start();
    command(status, view);
    if (!failure.isEmpty())
        throw std::runtime_error(failure.toStdString());
    return figures;
}
} // namespace

ReportFigures MeasureStructureReport(const QString& target, const QString& userId,
                                     const QString& password)
{
    const LoggedIn user(target, userId, password);
    // The command's own run then replaces this session's preparation, as a second one would.
    SQLConnection& connection = *mdlPharvel::objCurrentUser->SQLConnection();
    QElapsedTimer timer;
    timer.start();
    const ReportPreparation::Id preparation = ServerProcedures::Pharvel_NodeLevel(connection);
    const double nodeLevelMs = Milliseconds(timer);
    timer.start();
    ServerProcedures::Pharvel_Generate(connection, preparation);
    const double generateMs = Milliseconds(timer);
    QTemporaryDir folder;
    ReportFigures structure = TimeFirstPage(
        [](QLabel& status, frmView& view) {
            ReportCommands::PrepareAndView(status, view, 1, QStringLiteral("ReportBench"));
        },
        [&](frmView& view, ReportFigures& figures) {
            figures.xlsExportMs = TimeExport(view, folder.filePath(QStringLiteral("structure.xls")),
                                             &frmView::imgExcel_Click);
            figures.rtfExportMs = TimeExport(view, folder.filePath(QStringLiteral("structure.rtf")),
                                             &frmView::imgRTF_Click);
        });
    structure.nodeLevelMs = nodeLevelMs;
    structure.generateMs = generateMs;
    return structure;
}

ReportFigures MeasureChangesReport(const QString& target, const QString& userId,
                                   const QString& password, int journalRows)
{
    const LoggedIn user(target, userId, password);
    SQLConnection& connection = *mdlPharvel::objCurrentUser->SQLConnection();
    {
        // On a server a pharmacist's own journal rows are the server's to write, so the made-up
        // history is written as the database's owner, whose rows the program journals itself.
        const auto owner = SQLConnection::Open(target);
        ScopedTransaction transaction(*owner);
        Journal::Change moved;
        moved.action = Journal::Action::DrugMoved;
        moved.entryType = QStringLiteral("3");
        moved.oldParentKey = QStringLiteral("_1.1");
        moved.oldParentName = QStringLiteral("Generic A");
        moved.newParentKey = QStringLiteral("_1.2");
        moved.newParentName = QStringLiteral("Generic B");
        for (int row = 0; row < journalRows; ++row) {
            moved.entryId = row % 30000 + 1;
            moved.entryName = QStringLiteral("DRUG %1").arg(row);
            Journal::Record(*owner, moved);
        }
        transaction.Commit();
    }
    const QDate today = QDateTime::currentDateTimeUtc().date();
    // The command as the menu runs it once its period is chosen.
    return TimeFirstPage(
        [&](QLabel&, frmView& view) {
            ReportCommands::View(
                view, 4, ServerProcedures::Pharvel_Changes(connection, today.addDays(-29), today));
        },
        [](frmView&, ReportFigures&) {});
}

} // namespace ReportBench
