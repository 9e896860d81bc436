#include "app/mdlPharvel.h"
#include "catalogue/frmPharvel.h"
#include "fixtures/LoggedInRun.h"
#include "fixtures/MainWindowDriver.h"
#include "fixtures/ModalWindowDriver.h"
#include "fixtures/SampleCatalogue.h"
#include "fixtures/TestDatabase.h"
#include "platform/FileSystemObject.h"
#include "platform/db/PharvelError.h"
#include "platform/db/ServerProcedures.h"
#include "platform/report/Report.h"
#include "platform/report/ReportContent.h"
#include "platform/report/ReportErrorNumber.h"
#include "platform/report/ReportViewer.h"
#include "platform/user/clsCurrentUser.h"
#include "platform/widgets/MsgBox.h"
#include "reports/ScreenPointer.h"
#include "reports/frmView.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

// The commands of the "&Reports" menu, from the main window's menu to the report shown: the
// preparation on the server, the status texts and pointer, what each report holds, and how a
// failure reaches the top-level handler.
class tst_reportcommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void preparedReportsFromMenu_data();
    void preparedReportsFromMenu();
    ON_EVERY_ENGINE(drugsWithNoGenericFromMenu);
    void failingProcedureOpensNoViewer_data();
    void failingProcedureOpensNoViewer();
    void failingViewerReachesTheCommand();
};

namespace {

const QString kReady = QStringLiteral("Ready");

// The sample catalogue with a hospital and one generic name's other details, a logged-in user
// and the main window loaded and shown, its first status panel reading "Ready".
struct MainWindowRun
{
    explicit MainWindowRun(const QString& engine, const QString& rights = {})
        : db(engine), catalogue(db.Connection())
    {
        catalogue.Build();
        SQLConnection& c = db.Connection();
        c.Execute(QStringLiteral("INSERT INTO patient_data.tbHospitalInfo "
                                 "(HospitalID, clientname, company, address1) VALUES (1, ?, ?, ?)"),
                  {QStringLiteral("St Ann"), QStringLiteral("St Ann's Hospital"),
                   QStringLiteral("1 Main Road, Harbour Town")});
        c.Execute(
            QStringLiteral("INSERT INTO inventory.tbPharvelOtherDetails (GenericID, OtherDetails) "
                           "VALUES (?, ?)"),
            {catalogue.paracetamol, QStringLiteral("Max 4 g a day.\nHepatotoxic in overdose.")});
        run = std::make_unique<LoggedInRun>(db, rights);
        window = MainWindowDriver::Open();
        window->staMessage->setText(kReady);
        qputenv("USERPROFILE", profile.path().toLocal8Bit());
    }
    ~MainWindowRun() { qunsetenv("USERPROFILE"); }

    int Count(const QString& sql) { return db.Connection().Scalar(sql).toInt(); }

