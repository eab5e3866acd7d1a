#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "spectra/cumulative.h"
#include "spectra/pdf.h"
#include "spectra/sort.h"

namespace tarmac {
namespace {

TEST(Sort1, SortsRandomDataTiesAndTheSmallSizesOfTheHeapStart) {
  std::mt19937 rng(3);
  std::uniform_int_distribution<int> few(0, 4);  // many ties
  std::uniform_real_distribution<double> u(-5.0, 5.0);
  for (int n = 0; n <= 40; ++n) {
    for (int kind = 0; kind < 2; ++kind) {
      std::vector<double> v(static_cast<std::size_t>(n));
      for (auto& x : v) x = kind == 0 ? u(rng) : static_cast<double>(few(rng));
      std::vector<double> expected = v;
      std::sort(expected.begin(), expected.end());
      SORT1(std::span<double>(v));
      EXPECT_EQ(v, expected) << "n=" << n << " kind=" << kind;
    }
  }
  std::vector<double> big(10001);
  for (auto& x : big) x = u(rng);
  std::vector<double> expected = big;
  std::sort(expected.begin(), expected.end());
  SORT1(std::span<double>(big));
  EXPECT_EQ(big, expected);
}

// Equal keys are told apart by the sign of zero: the index sort must leave tied elements in the
// same order as the value sort does, since both are the same heap.
TEST(Sort1, IndexSortOrdersTiesLikeTheValueSort) {
  std::mt19937 rng(5);
  std::uniform_int_distribution<int> pick(0, 2);
  for (int n : {2, 3, 5, 7, 10, 33, 100}) {
    std::vector<float> a(static_cast<std::size_t>(n));
    for (auto& x : a) {
      const int p = pick(rng);
      x = p == 0 ? 0.0f : (p == 1 ? -0.0f : 1.0f);
    }
    std::vector<float> sorted = a;
    SORT1(std::span<float>(sorted));
    const auto idx = IndexSort(a);
    std::vector<int> seen(a.size(), 0);
    for (std::size_t i = 0; i < a.size(); ++i) {
      const float via_index = a[static_cast<std::size_t>(idx[i])];
      ++seen[static_cast<std::size_t>(idx[i])];
      EXPECT_EQ(via_index, sorted[i]);
      EXPECT_EQ(std::signbit(via_index), std::signbit(sorted[i])) << "n=" << n << " i=" << i;
    }
    EXPECT_TRUE(std::all_of(seen.begin(), seen.end(), [](int c) { return c == 1; }));
  }
}

TEST(Pdff, NormalSampleHasUnitAreasAndMatchesTheNormalCurve) {
  std::mt19937 rng(2024);
  std::normal_distribution<float> g(1.5f, 0.25f);
  const int n = 40000;
  std::vector<float> v(static_cast<std::size_t>(n));
  for (auto& x : v) x = g(rng) * 12.0f;  // inches; the divisor turns them into feet
  NullProgress progress;
  const PdfResult r = PDFF(v, 12.0, 10.0, progress);  // NRP = 100
  ASSERT_EQ(r.nrp, 100);
  ASSERT_EQ(r.h.size(), static_cast<std::size_t>(n - 100));
  EXPECT_NEAR(r.amean, 1.5, 0.01);  // the moments themselves are pinned on a skewed sample below
  EXPECT_NEAR(r.area, 1.0, 0.03);
  EXPECT_NEAR(r.arean, 1.0, 0.03);
  // The estimate and the normal curve agree in the middle of the distribution.
  const std::size_t mid = r.h.size() / 2;
  EXPECT_NEAR(r.h[mid], 0.0, 0.05);
  EXPECT_NEAR(r.pdf[mid], r.normal[mid], 0.05);
  EXPECT_NEAR(r.normal[mid], 1.0 / std::sqrt(2.0 * 3.1415926), 0.01);
  EXPECT_TRUE(std::is_sorted(r.h.begin(), r.h.end()));
  EXPECT_EQ(r.xmin, r.h.front());
  EXPECT_EQ(r.xmax, r.h.back());
  EXPECT_EQ(r.ymax, std::max(*std::max_element(r.pdf.begin(), r.pdf.end()),
                             *std::max_element(r.normal.begin(), r.normal.end())));
}

// Moments against a long-double two-pass computation on a skewed sample.
TEST(Pdff, MomentsOfASkewedSampleAndTheirScaleInvariance) {
  std::mt19937 rng(9);
  std::exponential_distribution<float> e(2.0f);
  std::vector<float> v(3000);
  for (auto& x : v) x = e(rng);
  long double mean = 0;
  for (float x : v) mean += x;
  mean /= v.size();
  long double s2 = 0, s3 = 0, s4 = 0;
  for (float x : v) {
    const long double d = x - mean;
    s2 += d * d, s3 += d * d * d, s4 += d * d * d * d;
  }
  const long double var = s2 / (v.size() - 1);
  const long double sd = std::sqrt(var);
  NullProgress progress;
  const PdfResult r = PDFF(v, 1.0, 1.0, progress);  // NRP = 1000
  EXPECT_NEAR(r.amean, static_cast<double>(mean), 1e-9);
  EXPECT_NEAR(r.asdev, static_cast<double>(sd), 1e-9);
  EXPECT_NEAR(r.cskew, static_cast<double>(s3 / (v.size() * sd * var)), 1e-9);
  EXPECT_NEAR(r.ckurt, static_cast<double>(s4 / (v.size() * var * var) - 3.0), 1e-9);
  EXPECT_GT(r.cskew, 1.5);  // an exponential sample leans hard to the right
  ASSERT_EQ(r.h.size(), 2000u);
  // Each density point is NRP values over the spread of NRP neighbours.
  std::vector<double> z(v.size());
  for (std::size_t i = 0; i < v.size(); ++i) z[i] = (v[i] - r.amean) / r.asdev;
  std::sort(z.begin(), z.end());
  for (std::size_t i = 0; i < r.h.size(); i += 111) {
    EXPECT_NEAR(r.pdf[i], 1000.0 / ((z[i + 1000] - z[i]) * 3000.0), 1e-9 * r.pdf[i]);
    EXPECT_NEAR(r.h[i], 0.5 * (z[i + 1000] + z[i]), 1e-12);
  }
  // Shape statistics do not depend on the unit.
  const PdfResult feet = PDFF(v, 12.0, 1.0, progress);
  EXPECT_NEAR(feet.amean * 12.0, r.amean, 1e-9);
  EXPECT_NEAR(feet.cskew, r.cskew, 1e-9);
  EXPECT_NEAR(feet.ckurt, r.ckurt, 1e-9);
  EXPECT_NEAR(feet.area, r.area, 1e-9);
}

TEST(Pdff, RefusesShortAndConstantSeriesAndFloorsCoincidentNeighbours) {
  NullProgress progress;
  std::vector<float> short_series(100, 1.0f);
  short_series[3] = 2.0f;
  EXPECT_THROW(PDFF(short_series, 1.0, 10.0, progress), std::invalid_argument);  // N = NRP
  EXPECT_THROW(PDFF(std::vector<float>(500, 3.0f), 1.0, 10.0, progress), std::invalid_argument);
  EXPECT_THROW(PDFF(std::vector<float>(500, 3.0f), 1.0, 0.0, progress), std::invalid_argument);
  // Mostly ties: neighbour spacing is floored, the density stays finite.
  std::vector<float> ties(500, 0.0f);
  for (std::size_t i = 0; i < 50; ++i) ties[i] = 1.0f;
  const PdfResult r = PDFF(ties, 1.0, 10.0, progress);
  EXPECT_EQ(r.h.size(), 400u);
  EXPECT_DOUBLE_EQ(r.ymax, 100.0 / (1e-6 * 500));
  for (double p : r.pdf) EXPECT_TRUE(std::isfinite(p));

  const auto lines = PdfStatisticsLines(r);
  EXPECT_EQ(lines[0].rfind("AMEAN=", 0), 0u);
  EXPECT_EQ(lines[5].rfind("AreaN=", 0), 0u);
  PdfResult fixed;
  fixed.amean = 1234.5678;
  fixed.asdev = 0.25;
  EXPECT_EQ(PdfStatisticsLines(fixed)[0], "AMEAN=1234.5");
  EXPECT_EQ(PdfStatisticsLines(fixed)[1], "ASDEV=.250");
}

TEST(Pdff, CancellationStopsTheRun) {
  struct CancelAtOnce final : Progress {
    void step(long long, long long) override {}
    bool cancelled() const override { return true; }
  } cancel;
  std::vector<float> v(2000);
  for (std::size_t i = 0; i < v.size(); ++i) v[i] = static_cast<float>(std::sin(0.1 * i));
  EXPECT_THROW(PDFF(v, 1.0, 10.0, cancel), Cancelled);
}

std::vector<std::string> Tokens(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> tokens;
  for (std::string t; in >> t;) tokens.push_back(t);
  return tokens;
}

TEST(CumulativeDistribution, ConstantSeriesFillsOnlyTheLastBin) {
  const auto d = ComputeCumulativeDistribution(std::vector<float>(37, 2.5f));
  EXPECT_EQ(d.xmax, 2.5);
  ASSERT_EQ(d.cdf.size(), 100u);
  for (std::size_t j = 0; j < 99; ++j) EXPECT_EQ(d.cdf[j], 0.0f) << j;
  EXPECT_EQ(d.cdf[99], 1.0f);

  const std::string line = BoeingBumpPdfLine("RWY09.PRO", d);
  const auto tokens = Tokens(line);
  ASSERT_EQ(tokens.size(), 201u);
  EXPECT_EQ(tokens[0], "RWY09.PRO");
  EXPECT_EQ(tokens[1], "0.0250");
  EXPECT_EQ(tokens[2], "0.00000");
  EXPECT_EQ(tokens[199], "2.5000");
  EXPECT_EQ(tokens[200], "1.00000");
  EXPECT_EQ(line.find("  "), std::string::npos);

  EXPECT_THROW(ComputeCumulativeDistribution(std::vector<float>{}), std::invalid_argument);
  EXPECT_THROW(ComputeCumulativeDistribution(std::vector<float>(5, 0.0f)), std::invalid_argument);
}

TEST(CumulativeDistribution, FileLineWritesTheSinglePrecisionFractionAsItIsHeld) {
  // Five values in 8000 lie in the first bin: the fraction 5/8000 is held in single precision
  // as 0.000624999986..., which rounds to 0.00062, not to 0.00063 as the decimal 0.000625 would.
  std::vector<float> a(8000, 1.0f);
  for (std::size_t i = 0; i < 5; ++i) a[3 * i + 1] = 0.001f;
  const auto d = ComputeCumulativeDistribution(a);
  ASSERT_EQ(d.cdf[0], static_cast<float>(5.0 / 8000.0));
  ASSERT_LT(static_cast<double>(d.cdf[0]), 0.000625);
  const auto tokens = Tokens(BoeingBumpPdfLine("R.PRO", d));
  ASSERT_EQ(tokens.size(), 201u);
  EXPECT_EQ(tokens[1], "0.0100");
  EXPECT_EQ(tokens[2], "0.00062");
  EXPECT_EQ(tokens[198], "0.00062");  // bin 99 still holds only the small values
  EXPECT_EQ(tokens[200], "1.00000");
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
    EXPECT_FLOAT_EQ(d.cdf[static_cast<std::size_t>(j - 1)], static_cast<float>(count) / 5000.0f)
        << j;
  }
  EXPECT_TRUE(std::is_sorted(d.cdf.begin(), d.cdf.end()));
  EXPECT_GE(d.cdf[0], 1.0f / 5000.0f);
}

TEST(CumulativeDistribution, ReadoutInvertsThePlotMapping) {
  const CdfPlotMapping m = MapCdfPlot(0.0, 0.0, 1000.0, 1000.0, 2.0);
  EXPECT_DOUBLE_EQ(m.x_origin, 140.0);
  EXPECT_DOUBLE_EQ(m.y_origin, 890.0);
  EXPECT_DOUBLE_EQ(m.x_scale, 380.0);
  EXPECT_DOUBLE_EQ(m.y_scale, -790.0);
  const double px = m.x_origin + 1.25 * m.x_scale;
  const double py = m.y_origin + 0.5 * m.y_scale;
  const CdfReadout r = ReadCdfPlot(m, px, py, "mm");
  EXPECT_NEAR(r.value, 1.25, 1e-12);
  EXPECT_NEAR(r.percent, 50.0, 1e-9);
  EXPECT_EQ(r.position_status, "x= 1.250 mm");
  EXPECT_EQ(r.probability_status, "P(x<=1.250)= 50.000 %");
  EXPECT_EQ(ReadCdfPlot(m, px, py, "").position_status, "x= 1.250");
}

}  // namespace
}  // namespace tarmac
