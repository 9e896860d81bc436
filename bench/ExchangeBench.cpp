#include "ExchangeBench.h"

#include "BenchTiming.h"
#include "demo/DemoCatalogue.h"
#include "platform/db/SQLConnection.h"
#include "platform/exchange/CatalogueCheck.h"
#include "platform/exchange/CatalogueExport.h"
#include "platform/exchange/CatalogueImport.h"
#include "platform/exchange/CatalogueState.h"

#include <QTemporaryDir>
#include <stdexcept>

namespace ExchangeBench {

Figures Measure(const QString& target, const QString& empty, const QString& emptyToo, int nodes)
{
    using BenchTiming::Milliseconds;
    Figures f;
    QTemporaryDir folder;
    QElapsedTimer timer;
    {
        auto connection = SQLConnection::Open(target);
        timer.start();
        const CatalogueState state = CatalogueState::Read(*connection);
        f.readMs = Milliseconds(timer);
        f.nodes = static_cast<int>(state.nodes.size()) - 1;
        f.drugs = static_cast<int>(state.drugs.size());

        timer.start();
        CatalogueExport::Write(*connection, folder.path());
        f.exportMs = Milliseconds(timer);
        timer.start();
        CatalogueCheck::Run(*connection);
        f.checkMs = Milliseconds(timer);
    }
    {
        auto connection = SQLConnection::Open(empty);
        timer.start();
        const CatalogueImport::Result result =
            CatalogueImport::Run(*connection, folder.path(), false, false);
        f.importMs = Milliseconds(timer);
        if (!result.written)
            throw std::runtime_error("the exported catalogue was not imported");
    }
    {
        auto connection = SQLConnection::Open(emptyToo);
        timer.start();
        DemoCatalogue::LoadSynthetic(*connection, nodes, std::min(20000, nodes * 5 / 8));
        f.bulkLoadMs = Milliseconds(timer);
    }
    return f;
}

} // namespace ExchangeBench
