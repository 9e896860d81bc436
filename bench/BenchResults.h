#pragma once

#include <QString>
#include <initializer_list>
#include <utility>

// The figures of one benchmark run, kept by engine so that two runs can be compared: written as
// one JSON object, {"sqlite": {"figure": value, ...}, "postgresql": {...}, ...}, to the file named
// by PHARVEL_BENCH_RESULTS when the run ends.
namespace BenchResults {

// The engine (or other heading) the figures recorded next belong to.
void Section(const QString& name);
void Record(const QString& figure, double value);
// Several figures, each named and valued.
void Record(std::initializer_list<std::pair<const char*, double>> figures);
// Writes the file; returns false, with a note on stderr, when it cannot be written.
bool Write();

} // namespace BenchResults
