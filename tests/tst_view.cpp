#include "app/mdlPharvel.h"
#include "fixtures/LoggedInRun.h"
#include "fixtures/ModalWindowDriver.h"
#include "fixtures/SampleCatalogue.h"
#include "fixtures/TestDatabase.h"
#include "platform/FileSystemObject.h"
#include "platform/catalog/Pharvel.h"
#include "platform/db/AtcCode.h"
#include "platform/db/Formulary.h"
#include "platform/db/Journal.h"
#include "platform/db/PharvelError.h"
#include "platform/db/ScopedTransaction.h"
#include "platform/db/ServerProcedures.h"
#include "platform/report/Report.h"
#include "platform/report/ReportContent.h"
#include "platform/report/ReportErrorNumber.h"
#include "platform/report/ReportViewer.h"
#include "platform/user/clsCurrentUser.h"
#include "platform/widgets/MsgBox.h"
#include "platform/widgets/Twips.h"
#include "reports/CommonDialog.h"
#include "reports/DefaultExportFile.h"
#include "reports/ScreenPointer.h"
#include "reports/frmView.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

// The report viewer window: its controls, the export offered at every opening, the image
// buttons' exports through the save dialog, printing, and what a failed load leaves behind.
class tst_view : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void windowControls();
    void saveDialogFilters();
    void defaultExportFile();
    void exportOfferedAtEveryOpening_data() { TestDatabase::AddEngineRows(); }
    void exportOfferedAtEveryOpening();
    void exportFolderMadeOrFailureSaid();
    void catalogueChangesOfAPeriod_data() { TestDatabase::AddEngineRows(); }
    void catalogueChangesOfAPeriod();
    void twoDesktopsPrepareApart_data() { TestDatabase::AddEngineRows(); }
    void twoDesktopsPrepareApart();
    void formularyReport_data() { TestDatabase::AddEngineRows(); }
    void formularyReport();
    void imageButtonsExport_data() { TestDatabase::AddEngineRows(); }
    void imageButtonsExport();
    void printsToPdf();
    void unknownReportNumberOpensNothing();
};

namespace {

// Answers the export question as told and keeps every message.
struct MessageLog
{
    explicit MessageLog(MsgBox::Answer exportAnswer)
        : handler([this, exportAnswer](const MsgBox::Message& message) {
              messages << message;
              busy << ScreenPointer::IsBusy();
              return message.buttons == MsgBox::Buttons::YesNo ? exportAnswer : MsgBox::Answer::Ok;
          })
    {}
    QStringList Texts() const
    {
        QStringList texts;
        for (const MsgBox::Message& message : messages)
            texts << message.text;
        return texts;
    }
    QList<MsgBox::Message> messages;
    QList<bool> busy; // the pointer at each message
    ScopedMsgBoxHandler handler;
};

// A logged-in run over the sample catalogue with the report preparation done, the hospital
// header read and the documents folder under a temporary profile.
struct ReportRun
{
    explicit ReportRun(const QString& engine) : db(engine), catalogue(db.Connection())
    {
        catalogue.Build();
        db.Connection().Execute(
            QStringLiteral("INSERT INTO inventory.tbPharvelOtherDetails (GenericID, OtherDetails) "
                           "VALUES (?, ?)"),
            {catalogue.paracetamol, QStringLiteral("Max 4 g a day.\nHepatotoxic in overdose.")});
        run = std::make_unique<LoggedInRun>(db);
        preparation = Prepare();
        mdlPharvel::Hospital = {QStringLiteral("St Ann"), QStringLiteral("St Ann's Hospital"),
                                QStringLiteral("1 Main Road, Harbour Town")};
        QDir(profile.path()).mkdir(QStringLiteral("My Documents"));
        qputenv("USERPROFILE", profile.path().toLocal8Bit());
    }
    ~ReportRun() { qunsetenv("USERPROFILE"); }

    QString Documents() const { return profile.filePath(QStringLiteral("My Documents")); }
    // The user's own connection: on a server a report shows the rows its user prepared alone.
    SQLConnection& User() const { return *mdlPharvel::objCurrentUser->SQLConnection(); }
    ReportPreparation::Id Prepare() const
    {
        const ReportPreparation::Id id = ServerProcedures::Pharvel_NodeLevel(User());
        ServerProcedures::Pharvel_Generate(User(), id);
        return id;
    }

