#include "profile/exceedances.h"

#include <cmath>
#include <stdexcept>

namespace tarmac {
namespace {

// How far beyond the limit a value lies on the side that counts (<= 0 when within).
double Beyond(float value, double limit, LimitSide side) {
  const double v = side == LimitSide::BothSigns ? std::fabs(static_cast<double>(value))
                                                : static_cast<double>(value);
  return v - limit;
}

}  // namespace

std::vector<ExceedanceStretch> FindExceedances(std::span<const float> series, double limit,
                                               LimitSide side, double spacing,
                                               double mergeDistance) {
  if (!(spacing > 0.0)) throw std::invalid_argument("the spacing must be positive");
  if (!(mergeDistance >= 0.0)) throw std::invalid_argument("the merge distance must not be negative");
  std::vector<ExceedanceStretch> out;
  double peakBeyond = 0.0;  // how far the current stretch's peak lies beyond the limit
  const auto n = static_cast<std::int32_t>(series.size());
  for (std::int32_t i = 1; i <= n; ++i) {
    const float v = series[static_cast<std::size_t>(i - 1)];
    const double b = Beyond(v, limit, side);
    if (!(b > 0.0)) continue;  // within the limit, or not a number
    const bool joins = !out.empty() && (i == out.back().last + 1 ||
                                        (i - out.back().last) * spacing < mergeDistance);
    if (!joins) {
      out.push_back({i, i, i, v});
      peakBeyond = b;
      continue;
    }
    ExceedanceStretch& s = out.back();
    s.last = i;
    if (b > peakBeyond) {
      peakBeyond = b;
      s.peak = v;
      s.peak_sample = i;
    }
  }
  return out;
}

StretchExtent ExtentOf(const ExceedanceStretch& stretch, double spacing) {
  return {(stretch.first - 1) * spacing, stretch.last * spacing,
          (stretch.peak_sample - 1) * spacing};
}

}  // namespace tarmac
