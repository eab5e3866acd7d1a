#include "indexes/sections.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace tarmac {
namespace {

const Units kUs = MakeUnits(false);
const Units kMetric = MakeUnits(true);

std::vector<float> Ramp(std::size_t n) {
  std::vector<float> z(n);
  for (std::size_t i = 0; i < n; ++i) z[i] = static_cast<float>(i + 1);  // sample i has value i
  return z;
}

TEST(IndexSections, PartsCloseOnTheSampleThatPassesTheAveragingDistance) {
  // dx = 0.5 ft, A = 1000 ft: a part closes on its 2001st sample (1000.5 ft > 1000 ft).
  const IndexSections s = ComputeIndexSections(1, Ramp(6000), 0.5, 1000.0, kUs);
  ASSERT_EQ(s.parts.size(), 3u);  // samples 1..2001, 2002..4002, 4003..6000
  EXPECT_EQ(s.parts[0].samples, 2001);
  EXPECT_DOUBLE_EQ(s.parts[2].length_ft, 999.0);
  EXPECT_FLOAT_EQ(s.parts[2].mean, (4003.0f + 6000.0f) / 2.0f);
  // The RMS is the standard deviation of consecutive integers: sqrt((n^2 - 1) / 12).
  EXPECT_NEAR(s.parts[2].rms, std::sqrt((1998.0 * 1998.0 - 1.0) / 12.0), 0.01);
  // A short last part is kept from a tenth of A (100 ft) on; the one dropped still shows in
  // the extremes but not in the totals.
  for (int extra : {199, 200}) {
    std::vector<float> z(static_cast<std::size_t>(2001 + extra), 0.25f);
    z.back() = -3.0f;
    z[z.size() - 2] = 7.0f;
    const IndexSections t = ComputeIndexSections(1, z, 0.5, 1000.0, kUs);
    EXPECT_EQ(t.parts.size(), extra >= 200 ? 2u : 1u) << extra;
    EXPECT_DOUBLE_EQ(t.minimum, -3.0);
    EXPECT_DOUBLE_EQ(t.maximum, 7.0);
    if (extra < 200) {
      EXPECT_DOUBLE_EQ(t.total_mean, 0.25);
    }
  }
  // Positive values: the minimum starts at zero. Shorter than a tenth of A: one part, no NaN.
  const IndexSections tiny = ComputeIndexSections(1, std::vector<float>(500, 2.0f), 0.1, 1000.0, kUs);
  EXPECT_DOUBLE_EQ(tiny.minimum, 0.0);
  ASSERT_EQ(tiny.parts.size(), 1u);
  EXPECT_DOUBLE_EQ(tiny.total_rms, 0.0);
  EXPECT_THROW(ComputeIndexSections(3, Ramp(10), 0.5, 1000.0, kUs), std::invalid_argument);
}

TEST(IndexSections, TotalsAreTheLengthWeightedPoolOfThePartsKept) {
  std::mt19937 rng(7);
  std::normal_distribution<float> dist(0.1f, 0.3f);
  const double dx = 0.49212598425196846;  // six 25-mm samples
  std::vector<float> z(12345);
  for (auto& v : z) v = dist(rng);
  const IndexSections s = ComputeIndexSections(5, z, dx, 1000.0, kUs);
  // Every part's length is its sample count times dx, so the weighted mean is the plain mean of
  // the samples kept, and the weighted RMS pools the within-part variances.
  std::size_t first = 0;
  double sum = 0.0, pooled = 0.0;
  for (const IndexPart& p : s.parts) {
    const std::size_t end = first + static_cast<std::size_t>(p.samples);
    double ps = 0.0, pv = 0.0;
    for (std::size_t i = first; i < end; ++i) ps += z[i];
    for (std::size_t i = first; i < end; ++i) pv += (z[i] - ps / p.samples) * (z[i] - ps / p.samples);
    sum += ps;
    pooled += pv;
    first = end;
  }
  EXPECT_NEAR(s.total_mean, sum / first, 1e-6);
  EXPECT_NEAR(s.total_rms, std::sqrt(pooled / first), 1e-5);
  // 2032 samples are exactly 1000 ft, but the length is summed sample by sample and passes
  // 1000 ft on the 2032nd addition: the part closes there.
  EXPECT_EQ(s.parts[0].samples, 2032);
  EXPECT_NEAR(s.section_indexes[0], s.parts[0].rms, 0.00005 + 1e-7);  // the band-pass index shows its RMS
}

TEST(IndexSections, StretchesAtStartCentreAndEnd) {
  // dx = 1 ft: W = 2001 samples.
  EXPECT_EQ(Stretch2000Bounds(2005, 1.0).centre_start, 2);
  // Values of a ramp: the mean of samples a..a+W-1 is a + 1000.
  const IndexSections s = ComputeIndexSections(2, Ramp(3001), 1.0, 1000.0, kMetric);
  EXPECT_DOUBLE_EQ(s.first2000, 1001.0);
  EXPECT_DOUBLE_EQ(s.center2000, 1500.0);
  EXPECT_DOUBLE_EQ(s.last2000, 2001.0);
  EXPECT_DOUBLE_EQ(s.center2000_display, 1500.0);  // the bump index has no unit to convert
  const IndexSections edge = ComputeIndexSections(1, Ramp(2002), 1.0, 1000.0, kMetric);
  EXPECT_DOUBLE_EQ(edge.center2000_display, 1001.0 * 25.4);  // starts at sample 1, not 0
}

TEST(IndexSections, MetricPartMeanStaysInSinglePrecision) {
  // The part mean is converted to millimetres in single precision: for this elevation 25.4 v is
  // 5.66525005... in double but 5.66524982... as a float, so the tables show 5.6652.
  const float v = 0.2230413407087326f;
  const IndexSections mm = ComputeIndexSections(1, std::vector<float>(400, v), 0.5, 1000.0, kMetric);
  EXPECT_EQ(mm.section_indexes, std::vector<float>{5.6652f});
  EXPECT_FLOAT_EQ(mm.parts[0].mean_display, 5.66524982f);
  // The bump index is not converted: its mean is the series value itself.
  EXPECT_EQ(ComputeIndexSections(2, std::vector<float>(400, v), 0.5, 1000.0, kMetric).parts[0].mean_display, v);
}

}  // namespace
}  // namespace tarmac
