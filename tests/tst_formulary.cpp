#include "fixtures/SampleCatalogue.h"
#include "fixtures/TestAccount.h"
#include "fixtures/TestDatabase.h"
#include "platform/catalog/Pharvel.h"
#include "platform/db/AtcCode.h"
#include "platform/db/AtcIndexStore.h"
#include "platform/db/Formulary.h"
#include "platform/db/PharvelError.h"
#include "platform/db/ScopedTransaction.h"
#include "platform/db/ServerProcedures.h"
#include "platform/db/TextLimits.h"
#include "platform/exchange/GenericMerge.h"

#include <QTest>
#include <functional>

using ClassPharvel::Pharvel;

// The formulary of generic names: the ATC format, the component's read and save (its refusals,
// its stale check, its rights), the reads the screens make, and what deleting and merging
// generic names leave of it.
class tst_formulary : public QObject
{
    Q_OBJECT

private slots:
    void atcCodeLevels_data();
    void atcCodeLevels();
    ON_EVERY_ENGINE(savedAsReadAndRefused);
    ON_EVERY_ENGINE(staleSaveIsRefusedAndNamed);
    ON_EVERY_ENGINE(deleteAndMergeLeaveNoOrphans);
};

namespace {
QString s(const char* text)
{
    return QString::fromUtf8(text);
}

// The sample catalogue with a few codes in the ATC index (written for the test, not the WHO's),
// and a pharmacist's component and a viewer's connected to it.
struct Committee
{
    explicit Committee(const QString& engine)
        : db(engine), catalogue(db.Connection()), pharmacist(Built(), "pharmacist", {}),
          viewer(db.Connection(), "viewer", s("BB"))
    {
        ScopedTransaction transaction(db.Connection());
        AtcIndexStore::Replace(db.Connection(),
                               {{s("Q01"), s("test group"), {}, {}, {}, {}},
                                {s("Q01XY01"), s("testamol"), s("2"), s("g"), s("O"), {}}});
        transaction.Commit();
        connect(pharvel, pharmacist);
    }
    SQLConnection& Built()
    {
        catalogue.Build();
        return db.Connection();
    }
    void connect(Pharvel& component, const TestAccount& account)
    {
        QVERIFY2(component.Connect(account.Url(db.ConnectionString())),
                 qPrintable(component.LastError()));
    }
    // A full record for Morphine, as the dialog would hand it over.
    FormularyRecord Full() const
    {
        FormularyRecord record{catalogue.morphine};
        record.status = FormularyStatus::Restricted;
        record.restriction = s("Pain team only, 5 days.");
        record.decidedOn = QDate(2026, 3, 1);
        record.decisionRef = s("DTC 2026/03 item 4");
        record.reviewOn = QDate(2027, 3, 1);
        record.ven = VenCategory::Vital;
        record.codes = {{AtcCode::kSystem, s("Q01XY01")}, {s("national"), s("abc-17")}};
        record.alternatives = {{catalogue.paracetamol, AlternativeKind::Preferred, s("1 g")},
                               {catalogue.ibuprofen, AlternativeKind::Equivalent, {}}};
        return record;
    }

    TestDatabase db;
    SampleCatalogue catalogue;
    TestAccount pharmacist;
    TestAccount viewer;
    Pharvel pharvel;
};

// The description of the PharvelError that work raises, with its number; empty when none.
QString refusal(const std::function<void()>& work, int* number = nullptr)
{
    try {
        work();
    } catch (const PharvelError& error) {
        if (number)
            *number = error.Number();
        return error.Description();
    }
    return {};
}

int journalRows(SQLConnection& connection, int generic)
{
    return connection
        .Scalar(s("SELECT count(*) FROM inventory.tbCatalogueJournal WHERE Action = "
                  "'formulary changed' AND EntryID = ?"),
                {generic})
        .toInt();
}
} // namespace

