#include "reports/frmView.h"

#include "app/ArtPicture.h"
#include "app/mdlPharvel.h"
#include "platform/FileSystemObject.h"
#include "platform/db/ConnectionString.h"
#include "platform/db/PharvelError.h"
#include "platform/report/Application.h"
#include "platform/report/Report.h"
#include "platform/report/ReportErrorNumber.h"
#include "platform/report/ReportViewer.h"
#include "platform/user/clsCurrentUser.h"
#include "platform/widgets/ErrorHandler.h"
#include "platform/widgets/MsgBox.h"
#include "platform/widgets/Twips.h"
#include "reports/CommonDialog.h"
#include "reports/DefaultExportFile.h"
#include "reports/ScreenPointer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>

namespace {

const QString kSource = QStringLiteral("frmView.Form_Load");

// The client area as the window is designed, in twips.
constexpr int kDesignClientWidth = 11910;
constexpr int kDesignClientHeight = 7920;
// The viewer's toolbar row reaches down to where the panel of "&More" opens.
constexpr int kToolbarRowHeight = 810;

// The report file of each report number, in the program's own folder.
QString ReportFileName(qint16 whatReport)
{
    switch (whatReport) {
    case 1:
        return QStringLiteral("PharvelStructure.rpt");
    case 2:
        return QStringLiteral("DrugsWithNoGeneric.rpt");
    case 3:
        return QStringLiteral("PharvelReportWithOtherDetails.rpt");
    case 4:
        return QStringLiteral("CatalogueChanges.rpt");
    case 5:
        return QStringLiteral("Formulary.rpt");
    default:
        return {};
    }
}

const Corvida_User::clsCurrentUser& CurrentUser()
{
    if (!mdlPharvel::objCurrentUser || !mdlPharvel::objCurrentUser->Connected())
        throw PharvelError(ErrorNumber::ConnectionFailed,
                           QCoreApplication::translate("frmView", "Nobody is logged in."), kSource);
    return *mdlPharvel::objCurrentUser;
}

const Scripting::FileSystemObject& FileSystem()
{
    if (!mdlPharvel::objFileSystem)
        throw PharvelError(
            ErrorNumber::ComponentNotFound,
            QCoreApplication::translate("frmView", "There is no file-system object."), kSource);
    return *mdlPharvel::objFileSystem;
}

} // namespace

