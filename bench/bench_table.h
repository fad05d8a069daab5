#pragma once

// Rows of the one benchmark table that scripts/bench.sh prints, and the statistics
// behind them. Each row is printed as
//   row|measure|qv418k-config|reference|comparison|target|met
// and the script lays the rows out as a table.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

inline void printRow(const std::string& measure, const std::string& ours,
                     const std::string& reference, const std::string& comparison,
                     const std::string& target, const std::string& met)
{
    std::printf("row|%s|%s|%s|%s|%s|%s\n", measure.c_str(), ours.c_str(), reference.c_str(),
                comparison.c_str(), target.c_str(), met.c_str());
    std::fflush(stdout);
}

inline std::string fixed(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

inline std::string yesNo(bool met)
{
    return met ? "yes" : "no";
}

// The value below which the given fraction of the samples lie (nearest rank).
inline double percentile(std::vector<double> samples, double fraction)
{
    if (samples.empty())
        return NAN;
    std::sort(samples.begin(), samples.end());
    const auto rank = static_cast<std::size_t>(std::ceil(fraction * double(samples.size())));
    return samples[std::clamp<std::size_t>(rank, 1, samples.size()) - 1];
}

// The middle sample, or the mean of the two middle ones.
inline double median(std::vector<double> samples)
{
    if (samples.empty())
        return NAN;
    std::sort(samples.begin(), samples.end());
    const std::size_t middle = samples.size() / 2;
    if (samples.size() % 2 == 1)
        return samples[middle];
    return (samples[middle - 1] + samples[middle]) / 2.0;
}

} // namespace bench
