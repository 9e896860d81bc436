// The load test: simulated pharmacists, each with a connection of their own, run a random mix of
// the catalogue's work against one database for a bounded time, and afterwards the catalogue
// must be whole. It prints the operations done, the errors seen by kind and the 50th and 99th
// percentile latency of each operation.
//
//   tst_loadtest                          8 pharmacists, 10 seconds an engine (as the suite runs
//   it) PHARVEL_LOAD_SECONDS=60 PHARVEL_LOAD_PHARMACISTS=50 tst_loadtest  a hospital's full run
//
// Every connection is on this machine (an embedded file, or the server of PHARVEL_TEST_PG).
#include "app/mdlPharvel.h"
#include "fixtures/CatalogueInvariants.h"
#include "fixtures/SampleCatalogue.h"
#include "fixtures/TestAccount.h"
#include "fixtures/TestDatabase.h"
#include "platform/catalog/Pharvel.h"
#include "platform/db/PharvelError.h"
#include "platform/db/ServerProcedures.h"

#include <QElapsedTimer>
#include <QMap>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <mutex>
#include <optional>
#include <random>
#include <thread>

using ClassPharvel::Pharvel;

namespace {
QString s(const char* text)
{
    return QString::fromUtf8(text);
}

constexpr int kDefaultClients = 8;
constexpr int kMostClients = 190;            // the private server takes 200 connections
constexpr int kOperationsPerClient = 200000; // a bound besides the time, never reached
constexpr int kClasses = 20;
constexpr int kGenericsPerClass = 30;
constexpr int kDrugsPerGeneric = 2;
constexpr int kEmptyGenericsPerClass = 10;

enum Operation { Load, LoadAll, Find, MoveGeneric, MoveDrug, Rename, Report, kOperations };
const char* const kOperationNames[] = {"load one level",    "load all",  "find",
                                       "move generic",      "move drug", "rename",
                                       "report preparation"};
// How often each is picked, out of the sum: mostly reading, as at a pharmacy's desks.
const int kWeights[] = {30, 3, 20, 12, 15, 15, 5};

QString errorKind(int number)
{
    switch (number) {
    case ErrorNumber::ConstraintViolated:
        return s("ConstraintViolated (another user took the key)");
    case ErrorNumber::Refused:
        return s("Refused (the change would break the catalogue)");
    case ErrorNumber::Timeout:
        return s("Timeout (lock wait beyond the command time-out)");
    case ErrorNumber::ConnectionFailed:
        return s("ConnectionFailed");
    case ErrorNumber::Overflow:
        return s("Overflow");
    default:
        return s("error %1").arg(number);
    }
}

// What the clients saw, gathered when they are done.
struct Figures
{
    std::vector<double> latencies[kOperations];
    int errors[kOperations] = {};
    QMap<QString, int> errorsByKind;
    QStringList unexpected; // errors that no amount of concurrency explains
    int changes = 0;        // moves and renames that went through, each one journal row

    void Add(const Figures& other)
    {
        for (int op = 0; op < kOperations; ++op) {
            latencies[op].insert(latencies[op].end(), other.latencies[op].begin(),
                                 other.latencies[op].end());
            errors[op] += other.errors[op];
        }
        for (auto it = other.errorsByKind.cbegin(); it != other.errorsByKind.cend(); ++it)
            errorsByKind[it.key()] += it.value();
        unexpected += other.unexpected;
        changes += other.changes;
    }
};

double percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, static_cast<size_t>(fraction * values.size()));
    return values[index];
}

// One pharmacist's desk: picks work at random and does it as the windows do.
class Client
{
public:
    Client(const QString& server, unsigned seed, int drugs, int generics)
        : m_random(seed), m_drugs(drugs), m_generics(generics)
    {
        if (!m_pharvel.Connect(server))
            throw PharvelError(ErrorNumber::ConnectionFailed, m_pharvel.LastError(), {});
    }

    void Run(qint64 milliseconds)
    {
        std::discrete_distribution<int> pick(std::begin(kWeights), std::end(kWeights));
        QElapsedTimer clock;
        clock.start();
        for (int n = 0; n < kOperationsPerClient && clock.elapsed() < milliseconds; ++n) {
            const int op = pick(m_random);
            QElapsedTimer timer;
            timer.start();
            try {
                Do(static_cast<Operation>(op));
                figures.changes += op == MoveGeneric || op == MoveDrug || op == Rename;
            } catch (const PharvelError& error) {
                ++figures.errors[op];
                ++figures.errorsByKind[errorKind(error.Number())];
                if (error.Number() != ErrorNumber::ConstraintViolated &&
                    error.Number() != ErrorNumber::Refused)
                    figures.unexpected << QString::fromUtf8(error.what());
            }
            figures.latencies[op].push_back(double(timer.nsecsElapsed()) / 1e6);
        }
    }