void tst_formulary::atcCodeLevels_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("level");
    const std::pair<const char*, AtcCode::Level> cases[] = {
        {"A", AtcCode::Level::AnatomicalGroup},
        {"A01", AtcCode::Level::TherapeuticSubgroup},
        {"A01A", AtcCode::Level::PharmacologicalSubgroup},
        {"A01AA", AtcCode::Level::ChemicalSubgroup},
        {"J01CA04", AtcCode::Level::Substance},
        {"", AtcCode::Level::Malformed},
        {"a01", AtcCode::Level::Malformed},
        {"A1", AtcCode::Level::Malformed},
        {"A01AA1", AtcCode::Level::Malformed},
        {"A01AA011", AtcCode::Level::Malformed},
        {"A0AAA01", AtcCode::Level::Malformed},
        {"A01A101", AtcCode::Level::Malformed},
        {"1", AtcCode::Level::Malformed},
        {" A01", AtcCode::Level::Malformed},
        {"WHO:N02BE01", AtcCode::Level::Malformed},
    };
    for (const auto& [code, level] : cases)
        QTest::newRow(code) << s(code) << static_cast<int>(level);
}

void tst_formulary::atcCodeLevels()
{
    QFETCH(QString, code);
    QFETCH(int, level);
    QCOMPARE(static_cast<int>(AtcCode::LevelOf(code)), level);
    QCOMPARE(AtcCode::Problem(code).isEmpty(), level != 0);
}

