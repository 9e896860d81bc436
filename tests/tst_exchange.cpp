#include "fixtures/LoggedInRun.h"
#include "fixtures/TestDatabase.h"
#include "platform/db/Journal.h"
#include "platform/db/PharvelError.h"
#include "platform/db/ScopedTransaction.h"
#include "platform/db/TextLimits.h"
#include "platform/exchange/CatalogueCheck.h"
#include "platform/exchange/CatalogueExport.h"
#include "platform/exchange/CatalogueImport.h"
#include "platform/exchange/EmbeddedBackup.h"
#include "platform/exchange/ExchangeFiles.h"
#include "platform/exchange/GenericMerge.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

// A hospital's catalogue in and out of the administrator's tool: the exchange files, the
// import's checks, the catalogue check, the merge of two generic names and the embedded backup.
class tst_exchange : public QObject
{
    Q_OBJECT

private slots:
    ON_EVERY_ENGINE(roundTripIsExact);
    ON_EVERY_ENGINE(drugMasterAlone);
    void badInputWritesNothing_data();
    void badInputWritesNothing();
    ON_EVERY_ENGINE(checkFindsEveryKind);
    ON_EVERY_ENGINE(mergeIsJournaled);
    void backupWhileAnotherWrites();
    void backupOntoFullDiskFails();
    ON_EVERY_ENGINE(adminToolWords);
};

