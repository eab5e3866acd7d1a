#include "indexes/profilograph.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "common/number_format.h"

namespace tarmac {
namespace {

TEST(Profilograph, GeometryAtTheUsualSpacing) {
  const ProfilographGeometry g = MakeProfilographGeometry(0.5);
  EXPECT_EQ(g.o1, 32);  // 32.5 rounds to even
  EXPECT_EQ(g.o2, 28);  // 27.5 rounds to even
  EXPECT_EQ(g.o3, 22);  // 22.5 rounds to even
  EXPECT_EQ(g.o4, 18);  // 17.5 rounds to even
  EXPECT_EQ(g.m, 1);
  EXPECT_NEAR(g.wheel[1], (1.3 - std::sqrt(1.69 - 0.25)) * 12, 1e-12);
  EXPECT_EQ(ScallopMinSamples(0.5), 4);
  EXPECT_EQ(ScallopMinSamples(0.8), 2);  // 2.5 rounds to even
}

TEST(Profilograph, RawTraceOfInclineAndSpike) {
  // A straight incline is its own support line everywhere, ends included (odd reflection keeps
  // it straight): the trace is zero.
  const double dx = 0.25;
  std::vector<float> incline(400);
  for (std::size_t i = 0; i < incline.size(); ++i) incline[i] = static_cast<float>(0.01 * i);
  for (float v : ProfilographRawTrace(incline, dx)) EXPECT_NEAR(v, 0.0f, 2e-6);

  // A spike of height H: the recording wheel rides over it (less the wheel's curvature beside
  // it), and each support wheel that meets it lifts the reference by its weight / 16.
  std::vector<float> z(600, 0.0f);
  const int p = 300;  // 1-based
  const float H = 0.8f;
  z[p - 1] = H;
  const auto t = ProfilographRawTrace(z, dx);
  const ProfilographGeometry g = MakeProfilographGeometry(dx);
  ASSERT_GE(g.m, 2);
  EXPECT_FLOAT_EQ(t[p - 1], H);
  for (int j = 1; j <= g.m; ++j) {  // beside the spike the wheel rests on the level when lower
    EXPECT_FLOAT_EQ(t[p - 1 + j], static_cast<float>(std::max(0.0, H - g.wheel[j])));
    EXPECT_FLOAT_EQ(t[p - 1 - j], static_cast<float>(std::max(0.0, H - g.wheel[j])));
  }
  EXPECT_GT(t[p], 0.0f);
  EXPECT_FLOAT_EQ(t[p - 1 + g.o1], -H / 16);
  EXPECT_FLOAT_EQ(t[p - 1 - g.o2], -3 * H / 16);
  EXPECT_FLOAT_EQ(t[p - 1 + g.o3], -3 * H / 16);
  EXPECT_FLOAT_EQ(t[p - 1 - g.o4], -H / 16);
  EXPECT_EQ(t[p - 1 + g.o1 + 1], 0.0f);
  // Short profiles are reflected as far as the frame reaches, without running off the data.
  const auto shortTrace = ProfilographRawTrace(std::vector<float>{0.f, 0.1f, 0.3f}, dx);
  for (float v : shortTrace) EXPECT_TRUE(std::isfinite(v));
}

TEST(Profilograph, FitSectionLineBothAbscissae) {
  // A straight trace y = 0.3 + 0.002 x (x in samples from the section start): both formulas
  // recover it, the first section with x = 0 at its first sample, later ones with x = 1.
  const double dx = 0.5;
  std::vector<float> tr(300);
  for (int i = 0; i < 300; ++i) tr[i] = static_cast<float>(0.3 + 0.002 * (i - 100));
  const SectionLine a = FitSectionLine(tr, dx, 101, 200, 1);
  EXPECT_NEAR(a.slope, 0.002 / dx, 1e-7);
  EXPECT_NEAR(a.intercept, 0.3, 1e-6);
  const SectionLine b = FitSectionLine(tr, dx, 101, 200, 2);
  EXPECT_NEAR(b.slope, 0.002 / dx, 1e-7);
  EXPECT_NEAR(b.intercept, 0.3 - 0.002, 1e-6);
}

// Flat trace with rectangular bumps: {first sample, samples, height}.
std::vector<float> Bumps(int n, std::initializer_list<std::array<double, 3>> bumps) {
  std::vector<float> t(n, 0.0f);
  for (const auto& b : bumps)
    for (int k = 0; k < static_cast<int>(b[1]); ++k) t[static_cast<int>(b[0]) - 1 + k] = static_cast<float>(b[2]);
  return t;
}

TEST(Profilograph, ScallopLengthAndHeight) {
  const double dx = 0.5;  // a scallop needs 4 samples
  const SectionLine level{};
  auto scan = [&](const std::vector<float>& t) {
    ScallopScan s;
    CountScallops(t, dx, 1, static_cast<std::int32_t>(t.size()), level, 0.0, true, ScallopMinSamples(dx), true, s);
    return s;
  };
  // 3 ft beyond the band (6 samples) 0.1 in high counts with its height; 1.5 ft does not.
  const auto three = scan(Bumps(100, {{{20, 6, 0.2}}}));
  EXPECT_EQ(three.count, 1);
  EXPECT_NEAR(three.sum, 0.1, 1e-6);
  EXPECT_EQ(scan(Bumps(100, {{{20, 3, 0.2}}})).count, 0);
  EXPECT_EQ(scan(Bumps(100, {{{20, 4, 0.2}}})).count, 1);
  // 0.025 in beyond the edge is not more than 0.03 in; 0.035 in is.
  EXPECT_EQ(scan(Bumps(100, {{{20, 6, 0.125}}})).count, 0);
  EXPECT_EQ(scan(Bumps(100, {{{20, 6, 0.135}}})).count, 1);
  // The peak is the largest excursion of the scallop; a scallop open at the end is not closed.
  auto tall = Bumps(100, {{{20, 6, 0.15}}, {{95, 6, 0.4}}});
  tall[22] = 0.5f;
  const auto s = scan(tall);
  EXPECT_EQ(s.count, 1);
  EXPECT_NEAR(s.sum, 0.4, 1e-6);
  EXPECT_EQ(s.length, 6);
  EXPECT_NEAR(s.peak, 0.3, 1e-6);
  // Below the band likewise.
  ScallopScan low;
  CountScallops(Bumps(100, {{{40, 8, -0.3}}}), dx, 1, 100, level, 0.0, false, 4, true, low);
  EXPECT_EQ(low.count, 1);
  EXPECT_NEAR(low.sum, 0.2, 1e-6);
}

TEST(Profilograph, SectionIndexOfOneBump) {
  NullProgress np;
  const Units us = MakeUnits(false);
  const double dx = 0.5, S = 50.0;  // sections of 100 samples
  // 1000 samples: 10 sections; the bump lies in section 3 (samples 201..301).
  const auto t = Bumps(1000, {{{240, 6, 0.2}}});
  const ProfilographStretch st = EvaluateProfilographStretch(t, dx, S, us, np);
  ASSERT_EQ(st.sections.size(), 10u);
  for (std::size_t j = 0; j < st.sections.size(); ++j) {
    const auto& sec = st.sections[j];
    if (j != 2) {
      EXPECT_EQ(sec.pi, 0.0) << j;
      continue;
    }
    // The band sits on the section's mean (the bump lifts it by 6 x 0.2 / 101).
    const SectionLine fit = FitSectionLine(t, dx, sec.first, sec.last, 3);
    const double excess = 0.2 - (fit.slope * (240 - 201 + 4) * dx + fit.intercept) - 0.1;
    EXPECT_EQ(sec.iterations, 1);
    EXPECT_NEAR(sec.height_sum, excess, 2e-3);
    EXPECT_NEAR(sec.pi, sec.height_sum / (50.0 / 5280), 1e-9);
  }
  // The last section ends at the last sample: 99 samples apart.
  EXPECT_DOUBLE_EQ(st.sections[9].length_ft, 49.5);
  EXPECT_NEAR(st.index, st.sections[2].pi * 50 / (9 * 50 + 49.5), 1e-9);
}

TEST(Profilograph, SectionsAndTheLeftoverRule) {
  NullProgress np;
  const Units us = MakeUnits(false);
  const double dx = 0.5, S = 50.0;  // q = 100 samples, a tenth of S = 10 samples
  const auto a = EvaluateProfilographStretch(std::vector<float>(1010, 0.f), dx, S, us, np);
  ASSERT_EQ(a.sections.size(), 10u);  // exactly a tenth left over: it joins the last section
  EXPECT_EQ(a.sections[0].first, 1);
  EXPECT_EQ(a.sections[0].last, 101);  // sections share their boundary sample
  EXPECT_EQ(a.sections[9].first, 901);
  EXPECT_EQ(a.sections[9].last, 1010);
  EXPECT_DOUBLE_EQ(a.sections[9].length_ft, 54.5);
  const auto b = EvaluateProfilographStretch(std::vector<float>(1011, 0.f), dx, S, us, np);
  ASSERT_EQ(b.sections.size(), 11u);  // more than a tenth: a short section of its own
  EXPECT_EQ(b.sections[10].first, 1001);
  EXPECT_EQ(b.sections[10].last, 1011);
  EXPECT_EQ(b.sections[9].last, 1001);
  // Shorter than a tenth of a section: still one section with an index.
  const auto c = EvaluateProfilographStretch(Bumps(12, {{{3, 6, 0.3}}}), dx, S, us, np);
  ASSERT_EQ(c.sections.size(), 1u);
  EXPECT_TRUE(std::isfinite(c.index));
}

TEST(Profilograph, ScallopAcrossABoundaryCountsOnceInTheLaterSection) {
  NullProgress np;
  const Units us = MakeUnits(false);
  const double dx = 0.5, S = 50.0;
  // Samples 96..105 (5 ft): open at the end of section 1 (sample 101) and closed in section 2.
  const auto t = Bumps(400, {{{96, 10, 0.25}}});
  const auto st = EvaluateProfilographStretch(t, dx, S, us, np);
  ASSERT_EQ(st.sections.size(), 4u);
  // Its height beyond the later section's band, continued straight back over the boundary.
  auto peak = [&](const ProfilographSection& sec, int from, int to) {
    double p = 0;
    for (int i = from; i <= to; ++i)
      p = std::max(p, t[i - 1] - (sec.band.slope * (i - sec.first + 1) * dx + sec.band.intercept) - 0.1);
    return p;
  };
  EXPECT_EQ(st.sections[0].height_sum, 0.0);
  EXPECT_NEAR(st.sections[1].height_sum, peak(st.sections[1], 96, 105), 1e-6);
  EXPECT_GT(st.sections[1].height_sum, 0.09);
  EXPECT_EQ(st.sections[2].height_sum, 0.0);
  // Its part in section 2 alone (samples 101..105, 5 samples at dx 0.5) would count as well;
  // with a part of 3 samples there it only counts because its earlier part is carried over.
  const auto t2 = Bumps(400, {{{96, 8, 0.25}}});  // 96..103: 3 samples in section 2
  const auto st2 = EvaluateProfilographStretch(t2, dx, S, us, np);
  EXPECT_EQ(st2.sections[0].height_sum, 0.0);
  EXPECT_GT(st2.sections[1].height_sum, 0.09);
  EXPECT_EQ(st2.sections[2].height_sum, 0.0);
}

TEST(Profilograph, CentringStopsAfter51Counts) {
  // Eight equal bumps above the band and three equal dips below it, laid out symmetrically so
  // the band is level, with 3-sample gaps too short to count. Raising the band by 0.01 in at a
  // time, the eight bumps all drop out together at about 0.075 in: the difference jumps between
  // +5 and -3, never balances, never repeats eleven times, and the band hunts around that
  // height until the count limit.
  NullProgress np;
  const double dx = 0.5;
  const std::string layout = "bbdbbdbbdbb";
  std::vector<float> t(3, 0.0f);
  for (char e : layout) {
    for (int s = 0; s < 4; ++s) t.push_back(e == 'b' ? 0.2053f : -0.5475f);
    for (int s = 0; s < 3; ++s) t.push_back(0.0f);
  }
  const auto n = static_cast<std::int32_t>(t.size());
  const SectionLine fit = FitSectionLine(t, dx, 1, n, 1);
  EXPECT_NEAR(fit.slope, 0.0, 1e-12);
  std::int32_t reversals = 0;
  const BandCentring c = CentreBand(t, dx, 1, n, fit, 4, reversals, np);
  EXPECT_EQ(c.iterations, 51);
  EXPECT_NEAR(c.offset, 0.2053 - fit.intercept - 0.13, 0.011);
  // A balanced trace stops at the first count.
  std::int32_t r2 = 0;
  EXPECT_EQ(CentreBand(std::vector<float>(200, 0.f), dx, 1, 200, SectionLine{}, 4, r2, np).iterations, 1);
  // One bump more above than below is balanced enough.
  const auto one = Bumps(200, {{{50, 6, 0.4}}});
  EXPECT_EQ(CentreBand(one, dx, 1, 200, FitSectionLine(one, dx, 1, 200, 1), 4, r2, np).iterations, 1);
}

TEST(Profilograph, WholeProfileLevelAndRough) {
  NullProgress np;
  const double dx = 0.49;
  const int N = static_cast<int>(2600 / dx);
  // Level: no scallops anywhere.
  const auto level = ComputeCAProfilograph(std::vector<float>(N, 3.0f), dx, 500.0, MakeUnits(false), np);
  EXPECT_EQ(level.total, 0.0);
  EXPECT_EQ(level.total_text, "0.0000");
  EXPECT_EQ(level.First2000, 0.0);
  // A rough profile: values in both unit systems, the stretches and the tables.
  std::mt19937 gen(4);
  std::normal_distribution<double> g(0, 0.05);
  std::vector<float> z(N);
  double a = 0;
  for (int i = 0; i < N; ++i) {
    a = 0.9 * a + g(gen);
    z[i] = static_cast<float>(a + 0.3 * std::sin(i * dx / 4.0));
  }
  const auto us = ComputeCAProfilograph(z, dx, 500.0, MakeUnits(false), np);
  const auto si = ComputeCAProfilograph(z, dx, 500.0, MakeUnits(true), np);
  EXPECT_GT(us.total, 1.0);
  EXPECT_GT(us.First2000, 0.0);
  EXPECT_GT(us.Center2000, 0.0);
  EXPECT_GT(us.Last2000, 0.0);
  EXPECT_NEAR(si.total, us.total * 0.015778787, 1e-9);
  EXPECT_NEAR(si.Last2000, us.Last2000 * 0.015778787, 1e-9);
  ASSERT_EQ(us.index_part_count, 6);  // 2600 ft: five sections of 1020 samples and 100 ft more
  EXPECT_FLOAT_EQ(us.CAPISectionLengths[5], 100.5f);  // 205 samples apart: 100.45 ft
  EXPECT_FLOAT_EQ(us.CAPISectionLengths[0], 499.8f);
  EXPECT_FLOAT_EQ(si.CAPISectionLengths[0], static_cast<float>(std::round(1020 * dx * 0.3048 * 10) / 10));
  // The index is the length-weighted mean of the sections.
  double w = 0, l = 0;
  for (const auto& s : us.whole.sections) {
    w += s.pi * s.length_ft;
    l += s.length_ft;
  }
  EXPECT_NEAR(us.total, w / l, 1e-9);
  // The trace passed through the 2-ft low-pass: it is smoother than the raw trace.
  const auto raw = ProfilographRawTrace(z, dx);
  auto roughness = [](const std::vector<float>& v) {
    double s = 0;
    for (std::size_t i = 1; i < v.size(); ++i) s += std::fabs(v[i] - v[i - 1]);
    return s;
  };
  EXPECT_LT(roughness(us.trace), roughness(raw));
}

TEST(Profilograph, ReportLines) {
  NullProgress np;
  const double dx = 0.5;
  const auto z = std::vector<float>(2401, 0.0f);  // 1200.5 ft
  const auto r = ComputeCAProfilograph(z, dx, 500.0, MakeUnits(false), np);
  ASSERT_EQ(r.report_lines.size(), 3u + 2u + 3u + 1u);
  EXPECT_EQ(r.report_lines[0], "Profile total length = 1,200.5(ft)");
  EXPECT_EQ(r.report_lines[1], "Profile step length = 0.50000(ft)");
  EXPECT_EQ(r.report_lines[2], "Methods of Measuring Profile Index is CA Profilograph");
  EXPECT_EQ(r.report_lines[3], "PI total = 0.0000");
  EXPECT_EQ(r.report_lines[4], "    partI   length (ft)     Index,(in/mile)");
  EXPECT_EQ(r.report_lines[5], "     1       500.0              0.0000");
  EXPECT_EQ(r.report_lines[7], "     3       200.0              0.0000");
  EXPECT_EQ(r.report_lines[8], "");
  EXPECT_EQ(r.chart_title_suffix, ",  CA PI(Total Length) = 0.0000");
  const auto m = ComputeCAProfilograph(z, dx, 500.0, MakeUnits(true), np);
  EXPECT_EQ(m.report_lines[4], "    partI   length (m)     Index,m/km");
  EXPECT_EQ(m.report_lines[5], "     1       152.4              0.0000");
}

}  // namespace
}  // namespace tarmac