    TestDatabase db;
    SampleCatalogue catalogue;
    std::unique_ptr<LoggedInRun> run;
    ReportPreparation::Id preparation = 0;
    QTemporaryDir profile;
    QTemporaryDir output;
};

// Every cell of the first sheet, as the independent reader sees it, each as its value and its
// indent; empty when it cannot.
QJsonArray ReadWorkbook(const QString& path)
{
    QProcess reader;
    reader.start(
        QStringLiteral("/usr/bin/python3"),
        {QStringLiteral("-c"),
         QStringLiteral("import json, sys, xlrd\n"
                        "b = xlrd.open_workbook(sys.argv[1], formatting_info=True)\n"
                        "s = b.sheet_by_index(0)\n"
                        "print(json.dumps([[[c.value, b.xf_list[c.xf_index].alignment.indent_level]"
                        " for c in s.row(r)] for r in range(s.nrows)]))\n"),
         path});
    if (!reader.waitForFinished(60000) || reader.exitCode() != 0)
        return {};
    return QJsonDocument::fromJson(reader.readAllStandardOutput()).array();
}

bool HaveWorkbookReader()
{
    QProcess probe;
    probe.start(QStringLiteral("/usr/bin/python3"),
                {QStringLiteral("-c"), QStringLiteral("import xlrd")});
    return probe.waitForFinished(30000) && probe.exitCode() == 0;
}

QString ReadRichText(const QString& path)
{
    QProcess reader;
    reader.start(QStringLiteral("unrtf"), {QStringLiteral("--text"), path});
    if (!reader.waitForFinished(30000) || reader.exitCode() != 0)
        return {};
    return QString::fromUtf8(reader.readAllStandardOutput());
}

int PdfPages(const QString& path)
{
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {path});
    if (!info.waitForFinished(30000))
        return -1;
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)"))
                                          .match(QString::fromUtf8(info.readAllStandardOutput()));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// One column of ReadWorkbook's rows: the values, or the indents.
QStringList Column(const QJsonArray& rows, int column, bool indents = false)
{
    QStringList values;
    for (const QJsonValue& row : rows) {
        const QJsonValue cell = row.toArray().at(column).toArray().at(indents ? 1 : 0);
        values << (cell.isDouble() ? QString::number(cell.toDouble()) : cell.toString());
    }
    return values;
}

QStringList Strings(SQLConnection& c, const QString& sql)
{
    RowSet rows = c.OpenRowSet(sql);
    QStringList values;
    for (int row = 0; row < rows.RecordCount(); ++row)
        values << rows.At(row, 0).toString();
    return values;
}

} // namespace

void tst_view::initTestCase()
{
    mdlPharvel::objFileSystem = std::make_unique<Scripting::FileSystemObject>();
    for (const char* file :
         {"PharvelStructure.rpt", "DrugsWithNoGeneric.rpt", "PharvelReportWithOtherDetails.rpt"})
        QVERIFY2(QFile::exists(QCoreApplication::applicationDirPath() + QLatin1Char('/') +
                               QLatin1String(file)),
                 file);
}

void tst_view::cleanup()
{
    QVERIFY(!ScreenPointer::IsBusy());
    QCOMPARE(QApplication::topLevelWidgets().size(), 0);
}

void tst_view::windowControls()
{
    frmView view;
    QCOMPARE(view.windowTitle(), QStringLiteral("Drug Pharvel"));
    QCOMPARE(view.size(), TwipsRect(0, 0, 11910, 7920, &view).size());
    QCOMPARE(view.cmdPrint->text(), QStringLiteral("&Print"));
    QCOMPARE(view.cmdMore->text(), QStringLiteral("&More"));
    QCOMPARE(view.cmdPrint->geometry(), TwipsRect(810, 360, 960, 330, &view));
    QCOMPARE(view.cmdMore->geometry(), TwipsRect(1755, 360, 960, 330, &view));
    QCOMPARE(view.pctMore->geometry(), TwipsRect(1845, 810, 3435, 2265, &view));
    QCOMPARE(view.imgPrint->geometry(), TwipsRect(90, 90, 600, 600, &view));
    QCOMPARE(view.imgExcel->geometry(), TwipsRect(90, 765, 600, 600, &view));
    QCOMPARE(view.imgRTF->geometry(), TwipsRect(90, 1440, 600, 600, &view));
    QCOMPARE(view.Label1->text(), QStringLiteral("Print report without closing the report window"));
    QCOMPARE(view.Label2->text(), QStringLiteral("Export Report to Microsoft Excel Document"));
    QCOMPARE(view.Label3->text(), QStringLiteral("Export Report to Rich Text Format"));
    QCOMPARE(view.Label3->geometry(), TwipsRect(780, 1530, 2265, 510, &view));
    QCOMPARE(view.Label1->font().family(), QStringLiteral("Arial"));
    for (QWidget* inside : std::initializer_list<QWidget*>{
             view.imgPrint, view.Label1, view.imgExcel, view.Label2, view.imgRTF, view.Label3})
        QCOMPARE(inside->parentWidget(), view.pctMore);
    QCOMPARE(view.pctMore->backgroundRole(), QPalette::Window);
    QCOMPARE(view.cmdMore->nextInFocusChain(), view.cmdPrint);

    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    // The two buttons lie in the row of the viewer's toolbar, which ends where the panel opens.
    const QRect toolbar(view.CRViewer1->ToolBar()->mapTo(&view, QPoint(0, 0)),
                        view.CRViewer1->ToolBar()->size());
    QVERIFY(toolbar.contains(view.cmdPrint->geometry()));
    QVERIFY(toolbar.contains(view.cmdMore->geometry()));
    QCOMPARE(toolbar.bottom() + 1, view.pctMore->y());
    QVERIFY(view.childAt(view.cmdMore->geometry().center()) == view.cmdMore);

    // "&More" twice gives the panel back the visibility it had.
    for (const bool shownFirst : {true, false}) {
        view.pctMore->setVisible(shownFirst);
        QTest::mouseClick(view.cmdMore, Qt::LeftButton);
        QCOMPARE(view.pctMore->isVisible(), !shownFirst);
        QTest::mouseClick(view.cmdMore, Qt::LeftButton);
        QCOMPARE(view.pctMore->isVisible(), shownFirst);
    }
    QVERIFY(view.childAt(view.pctMore->geometry().center()) != view.CRViewer1);

    // The viewer covers the whole client area at every size.
    for (const QSize size : {QSize(500, 400), QSize(1100, 760)}) {
        view.resize(size);
        QTRY_COMPARE(view.CRViewer1->geometry(), view.rect());
    }
}

