#pragma once

#include <QString>

// The figures of the administrator's catalogue files on the synthetic catalogue: export, import
// into an empty database (journaled) and check, each beside a baseline of the same run.
namespace ExchangeBench {

struct Figures
{
    int nodes = 0;
    int drugs = 0;
    double exportMs = 0;
    double importMs = 0;
    double checkMs = 0;
    double readMs = 0;     // baseline of export and check: the bare reads of the whole catalogue
    double bulkLoadMs = 0; // baseline of import: the synthetic catalogue written by the loader
};

// target holds the synthetic catalogue; empty and emptyToo are two empty databases of the same
// engine. Targets: export and import under 5 s on SQLite and 10 s on PostgreSQL, check under 2 s.
Figures Measure(const QString& target, const QString& empty, const QString& emptyToo, int nodes);

} // namespace ExchangeBench
