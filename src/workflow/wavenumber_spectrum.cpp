#include "workflow/wavenumber_spectrum.h"

#include "spectra/wavenumber.h"

namespace tarmac {

WavenumberSpectrum ProfileWavenumberSpectrum(const PsdResult& r, const Units& units) {
  const WavenumberPsd psd = ProfileWavenumberPsd(r);
  WavenumberSpectrum out;
  // Cycles per foot become cycles per metre by dividing by metres per foot; a density in
  // ft^2/(cycle/ft) is ft^3 per cycle, so it takes the length factor three times.
  const double f = units.LengthFactor;
  out.wavenumber.reserve(psd.wavenumber.size());
  out.density.reserve(psd.density.size());
  for (double k : psd.wavenumber) out.wavenumber.push_back(k / f);
  for (double g : psd.density) out.density.push_back(g * f * f * f);
  const std::string& len = units.LengthLabel;
  out.wavenumber_unit = "cycles/" + len;
  out.density_unit = len + "²/(cycle/" + len + ")";
  out.title = "Profile PSD against wavenumber";
  out.wavenumber_title = "Wavenumber, " + out.wavenumber_unit;
  out.density_title = "PSD, " + out.density_unit;
  return out;
}

}  // namespace tarmac
