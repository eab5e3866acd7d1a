#include "indexes/exceedance_series.h"

#include <algorithm>

#include "common/rounding.h"

namespace tarmac {

std::int32_t ShortIriWindow(double base, double dx) {
  return std::max<std::int32_t>(1, RoundHalfEven(base / dx));
}

std::vector<float> ShortIntervalIri(std::span<const float> slope, double dx, double base) {
  const auto n = static_cast<std::int32_t>(slope.size());
  const std::int32_t w = ShortIriWindow(base, dx);
  std::vector<float> out(slope.size(), 0.0f);
  if (w > n) return out;
  // A running sum in double: the window slides one sample at a time over many thousands.
  double sum = 0.0;
  for (std::int32_t k = 0; k < w; ++k) sum += slope[static_cast<std::size_t>(k)];
  const std::int32_t half = (w - 1) / 2;
  for (std::int32_t start = 0;; ++start) {
    out[static_cast<std::size_t>(start + half)] = static_cast<float>(sum / w);
    if (start + w >= n) break;
    sum += slope[static_cast<std::size_t>(start + w)] - slope[static_cast<std::size_t>(start)];
  }
  return out;
}

std::vector<float> ScallopHeightsAboveBand(const ProfilographResult& result) {
  const std::vector<float>& trace = result.trace;
  std::vector<float> out(trace.size(), 0.0f);
  const double dx = result.spacing;
  if (!(dx > 0.0)) return out;
  const std::int32_t minSamples = ScallopMinSamples(dx);
  for (const ProfilographSection& sec : result.whole.sections) {
    // The band's centre is laid as the profilograph laid it; a run of samples above its upper
    // edge is a scallop when the profilograph would count it.
    std::int32_t runFirst = 0;
    double runPeak = 0.0;
    auto finishRun = [&](std::int32_t last, bool stillOpen) {
      if (runFirst == 0) return;
      const bool counts =
          stillOpen || (last - runFirst + 1 >= minSamples && runPeak > kProfilographMinScallop);
      const auto centre = [&](std::int32_t i) {
        return sec.band.slope * (i - sec.first + 1) * dx + sec.band.intercept;
      };
      for (std::int32_t i = runFirst; i <= last; ++i) {
        const std::size_t slot = static_cast<std::size_t>(i - 1);
        out[slot] = counts ? static_cast<float>(trace[slot] - centre(i) -
                                                kProfilographBandHalfWidth)
                           : 0.0f;
      }
      runFirst = 0;
      runPeak = 0.0;
    };
    for (std::int32_t i = sec.first; i <= sec.last; ++i) {
      const std::size_t slot = static_cast<std::size_t>(i - 1);
      const double centre = sec.band.slope * (i - sec.first + 1) * dx + sec.band.intercept;
      const double d = trace[slot] - centre - kProfilographBandHalfWidth;
      if (d > 0.0) {
        if (runFirst == 0) runFirst = i;
        runPeak = std::max(runPeak, d);
      } else {
        finishRun(i - 1, false);
        out[slot] = 0.0f;
      }
    }
    finishRun(sec.last, true);
  }
  return out;
}

}  // namespace tarmac
