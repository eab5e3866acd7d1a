#include "indexes/straightedge.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <stdexcept>
#include <vector>

namespace tarmac {
namespace {

using Pos = StraightedgePosition;

// Independent reference for one window: the edge rests on the earliest pair a < b straddling the
// middle with no sample above the line through them. Only for data without collinear triples.
std::pair<double, int> BruteForceWindow(const std::vector<float>& z, int s, int m, Pos pos) {
  const double mid = s + (m - 1) / 2.0;
  for (int a = s; a <= mid; ++a) {
    for (int b = std::max(a + 1, static_cast<int>(std::ceil(mid))); b <= s + m - 1; ++b) {
      const double slope = (double(z[b - 1]) - z[a - 1]) / (b - a);
      bool supports = true;
      for (int k = s; k <= s + m - 1 && supports; ++k) supports = z[a - 1] + slope * (k - a) - z[k - 1] >= -1e-9;
      if (!supports) continue;
      std::pair<double, int> r{-1e9, 0};
      const int lo = pos == Pos::Between ? a : s, hi = pos == Pos::Between ? b : s + m - 1;
      for (int k = lo; k <= hi; ++k)
        if (z[a - 1] + slope * (k - a) - z[k - 1] > r.first) r = {z[a - 1] + slope * (k - a) - z[k - 1], k - s};
      return r;
    }
  }
  ADD_FAILURE() << "no supporting pair";
  return {0, 0};
}

TEST(Straightedge, MatchesBruteForceOnRoughProfiles) {
  std::mt19937 rng(3);
  std::normal_distribution<float> step(0.0f, 0.05f);
  std::vector<float> z(600);
  float walk = 0.0f;
  for (auto& v : z) v = (walk += step(rng));
  for (Pos pos : {Pos::FullLength, Pos::Between}) {
    for (double edge : {3.0, 12.0, 16.0}) {
      const auto r = ComputeStraightedge(z, edge, 0.49212598425196846, pos);
      for (int s = 1; s <= 600 - r.window; ++s) {
        const auto [deviation, offset] = BruteForceWindow(z, s, r.window, pos);
        ASSERT_NEAR(r.deviation[s - 1], deviation, 1e-5) << s;
        ASSERT_EQ(r.gap_offset[s - 1], offset) << s;
      }
      for (int i = 600 - r.window + 1; i <= 600; ++i) ASSERT_EQ(r.deviation[i - 1], 0.0f);
    }
  }
}

TEST(Straightedge, EdgeLineTiesAndWindowRounding) {
  // m = 25 (dx 0.5, edge 12): a bump of 1 in at sample 5 rests the edge on samples 5 and 25,
  // which straddle the middle (13); at sample 1 the line stands 1 + 4/20 above level ground.
  std::vector<float> z(40, 0.0f);
  z[4] = 1.0f;
  const auto full = ComputeStraightedge(z, 12.0, 0.5, Pos::FullLength);
  EXPECT_FLOAT_EQ(full.line_start[0], 1.2f);
  // Two equal dips under a level edge: the first one is reported.
  std::vector<float> two(40, 0.0f);
  two[7] = two[17] = -0.3f;
  EXPECT_EQ(ComputeStraightedge(two, 12.0, 0.5, Pos::FullLength).gap_offset[0], 7);
  // A sloping line (all points collinear) has no gap anywhere.
  std::vector<float> line(500);
  for (std::size_t i = 0; i < line.size(); ++i) line[i] = static_cast<float>(0.25 * i - 40.0);
  for (float d : ComputeStraightedge(line, 12.0, 0.49212598425196846, Pos::Between).deviation)
    ASSERT_EQ(d, 0.0f);
  // The window rounds halves to even: 24.5 -> 24 and 25.5 -> 26 gaps.
  EXPECT_EQ(StraightedgeWindow(12.25, 0.5), 25);
  EXPECT_EQ(StraightedgeWindow(12.75, 0.5), 27);
  EXPECT_DOUBLE_EQ(ComputeStraightedge(z, 12.25, 0.5, Pos::FullLength).edge_used, 12.0);
}

TEST(Straightedge, RefusesShortProfilesAndNeverReadsPastTheEnd) {
  // m = 25: 25 samples are refused, 26 give exactly one window; NaN beyond must stay unread.
  std::vector<float> z(26 + 10, std::numeric_limits<float>::quiet_NaN());
  for (int i = 0; i < 26; ++i) z[i] = static_cast<float>(std::sin(i * 0.7));
  const std::span<const float> all(z);
  EXPECT_THROW(ComputeStraightedge(all.first(25), 12.0, 0.5, Pos::FullLength), std::invalid_argument);
  EXPECT_THROW(ComputeStraightedge(all.first(26), 0.1, 0.5, Pos::FullLength), std::invalid_argument);
  const auto r = ComputeStraightedge(all.first(26), 12.0, 0.5, Pos::FullLength);
  EXPECT_GT(r.deviation[0], 0.0f);  // false for NaN
  EXPECT_EQ(r.deviation[1], 0.0f);
}

}  // namespace
}  // namespace tarmac
