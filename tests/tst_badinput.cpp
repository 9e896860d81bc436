#include "fixtures/CatalogueInvariants.h"
#include "fixtures/ConnectedCatalogue.h"
#include "fixtures/SampleCatalogue.h"
#include "fixtures/TestDatabase.h"
#include "platform/catalog/Pharvel.h"
#include "platform/db/OtherDetailsStore.h"
#include "platform/db/PharvelError.h"
#include "platform/db/ServerProcedures.h"
#include "platform/db/TextLimits.h"

#include <QTest>
#include <cmath>
#include <functional>
#include <limits>

using ClassPharvel::Pharvel;

namespace {
QString s(const char* text)
{
    return QString::fromUtf8(text);
}

// Names a pharmacist may type or paste, each to be stored and shown exactly as given.
QList<std::pair<const char*, QString>> awkwardNames()
{
    return {
        {"one short of the longest",
         QString(TextLimits::kName - 11, QLatin1Char('m')) + s("orphine 1%")},
        {"control characters", s("Tab\there, line\nbreak, bell\a, escape\x1b, DEL\x7f")},
        {"right-to-left", s("باراسيتامول 500 ملغ")},
        {"mixed directions", s("Aspirin אספירין (ASA) \u202Eevil\u202C")},
        {"emoji", s("💊 Pill 👩🏽‍⚕️ ok")},
        {"SQL metacharacters", s("x'); DROP TABLE inventory.tbPharvel; -- \"%_\\ ? $1 :name")},
        {"leading and trailing blanks", s("  Paracetamol  ")},
        {"combining marks", s("Cafe\u0301 Ångström")},
    };
}

QString nameAt(const RowSet& rows, const QString& key, const char* column)
{
    const int keys = rows.ColumnIndex(s("Node_Key"));
    const int names = rows.ColumnIndex(s(column));
    for (int r = 0; r < rows.RecordCount(); ++r)
        if (rows.At(r, keys).toString() == key)
            return rows.At(r, names).toString();
    return s("<no node %1>").arg(key);
}

// The call raises this error number with a description; prints what the user reads.
bool raises(int number, const std::function<void()>& call)
{
    try {
        call();
    } catch (const PharvelError& error) {
        qInfo().noquote() << "refused:" << error.Source() << "-" << error.Description().left(160);
        if (error.Number() == number && !error.Description().isEmpty())
            return true;
        qWarning() << "raised" << error.Number() << "instead of" << number;
        return false;
    }
    qWarning() << "raised nothing";
    return false;
}

using Catalogue = ConnectedCatalogue;
} // namespace

// Whatever a user types reaches the catalogue stored exactly or refused with a reason; none of
// it crashes or corrupts anything.
class tst_badinput : public QObject
{
    Q_OBJECT

private slots:
    ON_EVERY_ENGINE(awkwardNamesAreStoredExactly);
    ON_EVERY_ENGINE(unstorableNamesAreRefused);
    ON_EVERY_ENGINE(idsBeyondSixteenBitsAreRefused);
    ON_EVERY_ENGINE(fullIdRangeIsRefusedThenReused);
    ON_EVERY_ENGINE(moreNodesThanSixteenBitsCount);
};

