// The benchmark program: the catalogue tree's loads and the start-up, on the embedded engine and
// on PostgreSQL, each with its baseline or target.
//
//   pharvel-bench [nodes]
//
// PostgreSQL is measured on the server whose superuser URL is in PHARVEL_BENCH_PG (or
// PHARVEL_TEST_PG, as `./pharvel bench` sets it); without one it is skipped with a note. The
// figures also go to the JSON file named by PHARVEL_BENCH_RESULTS.
#include "AssignBench.h"
#include "BenchDatabase.h"
#include "BenchResults.h"
#include "CatalogueBench.h"
#include "ExchangeBench.h"
#include "FhirBench.h"
#include "FindBench.h"
#include "PaneBench.h"
#include "RegisterBench.h"
#include "ReportBench.h"

#include <QApplication>
#include <cstdio>
#include <exception>
#include <utility>

namespace {

void Print(const char* format, auto... values)
{
    std::printf(format, values...);
    std::fflush(stdout);
}

const char* Verdict(bool met)
{
    return met ? "met" : "MISSED";
}

// The structure report of the synthetic catalogue, from the command to its first page shown,
// and its two exports from the viewer.
void BenchReports(const QString& engine, const QString& serverUrl, int nodes)
{
    BenchDatabase synthetic(engine, serverUrl, BenchDatabase::Content::Synthetic, nodes);
    const ReportBench::ReportFigures f = ReportBench::MeasureStructureReport(
        synthetic.Target(), synthetic.UserId(), BenchDatabase::Password());
    Print("Structure report (%d records, %d pages), first page: %8.1f ms (target < 3000 ms: %s)\n",
          f.records, f.pages, f.firstPageMs, Verdict(f.firstPageMs < 3000));
    const double engineMs = f.firstPageMs - f.nodeLevelMs - f.generateMs;
    Print("  of which Pharvel_NodeLevel %.1f ms, Pharvel_Generate %.1f ms; reading, pagination and "
          "drawing %.1f ms (%.0f%% of the whole)\n",
          f.nodeLevelMs, f.generateMs, engineMs, 100 * engineMs / f.firstPageMs);
    Print("  export to .xls: %8.1f ms (target < 1000 ms: %s)\n", f.xlsExportMs,
          Verdict(f.xlsExportMs < 1000));
    Print("  export to .rtf: %8.1f ms (target < 1000 ms: %s)\n", f.rtfExportMs,
          Verdict(f.rtfExportMs < 1000));
    BenchResults::Record({{"report first page ms", f.firstPageMs},
                          {"Pharvel_NodeLevel ms", f.nodeLevelMs},
                          {"Pharvel_Generate ms", f.generateMs},
                          {"report xls export ms", f.xlsExportMs},
                          {"report rtf export ms", f.rtfExportMs}});
    const ReportBench::ReportFigures changes = ReportBench::MeasureChangesReport(
        synthetic.Target(), synthetic.UserId(), BenchDatabase::Password());
    Print("Catalogue Changes (%d records, %d pages), first page: %8.1f ms (target < 3000 ms: %s)\n",
          changes.records, changes.pages, changes.firstPageMs, Verdict(changes.firstPageMs < 3000));
    BenchResults::Record(QStringLiteral("changes report first page ms"), changes.firstPageMs);
}

void PrintDrugWindow(const AssignBench::DrugWindowFigures& d)
{
    Print("Drug Classification, %d drugs (%d in the left grid):\n", d.drugs, d.leftRows);
    Print("  opening:                    %8.1f ms   bare queries %.1f ms\n", d.openMs,
          d.openBaselineMs);
    const bool left = d.keystroke1Ms < 50 && d.keystroke1Ms < 3 * d.keystroke1BaselineMs;
    Print("  keystroke, left search:     %8.1f ms median, %.1f ms worst; bare query %.1f ms, "
          "ratio %.2f (target < 50 ms and < 3.00: %s)\n",
          d.keystroke1Ms, d.keystroke1WorstMs, d.keystroke1BaselineMs,
          d.keystroke1Ms / d.keystroke1BaselineMs, Verdict(left));
    Print("    of which the component's row set alone: %.1f ms median\n", d.keystroke1ComponentMs);
    const bool right = d.keystroke2Ms < 50 && d.keystroke2Ms < 3 * d.keystroke2BaselineMs;
    Print("  keystroke, right search:    %8.1f ms median; bare query %.1f ms, ratio %.2f "
          "(target < 50 ms and < 3.00: %s)\n",
          d.keystroke2Ms, d.keystroke2BaselineMs, d.keystroke2Ms / d.keystroke2BaselineMs,
          Verdict(right));
    Print("  filter change:              %8.1f ms median; bare query %.1f ms, ratio %.2f\n",
          d.filterMs, d.filterBaselineMs, d.filterMs / d.filterBaselineMs);
    Print("  \"&Add >>\" of %d drugs:       %8.1f ms (target < 1000 ms: %s)\n", d.moved, d.addMs,
          Verdict(d.addMs < 1000));
    Print("    of which the reloads of both grids: %.1f ms\n", d.reloadMs);
    BenchResults::Record({{"drug window opening ms", d.openMs},
                          {"drug window opening bare ms", d.openBaselineMs},
                          {"drug window left keystroke ms", d.keystroke1Ms},
                          {"drug window left keystroke worst ms", d.keystroke1WorstMs},
                          {"drug window left keystroke bare ms", d.keystroke1BaselineMs},
                          {"drug window right keystroke ms", d.keystroke2Ms},
                          {"drug window right keystroke bare ms", d.keystroke2BaselineMs},
                          {"drug window filter change ms", d.filterMs},
                          {"drug window filter change bare ms", d.filterBaselineMs},
                          {"drug window add ms", d.addMs},
                          {"drug window add reloads ms", d.reloadMs}});
}

// The administrator's catalogue files: export, import into an empty database, check.
void BenchExchange(const QString& engine, const QString& serverUrl, int nodes)
{
    BenchDatabase synthetic(engine, serverUrl, BenchDatabase::Content::Synthetic, nodes);
    BenchDatabase empty(engine, serverUrl, BenchDatabase::Content::Empty, 0);
    BenchDatabase emptyToo(engine, serverUrl, BenchDatabase::Content::Empty, 0);
    const ExchangeBench::Figures f =
        ExchangeBench::Measure(synthetic.Target(), empty.Target(), emptyToo.Target(), nodes);
    const double limit = engine == QLatin1String("sqlite") ? 5000 : 10000;
    Print("Catalogue files (%d nodes, %d drugs):\n", f.nodes, f.drugs);
    Print("  export:                     %8.1f ms (target < %.0f ms: %s); bare reads %.1f ms\n",
          f.exportMs, limit, Verdict(f.exportMs < limit), f.readMs);
    Print("  import into an empty one:   %8.1f ms (target < %.0f ms: %s); bulk loader %.1f ms, "
          "ratio %.2f\n",
          f.importMs, limit, Verdict(f.importMs < limit), f.bulkLoadMs, f.importMs / f.bulkLoadMs);
    Print("  check:                      %8.1f ms (target < 2000 ms: %s)\n", f.checkMs,
          Verdict(f.checkMs < 2000));
    const FhirBench::Figures fhir = FhirBench::Measure(synthetic.Target());
    Print("FHIR R4 export (%d resources): %7.1f ms (target < 2000 ms: %s); bare reads %.1f ms; "
          "with NDJSON too %.1f ms\n",
          fhir.resources, fhir.bundleMs, Verdict(fhir.bundleMs < 2000), fhir.readMs, fhir.bothMs);
    BenchResults::Record(QStringLiteral("fhir export ms"), fhir.bundleMs);
    BenchResults::Record(QStringLiteral("fhir export bare reads ms"), fhir.readMs);
    BenchResults::Record(QStringLiteral("fhir export with ndjson ms"), fhir.bothMs);
}

void BenchEngine(const QString& engine, const QString& serverUrl, int nodes)
{
    Print("\n== %s ==\n", qPrintable(engine));
    BenchResults::Section(engine);
    {
        BenchDatabase synthetic(engine, serverUrl, BenchDatabase::Content::Synthetic, nodes);
        const CatalogueBench::LoadFigures f = CatalogueBench::MeasureTreeLoads(
            synthetic.Target(), synthetic.UserId(), BenchDatabase::Password());
        Print("Load All (%d rows):           %8.1f ms\n", f.rows, f.loadAllMs);
        Print("  baseline (query + bare tree): %6.1f ms   ratio %.2f (target < 2.00: %s)\n",
              f.baselineMs, f.loadAllMs / f.baselineMs, Verdict(f.loadAllMs < 2 * f.baselineMs));
        Print("Lazy load of one node:        %8.2f ms median, %.2f ms worst over %d nodes "
              "(target median < 20 ms: %s)\n",
              f.lazyMedianMs, f.lazyWorstMs, f.lazyLoads, Verdict(f.lazyMedianMs < 20));
        Print("Peak memory, whole tree:      %8.1f MB (target < 200 MB: %s)\n", f.peakMemoryMb,
              Verdict(f.peakMemoryMb < 200));
        BenchResults::Record({{"load all ms", f.loadAllMs},
                              {"load all bare ms", f.baselineMs},
                              {"lazy load median ms", f.lazyMedianMs},
                              {"peak memory MB", f.peakMemoryMb}});
        PrintDrugWindow(AssignBench::MeasureDrugWindow(synthetic.Target(), synthetic.UserId(),
                                                       BenchDatabase::Password()));
        FindBench::Run(synthetic.Target(), synthetic.UserId(), BenchDatabase::Password());
        PaneBench::Run(synthetic.Target(), synthetic.UserId(), BenchDatabase::Password());
    }
    {
        BenchDatabase empty(engine, serverUrl, BenchDatabase::Content::Empty, 0);
        const RegisterBench::SearchFigures f =
            RegisterBench::MeasureSearchKeystroke(empty.Target());
        Print("Register keystroke (%d names): %7.2f ms median, %.2f ms worst over %d keys\n",
              f.names, f.medianMs, f.worstMs, f.keystrokes);
        Print("  baseline (bare query):       %6.2f ms   ratio %.2f (target < 30 ms and < 3.00: "
              "%s)\n",
              f.baselineMs, f.medianMs / f.baselineMs,
              Verdict(f.medianMs < 30 && f.medianMs < 3 * f.baselineMs));
        BenchResults::Record(
            {{"register keystroke ms", f.medianMs}, {"register keystroke bare ms", f.baselineMs}});
    }
    BenchReports(engine, serverUrl, nodes);
    BenchExchange(engine, serverUrl, nodes);
}

// The demo database is the embedded one that the run command creates.
void BenchStartUp()
{
    BenchDatabase demo(QStringLiteral("sqlite"), QString(), BenchDatabase::Content::Demo, 0);
    const double ms =
        CatalogueBench::MeasureStartUp(demo.Target(), demo.UserId(), BenchDatabase::Password());
    Print("\nStart-up to main window (demo, login excluded): %.1f ms (target < 1000 ms: %s)\n", ms,
          Verdict(ms >= 0 && ms < 1000));
    BenchResults::Section(QStringLiteral("sqlite"));
    BenchResults::Record(QStringLiteral("start-up ms"), ms);
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pharvel-bench"));
    const int nodes = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 32000;
    QString server = qEnvironmentVariable("PHARVEL_BENCH_PG");
    if (server.isEmpty())
        server = qEnvironmentVariable("PHARVEL_TEST_PG");

    Print("Pharvel benchmark: synthetic catalogue of %d nodes made with pharvel-admin\n", nodes);
    try {
        BenchEngine(QStringLiteral("sqlite"), QString(), nodes);
        if (server.isEmpty())
            Print("\nPostgreSQL skipped: set PHARVEL_BENCH_PG to a superuser URL of a server\n");
        else
            BenchEngine(QStringLiteral("postgresql"), server, nodes);
        BenchStartUp();
        if (!BenchResults::Write())
            return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "pharvel-bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
