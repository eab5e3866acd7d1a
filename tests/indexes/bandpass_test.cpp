#include "indexes/bandpass.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace tarmac {
namespace {

constexpr double kDx = 0.08202099737532809;  // 25 mm in feet

std::vector<float> Sine(std::size_t n, double dx, double wavelength) {
  std::vector<float> z(n);
  for (std::size_t i = 0; i < n; ++i)
    z[i] = static_cast<float>(std::sin(2 * std::numbers::pi * double(i) * dx / wavelength));
  return z;
}

TEST(Bandpass, KeepsOnlyTheFourFootWaveInPhase) {
  const std::size_t n = 12000;  // about 1000 ft
  const auto a = Sine(n, kDx, 4.0), b = Sine(n, kDx, 0.5), c = Sine(n, kDx, 20.0);
  std::vector<float> mix(n);
  for (std::size_t i = 0; i < n; ++i) mix[i] = 0.3f * a[i] + b[i] + 5.0f * c[i] + 2.0f;
  const BandpassResult r = ComputeBandpassIndex(mix, kDx);
  for (std::size_t i = n / 4; i < 3 * n / 4; ++i) ASSERT_NEAR(r.series[i], 0.3 * a[i], 0.03) << i;
  EXPECT_DOUBLE_EQ(r.long_cutoff, 0.125);
  EXPECT_DOUBLE_EQ(r.short_cutoff, 1.0);
  // At a spacing coarser than half a foot the 1-ft cut-off is lowered to the Nyquist frequency.
  EXPECT_DOUBLE_EQ(ComputeBandpassIndex(Sine(500, 0.6, 4.0), 0.6).short_cutoff, 1.0 / 1.2);
}

}  // namespace
}  // namespace tarmac