void tst_badinput::awkwardNamesAreStoredExactly()
{
    QFETCH(QString, engine);
    Catalogue c(engine);
    int number = 10;
    for (const auto& [what, name] : awkwardNames()) {
        const QString key = s("_%1").arg(number++);
        // A classification, added and renamed; a generic name, new and renamed.
        QVERIFY2(c.pharvel.Classifications().AddClassification(s("_0"), key, name, 0), what);
        QCOMPARE(nameAt(c.pharvel.LoadClassifications(s("_0"), false), key, "ClassificationName"),
                 name);
        QVERIFY(c.pharvel.NodePharvel().SearchNode(key));
        QCOMPARE(c.pharvel.NodePharvel().NameOfNode(), name);
        QVERIFY(c.pharvel.Classifications().RenameClassification(key, name + s(" ")));
        QCOMPARE(nameAt(c.pharvel.LoadClassifications(s("_0"), false), key, "ClassificationName"),
                 name + s(" "));

        QVERIFY2(c.pharvel.Generics().NewGeneric(name), what);
        const RowSet listed = c.pharvel.Generics().ListGeneric(name);
        QVERIFY2(listed.RecordCount() >= 1, what);
        QCOMPARE(listed.Text(s("Generic Name")), name);
        const QString code = listed.Text(s("Code"));
        QVERIFY(c.pharvel.Generics().RenameGeneric(code, s("\t") + name));
        QCOMPARE(c.db.Connection()
                     .Scalar(s("SELECT genericname FROM inventory.tbforgeneric WHERE GenericCode "
                               "= ?"),
                             {code.toInt()})
                     .toString(),
                 s("\t") + name);

        // Found by its own text taken literally, and printed exactly in the report.
        const RowSet found = ServerProcedures::For_SearchNodeList(c.db.Connection(), name);
        QVERIFY2(found.RecordCount() >= 1, what);
        QCOMPARE(found.Text(s("ItemName")), name + s(" "));
    }
    ServerProcedures::Pharvel_Generate(c.db.Connection(),
                                       ServerProcedures::Pharvel_NodeLevel(c.db.Connection()));
    QCOMPARE(c.db.Connection()
                 .Scalar(s("SELECT ItemName FROM inventory.tbPharvelReport WHERE Node_Key = ?"),
                         {s("_10")})
                 .toString(),
             awkwardNames().first().second + s(" "));
    QCOMPARE(c.Count("inventory.tbPharvel"), 11 + static_cast<int>(awkwardNames().size()));
    QVERIFY2(BrokenCatalogueRules(c.db.Connection()).isEmpty(),
             qPrintable(BrokenCatalogueRules(c.db.Connection()).join(QLatin1Char('\n'))));
}

void tst_badinput::unstorableNamesAreRefused()
{
    QFETCH(QString, engine);
    Catalogue c(engine);
    const int nodes = c.Count("inventory.tbPharvel");
    const int generics = c.Count("inventory.tbforgeneric");
    const QString generic = QString::number(c.sample.amoxicillin);
    const QChar halfPair[] = {QChar(u'A'), QChar(char16_t(0xD83D)), QChar(u'B')};
    for (const QString& name :
         {s("   "), s("\t\n"), QString(), s("Nul") + QChar(0) + s("here"), QString(halfPair, 3),
          QString(TextLimits::kName + 1, QLatin1Char('n'))}) {
        QVERIFY(raises(ErrorNumber::Refused, [&] {
            c.pharvel.Classifications().AddClassification(s("_0"), s("_9"), name, 0);
        }));
        QVERIFY(raises(ErrorNumber::Refused,
                       [&] { c.pharvel.Classifications().RenameClassification(s("_1"), name); }));
        QVERIFY(raises(ErrorNumber::Refused, [&] { c.pharvel.Generics().NewGeneric(name); }));
        QVERIFY(raises(ErrorNumber::Refused,
                       [&] { c.pharvel.Generics().RenameGeneric(generic, name); }));
    }
    QVERIFY(raises(ErrorNumber::Refused, [&] {
        OtherDetailsStore::Save(c.db.Connection(), c.sample.amoxicillin,
                                QString(TextLimits::kOtherDetails + 1, QLatin1Char('d')),
                                std::nullopt);
    }));
    // Keys that are no key, or number a node beyond what a node can hold.
    for (const QString& key : {s("_1'; DELETE FROM inventory.tbPharvel; --"), s("_3.x"), s("_3.-1"),
                               s("_3 .1"), s("_3.")}) {
        QVERIFY(raises(ErrorNumber::Refused, [&] {
            c.pharvel.Generics().AddGeneric(s("_3"), key, {}, c.sample.ibuprofen);
        }));
        QVERIFY(!c.pharvel.NodePharvel().SearchNode(key));
    }
    for (const QString& key : {s("_3.32768"), s("_3.") + QString(3000, QLatin1Char('9'))})
        QVERIFY(raises(ErrorNumber::Overflow, [&] {
            c.pharvel.Generics().AddGeneric(s("_3"), key, {}, c.sample.ibuprofen);
        }));
    QVERIFY(c.pharvel.Generics().AddGeneric(s("_3"), s("_3.32767"), {}, c.sample.ibuprofen));
    QCOMPARE(c.Count("inventory.tbPharvel"), nodes + 1);
    QCOMPARE(c.Count("inventory.tbforgeneric"), generics);
    QCOMPARE(c.db.Connection()
                 .Scalar(s("SELECT ClassificationName FROM inventory.tbForClassification WHERE "
                           "ClassificationID = ?"),
                         {c.sample.analgesics})
                 .toString(),
             s("Analgesics"));
}

