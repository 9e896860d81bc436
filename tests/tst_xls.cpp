#include "platform/db/PharvelError.h"
#include "platform/report/XlsWriter.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// The spreadsheet writer, checked by reading its files back with an independent reader.
class tst_xls : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cellsReadBackExactly();
    void largeWorkbookSpansManyFatSectors();
    void limitsRefuseRatherThanCorrupt();

private:
    QJsonObject ReadBack(const QByteArray& workbook, bool cells = true);
    QTemporaryDir m_dir;
    QString m_skipReason;
};

namespace {
// Dumps what the reader sees: sheet names, each cell's type, value, boldness and number
// format, and the column widths. Without cells, only the sheet's size and its last row.
const char* kReader = R"(
import json, sys, xlrd
book = xlrd.open_workbook(sys.argv[1], formatting_info=True)
sheet = book.sheet_by_index(0)
def cell(r, c):
    x = sheet.cell(r, c)
    xf = book.xf_list[x.xf_index]
    return [x.ctype, x.value, bool(book.font_list[xf.font_index].bold),
            book.format_map[xf.format_key].format_str]
out = {"names": book.sheet_names(), "nrows": sheet.nrows, "ncols": sheet.ncols,
       "widths": {str(k): v.width for k, v in sheet.colinfo_map.items()}}
if sys.argv[2] == "cells":
    out["rows"] = [[cell(r, c) for c in range(sheet.ncols)] for r in range(sheet.nrows)]
else:
    out["last"] = [cell(sheet.nrows - 1, c) for c in range(sheet.ncols)]
print(json.dumps(out))
)";
constexpr int kTextCell = 1;
constexpr int kNumberCell = 2;
} // namespace

void tst_xls::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QProcess probe;
    probe.start(QStringLiteral("/usr/bin/python3"),
                {QStringLiteral("-c"), QStringLiteral("import xlrd")});
    if (!probe.waitForFinished(30000) || probe.exitCode() != 0)
        m_skipReason = QStringLiteral("/usr/bin/python3 has no xlrd module (Debian package "
                                      "python3-xlrd); workbooks are not read back");
}

QJsonObject tst_xls::ReadBack(const QByteArray& workbook, bool cells)
{
    const QString path = m_dir.filePath(QStringLiteral("book.xls"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(workbook) != workbook.size())
        return {};
    file.close();
    QProcess reader;
    reader.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"), QString::fromLatin1(kReader), path,
                  cells ? QStringLiteral("cells") : QStringLiteral("summary")});
    if (!reader.waitForFinished(120000) || reader.exitCode() != 0) {
        qWarning().noquote() << reader.readAllStandardError();
        return {};
    }
    return QJsonDocument::fromJson(reader.readAllStandardOutput()).object();
}

