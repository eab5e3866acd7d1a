#include "indexes/bump_index.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace tarmac {
namespace {

// The plain reading of the method, with 1-based arrays, no tables and no shortcuts. The fast
// implementation must agree with it bit for bit.
BoeingBumpSeries ReferenceBump(const std::vector<float>& z0based, double dx) {
  const int N = static_cast<int>(z0based.size());
  std::vector<float> Z(N + 1);
  for (int i = 1; i <= N; ++i) Z[i] = z0based[i - 1];
  std::vector<float> BI(N + 1, 0.f), BH(N + 1, 0.f), BD(N + 1, 0.f), BL(N + 1, 0.f);
  const int K = static_cast<int>(std::floor(197.0 / dx)) + 1;
  std::vector<double> D(K + 1);
  for (int i = 1; i <= N - 2; ++i) {
    const double z0 = Z[i];
    for (int L = 5; L <= K; ++L) {
      const int j = i + L - 1;
      if (j > N) break;
      const double c = (L - 1) * dx;
      const double r = ((Z[j] - z0) / c) * dx;
      double line = z0, mx = 0, mn = 0;
      bool accepted = true;
      for (int k = 1; k <= L - 2; ++k) {
        line = line + r;
        D[k] = Z[i + k] - line;
        if (D[k] > mx) mx = D[k];
        else if (D[k] < mn) mn = D[k];
        if (mn < 0 && mx > 0) {
          accepted = false;
          break;
        }
      }
      if (!accepted) continue;
      for (int k = 1; k <= L - 2; ++k) {
        double s = k * dx;
        if (s > c * 0.5) s = s - c;
        const double e = std::fabs(s) * 0.3048;
        const double h = e <= 18.0 ? ((0.000799 * e - 0.039084) * e + 0.844797) * e + 1.859029
                                   : 0.16543 * e + 6.0843;
        const double b = std::fabs(D[k] * 2.54) / h;
        if (b > BI[i + k]) {
          BI[i + k] = static_cast<float>(b);
          BH[i + k] = static_cast<float>(D[k]);
          BD[i + k] = static_cast<float>(s);
          BL[i + k] = static_cast<float>(c);
        }
      }
    }
  }
  BoeingBumpSeries out;
  out.BoeingIndex.assign(BI.begin() + 1, BI.end());
  out.BoeingBumpHeight.assign(BH.begin() + 1, BH.end());
  out.BoeingBumpDistance.assign(BD.begin() + 1, BD.end());
  out.BoeingBumpLength.assign(BL.begin() + 1, BL.end());
  return out;
}

bool SameBits(const std::vector<float>& a, const std::vector<float>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

TEST(BoeingBump, AllowableHeightBreakpoint) {
  // The cubic holds up to 18 m inclusive, the line beyond; they differ at 18 m.
  const double cubic18 = ((0.000799 * 18.0 - 0.039084) * 18.0 + 0.844797) * 18.0 + 1.859029;
  EXPECT_DOUBLE_EQ(AllowableBumpHeight(18.0), cubic18);
  EXPECT_DOUBLE_EQ(AllowableBumpHeight(std::nextafter(18.0, 100.0)),
                   0.16543 * std::nextafter(18.0, 100.0) + 6.0843);
  EXPECT_NE(AllowableBumpHeight(18.0), 0.16543 * 18.0 + 6.0843);
  // Grows with distance on both sides of the breakpoint.
  for (double e = 0.0; e < 60.0; e += 0.5) EXPECT_LT(AllowableBumpHeight(e), AllowableBumpHeight(e + 0.5));
}

TEST(BoeingBump, LevelAndTooShortProfilesGiveZero) {
  NullProgress np;
  const std::vector<float> level(300, 1.25f);
  const auto r = ComputeBoeingBumpSeries(level, 0.82, np);
  for (float v : r.BoeingIndex) EXPECT_EQ(v, 0.0f);
  // Four samples hold no chord of five.
  const std::vector<float> four{0.f, -3.f, -3.f, 0.f};
  const auto s = ComputeBoeingBumpSeries(four, 0.82, np);
  for (float v : s.BoeingIndex) EXPECT_EQ(v, 0.0f);
  EXPECT_THROW(ComputeBoeingBumpSeries(level, 0.0, np), std::invalid_argument);
}

TEST(BoeingBump, SymmetricDipRatedAgainstItsSupports) {
  // A V-shaped dip between samples a and a + 2w: its deepest point is rated d / h(e), e the
  // distance to the nearer support; distances are measured from the chord start up to the middle.
  NullProgress np;
  const double dx = 1.0;
  const int N = 200, a = 1, w = 10;  // samples, 1-based
  const double dInches = 0.8;
  std::vector<float> z(N, 0.0f);
  for (int k = 1; k < 2 * w; ++k) {
    const int dist = std::min(k, 2 * w - k);
    z[a + k - 1] = static_cast<float>(-dInches * dist / w);
  }
  const auto r = ComputeBoeingBumpSeries(z, dx, np);
  const int deepest = a + w;  // 1-based
  const double e = w * dx * 0.3048;
  const double expected = std::fabs(static_cast<float>(-dInches) * 2.54) / AllowableBumpHeight(e);
  EXPECT_FLOAT_EQ(r.BoeingIndex[deepest - 1], static_cast<float>(expected));
  EXPECT_FLOAT_EQ(r.BoeingBumpHeight[deepest - 1], static_cast<float>(-dInches));
  // Longer chords from the same start tie in double and may replace the float; all keep w dx.
  EXPECT_GE(r.BoeingBumpLength[deepest - 1], static_cast<float>(2 * w * dx));
  EXPECT_EQ(r.BoeingBumpDistance[deepest - 1], static_cast<float>(w * dx));
  // The dip alone: only the chord a..a+2w reaches the deepest point with that ratio.
  const std::vector<float> dipOnly(z.begin(), z.begin() + 2 * w + 1);
  const auto d = ComputeBoeingBumpSeries(dipOnly, dx, np);
  EXPECT_EQ(d.BoeingBumpLength[w], static_cast<float>(2 * w * dx));
  EXPECT_EQ(d.BoeingBumpDistance[w], static_cast<float>(w * dx));
  EXPECT_EQ(d.BoeingIndex[w], r.BoeingIndex[deepest - 1]);
  // Past the middle, distances are negative (from the chord end).
  EXPECT_EQ(d.BoeingBumpDistance[w + 1], static_cast<float>(-(w - 1) * dx));
  EXPECT_LT(r.BoeingBumpDistance[deepest], 0.0f);
  // First and last samples never lie strictly inside a chord.
  EXPECT_EQ(r.BoeingIndex.front(), 0.0f);
  EXPECT_EQ(r.BoeingIndex.back(), 0.0f);
}

TEST(BoeingBump, SineHalfWavesOnly) {
  // Chords spanning a crossing are rejected: with a 40-ft sine, a one-sided chord reaches at
  // most from trough to trough (or crest to crest), one wavelength.
  NullProgress np;
  const double dx = 0.5;
  std::vector<float> z(800);
  for (std::size_t i = 0; i < z.size(); ++i)
    z[i] = static_cast<float>(0.3 * std::sin(2 * M_PI * i * dx / 40.0 + 0.3));
  const auto r = ComputeBoeingBumpSeries(z, dx, np);
  for (std::size_t i = 0; i < z.size(); ++i) EXPECT_LE(r.BoeingBumpLength[i], 40.0f + 2 * dx);
}

TEST(BoeingBump, FastEqualsReferenceBitForBit) {
  NullProgress np;
  std::mt19937 gen(12345);
  for (int trial = 0; trial < 6; ++trial) {
    std::uniform_real_distribution<double> u(0.0, 1.0);
    const double dx = trial % 2 ? 0.82021 : 2.1 + trial;  // K of about 241 and smaller
    const int N = 400 + 90 * trial;
    // A random walk (long one-sided stretches) plus noise (many early rejections).
    std::vector<float> z(N);
    double walk = 0;
    for (int i = 0; i < N; ++i) {
      walk += (u(gen) - 0.5) * 0.2;
      z[i] = static_cast<float>(walk + 0.4 * std::sin(i * dx / (7.0 + trial)) +
                                (trial % 3 == 0 ? 0.02 * (u(gen) - 0.5) : 0.0));
    }
    const auto fast = ComputeBoeingBumpSeries(z, dx, np);
    const auto ref = ReferenceBump(z, dx);
    EXPECT_TRUE(SameBits(fast.BoeingIndex, ref.BoeingIndex)) << trial;
    EXPECT_TRUE(SameBits(fast.BoeingBumpHeight, ref.BoeingBumpHeight)) << trial;
    EXPECT_TRUE(SameBits(fast.BoeingBumpDistance, ref.BoeingBumpDistance)) << trial;
    EXPECT_TRUE(SameBits(fast.BoeingBumpLength, ref.BoeingBumpLength)) << trial;
  }
}

TEST(BoeingBump, PreparedProfileAndCancel) {
  PreparedProfile p;
  p.n = 50;
  p.margin = 3;
  p.spacing = 0.82;
  p.z.assign(static_cast<std::size_t>(p.n + 2 * p.margin + 3), 9.0f);  // margins must be ignored
  for (int i = 1; i <= p.n; ++i) p.at(i) = static_cast<float>(0.1 * ((i * 7) % 5));
  NullProgress np;
  std::vector<float> plain(p.data1(), p.data1() + p.n);
  EXPECT_TRUE(SameBits(ComputeBoeingBumpSeries(p, np).BoeingIndex,
                       ComputeBoeingBumpSeries(plain, p.spacing, np).BoeingIndex));
  struct Stop final : Progress {
    void step(long long, long long) override {}
    bool cancelled() const override { return true; }
  } stop;
  EXPECT_THROW(ComputeBoeingBumpSeries(std::vector<float>(500, 0.f), 0.82, stop), Cancelled);
}

}  // namespace
}  // namespace tarmac
