#pragma once
// Cumulative distribution of the straightedge deviations or of the Boeing Bump Index series in
// NB equal bins from 0 to the largest value.
#include <cstdint>
#include <span>
#include <vector>

namespace tarmac {

inline constexpr std::int32_t kDistributionBins = 100;

struct CumulativeDistribution {
  double xmax = 0.0;       // the largest value; bin j ends at j * xmax / nb
  std::vector<float> cdf;  // [j-1]: fraction of the values <= j * xmax / nb, j = 1..nb
};

// The distribution of a (straightedge: already in display units) series. Values at or below a
// bin edge are counted for it, negative values included. Throws std::invalid_argument for an
// empty series, or when the largest value is not above zero (no bins from 0 to it exist).
CumulativeDistribution ComputeCumulativeDistribution(std::span<const float> a,
                                                     std::int32_t nb = kDistributionBins);

}  // namespace tarmac
