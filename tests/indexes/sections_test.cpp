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
  for (int k : {1, 2, 3}) {
    const auto z = Ramp(static_cast<std::size_t>(2000 * k));  // exactly k x A feet
    const IndexSections s = ComputeIndexSections(1, z, 0.5, 1000.0, kUs);
    ASSERT_EQ(s.parts.size(), static_cast<std::size_t>(k)) << k;
    EXPECT_EQ(s.index_part_count, k);
    EXPECT_DOUBLE_EQ(s.averaging_step, 100.0);
    EXPECT_EQ(s.samples_per_part, 2000);
    EXPECT_EQ(s.part_capacity, k + 4);
  }
  const auto z = Ramp(6000);
  const IndexSections s = ComputeIndexSections(1, z, 0.5, 1000.0, kUs);
  // Samples 1..2001, 2002..4002, 4003..6000: means of consecutive integers.
  EXPECT_EQ(s.parts[0].samples, 2001);
  EXPECT_FLOAT_EQ(s.parts[0].mean, 1001.0f);
  EXPECT_FLOAT_EQ(s.parts[1].mean, 3002.0f);
  EXPECT_DOUBLE_EQ(s.parts[2].length_ft, 999.0);
  EXPECT_FLOAT_EQ(s.parts[2].mean, (4003.0f + 6000.0f) / 2.0f);
  // The RMS is the standard deviation of consecutive integers: sqrt((n^2 - 1) / 12).
  EXPECT_NEAR(s.parts[0].rms, std::sqrt((2001.0 * 2001.0 - 1.0) / 12.0), 0.01);
  EXPECT_NEAR(s.parts[2].rms, std::sqrt((1998.0 * 1998.0 - 1.0) / 12.0), 0.01);
}

TEST(IndexSections, ShortLastPartKeptFromATenthDroppedBelowButMinMaxSeeIt) {
  for (int extra : {199, 200}) {  // 99.5 ft and 100 ft after the first full part
    std::vector<float> z(static_cast<std::size_t>(2001 + extra), 0.25f);
    z.back() = -3.0f;
    z[z.size() - 2] = 7.0f;
    const IndexSections s = ComputeIndexSections(1, z, 0.5, 1000.0, kUs);
    EXPECT_EQ(s.parts.size(), extra >= 200 ? 2u : 1u) << extra;
    EXPECT_DOUBLE_EQ(s.minimum, -3.0);
    EXPECT_DOUBLE_EQ(s.maximum, 7.0);
    if (extra < 200) {
      // The dropped part does not reach the totals.
      EXPECT_DOUBLE_EQ(s.total_mean, 0.25);
      EXPECT_DOUBLE_EQ(s.total_rms, 0.0);
    }
  }
  // A series of positive values has a total minimum of zero: the minimum starts there.
  const std::vector<float> pos(500, 2.0f);
  EXPECT_DOUBLE_EQ(ComputeIndexSections(1, pos, 0.5, 1000.0, kUs).minimum, 0.0);
  // A profile shorter than a tenth of A still has its one part and a finite index.
  const IndexSections tiny = ComputeIndexSections(1, pos, 0.1, 1000.0, kUs);
  ASSERT_EQ(tiny.parts.size(), 1u);
  EXPECT_FLOAT_EQ(tiny.parts[0].mean, 2.0f);
  EXPECT_DOUBLE_EQ(tiny.total_mean, 2.0);
  EXPECT_DOUBLE_EQ(tiny.total_rms, 0.0);  // a constant part: no negative variance, no NaN
}

TEST(IndexSections, TotalsAreTheLengthWeightedPoolOfThePartsKept) {
  std::mt19937 rng(7);
  std::normal_distribution<float> dist(0.1f, 0.3f);
  const double dx = 0.49212598425196846;  // six 25-mm samples
  std::vector<float> z(12345);
  for (auto& v : z) v = dist(rng);
  const IndexSections s = ComputeIndexSections(5, z, dx, 1000.0, kUs);
  // Independently: every part's length is its sample count times dx, so the weighted mean is
  // the plain mean of the samples kept, and the weighted RMS pools the within-part variances.
  std::size_t first = 0;
  double sum = 0.0;
  double pooled = 0.0;
  std::size_t kept = 0;
  for (const IndexPart& p : s.parts) {
    double ps = 0.0;
    for (std::size_t i = first; i < first + static_cast<std::size_t>(p.samples); ++i) ps += z[i];
    const double pm = ps / p.samples;
    double pv = 0.0;
    for (std::size_t i = first; i < first + static_cast<std::size_t>(p.samples); ++i)
      pv += (z[i] - pm) * (z[i] - pm);
    sum += ps;
    pooled += pv;
    first += static_cast<std::size_t>(p.samples);
    kept += static_cast<std::size_t>(p.samples);
  }
  EXPECT_NEAR(s.total_mean, sum / kept, 1e-6);
  EXPECT_NEAR(s.total_rms, std::sqrt(pooled / kept), 1e-5);
  EXPECT_DOUBLE_EQ(s.shown_value, s.total_rms);  // the band-pass index shows its RMS
  // 2032 samples are exactly 1000 ft, but the length is summed sample by sample and passes
  // 1000 ft on the 2032nd addition: the part closes there.
  EXPECT_EQ(s.parts[0].samples, 2032);
}

