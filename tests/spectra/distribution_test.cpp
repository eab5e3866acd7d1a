#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <set>
#include <numbers>
#include <random>
#include <stdexcept>
#include <vector>

#include "spectra/cumulative.h"
#include "spectra/pdf.h"
#include "spectra/sort.h"

namespace tarmac {
namespace {

// Every small heap size; ties told apart by the sign of zero must come out alike in both sorts.
TEST(Sort1, ValueSortMatchesStdSortAndIndexSortOrdersTiesAlike) {
  std::mt19937 rng(3);
  std::uniform_int_distribution<int> pick(0, 2);
  std::uniform_real_distribution<float> u(-5.0f, 5.0f);
  for (int n = 0; n <= 40; ++n) {
    std::vector<float> a(static_cast<std::size_t>(n));
    const std::array<float, 3> ties{0.0f, -0.0f, 1.0f};
    for (auto& x : a) x = n % 2 ? u(rng) : ties[static_cast<std::size_t>(pick(rng))];
    std::vector<float> sorted = a, expected = a;
    std::sort(expected.begin(), expected.end());
    SortAscending(std::span<float>(sorted));
    EXPECT_EQ(sorted, expected) << "n=" << n;
    const auto idx = IndexSort(a);
    EXPECT_EQ(std::set<int>(idx.begin(), idx.end()).size(), a.size());  // a permutation
    for (std::size_t i = 0; i < a.size(); ++i) {
      EXPECT_EQ(std::bit_cast<std::uint32_t>(a[static_cast<std::size_t>(idx[i])]),
                std::bit_cast<std::uint32_t>(sorted[i])) << n;
    }
  }
}

// Against a long-double two-pass computation and the sorted standard scores of a skewed sample.
TEST(Pdff, MomentsDensityAndNormalCurveOfASkewedSample) {
  std::mt19937 rng(9);
  std::exponential_distribution<float> e(2.0f);
  std::vector<float> v(3000);
  for (auto& x : v) x = e(rng);
  long double mean = 0, s2 = 0, s3 = 0, s4 = 0;
  for (float x : v) mean += x / static_cast<long double>(v.size());
  for (float x : v) {
    const long double d = x - mean;
    s2 += d * d, s3 += d * d * d, s4 += d * d * d * d;
  }
  const long double var = s2 / (v.size() - 1), sd = std::sqrt(var);
  NullProgress progress;
  const PdfResult r = ProbabilityDensity(v, 1.0, 1.0, progress);  // NRP = 1000
  EXPECT_NEAR(r.amean, static_cast<double>(mean), 1e-9);
  EXPECT_NEAR(r.asdev, static_cast<double>(sd), 1e-9);
  EXPECT_NEAR(r.cskew, static_cast<double>(s3 / (v.size() * sd * var)), 1e-9);
  EXPECT_NEAR(r.ckurt, static_cast<double>(s4 / (v.size() * var * var) - 3.0), 1e-9);
  ASSERT_EQ(r.h.size(), 2000u);
  // Each density point is NRP values over the spread of NRP neighbours.
  std::vector<double> z(v.size());
  for (std::size_t i = 0; i < v.size(); ++i) z[i] = (v[i] - r.amean) / r.asdev;
  std::sort(z.begin(), z.end());
  for (std::size_t i = 0; i < r.h.size(); i += 111) {
    EXPECT_NEAR(r.pdf[i], 1000.0 / ((z[i + 1000] - z[i]) * 3000.0), 1e-9 * r.pdf[i]);
    EXPECT_NEAR(r.h[i], 0.5 * (z[i + 1000] + z[i]), 1e-12);
    EXPECT_NEAR(r.normal[i], std::exp(-r.h[i] * r.h[i] / 2) / std::sqrt(2 * std::numbers::pi),
                1e-6);
  }
  EXPECT_NEAR(ProbabilityDensity(v, 12.0, 1.0, progress).amean * 12.0, r.amean, 1e-9);  // the divisor gives feet
}

TEST(Pdff, RefusalsTiesCancellationAndStatisticsText) {
  NullProgress progress;
  std::vector<float> ties(500, 0.0f);
  std::fill_n(ties.begin(), 50, 1.0f);
  EXPECT_THROW(ProbabilityDensity(std::vector<float>(ties.begin(), ties.begin() + 100), 1.0, 10.0, progress),
               std::invalid_argument);  // N = NRP
  EXPECT_THROW(ProbabilityDensity(std::vector<float>(500, 3.0f), 1.0, 10.0, progress), std::invalid_argument);
  EXPECT_THROW(ProbabilityDensity(ties, 1.0, 0.0, progress), std::invalid_argument);
  EXPECT_DOUBLE_EQ(ProbabilityDensity(ties, 1.0, 10.0, progress).ymax, 100.0 / (1e-6 * 500));  // floored spacing
  struct CancelAtOnce final : Progress {
    void step(long long, long long) override {}
    bool cancelled() const override { return true; }
  } cancel;
  EXPECT_THROW(ProbabilityDensity(ties, 1.0, 10.0, cancel), Cancelled);
}

TEST(CumulativeDistribution, NoDistributionOfNothingOrOfValuesNotAboveZero) {
  EXPECT_THROW(ComputeCumulativeDistribution(std::vector<float>{}), std::invalid_argument);
  EXPECT_THROW(ComputeCumulativeDistribution(std::vector<float>(5, 0.0f)), std::invalid_argument);
}

TEST(CumulativeDistribution, FractionsCountValuesAtOrBelowEachBinEdge) {
  std::mt19937 rng(17);
  std::gamma_distribution<float> g(2.0f, 0.3f);
  std::vector<float> a(5000);
  for (auto& x : a) x = g(rng);
  a[10] = -0.2f;  // a negative value lies below every edge
  a[20] = 0.75f;  // values exactly on an edge count for it
  const auto d = ComputeCumulativeDistribution(a);
  const float largest = *std::max_element(a.begin(), a.end());
  EXPECT_EQ(d.xmax, static_cast<double>(largest));
  for (int j = 1; j <= 100; ++j) {
    const float edge = j == 100 ? largest : static_cast<float>(d.xmax / 100 * j);
    const auto count = std::count_if(a.begin(), a.end(), [&](float x) { return x <= edge; });
    EXPECT_FLOAT_EQ(d.cdf[static_cast<std::size_t>(j - 1)], static_cast<float>(count) / 5000.0f);
  }
}

}  // namespace
}  // namespace tarmac
