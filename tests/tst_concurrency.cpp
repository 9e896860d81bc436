#include "fixtures/CatalogueInvariants.h"
#include "fixtures/ConnectedCatalogue.h"
#include "fixtures/SampleCatalogue.h"
#include "fixtures/TestAccount.h"
#include "fixtures/TestDatabase.h"
#include "platform/catalog/Pharvel.h"
#include "platform/db/PharvelError.h"

#include <QTest>
#include <functional>
#include <latch>
#include <thread>

using ClassPharvel::Pharvel;

namespace {
QString s(const char* text)
{
    return QString::fromUtf8(text);
}

// What one desk's change came to.
struct Outcome
{
    bool done = false;
    int number = 0; // the error's number when it failed
    QString description;
};

using Change = std::function<bool(Pharvel&)>;

// Two pharmacists, each with the catalogue component on a desktop of their own, make their
// change at the same moment; the second may log in as someone else.
std::pair<Outcome, Outcome> race(const QString& server, const Change& first, const Change& second,
                                 const QString& secondServer = {})
{
    std::latch start(2);
    const auto desk = [&](const QString& address, const Change& change, Outcome& outcome) {
        Pharvel pharvel;
        const bool connected = pharvel.Connect(address);
        start.arrive_and_wait();
        if (!connected) {
            outcome.description = pharvel.LastError();
            return;
        }
        try {
            outcome.done = change(pharvel);
        } catch (const PharvelError& error) {
            outcome.number = error.Number();
            outcome.description = error.Description();
        }
    };
    std::pair<Outcome, Outcome> outcomes;
    std::thread one(desk, std::cref(server), std::cref(first), std::ref(outcomes.first));
    std::thread two(desk, std::cref(secondServer.isEmpty() ? server : secondServer),
                    std::cref(second), std::ref(outcomes.second));
    one.join();
    two.join();
    return outcomes;
}

// One change went through and the other was turned away with the reason; returns the winner
// (0 or 1), or -1 when it did not go so.
int oneWon(const std::pair<Outcome, Outcome>& outcomes)
{
    const Outcome* both[] = {&outcomes.first, &outcomes.second};
    for (int winner = 0; winner < 2; ++winner) {
        const Outcome& won = *both[winner];
        const Outcome& lost = *both[1 - winner];
        if (won.done && won.number == 0 && !lost.done && lost.number != 0 &&
            !lost.description.isEmpty())
            return winner;
    }
    qWarning().noquote() << "first:" << outcomes.first.done << outcomes.first.description
                         << "second:" << outcomes.second.done << outcomes.second.description;
    return -1;
}

// The key of the node that files the entry, or nothing.
QString filedAt(SQLConnection& connection, const char* type, int id)
{
    return connection
        .Scalar(s("SELECT Node_Key FROM inventory.tbPharvel WHERE Node_Type = ? AND Node_ID = ?"),
                {s(type), id})
        .toString();
}

using Catalogue = CatalogueDatabase;

constexpr int kRounds = 4;
} // namespace

// Pharmacists changing one catalogue at the same moment: the catalogue stays whole, one change
// wins, the other is told why, and every desk reads the same catalogue afterwards.
class tst_concurrency : public QObject
{
    Q_OBJECT

private slots:
    ON_EVERY_ENGINE(deleteWhileAnotherFilesUnder);
    ON_EVERY_ENGINE(twoGenericsTakeOneKey);
    ON_EVERY_ENGINE(oneDrugMovedToTwoGenerics);
    ON_EVERY_ENGINE(renameWhileAnotherDeletes);
    ON_EVERY_ENGINE(bothMoveTheDrugTheyRead);
};

