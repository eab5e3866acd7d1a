#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <vector>

#include "spectra/wavenumber.h"
#include "workflow/wavenumber_spectrum.h"

namespace tarmac {
namespace {

// The same profile spectrum in both unit systems: wavenumbers per metre are those per foot
// divided by 0.3048, and the density's integral (the mean square) turns from square feet into
// square metres, so the density itself takes 0.3048 cubed.
TEST(WavenumberSpectrum, MetricIsTheSameSpectrumInMetres) {
  std::vector<float> inches(2048);
  for (std::size_t i = 0; i < inches.size(); ++i)
    inches[i] = static_cast<float>(0.4 * std::sin(0.37 * static_cast<double>(i)) + 0.1 * std::sin(0.05 * static_cast<double>(i)));
  const PsdResult r = ComputePsd(inches, 12.0, 0.82 / kProfileSpectrumSpeedFps, 10);
  const WavenumberSpectrum us = ProfileWavenumberSpectrum(r, MakeUnits(false));
  const WavenumberSpectrum si = ProfileWavenumberSpectrum(r, MakeUnits(true));
  ASSERT_EQ(us.wavenumber.size(), si.wavenumber.size());
  ASSERT_FALSE(us.wavenumber.empty());
  EXPECT_NEAR(si.wavenumber[10], us.wavenumber[10] / 0.3048, 1e-12);
  const double f = 0.3048;
  EXPECT_NEAR(si.density[10], us.density[10] * f * f * f, 1e-12 * us.density[10]);
  auto mean_square = [](const WavenumberSpectrum& w) {
    return std::accumulate(w.density.begin(), w.density.end(), 0.0) * (w.wavenumber[1] - w.wavenumber[0]);
  };
  EXPECT_NEAR(mean_square(si), mean_square(us) * f * f, 1e-9 * mean_square(si));
  EXPECT_EQ(us.wavenumber_title, "Wavenumber, cycles/ft");
  EXPECT_EQ(si.density_title, "PSD, m²/(cycle/m)");
}

}  // namespace
}  // namespace tarmac
