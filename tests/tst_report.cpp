#include "fixtures/TestDatabase.h"
#include "platform/db/ConnectionString.h"
#include "platform/db/PharvelError.h"
#include "platform/report/Application.h"
#include "platform/report/Report.h"
#include "platform/report/ReportContent.h"
#include "platform/report/ReportErrorNumber.h"
#include "platform/report/ReportFileParser.h"
#include "platform/report/ReportLayout.h"
#include "platform/report/ReportPainter.h"
#include "platform/report/ReportTableLocation.h"
#include "platform/report/ReportViewer.h"
#include "platform/report/ReportXlsExport.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFontMetricsF>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollArea>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

// The report engine: report files, tables re-pointed and logged on against a real database,
// pagination, printing, export and the viewer.
class tst_report : public QObject
{
    Q_OBJECT

private slots:
    void parsesAFullDefinition();
    void refusesBadFiles_data();
    void refusesBadFiles();
    void tableLocations();
    void relocatedTablesAreReadWithLogOn_data() { TestDatabase::AddEngineRows(); }
    void relocatedTablesAreReadWithLogOn();
    void exportsWithoutAsking();
    void paginationKeepsEveryRecordOnce_data();
    void paginationKeepsEveryRecordOnce();
    void longNotesRunOverPages();
    void largeReportShowsItsFirstPage_data() { TestDatabase::AddEngineRows(); }
    void largeReportShowsItsFirstPage();
    void printsToPdf();
    void viewerPagesZoomsAndPrints();
    void shippedReportsRun_data() { TestDatabase::AddEngineRows(); }
    void shippedReportsRun();
    void workbookNumbersAndWrappedChanges();
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }
};

namespace {
const QString kProbeReport = QStringLiteral(R"(; a probe of every part of the format
[Report]
Title = Probe Report
PageSize = Letter

[Table]
Name = Probe
Location = Archive.dbo.tbReportProbe

[Table]
Name = Hospital
Location = Archive..tbHospitalInfo

[Text]
Name = CompanyName
Default = (no company)

[Text]
Name = CompanyAddress

[PageHeader]
Center = {CompanyName} / {Hospital.clientname}
Bold = yes
Size = 14

[PageHeader]
Left = {CompanyAddress}
Right = Page {Page} of {Pages}

[Detail]
Table = Probe
Sort = SortOrder descending
Level = Node_Level
Where = Node_Type in 1, 2
BoldWhen = Node_Type = 1
Note = OtherDetails

[Column]
Field = ItemName
Caption = Name
Width = 120

[Column]
Field = ItemCode
Caption = Code
Width = 30
Align = Right

[ReportFooter]
Left = Records: {RecordCount}
)");

// A report over plain rows, without a database, for the layout tests.
const QString kListReport = QStringLiteral(R"(
[Report]
PageSize = A4
[Table]
Name = t
Location = Inventory.dbo.t
[PageHeader]
Center = List
[PageHeader]
Right = Page {Page} of {Pages}
[Detail]
Table = t
Level = Node_Level
Note = OtherDetails
[Column]
Field = ItemName
[ReportFooter]
Left = {RecordCount} entries
)");

std::shared_ptr<ReportContent> listContent(int rows, const QString& note = {})
{
    std::vector<RowSet::Row> data;
    for (int i = 0; i < rows; ++i)
        data.push_back({1 + i % 3, QStringLiteral("Entry %1").arg(i), note});
    return std::make_shared<ReportContent>(
        ReportFileParser::Parse(kListReport, QStringLiteral("list.rpt")),
        RowSet({QStringLiteral("Node_Level"), QStringLiteral("ItemName"),
                QStringLiteral("OtherDetails")},
               std::move(data)),
        QHash<QString, QString>());
}

QPageLayout page(QPageSize::PageSizeId size)
{
    return QPageLayout(QPageSize(size), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                       QPageLayout::Millimeter);
}

void createProbeTable(SQLConnection& c)
{
    c.Execute(QStringLiteral("CREATE TABLE inventory.tbReportProbe (SortOrder INTEGER PRIMARY "
                             "KEY, Node_Level INTEGER, Node_Type TEXT, ItemName TEXT, ItemCode "
                             "TEXT, OtherDetails TEXT)"));
}

// Rows 1..count: levels 1, 2, 3 in turn, types following the levels.
void fillProbeTable(SQLConnection& c, int count)
{
    c.Execute(QStringLiteral(
                  "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
                  "INSERT INTO inventory.tbReportProbe (SortOrder, Node_Level, Node_Type, "
                  "ItemName, ItemCode) SELECT i, 1 + i % 3, CAST(1 + i % 3 AS TEXT), "
                  "'Entry ' || CAST(i AS TEXT), CAST(i AS TEXT) FROM n"),
              {count});
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QString& text)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(text.toUtf8());
    return path;
}

// What the report viewer does with every table: read it from the database Inventory with the
// same owner and table name, and log it on.
void pointAtInventory(ReportEngine::Report& report, const TestDatabase& db)
{
    const ConnectionString target = ConnectionString::Parse(db.ConnectionString());
    for (const auto& table : report.Database().Tables()) {
        const QString location = table->Location();
        table->SetLocation(QStringLiteral("Inventory") +
                           location.mid(location.indexOf(QLatin1Char('.'))));
        table->SetLogOnInfo(db.ConnectionString(), QStringLiteral("Inventory"), target.user,
                            target.password);
    }
}