    Figures figures;

private:
    int Between(int low, int high)
    {
        return std::uniform_int_distribution<int>(low, high)(m_random);
    }
    QString ClassKey() { return s("_%1").arg(Between(1, kClasses)); }

    // The first free key under a parent, as the windows take one.
    QString NewKeyUnder(const QString& parent)
    {
        const int children = m_pharvel.LoadClassifications(parent, false).RecordCount();
        return mdlPharvel::NextNodeKey(
            parent, static_cast<qint16>(children),
            [&](const QString& key) { return m_pharvel.NodePharvel().SearchNode(key); });
    }

    void Do(Operation op)
    {
        SQLConnection& connection = m_pharvel.Connection();
        switch (op) {
        case Load:
            m_pharvel.LoadClassifications(Between(0, 1) ? ClassKey() : s("_0"), false);
            break;
        case LoadAll:
            m_pharvel.LoadClassifications(s("_0"), true);
            break;
        case Find: {
            static const char* const texts[] = {"generic 1", "drug 2", "class", "7", "zz"};
            const RowSet found =
                ServerProcedures::For_SearchNodeList(connection, s(texts[Between(0, 4)]));
            if (found.RecordCount() > 0)
                ServerProcedures::For_TraceParent(
                    connection, found.At(Between(0, found.RecordCount() - 1), 2).toString());
            break;
        }
        case MoveGeneric: {
            // Mostly generic names without drugs, which may move; now and then one that may not.
            const int code = Between(0, 4) ? Between(m_generics + 1,
                                                     m_generics + kClasses * kEmptyGenericsPerClass)
                                           : Between(1, m_generics);
            const QString parent = ClassKey();
            m_pharvel.Generics().AddGeneric(parent, NewKeyUnder(parent), {}, code);
            break;
        }
        case MoveDrug: {
            const int code = Between(1, m_generics);
            if (!m_pharvel.Generics().SearchGeneric(code))
                break;
            const QString parent = m_pharvel.Generics().NodeKey();
            m_pharvel.Drugs().AddDrug(parent, NewKeyUnder(parent), {}, Between(1, m_drugs));
            break;
        }
        case Rename:
            if (Between(0, 1))
                m_pharvel.Classifications().RenameClassification(
                    ClassKey(), s("Class %1 renamed %2").arg(Between(1, 99)).arg(Between(1, 9)));
            else
                m_pharvel.Generics().RenameGeneric(QString::number(Between(1, m_generics)),
                                                   s("Generic renamed %1").arg(Between(1, 999)));
            break;
        case Report:
            ServerProcedures::Pharvel_Generate(connection,
                                               ServerProcedures::Pharvel_NodeLevel(connection));
            break;
        case kOperations:
            break;
        }
    }

    std::mt19937 m_random;
    int m_drugs;
    int m_generics;
    Pharvel m_pharvel;
};

void print(const QString& engine, int clients, qint64 seconds, const Figures& f, int journalRows)
{
    int operations = 0;
    int errors = 0;
    for (int op = 0; op < kOperations; ++op) {
        operations += static_cast<int>(f.latencies[op].size());
        errors += f.errors[op];
    }
    std::printf("\nload test on %s: %d clients for %lld s: %d operations (%.0f a second), %d "
                "errors\n",
                qPrintable(engine), clients, static_cast<long long>(seconds), operations,
                double(operations) / double(seconds), errors);
    std::printf("  %-20s %8s %7s %10s %10s\n", "operation", "done", "errors", "p50 ms", "p99 ms");
    for (int op = 0; op < kOperations; ++op)
        std::printf("  %-20s %8zu %7d %10.2f %10.2f\n", kOperationNames[op], f.latencies[op].size(),
                    f.errors[op], percentile(f.latencies[op], 0.50),
                    percentile(f.latencies[op], 0.99));
    std::printf("  journal: %d rows for %d changes\n", journalRows, f.changes);
    std::printf("  errors by kind:\n");
    if (f.errorsByKind.isEmpty())
        std::printf("    none\n");
    for (auto it = f.errorsByKind.cbegin(); it != f.errorsByKind.cend(); ++it)
        std::printf("    %6d  %s\n", it.value(), qPrintable(it.key()));
    std::fflush(stdout);
}
} // namespace