void tst_view::saveDialogFilters()
{
    QCOMPARE(CommonDialog::NameFilters(QStringLiteral("Microsof Excel (*.xls)|*.xls")),
             QStringList{QStringLiteral("Microsof Excel (*.xls)")});
    QCOMPARE(
        CommonDialog::NameFilters(QStringLiteral("Text|*.txt;*.text|All files|*.*")),
        (QStringList{QStringLiteral("Text (*.txt *.text)"), QStringLiteral("All files (*.*)")}));
    QCOMPARE(CommonDialog::DefaultSuffix(QStringLiteral("Rich Text Format (*.rtf)|*.rtf")),
             QStringLiteral("rtf"));
    QCOMPARE(CommonDialog::DefaultSuffix(QStringLiteral("All files|*.*")), QString());
}

void tst_view::defaultExportFile()
{
    const Scripting::FileSystemObject files;
    const QDate day(2024, 1, 31);
    qputenv("USERPROFILE", "/home/nurse");
    QCOMPARE(DefaultExportFile::DocumentsFolder(files), QStringLiteral("/home/nurse/My Documents"));
    QCOMPARE(
        DefaultExportFile::Path(files, QStringLiteral("/opt/pharvel/PharvelStructure.rpt"), day),
        QStringLiteral("/home/nurse/My Documents/PharvelStructure.2024.01.31.xls"));
    QCOMPARE(DefaultExportFile::Path(files, QStringLiteral("/opt/DrugsWithNoGeneric.rpt"),
                                     QDate(2025, 11, 5)),
             QStringLiteral("/home/nurse/My Documents/DrugsWithNoGeneric.2025.11.05.xls"));
    qputenv("USERPROFILE", "");
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QCOMPARE(DefaultExportFile::DocumentsFolder(files), documents);
    QCOMPARE(
        DefaultExportFile::Path(files, QStringLiteral("PharvelReportWithOtherDetails.rpt"), day),
        documents + QStringLiteral("/PharvelReportWithOtherDetails.2024.01.31.xls"));
    qunsetenv("USERPROFILE");
}