void tst_formulary::savedAsReadAndRefused()
{
    QFETCH(QString, engine);
    Committee c(engine);
    auto& formulary = c.pharvel.Formulary();
    const FormularyRecord none = formulary.ReadFormulary(c.catalogue.morphine);
    QVERIFY(none.IsEmpty());

    // Saved whole, read back whole, with the index's names and the alternatives' names.
    const FormularyRecord full = c.Full();
    QVERIFY(formulary.SaveFormulary(full, none).saved);
    const FormularyRecord read = formulary.ReadFormulary(c.catalogue.morphine);
    QCOMPARE(read, full);
    QCOMPARE(read.codes.at(0).indexName, s("testamol"));
    QCOMPARE(read.codes.at(1).indexName, QString());
    QCOMPARE(read.alternatives.at(0).name, s("Paracetamol"));
    QCOMPARE(journalRows(c.db.Connection(), c.catalogue.morphine), 1);
    QCOMPARE(
        c.db.Connection()
            .Scalar(s(
                "SELECT COALESCE(OldText, '') || '>' || NewText FROM inventory.tbCatalogueJournal "
                "WHERE Action = 'formulary changed'"))
            .toString()
            .section(QLatin1Char('\n'), 0, 1),
        s(">status: R restricted\nrestriction: Pain team only, 5 days."));

    // The screens' reads.
    QCOMPARE(formulary.Statuses().value(s("_1.1.1")), s("R"));
    const QMap<QString, int> underAnalgesics = formulary.StatusCounts(s("_1"));
    QCOMPARE(underAnalgesics, (QMap<QString, int>{{s("R"), 1}, {s(""), 1}}));
    QCOMPARE(formulary.StatusCounts(s("_2")), (QMap<QString, int>{{s(""), 1}}));
    QCOMPARE(formulary.StatusCounts(s("_0")).value(s("")), 2);
    for (const char* search : {"Q01", "q01x", "Q01XY01", "abc-17"}) {
        const auto carriers = formulary.FindByCode(s(search));
        QCOMPARE(carriers.size(), 1);
        QCOMPARE(carriers.at(0).genericName, s("Morphine"));
    }
    QVERIFY(formulary.FindByCode(s("Q02")).isEmpty());
    QVERIFY(formulary.FindByCode(s("ABC-17")).isEmpty());

    // Refusals: nothing is written, the stored formulary stays.
    struct Case
    {
        const char* name;
        std::function<void(FormularyRecord&)> spoil;
        const char* says;
    };
    const Case cases[] = {
        {"R without text", [](FormularyRecord& r) { r.restriction = s("  "); }, "needs the text"},
        {"G without text",
         [](FormularyRecord& r) {
             r.status = FormularyStatus::WithGuidelines;
             r.restriction.clear();
         },
         "needs the text"},
        {"status letter", [](FormularyRecord& r) { r.status = s("y"); }, "no formulary status"},
        {"VEN letter", [](FormularyRecord& r) { r.ven = s("X"); }, "no VEN category"},
        {"ATC code", [](FormularyRecord& r) { r.codes[0].code = s("Q1XY01"); }, "no ATC code"},
        {"ATC capitals", [](FormularyRecord& r) { r.codes[0].code = s("q01"); }, "capitals"},
        {"system atc", [](FormularyRecord& r) { r.codes[1].system = s("atc"); }, "spelt"},
        {"code twice", [](FormularyRecord& r) { r.codes << r.codes[0]; }, "given twice"},
        {"empty code", [](FormularyRecord& r) { r.codes[1].code = s(" "); }, "both its code"},
        {"itself", [&](FormularyRecord& r) { r.alternatives[1].generic = c.catalogue.morphine; },
         "its own alternative"},
        {"unknown alternative", [](FormularyRecord& r) { r.alternatives[1].generic = 999; },
         "not in the register"},
        {"kind", [](FormularyRecord& r) { r.alternatives[0].kind = s("X"); }, "no kind"},
        {"over-long",
         [](FormularyRecord& r) {
             r.restriction = QString(TextLimits::kRestriction + 1, QLatin1Char('x'));
         },
         "longer than 4000"},
        {"NUL", [](FormularyRecord& r) { r.decisionRef = s("a") + QChar(0); }, "cannot be stored"},
        {"unknown generic", [](FormularyRecord& r) { r.generic = 999; }, "another generic"},
    };
    for (const Case& bad : cases) {
        FormularyRecord spoilt = read;
        bad.spoil(spoilt);
        int number = 0;
        const QString text = refusal([&] { formulary.SaveFormulary(spoilt, read); }, &number);
        QVERIFY2(text.contains(s(bad.says)), qPrintable(s(bad.name) + s(": ") + text));
        QCOMPARE(number, static_cast<int>(ErrorNumber::Refused));
    }
    QCOMPARE(formulary.ReadFormulary(c.catalogue.morphine), full);

    // A viewer is refused by the component; the server's refusal of plain SQL is tst_rights'.
    Pharvel looking;
    c.connect(looking, c.viewer);
    QCOMPARE(looking.Formulary().ReadFormulary(c.catalogue.morphine), full);
    int number = 0;
    QVERIFY(!refusal([&] { looking.Formulary().SaveFormulary(none, full); }, &number).isEmpty());
    QCOMPARE(number, static_cast<int>(ErrorNumber::NotPermitted));

    // Saving nothing decided removes every row.
    QVERIFY(formulary.SaveFormulary(FormularyRecord{c.catalogue.morphine}, full).saved);
    QVERIFY(formulary.ReadFormulary(c.catalogue.morphine).IsEmpty());
    QCOMPARE(journalRows(c.db.Connection(), c.catalogue.morphine), 2);

    // On a server, a pharmacist's plain SQL is journaled too: one row for the transaction, told
    // as the program tells it.
    if (engine != QLatin1String("postgresql"))
        return;
    SQLConnection& desk = c.pharvel.Connection();
    ScopedTransaction transaction(desk);
    desk.Execute(s("INSERT INTO inventory.tbFormulary (GenericCode, Status, Ven) VALUES (?, 'N', "
                   "'E')"),
                 {c.catalogue.morphine});
    desk.Execute(s("INSERT INTO inventory.tbAlternative VALUES (?, 1, ?, 'T', 'half the dose')"),
                 {c.catalogue.morphine, c.catalogue.paracetamol});
    transaction.Commit();
    QCOMPARE(journalRows(c.db.Connection(), c.catalogue.morphine), 3);
    QCOMPARE(c.db.Connection()
                 .Scalar(s("SELECT NewText FROM inventory.tbCatalogueJournal WHERE Action = "
                           "'formulary changed' ORDER BY JournalID DESC"))
                 .toString(),
             FormularySummary(formulary.ReadFormulary(c.catalogue.morphine)));
}