    TestDatabase db;
    SampleCatalogue catalogue;
    std::unique_ptr<LoggedInRun> run;
    QTemporaryDir profile;
    frmPharvel* window = nullptr;
};

// What the viewer showed, read while it is open.
struct Shown
{
    QString status;
    bool busy = true;
    int pages = 0;
    QStringList lines;  // each record: level, name and the other columns, separated by '|'
    QStringList notes;  // the note of each record that has one
    QStringList header; // the page header's lines on page 1
    QString footer;
    QStringList bold; // the names printed in bold
};

// Opens the report through the menu item and reads what the viewer shows.
Shown OpenFromMenu(MainWindowRun& r, QAction* item)
{
    Shown shown;
    ModalWindowDriver driver([&](QWidget* window) {
        auto* view = qobject_cast<frmView*>(window);
        QVERIFY(view);
        shown.status = r.window->staMessage->text();
        shown.busy = ScreenPointer::IsBusy();
        shown.pages = view->CRViewer1->PageCount();
        const ReportContent& content = view->Report()->Content();
        const ReportDefinition& d = content.Definition();
        for (int record = 0; record < content.RecordCount(); ++record) {
            QStringList cells{QString::number(content.Level(record))};
            for (int column = 0; column < static_cast<int>(d.columns.size()); ++column)
                cells << content.CellText(record, column);
            shown.lines << cells.join(QLatin1Char('|'));
            if (!content.Note(record).isEmpty())
                shown.notes << content.CellText(record, 0) + QLatin1Char('=') +
                                   content.Note(record);
            if (content.IsBold(record, 0))
                shown.bold << content.CellText(record, 0);
        }
        for (const ReportTextLine& line : d.pageHeader) {
            QStringList parts;
            for (const ReportTemplate* part : {&line.left, &line.center, &line.right})
                if (!content.Expand(*part, 1, shown.pages).isEmpty())
                    parts << content.Expand(*part, 1, shown.pages);
            shown.header << parts.join(QLatin1Char('|'));
        }
        for (const ReportTextLine& line : d.reportFooter)
            shown.footer += content.Expand(line.left, shown.pages, shown.pages);
    });
    item->trigger();
    if (!driver.Ran())
        qWarning("the viewer did not open");
    return shown;
}

QString Today()
{
    return QLocale().toString(QDate::currentDate(), QLocale::LongFormat);
}

QString Critical(const QString& description, const QString& source)
{
    return description + QStringLiteral("\n\nSource: ") + source;
}

} // namespace

void tst_reportcommands::initTestCase()
{
    mdlPharvel::objFileSystem = std::make_unique<Scripting::FileSystemObject>();
}

void tst_reportcommands::cleanup()
{
    QVERIFY(!ScreenPointer::IsBusy());
    QCOMPARE(QApplication::topLevelWidgets().size(), 0);
}

void tst_reportcommands::preparedReportsFromMenu_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("rights");
    for (const QString& engine : TestDatabase::Engines()) {
        QTest::newRow(engine.toUtf8()) << engine << QString();
        // A view-only user prepares the reports too.
        QTest::newRow((engine + QStringLiteral(", view only")).toUtf8())
            << engine << QStringLiteral("BB");
    }
}

void tst_reportcommands::preparedReportsFromMenu()
{
    QFETCH(QString, engine);
    QFETCH(QString, rights);
    MainWindowRun r(engine, rights);
    const SampleCatalogue& s = r.catalogue;
    MessageLog log(MessageLog::NoToQuestions);
    QCOMPARE(r.Count(QStringLiteral("SELECT count(*) FROM inventory.tbPharvelReport")), 0);

    const Shown structure = OpenFromMenu(r, r.window->mnuPharvelReport);
    QCOMPARE(structure.status, QString());
    QVERIFY(!structure.busy); // the viewer's load shows the normal pointer again
    // The preparation ran: the whole catalogue, each entry at its depth, children by name, the
    // drugs with their item codes.
    QCOMPARE(structure.lines,
             (QStringList{QStringLiteral("1|Analgesics|"), QStringLiteral("2|Opioids|"),
                          QStringLiteral("3|Morphine|"),
                          QStringLiteral("4|MORPHINE 10MG/ML INJ|%1").arg(s.morphineInjection),
                          QStringLiteral("2|Paracetamol|"),
                          QStringLiteral("3|CALPOL 120MG/5ML SYRUP|%1").arg(s.calpol),
                          QStringLiteral("3|PANADOL 500MG TAB|%1").arg(s.panadol),
                          QStringLiteral("1|antibiotics|"), QStringLiteral("2|Amoxicillin|"),
                          QStringLiteral("1|Empty Class|")}));
    const QStringList classifications{QStringLiteral("Analgesics"), QStringLiteral("Opioids"),
                                      QStringLiteral("antibiotics"), QStringLiteral("Empty Class")};
    QCOMPARE(structure.bold, classifications);
    QCOMPARE(structure.header, (QStringList{QStringLiteral("St Ann's Hospital"),
                                            QStringLiteral("1 Main Road, Harbour Town"),
                                            QStringLiteral("Pharvel Structure"),
                                            Today() + QStringLiteral("|Page 1 of 1")}));
    QCOMPARE(structure.pages, 1);
    QCOMPARE(r.window->staMessage->text(), QString());

    // The other details: the catalogue down to the generic names, each with its text.
    const Shown details = OpenFromMenu(r, r.window->mnuDrugsWODetails);
    QCOMPARE(details.status, QString());
    QCOMPARE(details.lines,
             (QStringList{QStringLiteral("1|Analgesics"), QStringLiteral("2|Opioids"),
                          QStringLiteral("3|Morphine"), QStringLiteral("2|Paracetamol"),
                          QStringLiteral("1|antibiotics"), QStringLiteral("2|Amoxicillin"),
                          QStringLiteral("1|Empty Class")}));
    QCOMPARE(details.notes,
             QStringList{QStringLiteral("Paracetamol=Max 4 g a day.\nHepatotoxic in overdose.")});
    QCOMPARE(details.bold, classifications);
    QCOMPARE(details.header.at(2), QStringLiteral("Pharvel with Other Details"));
    QCOMPARE(details.pages, 1);

    QCOMPARE(log.messages.size(), 2); // the two export questions, nothing else
    // One viewer for the run, kept by the main window.
    QCOMPARE(r.window->findChildren<frmView*>().size(), 1);
    QCOMPARE(r.window->findChild<frmView*>()->WhatReport(), 3);
}