namespace {
QByteArray u8(const char* text)
{
    return QByteArray(text);
}

// Bytes that may hold NUL.
template <size_t N> QByteArray raw(const char (&text)[N])
{
    return QByteArray(text, N - 1);
}

// A small catalogue in the exchange files, exactly as an export writes it: apostrophes, quotes,
// commas, line breaks (LF and CR LF inside fields), right-to-left text, emoji, a missing value
// next to an empty one. It holds one of every finding the check reports and breaks no rule (the
// ATC code not in the index once the check's test loads one).
const QList<std::pair<QString, QByteArray>> kSample = {
    {QStringLiteral("classifications.csv"),
     u8("\xEF\xBB\xBF"
        "classification_id,name,parent_id\r\n"
        "1,Children's medicines,\r\n"
        "2,\"Line one\nline two\",1\r\n"
        "3,\xD9\x85\xD8\xB6\xD8\xA7\xD8\xAF\xD8\xA7\xD8\xAA \xF0\x9F\x92\x8A,\r\n"
        "4,\"Quote \"\"q\"\", comma\",3\r\n"
        "5,Empty one,\r\n"
        "6,EMPTY ONE ,\r\n")},
    {QStringLiteral("generic_names.csv"),
     u8("\xEF\xBB\xBF"
        "generic_code,name\r\n"
        "1,PARACETAMOL\r\n"
        "2,AMOXICILLIN\r\n"
        "3,Co-Amoxiclav\r\n"
        "4,co amoxiclav\r\n"
        "5,\xD7\x90\xD7\x9E\xD7\x95\xD7\xA7\xD7\xA1\xD7\x99\r\n")},
    {QStringLiteral("drugs.csv"),
     u8("\xEF\xBB\xBF"
        "item_id,name,description,indication,dosage,administration,preparation\r\n"
        "1,Paracetamol 500 mg,Box of 20,\"Pain, fever\",,By mouth,\"\"\r\n"
        "2,Amoxicillin 250 mg,\"\",Infection,\"Three\r\ntimes a day\",By mouth,Keep dry\r\n"
        "3,Unfiled drug \xF0\x9F\x98\x80,Box,,,,\r\n"
        "4,Co-amoxiclav 625 mg,Box,,,,\r\n")},
    {QStringLiteral("filing.csv"), u8("\xEF\xBB\xBF"
                                      "entry,id,filed_under\r\n"
                                      "generic,1,1\r\n"
                                      "generic,2,3\r\n"
                                      "generic,3,4\r\n"
                                      "generic,4,4\r\n"
                                      "drug,1,1\r\n"
                                      "drug,2,2\r\n"
                                      "drug,4,3\r\n")},
    {QStringLiteral("other_details.csv"), u8("\xEF\xBB\xBF"
                                             "generic_code,other_details\r\n"
                                             "1,\"O'Brien's note\nsecond line\"\r\n"
                                             "2,\"\"\r\n")},
    {QStringLiteral("formulary.csv"),
     u8("\xEF\xBB\xBF"
        "generic_code,status,restriction,decided_on,decision_ref,review_on,ven\r\n"
        "1,Y,,2026-02-12,\"DTC 2026/02, item 3\",2001-01-01,E\r\n"
        "2,R,\"Microbiology only,\nfor 5 days\",2026-02-12,,2999-01-01,V\r\n"
        "3,N,,,,,\r\n"
        "4,N,,,,,N\r\n"
        "5,G,\"Guideline \"\"G7\"\"\",,,,\r\n")},
    {QStringLiteral("reference_codes.csv"), u8("\xEF\xBB\xBF"
                                               "generic_code,code_system,code\r\n"
                                               "1,ATC,Q01XY01\r\n"
                                               "1,HOSP,\"p-1, a\"\r\n"
                                               "2,ATC,Q02\r\n"
                                               "3,national,X 1\r\n")},
    {QStringLiteral("alternatives.csv"), u8("\xEF\xBB\xBF"
                                            "generic_code,alternative_code,kind,note\r\n"
                                            "3,4,T,\r\n"
                                            "4,2,P,1 g \xE2\x89\x88 2 tablets\r\n"
                                            "4,1,T,\r\n")},
};

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    file.write(bytes);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeSample(const QString& folder)
{
    for (const auto& [name, bytes] : kSample)
        writeFile(QDir(folder).filePath(name), bytes);
}

// The catalogue's whole content, as its export's bytes.
QByteArray exported(SQLConnection& connection)
{
    QTemporaryDir folder;
    CatalogueExport::Write(connection, folder.path());
    QByteArray all;
    for (const ExchangeFiles::Kind* kind : ExchangeFiles::All())
        all += readFile(folder.filePath(kind->fileName));
    return all;
}

int journalRows(SQLConnection& connection, const QString& action = {})
{
    return connection
        .Scalar(action.isEmpty()
                    ? QStringLiteral("SELECT count(*) FROM inventory.tbCatalogueJournal")
                    : QStringLiteral("SELECT count(*) FROM inventory.tbCatalogueJournal "
                                     "WHERE Action = ?"),
                action.isEmpty() ? QVariantList() : QVariantList{action})
        .toInt();
}

CatalogueImport::Result importFolder(SQLConnection& connection, const QString& folder,
                                     bool dryRun = false)
{
    return CatalogueImport::Run(connection, folder, dryRun, false);
}

void importSample(SQLConnection& connection)
{
    QTemporaryDir folder;
    writeSample(folder.path());
    const CatalogueImport::Result result = importFolder(connection, folder.path());
    QVERIFY2(result.faults.isEmpty(), qPrintable(result.faults.value(0).Describe()));
    QVERIFY(result.written);
}

struct Run
{
    int exitCode = -1;
    QString output;
};

Run runAdmin(const QStringList& arguments)
{
    QProcess admin;
    admin.start(QDir(QCoreApplication::applicationDirPath())
                    .absoluteFilePath(QStringLiteral("../tools/pharvel-admin")),
                arguments);
    admin.waitForFinished(120000);
    return {admin.exitStatus() == QProcess::NormalExit ? admin.exitCode() : -1,
            QString::fromUtf8(admin.readAllStandardOutput() + admin.readAllStandardError())};
}
} // namespace