void tst_xls::cellsReadBackExactly()
{
    if (!m_skipReason.isEmpty())
        QSKIP(qPrintable(m_skipReason));
    // Texts beyond Latin-1 (Arabic, Chinese, a character outside the basic plane), a text
    // that is split over CONTINUE records in both encodings, and the same text twice.
    const QString arabic =
        QStringLiteral("\u0628\u0627\u0631\u0627\u0633\u064A\u062A\u0627\u0645\u0648\u0644");
    const QString mixed = QStringLiteral("Paracetamol \u6251\u70ED\u606F\u75DB \U0001F48A 500 mg");
    const QString longLatin = QString(9000, QLatin1Char('x')) + QStringLiteral("\u00E9nd");
    const QString longWide = QString(6000, QChar(0x4E2D)) + QStringLiteral("end");
    const int rows = 3000;

    XlsWriter sheet(QStringLiteral("Pharvel: Structure/2024 [draft] with a far too long name"));
    sheet.SetColumnWidth(0, 40);
    sheet.SetColumnWidth(2, 12.5);
    sheet.SetText(0, 0, QStringLiteral("Name"), true);
    sheet.SetText(0, 1, QStringLiteral("Code"), true);
    sheet.SetText(0, 2, QStringLiteral("Amount"), true);
    for (int r = 1; r <= rows; ++r) {
        sheet.SetText(r, 0, r % 2 ? arabic + QString::number(r) : mixed + QString::number(r),
                      r % 10 == 0);
        sheet.SetNumber(r, 1, r);
    }
    sheet.SetNumber(1, 2, -2.75);
    sheet.SetNumber(2, 2, 12345678901.0); // too large for an RK value
    sheet.SetNumber(3, 2, -536870912);    // the smallest RK integer
    sheet.SetText(4, 2, longLatin);
    sheet.SetText(5, 2, longWide);
    sheet.SetText(6, 2, longWide);
    sheet.SetText(7, 2, QString());

    const QJsonObject book = ReadBack(sheet.Workbook());
    QVERIFY(!book.isEmpty());
    QCOMPARE(book[QLatin1String("names")].toArray().at(0).toString(),
             QStringLiteral("Pharvel_ Structure_2024 _draft_"));
    QCOMPARE(book[QLatin1String("nrows")].toInt(), rows + 1);
    QCOMPARE(book[QLatin1String("ncols")].toInt(), 3);
    QCOMPARE(book[QLatin1String("widths")].toObject()[QLatin1String("0")].toInt(), 40 * 256);
    QCOMPARE(book[QLatin1String("widths")].toObject()[QLatin1String("2")].toInt(), 3200);

    const QJsonArray table = book[QLatin1String("rows")].toArray();
    auto cell = [&](int r, int c) { return table.at(r).toArray().at(c).toArray(); };
    QCOMPARE(cell(0, 1).at(1).toString(), QStringLiteral("Code"));
    QVERIFY(cell(0, 1).at(2).toBool());
    for (int r = 1; r <= rows; ++r) {
        const QString expected = r % 2 ? arabic + QString::number(r) : mixed + QString::number(r);
        QCOMPARE(cell(r, 0).at(1).toString(), expected);
        QCOMPARE(cell(r, 0).at(2).toBool(), r % 10 == 0);
        QCOMPARE(cell(r, 1).at(0).toInt(), kNumberCell);
        QCOMPARE(cell(r, 1).at(1).toDouble(), double(r));
    }
    QCOMPARE(cell(1, 1).at(3).toString(), QStringLiteral("0"));
    QCOMPARE(cell(1, 2).at(1).toDouble(), -2.75);
    QCOMPARE(cell(2, 2).at(1).toDouble(), 12345678901.0);
    QCOMPARE(cell(2, 2).at(3).toString(), QStringLiteral("0"));
    QCOMPARE(cell(3, 2).at(1).toDouble(), -536870912.0);
    QCOMPARE(cell(4, 2).at(1).toString(), longLatin);
    QCOMPARE(cell(5, 2).at(1).toString(), longWide);
    QCOMPARE(cell(6, 2).at(1).toString(), longWide);
    QCOMPARE(cell(7, 2).at(0).toInt(), kTextCell);
    QCOMPARE(cell(7, 2).at(1).toString(), QString());
}

void tst_xls::largeWorkbookSpansManyFatSectors()
{
    if (!m_skipReason.isEmpty())
        QSKIP(qPrintable(m_skipReason));
    // Over 7 MB: more FAT sectors than the compound file's header can list.
    XlsWriter sheet(QStringLiteral("Large"));
    const int rows = XlsWriter::kMaxRows;
    for (int r = 0; r < rows; ++r)
        sheet.SetText(r, 0, QString(60, QChar(0x0410 + r % 32)) + QString::number(r));
    const QByteArray workbook = sheet.Workbook();
    QVERIFY2(workbook.size() > 109 * 128 * 512, QByteArray::number(workbook.size()));
    const QJsonObject book = ReadBack(workbook, false);
    QVERIFY(!book.isEmpty());
    QCOMPARE(book[QLatin1String("nrows")].toInt(), rows);
    QCOMPARE(book[QLatin1String("last")].toArray().at(0).toArray().at(1).toString(),
             QString(60, QChar(0x0410 + (rows - 1) % 32)) + QString::number(rows - 1));
}

void tst_xls::limitsRefuseRatherThanCorrupt()
{
    XlsWriter sheet{QString()};
    QVERIFY_THROWS_EXCEPTION(PharvelError,
                             sheet.SetText(XlsWriter::kMaxRows, 0, QStringLiteral("x")));
    QVERIFY_THROWS_EXCEPTION(PharvelError, sheet.SetNumber(0, XlsWriter::kMaxColumns, 1));
    QVERIFY_THROWS_EXCEPTION(PharvelError, sheet.SetText(-1, 0, QStringLiteral("x")));
    QVERIFY_THROWS_EXCEPTION(
        PharvelError,
        sheet.SetText(0, 0, QString(XlsWriter::kMaxTextLength + 1, QLatin1Char('a'))));
    sheet.SetText(0, 0, QString(XlsWriter::kMaxTextLength, QLatin1Char('a')));
    if (!m_skipReason.isEmpty())
        QSKIP(qPrintable(m_skipReason));
    // A tiny workbook (shorter than the compound file's mini-stream cutoff) reads too.
    XlsWriter tiny{QString()};
    tiny.SetNumber(0, 0, 7);
    const QJsonObject book = ReadBack(tiny.Workbook());
    QCOMPARE(book[QLatin1String("names")].toArray().at(0).toString(), QStringLiteral("Sheet1"));
    QCOMPARE(book[QLatin1String("rows")].toArray().at(0).toArray().at(0).toArray().at(1).toDouble(),
             7.0);
}

QTEST_GUILESS_MAIN(tst_xls)
#include "tst_xls.moc"