// The probe report over count rows of the probe table, its tables read from the database
// Inventory and its hospital from the hospital's own table.
std::shared_ptr<ReportEngine::Report> openProbeReport(TestDatabase& db, const QTemporaryDir& dir,
                                                      int count, const QString& text = kProbeReport)
{
    createProbeTable(db.Connection());
    fillProbeTable(db.Connection(), count);
    auto report =
        ReportEngine::Application().OpenReport(writeFile(dir, QStringLiteral("Probe.rpt"), text));
    pointAtInventory(*report, db);
    report->Database()
        .Table(QStringLiteral("Hospital"))
        ->SetLocation(QStringLiteral("Patient_Data.dbo.tbHospitalInfo"));
    return report;
}

std::vector<int> recordsOn(const ReportLayout& layout, int pageIndex)
{
    std::vector<int> records;
    for (const ReportLayout::Band& band : layout.Bands(pageIndex)) {
        if (band.kind == ReportLayout::Band::Kind::Record)
            records.push_back(band.index);
    }
    return records;
}

int pdfPageCount(const QString& path)
{
    const QString pdfinfo = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
    if (!pdfinfo.isEmpty()) {
        QProcess info;
        info.start(pdfinfo, {path});
        info.waitForFinished(30000);
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)"))
                .match(QString::fromUtf8(info.readAllStandardOutput()));
        return m.hasMatch() ? m.captured(1).toInt() : -1;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    return static_cast<int>(QString::fromLatin1(file.readAll())
                                .count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?!s)"))));
}

int errorNumber(const std::function<void()>& action)
{
    try {
        action();
    } catch (const PharvelError& error) {
        return error.Number();
    }
    return 0;
}
} // namespace

void tst_report::parsesAFullDefinition()
{
    const ReportDefinition d = ReportFileParser::Parse(kProbeReport, QStringLiteral("Probe.rpt"));
    QCOMPARE(d.name, QStringLiteral("Probe"));
    QCOMPARE(d.title, QStringLiteral("Probe Report"));
    QCOMPARE(d.pageSize, QPageSize::Letter);
    QCOMPARE(d.tables.size(), size_t(2));
    // Each table reads only what the report uses of it.
    QCOMPARE(d.tables[0].fields,
             QStringList({QStringLiteral("ItemName"), QStringLiteral("ItemCode"),
                          QStringLiteral("SortOrder"), QStringLiteral("Node_Level"),
                          QStringLiteral("Node_Type"), QStringLiteral("OtherDetails")}));
    QCOMPARE(d.tables[1].fields, QStringList{QStringLiteral("clientname")});
    QCOMPARE(d.textProperties.size(), size_t(2));
    QCOMPARE(d.textProperties[0].defaultText, QStringLiteral("(no company)"));
    QCOMPARE(d.pageHeader.size(), size_t(2));
    QVERIFY(d.pageHeader[0].bold);
    QCOMPARE(d.pageHeader[0].pointSize, 14.0);
    QCOMPARE(d.pageHeader[1].right.Parts().size(), 4);
    QCOMPARE(d.pageHeader[1].right.Parts()[1].kind, ReportTemplate::Part::Kind::Page);
    QCOMPARE(d.pageHeader[1].right.Parts()[3].kind, ReportTemplate::Part::Kind::Pages);
    QVERIFY(d.detail.sortDescending);
    QCOMPARE(d.detail.where.values, QStringList({QStringLiteral("1"), QStringLiteral("2")}));
    QCOMPARE(d.detail.boldWhen.values, QStringList{QStringLiteral("1")});
    QCOMPARE(d.columns[1].alignment, Qt::AlignRight);
    QCOMPARE(d.columns[0].width, 120.0);
    QCOMPARE(d.reportFooter.size(), size_t(1));
}

