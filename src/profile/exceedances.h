#pragma once
// Where a series goes beyond a limit: the stretches of pavement to grind or to look at again.
// A stretch is a maximal run of samples beyond the limit; runs closer together than the base
// length of the measure that made the series are one stretch, because a person repairs them in
// one pass. Numbers only: the names, units and texts of the kinds are the workflow layer's.
#include <cstdint>
#include <span>
#include <vector>

namespace tarmac {

// Which values lie beyond the limit.
enum class LimitSide {
  Above,      // value > limit (a height, an index, a roughness)
  BothSigns,  // |value| > limit (an acceleration, a load change: up and down both count)
};

// One stretch beyond the limit, in the program's sample numbering (sample i at series[i - 1]).
struct ExceedanceStretch {
  std::int32_t first = 0;        // first sample beyond the limit
  std::int32_t last = 0;         // last sample beyond the limit (merged gaps included between)
  std::int32_t peak_sample = 0;  // the sample farthest beyond; the first of equals
  float peak = 0.0f;             // its value, signed as in the series
};

// The stretches of `series` beyond `limit`. Two runs merge when the distance from the last
// sample of one to the first of the next, (next.first - last) x spacing, is shorter than
// mergeDistance (ft); mergeDistance 0 merges nothing. A value that is not a number is never
// beyond. Throws std::invalid_argument for a non-positive spacing or a negative merge distance.
std::vector<ExceedanceStretch> FindExceedances(std::span<const float> series, double limit,
                                               LimitSide side, double spacing,
                                               double mergeDistance);

// Where a stretch lies, in feet from the first sample of its series: it covers its samples'
// spacings, from the first sample's position to one spacing past its last, so that a single
// sample has a length.
struct StretchExtent {
  double start_ft = 0.0;
  double end_ft = 0.0;
  double peak_ft = 0.0;  // position of the peak sample
  double length_ft() const { return end_ft - start_ft; }
};
StretchExtent ExtentOf(const ExceedanceStretch& stretch, double spacing);

}  // namespace tarmac
