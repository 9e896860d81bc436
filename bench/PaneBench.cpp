#include "PaneBench.h"

#include "BenchLogin.h"
#include "BenchResults.h"
#include "BenchTiming.h"
#include "app/mdlPharvel.h"
#include "catalogue/FormularyPane.h"
#include "catalogue/frmPharvel.h"
#include "platform/db/CatalogueTypes.h"
#include "platform/widgets/KeyedTree.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace PaneBench {

namespace {
using BenchTiming::Median;
using BenchTiming::Milliseconds;
constexpr int kSelections = 301;
} // namespace

PaneFigures Measure(const QString& target, const QString& userId, const QString& password)
{
    PaneFigures figures;
    const BenchMainWindow session(target, userId, password);
    frmPharvel& window = session.Window();
    window.LoadTreeView(kRootKey, QStringLiteral("Loading Pharvel Structure..."), true);
    QCoreApplication::processEvents();

    std::vector<double> all, classifications;
    const int count = window.trePharvel->Count();
    for (int i = 0; i < kSelections; ++i) {
        TreeNode node = window.trePharvel->NodeAt(2 + (count - 2) * i / kSelections);
        QElapsedTimer timer;
        timer.start();
        node.SetSelected(true);
        QCoreApplication::processEvents();
        const double elapsed = Milliseconds(timer);
        if (window.Pane()->ShownKey() != node.Key())
            std::fprintf(stderr, "pane-bench: the pane did not follow to %s\n",
                         qPrintable(node.Key()));
        all.push_back(elapsed);
        if (window.Pane()->lblKind->text() == FormularyPane::tr("Classification"))
            classifications.push_back(elapsed);
    }
    figures.selections = static_cast<int>(all.size());
    figures.medianMs = Median(all);
    figures.worstMs = *std::max_element(all.begin(), all.end());
    figures.classificationMedianMs = Median(classifications);
    return figures;
}

void Run(const QString& target, const QString& userId, const QString& password)
{
    const PaneFigures f = Measure(target, userId, password);
    std::printf("Right pane, selection to entry shown: %6.2f ms median, %.2f ms worst over %d "
                "nodes (target median < 20 ms: %s)\n",
                f.medianMs, f.worstMs, f.selections, f.medianMs < 20 ? "met" : "MISSED");
    std::printf("  classifications alone (counts by status): %6.2f ms median\n",
                f.classificationMedianMs);
    std::fflush(stdout);
    BenchResults::Record(QStringLiteral("pane selection ms"), f.medianMs);
}

} // namespace PaneBench