void tst_report::refusesBadFiles_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("complaint");
    const QString base = QStringLiteral("[Table]\nName = t\nLocation = Inventory.dbo.t\n"
                                        "[Detail]\nTable = t\n[Column]\nField = f\n");
    QTest::newRow("unknown key") << base + QStringLiteral("Widht = 3\n")
                                 << QStringLiteral("line 8");
    QTest::newRow("unknown section")
        << base + QStringLiteral("[Footer]\n") << QStringLiteral("line 8");
    QTest::newRow("key twice") << base + QStringLiteral("Field = g\n") << QStringLiteral("line 8");
    QTest::newRow("field not a name")
        << base + QStringLiteral("[Column]\nField = f; DROP TABLE x\n") << QStringLiteral("line 9");
    QTest::newRow("sort not a name")
        << QStringLiteral("[Table]\nName = t\nLocation = Inventory.dbo.t\n[Detail]\nTable = t\n"
                          "Sort = 1=1\n[Column]\nField = f\n")
        << QStringLiteral("line 6");
    QTest::newRow("bad sort direction")
        << QStringLiteral("[Table]\nName = t\nLocation = Inventory.dbo.t\n[Detail]\nTable = t\n"
                          "Sort = f upward\n[Column]\nField = f\n")
        << QStringLiteral("line 6");
    QTest::newRow("location without dots")
        << QStringLiteral("[Table]\nName = t\nLocation = tbPharvel\n") << QStringLiteral("line 3");
    QTest::newRow("location with a statement")
        << QStringLiteral("[Table]\nName = t\nLocation = Inventory.dbo.t;DROP\n")
        << QStringLiteral("line 3");
    QTest::newRow("no detail")
        << QStringLiteral("[Table]\nName = t\nLocation = Inventory.dbo.t\n[Column]\nField = f\n")
        << QStringLiteral("no [Detail]");
    QTest::newRow("no column") << QStringLiteral("[Table]\nName = t\nLocation = Inventory.dbo.t\n"
                                                 "[Detail]\nTable = t\n")
                               << QStringLiteral("no [Column]");
    QTest::newRow("no table") << QStringLiteral("[Detail]\nTable = t\n[Column]\nField = f\n")
                              << QStringLiteral("no [Table]");
    QTest::newRow("undeclared detail table")
        << QStringLiteral("[Table]\nName = t\nLocation = Inventory.dbo.t\n[Detail]\nTable = u\n"
                          "[Column]\nField = f\n")
        << QStringLiteral("\"u\"");
    QTest::newRow("unknown placeholder")
        << base + QStringLiteral("[PageHeader]\nLeft = {Company}\n") << QStringLiteral("line 9");
    QTest::newRow("unclosed brace")
        << base + QStringLiteral("[PageHeader]\nLeft = {Page\n") << QStringLiteral("line 9");
    QTest::newRow("field of an undeclared table")
        << base + QStringLiteral("[PageHeader]\nLeft = {other.name}\n") << QStringLiteral("other");
    QTest::newRow("bad condition")
        << QStringLiteral("[Table]\nName = t\nLocation = Inventory.dbo.t\n[Detail]\nTable = t\n"
                          "Where = Node_Type like 1\n[Column]\nField = f\n")
        << QStringLiteral("line 6");
    QTest::newRow("width out of range")
        << base + QStringLiteral("Width = -4\n") << QStringLiteral("line 8");
    QTest::newRow("bad flag") << base + QStringLiteral("Bold = maybe\n")
                              << QStringLiteral("line 8");
    QTest::newRow("text property on a built-in name")
        << base + QStringLiteral("[Text]\nName = Page\n") << QStringLiteral("line 8");
    QTest::newRow("value outside a section")
        << QStringLiteral("Name = x\n") << QStringLiteral("line 1");
    QTest::newRow("bad line") << base + QStringLiteral("just words\n") << QStringLiteral("line 8");
}

void tst_report::refusesBadFiles()
{
    QFETCH(QString, text);
    QFETCH(QString, complaint);
    try {
        ReportFileParser::Parse(text, QStringLiteral("bad.rpt"));
        QFAIL("the file was accepted");
    } catch (const PharvelError& error) {
        QCOMPARE(error.Number(), ErrorNumber::ReportFileInvalid);
        QVERIFY2(error.Description().startsWith(QLatin1String("bad.rpt")),
                 qPrintable(error.Description()));
        QVERIFY2(error.Description().contains(complaint), qPrintable(error.Description()));
    }
    QTemporaryDir dir;
    QCOMPARE(errorNumber([&] {
                 ReportEngine::Application().OpenReport(dir.filePath(QStringLiteral("none.rpt")));
             }),
             ErrorNumber::ReportFileInvalid);
}

void tst_report::tableLocations()
{
    const ReportTableLocation full =
        ReportTableLocation::Parse(QStringLiteral("Inventory.dbo.tbPharvelReport"));
    QCOMPARE(full.SqlTable(), QStringLiteral("inventory.tbPharvelReport"));
    QCOMPARE(full.Text(), QStringLiteral("Inventory.dbo.tbPharvelReport"));
    QCOMPARE(ReportTableLocation::Parse(QStringLiteral("PATIENT_DATA..tbHospitalInfo")).SqlTable(),
             QStringLiteral("patient_data.tbHospitalInfo"));
    for (const char* bad : {"tbPharvelReport", "Inventory.tbPharvelReport", "a.b.c.d",
                            "Inventory.dbo.x y", "Inventory.dbo.", ".dbo.x", "Inv\"entory.dbo.x"})
        QCOMPARE(errorNumber([&] { ReportTableLocation::Parse(QString::fromLatin1(bad)); }),
                 ErrorNumber::ReportTableInvalid);

    ReportEngine::DatabaseTable table(
        {QStringLiteral("t"), QStringLiteral("Old.dbo.t"), {QStringLiteral("f")}});
    QCOMPARE(errorNumber([&] { table.SetLocation(QStringLiteral("Inventory")); }),
             ErrorNumber::ReportTableInvalid);
    QCOMPARE(table.Location(), QStringLiteral("Old.dbo.t"));
    QCOMPARE(errorNumber([&] { table.Read(nullptr); }), ErrorNumber::ReportNotLoggedOn);
}

