#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <stdexcept>
#include <vector>

#include "editing/repair.h"

namespace tarmac {
namespace {

TEST(Repair, WheelOffsetsFollowTheSpacing) {
  const RepairOffsets q = ComputeRepairOffsets(0.25);
  EXPECT_EQ(q.n1, 92);
  EXPECT_EQ(q.n2, 68);
  EXPECT_EQ(q.n3, 52);
  EXPECT_EQ(q.n4, 28);
  const RepairOffsets one = ComputeRepairOffsets(1.0);
  EXPECT_EQ(one.n1, 23);
  EXPECT_EQ(one.n4, 7);
  // 23 / 2 = 11.5 and 7 / 2 = 3.5 round to the even neighbours.
  const RepairOffsets two = ComputeRepairOffsets(2.0);
  EXPECT_EQ(two.n1, 12);
  EXPECT_EQ(two.n2, 8);
  EXPECT_EQ(two.n3, 6);
  EXPECT_EQ(two.n4, 4);
  EXPECT_EQ(RepairMinimumSamples(0.25), 185);
  EXPECT_THROW(ComputeRepairOffsets(0.0), std::invalid_argument);
}

TEST(Repair, CarriageKeepsASlopedLineAndAttenuatesASineByItsTransferFunction) {
  const double dx = 0.25;
  std::vector<float> line(1000);
  for (std::size_t i = 0; i < line.size(); ++i) line[i] = 3.0f + 0.01f * static_cast<float>(i);
  std::vector<float> z = line;
  RepairAverage(z, dx);
  for (std::size_t i = 0; i < z.size(); ++i) EXPECT_NEAR(z[i], line[i], 2e-5) << i;

  // Away from the ends each output is the input times the mean of cos(2 pi d / wavelength)
  // over the four wheel distances 23, 17, 13 and 7 ft.
  const double wavelength = 40.0;
  std::vector<float> s(2000);
  for (std::size_t i = 0; i < s.size(); ++i) {
    s[i] = static_cast<float>(std::sin(2 * std::numbers::pi * i * dx / wavelength));
  }
  std::vector<float> out = s;
  RepairAverage(out, dx);
  double gain = 0.0;
  for (double d : {23.0, 17.0, 13.0, 7.0}) gain += std::cos(2 * std::numbers::pi * d / wavelength);
  gain /= 4.0;
  for (std::size_t i = 100; i < 1900; i += 37) EXPECT_NEAR(out[i], gain * s[i], 1e-5) << i;
}

TEST(Repair, CarriageMeanMatchesAnExtendedPrecisionReferenceDigitForDigit) {
  // Survey elevations far from the datum with noise: the eight wheels are added in double, the
  // reflected samples and the mean are stored in single precision. The reference adds in
  // extended precision, so it agrees with a double sum and not with a single-precision one.
  const double dx = 0.25;
  const RepairOffsets o = ComputeRepairOffsets(dx);
  std::vector<float> z(3000);
  std::uint32_t state = 12345;
  for (std::size_t i = 0; i < z.size(); ++i) {
    state = state * 1664525u + 1013904223u;
    z[i] = static_cast<float>(1500.0 + 0.02 * static_cast<double>(i) +
                              static_cast<double>(state >> 8) / 16777216.0 - 0.5);
  }
  const auto n = static_cast<std::int32_t>(z.size());
  auto w = [&](std::int32_t i) -> float {  // sample i counted from 1, reflected beyond the ends
    if (i < 1) return static_cast<float>(2.0L * z[0] - z[static_cast<std::size_t>(1 - i)]);
    if (i > n) {
      return static_cast<float>(2.0L * z[static_cast<std::size_t>(n - 1)] -
                                z[static_cast<std::size_t>(2 * n - i - 1)]);
    }
    return z[static_cast<std::size_t>(i - 1)];
  };
  std::vector<float> out = z;
  RepairAverage(out, dx);
  int differs_from_single_sum = 0;
  for (std::int32_t i = 1; i <= n; ++i) {
    long double sum = 0.0L;
    float single_sum = 0.0f;
    for (std::int32_t d : {-o.n1, -o.n2, -o.n3, -o.n4, o.n4, o.n3, o.n2, o.n1}) {
      sum += w(i + d);
      single_sum += w(i + d);
    }
    ASSERT_EQ(out[static_cast<std::size_t>(i - 1)], static_cast<float>(sum / 8.0L)) << i;
    if (static_cast<float>(single_sum / 8.0) != out[static_cast<std::size_t>(i - 1)]) {
      ++differs_from_single_sum;
    }
  }
  EXPECT_GT(differs_from_single_sum, 50);
}

TEST(Repair, RefusesProfilesShorterThanTheCarriageAndLeavesThemUntouched) {
  const double dx = 1.0;  // n1 = 23: 47 samples needed
  std::vector<float> z(46);
  for (std::size_t i = 0; i < z.size(); ++i) z[i] = static_cast<float>(i % 5);
  const std::vector<float> before = z;
  EXPECT_THROW(RepairAverage(z, dx), std::invalid_argument);
  EXPECT_THROW(RepairPass(z, dx), std::invalid_argument);
  EXPECT_THROW(RepairProfile(z, dx), std::invalid_argument);
  EXPECT_EQ(z, before);
  z.push_back(1.0f);
  EXPECT_NO_THROW(RepairAverage(z, dx));
}

TEST(Repair, TwoPassesApplyTheCarriageTwiceAndKeepTheTrend) {
  const double dx = 0.25;
  std::vector<float> z(2400);
  for (std::size_t i = 0; i < z.size(); ++i) {
    // A gentle grade with a short-wave roughness the carriage should remove.
    z[i] = static_cast<float>(0.002 * i + 0.3 * std::sin(2 * std::numbers::pi * i * dx / 3.0));
  }
  const RepairResult r = RepairProfile(z, dx);
  ASSERT_EQ(r.once.size(), z.size());
  ASSERT_EQ(r.twice.size(), z.size());
  std::vector<float> again = r.once;
  RepairPass(again, dx);
  EXPECT_EQ(again, r.twice);
  // A 3-ft wave sits where every wheel pair reads it half a cycle off: the carriage gain is
  // -0.5 each pass (the pre-filter at 2 cycles/ft passes it), so a quarter is left after two.
  for (std::size_t i = 200; i < 2200; i += 50) {
    const double wave = 0.3 * std::sin(2 * std::numbers::pi * i * dx / 3.0);
    EXPECT_NEAR(r.once[i], 0.002 * i - 0.5 * wave, 1e-3) << i;
    EXPECT_NEAR(r.twice[i], 0.002 * i + 0.25 * wave, 1e-3) << i;
  }
}

}  // namespace
}  // namespace tarmac
