#include "profile/exceedances.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <vector>

namespace tarmac {
namespace {

struct Span {
  std::int32_t first, last, peak_sample;
  float peak;
  bool operator==(const Span&) const = default;
};

std::vector<Span> Runs(const std::vector<float>& v, double limit, LimitSide side, double dx,
                      double merge) {
  std::vector<Span> out;
  for (const auto& s : FindExceedances(v, limit, side, dx, merge))
    out.push_back({s.first, s.last, s.peak_sample, s.peak});
  return out;
}

TEST(Exceedances, RunsTouchingTheEndsSingleSamplesAndTheLimitItself) {
  // Sample 1 and the last sample are beyond; sample 5 alone; a value equal to the limit is
  // within (strictly beyond counts).
  const std::vector<float> v = {0.9f, 0.6f, 0.1f, 0.5f, 0.7f, 0.2f, 0.3f, 0.55f, 0.8f};
  EXPECT_EQ(Runs(v, 0.5, LimitSide::Above, 1.0, 0.0),
            (std::vector<Span>{{1, 2, 1, 0.9f}, {5, 5, 5, 0.7f}, {8, 9, 9, 0.8f}}));
  // Nothing beyond, and an empty series.
  EXPECT_TRUE(Runs(v, 0.9, LimitSide::Above, 1.0, 0.0).empty());
  EXPECT_TRUE(Runs({}, 0.1, LimitSide::Above, 1.0, 10.0).empty());
  // Everything beyond: one stretch over the whole series, the first of equal peaks kept.
  EXPECT_EQ(Runs({2.0f, 3.0f, 1.5f, 3.0f}, 1.0, LimitSide::Above, 0.5, 0.0),
            (std::vector<Span>{{1, 4, 2, 3.0f}}));
}

TEST(Exceedances, RunsCloserThanTheMergeDistanceAreOne) {
  // Beyond at samples 2, 5 and 12 at a spacing of 2 ft: 2 and 5 lie 6 ft apart, 5 and 12 14 ft.
  std::vector<float> v(14, 0.0f);
  v[1] = 1.2f, v[4] = 1.5f, v[11] = 1.1f;
  EXPECT_EQ(Runs(v, 1.0, LimitSide::Above, 2.0, 6.5),
            (std::vector<Span>{{2, 5, 5, 1.5f}, {12, 12, 12, 1.1f}}));
  // Exactly the merge distance apart is not closer than it.
  EXPECT_EQ(Runs(v, 1.0, LimitSide::Above, 2.0, 6.0).size(), 3u);
  EXPECT_EQ(Runs(v, 1.0, LimitSide::Above, 2.0, 14.5),
            (std::vector<Span>{{2, 12, 5, 1.5f}}));
  // The same profile measured in metres or feet merges alike: the distance is what counts.
  const double ft = 0.3048;
  EXPECT_EQ(Runs(v, 1.0, LimitSide::Above, 2.0 * ft, 6.5 * ft),
            Runs(v, 1.0, LimitSide::Above, 2.0, 6.5));
}

TEST(Exceedances, BothSignsKeepTheSignOfThePeakAndSkipNotANumber) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const std::vector<float> v = {0.1f, -0.5f, 0.45f, nan, 0.0f, 0.41f, -0.39f};
  EXPECT_EQ(Runs(v, 0.4, LimitSide::BothSigns, 1.0, 0.0),
            (std::vector<Span>{{2, 3, 2, -0.5f}, {6, 6, 6, 0.41f}}));
  // Above ignores the negative side entirely.
  EXPECT_EQ(Runs(v, 0.4, LimitSide::Above, 1.0, 0.0),
            (std::vector<Span>{{3, 3, 3, 0.45f}, {6, 6, 6, 0.41f}}));
  EXPECT_THROW(FindExceedances(v, 0.4, LimitSide::Above, 0.0, 0.0), std::invalid_argument);
  EXPECT_THROW(FindExceedances(v, 0.4, LimitSide::Above, 1.0, -1.0), std::invalid_argument);
}

TEST(Exceedances, ExtentCoversTheSamplesSpacings) {
  // Samples 3..5 at 0.25 ft: from 0.5 ft (sample 3) to 1.25 ft, one spacing past sample 5.
  const StretchExtent e = ExtentOf({3, 5, 4, 1.0f}, 0.25);
  EXPECT_DOUBLE_EQ(e.start_ft, 0.5);
  EXPECT_DOUBLE_EQ(e.end_ft, 1.25);
  EXPECT_DOUBLE_EQ(e.length_ft(), 0.75);
  EXPECT_DOUBLE_EQ(e.peak_ft, 0.75);
  // A single first sample starts at the profile start and still has a length.
  EXPECT_DOUBLE_EQ(ExtentOf({1, 1, 1, 1.0f}, 0.5).length_ft(), 0.5);
}

}  // namespace
}  // namespace tarmac