void tst_reportcommands::drugsWithNoGenericFromMenu()
{
    QFETCH(QString, engine);
    MainWindowRun r(engine);
    MessageLog log(MessageLog::NoToQuestions);
    const Shown shown = OpenFromMenu(r, r.window->mnuDrugsWOGeneric);
    QCOMPARE(shown.status, kReady);
    QCOMPARE(r.window->staMessage->text(), kReady);
    QCOMPARE(
        shown.lines,
        QStringList{
            QStringLiteral("1|%1|ASPIRIN 300MG TAB|Dispersible tablet").arg(r.catalogue.aspirin)});
    QCOMPARE(shown.header.at(2), QStringLiteral("Drugs with no Generic Name"));
    QCOMPARE(shown.footer, QStringLiteral("Number of drugs with no generic name: 1"));
    QCOMPARE(shown.pages, 1);
    // No procedure ran.
    QCOMPARE(r.Count(QStringLiteral("SELECT count(*) FROM inventory.tbPharvelReport")), 0);
    QCOMPARE(r.Count(QStringLiteral("SELECT count(*) FROM inventory.tbPharvelNodeLevel")), 0);
    QCOMPARE(log.messages.size(), 1);
}

void tst_reportcommands::failingProcedureOpensNoViewer_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("table");
    QTest::addColumn<bool>("details");
    QTest::addColumn<QString>("status");
    for (const QString& engine : TestDatabase::Engines()) {
        const QByteArray e = engine.toUtf8();
        QTest::newRow(e + " structure, first")
            << engine << QStringLiteral("tbPharvelNodeLevel") << false
            << QStringLiteral("Gathering Report Information...");
        QTest::newRow(e + " details, first")
            << engine << QStringLiteral("tbPharvelNodeLevel") << true
            << QStringLiteral("Gathering Report Information...");
        QTest::newRow(e + " structure, second") << engine << QStringLiteral("tbPharvelReport")
                                                << false << QStringLiteral("Generating Report...");
    }
}