void tst_concurrency::deleteWhileAnotherFilesUnder()
{
    QFETCH(QString, engine);
    Catalogue c(engine);
    SQLConnection& db = c.db.Connection();
    QList<int> winners;
    for (int round = 0; round < kRounds; ++round) {
        const QString classKey = s("_%1").arg(round + 10);
        {
            Pharvel setUp;
            QVERIFY(setUp.Connect(c.db.ConnectionString()));
            QVERIFY(
                setUp.Classifications().AddClassification(s("_0"), classKey, s("Short-lived"), 0));
        }
        const auto outcomes = race(
            c.db.ConnectionString(),
            [&](Pharvel& p) { return p.Classifications().DeleteClassification(classKey); },
            [&](Pharvel& p) {
                return p.Generics().AddGeneric(classKey, classKey + s(".1"), {},
                                               c.sample.ibuprofen);
            });
        const int winner = oneWon(outcomes);
        QVERIFY(winner >= 0);
        winners << winner;
        QCOMPARE(winner == 0 ? outcomes.second.number : outcomes.first.number,
                 ErrorNumber::Refused);
        // Deleted first: the generic name stays where it was (filed nowhere). Filed first: the
        // classification stays, holding it.
        QCOMPARE(filedAt(db, "2", c.sample.ibuprofen),
                 winner == 0 ? QString() : classKey + s(".1"));
        QVERIFY2(BrokenCatalogueRules(db).isEmpty(),
                 qPrintable(BrokenCatalogueRules(db).join(QLatin1Char('\n'))));
        if (winner == 1) { // put things back for the next round
            Pharvel tidy;
            QVERIFY(tidy.Connect(c.db.ConnectionString()));
            QVERIFY(tidy.Generics().DeleteGeneric(QString::number(c.sample.ibuprofen)));
            QVERIFY(tidy.Classifications().DeleteClassification(classKey));
        }
    }
    qInfo() << "winners (0 the deleting desk, 1 the filing desk):" << winners;
}

void tst_concurrency::twoGenericsTakeOneKey()
{
    QFETCH(QString, engine);
    Catalogue c(engine);
    SQLConnection& db = c.db.Connection();
    for (int round = 0; round < kRounds; ++round) {
        // Amoxicillin moves from _2.1 and Ibuprofen from nowhere to the same new key.
        const QString key = s("_3.%1").arg(round + 1);
        const QString amoxicillinWas = filedAt(db, "2", c.sample.amoxicillin);
        const auto outcomes = race(
            c.db.ConnectionString(),
            [&](Pharvel& p) {
                return p.Generics().AddGeneric(s("_3"), key, {}, c.sample.amoxicillin);
            },
            [&](Pharvel& p) {
                return p.Generics().AddGeneric(s("_3"), key, {}, c.sample.ibuprofen);
            });
        const int winner = oneWon(outcomes);
        QVERIFY(winner >= 0);
        QCOMPARE(winner == 0 ? outcomes.second.number : outcomes.first.number,
                 ErrorNumber::ConstraintViolated);
        // The loser's generic name did not leave its old place: its move was undone whole.
        QCOMPARE(filedAt(db, "2", c.sample.amoxicillin), winner == 0 ? key : amoxicillinWas);
        QCOMPARE(filedAt(db, "2", c.sample.ibuprofen), winner == 1 ? key : QString());
        QVERIFY2(BrokenCatalogueRules(db).isEmpty(),
                 qPrintable(BrokenCatalogueRules(db).join(QLatin1Char('\n'))));
        Pharvel tidy; // Ibuprofen back to nowhere for the next round
        QVERIFY(tidy.Connect(c.db.ConnectionString()));
        tidy.Generics().DeleteGeneric(QString::number(c.sample.ibuprofen));
    }
}

void tst_concurrency::oneDrugMovedToTwoGenerics()
{
    QFETCH(QString, engine);
    Catalogue c(engine);
    SQLConnection& db = c.db.Connection();
    for (int round = 0; round < kRounds; ++round) {
        const QString underParacetamol = s("_1.2.%1").arg(round + 3);
        const QString underAmoxicillin = s("_2.1.%1").arg(round + 1);
        const auto outcomes = race(
            c.db.ConnectionString(),
            [&](Pharvel& p) {
                return p.Drugs().AddDrug(s("_1.2"), underParacetamol, {}, c.sample.aspirin);
            },
            [&](Pharvel& p) {
                return p.Drugs().AddDrug(s("_2.1"), underAmoxicillin, {}, c.sample.aspirin);
            });
        // Each move is whole: the later one moves the drug on from where the earlier one put
        // it, so it ends filed once, under one of the two.
        QVERIFY2(outcomes.first.done && outcomes.second.done,
                 qPrintable(outcomes.first.description + outcomes.second.description));
        const QString at = filedAt(db, "3", c.sample.aspirin);
        QVERIFY2(at == underParacetamol || at == underAmoxicillin, qPrintable(at));
        QVERIFY2(BrokenCatalogueRules(db).isEmpty(),
                 qPrintable(BrokenCatalogueRules(db).join(QLatin1Char('\n'))));
        // Both desks read the same catalogue after a refresh.
        Pharvel first;
        Pharvel second;
        QVERIFY(first.Connect(c.db.ConnectionString()) && second.Connect(c.db.ConnectionString()));
        QVERIFY(first.Drugs().SearchDrug(c.sample.aspirin));
        QVERIFY(second.Drugs().SearchDrug(c.sample.aspirin));
        QCOMPARE(first.Drugs().NodeKey(), at);
        QCOMPARE(second.Drugs().NodeKey(), at);
        QCOMPARE(first.LoadClassifications(s("_0"), true).RecordCount(),
                 second.LoadClassifications(s("_0"), true).RecordCount());
    }
}

