#include "ReportBench.h"

#include "BenchTiming.h"
#include "app/mdlPharvel.h"
#include "platform/FileSystemObject.h"
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

ReportFigures MeasureStructureReport(const QString& target, const QString& userId,
                                     const QString& password)
{
    mdlPharvel::objCurrentUser = std::make_unique<Corvida_User::clsCurrentUser>();
    mdlPharvel::objCurrentUser->SetPasswordDeptCode(AccountStore::kPharmacyDeptCode);
    mdlPharvel::objCurrentUser->Login(target, userId, password);
    if (!mdlPharvel::objFileSystem)
        mdlPharvel::objFileSystem = std::make_unique<Scripting::FileSystemObject>();
    const ScopedMsgBoxHandler noExport([](const MsgBox::Message&) { return MsgBox::Answer::No; });

    QWidget mainWindow;
    QLabel status(&mainWindow);
    frmView& view = ReportCommands::Viewer(mainWindow);
    QTemporaryDir folder;
    ReportFigures figures;
    QElapsedTimer timer;
    QString failure;
    // Runs in the viewer's own event loop, once it is shown; nothing may escape into that loop.
    QTimer::singleShot(0, &view, [&] {
        try {
            view.CRViewer1->repaint();
            figures.firstPageMs = Milliseconds(timer);
            figures.pages = view.CRViewer1->PageCount();
            figures.records = view.Report()->Content().RecordCount();
            figures.xlsExportMs = TimeExport(view, folder.filePath(QStringLiteral("structure.xls")),
                                             &frmView::imgExcel_Click);
            figures.rtfExportMs = TimeExport(view, folder.filePath(QStringLiteral("structure.rtf")),
                                             &frmView::imgRTF_Click);
        } catch (const std::exception& error) {
            failure = QString::fromLocal8Bit(error.what());
        }
        view.close();
    });
    timer.start();
    ReportCommands::PrepareAndView(status, view, 1, QStringLiteral("ReportBench"));
    if (!failure.isEmpty())
        throw std::runtime_error(failure.toStdString());
    mdlPharvel::objCurrentUser.reset();
    return figures;
}

} // namespace ReportBench
