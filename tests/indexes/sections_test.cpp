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
  EXPECT_EQ(s.chart_title_suffix.rfind(", Bandpass RMS(Total Length) = ", 0), 0u);
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
  EXPECT_EQ(IndexReportLines(mm, kMetric)[8], "     1        61.0              5.6652                0.0000");
  // The bump index is not converted: its mean is the series value itself.
  EXPECT_EQ(ComputeIndexSections(2, std::vector<float>(400, v), 0.5, 1000.0, kMetric).parts[0].mean_display, v);
}

TEST(IndexSections, ReportLinesInBothUnitSystems) {
  // 2400 samples at 0.5 ft: part 1 is 2001 samples of 0.5 in, part 2 the 399 left of 0.25 in.
  std::vector<float> z(2400, 0.25f);
  std::fill(z.begin(), z.begin() + 2001, 0.5f);
  const IndexSections us = ComputeIndexSections(1, z, 0.5, 1000.0, kUs);
  EXPECT_EQ(IndexReportLines(us, kUs),
            (std::vector<std::string>{"Profile total length = 1,200.0(ft)", "Profile step length = 0.50000(ft)",
                                      "Method of Computing Profile Index is StraightEdge", "Total min  = 0.0000",
                                      "Total max  = 0.5000",
                                      "Total Mean = 0.4584",  // (0.5 x 1000.5 + 0.25 x 199.5) / 1200
                                      "Total RMS  = 0.0000",
                                      "    partI   length (ft)   PartMean (in)     PartRMS (in)",
                                      "     1     1,000.5              0.5000                0.0000",
                                      "     2       199.5              0.2500                0.0000", ""}));
  EXPECT_EQ(us.chart_title_suffix, ",  StraightEdge Mean(Total Length) = " + us.shown_text);
  EXPECT_EQ(IndexReportLines(ComputeIndexSections(1, z, 0.5, 1000.0, kMetric), kMetric),
            (std::vector<std::string>{"Profile total length = 365.8(m)", "Profile step length = 0.15240(m)",
                                      "Method of Computing Profile Index is StraightEdge", "Total min  = 0.0000",
                                      "Total max  = 12.7000", "Total Mean = 11.6443", "Total RMS  = 0.0000",
                                      "    partI   length (m)   PartMean (mm)     PartRMS (mm)",
                                      "     1       305.0             12.7000                0.0000",
                                      "     2        60.8              6.3500                0.0000", ""}));
  // The bump index: dimensionless mean heading, values not converted in metric mode.
  std::vector<float> b(400);
  for (std::size_t i = 0; i < b.size(); ++i) b[i] = (i % 2 == 0) ? 1.0f : 3.0f;
  const auto bump = IndexReportLines(ComputeIndexSections(2, b, 0.5, 1000.0, kMetric), kMetric);
  EXPECT_EQ(bump[2], "Method of Computing Profile Index is BoeingIndex");
  EXPECT_EQ(bump[7], "    partI   length (m)   PartMean (-)           PartRMS (mm)");
  EXPECT_EQ(bump[8], "     1        61.0              2.0000                1.0000");
}

}  // namespace
}  // namespace tarmac
