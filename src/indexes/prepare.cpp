#include "indexes/prepare.h"

#include <cmath>
#include <numbers>
#include <stdexcept>
#include <vector>

#include "common/rounding.h"
#include "indexes/filters.h"

namespace tarmac {

PreparedProfile PrepareIndexProfile(std::span<const float> profileZ, double sampleSpacing,
                                    int factor, bool smoothEnds, double smoothingDistance) {
  if (profileZ.empty()) throw std::invalid_argument("There is no profile to prepare.");
  if (factor < 1) throw std::invalid_argument("The decimation factor must be at least 1.");
  if (!(sampleSpacing > 0.0) || !std::isfinite(sampleSpacing))
    throw std::invalid_argument("The sample spacing must be a positive number.");

  std::vector<float> scratch(profileZ.begin(), profileZ.end());
  PreparedProfile out;
  // Nothing shorter than two decimated samples may survive the decimation.
  out.cutoff_used = LowPassFilter(1.0 / (2.0 * sampleSpacing * factor), sampleSpacing, scratch,
                                  /*bothWays=*/true);

  const auto n = static_cast<std::int32_t>(scratch.size());
  out.n = (n - 1) / factor + 1;  // samples 1, 1 + k, ..., the last not beyond N
  out.spacing = sampleSpacing * factor;
  out.margin = CLng(kPreparedMarginLength / out.spacing);
  out.z.assign(static_cast<std::size_t>(out.n) + 2 * static_cast<std::size_t>(out.margin) + 3, 0.0f);
  for (std::int32_t j = 1; j <= out.n; ++j)
    out.at(j) = scratch[static_cast<std::size_t>((j - 1) * factor)];

  if (smoothEnds) {
    std::int32_t taper = CLng(smoothingDistance / out.spacing);
    // A smoothing distance longer than the profile fades the whole of it, never the margins.
    if (taper > out.n) taper = out.n;
    for (std::int32_t i = 1; i <= taper; ++i) {
      const double f = (1.0 - std::cos(i * std::numbers::pi / taper)) / 2.0;
      out.at(i) = static_cast<float>(out.at(i) * f);
      out.at(out.n - i + 1) = static_cast<float>(out.at(out.n - i + 1) * f);
    }
  }
  return out;
}

}  // namespace tarmac
