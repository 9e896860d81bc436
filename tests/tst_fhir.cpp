#include "demo/DemoCatalogue.h"
#include "fixtures/TestDatabase.h"
#include "platform/db/DrugStore.h"
#include "platform/db/Formulary.h"
#include "platform/db/GenericStore.h"
#include "platform/db/Journal.h"
#include "platform/db/ScopedTransaction.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

// The catalogue as FHIR R4 for the hospital's other systems: the administrator's tool exports
// the demo and a synthetic catalogue, HL7's R4 JSON schema finds nothing wrong, and reading the
// JSON back finds every generic name with its status, codes and alternatives.
class tst_fhir : public QObject
{
    Q_OBJECT

private slots:
    void exportValidatesAndReadsBack_data();
    void exportValidatesAndReadsBack();
};

namespace {
QString s(const char* text)
{
    return QString::fromUtf8(text);
}

struct Run
{
    int exitCode = -1;
    QString output;
};

Run run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    process.waitForFinished(300000);
    Run result{process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
               QString::fromUtf8(process.readAll())};
    return result;
}

Run admin(const QStringList& arguments)
{
    return run(QDir(QCoreApplication::applicationDirPath())
                   .absoluteFilePath(QStringLiteral("../tools/pharvel-admin")),
               arguments);
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The bundle's resources by full URL.
QHash<QString, QJsonObject> entries(const QByteArray& bundle)
{
    QHash<QString, QJsonObject> byUrl;
    for (const QJsonValue entry : QJsonDocument::fromJson(bundle)[s("entry")].toArray())
        byUrl.insert(entry[s("fullUrl")].toString(), entry[s("resource")].toObject());
    return byUrl;
}

// A generic name's formulary as the tests write it: one withdrawn decision keeping its codes,
// one restricted with two alternatives in order, a note that needs escaping.
void writeTestFormulary(SQLConnection& c, const QList<GenericRecord>& generics)
{
    ScopedTransaction transaction(c);
    FormularyRecord undecided{generics.at(0).id};
    undecided.codes = {{s("ATC"), s("Z09AA01")}, {s("national code"), s("12  34")}};
    FormularyRecord restricted = Formulary::Read(c, generics.at(1).id);
    restricted.status = FormularyStatus::Restricted;
    restricted.restriction = s("Consultants only.\nFor up to 5 days.");
    restricted.codes = {{s("ATC"), s("Z09AB02")}};
    restricted.alternatives = {
        {generics.at(3).id, AlternativeKind::Equivalent, s("<b>half</b> the dose & more")},
        {generics.at(2).id, AlternativeKind::Preferred}};
    Formulary::Write(c, {{Formulary::Read(c, undecided.generic), undecided},
                         {Formulary::Read(c, restricted.generic), restricted}});
    transaction.Commit();
}

QString expectedSystem(const QString& base, const ReferenceCode& code)
{
    return code.system == QLatin1String("ATC")
               ? s("http://www.whocc.no/atc")
               : base + s("/CodeSystem/reference/") +
                     QString::fromLatin1(QUrl::toPercentEncoding(code.system));
}
} // namespace

void tst_fhir::exportValidatesAndReadsBack_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<int>("nodes"); // 0: the demo catalogue
    QTest::addColumn<QString>("setBase");
    QTest::addColumn<QString>("base");
    for (const QString& engine : TestDatabase::Engines()) {
        QTest::newRow(qPrintable(engine + s(" demo, base derived from the name")))
            << engine << 0 << QString() << s("https://riverside-general-hospital.invalid/fhir");
        // The whole synthetic catalogue once; a smaller one on the server.
        QTest::newRow(qPrintable(engine + s(" synthetic, base set")))
            << engine << (engine == QLatin1String("sqlite") ? 32000 : 3000)
            << s(" https://pharmacy.example.org/fhir/ ") << s("https://pharmacy.example.org/fhir");
    }
}