void tst_report::relocatedTablesAreReadWithLogOn()
{
    QFETCH(QString, engine);
    TestDatabase db(engine);
    SQLConnection& c = db.Connection();
    createProbeTable(c);
    const QString insert =
        QStringLiteral("INSERT INTO inventory.tbReportProbe (SortOrder, Node_Level, "
                       "Node_Type, ItemName, ItemCode, OtherDetails) VALUES (?, ?, ?, ?, ?, ?)");
    c.Execute(insert,
              {1, 1, QStringLiteral("1"), QStringLiteral("Analgesics"), QVariant(), QVariant()});
    c.Execute(insert, {2, 2, QStringLiteral("2"), QStringLiteral("O'Brien's \"salts\""), QVariant(),
                       QStringLiteral("Line one\r\nLine two")});
    c.Execute(insert, {3, 3, QStringLiteral("3"), QStringLiteral("Drug left out"),
                       QStringLiteral("77"), QVariant()});
    c.Execute(insert, {4, 9, QStringLiteral("2"), QStringLiteral("Deep"), QVariant(), QVariant()});
    c.Execute(
        QStringLiteral("INSERT INTO patient_data.tbHospitalInfo (HospitalID, clientname, company, "
                       "address1) VALUES (?, ?, ?, ?)"),
        {1, QStringLiteral("St. Mary"), QStringLiteral("SMH"), QStringLiteral("1 Road")});

    QTemporaryDir dir;
    auto report = ReportEngine::Application().OpenReport(
        writeFile(dir, QStringLiteral("Probe.rpt"), kProbeReport));
    // Read before any log-on: refused, not an empty report.
    QCOMPARE(errorNumber([&] { report->Content(); }), ErrorNumber::ReportNotLoggedOn);

    report->FormulaFields()[0].SetText(QStringLiteral("General {Hospital}"));
    report->FormulaFieldByName(QStringLiteral("companyaddress"))
        .SetText(QStringLiteral("1 Main Road"));
    QCOMPARE(errorNumber([&] { report->FormulaFieldByName(QStringLiteral("Nothing")); }),
             ErrorNumber::ReportFileInvalid);

    pointAtInventory(*report, db);
    QCOMPARE(report->Database().Tables()[0]->Location(),
             QStringLiteral("Inventory.dbo.tbReportProbe"));
    // The hospital's header lives in the other schema.
    ReportEngine::DatabaseTable* hospital = report->Database().Table(QStringLiteral("hospital"));
    QVERIFY(hospital);
    hospital->SetLocation(QStringLiteral("Patient_Data..tbHospitalInfo"));

    const ReportContent& content = report->Content();
    // Drugs (type 3) left out by the server; the rest in descending order.
    QCOMPARE(content.RecordCount(), 3);
    QCOMPARE(content.CellText(0, 0), QStringLiteral("Deep"));
    QCOMPARE(content.CellText(1, 0), QStringLiteral("O'Brien's \"salts\""));
    QCOMPARE(content.CellText(2, 0), QStringLiteral("Analgesics"));
    QCOMPARE(content.Level(0), 9);
    QCOMPARE(content.Level(1), 2);
    QVERIFY(content.IsBold(2, 0));
    QVERIFY(!content.IsBold(1, 0));
    QCOMPARE(content.Note(1), QStringLiteral("Line one\nLine two"));
    QCOMPARE(content.Note(0), QString());
    const ReportDefinition& d = report->Definition();
    QCOMPARE(content.Expand(d.pageHeader[0].center, 1, 1),
             QStringLiteral("General {Hospital} / St. Mary"));
    QCOMPARE(content.Expand(d.pageHeader[1].left, 1, 1), QStringLiteral("1 Main Road"));
    QCOMPARE(content.Expand(d.pageHeader[1].right, 2, 5), QStringLiteral("Page 2 of 5"));
    QCOMPARE(content.Expand(d.reportFooter[0].left, 1, 1), QStringLiteral("Records: 3"));

    // Re-pointed at a table that is not there: the next read fails with the driver's error.
    report->Database().Tables()[0]->SetLocation(QStringLiteral("Inventory.dbo.tbNoSuchTable"));
    QCOMPARE(errorNumber([&] { report->Content(); }), ErrorNumber::DatabaseError);
    report->Database().Tables()[0]->SetLocation(QStringLiteral("Inventory.dbo.tbReportProbe"));
    c.Execute(insert,
              {5, 1, QStringLiteral("1"), QStringLiteral("Added later"), QVariant(), QVariant()});
    QCOMPARE(report->Content().RecordCount(), 4);

    // A log-on to a server that is not there fails at once.
    const QString missing = engine == QLatin1String("sqlite")
                                ? dir.filePath(QStringLiteral("no-such-catalogue"))
                                : QStringLiteral("postgresql://nobody@127.0.0.1:1/none");
    QVERIFY(errorNumber([&] {
                report->Database().Tables()[0]->SetLogOnInfo(
                    missing, QStringLiteral("Inventory"), QStringLiteral("u"), QStringLiteral("p"));
            }) != 0);
}

