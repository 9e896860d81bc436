#include "fixtures/SampleCatalogue.h"
#include "fixtures/TestDatabase.h"
#include "platform/catalog/Pharvel.h"
#include "platform/catalog/clsGenerics.h"
#include "platform/db/ServerProcedures.h"

#include <QTest>

namespace {

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

QStringList column(const RowSet& rows, int field)
{
    QStringList values;
    for (int r = 0; r < rows.RecordCount(); ++r)
        values << rows.At(r, field).toString();
    return values;
}

// Names that tempt a server-side search into a wrong answer: SQL wildcards and the escape
// character, quotes, letters outside ASCII, and the two characters whose folding is ASCII.
const QStringList kNames{
    s("50% Dextrose"),  s("Glucose_5"),        s("Back\\slash Salts"), s("ARCY'S \"MIX\""),
    s("\u212Aetamine"), s("Lo\u017Fartan"),    s("ÉCLAIR Syrup"),      s("éclair drops"),
    s("İNSULIN"),       s("insulin glargine"), s("Аспирин"),           s("АСПИРИН Кардио"),
    s("Ketorolac"),     s("Paracetamol"),      s("PARACETAMOL 500"),   s("Dextrose 5%")};

const QStringList kSearches{s("%"),      s("_"),       s("\\"),   s("E_5"),           s("5%"),
                            s("'S \"M"), s("KET"),     s("ket"),  s("losartan"),      s("LOS"),
                            s("s"),      s("éc"),      s("ÉC"),   s("CLAIR"),         s("insulin"),
                            s("İ"),      s("аспирин"), s("para"), s("PARACETAMOL 5"), s("zz"),
                            s("k")};

// What a search must find: every name containing it, letter case ignored in every alphabet,
// ordered without regard to case.
QStringList expected(const QStringList& names, const QString& search)
{
    QStringList found;
    for (const QString& name : names)
        if (name.toCaseFolded().contains(search.toCaseFolded()))
            found << name;
    std::stable_sort(found.begin(), found.end(), [](const QString& a, const QString& b) {
        return a.toCaseFolded() < b.toCaseFolded();
    });
    return found;
}

} // namespace

// The register's and the drug grids' searches find on the server exactly what a search of every
// row would, whatever the engine's collation.
class tst_search : public QObject
{
    Q_OBJECT

private slots:
    ON_EVERY_ENGINE(registerSearchMatchesEveryRowSearch);
    ON_EVERY_ENGINE(drugSearchLooksAtNameAndDescription);
    ON_EVERY_ENGINE(findEntrySearchMatchesEveryNodeSearch);
};

void tst_search::registerSearchMatchesEveryRowSearch()
{
    QFETCH(QString, engine);
    TestDatabase db(engine);
    SampleCatalogue sample(db.Connection());
    for (const QString& name : kNames)
        sample.AddGeneric(name);
    ClassPharvel::Pharvel pharvel;
    QVERIFY2(pharvel.Connect(db.ConnectionString()), qPrintable(pharvel.LastError()));

    constexpr int nameField = 1;
    for (const QString& search : kSearches)
        QCOMPARE(column(pharvel.Generics().ListGeneric(search), nameField),
                 expected(kNames, search));
    QCOMPARE(column(pharvel.Generics().ListGeneric(QString()), nameField).size(), kNames.size());
}

void tst_search::drugSearchLooksAtNameAndDescription()
{
    QFETCH(QString, engine);
    TestDatabase db(engine);
    SampleCatalogue sample(db.Connection());
    // Each name once as a drug name and once as a description under a plain name.
    for (int i = 0; i < kNames.size(); ++i) {
        sample.AddDrug(kNames[i], s("-"));
        sample.AddDrug(s("Plain %1").arg(i), kNames[i]);
    }
    ClassPharvel::Pharvel pharvel;
    QVERIFY2(pharvel.Connect(db.ConnectionString()), qPrintable(pharvel.LastError()));

    constexpr int allDrugs = 1;
    for (const QString& search : kSearches) {
        const RowSet found = pharvel.Generics().OtherDrugs(1, 1, search, allDrugs);
        const QStringList names = expected(kNames, search);
        QCOMPARE(found.RecordCount(), 2 * names.size());
        for (const QString& name : names)
            QVERIFY2(column(found, 0).contains(name) && column(found, 1).contains(name),
                     qPrintable(search + QLatin1String(" / ") + name));
    }
}

void tst_search::findEntrySearchMatchesEveryNodeSearch()
{
    QFETCH(QString, engine);
    TestDatabase db(engine);
    SampleCatalogue sample(db.Connection());
    // Each name as a classification, with a generic name of the same text under it.
    for (int i = 0; i < kNames.size(); ++i) {
        const QString key = QStringLiteral("_%1").arg(i + 1);
        sample.AddClassification(key, kNames[i]);
        sample.AddGeneric(kNames[i], key + QStringLiteral(".1"));
    }
    for (const QString& search : kSearches) {
        const RowSet found = ServerProcedures::For_SearchNodeList(db.Connection(), search);
        QStringList names;
        for (const QString& name : expected(kNames, search))
            names << name << name;
        QStringList foundNames = column(found, 0);
        QCOMPARE(foundNames.size(), names.size());
        for (int r = 0; r < found.RecordCount(); ++r) {
            const bool generic = found.At(r, 2).toString().endsWith(QLatin1String(".1"));
            // A classification at the top has no parent name; a generic name shows its own.
            QCOMPARE(found.At(r, 1).toString(), generic ? found.At(r, 0).toString() : QString());
        }
        foundNames.sort(Qt::CaseInsensitive);
        names.sort(Qt::CaseInsensitive);
        QCOMPARE(foundNames, names);
    }
}

QTEST_GUILESS_MAIN(tst_search)
#include "tst_search.moc"
