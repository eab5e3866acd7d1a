#include "indexes/filters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <vector>

namespace tarmac {
namespace {

constexpr double kDx = 0.08202099737532809;  // 25 mm in feet

std::vector<float> Sine(std::size_t n, double dx, double wavelength, double amplitude) {
  std::vector<float> z(n);
  for (std::size_t i = 0; i < n; ++i)
    z[i] = static_cast<float>(amplitude * std::sin(2.0 * std::numbers::pi * i * dx / wavelength));
  return z;
}

// Largest absolute value over the middle half, away from the end effects.
double MiddleAmplitude(const std::vector<float>& z) {
  double a = 0.0;
  for (std::size_t i = z.size() / 4; i < 3 * z.size() / 4; ++i) a = std::max(a, std::fabs(double(z[i])));
  return a;
}

TEST(ButterworthDesign, UnitDcGainAndHalfPowerAtCutoff) {
  for (double fc : {0.01, 0.125, 1.0, 3.0}) {
    const ButterworthDesign d = DesignButterworth(kDx, fc);
    const double dc = d.gain * 4.0 / (1.0 + d.d1[0] + d.d2[0]) * d.gain * 4.0 / (1.0 + d.d1[1] + d.d2[1]);
    EXPECT_NEAR(dc, 1.0, 1e-12) << fc;
    // |H|^2 at the cut-off, from the transfer function evaluated on the unit circle.
    const double om = 2.0 * std::numbers::pi * fc * kDx;
    double h2 = 1.0;
    for (int k = 0; k < 2; ++k) {
      const double nr = 1 + 2 * std::cos(om) + std::cos(2 * om), ni = -2 * std::sin(om) - std::sin(2 * om);
      const double dr = 1 + d.d1[k] * std::cos(om) + d.d2[k] * std::cos(2 * om);
      const double di = -d.d1[k] * std::sin(om) - d.d2[k] * std::sin(2 * om);
      h2 *= d.gain * d.gain * (nr * nr + ni * ni) / (dr * dr + di * di);
    }
    EXPECT_NEAR(h2, 0.5, 1e-6) << fc;
  }
}

TEST(LowPassFilter, ConstantPassesAndSineAtCutoffIsHalved) {
  std::vector<float> flat(3000, 2.75f);
  LowPassFilter(0.125, kDx, flat, true);
  for (float v : flat) ASSERT_NEAR(v, 2.75f, 1e-5);

  // Both ways the response is the square of the magnitude: half the amplitude at the cut-off,
  // 1/(1 + 2^8) at twice the cut-off, untouched well below.
  const double fc = 0.125;
  auto at = Sine(12000, kDx, 1.0 / fc, 1.0);
  LowPassFilter(fc, kDx, at, true);
  EXPECT_NEAR(MiddleAmplitude(at), 0.5, 0.01);
  auto twice = Sine(12000, kDx, 0.5 / fc, 1.0);
  LowPassFilter(fc, kDx, twice, true);
  EXPECT_NEAR(MiddleAmplitude(twice), 1.0 / 257.0, 0.002);
  auto low = Sine(12000, kDx, 10.0 / fc, 1.0);  // a tenth of the cut-off
  LowPassFilter(fc, kDx, low, true);
  EXPECT_NEAR(MiddleAmplitude(low), 1.0, 0.005);
}

TEST(LowPassFilter, BothWaysHasZeroPhase) {
  // A symmetric pulse off-centre stays symmetric about its own centre; one pass delays it.
  std::vector<float> z(4001, 0.0f);
  const std::size_t c = 1500;
  for (int k = -20; k <= 20; ++k) z[c + k] = static_cast<float>(1.0 - std::abs(k) / 21.0);
  std::vector<float> f = z;
  LowPassFilter(0.5, kDx, z, true);
  const auto peak = std::max_element(z.begin(), z.end()) - z.begin();
  EXPECT_EQ(peak, static_cast<long>(c));
  for (std::size_t k = 1; k < 200; ++k) ASSERT_NEAR(z[c - k], z[c + k], 1e-6) << k;
  LowPassFilter(0.5, kDx, f, false);
  EXPECT_GT(std::max_element(f.begin(), f.end()) - f.begin(), static_cast<long>(c));
}

TEST(LowPassFilter, CutoffAboveNyquistIsLoweredAndReported) {
  std::vector<float> z = Sine(600, 0.082, 3.0, 1.0);
  const double used = LowPassFilter(100.0, 0.082, z, true);
  EXPECT_DOUBLE_EQ(used, 1.0 / (2 * 0.082));
  const double kept = LowPassFilter(0.2, 0.082, z, true);
  EXPECT_DOUBLE_EQ(kept, 0.2);
  // The impulse test of the main window: at the Nyquist frequency the filter keeps the impulse
  // where it was and stays finite.
  std::vector<float> imp(600, 0.0f);
  imp[299] = 1.0f;
  LowPassFilter(1.0 / (2 * 0.082), 0.082, imp, true);
  for (float v : imp) ASSERT_TRUE(std::isfinite(v));
  EXPECT_EQ(std::max_element(imp.begin(), imp.end()) - imp.begin(), 299);
  EXPECT_THROW(LowPassFilter(0.0, 0.082, imp, true), std::invalid_argument);
}

TEST(LowPassFilter, ShortSeriesStayWithinBounds) {
  // Below the 100-sample padding the reflections must stay inside the data; a straight line is
  // its own odd reflection and passes unchanged once the run-in has decayed.
  for (std::size_t n : {1u, 2u, 3u, 7u, 100u, 101u, 250u}) {
    std::vector<float> z(n);
    for (std::size_t i = 0; i < n; ++i) z[i] = static_cast<float>(0.3 * i);
    LowPassFilter(n < 100 ? 0.125 : 2.0, kDx, z, true);
    for (std::size_t i = 0; i < n; ++i) {
      ASSERT_TRUE(std::isfinite(z[i])) << n;
      if (n >= 100) {
        EXPECT_NEAR(z[i], 0.3 * i, 1e-3) << n << " " << i;
      }
    }
  }
}

TEST(ThirdOrderLowPass, DcGainHalfPowerAndNyquistPassThrough) {
  std::vector<float> flat(2000, -1.5f);
  EXPECT_TRUE(ThirdOrderLowPass(0.5, 0.49, flat, true));
  for (float v : flat) ASSERT_NEAR(v, -1.5f, 1e-5);

  auto at = Sine(20000, 0.1, 2.0, 1.0);  // at the 2-ft cut-off: |H|^2 = 1/2 both ways
  ThirdOrderLowPass(0.5, 0.1, at, true);
  EXPECT_NEAR(MiddleAmplitude(at), 0.5, 0.01);
  auto twice = Sine(20000, 0.1, 1.0, 1.0);  // twice the cut-off: 1/(1 + 2^6)
  ThirdOrderLowPass(0.5, 0.1, twice, true);
  EXPECT_NEAR(MiddleAmplitude(twice), 1.0 / 65.0, 0.003);

  // At and above the Nyquist frequency the series is returned as it was.
  const auto original = Sine(300, 1.0, 2.3, 1.0);
  for (double dx : {1.0, 1.5}) {
    auto z = original;
    EXPECT_FALSE(ThirdOrderLowPass(0.5, dx, z, true));
    EXPECT_EQ(z, original);
  }
  std::vector<float> one{4.0f};
  EXPECT_TRUE(ThirdOrderLowPass(0.5, 0.1, one, true));
  EXPECT_FLOAT_EQ(one[0], 4.0f);
}

TEST(HighPassFilter, RemovesLongWavesKeepsShortOnesAndTapersEnds) {
  const std::size_t n = 60000;  // about 4900 ft
  std::vector<float> z(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double x = i * kDx;
    z[i] = static_cast<float>(3.0 + 0.01 * x + 2.0 * std::sin(2 * std::numbers::pi * x / 2000.0) +
                              0.2 * std::sin(2 * std::numbers::pi * x / 20.0));
  }
  HighPassFilter(z, kDx);
  // What remains in the middle is the 20-ft wave alone.
  double worst = 0.0;
  for (std::size_t i = n / 4; i < 3 * n / 4; ++i)
    worst = std::max(worst, std::fabs(z[i] - 0.2 * std::sin(2 * std::numbers::pi * i * kDx / 20.0)));
  EXPECT_LT(worst, 0.01);
  // The ends were tapered towards zero before filtering and stay so.
  EXPECT_LT(std::fabs(z.front()), 0.05);
  EXPECT_LT(std::fabs(z.back()), 0.05);
}

}  // namespace
}  // namespace tarmac
