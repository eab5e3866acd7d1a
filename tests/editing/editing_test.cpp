#include <gtest/gtest.h>

#include <optional>

#include <cmath>
#include <numbers>
#include <random>
#include <stdexcept>
#include <vector>

#include "editing/new_length.h"
#include "editing/repair.h"
#include "editing/selection.h"
#include "editing/vertical_curve.h"

namespace tarmac {
namespace {

TEST(Selection, ClickGivesTheDrawnSampleInBothUnitSystemsAndZoomLimits) {
  for (double factor : {1.0, 0.3048}) {
    for (double step : {0.25, 2.5, 1.5 * 0.3048}) {
      for (std::int32_t i = 1; i <= 4000; i += 7) {
        const auto x = static_cast<float>(i * step * factor / 100.0);
        ASSERT_EQ(ClickToSample(x, factor, step, 4000), i) << factor << " " << step;
      }
    }
  }
  EXPECT_EQ(ClickToSample(2.5f, 1.0, 100.0, 10), 2);  // halfway rounds to the even sample
  EXPECT_EQ(ClickToSample(3.5f, 1.0, 100.0, 10), 4);
  EXPECT_EQ(ClickToSample(-3.0f, 1.0, 0.25, 500), 1);  // clicks off the ends stay on the profile
  EXPECT_EQ(ClickToSample(1e30f, 0.3048, 0.25, 500), 500);
  EXPECT_EQ(OrderSelection(900, 120).start, 120);

  EXPECT_FALSE(CheckZoom("ZProfile", {100, 110}, 0).has_value());
  EXPECT_EQ(CheckZoom("ZProfile", {100, 109}, 0), EditRefusal::TooShort);
  EXPECT_EQ(CheckZoom("Boeing Bump Plot", {1, 500}, 0), EditRefusal::CannotZoom);
  EXPECT_EQ(CheckZoom("Straightedge Plot", {1, 500}, 0), EditRefusal::CannotZoom);
  EXPECT_FALSE(CheckZoom("Gcg", {1, 500}, kMaxZoomDepth - 1).has_value());
  EXPECT_EQ(CheckZoom("Gcg", {1, 500}, kMaxZoomDepth), EditRefusal::ZoomTooDeep);
}

// Whether `got` is `exact` rounded once to single, give or take double rounding of `scale`.
bool SingleOfExact(float got, long double exact, long double scale) {
  const float near = std::fabs(static_cast<float>(exact));
  const long double ulp = std::nextafter(near, 1e30f) - near;
  return std::fabs(static_cast<long double>(got) - exact) <= 0.5L * ulp + 1e-14L * scale;
}

// Elevations of both signs around the datum, where a single-precision difference would round.
TEST(NewLength, LimitsAndTheChordRemovedWithDoubleDifferencesDigitForDigit) {
  EXPECT_FALSE(CheckNewLength({1, 401}, 0.25, 0).has_value());
  EXPECT_EQ(CheckNewLength({1, 400}, 0.25, 0), EditRefusal::TooShort);
  EXPECT_EQ(CheckNewLength({1, 1}, 500.0, 0), EditRefusal::TooShort);  // no chord
  EXPECT_EQ(CheckNewLength({1, 1000}, 0.25, kMaxCuts), EditRefusal::TooManyCuts);

  std::mt19937 rng(99);
  std::uniform_real_distribution<float> u(-3.0f, 3.0f);
  std::vector<float> z(5000);
  for (auto& v : z) v = u(rng);
  const auto cut = CutProfile(z, {1001, 4000});
  ASSERT_EQ(cut.size(), 3000u);
  const long double z1 = z[1000];
  const long double s = (static_cast<long double>(z[3999]) - z1) / 2999.0L;
  int differs_from_single = 0;
  for (std::size_t i = 0; i < cut.size(); ++i) {
    const long double zi = z[1000 + i], si = s * static_cast<long double>(i);
    const long double exact = (zi - z1) - si, scale = std::fabs(zi) + std::fabs(z1) + std::fabs(si);
    ASSERT_TRUE(SingleOfExact(cut[i], exact, scale)) << i << " " << cut[i];
    const float single_diff = z[1000 + i] - z[1000];
    const auto old_way = static_cast<float>(static_cast<double>(single_diff) -
                                            static_cast<double>(s) * static_cast<double>(i));
    differs_from_single += !SingleOfExact(old_way, exact, scale);
  }
  EXPECT_GT(differs_from_single, 20);
  EXPECT_THROW(CutProfile(z, {0, 100}), std::invalid_argument);
  EXPECT_THROW(CutProfile(z, {10, 5001}), std::invalid_argument);
}

TEST(NewLength, NestedCutsUndoBackToEachEarlierStretch) {
  std::mt19937 rng(2);
  std::normal_distribution<float> g(0.0f, 0.05f);
  std::vector<float> uncut(4000);
  float level = 0.0f;
  for (auto& v : uncut) v = level += g(rng);
  std::vector<CutRecord> history{{1, 4000}, {101, 3100}, {201, 2200}, {11, 1510}};
  const auto p1 = CutProfile(uncut, {101, 3100});
  EXPECT_EQ(StretchInUncut(history, 3).start, 311);  // 100 + 200 + 11
  EXPECT_EQ(StretchInUncut(history, 3).end, 1810);

  for (const auto& before : {CutProfile(uncut, {301, 2300}), p1, CutProfile(uncut, {1, 4000})}) {
    EXPECT_EQ(UndoCut(uncut, history), before);
    history.pop_back();
  }
  EXPECT_THROW(UndoCut(uncut, history), EditRefused);
}

// Grade g1 before the vertex sample, g2 after it; elevations in inches.
std::vector<float> GradeChange(std::int32_t vertex, double dx, double g1, double g2) {
  std::vector<float> z(6401);
  for (std::int32_t i = 1; i <= 6401; ++i) {
    const double x = (i - vertex) * dx;
    z[static_cast<std::size_t>(i - 1)] = static_cast<float>(12.0 * (x < 0 ? g1 * x : g2 * x));
  }
  return z;
}

TEST(VerticalCurve, HalfPercentSagSpans500FeetAndJoinsBothTangents) {
  const double dx = 0.25, g1 = -0.002, g2 = 0.003;
  const auto z = GradeChange(3201, dx, g1, g2);
  const VerticalCurveResult r = FitVerticalCurve(z, dx, 3201);
  EXPECT_NEAR(r.lc, 500.0, 0.1);
  EXPECT_NEAR(r.e, 0.3125, 1e-4);
  EXPECT_TRUE(r.evc - r.pvi == r.h && r.pvi - r.bvc == r.h);
  auto at = [&](std::int32_t i) { return double(r.profile[static_cast<std::size_t>(i - 1)]); };
  for (std::int32_t i : {1, r.bvc - 1, r.evc + 1, 6401}) {  // outside the curve nothing moves
    EXPECT_EQ(at(i), z[static_cast<std::size_t>(i - 1)]) << i;
  }
  EXPECT_NEAR(at(3201) - z[3200], 3.75, 0.02);  // the middle ordinate, 0.3125 ft
}

// A crest on a noisy profile, the curve ends on either side of the datum, so that a
// single-precision difference of their elevations would round.
TEST(VerticalCurve, ChordGradeAndParabolaFollowTheFormulasInDouble) {
  const double dx = 0.25;
  auto z = GradeChange(3201, dx, -0.001, -0.008);
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> noise(-0.15f, 0.15f);
  for (auto& v : z) v += noise(rng);
  const VerticalCurveResult r = FitVerticalCurve(z, dx, 3201);
  auto in = [&](std::int32_t i) { return (long double)z[static_cast<std::size_t>(i - 1)]; };
  // The ends keep their elevations; the mean of the two grades is the chord grade between them.
  EXPECT_NEAR(double(2.0L * (in(r.evc) - in(r.bvc)) / (12.0L * r.lc) - r.g2), r.g1, 1e-16);
  EXPECT_EQ(r.h, static_cast<std::int32_t>(std::floor(r.lc / dx / 2)));
  for (std::int32_t i = r.bvc; i <= r.evc; ++i) {
    const std::int32_t end = i < r.pvi ? r.bvc : r.evc;
    const long double x = static_cast<long double>(i - end) * dx, g = i < r.pvi ? r.g1 : r.g2;
    const long double slope = 12.0L * g * x, bend = 12.0L * static_cast<long double>(r.r) * x * x;
    const long double scale = std::fabs(in(end)) + std::fabs(slope) + std::fabs(bend);
    ASSERT_TRUE(SingleOfExact(r.profile[static_cast<std::size_t>(i - 1)], in(end) + slope + bend,
                              scale)) << i;
  }
}

TEST(VerticalCurve, RefusesEqualGradesAndCurvesBeyondTheProfile) {
  const double dx = 0.25;
  EXPECT_EQ(CheckVerticalCurveSelection({100, 104}, dx), EditRefusal::TooShort);
  EXPECT_FALSE(CheckVerticalCurveSelection({100, 105}, dx).has_value());
  auto message = [&](const std::vector<float>& z, std::int32_t pvi) -> std::optional<EditRefusal> {
    try {
      FitVerticalCurve(z, dx, pvi);
    } catch (const EditRefused& e) {
      return e.reason;
    }
    return std::nullopt;
  };
  std::vector<float> line(6401);  // a straight grade held exactly: nothing to fit
  for (std::size_t i = 0; i < line.size(); ++i) line[i] = 0.25f * static_cast<float>(i);
  EXPECT_EQ(message(line, 3201), EditRefusal::EqualGrades);
  const auto z = GradeChange(3201, dx, -0.002, 0.003);
  // Closer to an end than the approach grade (600 ft + 4 samples) plus the half-curve.
  for (std::int32_t pvi : {2404, 4002, 7000}) EXPECT_EQ(message(z, pvi), EditRefusal::CurveOutside);
  EXPECT_EQ(message(z, 2405), std::nullopt);
  EXPECT_EQ(message(GradeChange(3201, dx, -0.02, 0.03), 3201), EditRefusal::CurveOutside);  // 5000-ft curve
}

TEST(Repair, WheelOffsetsRoundHalvesToEvenAndShortProfilesAreRefusedUntouched) {
  const RepairOffsets q = ComputeRepairOffsets(0.25);
  EXPECT_EQ((std::vector{q.n1, q.n2, q.n3, q.n4}), (std::vector{92, 68, 52, 28}));
  const RepairOffsets two = ComputeRepairOffsets(2.0);  // 11.5, 8.5, 6.5 and 3.5 samples
  EXPECT_EQ((std::vector{two.n1, two.n2, two.n3, two.n4}), (std::vector{12, 8, 6, 4}));
  EXPECT_EQ(RepairMinimumSamples(0.25), 185);
  EXPECT_THROW(ComputeRepairOffsets(0.0), std::invalid_argument);

  std::vector<float> z(46);  // dx = 1 ft: n1 = 23, 47 samples needed
  for (std::size_t i = 0; i < z.size(); ++i) z[i] = static_cast<float>(i % 5);
  const std::vector<float> before = z;
  try {
    RepairPass(z, 1.0);
    ADD_FAILURE() << "a profile of 46 samples was repaired";
  } catch (const EditRefused& e) {
    EXPECT_EQ(e.reason, EditRefusal::TooShortToRepair);
    EXPECT_EQ(e.samples_needed, 47);
  }
  EXPECT_THROW(RepairProfile(z, 1.0), EditRefused);
  EXPECT_EQ(z, before);
  z.push_back(1.0f);
  EXPECT_NO_THROW(RepairAverage(z, 1.0));
}

// Noisy survey elevations far from the datum: the wheels are added in double, the reflected samples
// and the mean stored in single; an extended-precision sum agrees, a single-precision one does not.
TEST(Repair, CarriageMeanMatchesAnExtendedPrecisionReferenceDigitForDigit) {
  const RepairOffsets o = ComputeRepairOffsets(0.25);
  std::mt19937 rng(12345);
  std::uniform_real_distribution<double> noise(-0.5, 0.5);
  std::vector<float> z(3000);
  for (std::size_t i = 0; i < z.size(); ++i) z[i] = float(1500.0 + 0.02 * i + noise(rng));
  const auto n = static_cast<std::int32_t>(z.size());
  auto w = [&](std::int32_t i) -> float {  // sample i counted from 1, reflected beyond the ends
    const std::int32_t end = i < 1 ? 1 : n;
    if (i >= 1 && i <= n) return z[static_cast<std::size_t>(i - 1)];
    return static_cast<float>(2.0L * z[static_cast<std::size_t>(end - 1)] -
                              z[static_cast<std::size_t>(2 * end - i - 1)]);
  };
  std::vector<float> out = z;
  RepairAverage(out, 0.25);
  int differs_from_single_sum = 0;
  for (std::int32_t i = 1; i <= n; ++i) {
    long double sum = 0.0L;
    float single_sum = 0.0f;
    for (std::int32_t d : {-o.n1, -o.n2, -o.n3, -o.n4, o.n4, o.n3, o.n2, o.n1}) {
      sum += w(i + d);
      single_sum += w(i + d);
    }
    const float got = out[static_cast<std::size_t>(i - 1)];
    ASSERT_EQ(got, static_cast<float>(sum / 8.0L)) << i;
    differs_from_single_sum += static_cast<float>(single_sum / 8.0) != got;
  }
  EXPECT_GT(differs_from_single_sum, 50);
}

// Every wheel pair reads a 3-ft wave half a cycle off: the carriage gain is -0.5 each pass (the
// pre-filter at 2 cycles/ft passes it), so a quarter is left after two; the grade is kept.
TEST(Repair, TwoPassesHalveAShortWaveTwiceAndKeepTheGrade) {
  const double dx = 0.25;
  std::vector<float> z(2400);
  auto wave = [&](std::size_t i) { return 0.3 * std::sin(2 * std::numbers::pi * i * dx / 3.0); };
  for (std::size_t i = 0; i < z.size(); ++i) z[i] = static_cast<float>(0.002 * i + wave(i));
  const RepairResult r = RepairProfile(z, dx);
  for (std::size_t i = 200; i < 2200; i += 50) {
    EXPECT_NEAR(r.once[i], 0.002 * i - 0.5 * wave(i), 1e-3) << i;
    EXPECT_NEAR(r.twice[i], 0.002 * i + 0.25 * wave(i), 1e-3) << i;
  }
}

}  // namespace
}  // namespace tarmac