void tst_fhir::exportValidatesAndReadsBack()
{
    QFETCH(QString, engine);
    QFETCH(int, nodes);
    QFETCH(QString, setBase);
    QFETCH(QString, base);
    const QString validator = qEnvironmentVariable("PHARVEL_FHIR_VALIDATOR");
    if (!QFile::exists(validator))
        QFAIL("no FHIR validator: ctest installs it (the test fhir_validator_install) first");

    TestDatabase db(engine);
    SQLConnection& c = db.Connection();
    if (nodes == 0)
        DemoCatalogue::Load(c);
    else
        DemoCatalogue::LoadSynthetic(c, nodes, std::min(20000, nodes * 5 / 8));
    const QList<GenericRecord> generics = GenericStore::All(c).values();
    writeTestFormulary(c, generics);
    // A drug filed under a generic name the journal knows nothing else of: that name's list of
    // drugs changed.
    const GenericRecord& refiled = generics.at(4);
    {
        ScopedTransaction transaction(c);
        Journal::Change filed;
        filed.action = Journal::Action::DrugFiled;
        filed.entryType = NodeType::Drug;
        filed.entryId = DrugStore::All(c).firstKey();
        filed.entryName = s("a drug");
        filed.newParentKey = c.OpenRowSet(s("SELECT Node_Key FROM inventory.tbPharvel WHERE "
                                            "Node_Type = '2' AND Node_ID = ?"),
                                          {refiled.id})
                                 .At(0, 0)
                                 .toString();
        filed.newParentName = refiled.name;
        Journal::Record(c, filed);
        transaction.Commit();
    }
    const QString server = db.ConnectionString();
    if (!setBase.isEmpty()) {
        const Run set = admin({s("hospital"), server, s("--fhir-base"), setBase});
        QVERIFY2(set.exitCode == 0, qPrintable(set.output));
    }

    QTemporaryDir folder;
    const auto exportTo = [&](const QString& name) {
        const Run exported =
            admin({s("export"), server, s("--fhir"), folder.filePath(name + s(".json")),
                   s("--ndjson"), folder.filePath(name)});
        QVERIFY2(exported.exitCode == 0, qPrintable(exported.output));
    };
    exportTo(s("first"));
    const QStringList types{s("CodeSystem"), s("MedicationKnowledge"), s("Medication")};
    QStringList files{folder.filePath(s("first.json"))};
    for (const QString& type : types)
        files << folder.filePath(s("first/%1.ndjson").arg(type));
    const Run checked = run(s("node"), QStringList{validator} + files);
    QVERIFY2(checked.exitCode == 0 && checked.output.contains(s(" 0 errors")),
             qPrintable(checked.output.left(4000)));

    // Read back: every generic name with its codes, its status (none without one) and its
    // alternatives, each reference resolving inside the bundle.
    const QByteArray first = bytesOf(folder.filePath(s("first.json")));
    const QHash<QString, QJsonObject> resources = entries(first);
    const QMap<CatalogueId::Generic, FormularyRecord> formulary = Formulary::ReadAll(c);
    QCOMPARE(resources.size(), 1 + generics.size() + DrugStore::All(c).size());
    for (const GenericRecord& generic : generics) {
        const QString id = s("MedicationKnowledge/generic-%1").arg(generic.id);
        const QJsonObject knowledge = resources.value(base + QLatin1Char('/') + id);
        QVERIFY2(!knowledge.isEmpty(), qPrintable(id));
        const FormularyRecord record = formulary.value(generic.id);
        QStringList codes;
        for (const QJsonValue coding : knowledge[s("code")][s("coding")].toArray())
            codes << coding[s("system")].toString() + QLatin1Char('|') +
                         coding[s("code")].toString();
        QStringList expected{base + s("/CodeSystem/generic-name|%1").arg(generic.id)};
        for (const ReferenceCode& code : record.codes)
            expected << expectedSystem(base, code) + QLatin1Char('|') + code.code.simplified();
        QCOMPARE(codes, expected);
        QStringList statuses;
        for (const QJsonValue group : knowledge[s("medicineClassification")].toArray())
            for (const QJsonValue classification : group[s("classification")].toArray())
                for (const QJsonValue coding : classification[s("coding")].toArray())
                    if (coding[s("system")].toString() ==
                        QLatin1String("http://terminology.hl7.org/CodeSystem/v2-0478"))
                        statuses << coding[s("code")].toString();
        QCOMPARE(statuses, record.status.isEmpty() ? QStringList() : QStringList{record.status});
        QStringList alternatives;
        for (const QJsonValue related : knowledge[s("relatedMedicationKnowledge")].toArray()) {
            const QString target = related[s("reference")][0][s("reference")].toString();
            QVERIFY2(resources.contains(base + QLatin1Char('/') + target), qPrintable(target));
            alternatives << related[s("type")][s("text")].toString() + QLatin1Char(' ') + target;
        }
        QStringList expectedAlternatives;
        for (const Alternative& alternative : record.alternatives)
            expectedAlternatives
                << AlternativeKind::Word(alternative.kind) +
                       s(" MedicationKnowledge/generic-%1").arg(alternative.generic);
        QCOMPARE(alternatives, expectedAlternatives);
    }
    // The journal dates what the test changed; what was loaded whole has no history to tell.
    const auto lastUpdated = [&](const GenericRecord& generic) {
        return resources
            .value(
                base +
                s("/MedicationKnowledge/generic-%1").arg(generic.id))[s("meta")][s("lastUpdated")]
            .toString();
    };
    for (const GenericRecord& changed : {generics.at(1), refiled})
        QVERIFY2(QDateTime::fromString(lastUpdated(changed), Qt::ISODate).isValid(),
                 qPrintable(lastUpdated(changed)));
    QCOMPARE(lastUpdated(generics.last()), QString());

    // Unchanged, the same bytes; one change, that resource's line alone.
    exportTo(s("second"));
    QCOMPARE(bytesOf(folder.filePath(s("second.json"))), first);
    for (const QString& type : types)
        QCOMPARE(bytesOf(folder.filePath(s("second/%1.ndjson").arg(type))),
                 bytesOf(folder.filePath(s("first/%1.ndjson").arg(type))));
    {
        ScopedTransaction transaction(c);
        FormularyRecord changed = Formulary::Read(c, generics.at(2).id);
        const FormularyRecord before = changed;
        changed.status = before.status == FormularyStatus::NotInFormulary
                             ? FormularyStatus::InFormulary
                             : FormularyStatus::NotInFormulary;
        Formulary::Write(c, {{before, changed}});
        transaction.Commit();
    }
    exportTo(s("third"));
    const QList<QByteArray> was = first.split('\n');
    const QList<QByteArray> is = bytesOf(folder.filePath(s("third.json"))).split('\n');
    QCOMPARE(is.size(), was.size());
    QStringList changedLines;
    for (qsizetype i = 0; i < is.size(); ++i)
        if (is.at(i) != was.at(i))
            changedLines << QString::fromUtf8(is.at(i).left(120));
    QCOMPARE(changedLines.size(), 1);
    QVERIFY2(changedLines.first().contains(
                 s("/MedicationKnowledge/generic-%1\"").arg(generics.at(2).id)),
             qPrintable(changedLines.first()));
}

QTEST_GUILESS_MAIN(tst_fhir)
#include "tst_fhir.moc"