void tst_view::exportOfferedAtEveryOpening()
{
    QFETCH(QString, engine);
    ReportRun r(engine);
    SQLConnection& c = r.db.Connection();
    frmView view;
    view.SetWhatReport(1);
    view.SetPreparation(r.preparation);

    // No: the viewer opens on the report and writes nothing.
    {
        MessageLog log(MsgBox::Answer::No);
        int pages = 0;
        int records = 0;
        QPoint place;
        QString company;
        QString location;
        ModalWindowDriver driver([&](QWidget*) {
            // A table the report file places in another database is read from Inventory.
            const auto& table = view.Report()->Database().Tables().front();
            table->SetLocation(QStringLiteral("Archive.dbo.tbPharvelReport"));
            view.LogOnTables();
            location = table->Location();
            pages = view.CRViewer1->PageCount();
            records = view.Report()->Content().RecordCount();
            company = view.Report()->FormulaFields().at(0).Text();
            place = view.pos();
            view.resize(300, 200); // the next opening starts at the designed size again
            QVERIFY(!view.pctMore->isVisible());
            QVERIFY(!ScreenPointer::IsBusy());
        });
        view.Show();
        QVERIFY(driver.Ran());
        QCOMPARE(log.messages.size(), 1);
        QCOMPARE(log.messages[0].text, QStringLiteral("Do you wish to export the report?"));
        QCOMPARE(log.messages[0].icon, MsgBox::Icon::None);
        QCOMPARE(log.messages[0].buttons, MsgBox::Buttons::YesNo);
        QCOMPARE(log.messages[0].title, QStringLiteral("Export Report to Disk"));
        QCOMPARE(log.busy, QList<bool>{true});
        QCOMPARE(records, c.Scalar(QStringLiteral("SELECT count(*) FROM inventory.tbPharvel "
                                                  "WHERE Node_Type <> '0'"))
                              .toInt());
        QCOMPARE(location, QStringLiteral("Inventory.dbo.tbPharvelReport"));
        QCOMPARE(pages, 1);
        QCOMPARE(company, QStringLiteral("St Ann's Hospital"));
        QCOMPARE(place, view.screen()->availableGeometry().topLeft());
        QVERIFY(QDir(r.Documents()).isEmpty());
        QVERIFY(!view.Report()); // released when the window closed
    }

    // Yes, twice on the same day: the dated file in the documents folder, said each time; the
    // second takes the next free name and leaves the first as it is.
    const QString stem = r.Documents() + QStringLiteral("/PharvelStructure.") +
                         QDate::currentDate().toString(QStringLiteral("yyyy.MM.dd"));
    const QString expected = stem + QStringLiteral(".xls");
    for (int opening = 0; opening < 2; ++opening) {
        const QString written = opening == 0 ? expected : stem + QStringLiteral(" (2).xls");
        MessageLog log(MsgBox::Answer::Yes);
        QSize size;
        ModalWindowDriver driver([&](QWidget*) { size = view.size(); });
        view.Show();
        QVERIFY(driver.Ran());
        QCOMPARE(size, TwipsRect(0, 0, 11910, 7920, &view).size());
        QCOMPARE(log.Texts(),
                 (QStringList{QStringLiteral("Do you wish to export the report?"),
                              QStringLiteral("Report was successfully exported to ") + written}));
        QCOMPARE(log.messages[1].icon, MsgBox::Icon::Information);
        QCOMPARE(log.messages[1].buttons, MsgBox::Buttons::OK);
        QCOMPARE(log.messages[1].title, QStringLiteral("Information"));
        QCOMPARE(QDir(r.Documents()).entryList(QDir::Files).size(), opening + 1);
    }
    QVERIFY(QFile::exists(expected));
    if (!HaveWorkbookReader())
        QSKIP("/usr/bin/python3 has no xlrd (Debian package python3-xlrd): not read back");
    // The tree's shape: each entry's level in a column of its own, its name indented by it.
    const QJsonArray rows = ReadWorkbook(expected);
    const QString order = QStringLiteral(" FROM inventory.tbPharvelReport ORDER BY SortOrder");
    const QStringList names = Strings(c, QStringLiteral("SELECT ItemName") + order);
    const QStringList levels = Strings(c, QStringLiteral("SELECT Node_Level") + order);
    QStringList indents;
    for (const QString& level : levels)
        indents << QString::number(level.toInt() - 1);
    QVERIFY(levels.contains(QStringLiteral("3")));
    QCOMPARE(rows.size(), names.size() + 1);
    QCOMPARE(Column(rows, 0), QStringList(QStringLiteral("Level")) + levels);
    QCOMPARE(Column(rows, 1),
             QStringList(QStringLiteral("Classification / Generic Name / Drug")) + names);
    QCOMPARE(Column(rows, 1, true).mid(1), indents);
    QVERIFY(Column(rows, 2).contains(QString::number(r.catalogue.panadol)));
}

void tst_view::catalogueChangesOfAPeriod()
{
    QFETCH(QString, engine);
    ReportRun r(engine);
    SQLConnection& c = r.db.Connection();
    SampleCatalogue::AllowWrites(c, r.db.ConnectionString());
    ClassPharvel::Pharvel desk;
    QVERIFY(desk.Connect(r.db.ConnectionString()));
    QVERIFY(desk.Generics().NewGeneric(QStringLiteral("Codeine")));
    QVERIFY(desk.Generics().RenameGeneric(QString::number(r.catalogue.ibuprofen),
                                          QStringLiteral("Ibuprofen lysine")));
    QVERIFY(desk.Generics().AddGeneric(QStringLiteral("_3"), QStringLiteral("_3.1"), {},
                                       r.catalogue.ibuprofen));
    const QDate today = QDateTime::currentDateTimeUtc().date();
    // A period that ended before the changes holds none of them.
    ServerProcedures::Pharvel_Changes(r.User(), today.addDays(-60), today.addDays(-31));
    QCOMPARE(c.Scalar(QStringLiteral("SELECT count(*) FROM inventory.tbCatalogueChanges")).toInt(),
             0);
    const ReportPreparation::Id preparation =
        ServerProcedures::Pharvel_Changes(r.User(), today.addDays(-29), today);

    frmView view;
    view.SetWhatReport(4);
    view.SetPreparation(preparation);
    MessageLog log(MsgBox::Answer::Yes);
    QStringList lines;
    QStringList header;
    QString footer;
    ModalWindowDriver driver([&](QWidget*) {
        const ReportContent& content = view.Report()->Content();
        const int pages = view.CRViewer1->PageCount();
        for (int record = 0; record < content.RecordCount(); ++record) {
            QStringList cells{QString::number(content.Level(record)),
                              content.IsBold(record, 0) ? QStringLiteral("bold") : QString()};
            for (int column = 1; column < 5; ++column)
                cells << content.CellText(record, column);
            lines << cells.join(QLatin1Char('|'));
        }
        for (const ReportTextLine& line : content.Definition().pageHeader)
            header << content.Expand(line.center, 1, pages) + content.Expand(line.right, 1, pages);
        footer = content.Expand(content.Definition().reportFooter.at(0).left, pages, pages);
    });
    view.Show();
    QVERIFY(driver.Ran());
    // Newest first under the day's date, in bold; the hospital, the period and page numbers.
    const QString user = Journal::List(c, {}).Text(QStringLiteral("User"));
    QCOMPARE(
        lines,
        (QStringList{
            QStringLiteral("1|bold||||"),
            QStringLiteral("2||%1|generic name filed|Ibuprofen lysine| → Empty Class").arg(user),
            QStringLiteral("2||%1|generic name renamed|Ibuprofen|Ibuprofen → "
                           "Ibuprofen lysine")
                .arg(user),
            QStringLiteral("2||%1|generic name added|Codeine| → Codeine").arg(user)}));
    QCOMPARE(header.first(), QStringLiteral("St Ann's Hospital"));
    QCOMPARE(header.at(3),
             QStringLiteral("From %1 to %2 (UTC)")
                 .arg(today.addDays(-29).toString(Qt::ISODate), today.toString(Qt::ISODate)));
    QCOMPARE(header.at(4), QStringLiteral("Page 1 of 1"));
    QCOMPARE(footer, QStringLiteral("Number of changes: 3"));

    // The spreadsheet beside the other reports' holds the same lines under the captions.
    const QString file = r.Documents() + QStringLiteral("/CatalogueChanges.") +
                         QDate::currentDate().toString(QStringLiteral("yyyy.MM.dd")) +
                         QStringLiteral(".xls");
    QVERIFY(QFile::exists(file));
    if (!HaveWorkbookReader())
        QSKIP("/usr/bin/python3 has no xlrd (Debian package python3-xlrd): not read back");
    // Like the other reports with levels, a day and its changes keep their level in column 0.
    const QJsonArray rows = ReadWorkbook(file);
    QCOMPARE(Column(rows, 0),
             (QStringList{QStringLiteral("Level"), QStringLiteral("1"), QStringLiteral("2"),
                          QStringLiteral("2"), QStringLiteral("2")}));
    QCOMPARE(Column(rows, 1).first(), QStringLiteral("Time"));
    QCOMPARE(Column(rows, 1).at(1), today.toString(Qt::ISODate));
    QCOMPARE(Column(rows, 3),
             (QStringList{QStringLiteral("What"), QString(), QStringLiteral("generic name filed"),
                          QStringLiteral("generic name renamed"),
                          QStringLiteral("generic name added")}));
    QCOMPARE(Column(rows, 5).at(3), QStringLiteral("Ibuprofen → Ibuprofen lysine"));
}

