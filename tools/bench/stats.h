// Order statistics for the benchmark's samples.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

// The nearest-rank percentile (0 < p <= 100) of samples; 0 for none.
inline double Percentile(std::vector<double> samples, double p) {
    if (samples.empty())
        return 0;
    size_t rank = static_cast<size_t>(std::ceil(p / 100.0 * static_cast<double>(samples.size())));
    rank = std::min(std::max<size_t>(rank, 1), samples.size());
    std::nth_element(samples.begin(), samples.begin() + (rank - 1), samples.end());
    return samples[rank - 1];
}
