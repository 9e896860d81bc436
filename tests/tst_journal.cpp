#include "fixtures/ConnectedCatalogue.h"
#include "fixtures/SampleCatalogue.h"
#include "fixtures/TestAccount.h"
#include "fixtures/TestDatabase.h"
#include "platform/catalog/Pharvel.h"
#include "platform/db/Journal.h"
#include "platform/db/OtherDetailsStore.h"
#include "platform/db/PharvelError.h"
#include "platform/db/ScopedTransaction.h"
#include "platform/db/ServerProcedures.h"

#include <QTest>
#include <functional>
#include <optional>

using ClassPharvel::Pharvel;

namespace {
QString s(const char* text)
{
    return QString::fromUtf8(text);
}

int journalRows(SQLConnection& connection)
{
    return connection.Scalar(s("SELECT count(*) FROM inventory.tbCatalogueJournal")).toInt();
}

// One write path of the catalogue and the journal row it must leave.
struct Case
{
    const char* what;
    std::function<void(Pharvel&, SampleCatalogue&)> change;
    const char* action;
    const char* entry;
    const char* beforeAfter;
};

// Each engine, and on a server also a pharmacist's own role, whose changes the server journals
// rather than the program.
void addEngineAndRoleRows()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<bool>("asPharmacist");
    for (const QString& engine : TestDatabase::Engines())
        QTest::newRow(engine.toUtf8().constData()) << engine << false;
    if (TestDatabase::Engines().contains(s("postgresql")))
        QTest::newRow("postgresql, a pharmacist's role") << s("postgresql") << true;
}

// The sample catalogue and a pharmacist's catalogue component connected to it: as the
// administrator's role, or as a pharmacist's own.
struct Catalogue : CatalogueDatabase
{
    explicit Catalogue(const QString& engine, bool asPharmacist = false) : CatalogueDatabase(engine)
    {
        QString url = db.ConnectionString();
        if (asPharmacist) {
            pharmacist.emplace(db.Connection(), "pharmacist", QString());
            url = pharmacist->Url(url);
        }
        if (!pharvel.Connect(url))
            qWarning().noquote() << pharvel.LastError();
    }
    std::optional<TestAccount> pharmacist;
    Pharvel pharvel;
};
} // namespace

// The change journal: every write leaves exactly one row with what was before and after, and a
// write that is refused or undone leaves none.
class tst_journal : public QObject
{
    Q_OBJECT

private slots:
    void eachWriteJournalsOneRow_data() { addEngineAndRoleRows(); }
    void eachWriteJournalsOneRow();
    void undoneWriteLeavesNoRow_data() { addEngineAndRoleRows(); }
    void undoneWriteLeavesNoRow();
    ON_EVERY_ENGINE(listNarrowsAndPruneJournalsItself);
};

void tst_journal::eachWriteJournalsOneRow()
{
    QFETCH(QString, engine);
    QFETCH(bool, asPharmacist);
    Catalogue fixture(engine, asPharmacist);
    TestDatabase& db = fixture.db;
    SampleCatalogue& sample = fixture.sample;
    Pharvel& desk = fixture.pharvel;
    const QString nbsp = s("Take\u00a0with food");
    const Case cases[] = {
        {"classification added",
         [](Pharvel& p, SampleCatalogue&) {
             p.Classifications().AddClassification(s("_0"), s("_4"), s("Vaccines"), 0);
         },
         "classification added", "Vaccines", " → All Classification"},
        {"classification renamed",
         [](Pharvel& p, SampleCatalogue&) {
             p.Classifications().RenameClassification(s("_4"), s("Vaccines and sera"));
         },
         "classification renamed", "Vaccines", "Vaccines → Vaccines and sera"},
        {"generic name added",
         [](Pharvel& p, SampleCatalogue&) { p.Generics().NewGeneric(s("Codeine")); },
         "generic name added", "Codeine", " → Codeine"},
        {"generic name renamed",
         [](Pharvel& p, SampleCatalogue& c) {
             p.Generics().RenameGeneric(QString::number(c.ibuprofen), s("Ibuprofen lysine"));
         },
         "generic name renamed", "Ibuprofen", "Ibuprofen → Ibuprofen lysine"},
        {"generic name filed",
         [](Pharvel& p, SampleCatalogue& c) {
             p.Generics().AddGeneric(s("_3"), s("_3.1"), {}, c.ibuprofen);
         },
         "generic name filed", "Ibuprofen lysine", " → Empty Class"},
        {"generic name moved",
         [](Pharvel& p, SampleCatalogue& c) {
             p.Generics().AddGeneric(s("_1"), s("_1.3"), {}, c.amoxicillin);
         },
         "generic name moved", "Amoxicillin", "antibiotics → Analgesics"},
        {"drug filed",
         [](Pharvel& p, SampleCatalogue& c) {
             p.Drugs().AddDrug(s("_1.2"), s("_1.2.3"), {}, c.aspirin);
         },
         "drug filed", "ASPIRIN 300MG TAB", " → Paracetamol"},
        {"drug moved",
         [](Pharvel& p, SampleCatalogue& c) {
             p.Drugs().AddDrug(s("_1.3"), s("_1.3.1"), {}, c.aspirin);
         },
         "drug moved", "ASPIRIN 300MG TAB", "Paracetamol → Amoxicillin"},
        {"drug taken out", [](Pharvel& p, SampleCatalogue& c) { p.Drugs().DeleteDrug(c.aspirin); },
         "drug taken out", "ASPIRIN 300MG TAB", "Amoxicillin → "},
        {"generic name taken out",
         [](Pharvel& p, SampleCatalogue& c) {
             p.Generics().DeleteGeneric(QString::number(c.ibuprofen));
         },
         "generic name taken out", "Ibuprofen lysine", "Empty Class → "},
        {"generic name deleted from the register",
         [](Pharvel& p, SampleCatalogue& c) {
             ServerProcedures::Delete_Generic(p.Connection(), c.ibuprofen);
         },
         "generic name deleted", "Ibuprofen lysine", "Ibuprofen lysine → "},
        {"other details saved first",
         [&](Pharvel& p, SampleCatalogue& c) {
             QVERIFY(OtherDetailsStore::Save(p.Connection(), c.morphine, nbsp, std::nullopt).saved);
         },
         "other details saved", "Morphine", " → Take\u00a0with food"},
        {"other details saved again",
         [&](Pharvel& p, SampleCatalogue& c) {
             QVERIFY(
                 OtherDetailsStore::Save(p.Connection(), c.morphine, s("Line one\nline two"), nbsp)
                     .saved);
         },
         "other details saved", "Morphine", "Take\u00a0with food → Line one…"},
        {"classification deleted",
         [](Pharvel& p, SampleCatalogue&) { p.Classifications().DeleteClassification(s("_4")); },
         "classification deleted", "Vaccines and sera", "All Classification → "},
    };
    SQLConnection& connection = db.Connection();
    for (const Case& c : cases) {
        const int before = journalRows(connection);
        c.change(desk, sample);
        QVERIFY2(journalRows(connection) == before + 1, c.what);
        RowSet newest = Journal::List(connection, {});
        QCOMPARE(newest.Text(s("Action")), s(c.action));
        QCOMPARE(newest.Text(s("Entry")), s(c.entry));
        QCOMPARE(Journal::BeforeAfter(newest), s(c.beforeAfter));
        QVERIFY2(!newest.Text(s("User")).isEmpty() && !newest.Text(s("Desktop")).isEmpty(), c.what);
    }
    // The text is stored as typed: the non-breaking space stays one.
    QCOMPARE(connection
                 .Scalar(s("SELECT OldText FROM inventory.tbCatalogueJournal WHERE "
                           "Action = 'other details saved' AND OldText IS NOT NULL"))
                 .toString(),
             nbsp);
}

