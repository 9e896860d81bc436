#include "platform/db/RowSet.h"
#include "platform/report/ReportContent.h"
#include "platform/report/ReportFileParser.h"
#include "platform/report/ReportRtfExport.h"
#include "platform/report/RtfWriter.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

// The rich-text writer and the report's rich-text export, read back with an independent reader.
class tst_rtf : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void textIsEscaped();
    void documentReadsBack();
    void reportExportKeepsLevelsAndNotes();

private:
    // The reader's text of a document: as plain text, or from its HTML rendering (which keeps
    // characters beyond ASCII).
    QString ReadBack(const QByteArray& rtf, bool viaHtml);
    QTemporaryDir m_dir;
    QString m_unrtf;
};

void tst_rtf::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_unrtf = QStandardPaths::findExecutable(QStringLiteral("unrtf"));
}

QString tst_rtf::ReadBack(const QByteArray& rtf, bool viaHtml)
{
    const QString path = m_dir.filePath(QStringLiteral("doc.rtf"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(rtf);
    file.close();
    QProcess reader;
    reader.start(m_unrtf, {viaHtml ? QStringLiteral("--html") : QStringLiteral("--text"), path});
    if (!reader.waitForFinished(30000) || reader.exitCode() != 0)
        return {};
    const QString out = QString::fromUtf8(reader.readAllStandardOutput());
    if (!viaHtml)
        return out;
    QTextDocument html;
    html.setHtml(out);
    return html.toPlainText();
}

void tst_rtf::textIsEscaped()
{
    const QString text = QStringLiteral("a{b}c\\d \u00E9\u4E2D\U0001F48A\tx\ny\u0001z");
    QCOMPARE(RtfWriter::EscapeText(text),
             QByteArray("a\\{b\\}c\\\\d \\u233\\'3f\\u20013\\'3f\\u-10179\\'3f\\u-9078\\'3f"
                        "\\tab x\\line yz"));
}

void tst_rtf::documentReadsBack()
{
    if (m_unrtf.isEmpty())
        QSKIP("unrtf is not installed (Debian package unrtf); documents are not read back");
    using Run = RtfWriter::Run;
    RtfWriter rtf(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                              QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
    rtf.AddHeaderParagraph({{{QStringLiteral("Page "), false, Run::Kind::Text},
                             {QString(), false, Run::Kind::PageNumber},
                             {QStringLiteral(" of "), false, Run::Kind::Text},
                             {QString(), false, Run::Kind::PageCount}},
                            0,
                            Qt::AlignRight,
                            8,
                            {}});
    const QString unicode = QStringLiteral(
        "St. Mary's {Caf\u00E9} \u0645\u0633\u062A\u0634\u0641\u0649 \U0001F48A end");
    rtf.AddParagraph(
        {{{QStringLiteral("Heading"), true, Run::Kind::Text}}, 0, Qt::AlignCenter, 14, {}});
    rtf.AddParagraph({{{unicode, false, Run::Kind::Text}}, 0, Qt::AlignLeft, 10, {}});
    rtf.AddParagraph(
        {{{QStringLiteral("Indented\tcolumn\\two\nnext line"), false, Run::Kind::Text}},
         720,
         Qt::AlignLeft,
         10,
         {{2880, Qt::AlignRight}}});
    const QByteArray document = rtf.Document();

    for (const char c : document)
        QVERIFY2(static_cast<unsigned char>(c) < 0x80, "an RTF file is 7-bit text");
    QVERIFY(document.contains("\\paperw11906\\paperh16838"));
    QVERIFY(document.contains("{\\b Heading}"));
    QVERIFY(document.contains("\\li720\\fs20\\tqr\\tx2880 "));
    QVERIFY(document.contains("{\\field{\\*\\fldinst PAGE}"));

    const QString text = ReadBack(document, false);
    const qsizetype heading = text.indexOf(QLatin1String("Heading"));
    const qsizetype indented = text.indexOf(QLatin1String("Indented"));
    QVERIFY2(heading >= 0 && indented > heading, qPrintable(text));
    QVERIFY2(text.contains(QLatin1String("column\\two")), qPrintable(text));
    QVERIFY2(text.contains(QLatin1String("\nnext line")), qPrintable(text));
    QVERIFY2(text.indexOf(QLatin1String("{Caf")) > heading, qPrintable(text));

    const QString html = ReadBack(document, true);
    QVERIFY2(html.contains(unicode), qPrintable(html));
}

void tst_rtf::reportExportKeepsLevelsAndNotes()
{
    if (m_unrtf.isEmpty())
        QSKIP("unrtf is not installed (Debian package unrtf); documents are not read back");
    const ReportDefinition definition = ReportFileParser::Parse(QStringLiteral(R"(
[Table]
Name = t
Location = Inventory.dbo.t
[Text]
Name = CompanyName
[PageHeader]
Center = {CompanyName}
[PageHeader]
Right = Page {Page} of {Pages}
[Detail]
Table = t
Level = Node_Level
Indent = 10
BoldWhen = Node_Type = 1
Note = OtherDetails
[Column]
Field = ItemName
Caption = Name
Width = 100
[Column]
Field = ItemCode
Caption = Code
Align = Right
[ReportFooter]
Left = Entries: {RecordCount}
)"),
                                                                QStringLiteral("levels.rpt"));
    std::vector<RowSet::Row> rows{
        {1, QStringLiteral("1"), QStringLiteral("Analgesics"), QVariant(), QVariant()},
        {2, QStringLiteral("2"), QStringLiteral("Paracetamol"), QVariant(),
         QStringLiteral("Take with water.\r\nNot above 4 g a day.")},
        {3, QStringLiteral("3"), QStringLiteral("Tylenol {500}"), QStringLiteral("1234"),
         QVariant()},
    };
    ReportContent content(definition,
                          RowSet({QStringLiteral("Node_Level"), QStringLiteral("Node_Type"),
                                  QStringLiteral("ItemName"), QStringLiteral("ItemCode"),
                                  QStringLiteral("OtherDetails")},
                                 std::move(rows)),
                          {});
    content.SetTexts({{QStringLiteral("companyname"), QStringLiteral("General Hospital")}});
    const QByteArray document = ReportRtfExport::Document(content);

    // Levels 1, 2, 3 at 0, 10 and 20 mm; the note one level further in than its record.
    QVERIFY(document.contains("\\li0\\fs20"));
    QVERIFY(document.contains("\\li567\\fs20"));
    QVERIFY(document.contains("\\li1134\\fs20"));
    QVERIFY(document.contains("\\li1134\\fs20 {Take with water.\\line Not above 4 g a day.}"));
    QVERIFY(document.contains("{\\b Analgesics}"));
    QVERIFY(document.contains("{Paracetamol}"));
    QVERIFY(document.contains("{\\header"));

    const QString text = ReadBack(document, false);
    QStringList expected{QStringLiteral("Name"),
                         QStringLiteral("Analgesics"),
                         QStringLiteral("Paracetamol"),
                         QStringLiteral("Take with water."),
                         QStringLiteral("Not above 4 g a day."),
                         QStringLiteral("Tylenol {500}"),
                         QStringLiteral("1234"),
                         QStringLiteral("Entries: 3")};
    qsizetype at = 0;
    for (const QString& piece : expected) {
        const qsizetype found = text.indexOf(piece, at);
        QVERIFY2(found >= 0, qPrintable(piece + QStringLiteral(" not in order in:\n") + text));
        at = found + piece.size();
    }
}

QTEST_MAIN(tst_rtf)
#include "tst_rtf.moc"
