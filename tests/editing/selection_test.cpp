#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <stdexcept>
#include <vector>

#include "editing/new_length.h"
#include "editing/selection.h"
#include "editing/vertical_curve.h"

namespace tarmac {
namespace {

TEST(Selection, ClickOnADrawnSampleGivesThatSampleInBothUnitSystems) {
  for (double factor : {1.0, 0.3048}) {
    for (double step : {0.25, 0.5, 2.5, 1.5 * 0.3048}) {
      const std::int32_t n = 4000;
      for (std::int32_t i = 1; i <= n; i += 7) {
        const auto x = static_cast<float>(i * step * factor / 100.0);
        ASSERT_EQ(ClickToSample(x, factor, step, n), i) << factor << " " << step;
      }
    }
  }
  // Halfway between samples rounds to the even one.
  EXPECT_EQ(ClickToSample(2.5f, 1.0, 100.0, 10), 2);
  EXPECT_EQ(ClickToSample(3.5f, 1.0, 100.0, 10), 4);
  // Clicks before the first or past the last sample stay on the profile.
  EXPECT_EQ(ClickToSample(-3.0f, 1.0, 0.25, 500), 1);
  EXPECT_EQ(ClickToSample(0.0f, 1.0, 0.25, 500), 1);
  EXPECT_EQ(ClickToSample(1e30f, 0.3048, 0.25, 500), 500);
  EXPECT_EQ(ClickToSample(1.0f, 1.0, 0.25, 0), 1);

  const Selection a = OrderSelection(900, 120);
  const Selection b = OrderSelection(120, 900);
  EXPECT_EQ(a.start, 120);
  EXPECT_EQ(a.end, 900);
  EXPECT_EQ(b.start, a.start);
  EXPECT_EQ(b.end, a.end);
}

TEST(Selection, ZoomLimits) {
  EXPECT_FALSE(CheckZoom("ZProfile", {100, 110}, 0).has_value());
  const auto nine = CheckZoom("ZProfile", {100, 109}, 0);
  ASSERT_TRUE(nine.has_value());
  EXPECT_EQ(nine->text, "Selected length is too short.\r\nPlease start over.");
  EXPECT_EQ(nine->title, "Invalid Selection");
  EXPECT_EQ(CheckZoom("Straightedge Plot", {1, 500}, 0)->title, "Cannot Zoom");
  EXPECT_EQ(CheckZoom("Boeing Bump Plot", {1, 500}, 0)->text, "Cannot zoom this plot.");
  EXPECT_FALSE(CheckZoom("Gcg", {1, 500}, kMaxZoomDepth - 1).has_value());
  EXPECT_EQ(CheckZoom("Gcg", {1, 500}, kMaxZoomDepth)->text, kZoomTooDeepMessage.text);
  EXPECT_EQ(ZoomTitle("rwy09l.pro", ",cm"), "ZProfile,RWY09L,cm");
  EXPECT_EQ(ZoomTitle("abc", ",inch"), "ZProfile,,inch");
}

std::vector<float> RandomWalk(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::normal_distribution<float> g(0.0f, 0.05f);
  std::vector<float> z(n);
  float level = 0.0f;
  for (auto& v : z) v = level += g(rng);
  return z;
}

// Whether a value stored in single precision is the exact result rounded once to single, allowing
// for the double-precision rounding of intermediate terms of magnitude `scale`.
bool SingleOfExact(float got, long double exact, long double scale) {
  const float near = std::fabs(static_cast<float>(exact));
  const long double ulp = std::nextafter(near, 1e30f) - near;
  return std::fabs(static_cast<long double>(got) - exact) <= 0.5L * ulp + 1e-14L * scale;
}

TEST(NewLength, CutRemovesTheChordAndRespectsItsLimits) {
  EXPECT_EQ(NewLengthMinimumSteps(0.25), 400);
  EXPECT_FALSE(CheckNewLength({1, 401}, 0.25, 0).has_value());
  EXPECT_EQ(CheckNewLength({1, 400}, 0.25, 0)->text, kTooShortMessage.text);
  EXPECT_EQ(CheckNewLength({1, 1}, 500.0, 0)->text, kTooShortMessage.text);  // no chord
  EXPECT_EQ(CheckNewLength({1, 1000}, 0.25, kMaxCuts)->text, kTooManyCutsMessage.text);

  const auto z = RandomWalk(3000, 1);
  const auto cut = CutProfile(z, {501, 2500});
  ASSERT_EQ(cut.size(), 2000u);
  EXPECT_EQ(cut.front(), 0.0f);
  EXPECT_NEAR(cut.back(), 0.0f, 1e-6);
  const double slope = (static_cast<double>(z[2499]) - z[500]) / 1999.0;
  for (std::size_t i = 0; i < cut.size(); i += 13) {
    EXPECT_NEAR(cut[i], z[500 + i] - z[500] - slope * static_cast<double>(i), 1e-5) << i;
  }
  EXPECT_THROW(CutProfile(z, {0, 100}), std::invalid_argument);
  EXPECT_THROW(CutProfile(z, {10, 3001}), std::invalid_argument);
}

TEST(NewLength, ChordIsRemovedWithDoubleDifferencesDigitForDigit) {
  // Elevations of both signs around the datum, where a single-precision difference would round.
  std::vector<float> z(5000);
  std::uint32_t state = 99;
  for (std::size_t i = 0; i < z.size(); ++i) {
    state = state * 1664525u + 1013904223u;
    z[i] = static_cast<float>(static_cast<double>(state >> 8) / 1048576.0 - 8.0) * 0.37f;
  }
  const auto cut = CutProfile(z, {1001, 4000});
  ASSERT_EQ(cut.size(), 3000u);
  const long double z1 = z[1000];
  const long double s = (static_cast<long double>(z[3999]) - z1) / 2999.0L;
  int differs_from_single = 0;
  for (std::size_t i = 0; i < cut.size(); ++i) {
    const long double exact = (static_cast<long double>(z[1000 + i]) - z1) -
                              s * static_cast<long double>(i);
    const long double scale = std::fabs(static_cast<long double>(z[1000 + i])) + std::fabs(z1) +
                              std::fabs(s * static_cast<long double>(i));
    ASSERT_TRUE(SingleOfExact(cut[i], exact, scale)) << i << " " << cut[i];
    const float single_diff = z[1000 + i] - z[1000];
    const auto old_way = static_cast<float>(static_cast<double>(single_diff) -
                                            static_cast<double>(s) * static_cast<double>(i));
    if (!SingleOfExact(old_way, exact, scale)) ++differs_from_single;
  }
  EXPECT_GT(differs_from_single, 50);
}

TEST(NewLength, NestedCutsUndoBackToEachEarlierStretch) {
  const auto uncut = RandomWalk(4000, 2);
  std::vector<CutRecord> history{{1, 4000}};
  const auto p1 = CutProfile(uncut, {101, 3100});  // uncut 101..3100
  history.push_back({101, 3100});
  const auto p2 = CutProfile(p1, {201, 2200});     // uncut 301..2300
  history.push_back({201, 2200});
  const auto p3 = CutProfile(p2, {11, 1510});      // uncut 311..1810
  history.push_back({11, 1510});

  const Selection s3 = StretchInUncut(history, 3);
  EXPECT_EQ(s3.start, 311);
  EXPECT_EQ(s3.end, 1810);
  const auto direct3 = CutProfile(uncut, s3);
  ASSERT_EQ(direct3.size(), p3.size());
  for (std::size_t i = 0; i < p3.size(); ++i) EXPECT_NEAR(p3[i], direct3[i], 1e-5) << i;

  // Undo 1: back to the second cut's stretch of the uncut profile.
  auto undo = UndoCut(uncut, history);
  history.pop_back();
  EXPECT_EQ(undo, CutProfile(uncut, {301, 2300}));
  for (std::size_t i = 0; i < undo.size(); i += 17) EXPECT_NEAR(undo[i], p2[i], 1e-5) << i;
  // Undo 2: the first cut, exactly as it was made.
  undo = UndoCut(uncut, history);
  history.pop_back();
  EXPECT_EQ(undo, p1);
  // Undo 3: the whole uncut profile, its end chord removed; both ends are zero.
  undo = UndoCut(uncut, history);
  history.pop_back();
  ASSERT_EQ(undo.size(), uncut.size());
  EXPECT_EQ(undo.front(), 0.0f);
  EXPECT_NEAR(undo.back(), 0.0f, 1e-6);
  EXPECT_THROW(UndoCut(uncut, history), std::invalid_argument);
}

// Grade g1 before the vertex sample, g2 after it; elevations in inches.
std::vector<float> GradeChange(std::int32_t n, std::int32_t vertex, double dx, double g1,
                               double g2) {
  std::vector<float> z(static_cast<std::size_t>(n));
  for (std::int32_t i = 1; i <= n; ++i) {
    const double x = (i - vertex) * dx;
    z[static_cast<std::size_t>(i - 1)] = static_cast<float>(12.0 * (x < 0 ? g1 * x : g2 * x));
  }
  return z;
}

TEST(VerticalCurve, HalfPercentChangeSpans500FeetAndJoinsBothTangents) {
  const double dx = 0.25;
  const std::int32_t n = 6401, vertex = 3201;
  const double g1 = -0.002, g2 = 0.003;  // a sag of 0.5 %
  const auto z = GradeChange(n, vertex, dx, g1, g2);
  const VerticalCurveResult r = FitVerticalCurve(z, dx, vertex);
  EXPECT_NEAR(r.g1_measured, g1, 1e-7);
  EXPECT_NEAR(r.g2, g2, 1e-7);
  EXPECT_NEAR(r.a, 0.5, 1e-4);
  EXPECT_NEAR(r.lc, 500.0, 0.1);
  EXPECT_NEAR(r.e, 0.3125, 1e-4);
  EXPECT_NEAR(2 * r.h * dx, 500.0, 2 * dx + 1e-9);
  EXPECT_LE(std::abs(r.shift), 2);
  EXPECT_EQ(r.evc - r.pvi, r.h);
  EXPECT_EQ(r.pvi - r.bvc, r.h);
  ASSERT_EQ(r.profile.size(), z.size());
  auto at = [&](std::int32_t i) { return static_cast<double>(r.profile[static_cast<std::size_t>(i - 1)]); };
  // Outside the curve nothing moves; at its ends it meets the tangents without a step or kink.
  for (std::int32_t i = 1; i <= n; ++i) {
    if (i < r.bvc || i > r.evc) {
      ASSERT_EQ(r.profile[static_cast<std::size_t>(i - 1)], z[static_cast<std::size_t>(i - 1)]) << i;
    }
  }
  EXPECT_NEAR((at(r.bvc + 1) - at(r.bvc)) / (12 * dx), g1, 2e-4);
  EXPECT_NEAR((at(r.evc) - at(r.evc - 1)) / (12 * dx), g2, 2e-4);
  EXPECT_NEAR((at(r.bvc) - at(r.bvc - 1)) / (12 * dx), g1, 2e-4);
  EXPECT_NEAR((at(r.evc + 1) - at(r.evc)) / (12 * dx), g2, 2e-4);
  // A sag curve lies above its vertex by the middle ordinate (0.3125 ft = 3.75 in).
  EXPECT_NEAR(at(vertex) - z[static_cast<std::size_t>(vertex - 1)], 3.75, 0.02);
  // Both halves are the same parabola: second difference 24 R (100 dx)^2 over 100 samples.
  const double step = 100 * dx;
  EXPECT_NEAR(at(r.bvc + 200) - 2 * at(r.bvc + 100) + at(r.bvc), 24 * r.r * step * step, 1e-4);
  EXPECT_NEAR(at(r.evc) - 2 * at(r.evc - 100) + at(r.evc - 200), 24 * r.r * step * step, 1e-4);
  // The half-length is truncated to whole samples (999 here, the grades carry float noise), so
  // the halves meet at the vertex with a jog far below a millimetre.
  EXPECT_NEAR(at(r.pvi) - at(r.pvi - 1), at(r.pvi + 1) - at(r.pvi), 0.005);
}

TEST(VerticalCurve, ChordGradeAndParabolaFollowTheFormulasInDouble) {
  // A crest (-0.7 %) on a noisy profile, the curve ends on either side of the datum, so that a
  // single-precision difference of their elevations would round.
  const double dx = 0.25;
  auto z = GradeChange(6401, 3201, dx, -0.001, -0.008);
  std::uint32_t state = 7;
  for (auto& v : z) {
    state = state * 1664525u + 1013904223u;
    v += static_cast<float>(static_cast<double>(state >> 8) / 16777216.0 * 0.3 - 0.15);
  }
  const VerticalCurveResult r = FitVerticalCurve(z, dx, 3201);
  auto in = [&](std::int32_t i) { return static_cast<long double>(z[static_cast<std::size_t>(i - 1)]); };
  // The curve ends keep their measured elevations; the approach grade is corrected so that the
  // mean of the two grades is the chord grade between them.
  const long double chord = 2.0L * (in(r.evc) - in(r.bvc)) / (12.0L * r.lc) - r.g2;
  EXPECT_NEAR(static_cast<double>(chord), r.g1, 1e-16);
  EXPECT_EQ(r.h, static_cast<std::int32_t>(std::floor(r.lc / dx / 2)));
  for (std::int32_t i = r.bvc; i <= r.evc; ++i) {
    const bool first_half = i < r.pvi;
    const long double x = static_cast<long double>(i - (first_half ? r.bvc : r.evc)) * dx;
    const long double g = first_half ? r.g1 : r.g2;
    const long double expected = in(first_half ? r.bvc : r.evc) + 12.0L * g * x +
                                 12.0L * static_cast<long double>(r.r) * x * x;
    const long double scale = std::fabs(in(first_half ? r.bvc : r.evc)) + std::fabs(12.0L * g * x) +
                              std::fabs(12.0L * static_cast<long double>(r.r) * x * x);
    ASSERT_TRUE(SingleOfExact(r.profile[static_cast<std::size_t>(i - 1)], expected, scale)) << i;
  }
}

TEST(VerticalCurve, RefusesEqualGradesAndCurvesBeyondTheProfile) {
  const double dx = 0.25;
  EXPECT_EQ(VerticalCurveMinimumSteps(dx), 5);
  EXPECT_EQ(CheckVerticalCurveSelection({100, 104}, dx)->text, kTooShortMessage.text);
  EXPECT_FALSE(CheckVerticalCurveSelection({100, 105}, dx).has_value());

  // A straight grade held exactly: both grades equal, nothing to fit.
  std::vector<float> line(6401);
  for (std::size_t i = 0; i < line.size(); ++i) line[i] = 0.25f * static_cast<float>(i);
  try {
    FitVerticalCurve(line, dx, 3201);
    ADD_FAILURE() << "equal grades were accepted";
  } catch (const std::invalid_argument& e) {
    EXPECT_EQ(std::string(e.what()), kEqualGradesMessage);
  }
  const auto z = GradeChange(6401, 3201, dx, -0.002, 0.003);
  // Too close to the start for the approach grade (600 ft + 4 samples).
  for (std::int32_t pvi : {1, 2404, 6401 - 2399, 7000}) {
    try {
      FitVerticalCurve(z, dx, pvi);
      ADD_FAILURE() << "vertex " << pvi << " was accepted";
    } catch (const std::invalid_argument& e) {
      EXPECT_EQ(std::string(e.what()), kCurveOutsideMessage) << pvi;
    }
  }
  EXPECT_NO_THROW(FitVerticalCurve(z, dx, 2405));
  // A 5 % change needs a 5000-ft curve, far longer than this profile.
  const auto steep = GradeChange(6401, 3201, dx, -0.02, 0.03);
  EXPECT_THROW(FitVerticalCurve(steep, dx, 3201), std::invalid_argument);
}

}  // namespace
}  // namespace tarmac