void tst_report::exportsWithoutAsking()
{
    TestDatabase db(QStringLiteral("sqlite"));
    QTemporaryDir dir;
    auto report = openProbeReport(db, dir, 500);

    using namespace ReportEngine;
    ExportOptions& options = report->ExportOptions();
    QCOMPARE(errorNumber([&] { report->Export(); }), ErrorNumber::ReportExportFailed);

    const QString xls = dir.filePath(QStringLiteral("Probe.2024.01.31.xls"));
    options.SetFormatType(ExportFormatType::Excel80);
    options.SetDestinationType(ExportDestinationType::DiskFile);
    options.SetDiskFileName(xls);
    QCOMPARE(int(options.FormatType()), 29);
    QCOMPARE(int(options.DestinationType()), 1);
    QCOMPARE(errorNumber([&] { report->Export(true); }), ErrorNumber::ReportExportFailed);
    QVERIFY(!QFile::exists(xls));
    report->Export();
    QVERIFY(QFile::exists(xls));

    QProcess reader;
    reader.start(
        QStringLiteral("/usr/bin/python3"),
        {QStringLiteral("-c"),
         QStringLiteral("import sys, xlrd\n"
                        "b = xlrd.open_workbook(sys.argv[1], formatting_info=True)\n"
                        "s = b.sheet_by_index(0)\n"
                        "bold = b.font_list[b.xf_list[s.cell_xf_index(0, 1)].font_index].bold\n"
                        "print(s.name, s.nrows, s.ncols, s.cell_value(0, 0), s.cell_value(0, 1),\n"
                        "      s.cell_value(1, 1), bool(bold))"),
         xls});
    reader.waitForFinished(60000);
    if (reader.exitCode() == 0) {
        // Entry i is a drug (type 3) when i % 3 == 2: those are left out. A caption row, then
        // the records from the highest sort order down; level, name, code and the notes.
        QCOMPARE(QString::fromUtf8(reader.readAllStandardOutput()).trimmed(),
                 QStringLiteral("Probe Report 334 4 Level Name Entry 499 True"));
    } else {
        qInfo("/usr/bin/python3 has no xlrd module; the exported workbook is not read back");
    }

    const QString rtf = dir.filePath(QStringLiteral("probe.rtf"));
    options.Reset();
    QCOMPARE(options.FormatType(), ExportFormatType::None);
    QCOMPARE(errorNumber([&] { report->Export(); }), ErrorNumber::ReportExportFailed);
    options.SetFormatType(ExportFormatType::RichText);
    options.SetDestinationType(ExportDestinationType::DiskFile);
    options.SetDiskFileName(rtf);
    report->Export();
    QFile written(rtf);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QByteArray document = written.readAll();
    QVERIFY(document.startsWith("{\\rtf1"));
    QVERIFY(document.contains("{Entry 499}"));
    QVERIFY(document.contains("{\\b Entry 3}")); // a classification, in bold
    QVERIFY(!document.contains("{Entry 2}"));    // a drug: left out by the condition

    // A folder that does not exist: the export fails and writes nothing.
    const QString nowhere = dir.filePath(QStringLiteral("My Documents/probe.rtf"));
    options.SetDiskFileName(nowhere);
    QCOMPARE(errorNumber([&] { report->Export(); }), ErrorNumber::ReportExportFailed);
    QVERIFY(!QFile::exists(nowhere));
}

void tst_report::paginationKeepsEveryRecordOnce_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("size");
    for (const int rows : {0, 1, 59, 60, 61, 1000}) {
        QTest::addRow("%d rows A4", rows) << rows << int(QPageSize::A4);
        QTest::addRow("%d rows Letter", rows) << rows << int(QPageSize::Letter);
    }
}

void tst_report::paginationKeepsEveryRecordOnce()
{
    QFETCH(int, rows);
    QFETCH(int, size);
    const auto content = listContent(rows);
    const ReportLayout layout(content, page(QPageSize::PageSizeId(size)));
    const ReportLayout reference(listContent(1000), page(QPageSize::PageSizeId(size)));
    const int perPage = static_cast<int>(recordsOn(reference, 0).size());
    QVERIFY(perPage > 10);

    int next = 0;
    for (int p = 0; p < layout.PageCount(); ++p) {
        const auto& bands = layout.Bands(p);
        // The page header and the headings open every page, and nothing passes the page's end.
        QCOMPARE(bands.at(0).kind, ReportLayout::Band::Kind::HeaderLine);
        QCOMPARE(bands.at(1).kind, ReportLayout::Band::Kind::HeaderLine);
        QCOMPARE(bands.at(2).kind, ReportLayout::Band::Kind::Headings);
        QVERIFY(bands.back().top + bands.back().height <= layout.ContentSize().height());
        for (const int record : recordsOn(layout, p))
            QCOMPARE(record, next++);
    }
    QCOMPARE(next, rows);
    // The footer closes the last page, or opens a page of its own when the last one has no room
    // left for the gap above it and its line: one record short of full, or full.
    const int recordPages = rows == 0 ? 1 : (rows + perPage - 1) / perPage;
    if (layout.PageCount() == recordPages + 1) {
        QVERIFY(recordsOn(layout, recordPages).empty());
        QVERIFY(static_cast<int>(recordsOn(layout, recordPages - 1).size()) >= perPage - 1);
    } else {
        QCOMPARE(layout.PageCount(), recordPages);
    }
    QCOMPARE(layout.Bands(layout.PageCount() - 1).back().kind,
             ReportLayout::Band::Kind::FooterLine);
    QCOMPARE(content->Expand(content->Definition().reportFooter[0].left, 1, 1),
             QStringLiteral("%1 entries").arg(rows));
}