void tst_exchange::roundTripIsExact()
{
    QFETCH(QString, engine);
    QTemporaryDir source;
    writeSample(source.path());
    TestDatabase first(engine);
    QVERIFY(importFolder(first.Connection(), source.path()).written);
    QTemporaryDir once;
    CatalogueExport::Write(first.Connection(), once.path());
    for (const auto& [name, bytes] : kSample)
        QCOMPARE(readFile(once.filePath(name)), bytes);

    TestDatabase second(engine);
    QVERIFY(importFolder(second.Connection(), once.path()).written);
    QTemporaryDir twice;
    CatalogueExport::Write(second.Connection(), twice.path());
    for (const auto& [name, bytes] : kSample)
        QCOMPARE(readFile(twice.filePath(name)), bytes);

    // The same files again change nothing and journal nothing.
    const int rows = journalRows(second.Connection());
    const CatalogueImport::Result again = importFolder(second.Connection(), twice.path());
    QVERIFY(again.summary.join(QLatin1Char('\n'))
                .contains(QLatin1String("tree: 0 filed, 0 moved, 0 taken out, 13 left alone")));
    QCOMPARE(journalRows(second.Connection()), rows);
}

void tst_exchange::drugMasterAlone()
{
    QFETCH(QString, engine);
    TestDatabase db(engine);
    importSample(db.Connection());
    SQLConnection& connection = db.Connection();
    const int nodes =
        connection.Scalar(QStringLiteral("SELECT count(*) FROM inventory.tbPharvel")).toInt();
    QTemporaryDir folder;
    writeFile(folder.filePath(QStringLiteral("drugs.csv")),
              u8("item_id,name,description,indication,dosage,administration,preparation\n"
                 "2,Amoxicillin 500 mg,Box of 21,,,,\n"
                 "7,Ibuprofen 200 mg,Box of 24,Pain,,,\n"));
    const int journalBefore = journalRows(connection);

    const CatalogueImport::Result dry = importFolder(connection, folder.path(), true);
    QVERIFY(dry.faults.isEmpty());
    QVERIFY(!dry.written);
    QCOMPARE(journalRows(connection), journalBefore);
    QCOMPARE(
        connection.Scalar(QStringLiteral("SELECT count(*) FROM inventory.tbinvmaster")).toInt(), 4);

    const CatalogueImport::Result result = importFolder(connection, folder.path());
    QVERIFY(result.written);
    QCOMPARE(result.summary, dry.summary);
    QVERIFY(result.summary.contains(
        QStringLiteral("drugs: 1 added, 1 changed, 0 removed, 3 left alone")));
    QCOMPARE(connection
                 .Scalar(QStringLiteral("SELECT DrugName FROM inventory.tbinvmaster "
                                        "WHERE itemid = 2"))
                 .toString(),
             QStringLiteral("Amoxicillin 500 mg"));
    // The tree and the drugs the file does not name stay as they were.
    QCOMPARE(connection.Scalar(QStringLiteral("SELECT count(*) FROM inventory.tbPharvel")).toInt(),
             nodes);
    QCOMPARE(
        connection.Scalar(QStringLiteral("SELECT count(*) FROM inventory.tbinvmaster")).toInt(), 5);
    QCOMPARE(journalRows(connection, QStringLiteral("drug added")), 4 + 1); // the sample's four
    QCOMPARE(journalRows(connection, QStringLiteral("drug changed")), 1);
}