void tst_reportcommands::failingProcedureOpensNoViewer()
{
    QFETCH(QString, engine);
    QFETCH(QString, table);
    QFETCH(bool, details);
    QFETCH(QString, status);
    MainWindowRun r(engine);
    SQLConnection& c = r.db.Connection();
    // A preparation left from before: a failing first procedure must not replace it.
    ServerProcedures::Pharvel_Generate(c, ServerProcedures::Pharvel_NodeLevel(c));
    const int prepared = r.Count(QStringLiteral("SELECT count(*) FROM inventory.tbPharvelReport"));
    c.Execute(QStringLiteral("DROP TABLE inventory.") + table);

    const QString source = details ? QStringLiteral("frmPharvel.mnuDrugsWODetails_Click_Err")
                                   : QStringLiteral("frmPharvel.mnuPharvelReport_Click_Err");
    QAction* item = details ? r.window->mnuDrugsWODetails : r.window->mnuPharvelReport;
    // Raised again with the procedure's own description, under the command's source...
    try {
        details ? r.window->mnuDrugsWODetails_Click() : r.window->mnuPharvelReport_Click();
        QFAIL("the command went on after the failure");
    } catch (const PharvelError& error) {
        QVERIFY2(error.Description().contains(table, Qt::CaseInsensitive),
                 qPrintable(error.Description()));
        QCOMPARE(error.Source(), source);
    }
    QCOMPARE(r.window->staMessage->text(), status);

    // ...and from the menu it reaches the top-level handler's message; no viewer opens.
    r.window->staMessage->setText(kReady);
    MessageLog log(MessageLog::NoToQuestions);
    ModalWindowDriver driver([](QWidget*) {});
    item->trigger();
    QCOMPARE(log.messages.size(), 1);
    QCOMPARE(log.messages[0].icon, MsgBox::Icon::Critical);
    QVERIFY2(log.messages[0].text.contains(table, Qt::CaseInsensitive),
             qPrintable(log.messages[0].text));
    QVERIFY(log.messages[0].text.endsWith(Critical(QString(), source)));
    QCOMPARE(r.window->staMessage->text(), status);
    QTest::qWait(20);
    QVERIFY(!driver.Ran());
    if (table == QLatin1String("tbPharvelNodeLevel"))
        QCOMPARE(r.Count(QStringLiteral("SELECT count(*) FROM inventory.tbPharvelReport")),
                 prepared);
}

void tst_reportcommands::failingViewerReachesTheCommand()
{
    MainWindowRun r(QStringLiteral("sqlite"));
    MessageLog log(MessageLog::YesToQuestions);
    // A viewer that cannot load: the run has lost its file-system object.
    std::unique_ptr<Scripting::FileSystemObject> fileSystem = std::move(mdlPharvel::objFileSystem);
    const auto restore =
        qScopeGuard([&fileSystem] { mdlPharvel::objFileSystem = std::move(fileSystem); });
    const QString description = QStringLiteral("There is no file-system object.");
    // The viewer's failure comes out of the command with its number and description.
    try {
        r.window->mnuPharvelReport_Click();
        QFAIL("the report opened without its file-system object");
    } catch (const PharvelError& error) {
        QCOMPARE(error.Number(), ErrorNumber::ComponentNotFound);
        QCOMPARE(error.Description(), description);
        QCOMPARE(error.Source(), QStringLiteral("frmPharvel.mnuPharvelReport_Click_Err"));
    }
    r.window->mnuPharvelReport->trigger();
    r.window->mnuDrugsWOGeneric->trigger();
    QCOMPARE(log.messages.size(), 2);
    QCOMPARE(log.messages[0].text,
             Critical(description, QStringLiteral("frmPharvel.mnuPharvelReport_Click_Err")));
    // The drugs with no generic name have no handler of their own: the viewer's source stays.
    QCOMPARE(log.messages[1].text, Critical(description, QStringLiteral("frmView.Form_Load")));
    QCOMPARE(r.window->staMessage->text(), QString());
    QVERIFY(!r.window->findChild<frmView*>()->isVisible());
}

QTEST_MAIN(tst_reportcommands)
#include "tst_reportcommands.moc"