void tst_report::longNotesRunOverPages()
{
    const QString paragraph =
        QStringLiteral("Contra-indicated in severe hepatic impairment; reduce the dose. ")
            .repeated(8);
    const auto content = listContent(3, (paragraph + QLatin1Char('\n')).repeated(25));
    const ReportLayout layout(content, page(QPageSize::A4));
    QVERIFY(layout.PageCount() > 3);
    int noteLines = 0;
    double lastRecordIndent = -1;
    for (int p = 0; p < layout.PageCount(); ++p) {
        for (const ReportLayout::Band& band : layout.Bands(p)) {
            if (band.kind == ReportLayout::Band::Kind::Record)
                lastRecordIndent = layout.Indent(band.index);
            if (band.kind != ReportLayout::Band::Kind::NoteLine)
                continue;
            ++noteLines;
            // Wrapped to the room beside the indent, and never lost.
            const QFontMetricsF metrics(ReportLayout::Font(10, false));
            const double room =
                layout.ContentSize().width() - lastRecordIndent - layout.NoteIndent();
            QVERIFY(metrics.horizontalAdvance(layout.NoteLine(band.index).trimmed()) <= room + 1);
        }
    }
    QVERIFY(noteLines >= 3 * 25 * 4);
    // Levels: the second and third records stand further in.
    QVERIFY(layout.Indent(1) > layout.Indent(0));
    QVERIFY(layout.Indent(2) > layout.Indent(1));
}

void tst_report::largeReportShowsItsFirstPage()
{
    QFETCH(QString, engine);
    TestDatabase db(engine);
    QTemporaryDir dir;
    auto report = openProbeReport(
        db, dir, 32000,
        QString(kProbeReport).replace(QStringLiteral("Where = Node_Type in 1, 2\n"), QString()));
    const auto layout = report->Layout(report->Definition().PageLayout());
    QImage image(QSize(850, 1100), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.scale(100 / ReportLayout::kUnitsPerInch, 100 / ReportLayout::kUnitsPerInch);
        ReportPainter::PaintPage(painter, *layout, 0);
    }
    QCOMPARE(report->Content().RecordCount(), 32000);
    QVERIFY(layout->PageCount() > 32000 / 80);
    QCOMPARE(recordsOn(*layout, 0).front(), 0);
    QCOMPARE(report->Content().CellText(0, 0), QStringLiteral("Entry 32000")); // descending
    // Something was drawn.
    bool inked = false;
    for (int y = 0; y < image.height() && !inked; y += 3)
        for (int x = 0; x < image.width() && !inked; ++x)
            inked = qGray(image.pixel(x, y)) < 100;
    QVERIFY(inked);
}

void tst_report::printsToPdf()
{
    TestDatabase db(QStringLiteral("sqlite"));
    QTemporaryDir dir;
    auto report = openProbeReport(db, dir, 300);

    for (const QPageSize::PageSizeId size : {QPageSize::A4, QPageSize::Letter}) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString pdf = dir.filePath(QStringLiteral("probe-%1.pdf").arg(int(size)));
        printer.setOutputFileName(pdf);
        printer.setPageLayout(page(size));
        report->PrintOut(printer);
        const int expected = report->Layout(printer.pageLayout())->PageCount();
        QVERIFY(expected > 2);
        QCOMPARE(pdfPageCount(pdf), expected);
    }

    QPrinter range(QPrinter::HighResolution);
    range.setOutputFormat(QPrinter::PdfFormat);
    range.setOutputFileName(dir.filePath(QStringLiteral("range.pdf")));
    range.setPageLayout(page(QPageSize::A4));
    range.setFromTo(2, 3);
    report->PrintOut(range);
    QCOMPARE(pdfPageCount(dir.filePath(QStringLiteral("range.pdf"))), 2);
}

void tst_report::viewerPagesZoomsAndPrints()
{
    TestDatabase db(QStringLiteral("sqlite"));
    QTemporaryDir dir;
    auto report = openProbeReport(db, dir, 400);

    ReportViewer viewer;
    viewer.resize(900, 700);
    QCOMPARE(viewer.PageCount(), 0);
    viewer.SetReportSource(report);
    viewer.ViewReport();
    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    const int pages = viewer.PageCount();
    QVERIFY(pages > 3);
    QCOMPARE(viewer.PageLabel()->text(), QStringLiteral("Page 1 of %1").arg(pages));

    QList<QAction*> actions = viewer.ToolBar()->actions();
    auto action = [&](const QString& text) {
        for (QAction* a : actions)
            if (a->text() == text)
                return a;
        return static_cast<QAction*>(nullptr);
    };
    QVERIFY(!action(QStringLiteral("Previous Page"))->isEnabled());
    action(QStringLiteral("Next Page"))->trigger();
    QCOMPARE(viewer.CurrentPage(), 2);
    action(QStringLiteral("Last Page"))->trigger();
    QCOMPARE(viewer.PageLabel()->text(), QStringLiteral("Page %1 of %1").arg(pages));
    QVERIFY(!action(QStringLiteral("Next Page"))->isEnabled());
    viewer.ShowNextPage();
    QCOMPARE(viewer.CurrentPage(), pages);
    viewer.ShowNthPage(-5);
    QCOMPARE(viewer.CurrentPage(), 1);

    const double before = viewer.Zoom();
    action(QStringLiteral("Zoom In"))->trigger();
    QVERIFY(viewer.Zoom() > before);
    for (int i = 0; i < 40; ++i)
        viewer.ZoomOut();
    QVERIFY(viewer.Zoom() > 0.05);
    // Fit to width: the page fills the visible width without a horizontal scroll bar.
    action(QStringLiteral("Fit Width"))->trigger();
    const QScrollArea* area = viewer.findChild<QScrollArea*>();
    QVERIFY(area && area->widget());
    QVERIFY(area->widget()->width() <= area->viewport()->width());
    QVERIFY(area->widget()->width() > area->viewport()->width() - 30);

    // The page on screen carries ink at every zoom.
    viewer.SetZoom(1);
    const QImage shown = viewer.grab().toImage();
    int dark = 0;
    for (int y = 0; y < shown.height(); y += 2)
        for (int x = 0; x < shown.width(); x += 2)
            dark += qGray(shown.pixel(x, y)) < 80 ? 1 : 0;
    QVERIFY(dark > 50);

    bool asked = false;
    viewer.SetPrinterChooser([&](QPrinter&) {
        asked = true;
        return false;
    });
    viewer.PrintReport();
    QVERIFY(asked);
    const QString pdf = dir.filePath(QStringLiteral("viewer.pdf"));
    QVERIFY(!QFile::exists(pdf));
    viewer.SetPrinterChooser([&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    });
    viewer.PrintReport();
    QCOMPARE(pdfPageCount(pdf), pages);
}