void tst_exchange::badInputWritesNothing_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("where");
    QByteArray manyRows("generic_code,name\r\n");
    for (int i = 1; i <= 40000; ++i)
        manyRows += QByteArray::number(i) + ",G" + QByteArray::number(i) + "\r\n";
    const QByteArray sampleFiling = kSample.at(3).second;
    const QByteArray kFormularyHeader(
        "generic_code,status,restriction,decided_on,decision_ref,review_on,ven\r\n");
    const QByteArray kAlternativesHeader("generic_code,alternative_code,kind,note\r\n");
    struct Case
    {
        const char* name;
        const char* file;
        QByteArray content;
        const char* where;
    };
    const QList<Case> cases = {
        {"missing column", "drugs.csv",
         "item_id,name,description,indication,dosage,administration,preparation\r\n"
         "1,Paracetamol 500 mg,Box,,,,\r\n2,Amoxicillin,Box\r\n",
         "drugs.csv, line 3, column 4"},
        {"id beyond 16 bits", "generic_names.csv", "generic_code,name\r\n40000,BIG\r\n",
         "generic_names.csv, line 2, column 1"},
        {"unknown parent", "classifications.csv",
         "classification_id,name,parent_id\r\n1,Top,99\r\n",
         "classifications.csv, line 2, column 3"},
        {"drug filed twice", "filing.csv", sampleFiling + "drug,1,2\r\n",
         "filing.csv, line 9, column 2"},
        {"cycle", "classifications.csv", "classification_id,name,parent_id\r\n1,A,2\r\n2,B,1\r\n",
         "classifications.csv, line 2, column 3"},
        {"quoted field left open", "drugs.csv",
         "item_id,name,description,indication,dosage,administration,preparation\r\n"
         "1,\"Paracetamol,Box,,,,\r\n",
         "drugs.csv, line 2, column 2"},
        {"another encoding", "generic_names.csv", "generic_code,name\r\n1,A\r\n2,CAF\xC9\r\n",
         "generic_names.csv, line 3"},
        {"header that does not match", "filing.csv", "entry,id,under\r\n",
         "filing.csv, line 1, column 3"},
        {"empty file", "other_details.csv", "", "other_details.csv, line 1"},
        {"40,000 rows", "generic_names.csv", manyRows, "generic_names.csv, line 32769"},
        {"text after a closing quote", "generic_names.csv", "generic_code,name\r\n1,\"A\"B\r\n",
         "generic_names.csv, line 2, column 2"},
        {"filed under a generic in no classification", "filing.csv", sampleFiling + "drug,3,5\r\n",
         "filing.csv, line 9, column 3"},
        {"status letter", "formulary.csv", kFormularyHeader + "1,y,,,,,\r\n",
         "formulary.csv, line 2, column 2"},
        {"R without text", "formulary.csv", kFormularyHeader + "1,R, ,,,,\r\n",
         "formulary.csv, line 2, column 3"},
        {"formulary date", "formulary.csv", kFormularyHeader + "1,Y,,2026-13-01,,,\r\n",
         "formulary.csv, line 2, column 4"},
        {"formulary of an unknown generic", "formulary.csv", kFormularyHeader + "99,Y,,,,,\r\n",
         "formulary.csv, line 2, column 1"},
        {"malformed ATC code", "reference_codes.csv",
         "generic_code,code_system,code\r\n1,HOSP,q1\r\n1,ATC,q01\r\n",
         "reference_codes.csv, line 3, column 3"},
        {"alternative naming itself", "alternatives.csv", kAlternativesHeader + "1,1,P,\r\n",
         "alternatives.csv, line 2, column 2"},
        {"unknown alternative", "alternatives.csv", kAlternativesHeader + "1,99,P,\r\n",
         "alternatives.csv, line 2, column 2"},
        {"NUL in a name", "generic_names.csv", raw("generic_code,name\r\n1,ASP\0IRIN\r\n"),
         "generic_names.csv, line 2, column 2"},
        {"NUL on the second line of a quoted field", "drugs.csv",
         raw("item_id,name,description,indication,dosage,administration,preparation\r\n"
             "1,Paracetamol,Box,\"Pain\r\nfe\0ver\",,,\r\n"),
         "drugs.csv, line 3, column 4"},
        {"name over the longest", "classifications.csv",
         "classification_id,name,parent_id\r\n1," + QByteArray(TextLimits::kName + 1, 'c') +
             ",\r\n",
         "classifications.csv, line 2, column 2"},
        {"drug field over the longest", "drugs.csv",
         "item_id,name,description,indication,dosage,administration,preparation\r\n"
         "1,Paracetamol,Box,,," +
             QByteArray(TextLimits::kDrugField + 1, 'a') + ",\r\n",
         "drugs.csv, line 2, column 6"},
        {"other details over the longest", "other_details.csv",
         "generic_code,other_details\r\n1,\"" + QByteArray(TextLimits::kOtherDetails + 1, 'o') +
             "\"\r\n",
         "other_details.csv, line 2, column 2"},
    };
    for (const QString& engine : TestDatabase::Engines()) {
        for (const Case& c : cases)
            QTest::addRow("%s %s", qPrintable(engine), c.name)
                << engine << QString::fromLatin1(c.file) << c.content
                << QString::fromLatin1(c.where);
    }
}

