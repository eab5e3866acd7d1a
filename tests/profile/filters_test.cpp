#include "profile/filters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <vector>

#include "profile/prepare.h"
#include "reference/butterworth_response.h"

namespace tarmac {
namespace {

constexpr double kDx = 0.08202099737532809;  // 25 mm in feet
constexpr double kPi = std::numbers::pi;

std::vector<float> Sine(std::size_t n, double dx, double wavelength) {
  std::vector<float> z(n);
  for (std::size_t i = 0; i < n; ++i) z[i] = static_cast<float>(std::sin(2 * kPi * i * dx / wavelength));
  return z;
}

// Largest absolute value over the middle half, away from the end effects.
double MiddleAmplitude(const std::vector<float>& z) {
  double a = 0.0;
  for (std::size_t i = z.size() / 4; i < 3 * z.size() / 4; ++i) a = std::max(a, std::fabs(double(z[i])));
  return a;
}

// |H|^2 of the designed sections at f cycles/ft, from the transfer function on the unit circle.
double DesignedPower(const ButterworthDesign& d, double dx, double f) {
  const double om = 2.0 * kPi * f * dx;
  double h2 = 1.0;
  for (std::size_t k = 0; k < 2; ++k) {
    const double nr = 1 + 2 * std::cos(om) + std::cos(2 * om), ni = -2 * std::sin(om) - std::sin(2 * om);
    const double dr = 1 + d.d1[k] * std::cos(om) + d.d2[k] * std::cos(2 * om);
    const double di = -d.d1[k] * std::sin(om) - d.d2[k] * std::sin(2 * om);
    h2 *= d.gain * d.gain * (nr * nr + ni * ni) / (dr * dr + di * di);
  }
  return h2;
}

// The designed sections and the closed form of the prewarped bilinear Butterworth are two
// double-precision evaluations of one rational function: they differ by the round-off of the
// coefficient design and of the trigonometry, some 1e-15 relative. 1e-10 leaves room for that
// and still catches a wrong prewarp or a section with a misplaced coefficient, which move the
// response by 1e-3 or more near the cut-off.
constexpr double kButterworthPowerTolerance = 1e-10;

TEST(ButterworthDesign, UnitDcGainAndHalfPowerAtCutoff) {
  for (double fc : {0.01, 0.125, 1.0, 3.0}) {
    const ButterworthDesign d = DesignButterworth(kDx, fc);
    const double dc = d.gain * 4.0 / (1.0 + d.d1[0] + d.d2[0]) * d.gain * 4.0 / (1.0 + d.d1[1] + d.d2[1]);
    EXPECT_NEAR(dc, 1.0, 1e-12) << fc;
    EXPECT_NEAR(DesignedPower(d, kDx, fc), 0.5, 1e-6) << fc;
  }
}

TEST(ButterworthDesign, PowerResponseMatchesTheClosedFormReference) {
  for (const reference::ButterworthPoint& p : reference::kButterworthResponse) {
    const ButterworthDesign d = DesignButterworth(p.spacing_ft, p.cutoff);
    EXPECT_NEAR(DesignedPower(d, p.spacing_ft, p.frequency), p.power, kButterworthPowerTolerance)
        << p.spacing_ft << " ft, cut-off " << p.cutoff << ", at " << p.frequency;
  }
}

TEST(LowPassFilter, BothWaysSquaresTheResponseWithZeroPhase) {
  std::vector<float> flat(3000, 2.75f);
  LowPassFilter(0.125, kDx, flat, true);
  for (float v : flat) ASSERT_NEAR(v, 2.75f, 1e-5);
  // A symmetric pulse off-centre stays symmetric about its own centre.
  std::vector<float> z(4001, 0.0f);
  const std::size_t c = 1500;
  for (int k = -20; k <= 20; ++k) z[c + k] = static_cast<float>(1.0 - std::abs(k) / 21.0);
  LowPassFilter(0.5, kDx, z, true);
  EXPECT_EQ(std::max_element(z.begin(), z.end()) - z.begin(), static_cast<long>(c));
  for (std::size_t k = 1; k < 200; ++k) ASSERT_NEAR(z[c - k], z[c + k], 1e-6) << k;
}

TEST(LowPassFilter, CutoffLoweredToNyquistAndShortSeriesStayInBounds) {
  // At the Nyquist frequency the filter keeps an impulse where it was and stays finite.
  std::vector<float> imp(600, 0.0f);
  imp[299] = 1.0f;
  EXPECT_DOUBLE_EQ(LowPassFilter(100.0, 0.082, imp, true), 1.0 / (2 * 0.082));
  for (float v : imp) ASSERT_TRUE(std::isfinite(v));
  EXPECT_EQ(std::max_element(imp.begin(), imp.end()) - imp.begin(), 299);
  EXPECT_THROW(LowPassFilter(0.0, 0.082, imp, true), std::invalid_argument);
  // Below the 100-sample padding the reflections stay inside the data; a straight line is its
  // own odd reflection and passes unchanged once the run-in has decayed.
  for (std::size_t n : {1u, 3u, 100u, 250u}) {
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
  auto at = Sine(20000, 0.1, 2.0);  // at the 2-ft cut-off: |H|^2 = 1/2 both ways
  ThirdOrderLowPass(0.5, 0.1, at, true);
  EXPECT_NEAR(MiddleAmplitude(at), 0.5, 0.01);
  // At the Nyquist frequency the series is returned as it was.
  const auto original = Sine(300, 1.0, 2.3);
  auto z = original;
  EXPECT_FALSE(ThirdOrderLowPass(0.5, 1.0, z, true));
  EXPECT_EQ(z, original);
}

TEST(HighPass, KeepsShortWavesAndRemovesTheLongSwell) {
  const std::size_t n = 30000;  // about 2460 ft at 0.25 ft
  const auto wave = Sine(n, 0.25, 20.0), swell = Sine(n, 0.25, 2000.0);
  std::vector<float> z(n);
  for (std::size_t i = 0; i < n; ++i) z[i] = 0.2f * wave[i] + 3.0f * swell[i] + 1.0f;
  const std::vector<float> hp = HighPassProfile(z, 0.25);
  for (std::size_t i = n / 4; i < 3 * n / 4; ++i) ASSERT_NEAR(hp[i], 0.2 * wave[i], 0.02) << i;
}

TEST(PrepareIndexProfile, DecimatesFromTheFirstSampleWithZeroMargins) {
  std::vector<float> z(601);
  for (std::size_t i = 0; i < z.size(); ++i) z[i] = static_cast<float>(std::sin(i * 0.01) + 0.001 * i);
  const PreparedProfile p = PrepareIndexProfile(z, kDx, 6, false, 250.0);
  EXPECT_EQ(p.n, 101);  // samples 1, 7, ..., 601
  EXPECT_EQ(p.margin, 508);  // round(250 / 0.49213) = round(508.0)
  // The kept samples are those of the profile low-passed at the new Nyquist frequency.
  std::vector<float> f = z;
  LowPassFilter(1.0 / (2 * kDx * 6), kDx, f, true);
  for (int j = 1; j <= p.n; ++j) ASSERT_EQ(p.at(j), f[static_cast<std::size_t>((j - 1) * 6)]) << j;
  for (int i = p.first(); i <= 0; ++i) ASSERT_EQ(p.at(i), 0.0f);
  for (int i = p.n + 1; i <= p.last(); ++i) ASSERT_EQ(p.at(i), 0.0f);
  // 602 samples still give 101 (sample 607 does not exist), 607 give 102.
  EXPECT_EQ(PrepareIndexProfile(std::vector<float>(602, 0.0f), kDx, 6, false, 250.0).n, 101);
  EXPECT_EQ(PrepareIndexProfile(std::vector<float>(607, 0.0f), kDx, 6, false, 250.0).n, 102);
  EXPECT_THROW(PrepareIndexProfile(std::vector<float>{}, kDx, 6, false, 250.0), std::invalid_argument);
}

TEST(PrepareIndexProfile, SmoothsTheEndsWithARaisedCosine) {
  std::vector<float> z(6000, 2.0f);
  const PreparedProfile plain = PrepareIndexProfile(z, kDx, 6, false, 50.0);
  const PreparedProfile p = PrepareIndexProfile(z, kDx, 6, true, 50.0);
  const int t = 102;  // round(50 / 0.49213) = round(101.6)
  for (int i = 1; i <= t; ++i) {
    const double f = (1 - std::cos(i * kPi / t)) / 2;
    ASSERT_NEAR(p.at(i), plain.at(i) * f, 1e-6) << i;
    ASSERT_NEAR(p.at(p.n - i + 1), plain.at(p.n - i + 1) * f, 1e-6) << i;
  }
  for (int i = t + 1; i <= p.n - t; ++i) ASSERT_EQ(p.at(i), plain.at(i));
  // A smoothing distance longer than the profile keeps its length in feet: each sample gets the
  // factors of its place in both fades, and the margins stay untouched.
  const PreparedProfile all = PrepareIndexProfile(std::vector<float>(60, 1.0f), kDx, 6, true, 250.0);
  ASSERT_EQ(all.n, 10);
  const int tall = 508;  // round(250 / 0.49213)
  const auto fade = [&](int i) { return (1 - std::cos(i * kPi / tall)) / 2; };
  for (int i = 1; i <= all.n; ++i) ASSERT_NEAR(all.at(i), fade(i) * fade(all.n - i + 1), 1e-9) << i;
  for (int i = all.first(); i <= 0; ++i) ASSERT_EQ(all.at(i), 0.0f);
  for (int i = all.n + 1; i <= all.last(); ++i) ASSERT_EQ(all.at(i), 0.0f);
}

TEST(PrepareIndexProfile, FactorFromTheSpacingKeepsTheStepOfTheDesign) {
  const double mm25 = 2.5 / 25.4 / 12 * 10, m = 1 / 0.3048;
  for (const auto rule : {DecimationRule::Spacing, DecimationRule::Fixed}) {
    EXPECT_EQ(DecimationFactor(6, mm25, rule), 6);  // the 25-mm design is what it always was
    EXPECT_EQ(DecimationFactor(10, mm25, rule), 10);
  }
  EXPECT_EQ(DecimationFactor(6, 0.010 * m, DecimationRule::Spacing), 15);
  EXPECT_EQ(DecimationFactor(10, 0.010 * m, DecimationRule::Spacing), 25);
  EXPECT_EQ(DecimationFactor(10, 0.125 * m, DecimationRule::Spacing), 2);
  EXPECT_EQ(DecimationFactor(6, 0.125 * m, DecimationRule::Spacing), 1);  // 1.2
  EXPECT_EQ(DecimationFactor(6, 0.25, DecimationRule::Spacing), 2);        // 1.97
  EXPECT_EQ(DecimationFactor(10, 0.3 * m, DecimationRule::Spacing), 1);    // 0.83
  EXPECT_EQ(DecimationFactor(6, 2.0, DecimationRule::Spacing), 1);         // never below one
  EXPECT_EQ(DecimationFactor(6, 0.25 * m, DecimationRule::Fixed), 6);
  for (const double bad : {0.0, -0.1, std::nan(""), 1e-300})
    EXPECT_THROW(DecimationFactor(6, bad, DecimationRule::Spacing), std::invalid_argument) << bad;
  EXPECT_EQ(DecimationRuleFromName("FIXED"), DecimationRule::Fixed);
  EXPECT_FALSE(DecimationRuleFromName("spaced").has_value());

  // Factor 1: every sample as it was read, unfiltered, with the margins of its own spacing.
  std::vector<float> z(301);
  for (std::size_t i = 0; i < z.size(); ++i) z[i] = static_cast<float>(std::sin(i * 2.9) + 0.01 * i);
  const PreparedProfile p = PrepareIndexProfile(z, 0.8, 1, false, 250.0);
  EXPECT_EQ(p.factor, 1);
  EXPECT_EQ(p.spacing, 0.8);
  EXPECT_EQ(p.margin, 312);  // round(312.5), halves to even
  EXPECT_EQ(std::vector<float>(p.data1(), p.data1() + p.n), z);
  EXPECT_EQ(p.at(0), 0.0f);
  EXPECT_EQ(p.at(p.n + 1), 0.0f);
}

}  // namespace
}  // namespace tarmac