void tst_report::shippedReportsRun()
{
    QFETCH(QString, engine);
    TestDatabase db(engine);
    SQLConnection& c = db.Connection();
    // The report preparation fills these; where its tables are not there yet, stand-ins of the
    // same shape are made here.
    auto exists = [&](const QString& table) {
        try {
            c.Scalar(QStringLiteral("SELECT count(*) FROM inventory.") + table);
            return true;
        } catch (const PharvelError&) {
            return false;
        }
    };
    if (!exists(QStringLiteral("tbPharvelReport"))) {
        c.Execute(
            QStringLiteral("CREATE TABLE inventory.tbPharvelReport (SortOrder INTEGER PRIMARY KEY, "
                           "Node_Key TEXT, Node_Level INTEGER, Node_Type TEXT, ItemName TEXT, "
                           "ItemCode TEXT, OtherDetails TEXT)"));
        const QString insert =
            QStringLiteral("INSERT INTO inventory.tbPharvelReport (SortOrder, Node_Key, "
                           "Node_Level, Node_Type, ItemName, ItemCode, OtherDetails) "
                           "VALUES (?, ?, ?, ?, ?, ?, ?)");
        c.Execute(insert, {1, QStringLiteral("_1"), 1, QStringLiteral("1"),
                           QStringLiteral("Analgesics"), QVariant(), QVariant()});
        c.Execute(insert,
                  {2, QStringLiteral("_1.1"), 2, QStringLiteral("2"), QStringLiteral("Paracetamol"),
                   QVariant(), QStringLiteral("Max 4 g a day.\nHepatotoxic in overdose.")});
        c.Execute(insert, {3, QStringLiteral("_1.1.1"), 3, QStringLiteral("3"),
                           QStringLiteral("Biogesic 500 mg"), QStringLiteral("1021"), QVariant()});
    }
    if (!exists(QStringLiteral("vwDrugsWithNoGeneric"))) {
        c.Execute(QStringLiteral(
            "CREATE TABLE inventory.vwDrugsWithNoGeneric (itemid INTEGER, DrugName TEXT, "
            "Description TEXT)"));
        c.Execute(QStringLiteral("INSERT INTO inventory.vwDrugsWithNoGeneric VALUES (?, ?, ?)"),
                  {501, QStringLiteral("Zinc oxide"), QStringLiteral("ointment")});
    }
    const int structureRows =
        c.Scalar(QStringLiteral("SELECT count(*) FROM inventory.tbPharvelReport")).toInt();
    const int detailRows = c.Scalar(QStringLiteral("SELECT count(*) FROM inventory.tbPharvelReport "
                                                   "WHERE Node_Type IN ('1', '2')"))
                               .toInt();
    const int orphanRows =
        c.Scalar(QStringLiteral("SELECT count(*) FROM inventory.vwDrugsWithNoGeneric")).toInt();

    const struct
    {
        const char* file;
        int records;
    } reports[] = {{"PharvelStructure.rpt", structureRows},
                   {"DrugsWithNoGeneric.rpt", orphanRows},
                   {"PharvelReportWithOtherDetails.rpt", detailRows}};
    for (const auto& shipped : reports) {
        const QString path =
            QFINDTESTDATA(QStringLiteral("../resources/reports/") + QLatin1String(shipped.file));
        QVERIFY2(!path.isEmpty(), shipped.file);
        auto report = ReportEngine::Application().OpenReport(path);
        // The viewer's two texts: the company name first, the address line second.
        QCOMPARE(report->FormulaFields().size(), 2);
        report->FormulaFields()[0].SetText(QStringLiteral("St. Mary's Hospital"));
        report->FormulaFields()[1].SetText(QStringLiteral("1 Main Road"));
        pointAtInventory(*report, db);
        const ReportContent& content = report->Content();
        QCOMPARE(content.RecordCount(), shipped.records);
        const auto layout = report->Layout(report->Definition().PageLayout());
        QVERIFY(layout->PageCount() >= 1);
        QCOMPARE(content.Expand(report->Definition().pageHeader.at(0).center, 1, 1),
                 QStringLiteral("St. Mary's Hospital"));
        QCOMPARE(content.Expand(report->Definition().pageHeader.at(3).right, 1, 7),
                 QStringLiteral("Page 1 of 7"));
    }
}