void tst_formulary::staleSaveIsRefusedAndNamed()
{
    QFETCH(QString, engine);
    Committee c(engine);
    Pharvel other;
    c.connect(other, c.pharmacist);
    const FormularyRecord asRead = c.pharvel.Formulary().ReadFormulary(c.catalogue.morphine);

    FormularyRecord theirs = asRead;
    theirs.status = FormularyStatus::InFormulary;
    QVERIFY(other.Formulary().SaveFormulary(theirs, asRead).saved);

    FormularyRecord mine = asRead;
    mine.status = FormularyStatus::NotInFormulary;
    const auto outcome = c.pharvel.Formulary().SaveFormulary(mine, asRead);
    QVERIFY(!outcome.saved);
    QCOMPARE(outcome.theirs, theirs);
    QVERIFY2(outcome.who.contains(c.pharmacist.id), qPrintable(outcome.who));
    QCOMPARE(c.pharvel.Formulary().ReadFormulary(c.catalogue.morphine), theirs);
    QCOMPARE(journalRows(c.db.Connection(), c.catalogue.morphine), 1);
}

void tst_formulary::deleteAndMergeLeaveNoOrphans()
{
    QFETCH(QString, engine);
    Committee c(engine);
    SQLConnection& connection = c.db.Connection();
    auto& formulary = c.pharvel.Formulary();
    QVERIFY(formulary.SaveFormulary(c.Full(), FormularyRecord{c.catalogue.morphine}).saved);
    FormularyRecord ibuprofen{c.catalogue.ibuprofen};
    ibuprofen.status = FormularyStatus::InFormulary;
    ibuprofen.codes = {{AtcCode::kSystem, s("Q01")}, {AtcCode::kSystem, s("Q01XY01")}};
    ibuprofen.alternatives = {{c.catalogue.amoxicillin, AlternativeKind::Preferred, {}}};
    QVERIFY(formulary.SaveFormulary(ibuprofen, FormularyRecord{c.catalogue.ibuprofen}).saved);

    // Ibuprofen merged into Amoxicillin: Amoxicillin takes its decision and codes, Morphine
    // lists Amoxicillin instead, and nobody lists Ibuprofen or itself.
    GenericMerge::Merge(connection, c.catalogue.amoxicillin, c.catalogue.ibuprofen);
    const FormularyRecord amoxicillin = formulary.ReadFormulary(c.catalogue.amoxicillin);
    QCOMPARE(amoxicillin.status, s("Y"));
    QCOMPARE(amoxicillin.codes, ibuprofen.codes);
    QVERIFY(amoxicillin.alternatives.isEmpty());
    FormularyRecord morphine = c.Full();
    morphine.alternatives[1].generic = c.catalogue.amoxicillin;
    QCOMPARE(formulary.ReadFormulary(c.catalogue.morphine), morphine);

    // A generic name deleted: Morphine no longer lists it, journaled.
    const int codeine = c.catalogue.AddGeneric(s("Codeine"));
    FormularyRecord listing = morphine;
    listing.alternatives << Alternative{codeine, AlternativeKind::Equivalent, s("60 mg")};
    QVERIFY(formulary.SaveFormulary(listing, morphine).saved);
    ServerProcedures::Delete_Generic(connection, codeine);
    QCOMPARE(formulary.ReadFormulary(c.catalogue.morphine), morphine);
    QCOMPARE(journalRows(connection, c.catalogue.morphine), 4);
    for (const char* table : {"tbFormulary", "tbGenericCode", "tbAlternative"})
        QCOMPARE(connection
                     .Scalar(s("SELECT count(*) FROM inventory.%1 WHERE GenericCode NOT IN "
                               "(SELECT GenericCode FROM inventory.tbforgeneric)")
                                 .arg(s(table)))
                     .toInt(),
                 0);
}

QTEST_GUILESS_MAIN(tst_formulary)
#include "tst_formulary.moc"
