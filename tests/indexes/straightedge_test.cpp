#include "indexes/straightedge.h"

#include "common/progress.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <stdexcept>
#include <vector>

namespace tarmac {
namespace {

using Pos = StraightedgePosition;

// Independent reference for one window: the edge rests on the pair of samples a < b, straddling
// the middle, with no sample of the window above the line through them (the earliest such pair
// when the middle is itself a support point). Checked only on data without collinear triples.
struct Reference {
  double deviation;
  int offset;
};
Reference BruteForceWindow(const std::vector<float>& z, int s, int m, Pos pos) {
  const double mid = s + (m - 1) / 2.0;
  for (int a = s; a <= s + m - 1; ++a) {
    if (a > mid) break;
    for (int b = std::max(a + 1, static_cast<int>(std::ceil(mid))); b <= s + m - 1; ++b) {
      const double slope = (double(z[b - 1]) - z[a - 1]) / (b - a);
      bool supports = true;
      for (int k = s; k <= s + m - 1 && supports; ++k)
        if (z[a - 1] + slope * (k - a) - z[k - 1] < -1e-9) supports = false;
      if (!supports) continue;
      Reference r{-1e9, 0};
      const int lo = pos == Pos::Between ? a : s, hi = pos == Pos::Between ? b : s + m - 1;
      for (int k = lo; k <= hi; ++k) {
        const double gap = z[a - 1] + slope * (k - a) - z[k - 1];
        if (gap > r.deviation) r = {gap, k - s};
      }
      return r;
    }
  }
  ADD_FAILURE() << "no supporting pair";
  return {0, 0};
}

TEST(Straightedge, WindowRoundsHalvesToEven) {
  EXPECT_EQ(StraightedgeWindow(12.25, 0.5), 25);  // 24.5 -> 24
  EXPECT_EQ(StraightedgeWindow(12.75, 0.5), 27);  // 25.5 -> 26
  std::vector<float> z(40, 0.0f);
  const auto r = ComputeStraightedge(z, 12.25, 0.5, Pos::FullLength);
  EXPECT_EQ(r.window, 25);
  EXPECT_DOUBLE_EQ(r.edge_used, 12.0);
}

TEST(Straightedge, SlopingLineHasNoGap) {
  std::vector<float> z(500);
  for (std::size_t i = 0; i < z.size(); ++i) z[i] = static_cast<float>(0.25 * i - 40.0);
  for (Pos pos : {Pos::FullLength, Pos::Between}) {
    const auto r = ComputeStraightedge(z, 12.0, 0.49212598425196846, pos);
    for (float d : r.StraightedgeDeviation) ASSERT_EQ(d, 0.0f);
    // The line lies on the profile at both ends of each window.
    for (int s = 1; s <= 500 - r.window; ++s) {
      ASSERT_FLOAT_EQ(r.StraightedgeLineStart[s - 1], z[s - 1]);
      ASSERT_FLOAT_EQ(r.StraightedgeLineEnd[s - 1], z[s + r.window - 2]);
    }
  }
}

TEST(Straightedge, DipGivesItsDepthAndPointsAtTheBottom) {
  // Level profile, a V-shaped dip of depth 0.5 in centred on sample 60; m = 25.
  std::vector<float> z(120, 1.0f);
  z[58] = 0.75f;
  z[59] = 0.5f;
  z[60] = 0.75f;
  const auto r = ComputeStraightedge(z, 12.0, 0.5, Pos::FullLength);
  ASSERT_EQ(r.window, 25);
  for (int s = 1; s <= 120 - 25; ++s) {
    const bool spans = s < 59 && s + 24 > 61;  // the edge rests on level ground both sides
    if (spans) {
      EXPECT_FLOAT_EQ(r.StraightedgeDeviation[s - 1], 0.5f) << s;
      EXPECT_EQ(s + r.StraightedgeGapOffset[s - 1], 60) << s;
    } else if (s > 61 || s + 24 < 59) {
      EXPECT_EQ(r.StraightedgeDeviation[s - 1], 0.0f) << s;
      EXPECT_EQ(r.StraightedgeGapOffset[s - 1], 0) << s;  // the first of equal gaps
    }
  }
  // The last m entries are never evaluated.
  for (int i = 120 - 25 + 1; i <= 120; ++i) EXPECT_EQ(r.StraightedgeDeviation[i - 1], 0.0f);
}

TEST(Straightedge, BumpRestsTheEdgeOnItInBothPositions) {
  // m = 25 (dx 0.5, edge 12), window 1 covers samples 1..25, middle at sample 13. A bump of
  // 1 in at sample 5: the hull is 1, 5, 25 and the edge rests on 5 and 25 (they straddle 13).
  std::vector<float> z(40, 0.0f);
  z[4] = 1.0f;
  const auto full = ComputeStraightedge(z, 12.0, 0.5, Pos::FullLength);
  // Line through (5, 1) and (25, 0): at sample 1 it stands 1 + 4/20 above level ground.
  EXPECT_FLOAT_EQ(full.StraightedgeDeviation[0], 1.2f);
  EXPECT_EQ(full.StraightedgeGapOffset[0], 0);
  EXPECT_FLOAT_EQ(full.StraightedgeLineStart[0], 1.2f);
  EXPECT_FLOAT_EQ(full.StraightedgeLineEnd[0], 0.0f);
  // Between 5 and 25 only: the largest gap is at sample 6, 19/20 of the bump.
  const auto between = ComputeStraightedge(z, 12.0, 0.5, Pos::Between);
  EXPECT_FLOAT_EQ(between.StraightedgeDeviation[0], 0.95f);
  EXPECT_EQ(between.StraightedgeGapOffset[0], 5);
  // Two equal dips under a level edge: the first one is reported.
  std::vector<float> two(40, 0.0f);
  two[7] = -0.3f;
  two[17] = -0.3f;
  const auto eq = ComputeStraightedge(two, 12.0, 0.5, Pos::FullLength);
  EXPECT_EQ(eq.StraightedgeGapOffset[0], 7);
}

TEST(Straightedge, IncrementalHullEqualsHullBuiltAfresh) {
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> coarse(0, 3);  // plateaus and collinear runs
  std::normal_distribution<float> fine(0.0f, 0.2f);
  for (int trial = 0; trial < 4; ++trial) {
    std::vector<float> z(800);
    float walk = 0.0f;
    for (auto& v : z) {
      walk += trial % 2 == 0 ? fine(rng) : 0.0f;
      v = trial % 2 == 0 ? walk : static_cast<float>(coarse(rng)) * 0.5f;
    }
    for (int m : {2, 3, 25, 61}) {
      UpperHull moving(m), fresh(m);
      BuildUpperHull(z, moving, 1, m);
      for (int s = 2; s <= 800 - m; ++s) {
        ShiftUpperHull(z, moving, s, m);
        BuildUpperHull(z, fresh, s, m);
        ASSERT_EQ(moving.count, fresh.count) << trial << " m=" << m << " s=" << s;
        for (int j = 1; j <= fresh.count; ++j)
          ASSERT_EQ(moving.index[j], fresh.index[j]) << trial << " m=" << m << " s=" << s;
      }
    }
  }
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
        const Reference ref = BruteForceWindow(z, s, r.window, pos);
        ASSERT_NEAR(r.StraightedgeDeviation[s - 1], ref.deviation, 1e-5) << s;
        ASSERT_EQ(r.StraightedgeGapOffset[s - 1], ref.offset) << s;
        ASSERT_GE(r.StraightedgeDeviation[s - 1], 0.0f);
      }
    }
  }
}

