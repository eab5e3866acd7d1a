#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <vector>

#include "spectra/wavenumber.h"

namespace tarmac {
namespace {

// A profile in inches holding two sine waves of whole numbers of cycles in a 1024-sample record:
// the density's integral over wavenumber is their mean square, and each wave's power sits at its
// own wavenumber, cycles / record length.
TEST(WavenumberPsd, DensityIntegratesToTheMeanSquareAtTheRightWavenumbers) {
  const int np = 1024;
  const double spacing_ft = 0.82;  // the prepared profile's step
  const double a1 = 0.6, a2 = 0.15;  // inches
  std::vector<float> inches(np);
  for (int i = 0; i < np; ++i) {
    inches[static_cast<std::size_t>(i)] = static_cast<float>(
        a1 * std::sin(2 * M_PI * 8 * i / np) + a2 * std::cos(2 * M_PI * 100 * i / np));
  }
  const PsdResult r = ComputePsd(inches, 12.0, spacing_ft / kProfileSpectrumSpeedFps, 10);
  const WavenumberPsd w = ProfileWavenumberPsd(r);
  ASSERT_EQ(w.wavenumber.size(), static_cast<std::size_t>(np / 2 - 1));
  EXPECT_NEAR(w.bin_width, 1.0 / (np * spacing_ft), 1e-12);
  EXPECT_NEAR(w.wavenumber.front(), w.bin_width, 1e-12);  // bin 2: one cycle per record

  // Mean square in square feet: (a/12)^2 / 2 per wave.
  const double expected = (a1 * a1 + a2 * a2) / 2.0 / 144.0;
  const double integral = std::accumulate(w.density.begin(), w.density.end(), 0.0) * w.bin_width;
  EXPECT_NEAR(integral, expected, 1e-6 * expected);
  // The two waves' shares at 8 and 100 cycles per record.
  EXPECT_NEAR(w.density[7] * w.bin_width, a1 * a1 / 2.0 / 144.0, 1e-6 * expected);
  EXPECT_NEAR(w.wavenumber[7], 8.0 / (np * spacing_ft), 1e-12);
  EXPECT_NEAR(w.density[99] * w.bin_width, a2 * a2 / 2.0 / 144.0, 1e-6 * expected);
  EXPECT_LT(w.density[50], 1e-9 * w.density[7]);

  // The density does not depend on the decades added for the frequency display.
  const WavenumberPsd w0 = ProfileWavenumberPsd(ComputePsd(inches, 12.0, spacing_ft / kProfileSpectrumSpeedFps, 0));
  EXPECT_NEAR(w0.density[7], w.density[7], 1e-12 * w.density[7]);
  EXPECT_TRUE(ToWavenumber(r, 0.0).wavenumber.empty());
}

}  // namespace
}  // namespace tarmac