frmView::frmView(QWidget* parent)
    : QDialog(parent), CRViewer1(new ReportViewer(this)),
      cmdPrint(new QPushButton(tr("&Print"), this)), cmdMore(new QPushButton(tr("&More"), this)),
      pctMore(new QFrame(this))
{
    setObjectName(QStringLiteral("frmView"));
    setWindowTitle(tr("Drug Pharvel"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(true);
    CRViewer1->setObjectName(QStringLiteral("CRViewer1"));
    CRViewer1->ToolBar()->setFixedHeight(Twips::ToPixels(kToolbarRowHeight, this));

    cmdPrint->setObjectName(QStringLiteral("cmdPrint"));
    cmdPrint->setGeometry(TwipsRect(810, 360, 960, 330, this));
    cmdMore->setObjectName(QStringLiteral("cmdMore"));
    cmdMore->setGeometry(TwipsRect(1755, 360, 960, 330, this));
    for (QPushButton* button : {cmdPrint, cmdMore})
        button->setAutoDefault(false);

    pctMore->setObjectName(QStringLiteral("pctMore"));
    pctMore->setGeometry(TwipsRect(1845, 810, 3435, 2265, this));
    pctMore->setFrameStyle(QFrame::Panel | QFrame::Raised);
    pctMore->setAutoFillBackground(true);
    pctMore->setBackgroundRole(QPalette::Window);
    imgPrint = ImageButton(QStringLiteral("report-print"), 90, 90);
    Label1 = PanelLabel(tr("Print report without closing the report window"), 765, 180);
    imgExcel = ImageButton(QStringLiteral("report-excel"), 90, 765);
    Label2 = PanelLabel(tr("Export Report to Microsoft Excel Document"), 765, 855);
    imgRTF = ImageButton(QStringLiteral("report-rtf"), 90, 1440);
    Label3 = PanelLabel(tr("Export Report to Rich Text Format"), 780, 1530);
    imgPrint->setObjectName(QStringLiteral("imgPrint"));
    imgExcel->setObjectName(QStringLiteral("imgExcel"));
    imgRTF->setObjectName(QStringLiteral("imgRTF"));
    dlgOpen = new CommonDialog(pctMore);
    dlgOpen->setObjectName(QStringLiteral("dlgOpen"));

    // The buttons and the panel lie over the viewer, the panel over the buttons' row.
    cmdPrint->raise();
    cmdMore->raise();
    pctMore->raise();
    setTabOrder(cmdMore, cmdPrint);

    connectGuarded(cmdMore, &QPushButton::clicked, this, &frmView::cmdMore_Click);
    connectGuarded(cmdPrint, &QPushButton::clicked, this, &frmView::cmdPrint_Click);
    connectGuarded(imgPrint, &QToolButton::clicked, this, &frmView::imgPrint_Click);
    connectGuarded(imgExcel, &QToolButton::clicked, this, &frmView::imgExcel_Click);
    connectGuarded(imgRTF, &QToolButton::clicked, this, &frmView::imgRTF_Click);

    resize(DesignSize());
}

QSize frmView::DesignSize() const
{
    return TwipsRect(0, 0, kDesignClientWidth, kDesignClientHeight, this).size();
}

frmView::~frmView() = default;

QToolButton* frmView::ImageButton(const QString& picture, int left, int top)
{
    auto* button = new QToolButton(pctMore);
    const QRect place = TwipsRect(left, top, 600, 600, this);
    button->setGeometry(place);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setCursor(Qt::PointingHandCursor);
    button->setIconSize(place.size());
    button->setIcon(ArtPicture::Render(picture, place.size()));
    return button;
}

QLabel* frmView::PanelLabel(const QString& text, int left, int top)
{
    auto* label = new QLabel(text, pctMore);
    label->setGeometry(TwipsRect(left, top, 2265, 510, this));
    // The labels' type as the panel was drawn for: two lines of 8-point Arial in each box.
    label->setFont(QFont(QStringLiteral("Arial"), 8));
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

void frmView::Show()
{
    try {
        Form_Load();
    } catch (...) {
        Form_Unload();
        throw;
    }
    exec();
}

void frmView::Form_Load()
{
    ScreenPointer::SetBusy();
    // The pointer is normal again when the load ends, also when it fails: a failed report must
    // not leave the whole program showing the busy pointer.
    const auto normalPointer = qScopeGuard([] { ScreenPointer::SetNormal(); });

    // Each opening starts afresh: the window at its designed size, the panel closed, the first
    // page at its natural size.
    resize(DesignSize());
    pctMore->hide();
    CRViewer1->SetZoom(1);

    const QString fileName = ReportFileName(m_whatReport);
    if (fileName.isEmpty())
        throw PharvelError(ErrorNumber::ReportFileInvalid,
                           tr("There is no report number %1.").arg(m_whatReport), kSource);
    const QString path = QCoreApplication::applicationDirPath() + QLatin1Char('/') + fileName;
    OpenReport(path);
    LogOnTables();
    CRViewer1->SetReportSource(m_report);
    CRViewer1->ViewReport();

    OfferExport(DefaultExportFile::Path(FileSystem(), path, m_report->PrintDate()));

    if (const QScreen* where = screen())
        move(where->availableGeometry().topLeft());
}

void frmView::OpenReport(const QString& path)
{
    if (!m_application)
        m_application = std::make_unique<ReportEngine::Application>();
    m_report = m_application->OpenReport(path);
    // The first text property carries the hospital's company, the second its address line.
    QList<ReportEngine::FormulaField>& texts = m_report->FormulaFields();
    if (texts.size() < 2)
        throw PharvelError(
            ErrorNumber::ReportFileInvalid,
            tr("The report %1 has no texts for the hospital's name and address.").arg(path),
            kSource);
    texts[0].SetText(mdlPharvel::Hospital.strCompany);
    texts[1].SetText(mdlPharvel::Hospital.strAddress1);
}

void frmView::LogOnTables()
{
    const Corvida_User::clsCurrentUser& user = CurrentUser();
    // The engine reaches a server through its connection string: the current user's, with the
    // password left to the log-on.
    const QString server =
        ConnectionString::Parse(user.connectionstr()).WithCredentials(user.userid(), QString());
    const QString database = QStringLiteral("Inventory");
    for (const auto& table : m_report->Database().Tables()) {
        // Whatever database the file names, the table is read from Inventory with the same
        // owner and name.
        const QString location = table->Location();
        table->SetLocation(database + location.mid(location.indexOf(QLatin1Char('.'))));
        table->SetLogOnInfo(server, database, user.userid(), user.serverpassword());
        if (m_preparation)
            table->SetSelection(ReportPreparation::kColumn, *m_preparation);
    }
}

void frmView::OfferExport(const QString& path)
{
    if (MsgBox::Show(tr("Do you wish to export the report?"), MsgBox::Icon::None,
                     MsgBox::Buttons::YesNo, tr("Export Report to Disk")) != MsgBox::Answer::Yes)
        return;
    // A fresh account has no documents folder yet; the report goes there all the same.
    DefaultExportFile::MakePlatformFolder(path);
    ExportTo(DefaultExportFile::FirstFree(path), ReportEngine::ExportFormatType::Excel80);
}

void frmView::ExportTo(const QString& path, ReportEngine::ExportFormatType format)
{
    try {
        const QString folder = QFileInfo(path).absolutePath();
        if (!QFileInfo(folder).isDir())
            throw PharvelError(
                ErrorNumber::ReportExportFailed,
                tr("The folder %1 does not exist.").arg(QDir::toNativeSeparators(folder)),
                QStringLiteral("frmView.ExportTo"));
        ReportEngine::ExportOptions& options = m_report->ExportOptions();
        options.Reset();
        options.SetFormatType(format);
        options.SetDestinationType(ReportEngine::ExportDestinationType::DiskFile);
        options.SetDiskFileName(path);
        m_report->Export(false);
    } catch (const PharvelError& error) {
        // The report stays on the screen; the user learns why no file was written.
        MsgBox::Show(
            tr("The report could not be exported to %1.").arg(QDir::toNativeSeparators(path)) +
                QLatin1Char('\n') + error.Description(),
            MsgBox::Icon::Exclamation);
        return;
    }
    MsgBox::Show(tr("Report was successfully exported to ") + path, MsgBox::Icon::Information,
                 MsgBox::Buttons::OK, tr("Information"));
}

void frmView::Form_Resize()
{
    CRViewer1->setGeometry(0, 0, width(), height());
}

void frmView::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    Guarded([this] { Form_Resize(); });
}

void frmView::cmdMore_Click()
{
    pctMore->setVisible(!pctMore->isVisible());
}

void frmView::imgPrint_Click()
{
    CRViewer1->PrintReport();
}

void frmView::cmdPrint_Click()
{
    CRViewer1->PrintReport();
    close();
}

void frmView::imgExcel_Click()
{
    ExportAs(tr("Microsof Excel (*.xls)|*.xls"), ReportEngine::ExportFormatType::Excel80);
}

void frmView::imgRTF_Click()
{
    ExportAs(tr("Rich Text Format (*.rtf)|*.rtf"), ReportEngine::ExportFormatType::RichText);
}

void frmView::ExportAs(const QString& filter, ReportEngine::ExportFormatType format)
{
    dlgOpen->SetFilter(filter);
    const QString path = dlgOpen->ShowSave();
    if (path.isEmpty() || !m_report)
        return;
    ExportTo(path, format);
}

void frmView::done(int result)
{
    Form_Unload();
    QDialog::done(result);
}

void frmView::Form_Unload()
{
    CRViewer1->SetReportSource(nullptr);
    m_report.reset();
    m_application.reset();
}