void tst_badinput::idsBeyondSixteenBitsAreRefused()
{
    QFETCH(QString, engine);
    Catalogue c(engine);
    const int nodes = c.Count("inventory.tbPharvel");
    const double infinity = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const double id : {32768.0, -32769.0, 65536.0, 1e10, infinity, -infinity}) {
        QVERIFY(raises(ErrorNumber::Overflow, [&] { c.pharvel.Generics().SearchGeneric(id); }));
        QVERIFY(raises(ErrorNumber::Overflow, [&] { c.pharvel.Drugs().SearchDrug(id); }));
        QVERIFY(raises(ErrorNumber::Overflow,
                       [&] { c.pharvel.Drugs().AddDrug(s("_1.2"), s("_1.2.3"), {}, id); }));
        QVERIFY(raises(ErrorNumber::Overflow, [&] { c.pharvel.Drugs().DeleteDrug(id); }));
        QVERIFY(raises(ErrorNumber::Overflow,
                       [&] { c.pharvel.Generics().AddGeneric(s("_3"), s("_3.1"), {}, id); }));
    }
    for (const double id : {nan, 1.5, -0.25})
        QVERIFY(raises(ErrorNumber::TypeMismatch, [&] { c.pharvel.Drugs().SearchDrug(id); }));
    for (const int id : {32768, -40000, std::numeric_limits<int>::max()}) {
        QVERIFY(raises(ErrorNumber::Overflow,
                       [&] { c.pharvel.Classifications().OtherGenerics(id, 1, {}); }));
        QVERIFY(raises(ErrorNumber::Overflow, [&] { c.pharvel.Generics().LoadDrugs(id, 3, {}); }));
    }
    for (const QString& code : {s("40000"), s("1e9"), s("-99999")})
        QVERIFY(raises(ErrorNumber::Overflow, [&] { c.pharvel.Generics().DeleteGeneric(code); }));
    for (const QString& code : {s("12abc"), s(""), s("1; DROP TABLE x"), s("0x10")})
        QVERIFY(raises(ErrorNumber::TypeMismatch,
                       [&] { c.pharvel.Generics().RenameGeneric(code, s("x")); }));
    // The server's own procedure takes an int; beyond 16 bits there is no such generic name.
    QVERIFY(raises(ErrorNumber::Refused,
                   [&] { ServerProcedures::Delete_Generic(c.db.Connection(), 70000); }));
    QCOMPARE(c.Count("inventory.tbPharvel"), nodes);
}

void tst_badinput::fullIdRangeIsRefusedThenReused()
{
    QFETCH(QString, engine);
    Catalogue c(engine);
    SQLConnection& db = c.db.Connection();
    db.Execute(s("INSERT INTO inventory.tbforgeneric (GenericCode, genericname) "
                 "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
                 "SELECT i + 100, 'Filler ' || CAST(i AS TEXT) FROM n"),
               {32767 - 100});
    // Every code up to 32767 is taken now (the sample's are below 100, with gaps).
    const int gapsLeft = 100 - c.Count("inventory.tbforgeneric WHERE GenericCode <= 100");
    for (int i = 0; i < gapsLeft; ++i)
        QVERIFY(c.pharvel.Generics().NewGeneric(s("Gap %1").arg(i)));
    QCOMPARE(c.Count("inventory.tbforgeneric"), 32767);
    QVERIFY(raises(ErrorNumber::Refused, [&] { c.pharvel.Generics().NewGeneric(s("One more")); }));
    QCOMPARE(c.Count("inventory.tbforgeneric"), 32767);
    db.Execute(s("DELETE FROM inventory.tbforgeneric WHERE GenericCode = ?"), {20000});
    QVERIFY(c.pharvel.Generics().NewGeneric(s("One more")));
    QCOMPARE(db.Scalar(s("SELECT genericname FROM inventory.tbforgeneric WHERE GenericCode = ?"),
                       {20000})
                 .toString(),
             s("One more"));
}

void tst_badinput::moreNodesThanSixteenBitsCount()
{
    QFETCH(QString, engine);
    TestDatabase db(engine);
    SampleCatalogue(db.Connection()).AddBulk(10, 2000, 1); // 40,010 nodes below the root
    Pharvel pharvel;
    QVERIFY(pharvel.Connect(db.ConnectionString()));
    const RowSet all = pharvel.LoadClassifications(s("_0"), true);
    QCOMPARE(all.RecordCount(), 40010);
    QCOMPARE(pharvel.LoadClassifications(s("_1"), false).RecordCount(), 2000);
    QVERIFY(pharvel.NodePharvel().SearchNode(s("_10.2000.1")));
}

QTEST_GUILESS_MAIN(tst_badinput)
#include "tst_badinput.moc"