TEST(IndexSections, StretchesAtStartCentreAndEnd) {
  // dx = 1 ft: W = 2001 samples.
  EXPECT_FALSE(Stretch2000Bounds(2000, 1.0).fits);
  for (auto [n, centre] : std::vector<std::pair<int, int>>{{2001, 1}, {2002, 1}, {2003, 1},
                                                           {2005, 2}, {2006, 2}, {3001, 500}}) {
    const Stretch2000 b = Stretch2000Bounds(n, 1.0);
    EXPECT_TRUE(b.fits);
    EXPECT_EQ(b.samples, 2001);
    EXPECT_EQ(b.centre_start, centre) << n;
    EXPECT_EQ(b.last_start, n - 2000);
  }
  // Values of a ramp: the mean of samples a..a+W-1 is a + 1000.
  const auto z = Ramp(3001);
  const IndexSections s = ComputeIndexSections(2, z, 1.0, 1000.0, kMetric);
  EXPECT_DOUBLE_EQ(s.first2000, 1001.0);
  EXPECT_DOUBLE_EQ(s.center2000, 1500.0);
  EXPECT_DOUBLE_EQ(s.last2000, 2001.0);
  EXPECT_DOUBLE_EQ(s.center2000_display, 1500.0);  // the bump index has no unit to convert
  // Just long enough: the centre stretch starts at sample 1, not at a sample 0.
  const IndexSections edge = ComputeIndexSections(1, Ramp(2002), 1.0, 1000.0, kMetric);
  EXPECT_DOUBLE_EQ(edge.center2000, 1001.0);
  EXPECT_DOUBLE_EQ(edge.center2000_display, 1001.0 * 25.4);
  // The band-pass index takes the standard deviation over each stretch.
  const IndexSections bp = ComputeIndexSections(5, z, 1.0, 1000.0, kUs);
  EXPECT_NEAR(bp.first2000, std::sqrt((2001.0 * 2001.0 - 1.0) / 12.0), 1e-6);
  EXPECT_NEAR(bp.center2000, bp.first2000, 1e-6);
  // Shorter than 2000 ft: all three stay zero.
  const IndexSections shortRun = ComputeIndexSections(1, Ramp(2000), 1.0, 1000.0, kUs);
  EXPECT_EQ(shortRun.first2000 + shortRun.center2000 + shortRun.last2000, 0.0);
}

TEST(IndexSections, PublishedValuesAndUnitConversion) {
  std::vector<float> z(3000);
  for (std::size_t i = 0; i < z.size(); ++i) z[i] = (i % 2 == 0) ? 0.123456f : 0.2f;
  const IndexSections us = ComputeIndexSections(1, z, 0.5, 1000.0, kUs);
  const IndexSections mm = ComputeIndexSections(1, z, 0.5, 1000.0, kMetric);
  ASSERT_EQ(us.parts.size(), 2u);
  EXPECT_NEAR(mm.total_mean_display, us.total_mean * 25.4, 1e-12);
  EXPECT_NEAR(mm.parts[1].rms_display, us.parts[1].rms * 25.4, 1e-12);
  EXPECT_NEAR(mm.parts[0].length_display, 1000.5 * 0.3048, 1e-9);
  EXPECT_EQ(us.chart_row, 1);
  EXPECT_EQ(us.text_box, 0);
  EXPECT_EQ(us.chart_title_suffix, ",  StraightEdge Mean(Total Length) = " + us.shown_text);
  // 1000.5 ft and 499.5 ft are 304.952 m and 152.248 m.
  EXPECT_EQ(mm.section_lengths, (std::vector<float>{305.0f, 152.2f}));
  // Section values read back from four decimals.
  for (std::size_t i = 0; i < us.parts.size(); ++i)
    EXPECT_NEAR(us.section_indexes[i], us.parts[i].mean, 0.00005 + 1e-7);
  const IndexSections bp = ComputeIndexSections(5, z, 0.5, 1000.0, kUs);
  EXPECT_EQ(bp.chart_row, 4);
  EXPECT_EQ(bp.chart_title_suffix.rfind(", Bandpass RMS(Total Length) = ", 0), 0u);
  EXPECT_NEAR(bp.section_indexes[0], bp.parts[0].rms, 0.00005 + 1e-7);
  EXPECT_THROW(ComputeIndexSections(3, z, 0.5, 1000.0, kUs), std::invalid_argument);
}

