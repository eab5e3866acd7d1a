#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>

#include "common/units.h"
#include "render/axis_ticks.h"

namespace tarmac {
namespace {

// The checks every axis must pass: 5 to 10 ticks, all inside the range, equally spaced by a step
// of 1, 2, 2.5 or 5 times a power of ten, each a multiple of the step, and labels that write the
// value exactly and differ from their neighbours.
void ExpectReadableTicks(double lo, double hi) {
  SCOPED_TRACE(::testing::Message() << "range " << lo << " .. " << hi);
  const AxisTicks t = ChooseTicks(lo, hi);
  ASSERT_GE(t.values.size(), 5u);
  ASSERT_LE(t.values.size(), 10u);
  const double power = std::pow(10.0, std::floor(std::log10(t.step) + 1e-12));
  const double mantissa = t.step / power;
  EXPECT_TRUE(std::fabs(mantissa - 1) < 1e-9 || std::fabs(mantissa - 2) < 1e-9 ||
              std::fabs(mantissa - 2.5) < 1e-9 || std::fabs(mantissa - 5) < 1e-9)
      << "step " << t.step;
  const double slack = 1e-9 * t.step;
  EXPECT_GE(t.values.front(), std::min(lo, hi) - slack);
  EXPECT_LE(t.values.back(), std::max(lo, hi) + slack);
  std::string previous;
  for (std::size_t k = 0; k < t.values.size(); ++k) {
    const double v = t.values[k];
    EXPECT_NEAR(v / t.step, std::round(v / t.step), 1e-6);
    if (k > 0) {
      EXPECT_NEAR(v - t.values[k - 1], t.step, 1e-6 * t.step);
    }
    const std::string label = TickLabel(v, t.decimals);
    EXPECT_NEAR(std::strtod(label.c_str(), nullptr), v, 1e-6 * t.step) << label;
    EXPECT_NE(label, previous);
    previous = label;
  }
}

TEST(AxisTicks, RoundValuesFiveToTenTicksOverAnyRange) {
  std::mt19937 rng(19);
  std::uniform_real_distribution<double> exponent(-7.0, 7.0), offset(-3.0, 3.0), unit(0.0, 1.0);
  for (int i = 0; i < 3000; ++i) {
    const double span = std::pow(10.0, exponent(rng));
    const double lo = offset(rng) * span * (unit(rng) < 0.3 ? 50.0 : 1.0);
    ExpectReadableTicks(lo, lo + span);
  }
  // Tiny spans far from zero, huge spans, wholly negative ranges, reversed limits.
  ExpectReadableTicks(1.0, 1.0 + 1e-6);
  ExpectReadableTicks(1000.0, 1000.0 + 3e-6);
  ExpectReadableTicks(-1e6, 3e6);
  ExpectReadableTicks(0.0, 7.3e8);
  ExpectReadableTicks(-0.37, -0.02);
  ExpectReadableTicks(5.0, -5.0);
  EXPECT_EQ(ChooseTicks(0.0, 100.0).values, (std::vector<double>{0, 20, 40, 60, 80, 100}));
  const AxisTicks negative = ChooseTicks(-0.37, -0.02);
  EXPECT_LT(negative.values.back(), 0.0);
  EXPECT_EQ(TickLabel(negative.values.front(), negative.decimals), "-0.35");
}

TEST(AxisTicks, DistanceAxisOfARunwayInBothUnitSystems) {
  // A 10 000 ft runway: 100 hundreds of feet, or 30.48 hundreds of metres.
  const Units us = MakeUnits(false), si = MakeUnits(true);
  const AxisTicks feet = ChooseTicks(0.0, 100.0 * us.LengthFactor);
  const AxisTicks metres = ChooseTicks(0.0, 100.0 * si.LengthFactor);
  EXPECT_EQ(feet.step, 20.0);
  EXPECT_EQ(metres.step, 5.0);
  EXPECT_EQ(metres.values.back(), 30.0);
  EXPECT_EQ(TickLabel(metres.values[1], metres.decimals), "5");
  // A short zoom in metres: quarter steps need two decimals, not one.
  const AxisTicks zoom = ChooseTicks(0.1, 2.3);
  EXPECT_EQ(zoom.step, 0.25);
  EXPECT_EQ(TickLabel(zoom.values.front(), zoom.decimals), "0.25");
  ExpectReadableTicks(0.0, 100.0 * si.LengthFactor);
}

TEST(AxisTicks, ConstantSeriesAndZeroGetAScale) {
  for (double v : {0.75, 0.0, -12.5, 1e-9, 4.2e7}) {
    const AxisTicks t = ChooseTicks(v, v);
    ASSERT_GE(t.values.size(), 5u) << v;
    EXPECT_LE(t.values.front(), v) << v;
    EXPECT_GE(t.values.back(), v) << v;
  }
  EXPECT_EQ(TickLabel(-1e-12, 2), "0.00");  // never "-0.00"
  EXPECT_EQ(TickLabel(-0.004, 2), "0.00");
  EXPECT_EQ(TickLabel(-0.006, 2), "-0.01");
  EXPECT_TRUE(ChooseTicks(NAN, 1.0).values.empty());
}

TEST(AxisTicks, DecadesOfALogarithmicAxis) {
  EXPECT_EQ(DecadeTicks(0.003, 20.0), (std::vector<int>{-2, -1, 0, 1}));
  EXPECT_EQ(DecadeTicks(2.0, 5.0), (std::vector<int>{0, 1}));  // within one decade: both sides
  EXPECT_EQ(DecadeTicks(1e-9, 1e-4), (std::vector<int>{-9, -8, -7, -6, -5, -4}));
  EXPECT_TRUE(DecadeTicks(0.0, 1.0).empty());
  EXPECT_EQ(DecadeLabel(0), "1");
  EXPECT_EQ(DecadeLabel(3), "1000");
  EXPECT_EQ(DecadeLabel(-3), "0.001");
  EXPECT_EQ(DecadeLabel(-1), "0.1");
  EXPECT_EQ(DecadeLabel(4), "10⁴");
  EXPECT_EQ(DecadeLabel(-12), "10⁻¹²");
}

}  // namespace
}  // namespace tarmac
