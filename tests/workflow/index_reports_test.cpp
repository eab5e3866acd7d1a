#include "workflow/index_reports.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/number_format.h"
#include "common/progress.h"
#include "indexes/rough_profile.h"

namespace tarmac {
namespace {

const Units kUs = MakeUnits(false);
const Units kMetric = MakeUnits(true);

using testing::RoughProfile;

TEST(IndexReports, SectionedIndexesInBothUnitSystems) {
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
  EXPECT_EQ(IndexChartTitleSuffix(us), ",  StraightEdge Mean(Total Length) = 0.4584");
  EXPECT_EQ(IndexValueText(us.shown_value), "0.4584");
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
  // The band-pass index is shown by its RMS, in the fifth value box; the others by their mean.
  const IndexSections band = ComputeIndexSections(5, b, 0.5, 1000.0, kUs);
  EXPECT_EQ(IndexChartTitleSuffix(band), ", Bandpass RMS(Total Length) = 1.0000");
  EXPECT_EQ(IndexValueBox(kStraightedgeLevel), 0);
  EXPECT_EQ(IndexValueBox(kBoeingBumpLevel), 1);
  EXPECT_EQ(IndexValueBox(kBandpassLevel), 4);
  EXPECT_THROW(IndexValueBox(3), std::invalid_argument);
  // The metric part mean is converted in single precision: 5.6652, not 5.6653.
  const IndexSections mm = ComputeIndexSections(1, std::vector<float>(400, 0.2230413407087326f), 0.5,
                                                1000.0, kMetric);
  EXPECT_EQ(IndexReportLines(mm, kMetric)[8], "     1        61.0              5.6652                0.0000");
}

TEST(IndexReports, IriReportInBothUnitSystems) {
  NullProgress np;
  const auto z = RoughProfile(2401, 0.5, 2);  // 1200 ft: one full part and a 200-ft part
  double totals[2];
  for (bool metric : {false, true}) {
    const IriResult r = ComputeIRI(z, 0.5, 1000.0, MakeUnits(metric), np);
    const auto L = IriReportLines(r, MakeUnits(metric));
    ASSERT_EQ(L.size(), 8u);
    if (!metric) {
      EXPECT_EQ(L[0], "Profile total length = 1,200.0(ft)");
      EXPECT_EQ(L[4], "    partI   length ft   Index, m/km");
      EXPECT_EQ(L[6].substr(0, 18), "     2       200.0");
    } else {
      EXPECT_EQ(L[0], "Profile total length = 365.8(m)");
      EXPECT_EQ(L[4], "    partI   length m   Index, m/km");
      EXPECT_EQ(L[5].substr(0, 18), "     1       304.8");
    }
    EXPECT_EQ(L[2], "Methods of Measuring Profile Index is IRI 1/4 Car");
    EXPECT_EQ(L[3], "IRI total = " + FormatNumber(r.total, "0.0000"));
    EXPECT_EQ(L[5].substr(18), RightAlign(20, FormatNumber(r.part_iri[0], "0.0000")));
    EXPECT_EQ(IriChartTitleSuffix(r), ",  IRI(Total Length) = " + FormatNumber(r.total, "0.0000"));
    totals[metric] = r.total;
  }
  EXPECT_NEAR(totals[1], totals[0] * 0.015778787, 1e-9);  // in/mile to m/km
}

TEST(IndexReports, ProfilographReportInBothUnitSystems) {
  NullProgress np;
  const auto z = std::vector<float>(2401, 0.0f);  // 1200.5 ft
  const auto r = ComputeCAProfilograph(z, 0.5, 500.0, kUs, np);
  EXPECT_EQ(ProfilographReportLines(r, kUs), (std::vector<std::string>{
                                "Profile total length = 1,200.5(ft)", "Profile step length = 0.50000(ft)",
                                "Methods of Measuring Profile Index is CA Profilograph", "PI total = 0.0000",
                                "    partI   length (ft)     Index,(in/mile)",
                                "     1       500.0              0.0000", "     2       500.0              0.0000",
                                "     3       200.0              0.0000", ""}));
  EXPECT_EQ(ProfilographChartTitleSuffix(r), ",  CA PI(Total Length) = 0.0000");
  const auto m = ComputeCAProfilograph(z, 0.5, 500.0, kMetric, np);
  const auto mLines = ProfilographReportLines(m, kMetric);
  EXPECT_EQ(mLines[4], "    partI   length (m)     Index,m/km");
  EXPECT_EQ(mLines[5], "     1       152.4              0.0000");
}

}  // namespace
}  // namespace tarmac