void tst_view::exportFolderMadeOrFailureSaid()
{
    ReportRun r(QStringLiteral("sqlite"));
    frmView view;
    view.SetWhatReport(2);
    const QString name = QStringLiteral("/DrugsWithNoGeneric.") +
                         QDate::currentDate().toString(QStringLiteral("yyyy.MM.dd")) +
                         QStringLiteral(".xls");
    const auto open = [&view] {
        MessageLog log(MsgBox::Answer::Yes);
        ModalWindowDriver driver([](QWidget*) {});
        view.Show();
        if (!driver.Ran())
            log.messages.clear();
        return log.messages;
    };

    // A profile without "My Documents": it is the profile's to make. The failure is said and
    // the report shown all the same.
    QVERIFY(QDir(r.Documents()).removeRecursively());
    QList<MsgBox::Message> said = open();
    QCOMPARE(said.size(), 2);
    QVERIFY2(said[1].text.startsWith(QStringLiteral("The report could not be exported to ") +
                                     r.Documents() + name),
             qPrintable(said[1].text));
    QCOMPARE(said[1].icon, MsgBox::Icon::Exclamation);
    QVERIFY(!QDir(r.Documents()).exists());

    // No profile, and a fresh account without a documents folder: the platform's is made.
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME");
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    const auto restore = qScopeGuard([&] {
        qputenv("HOME", oldHome);
        if (!oldConfig.isNull())
            qputenv("XDG_CONFIG_HOME", oldConfig);
    });
    qputenv("HOME", home.path().toLocal8Bit());
    qunsetenv("XDG_CONFIG_HOME");
    qputenv("USERPROFILE", "");
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QVERIFY2(documents.startsWith(home.path()) && !QFileInfo::exists(documents),
             qPrintable(documents));
    said = open();
    QCOMPARE(said.size(), 2);
    QCOMPARE(said[1].text,
             QStringLiteral("Report was successfully exported to ") + documents + name);
    QVERIFY(QFile::exists(documents + name));
}

// What the viewer shows of a prepared report: the page header's centre lines and each record's
// first two cells.
QStringList Shown(qint16 whatReport, ReportPreparation::Id preparation)
{
    frmView view;
    view.SetWhatReport(whatReport);
    view.SetPreparation(preparation);
    MessageLog log(MsgBox::Answer::No);
    QStringList shown;
    ModalWindowDriver driver([&](QWidget*) {
        const ReportContent& content = view.Report()->Content();
        for (const ReportTextLine& line : content.Definition().pageHeader)
            shown << content.Expand(line.center, 1, 1);
        for (int record = 0; record < content.RecordCount(); ++record)
            shown << content.CellText(record, 0) + QLatin1Char('|') + content.CellText(record, 1);
    });
    view.Show();
    return shown;
}

