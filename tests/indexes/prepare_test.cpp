#include "indexes/prepare.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <vector>

#include "indexes/filters.h"

namespace tarmac {
namespace {

constexpr double kDx = 0.08202099737532809;

TEST(PrepareIndexProfile, DecimatesFromTheFirstSampleWithZeroMargins) {
  std::vector<float> z(601);
  for (std::size_t i = 0; i < z.size(); ++i) z[i] = static_cast<float>(std::sin(i * 0.01) + 0.001 * i);
  const PreparedProfile p = PrepareIndexProfile(z, kDx, 6, false, 250.0);
  EXPECT_EQ(p.n, 101);  // samples 1, 7, ..., 601
  EXPECT_DOUBLE_EQ(p.spacing, kDx * 6);
  EXPECT_EQ(p.margin, 508);  // round(250 / 0.49213) = round(508.0)
  EXPECT_EQ(p.z.size(), static_cast<std::size_t>(101 + 2 * 508 + 3));
  EXPECT_EQ(p.first(), -509);
  EXPECT_EQ(p.last(), 101 + 509);
  EXPECT_DOUBLE_EQ(p.cutoff_used, 1.0 / (2 * kDx * 6));
  // The kept samples are those of the low-passed profile at 1, 7, 13, ...
  std::vector<float> f = z;
  LowPassFilter(1.0 / (2 * kDx * 6), kDx, f, true);
  for (int j = 1; j <= p.n; ++j) ASSERT_EQ(p.at(j), f[static_cast<std::size_t>((j - 1) * 6)]) << j;
  for (int i = p.first(); i <= 0; ++i) ASSERT_EQ(p.at(i), 0.0f);
  for (int i = p.n + 1; i <= p.last(); ++i) ASSERT_EQ(p.at(i), 0.0f);
  EXPECT_EQ(p.data1()[0], p.at(1));
  // 602 samples still give 101: sample 607 does not exist.
  std::vector<float> longer(602, 0.0f);
  EXPECT_EQ(PrepareIndexProfile(longer, kDx, 6, false, 250.0).n, 101);
  std::vector<float> more(607, 0.0f);
  EXPECT_EQ(PrepareIndexProfile(more, kDx, 6, false, 250.0).n, 102);
}

TEST(PrepareIndexProfile, RemovesWhatWouldAliasAndKeepsTheLongWaves) {
  // 20000 samples, factor 10: the new Nyquist frequency is 1 / (20 dx). A wave of 8 dx, at
  // 2.5 times that frequency, would fold back after decimation and must be gone; a 100-ft wave
  // stays.
  const std::size_t n = 20000;
  std::vector<float> z(n);
  for (std::size_t i = 0; i < n; ++i)
    z[i] = static_cast<float>(std::sin(2 * std::numbers::pi * i / 8.0) +
                              std::sin(2 * std::numbers::pi * i * kDx / 100.0));
  const PreparedProfile p = PrepareIndexProfile(z, kDx, 10, false, 250.0);
  double worst = 0.0;
  for (int j = p.n / 4; j <= 3 * p.n / 4; ++j) {
    const double x = (j - 1) * 10 * kDx;
    worst = std::max(worst, std::fabs(p.at(j) - std::sin(2 * std::numbers::pi * x / 100.0)));
  }
  EXPECT_LT(worst, 0.01);
}

TEST(PrepareIndexProfile, SmoothsTheEndsWithARaisedCosine) {
  std::vector<float> z(6000, 2.0f);  // constant: the low-pass keeps it
  const PreparedProfile plain = PrepareIndexProfile(z, kDx, 6, false, 50.0);
  const PreparedProfile p = PrepareIndexProfile(z, kDx, 6, true, 50.0);
  const int t = static_cast<int>(std::lround(50.0 / p.spacing));  // 102 (101.6)
  ASSERT_EQ(t, 102);
  for (int i = 1; i <= t; ++i) {
    const double f = (1 - std::cos(i * std::numbers::pi / t)) / 2;
    ASSERT_NEAR(p.at(i), plain.at(i) * f, 1e-6) << i;
    ASSERT_NEAR(p.at(p.n - i + 1), plain.at(p.n - i + 1) * f, 1e-6) << i;
  }
  EXPECT_NEAR(p.at(t), plain.at(t), 1e-6);
  for (int i = t + 1; i <= p.n - t; ++i) ASSERT_EQ(p.at(i), plain.at(i));
  // A smoothing distance longer than the profile stays inside it: margins untouched.
  const PreparedProfile all = PrepareIndexProfile(std::vector<float>(60, 1.0f), kDx, 6, true, 250.0);
  EXPECT_EQ(all.n, 10);
  for (int i = all.first(); i <= 0; ++i) ASSERT_EQ(all.at(i), 0.0f);
  for (int i = all.n + 1; i <= all.last(); ++i) ASSERT_EQ(all.at(i), 0.0f);
  for (int i = 1; i <= all.n; ++i) ASSERT_TRUE(std::isfinite(all.at(i)));

  EXPECT_THROW(PrepareIndexProfile(std::vector<float>{}, kDx, 6, false, 250.0), std::invalid_argument);
  EXPECT_THROW(PrepareIndexProfile(z, kDx, 0, false, 250.0), std::invalid_argument);
}

}  // namespace
}  // namespace tarmac
