#pragma once
// The profile spectrum against wavenumber in the display units, with the texts of its plot.
#include <string>
#include <vector>

#include "common/units.h"
#include "spectra/psd.h"

namespace tarmac {

struct WavenumberSpectrum {
  std::vector<double> wavenumber;  // cycles per ft, or per m in metric
  std::vector<double> density;     // ft^2 or m^2 per (cycle per ft or m); 0 for a bin without power
  std::string wavenumber_unit;     // "cycles/ft" / "cycles/m"
  std::string density_unit;        // "ft²/(cycle/ft)" / "m²/(cycle/m)"
  std::string title;               // "Profile PSD against wavenumber"
  std::string wavenumber_title;    // "Wavenumber, cycles/ft"
  std::string density_title;       // "PSD, ft²/(cycle/ft)"
};

// The spectrum of the profile (a PSD run of the "Profile" series) against wavenumber.
WavenumberSpectrum ProfileWavenumberSpectrum(const PsdResult& r, const Units& units);

}  // namespace tarmac