void tst_exchange::badInputWritesNothing()
{
    QFETCH(QString, engine);
    QFETCH(QString, file);
    QFETCH(QByteArray, content);
    QFETCH(QString, where);
    TestDatabase db(engine);
    importSample(db.Connection());
    const QByteArray before = exported(db.Connection());
    const int journalBefore = journalRows(db.Connection());

    // The sample's files, all good but the one, with a drug to add so that there is work.
    QTemporaryDir folder;
    writeSample(folder.path());
    writeFile(folder.filePath(QStringLiteral("drugs.csv")),
              kSample.at(2).second + "9,New drug,Box,,,,\r\n");
    writeFile(folder.filePath(file), content);
    // A dry run finds what the import finds.
    for (const bool dryRun : {true, false}) {
        const CatalogueImport::Result result = importFolder(db.Connection(), folder.path(), dryRun);
        QVERIFY(!result.written);
        QVERIFY(!result.faults.isEmpty());
        QVERIFY2(result.faults.first().Describe().startsWith(where),
                 qPrintable(result.faults.first().Describe()));
    }
    QCOMPARE(exported(db.Connection()), before);
    QCOMPARE(journalRows(db.Connection()), journalBefore);
}

void tst_exchange::checkFindsEveryKind()
{
    QFETCH(QString, engine);
    TestDatabase db(engine);
    importSample(db.Connection());
    const CatalogueCheck::Report report = CatalogueCheck::Run(db.Connection());
    QVERIFY2(report.RulesKept(), qPrintable(report.Text()));
    const auto found = [&](const char* check) {
        QStringList ids;
        for (const CatalogueCheck::Item& item : report.items) {
            if (item.check == QLatin1String(check))
                ids << item.id;
        }
        return ids.join(QLatin1Char(' '));
    };
    QCOMPARE(found("classification with nothing under it"), QStringLiteral("2 5 6"));
    QCOMPARE(found("generic name with no drug"), QStringLiteral("4 5"));
    QCOMPARE(found("generic name in no classification"), QStringLiteral("5"));
    QCOMPARE(found("drug under no generic name"), QStringLiteral("3"));
    QCOMPARE(found("generic names the same but for letter case, blanks and punctuation"),
             QStringLiteral("3 4"));
    QCOMPARE(found("classifications of the same name under one parent"), QStringLiteral("5 6"));
    QCOMPARE(found("formulary review date passed"), QStringLiteral("1"));
    QCOMPARE(found("not in the formulary, with no formulary alternative"), QStringLiteral("3"));
    QCOMPARE(found("an alternative that is not in the formulary"), QStringLiteral("3"));
    QCOMPARE(found("ATC code not in the loaded index"), QString()); // none loaded

    // The hospital's index, loaded and then replaced by next year's, which drops one code the
    // catalogue uses and renames another; a bad row writes nothing.
    QTemporaryDir indexes;
    const QString index = indexes.filePath(QStringLiteral("index.csv"));
    const QByteArray header("code,name,ddd,unit,route,note\r\n");
    writeFile(index, header + "Q01,test group,,,,\r\nQ01XY01,testamol,2,g,O,\r\nQ02,old,,,,\r\n");
    QCOMPARE(
        runAdmin({QStringLiteral("atc"), QStringLiteral("import"), db.ConnectionString(), index})
            .exitCode,
        0);
    writeFile(index, header + "Q01,test group,,,,\r\nQ01XY0,x,,,,\r\n");
    const Run refused =
        runAdmin({QStringLiteral("atc"), QStringLiteral("import"), db.ConnectionString(), index});
    QCOMPARE(refused.exitCode, 1);
    QVERIFY2(refused.output.contains(QLatin1String("index.csv, line 3, column 1: ")),
             qPrintable(refused.output));
    writeFile(index, header + "Q01,test group,,,,\r\nQ01XY01,testamol B,2,g,O,\r\n");
    const Run loaded =
        runAdmin({QStringLiteral("atc"), QStringLiteral("import"), db.ConnectionString(), index});
    QCOMPARE(loaded.exitCode, 0);
    QVERIFY2(loaded.output.contains(QLatin1String("gone: Q02 \"old\", used by AMOXICILLIN\n")) &&
                 loaded.output.contains(QLatin1String("renamed: Q01XY01 \"testamol\" is now "
                                                      "\"testamol B\", used by PARACETAMOL\n")),
             qPrintable(loaded.output));
    QStringList notInIndex;
    for (const CatalogueCheck::Item& item : CatalogueCheck::Run(db.Connection()).items)
        if (item.check == QLatin1String("ATC code not in the loaded index"))
            notInIndex << item.id + QLatin1Char(' ') + item.detail;
    QCOMPARE(notInIndex, QStringList{QStringLiteral("2 Q02")});
    const Run clean = runAdmin({QStringLiteral("check"), db.ConnectionString()});
    QCOMPARE(clean.exitCode, 0);
    const Run asCsv =
        runAdmin({QStringLiteral("check"), db.ConnectionString(), QStringLiteral("--csv")});
    QVERIFY(asCsv.output.contains(QLatin1String("finding,drug under no generic name,drug,3,")));

    // A node whose parent is gone, as an edit past the catalogue's checks leaves it.
    SQLConnection& connection = db.Connection();
    connection.Execute(engine == QLatin1String("sqlite")
                           ? QStringLiteral("PRAGMA foreign_keys = OFF")
                           : QStringLiteral("SET session_replication_role = replica"));
    connection.Execute(QStringLiteral("INSERT INTO inventory.tbPharvel (Node_Key, Node_Parent, "
                                      "Node_Type, Node_ID) VALUES ('_9.1', '_9', '1', 77)"));
    const Run broken = runAdmin({QStringLiteral("check"), db.ConnectionString()});
    QCOMPARE(broken.exitCode, 1);
    QVERIFY2(broken.output.contains(QLatin1String("a node's parent does not exist")),
             qPrintable(broken.output));
}