TEST(IndexSections, MetricPartMeanStaysInSinglePrecision) {
  // The part mean is a single-precision value and is converted to millimetres in place, so the
  // converted mean is single precision too. For this elevation the product 25.4 v is
  // 5.66525005... in double precision but 5.66524982... once held as a float: the report and
  // the chart table show 5.6652, not 5.6653.
  const float v = 0.2230413407087326f;
  const IndexSections mm = ComputeIndexSections(1, std::vector<float>(400, v), 0.5, 1000.0, kMetric);
  ASSERT_EQ(mm.parts.size(), 1u);
  EXPECT_EQ(mm.section_indexes, std::vector<float>{5.6652f});
  EXPECT_EQ(IndexReportLines(mm, kMetric)[8], "     1        61.0              5.6652                0.0000");
  // The bump index is not converted: its mean is the series value itself.
  const IndexSections bump = ComputeIndexSections(2, std::vector<float>(400, v), 0.5, 1000.0, kMetric);
  EXPECT_EQ(bump.parts[0].mean_display, v);
}

TEST(IndexSections, ReportLinesInBothUnitSystems) {
  // 2400 samples at 0.5 ft: part 1 is 2001 samples of 0.5 in, part 2 the 399 left of 0.25 in.
  std::vector<float> z(2400, 0.25f);
  for (std::size_t i = 0; i < 2001; ++i) z[i] = 0.5f;
  const std::vector<std::string> us = IndexReportLines(ComputeIndexSections(1, z, 0.5, 1000.0, kUs), kUs);
  const std::vector<std::string> expectUs = {
      "Profile total length = 1,200.0(ft)",
      "Profile step length = 0.50000(ft)",
      "Method of Computing Profile Index is StraightEdge",
      "Total min  = 0.0000",
      "Total max  = 0.5000",
      "Total Mean = 0.4584",  // (0.5 x 1000.5 + 0.25 x 199.5) / 1200
      "Total RMS  = 0.0000",
      "    partI   length (ft)   PartMean (in)     PartRMS (in)",
      "     1     1,000.5              0.5000                0.0000",
      "     2       199.5              0.2500                0.0000",
      ""};
  EXPECT_EQ(us, expectUs);

  const std::vector<std::string> mm =
      IndexReportLines(ComputeIndexSections(1, z, 0.5, 1000.0, kMetric), kMetric);
  const std::vector<std::string> expectMm = {
      "Profile total length = 365.8(m)",
      "Profile step length = 0.15240(m)",
      "Method of Computing Profile Index is StraightEdge",
      "Total min  = 0.0000",
      "Total max  = 12.7000",
      "Total Mean = 11.6443",
      "Total RMS  = 0.0000",
      "    partI   length (m)   PartMean (mm)     PartRMS (mm)",
      "     1       305.0             12.7000                0.0000",
      "     2        60.8              6.3500                0.0000",
      ""};
  EXPECT_EQ(mm, expectMm);

  // The bump index: dimensionless mean heading, values not converted in metric mode.
  std::vector<float> b(400);
  for (std::size_t i = 0; i < b.size(); ++i) b[i] = (i % 2 == 0) ? 1.0f : 3.0f;
  const std::vector<std::string> bump =
      IndexReportLines(ComputeIndexSections(2, b, 0.5, 1000.0, kMetric), kMetric);
  ASSERT_EQ(bump.size(), 10u);
  EXPECT_EQ(bump[2], "Method of Computing Profile Index is BoeingIndex");
  EXPECT_EQ(bump[5], "Total Mean = 2.0000");
  EXPECT_EQ(bump[6], "Total RMS  = 1.0000");
  EXPECT_EQ(bump[7], "    partI   length (m)   PartMean (-)           PartRMS (mm)");
  EXPECT_EQ(bump[8], "     1        61.0              2.0000                1.0000");
}

}  // namespace
}  // namespace tarmac