void tst_view::twoDesktopsPrepareApart()
{
    QFETCH(QString, engine);
    ReportRun r(engine);
    SampleCatalogue::AllowWrites(r.db.Connection(), r.db.ConnectionString());
    ClassPharvel::Pharvel first;
    ClassPharvel::Pharvel second;
    // Two desktops of the viewer's user: its role sees the rows of both preparations.
    QVERIFY(first.Connect(mdlPharvel::objCurrentUser->connectionstr()));
    QVERIFY(second.Connect(mdlPharvel::objCurrentUser->connectionstr()));
    SQLConnection& a = first.Connection();
    SQLConnection& b = second.Connection();
    const QDate today = QDateTime::currentDateTimeUtc().date();

    // Interleaved: each desktop's structure shows the catalogue as its own preparation read it.
    const ReportPreparation::Id before = ServerProcedures::Pharvel_NodeLevel(a);
    const ReportPreparation::Id after = ServerProcedures::Pharvel_NodeLevel(b);
    ServerProcedures::Pharvel_Generate(a, before);
    QVERIFY(second.Generics().RenameGeneric(QString::number(r.catalogue.amoxicillin),
                                            QStringLiteral("Amoxicillin trihydrate")));
    ServerProcedures::Pharvel_Generate(b, after);
    // Two periods' changes: the old one holds none, today's the rename.
    const ReportPreparation::Id old =
        ServerProcedures::Pharvel_Changes(a, today.addDays(-60), today.addDays(-31));
    const ReportPreparation::Id recent = ServerProcedures::Pharvel_Changes(b, today, today);

    const QString amoxicillin = QStringLiteral("Amoxicillin|");
    const QStringList structureBefore = Shown(1, before);
    const QStringList structureAfter = Shown(1, after);
    QVERIFY(structureBefore.contains(amoxicillin));
    QVERIFY(!structureBefore.contains(QStringLiteral("Amoxicillin trihydrate|")));
    QVERIFY(structureAfter.contains(QStringLiteral("Amoxicillin trihydrate|")));
    QVERIFY(!structureAfter.contains(amoxicillin));
    QCOMPARE(structureBefore.size(), structureAfter.size());

    const QString format = QStringLiteral("yyyy-MM-dd");
    const QStringList oldChanges = Shown(4, old);
    const QStringList recentChanges = Shown(4, recent);
    QVERIFY(oldChanges.contains(
        QStringLiteral("From %1 to %2 (UTC)")
            .arg(today.addDays(-60).toString(format), today.addDays(-31).toString(format))));
    QCOMPARE(oldChanges.size(), 5); // the page header alone
    QVERIFY(
        recentChanges.contains(QStringLiteral("From %1 to %1 (UTC)").arg(today.toString(format))));
    QCOMPARE(recentChanges.size(), 5 + 2); // today's date, then the rename

    if (engine == QLatin1String("postgresql")) {
        // A preparation not yet committed holds back neither another's nor a writer.
        ScopedTransaction open(a);
        ServerProcedures::Pharvel_Generate(a, ServerProcedures::Pharvel_NodeLevel(a));
        b.SetCommandTimeout(2);
        ServerProcedures::Pharvel_Generate(b, ServerProcedures::Pharvel_NodeLevel(b));
        QVERIFY(second.Generics().RenameGeneric(QString::number(r.catalogue.amoxicillin),
                                                QStringLiteral("Amoxicillin")));
    }
}