void tst_exchange::mergeIsJournaled()
{
    QFETCH(QString, engine);
    TestDatabase db(engine);
    importSample(db.Connection());
    SQLConnection& connection = db.Connection();
    for (const auto& [keep, drop] : {std::pair{1, 1}, std::pair{1, 99}, std::pair{99, 1}}) {
        QVERIFY_THROWS_EXCEPTION(PharvelError, GenericMerge::Merge(connection, keep, drop));
    }
    const int journalBefore = journalRows(connection);

    // PARACETAMOL (drug 1, other details) takes in AMOXICILLIN (drug 2, empty details).
    const GenericMerge::Result result = GenericMerge::Merge(connection, 1, 2);
    QCOMPARE(result.drugsMoved, 1);
    QCOMPARE(connection
                 .Scalar(QStringLiteral("SELECT count(*) FROM inventory.tbPharvel d JOIN "
                                        "inventory.tbPharvel g ON g.Node_Key = d.Node_Parent "
                                        "WHERE d.Node_Type = '3' AND g.Node_ID = 1"))
                 .toInt(),
             2);
    QCOMPARE(connection
                 .Scalar(QStringLiteral("SELECT count(*) FROM inventory.tbforgeneric WHERE "
                                        "GenericCode = 2"))
                 .toInt(),
             0);
    QCOMPARE(journalRows(connection, Journal::Action::GenericMerged), 1);
    QCOMPARE(journalRows(connection, Journal::Action::DrugMoved), 1);
    QCOMPARE(journalRows(connection, Journal::Action::GenericDeleted), 1);
    QVERIFY(journalRows(connection) > journalBefore + 3);

    // Co-Amoxiclav (3) has no details of its own and is in the same classification as co
    // amoxiclav (4): the drug moves and the details stay KEEP's.
    GenericMerge::Merge(connection, 4, 3);
    QCOMPARE(connection
                 .Scalar(QStringLiteral("SELECT p.Node_ID FROM inventory.tbPharvel d JOIN "
                                        "inventory.tbPharvel p ON p.Node_Key = d.Node_Parent "
                                        "WHERE d.Node_Type = '3' AND d.Node_ID = 4"))
                 .toInt(),
             4);
    // The details of a dropped generic go below KEEP's, under a line naming it.
    connection.Execute(QStringLiteral("INSERT INTO inventory.tbPharvelOtherDetails (GenericID, "
                                      "OtherDetails) VALUES (5, 'Hebrew label')"));
    GenericMerge::Merge(connection, 1, 5);
    const QString details =
        connection
            .Scalar(QStringLiteral(
                "SELECT OtherDetails FROM inventory.tbPharvelOtherDetails WHERE GenericID = 1"))
            .toString();
    QCOMPARE(details, QStringLiteral("O'Brien's note\nsecond line\n\n") +
                          GenericMerge::DetailsHeading(QString::fromUtf8("\u05D0\u05DE\u05D5"
                                                                         "\u05E7\u05E1\u05D9"),
                                                       5) +
                          QStringLiteral("\nHebrew label"));
    QVERIFY(CatalogueCheck::Run(connection).RulesKept());
}

