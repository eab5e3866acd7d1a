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
    for (int L = 5; L <= K && i + L - 1 <= N; ++L) {
      const double c = (L - 1) * dx;
      const double r = ((Z[i + L - 1] - z0) / c) * dx;
      double line = z0, mx = 0, mn = 0;
      bool accepted = true;
      for (int k = 1; k <= L - 2 && accepted; ++k) {
        line = line + r;
        D[k] = Z[i + k] - line;
        if (D[k] > mx) mx = D[k];
        else if (D[k] < mn) mn = D[k];
        accepted = !(mn < 0 && mx > 0);
      }
      for (int k = 1; accepted && k <= L - 2; ++k) {
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
  out.index.assign(BI.begin() + 1, BI.end());
  out.height.assign(BH.begin() + 1, BH.end());
  out.distance.assign(BD.begin() + 1, BD.end());
  out.chord_length.assign(BL.begin() + 1, BL.end());
  return out;
}

bool SameBits(const std::vector<float>& a, const std::vector<float>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

TEST(BoeingBump, FastEqualsReferenceBitForBit) {
  NullProgress np;
  std::mt19937 gen(12345);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  for (int trial = 0; trial < 6; ++trial) {
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
    EXPECT_TRUE(SameBits(fast.index, ref.index)) << trial;
    EXPECT_TRUE(SameBits(fast.height, ref.height)) << trial;
    EXPECT_TRUE(SameBits(fast.distance, ref.distance)) << trial;
    EXPECT_TRUE(SameBits(fast.chord_length, ref.chord_length)) << trial;
  }
  // The cubic holds up to 18 m inclusive, the line beyond.
  EXPECT_NE(AllowableBumpHeight(18.0), 0.16543 * 18.0 + 6.0843);
  EXPECT_DOUBLE_EQ(AllowableBumpHeight(std::nextafter(18.0, 100.0)), 0.16543 * std::nextafter(18.0, 100.0) + 6.0843);
}

TEST(BoeingBump, SymmetricDipEndsAndMargins) {
  // A V-shaped dip of 0.8 in over samples 1..21 (dx 1 ft): sample 11 is rated 10 ft from the
  // supports; distances past the middle are measured from the chord end.
  NullProgress np;
  const int w = 10;
  std::vector<float> z(2 * w + 1, 0.0f);
  for (int k = 1; k < 2 * w; ++k) z[k] = static_cast<float>(-0.8 * std::min(k, 2 * w - k) / w);
  const auto d = ComputeBoeingBumpSeries(z, 1.0, np);
  EXPECT_FLOAT_EQ(d.index[w], static_cast<float>(std::fabs(-0.8f * 2.54) / AllowableBumpHeight(w * 0.3048)));
  EXPECT_EQ(d.chord_length[w], 2.0f * w);
  EXPECT_EQ(d.distance[w], static_cast<float>(w));
  EXPECT_EQ(d.distance[w + 1], static_cast<float>(-(w - 1)));
  // End samples never lie strictly inside a chord; four samples hold no chord of five.
  EXPECT_EQ(d.index.front(), 0.0f);
  EXPECT_EQ(d.index.back(), 0.0f);
  for (float v : ComputeBoeingBumpSeries(std::vector<float>{0.f, -3.f, -3.f, 0.f}, 0.82, np).index)
    EXPECT_EQ(v, 0.0f);
  EXPECT_THROW(ComputeBoeingBumpSeries(z, 0.0, np), std::invalid_argument);
  // A prepared profile is read from sample 1 to n, never in its margins.
  PreparedProfile p;
  p.n = 50;
  p.margin = 3;
  p.spacing = 0.82;
  p.z.assign(static_cast<std::size_t>(p.n + 2 * p.margin + 3), 9.0f);
  for (int i = 1; i <= p.n; ++i) p.at(i) = static_cast<float>(0.1 * ((i * 7) % 5));
  std::vector<float> plain(p.data1(), p.data1() + p.n);
  EXPECT_TRUE(SameBits(ComputeBoeingBumpSeries(p, np).index, ReferenceBump(plain, p.spacing).index));
}

}  // namespace
}  // namespace tarmac
