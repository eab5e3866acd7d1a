#include "spectra/wavenumber.h"

#include <cmath>

namespace tarmac {

WavenumberPsd ToWavenumber(const PsdResult& r, double spacing) {
  WavenumberPsd out;
  const auto m = static_cast<std::size_t>(r.m > 0 ? r.m : 0);
  if (m < 2 || r.power.size() < m || !(spacing > 0.0) || !(r.den > 0.0) || r.np < 2) return out;
  out.bin_width = 1.0 / (static_cast<double>(r.np) * spacing);
  out.wavenumber.reserve(m - 1);
  out.density.reserve(m - 1);
  for (std::size_t j = 2; j <= m; ++j) {
    // Bin j holds the power of both the positive and the negative frequency j - 1 of the record,
    // each |X|^2 / np^2: twice that is the one-sided share of the mean square.
    const double mean_square = r.power[j - 1] / r.den;
    out.wavenumber.push_back(static_cast<double>(j - 1) * out.bin_width);
    out.density.push_back(2.0 * mean_square / out.bin_width);
  }
  return out;
}

WavenumberPsd ProfileWavenumberPsd(const PsdResult& r) {
  // The record's sampling interval is its spacing driven at the assumed speed.
  return ToWavenumber(r, r.dt * kProfileSpectrumSpeedFps);
}

}  // namespace tarmac
