#include "FindBench.h"

#include "BenchLogin.h"
#include "BenchResults.h"
#include "BenchTiming.h"
#include "app/mdlPharvel.h"
#include "catalogue/frmPharvel.h"
#include "find/TraceQuery.h"
#include "find/frmFind.h"
#include "platform/catalog/Pharvel.h"
#include "platform/db/SQLConnection.h"
#include "platform/db/ServerProcedures.h"
#include "platform/user/clsCurrentUser.h"
#include "platform/widgets/KeyedTree.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <vector>

namespace FindBench {

namespace {

using BenchTiming::Median;
using BenchTiming::Milliseconds;

// Matches the middle level of the synthetic catalogue's classifications, some five hundred.
const QString kSearchText = QStringLiteral("SUBCLASS");
// An ATC prefix of the synthetic codes' third level: some 2,600 generic names carry a code
// under it, more than any group of a hospital's real formulary; "Z00" would list every one.
const QString kCodePrefix = QStringLiteral("Z00A");
constexpr int kSearches = 7;
constexpr int kWalks = 7;

double Worst(const std::vector<double>& values)
{
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

struct Drug
{
    QString key;
    QString name;
};

// Drugs spread over the whole catalogue.
std::vector<Drug> SomeDrugs(SQLConnection& connection, int count)
{
    RowSet all = connection.OpenRowSet(
        QStringLiteral("SELECT p.Node_Key, d.DrugName FROM inventory.tbPharvel p "
                       "JOIN inventory.tbinvmaster d ON d.itemid = p.Node_ID "
                       "WHERE p.Node_Type = '3' ORDER BY d.itemid"));
    std::vector<Drug> drugs;
    const int step = std::max(1, all.RecordCount() / count);
    for (int row = step / 2; row < all.RecordCount() && static_cast<int>(drugs.size()) < count;
         row += step)
        drugs.push_back({all.At(row, 0).toString(), all.At(row, 1).toString()});
    return drugs;
}

QTreeWidgetItem* RowOfKey(const frmFind& find, const QString& key)
{
    for (int i = 0; i < find.lvFind->topLevelItemCount(); ++i) {
        if (find.lvFind->topLevelItem(i)->text(frmFind::NodeKeyColumn) == key)
            return find.lvFind->topLevelItem(i);
    }
    return nullptr;
}

// Find pressed to the filled list drawn, once.
double TimedFind(frmFind& find)
{
    QElapsedTimer timer;
    timer.start();
    find.cmdFind_Click();
    find.lvFind->viewport()->repaint();
    return Milliseconds(timer);
}

void MeasureSearch(frmPharvel& window, SQLConnection& connection, FindFigures& figures)
{
    frmFind find(connection, *window.staMessage, &window);
    find.show();
    find.txtFind->setText(kSearchText);
    QApplication::processEvents();
    std::vector<double> searches;
    std::vector<double> baselines;
    for (int i = 0; i < kSearches; ++i) {
        searches.push_back(TimedFind(find));
        QElapsedTimer timer;
        timer.start();
        RowSet bare = ServerProcedures::For_SearchNodeList(connection, kSearchText);
        baselines.push_back(Milliseconds(timer));
    }
    figures.searchText = kSearchText;
    figures.matches = find.lvFind->topLevelItemCount();
    figures.searches = kSearches;
    figures.searchMs = Median(searches);
    figures.searchWorstMs = Worst(searches);
    figures.searchBaselineMs = Median(baselines);

    // Find by an ATC prefix: no entry's name holds it, so the list is the code matches alone.
    find.txtFind->setText(kCodePrefix);
    std::vector<double> byCode;
    for (int i = 0; i < kSearches; ++i)
        byCode.push_back(TimedFind(find));
    figures.codePrefix = kCodePrefix;
    figures.codeMatches = find.lvFind->topLevelItemCount();
    figures.codeSearchMs = Median(byCode);
    figures.codeSearchWorstMs = Worst(byCode);
    find.close();
}

// The top level of the tree alone, as the window's load leaves it.
void TopLevelOnly(frmPharvel& window)
{
    mdlPharvel::blnQuietLoad = true;
    window.LoadTreeView(QStringLiteral("_0"), QString(), false);
}

// The walk to the drug through the window's own "&Find Entry": the search and Go to Treeview
// run untimed in the find window; the clock runs from its closing to the end of the walk.
double TimedWalk(frmPharvel& window, const Drug& drug)
{
    QElapsedTimer timer;
    QTimer::singleShot(0, qApp, [&] {
        auto* find = qobject_cast<frmFind*>(QApplication::activeModalWidget());
        if (!find)
            return;
        find->txtFind->setText(drug.name);
        find->cmdFind_Click();
        if (QTreeWidgetItem* row = RowOfKey(*find, drug.key)) {
            find->lvFind->setCurrentItem(row);
            find->cmdGo_Click();
        }
        find->close();
        timer.start();
    });
    window.mnuFindEntry_Click();
    const double elapsed = Milliseconds(timer);
    const TreeNode reached = window.trePharvel->SelectedItem();
    if (!reached || reached.Key() != drug.key)
        throw std::runtime_error(qPrintable(QStringLiteral("the walk did not reach ") + drug.key));
    return elapsed;
}

// The loads the walk makes for the drug, one after the other and without progress windows.
double BareLoads(frmPharvel& window, const QStringList& trace)
{
    QElapsedTimer timer;
    timer.start();
    for (const QString& key : trace) {
        const TreeNode node = window.trePharvel->Find(key);
        mdlPharvel::blnQuietLoad = true;
        window.LoadTreeView(key, node.Text(), false);
    }
    return Milliseconds(timer);
}

void MeasureWalks(frmPharvel& window, SQLConnection& connection, FindFigures& figures)
{
    std::vector<double> walks;
    std::vector<double> baselines;
    for (const Drug& drug : SomeDrugs(connection, kWalks)) {
        TopLevelOnly(window);
        QApplication::processEvents();
        walks.push_back(TimedWalk(window, drug));

        QStringList trace;
        for (RowSet rows = TraceQuery::Open(connection); !rows.AtEnd(); rows.MoveNext())
            trace << rows.Text(0);
        figures.traceRows = std::max(figures.traceRows, static_cast<int>(trace.size()));
        TopLevelOnly(window);
        baselines.push_back(BareLoads(window, trace));
    }
    figures.walks = static_cast<int>(walks.size());
    figures.walkMs = Median(walks);
    figures.walkWorstMs = Worst(walks);
    figures.walkBaselineMs = Median(baselines);
}

void Print(const char* format, auto... values)
{
    std::printf(format, values...);
    std::fflush(stdout);
}

const char* Verdict(bool met)
{
    return met ? "met" : "MISSED";
}

} // namespace

FindFigures MeasureFind(const QString& target, const QString& userId, const QString& password)
{
    FindFigures figures;
    const BenchMainWindow session(target, userId, password);
    frmPharvel& window = session.Window();
    MeasureSearch(window, session.Connection(), figures);
    MeasureWalks(window, session.Connection(), figures);
    mdlPharvel::blnQuietLoad = false;
    return figures;
}

void Run(const QString& target, const QString& userId, const QString& password)
{
    const FindFigures f = MeasureFind(target, userId, password);
    Print("Find \"%s\" (%d entries listed):  %6.1f ms median, %.1f ms worst over %d "
          "(target < 100 ms: %s)\n",
          qPrintable(f.searchText), f.matches, f.searchMs, f.searchWorstMs, f.searches,
          Verdict(f.searchMs < 100));
    Print("  baseline (the search procedure alone): %6.1f ms   ratio %.2f\n", f.searchBaselineMs,
          f.searchMs / f.searchBaselineMs);
    Print("Find by the ATC prefix \"%s\" (%d generic names listed):  %6.1f ms median, %.1f ms "
          "worst over %d (target < 100 ms: %s)\n",
          qPrintable(f.codePrefix), f.codeMatches, f.codeSearchMs, f.codeSearchWorstMs, f.searches,
          Verdict(f.codeSearchMs < 100));
    Print("Walk to a drug (trace of %d, top level loaded): %6.1f ms median, %.1f ms worst over "
          "%d (target < 100 ms: %s)\n",
          f.traceRows, f.walkMs, f.walkWorstMs, f.walks, Verdict(f.walkMs < 100));
    Print("  baseline (the same loads, quiet, no walk): %6.1f ms   ratio %.2f\n", f.walkBaselineMs,
          f.walkMs / f.walkBaselineMs);
    BenchResults::Record({{"find ms", f.searchMs},
                          {"find bare ms", f.searchBaselineMs},
                          {"find by ATC prefix ms", f.codeSearchMs},
                          {"walk to a drug ms", f.walkMs},
                          {"walk to a drug bare ms", f.walkBaselineMs}});
}

} // namespace FindBench