void tst_exchange::backupWhileAnotherWrites()
{
    TestDatabase db(QStringLiteral("sqlite"));
    importSample(db.Connection());
    QTemporaryDir work;
    const QString archive = work.filePath(QStringLiteral("catalogue.pharvel-backup"));
    {
        // Another desktop holds the write lock, half-way through its change, during the backup.
        auto other = db.OpenAnother();
        ScopedTransaction writing(*other);
        other->Execute(
            QStringLiteral("INSERT INTO inventory.tbForClassification "
                           "(ClassificationID, ClassificationName) VALUES (40, 'Late')"));
        other->Execute(QStringLiteral("INSERT INTO inventory.tbPharvel (Node_Key, Node_Parent, "
                                      "Node_Type, Node_ID) VALUES ('_40', '_0', '1', 40)"));
        EmbeddedBackup::Backup(db.ConnectionString(), archive);
        writing.Commit();
    }
    const QString restored = work.filePath(QStringLiteral("restored"));
    EmbeddedBackup::Restore(restored, archive);
    auto connection = SQLConnection::Open(restored);
    QVERIFY(CatalogueCheck::Run(*connection).RulesKept());
    QCOMPARE(connection->Scalar(QStringLiteral("SELECT count(*) FROM inventory.tbPharvel")).toInt(),
             14);
    const QByteArray sample = exported(*connection);
    connection.reset();

    // Not a backup, a damaged one, and a database still open: refused, the database untouched.
    const QString notBackup = work.filePath(QStringLiteral("notes.txt"));
    writeFile(notBackup, "just some notes\n");
    QByteArray damaged = readFile(archive);
    damaged[damaged.size() - 100] = char(damaged.at(damaged.size() - 100) ^ 0x55);
    const QString damagedPath = work.filePath(QStringLiteral("damaged.pharvel-backup"));
    writeFile(damagedPath, damaged);
    for (const QString& bad : {notBackup, damagedPath, work.filePath(QStringLiteral("none"))})
        QVERIFY_THROWS_EXCEPTION(PharvelError, EmbeddedBackup::Restore(restored, bad));
    {
        auto open = SQLConnection::Open(restored);
        open->Scalar(QStringLiteral("SELECT count(*) FROM inventory.tbPharvel"));
        QVERIFY_THROWS_EXCEPTION(PharvelError, EmbeddedBackup::Restore(restored, archive));
    }
    connection = SQLConnection::Open(restored);
    QCOMPARE(exported(*connection), sample);
}

