#pragma once

#include <QElapsedTimer>
#include <algorithm>
#include <vector>

// The two sums every figure of the benchmark is made of.
namespace BenchTiming {

inline double Milliseconds(const QElapsedTimer& timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace BenchTiming