class tst_loadtest : public QObject
{
    Q_OBJECT

private slots:
    ON_EVERY_ENGINE(pharmacistsAtOnce);
};

void tst_loadtest::pharmacistsAtOnce()
{
    QFETCH(QString, engine);
    const qint64 seconds = std::clamp(qEnvironmentVariableIntValue("PHARVEL_LOAD_SECONDS"), 0, 600);
    const qint64 duration = seconds > 0 ? seconds : 10;
    const int asked = qEnvironmentVariableIntValue("PHARVEL_LOAD_PHARMACISTS");
    const int pharmacists = asked > 0 ? std::min(asked, kMostClients) : kDefaultClients;

    TestDatabase db(engine);
    SampleCatalogue sample(db.Connection());
    sample.AddBulk(kClasses, kGenericsPerClass, kDrugsPerGeneric);
    for (int c = 1; c <= kClasses; ++c)
        for (int g = 1; g <= kEmptyGenericsPerClass; ++g)
            sample.AddGeneric(s("Empty generic %1.%2").arg(c).arg(g),
                              s("_%1.%2").arg(c).arg(kGenericsPerClass + g));
    SampleCatalogue::AllowWrites(db.Connection(), db.ConnectionString());
    // On a server the pharmacists log in as a pharmacist's role, whose changes the server
    // journals, as at a hospital.
    std::optional<TestAccount> role;
    QString login = db.ConnectionString();
    if (engine == QLatin1String("postgresql")) {
        role.emplace(db.Connection(), "loadtest", QString());
        login = role->Url(login);
    }
    SQLConnection& check = db.Connection();
    const auto countOf = [&](const char* sql) { return check.Scalar(s(sql)).toInt(); };
    const int nodes = countOf("SELECT count(*) FROM inventory.tbPharvel");
    const int drugs = countOf("SELECT count(*) FROM inventory.tbinvmaster");
    const int filledGenerics = kClasses * kGenericsPerClass;

    std::vector<std::unique_ptr<Client>> clients(static_cast<size_t>(pharmacists));
    std::vector<std::thread> threads;
    std::mutex failed;
    QStringList failures;
    for (int i = 0; i < pharmacists; ++i) {
        threads.emplace_back([&, i] {
            try {
                clients[i] = std::make_unique<Client>(login, 1000u + i, drugs, filledGenerics);
                clients[i]->Run(duration * 1000);
            } catch (const std::exception& error) {
                const std::lock_guard lock(failed);
                failures << QString::fromUtf8(error.what());
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));

    Figures all;
    for (const auto& client : clients)
        all.Add(client->figures);
    print(engine, pharmacists, duration, all,
          countOf("SELECT count(*) FROM inventory.tbCatalogueJournal"));
    clients.clear(); // their connections close before the checks

    // Only the refusals that concurrency explains; every rule of the catalogue holds.
    QVERIFY2(all.unexpected.isEmpty(),
             qPrintable(all.unexpected.mid(0, 5).join(QLatin1Char('\n'))));
    QVERIFY2(BrokenCatalogueRules(check).isEmpty(),
             qPrintable(BrokenCatalogueRules(check).mid(0, 10).join(QLatin1Char('\n'))));
    // Each move and rename that went through left one journal row, and no other did.
    QCOMPARE(countOf("SELECT count(*) FROM inventory.tbCatalogueJournal"), all.changes);
    // Moves and renames keep the number of nodes; every drug stays filed once.
    QCOMPARE(countOf("SELECT count(*) FROM inventory.tbPharvel"), nodes);
    QCOMPARE(countOf("SELECT count(*) FROM inventory.tbPharvel WHERE Node_Type = '3'"), drugs);
    // The report tables hold whole preparations, none a mix of two.
    if (!all.latencies[Report].empty()) {
        for (const char* table : {"inventory.tbPharvelReport", "inventory.tbPharvelNodeLevel"}) {
            const QList<int> sizes = PreparationSizes(check, s(table));
            QVERIFY2(!sizes.isEmpty(), table);
            QCOMPARE(sizes, QList<int>(sizes.size(), nodes - 1));
        }
    }
    for (int op = 0; op < kOperations; ++op)
        QVERIFY2(!all.latencies[op].empty(), kOperationNames[op]);
}

QTEST_GUILESS_MAIN(tst_loadtest)
#include "tst_loadtest.moc"