void tst_exchange::backupOntoFullDiskFails()
{
    TestDatabase db(QStringLiteral("sqlite"));
    importSample(db.Connection());
    QTemporaryDir work;
    const QString disk = work.filePath(QStringLiteral("disk"));
    QVERIFY(QDir().mkpath(disk));
    if (QProcess::execute(QStringLiteral("mount"),
                          {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                           QStringLiteral("size=200k"), QStringLiteral("tmpfs"), disk}) != 0)
        QSKIP("a small file system cannot be mounted here (mount needs root)");
    const auto unmount = qScopeGuard([&] {
        QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), disk});
    });
    // The disk is all but full: a few pages are left, fewer than the backup needs.
    QFile filler(QDir(disk).filePath(QStringLiteral("filler")));
    QVERIFY(filler.open(QIODevice::WriteOnly));
    filler.write(QByteArray(200 * 1024 - 16 * 1024, 'x'));
    filler.close();

    const QString archive = QDir(disk).filePath(QStringLiteral("catalogue.pharvel-backup"));
    const Run run = runAdmin({QStringLiteral("backup"), db.ConnectionString(), archive});
    QVERIFY2(run.exitCode == 1, qPrintable(run.output));
    QVERIFY2(run.output.contains(QLatin1String("no backup was made")) &&
                 !run.output.contains(QLatin1String("backup written")),
             qPrintable(run.output));
    QVERIFY(!QFile::exists(archive));
}

// What the administrator's tool says: a line break of the journal escaped in the plain listing
// and kept in the CSV, one bad row counted as one, a negative id told to be positive, a failure
// on the server said once, and a synthetic catalogue made in a folder that holds none yet.
void tst_exchange::adminToolWords()
{
    QFETCH(QString, engine);
    TestDatabase db(engine);
    importSample(db.Connection());
    const QString server = db.ConnectionString();

    const Run plain = runAdmin({QStringLiteral("journal"), server});
    QCOMPARE(plain.exitCode, 0);
    QVERIFY2(plain.output.contains(QLatin1String("Line one\\nline two")), qPrintable(plain.output));
    for (const QString& line : plain.output.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        QVERIFY2(line.count(QLatin1Char('\t')) == 5, qPrintable(line));
    const Run csv = runAdmin({QStringLiteral("journal"), server, QStringLiteral("--csv")});
    QVERIFY(csv.output.contains(QLatin1String("Line one\nline two")));

    QTemporaryDir folder;
    writeSample(folder.path());
    writeFile(folder.filePath(QStringLiteral("generic_names.csv")),
              kSample.at(1).second + "-1,NEGATIVE\r\n");
    const Run bad = runAdmin({QStringLiteral("import"), server, folder.path()});
    QCOMPARE(bad.exitCode, 1);
    QVERIFY2(bad.output.contains(QLatin1String("-1 must be positive (1 to 32767)")),
             qPrintable(bad.output));
    QVERIFY(bad.output.contains(QLatin1String("1 bad row; nothing was written")));

    if (engine == QLatin1String("postgresql")) {
        // A pharmacist may not prune the journal: the server refuses, and that is all it says.
        const QString id = LoggedInRun::AddPharmacist(db, {}, QStringLiteral("secret"));
        QUrl pharmacist(server);
        pharmacist.setUserName(id);
        pharmacist.setPassword(QStringLiteral("secret"));
        const Run refused =
            runAdmin({QStringLiteral("journal"), QStringLiteral("prune"), pharmacist.toString(),
                      QStringLiteral("--before"), QStringLiteral("2020-01-01")});
        QCOMPARE(refused.exitCode, 1);
        QVERIFY2(!refused.output.contains(QLatin1String("Unable to free")),
                 qPrintable(refused.output));
        QCOMPARE(refused.output.count(QLatin1String("ERROR")), 1);
    } else {
        QTemporaryDir empty;
        const Run synthetic =
            runAdmin({QStringLiteral("synthetic"), empty.filePath(QStringLiteral("new")),
                      QStringLiteral("--nodes"), QStringLiteral("40"), QStringLiteral("--drugs"),
                      QStringLiteral("10")});
        QVERIFY2(synthetic.exitCode == 0, qPrintable(synthetic.output));
    }
}

QTEST_GUILESS_MAIN(tst_exchange)
#include "tst_exchange.moc"