void tst_concurrency::renameWhileAnotherDeletes()
{
    QFETCH(QString, engine);
    Catalogue c(engine);
    SQLConnection& db = c.db.Connection();
    for (int round = 0; round < kRounds; ++round) {
        const QString classKey = s("_%1").arg(round + 20);
        {
            Pharvel setUp;
            QVERIFY(setUp.Connect(c.db.ConnectionString()));
            QVERIFY(setUp.Classifications().AddClassification(s("_0"), classKey, s("Old name"), 0));
        }
        const auto outcomes = race(
            c.db.ConnectionString(),
            [&](Pharvel& p) {
                return p.Classifications().RenameClassification(classKey, s("New name"));
            },
            [&](Pharvel& p) { return p.Classifications().DeleteClassification(classKey); });
        // The delete always goes through; a rename that came second found nothing to rename
        // and said so by its result.
        QVERIFY2(outcomes.second.done, qPrintable(outcomes.second.description));
        QCOMPARE(outcomes.first.number, 0);
        QCOMPARE(db.Scalar(s("SELECT count(*) FROM inventory.tbForClassification WHERE "
                             "ClassificationName IN ('Old name', 'New name')"))
                     .toInt(),
                 0);
        QVERIFY2(BrokenCatalogueRules(db).isEmpty(),
                 qPrintable(BrokenCatalogueRules(db).join(QLatin1Char('\n'))));
    }
}

// Both desks read where the drug is, then move it at the same moment: the later move would go on
// stale facts, so it is refused and names the pharmacist who moved it first.
void tst_concurrency::bothMoveTheDrugTheyRead()
{
    QFETCH(QString, engine);
    Catalogue c(engine);
    SQLConnection& db = c.db.Connection();
    const TestAccount alice(db, "alice", {});
    const TestAccount bob(db, "bob", {});
    for (int round = 0; round < kRounds; ++round) {
        const QString underParacetamol = s("_1.2.%1").arg(round + 3);
        const QString underAmoxicillin = s("_2.1.%1").arg(round + 1);
        const int rowsBefore =
            db.Scalar(s("SELECT count(*) FROM inventory.tbCatalogueJournal")).toInt();
        std::latch bothRead(2);
        const auto move = [&](const QString& parent, const QString& key) {
            return [&, parent, key](Pharvel& p) {
                p.Drugs().SearchDrug(c.sample.aspirin);
                bothRead.arrive_and_wait();
                return p.Drugs().AddDrug(parent, key, {}, c.sample.aspirin);
            };
        };
        const auto outcomes =
            race(alice.Url(c.db.ConnectionString()), move(s("_1.2"), underParacetamol),
                 move(s("_2.1"), underAmoxicillin), bob.Url(c.db.ConnectionString()));
        const int winner = oneWon(outcomes);
        QVERIFY(winner >= 0);
        const Outcome& lost = winner == 0 ? outcomes.second : outcomes.first;
        QCOMPARE(lost.number, ErrorNumber::Refused);
        const QString& winnerId = winner == 0 ? alice.id : bob.id;
        QVERIFY2(lost.description.contains(winnerId), qPrintable(lost.description));
        QCOMPARE(filedAt(db, "3", c.sample.aspirin),
                 winner == 0 ? underParacetamol : underAmoxicillin);
        QCOMPARE(db.Scalar(s("SELECT count(*) FROM inventory.tbCatalogueJournal")).toInt(),
                 rowsBefore + 1);
        QVERIFY2(BrokenCatalogueRules(db).isEmpty(),
                 qPrintable(BrokenCatalogueRules(db).join(QLatin1Char('\n'))));
    }
}

QTEST_GUILESS_MAIN(tst_concurrency)
#include "tst_concurrency.moc"
