#include "indexes/profilograph.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace tarmac {
namespace {

const Units kUs = MakeUnits(false);

// Flat trace with rectangular bumps: {first sample, samples, height}.
std::vector<float> Bumps(int n, std::initializer_list<std::array<double, 3>> bumps) {
  std::vector<float> t(n, 0.0f);
  for (const auto& b : bumps)
    for (int k = 0; k < static_cast<int>(b[1]); ++k) t[static_cast<int>(b[0]) - 1 + k] = static_cast<float>(b[2]);
  return t;
}

TEST(Profilograph, GeometryAndRawTraceOfASpike) {
  const ProfilographGeometry half = MakeProfilographGeometry(0.5);
  EXPECT_EQ(std::vector<int>({half.o1, half.o2, half.o3, half.o4}), std::vector<int>({32, 28, 22, 18}));  // halves to even
  EXPECT_EQ(ScallopMinSamples(0.8), 2);  // 2.5 rounds to even
  // A spike of height H: the recording wheel rides over it (less the wheel's curvature beside
  // it), and each support wheel that meets it lifts the reference by its weight / 16.
  const double dx = 0.25;
  const int p = 300;  // 1-based
  const float H = 0.8f;
  std::vector<float> z(600, 0.0f);
  z[p - 1] = H;
  const auto t = ProfilographRawTrace(z, dx);
  const ProfilographGeometry g = MakeProfilographGeometry(dx);
  EXPECT_FLOAT_EQ(t[p - 1], H);
  for (int j = 1; j <= g.m; ++j) {
    EXPECT_FLOAT_EQ(t[p - 1 + j], static_cast<float>(std::max(0.0, H - g.wheel[j])));
    EXPECT_FLOAT_EQ(t[p - 1 - j], static_cast<float>(std::max(0.0, H - g.wheel[j])));
  }
  EXPECT_FLOAT_EQ(t[p - 1 + g.o1], -H / 16);
  EXPECT_FLOAT_EQ(t[p - 1 - g.o2], -3 * H / 16);
  EXPECT_FLOAT_EQ(t[p - 1 + g.o3], -3 * H / 16);
  EXPECT_FLOAT_EQ(t[p - 1 - g.o4], -H / 16);
  EXPECT_EQ(t[p - 1 + g.o1 + 1], 0.0f);
}

TEST(Profilograph, FitLineAndScallops) {
  // A straight trace y = 0.3 + 0.002 x: the first section counts x from 0, later ones from 1.
  const double dx = 0.5;  // a scallop needs 4 samples
  std::vector<float> tr(300);
  for (int i = 0; i < 300; ++i) tr[i] = static_cast<float>(0.3 + 0.002 * (i - 100));
  EXPECT_NEAR(FitSectionLine(tr, dx, 101, 200, 1).intercept, 0.3, 1e-6);
  EXPECT_NEAR(FitSectionLine(tr, dx, 101, 200, 2).intercept, 0.3 - 0.002, 1e-6);
  EXPECT_NEAR(FitSectionLine(tr, dx, 101, 200, 2).slope, 0.002 / dx, 1e-7);
  auto scan = [&](const std::vector<float>& t, bool above) {
    ScallopScan s;
    CountScallops(t, dx, 1, static_cast<std::int32_t>(t.size()), SectionLine{}, 0.0, above, 4, true, s);
    return s;
  };
  // {samples, height, counted}: 2 ft beyond the 0.1-in band counts, 1.5 ft does not; 0.035 in
  // beyond the edge is more than 0.03 in, 0.025 in is not.
  for (auto [len, h, counted] : {std::tuple{3, 0.2, 0}, {4, 0.2, 1}, {6, 0.125, 0}, {6, 0.135, 1}})
    EXPECT_EQ(scan(Bumps(100, {{{20, double(len), h}}}), true).count, counted) << len << " " << h;
  // The peak is the largest excursion; a scallop open at the end is not closed.
  auto tall = Bumps(100, {{{20, 6, 0.15}}, {{95, 6, 0.4}}});
  tall[22] = 0.5f;
  EXPECT_EQ(scan(tall, true).count, 1);
  EXPECT_NEAR(scan(tall, true).sum, 0.4, 1e-6);
  EXPECT_NEAR(scan(Bumps(100, {{{40, 8, -0.3}}}), false).sum, 0.2, 1e-6);  // below the band
}

TEST(Profilograph, SectionsAndTheLeftoverRule) {
  NullProgress np;
  const double dx = 0.5, S = 50.0;  // q = 100 samples, a tenth of S = 10 samples
  const auto a = EvaluateProfilographStretch(std::vector<float>(1010, 0.f), dx, S, kUs, np);
  ASSERT_EQ(a.sections.size(), 10u);  // exactly a tenth left over: it joins the last section
  EXPECT_EQ(a.sections[0].last, 101);  // sections share their boundary sample
  EXPECT_EQ(a.sections[9].last, 1010);
  EXPECT_DOUBLE_EQ(a.sections[9].length_ft, 54.5);
  const auto b = EvaluateProfilographStretch(std::vector<float>(1011, 0.f), dx, S, kUs, np);
  ASSERT_EQ(b.sections.size(), 11u);  // more than a tenth: a short section of its own
  EXPECT_EQ(b.sections[10].first, 1001);
  EXPECT_EQ(b.sections[10].last, 1011);
  // Shorter than a tenth of a section: still one section with an index.
  EXPECT_TRUE(std::isfinite(EvaluateProfilographStretch(Bumps(12, {{{3, 6, 0.3}}}), dx, S, kUs, np).index));
}

TEST(Profilograph, ScallopAcrossABoundaryCountsOnceInTheLaterSection) {
  NullProgress np;
  const double dx = 0.5, S = 50.0;
  // Samples 96..103: open at the end of section 1 (sample 101), closed in section 2 after only
  // 3 samples there; it counts because its earlier part is carried over.
  const auto t = Bumps(400, {{{96, 8, 0.25}}});
  const auto st = EvaluateProfilographStretch(t, dx, S, kUs, np);
  ASSERT_EQ(st.sections.size(), 4u);
  // Its height beyond the later section's band, continued straight back over the boundary.
  const auto& sec = st.sections[1];
  double peak = 0;
  for (int i = 96; i <= 103; ++i)
    peak = std::max(peak, t[i - 1] - (sec.band.slope * (i - sec.first + 1) * dx + sec.band.intercept) - 0.1);
  EXPECT_EQ(st.sections[0].height_sum, 0.0);
  EXPECT_NEAR(sec.height_sum, peak, 1e-6);
  EXPECT_GT(sec.height_sum, 0.09);
  EXPECT_NEAR(sec.pi, sec.height_sum * 5280 / 50, 1e-9);  // inches per mile
  EXPECT_EQ(st.sections[2].height_sum, 0.0);
}

TEST(Profilograph, CentringStopsAfter51Counts) {
  // Eight equal bumps above a level band and three dips below: raising the band 0.01 in at a
  // time, the eight drop out together, the count never balances and hunts until the limit.
  NullProgress np;
  const double dx = 0.5;
  std::vector<float> t(3, 0.0f);
  for (char e : std::string("bbdbbdbbdbb")) {
    for (int s = 0; s < 4; ++s) t.push_back(e == 'b' ? 0.2053f : -0.5475f);
    for (int s = 0; s < 3; ++s) t.push_back(0.0f);
  }
  const auto n = static_cast<std::int32_t>(t.size());
  const SectionLine fit = FitSectionLine(t, dx, 1, n, 1);
  std::int32_t reversals = 0;
  const BandCentring c = CentreBand(t, dx, 1, n, fit, 4, reversals, np);
  EXPECT_EQ(c.iterations, 51);
  EXPECT_NEAR(c.offset, 0.2053 - fit.intercept - 0.13, 0.011);
}

TEST(Profilograph, WholeProfileInBothUnitSystems) {
  NullProgress np;
  const double dx = 0.49;
  const int N = static_cast<int>(2600 / dx);
  std::vector<float> z(N);
  for (int i = 0; i < N; ++i) z[i] = static_cast<float>(0.3 * std::sin(i * dx / 4.0) + 0.2 * std::sin(i * dx / 0.7));
  const auto us = ComputeCAProfilograph(z, dx, 500.0, kUs, np);
  const auto si = ComputeCAProfilograph(z, dx, 500.0, MakeUnits(true), np);
  EXPECT_GT(us.total, 1.0);
  EXPECT_NEAR(si.total, us.total * 0.015778787, 1e-9);
  ASSERT_EQ(us.index_part_count, 6);  // 2600 ft: five sections of 1020 samples and 100 ft more
  EXPECT_FLOAT_EQ(us.section_lengths[5], 100.5f);  // 205 samples apart: 100.45 ft
  EXPECT_FLOAT_EQ(si.section_lengths[0], 152.3f);  // 1020 x 0.49 ft = 152.34 m
}

}  // namespace
}  // namespace tarmac