// The shipped reports as exported and drawn: ids are number cells in the workbook while a name
// that looks like a number stays text, and a long before → after value of the changes report
// wraps within the page's width on screen, on paper and in the .rtf rather than being cut.
void tst_report::workbookNumbersAndWrappedChanges()
{
    TestDatabase db(QStringLiteral("sqlite"));
    SQLConnection& c = db.Connection();
    const QString structure = QStringLiteral(
        "INSERT INTO inventory.tbPharvelReport (PreparationID, SortOrder, Node_Level, Node_Type, "
        "ItemName, ItemCode) VALUES (1, ?, ?, ?, ?, ?)");
    c.Execute(structure, {1, 1, QStringLiteral("1"), QStringLiteral("Analgesics"), QVariant()});
    c.Execute(structure, {2, 2, QStringLiteral("2"), QStringLiteral("1021"), QVariant()});
    c.Execute(structure,
              {3, 3, QStringLiteral("3"), QStringLiteral("Biogesic"), QStringLiteral("1021")});
    const QString longChange = QStringLiteral("PARACETAMOL 500MG FILM-COATED TABLET ") +
                               QString::fromUtf8("\u2192") +
                               QStringLiteral(" PARACETAMOL 500MG FILM-COATED TABLET, "
                                              "BLISTER PACK OF TWENTY, HOSPITAL SUPPLY ONLY");
    c.Execute(QStringLiteral("INSERT INTO inventory.tbCatalogueChanges (PreparationID, SortOrder, "
                             "RowLevel, RowType, ChangeTime, UserName, Action, Entry, Change) "
                             "VALUES (1, 1, 1, '2', '10:00', 'ph1', 'renamed', 'Paracetamol', ?)"),
              {longChange});
    c.Execute(QStringLiteral(
        "INSERT INTO inventory.tbCatalogueChangesPeriod (PreparationID, Period, Changes) VALUES "
        "(1, 'today', 1)"));
    const auto open = [&](const char* file) {
        auto report = ReportEngine::Application().OpenReport(
            QFINDTESTDATA(QStringLiteral("../resources/reports/") + QLatin1String(file)));
        pointAtInventory(*report, db);
        return report;
    };

    QTemporaryDir dir;
    const QString xls = dir.filePath(QStringLiteral("structure.xls"));
    {
        QFile file(xls);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(ReportXlsExport::Workbook(open("PharvelStructure.rpt")->Content()));
    }
    QProcess reader;
    reader.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import sys, xlrd\n"
                                 "s = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)\n"
                                 "print([(s.cell_type(r, c), s.cell_value(r, c)) "
                                 "for r, c in ((2, 1), (3, 2))])"),
                  xls});
    reader.waitForFinished(60000);
    if (reader.exitCode() == 0)
        QCOMPARE(QString::fromUtf8(reader.readAllStandardOutput()).trimmed(),
                 QStringLiteral("[(1, '1021'), (2, 1021.0)]"));
    else
        qInfo("/usr/bin/python3 has no xlrd module; the exported workbook is not read back");

    const auto changes = open("CatalogueChanges.rpt");
    const auto layout = changes->Layout(changes->Definition().PageLayout());
    const int last = static_cast<int>(changes->Definition().columns.size()) - 1;
    QVERIFY(layout->ColumnLeft(last) + layout->ColumnWidth(last) <=
            layout->ContentSize().width() + 0.5);
    const QStringList lines = layout->WrappedCell(0);
    QVERIFY(lines.size() >= 2);
    QCOMPARE(lines.join(QString()), longChange);
    const std::vector<ReportLayout::Band>& bands = layout->Bands(0);
    const auto record = std::find_if(bands.cbegin(), bands.cend(), [](const auto& band) {
        return band.kind == ReportLayout::Band::Kind::Record;
    });
    QVERIFY(record != bands.cend());
    QCOMPARE(record->height, lines.size() * ReportLayout::LineHeight(9, false));
    // Each line drawn fits its column: nothing is cut short.
    QFontMetricsF metrics(ReportLayout::Font(9, false));
    for (const QString& line : lines)
        QVERIFY(metrics.horizontalAdvance(line.trimmed()) <= layout->ColumnWidth(last));

    const QString rtf = dir.filePath(QStringLiteral("changes.rtf"));
    ReportEngine::ExportOptions& options = changes->ExportOptions();
    options.SetFormatType(ReportEngine::ExportFormatType::RichText);
    options.SetDestinationType(ReportEngine::ExportDestinationType::DiskFile);
    options.SetDiskFileName(rtf);
    changes->Export();
    QFile written(rtf);
    QVERIFY(written.open(QIODevice::ReadOnly));
    // The wrapped lines stand under the last column: the paragraph's later lines start there.
    const int wrapLeft = qRound((28 + 28 + 42 + 60) / 25.4 * 1440);
    QVERIFY(written.readAll().contains(QByteArray("\\li") + QByteArray::number(wrapLeft) + "\\fi-" +
                                       QByteArray::number(wrapLeft)));
}

QTEST_MAIN(tst_report)
#include "tst_report.moc"