void tst_view::imageButtonsExport()
{
    QFETCH(QString, engine);
    ReportRun r(engine);
    SQLConnection& c = r.db.Connection();
    const QString xls = r.output.filePath(QStringLiteral("orphans.xls"));
    const QString nowhere = r.output.filePath(QStringLiteral("no such folder/orphans.xls"));
    const QString rtf = r.output.filePath(QStringLiteral("details.rtf"));
    const QString details = r.output.filePath(QStringLiteral("details.xls"));
    const QString tooLong = r.output.filePath(QStringLiteral("too long.xls"));

    QStringList filters;
    QString answer;
    ScopedSaveDialogHandler dialog([&](const QString& filter) {
        filters << filter;
        return answer;
    });
    MessageLog log(MsgBox::Answer::No);
    frmView view;
    const auto open = [&](qint16 whatReport, const std::function<void()>& action) {
        view.SetWhatReport(whatReport);
        // The drugs with no generic name are read as they stand, the other details as prepared.
        view.SetPreparation(whatReport == 3 ? std::optional(r.preparation) : std::nullopt);
        ModalWindowDriver driver([&](QWidget*) {
            action();
            QVERIFY(view.isVisible()); // the image buttons leave the window open
        });
        view.Show();
        QVERIFY(driver.Ran());
    };

    open(2, [&] {
        view.cmdMore_Click();
        // Closed without a choice: nothing written, nothing said.
        QTest::mouseClick(view.imgExcel, Qt::LeftButton);
        QVERIFY(r.output.isValid() && QDir(r.output.path()).isEmpty());
        QCOMPARE(log.messages.size(), 1);
        answer = nowhere;
        QTest::mouseClick(view.imgExcel, Qt::LeftButton);
        answer = xls;
        QTest::mouseClick(view.imgExcel, Qt::LeftButton);
    });
    open(3, [&] {
        answer = rtf;
        view.imgRTF_Click();
        answer = details;
        view.imgExcel_Click();
    });
    // Other details longer than a spreadsheet cell holds.
    c.Execute(QStringLiteral("UPDATE inventory.tbPharvelReport SET OtherDetails = ? "
                             "WHERE ItemName = ?"),
              {QString(40000, QLatin1Char('w')), QStringLiteral("Paracetamol")});
    open(3, [&] {
        answer = tooLong;
        view.imgExcel_Click();
    });
    const QString excel = QStringLiteral("Microsof Excel (*.xls)|*.xls");
    QCOMPARE(filters,
             (QStringList{excel, excel, excel, QStringLiteral("Rich Text Format (*.rtf)|*.rtf"),
                          excel, excel}));
    // Each opening's export question, then what each export came to: written, or why not.
    const QStringList said = log.Texts();
    QCOMPARE(said.size(), 8);
    const QString done = QStringLiteral("Report was successfully exported to ");
    QCOMPARE(said[2], done + xls);
    QCOMPARE(said[4], done + rtf);
    QCOMPARE(said[5], done + details);
    const QString notWritten = QStringLiteral("The report could not be exported to ");
    QVERIFY2(said[1].startsWith(notWritten + nowhere) && said[1].contains(QStringLiteral("folder")),
             qPrintable(said[1]));
    QVERIFY2(said[7].startsWith(notWritten + tooLong) && said[7].contains(QStringLiteral("32767")),
             qPrintable(said[7]));
    QCOMPARE(log.messages[7].icon, MsgBox::Icon::Exclamation);
    QCOMPARE(QDir(r.output.path()).entryList(QDir::Files),
             (QStringList{QStringLiteral("details.rtf"), QStringLiteral("details.xls"),
                          QStringLiteral("orphans.xls")}));

    if (HaveWorkbookReader()) {
        const QJsonArray rows = ReadWorkbook(xls);
        QCOMPARE(Column(rows, 0),
                 (QStringList{QStringLiteral("Item Code"), QString::number(r.catalogue.aspirin)}));
        QCOMPARE(Column(rows, 1),
                 (QStringList{QStringLiteral("Drug Name"), QStringLiteral("ASPIRIN 300MG TAB")}));
        QVERIFY(rows.at(1).toArray().at(0).toArray().at(0).isDouble()); // a code stays a number
        // The other details keep the tree's levels beside their names.
        const QJsonArray tree = ReadWorkbook(details);
        const QString order = QStringLiteral(" FROM inventory.tbPharvelReport WHERE Node_Type IN "
                                             "('1', '2') ORDER BY SortOrder");
        QCOMPARE(Column(tree, 0), QStringList(QStringLiteral("Level")) +
                                      Strings(c, QStringLiteral("SELECT Node_Level") + order));
        QCOMPARE(Column(tree, 1).mid(1), Strings(c, QStringLiteral("SELECT ItemName") + order));
        QCOMPARE(Column(tree, 2).first(), QStringLiteral("Other Details"));
        QVERIFY(Column(tree, 1, true).contains(QStringLiteral("1")));
    } else {
        qInfo("/usr/bin/python3 has no xlrd (Debian package python3-xlrd): not read back");
    }
    if (QStandardPaths::findExecutable(QStringLiteral("unrtf")).isEmpty())
        QSKIP("unrtf is not installed (Debian package unrtf): not read back");
    // The page header is the document's own header, which the reader leaves out.
    QFile written(rtf);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QByteArray raw = written.readAll();
    QVERIFY(raw.contains("Pharvel with Other Details"));
    QVERIFY(raw.contains("St Ann's Hospital"));
    const QString text = ReadRichText(rtf);
    for (const QString& name :
         Strings(c, QStringLiteral("SELECT ItemName FROM inventory.tbPharvelReport WHERE "
                                   "Node_Type IN ('1', '2') ORDER BY SortOrder")))
        QVERIFY2(text.contains(name), qPrintable(name));
    QVERIFY(!text.contains(QStringLiteral("PANADOL")));
    // The other details keep their line break.
    QVERIFY(text.contains(QRegularExpression(
        QStringLiteral("Max 4 g a day\\.\\s*\\n\\s*Hepatotoxic in overdose\\."))));
}

void tst_view::printsToPdf()
{
    ReportRun r(QStringLiteral("sqlite"));
    // Enough drugs for several pages.
    for (int i = 1; i <= 150; ++i)
        r.catalogue.AddDrug(QStringLiteral("DRUG %1").arg(i, 3, 10, QLatin1Char('0')),
                            QStringLiteral("tablet"), QStringLiteral("_1.2.%1").arg(i + 2));
    MessageLog log(MsgBox::Answer::No);
    frmView view;
    view.SetWhatReport(1);
    view.SetPreparation(r.Prepare());
    QStringList pdfs;
    view.CRViewer1->SetPrinterChooser([&](QPrinter& printer) {
        pdfs << r.output.filePath(QStringLiteral("print-%1.pdf").arg(pdfs.size()));
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdfs.last());
        return true;
    });
    int pages = 0;
    bool openAfterPanelPrint = false;
    ModalWindowDriver driver([&](QWidget*) {
        pages = view.CRViewer1->PageCount();
        view.cmdMore_Click();
        QTest::mouseClick(view.imgPrint, Qt::LeftButton);
        openAfterPanelPrint = view.isVisible();
        QTest::mouseClick(view.cmdPrint, Qt::LeftButton);
    });
    view.Show();
    QVERIFY(driver.Ran());
    QVERIFY(openAfterPanelPrint);
    QVERIFY(!view.isVisible());
    QVERIFY(pages >= 3);
    QCOMPARE(pdfs.size(), 2);
    for (const QString& pdf : pdfs)
        QCOMPARE(PdfPages(pdf), pages);
}