void tst_journal::undoneWriteLeavesNoRow()
{
    QFETCH(QString, engine);
    QFETCH(bool, asPharmacist);
    Catalogue fixture(engine, asPharmacist);
    SampleCatalogue& sample = fixture.sample;
    Pharvel& desk = fixture.pharvel;
    SQLConnection& connection = desk.Connection();
    // Refused half-way (a generic name that holds drugs cannot move; a taken key), and a
    // journal row outside a transaction.
    QVERIFY_THROWS_EXCEPTION(
        PharvelError, desk.Generics().AddGeneric(s("_2"), s("_2.2"), {}, sample.paracetamol));
    QVERIFY_THROWS_EXCEPTION(PharvelError,
                             desk.Drugs().AddDrug(s("_1.2"), s("_1.2.1"), {}, sample.aspirin));
    Journal::Change renamed;
    renamed.action = Journal::Action::GenericRenamed;
    renamed.entryType = s("2");
    renamed.entryId = sample.morphine;
    QVERIFY_THROWS_EXCEPTION(PharvelError, Journal::Record(connection, renamed));
    QCOMPARE(journalRows(connection), 0);
    // Rolled back after the row was written.
    {
        ScopedTransaction transaction(connection);
        connection.Execute(s("UPDATE inventory.tbforgeneric SET genericname = 'X'"));
        Journal::Record(connection, renamed);
    }
    QCOMPARE(journalRows(connection), 0);
}

void tst_journal::listNarrowsAndPruneJournalsItself()
{
    QFETCH(QString, engine);
    Catalogue fixture(engine);
    TestDatabase& db = fixture.db;
    Pharvel& desk = fixture.pharvel;
    QVERIFY(desk.Generics().NewGeneric(s("Codeine")));
    QVERIFY(desk.Generics().NewGeneric(s("Tramadol")));
    SQLConnection& connection = db.Connection();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QString user = Journal::List(connection, {}).Text(s("User"));
    QCOMPARE(
        Journal::List(connection, {now.addSecs(-3600), now.addSecs(3600), {}, {}}).RecordCount(),
        2);
    QCOMPARE(Journal::List(connection, {now.addSecs(3600), {}, {}, {}}).RecordCount(), 0);
    QCOMPARE(Journal::List(connection, {{}, {}, user, s("trama")}).RecordCount(), 1);
    QCOMPARE(Journal::List(connection, {{}, {}, s("nobody"), {}}).RecordCount(), 0);
    QCOMPARE(Journal::Prune(connection, now.addSecs(3600)), 2);
    RowSet left = Journal::List(connection, {});
    QCOMPARE(left.RecordCount(), 1);
    QCOMPARE(left.Text(s("Action")), s("journal pruned"));
}

QTEST_GUILESS_MAIN(tst_journal)
#include "tst_journal.moc"