TEST(Straightedge, RefusesShortProfilesAndNeverReadsPastTheEnd) {
  // m = 25: 25 samples are refused, 26 give exactly one window.
  std::vector<float> z(26 + 10, std::numeric_limits<float>::quiet_NaN());
  for (int i = 0; i < 26; ++i) z[i] = static_cast<float>(std::sin(i * 0.7));
  const std::span<const float> all(z);
  EXPECT_THROW(ComputeStraightedge(all.first(25), 12.0, 0.5, Pos::FullLength), std::invalid_argument);
  EXPECT_THROW(ComputeStraightedge(all.first(0), 12.0, 0.5, Pos::FullLength), std::invalid_argument);
  EXPECT_THROW(ComputeStraightedge(all.first(26), 0.1, 0.5, Pos::FullLength), std::invalid_argument);
  const auto r = ComputeStraightedge(all.first(26), 12.0, 0.5, Pos::FullLength);
  ASSERT_EQ(r.StraightedgeDeviation.size(), 26u);
  EXPECT_TRUE(std::isfinite(r.StraightedgeDeviation[0]));
  EXPECT_GT(r.StraightedgeDeviation[0], 0.0f);
  EXPECT_EQ(r.StraightedgeDeviation[1], 0.0f);
  EXPECT_EQ(StraightedgePositionFromText("Between"), Pos::Between);
  EXPECT_EQ(StraightedgePositionFromText("Full Length"), Pos::FullLength);
  EXPECT_EQ(StraightedgePositionFromText("anything"), Pos::FullLength);
}

TEST(Straightedge, CancellationStopsTheRun) {
  class CancelAfter final : public Progress {
   public:
    void step(long long done, long long total) override {
      last = done;
      EXPECT_LE(done, total);
    }
    bool cancelled() const override { return last > 500; }
    long long last = 0;
  } progress;
  std::vector<float> z(5000, 0.0f);
  EXPECT_THROW(ComputeStraightedge(z, 12.0, 0.5, Pos::FullLength, progress), Cancelled);
  EXPECT_LT(progress.last, 1000);
}

}  // namespace
}  // namespace tarmac