void tst_view::unknownReportNumberOpensNothing()
{
    ReportRun r(QStringLiteral("sqlite"));
    MessageLog log(MsgBox::Answer::No);
    frmView view;
    view.SetWhatReport(6);
    try {
        view.Show();
        QFAIL("a report number without a report opened the window");
    } catch (const PharvelError& error) {
        QCOMPARE(error.Number(), ErrorNumber::ReportFileInvalid);
    }
    QVERIFY(log.messages.isEmpty());
    QVERIFY(!view.isVisible());
    QCOMPARE(view.WhatReport(), 6);
}

QTEST_MAIN(tst_view)
#include "tst_view.moc"

void tst_view::formularyReport()
{
    QFETCH(QString, engine);
    ReportRun r(engine);
    SQLConnection& c = r.db.Connection();
    const auto s = [](const char* text) { return QString::fromUtf8(text); };
    FormularyRecord morphine{r.catalogue.morphine, FormularyStatus::Restricted,
                             s("Pain team only; review after 3 days.")};
    morphine.codes = {{AtcCode::kSystem, s("N02AA01")}, {s("HOSP"), s("M-10")}};
    morphine.alternatives = {{r.catalogue.paracetamol, AlternativeKind::Preferred}};
    FormularyRecord amoxicillin{r.catalogue.amoxicillin, FormularyStatus::InFormulary};
    amoxicillin.codes = {{AtcCode::kSystem, s("J01CA04")}, {AtcCode::kSystem, s("J01CA01")}};
    ScopedTransaction transaction(c);
    Formulary::Write(c, {{{morphine.generic}, morphine}, {{amoxicillin.generic}, amoxicillin}});
    transaction.Commit();

    frmView view;
    view.SetWhatReport(5);
    MessageLog log(MsgBox::Answer::Yes);
    QStringList lines;
    QStringList header;
    ModalWindowDriver driver([&](QWidget*) {
        const ReportContent& content = view.Report()->Content();
        for (int record = 0; record < content.RecordCount(); ++record) {
            QStringList cells;
            for (int column = 0; column < 6; ++column)
                cells << content.CellText(record, column);
            lines << cells.join(QLatin1Char('|')) + QLatin1Char('|') + content.Note(record);
        }
        for (const ReportTextLine& line : content.Definition().pageHeader)
            header << content.Expand(line.center, 1, 1);
    });
    view.Show();
    QVERIFY(driver.Ran());
    // By classification, unfiled names last; each list in its order.
    const QStringList expected{
        s("Analgesics|Paracetamol|not yet decided||||"),
        s("Analgesics / Opioids|Morphine|R restricted|N02AA01|HOSP M-10|"
          "Paracetamol (preferred alternative)|Pain team only; review after 3 days."),
        s("antibiotics|Amoxicillin|Y in the formulary|J01CA04; J01CA01|||"),
        s("no classification|Ibuprofen|not yet decided||||"),
    };
    QCOMPARE(lines, expected);
    QCOMPARE(header.mid(0, 3),
             (QStringList{s("St Ann's Hospital"), s("1 Main Road, Harbour Town"), s("Formulary")}));

    const QString exported = r.Documents() + QStringLiteral("/Formulary.") +
                             QDate::currentDate().toString(QStringLiteral("yyyy.MM.dd")) +
                             QStringLiteral(".xls");
    QVERIFY(QFile::exists(exported));
    if (!HaveWorkbookReader())
        QSKIP("/usr/bin/python3 has no xlrd (Debian package python3-xlrd): not read back");
    // Status and codes are columns of their own, to filter on; the restriction is the last.
    const QJsonArray rows = ReadWorkbook(exported);
    QCOMPARE(rows.size(), expected.size() + 1);
    QCOMPARE(Column(rows, 2), (QStringList{s("Status"), s("not yet decided"), s("R restricted"),
                                           s("Y in the formulary"), s("not yet decided")}));
    QCOMPARE(Column(rows, 3), (QStringList{s("ATC"), {}, s("N02AA01"), s("J01CA04; J01CA01"), {}}));
    QCOMPARE(Column(rows, 4), (QStringList{s("Other Codes"), {}, s("HOSP M-10"), {}, {}}));
    QCOMPARE(Column(rows, 6).mid(0, 3),
             (QStringList{
                 s("Restriction or guidelines"), {}, s("Pain team only; review after 3 days.")}));
}
