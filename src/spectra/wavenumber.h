#pragma once
// The profile's spectrum read against wavenumber, as pavement engineers compare profiles: the
// periodogram's mean-square power per bin turned into a one-sided spectral density of elevation
// per cycle of wavelength. Only the axes change: the bins, their power and the record are the
// spectrum run's own.
#include <vector>

#include "spectra/psd.h"

namespace tarmac {

struct WavenumberPsd {
  // Bins 2..m of the spectrum (the mean, bin 1, has no place on a logarithmic axis).
  std::vector<double> wavenumber;  // cycles per length unit of the spacing
  // One-sided density: twice the bin's mean-square power over the bin width, in (series unit)^2
  // per (cycle per length unit), so that its sum times the bin width is the record's mean square
  // (without its mean). A bin without power holds 0.
  std::vector<double> density;
  double bin_width = 0.0;  // cycles per length unit between bins, 1 / (np x spacing)
};

// The spectrum `r` of a series sampled every `spacing` length units. Empty when r has no bins or
// the spacing is not positive.
WavenumberPsd ToWavenumber(const PsdResult& r, double spacing);

// The profile spectrum (ComputePsd of the prepared profile in feet, taken at the assumed
// kProfileSpectrumSpeedFps): cycles per foot and square feet per cycle per foot.
WavenumberPsd ProfileWavenumberPsd(const PsdResult& r);

}  // namespace tarmac
