#include "indexes/exceedance_series.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "common/progress.h"
#include "common/units.h"

namespace tarmac {
namespace {

TEST(ShortIntervalIri, SlidingMeanAtTheWindowMiddleAndUnknownNearTheEnds) {
  // 25 ft at 5 ft: a window of five samples, written at its third.
  EXPECT_EQ(ShortIriWindow(25.0, 5.0), 5);
  EXPECT_EQ(ShortIriWindow(25.0, 100.0), 1);
  std::vector<float> slope(9, 100.0f);
  slope[4] = 600.0f;  // one rough sample in the middle
  const std::vector<float> iri = ShortIntervalIri(slope, 5.0, 25.0);
  ASSERT_EQ(iri.size(), slope.size());
  const std::vector<float> expected = {0, 0, 200, 200, 200, 200, 200, 0, 0};
  for (std::size_t i = 0; i < iri.size(); ++i) EXPECT_NEAR(iri[i], expected[i], 1e-4) << i;
  // An even window: four samples at 6.25 ft, written at the lower middle (the second).
  const std::vector<float> ramp = {4, 8, 12, 16, 20};
  const std::vector<float> even = ShortIntervalIri(ramp, 6.25, 25.0);
  EXPECT_EQ(even, (std::vector<float>{0, 10, 14, 0, 0}));
  // A window longer than the series knows nothing.
  const std::vector<float> three = {1, 2, 3};
  EXPECT_EQ(ShortIntervalIri(three, 1.0, 25.0), (std::vector<float>{0, 0, 0}));
}

TEST(ScallopHeights, OnlyCountedScallopsAboveTheBandEdge) {
  // A flat trace of one section with a band along zero: a bump 0.5 in high and 3 ft long, a
  // bump 0.5 in high but shorter than a scallop (1 ft), and a dip below the band.
  ProfilographResult r;
  r.spacing = 0.5;
  r.trace.assign(60, 0.0f);
  for (int i = 10; i < 16; ++i) r.trace[static_cast<std::size_t>(i)] = 0.6f;   // 6 samples, 3 ft
  for (int i = 30; i < 32; ++i) r.trace[static_cast<std::size_t>(i)] = 0.6f;   // 2 samples, 1 ft
  for (int i = 45; i < 52; ++i) r.trace[static_cast<std::size_t>(i)] = -0.6f;  // a dip
  r.trace[59] = 0.3f;  // open at the section's end: the profilograph keeps it
  ProfilographSection sec;
  sec.first = 1;
  sec.last = 60;
  r.whole.sections.push_back(sec);
  const std::vector<float> h = ScallopHeightsAboveBand(r);
  ASSERT_EQ(h.size(), r.trace.size());
  for (std::size_t i = 0; i < h.size(); ++i) {
    const float want = (i >= 10 && i < 16) ? 0.5f : i == 59 ? 0.2f : 0.0f;
    EXPECT_NEAR(h[i], want, 1e-6) << i;
  }
  // The band's slope and intercept are those the profilograph laid: a band raised by 0.5 in
  // leaves the bump 0.0 in above its edge, so nothing.
  r.whole.sections[0].band.intercept = 0.5;
  for (const float x : ScallopHeightsAboveBand(r)) EXPECT_LE(x, 0.0f);
}

TEST(ScallopHeights, FromARealProfilographRun) {
  // A smooth profile with one 0.8-in bump 5 ft long: the heights are those the profilograph's
  // own count found, so their peak matches a scallop above 0.3 in at the bump.
  const double dx = 0.25;
  std::vector<float> z(4000, 0.0f);
  for (int i = 2000; i < 2020; ++i)
    z[static_cast<std::size_t>(i)] =
        static_cast<float>(0.8 * std::sin(M_PI * (i - 2000) / 20.0));
  NullProgress progress;
  const ProfilographResult r = ComputeCAProfilograph(z, dx, 500.0, MakeUnits(false), progress);
  const std::vector<float> h = ScallopHeightsAboveBand(r);
  std::size_t peakAt = 0;
  for (std::size_t i = 0; i < h.size(); ++i)
    if (h[i] > h[peakAt]) peakAt = i;
  EXPECT_GT(h[peakAt], 0.3f);
  EXPECT_NEAR(static_cast<double>(peakAt) * dx, 2010 * dx, 25.0);  // within the instrument
}

}  // namespace
}  // namespace tarmac
