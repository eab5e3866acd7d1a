#include "indexes/bandpass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace tarmac {
namespace {

constexpr double kDx = 0.08202099737532809;

double MiddleAmplitude(const std::vector<float>& z) {
  double a = 0.0;
  for (std::size_t i = z.size() / 4; i < 3 * z.size() / 4; ++i) a = std::max(a, std::fabs(double(z[i])));
  return a;
}

std::vector<float> Sine(std::size_t n, double wavelength) {
  std::vector<float> z(n);
  for (std::size_t i = 0; i < n; ++i)
    z[i] = static_cast<float>(std::sin(2 * std::numbers::pi * i * kDx / wavelength));
  return z;
}

TEST(Bandpass, KeepsFourFootWavesRemovesHalfFootAndTwentyFoot) {
  const std::size_t n = 12000;  // about 1000 ft
  EXPECT_GT(MiddleAmplitude(ComputeBandpassIndex(Sine(n, 4.0), kDx).series), 0.98);
  EXPECT_LT(MiddleAmplitude(ComputeBandpassIndex(Sine(n, 0.5), kDx).series), 0.01);
  EXPECT_LT(MiddleAmplitude(ComputeBandpassIndex(Sine(n, 20.0), kDx).series), 0.01);
  // Linear and zero-phase: of a mix only the 4-ft wave is left, in phase.
  std::vector<float> mix(n);
  const auto a = Sine(n, 4.0), b = Sine(n, 0.5), c = Sine(n, 20.0);
  for (std::size_t i = 0; i < n; ++i) mix[i] = 0.3f * a[i] + b[i] + 5.0f * c[i] + 2.0f;
  const BandpassResult r = ComputeBandpassIndex(mix, kDx);
  ASSERT_EQ(r.series.size(), n);
  for (std::size_t i = n / 4; i < 3 * n / 4; ++i) ASSERT_NEAR(r.series[i], 0.3 * a[i], 0.03) << i;
  EXPECT_DOUBLE_EQ(r.long_cutoff, 0.125);
  EXPECT_DOUBLE_EQ(r.short_cutoff, 1.0);
  // At a spacing coarser than half a foot the 1-ft cut-off is lowered to the Nyquist frequency.
  EXPECT_DOUBLE_EQ(ComputeBandpassIndex(Sine(500, 4.0), 0.6).short_cutoff, 1.0 / 1.2);
}

TEST(HighPassProfile, LeavesTheInputAlone) {
  const std::vector<float> z = Sine(60000, 20.0);
  const std::vector<float> h = HighPassProfile(z, kDx);
  EXPECT_EQ(z, Sine(60000, 20.0));
  EXPECT_NE(h, z);
}

}  // namespace
}  // namespace tarmac
