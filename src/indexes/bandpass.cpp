#include "indexes/bandpass.h"

#include "profile/filters.h"

namespace tarmac {

BandpassResult ComputeBandpassIndex(std::span<const float> profileZ, double dx) {
  BandpassResult r;
  // Pass 1: everything longer than 8 ft.
  r.series.assign(profileZ.begin(), profileZ.end());
  r.long_cutoff = LowPassFilter(1.0 / kBandpassLongWavelength, dx, r.series, /*bothWays=*/true);
  // Pass 2: everything longer than 1 ft; what lies between is the difference.
  std::vector<float> shorter(profileZ.begin(), profileZ.end());
  r.short_cutoff = LowPassFilter(1.0 / kBandpassShortWavelength, dx, shorter, /*bothWays=*/true);
  for (std::size_t i = 0; i < shorter.size(); ++i) r.series[i] = shorter[i] - r.series[i];
  return r;
}

}  // namespace tarmac
