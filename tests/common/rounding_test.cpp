#include "common/rounding.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <random>
#include <stdexcept>

namespace tarmac {
namespace {

TEST(Rounding, HalvesGoToTheEvenNeighbourOnBothSides) {
  for (int k = -50; k <= 50; ++k) {
    const double half = k + 0.5;
    const int even = (k % 2 == 0) ? k : k + 1;
    EXPECT_EQ(RoundHalfEven(half), even) << half;
    EXPECT_EQ(RoundHalfEven16(half), even) << half;
  }
  // Just off the half goes to the nearer neighbour.
  EXPECT_EQ(RoundHalfEven(2.5000001), 3);
  EXPECT_EQ(RoundHalfEven(-2.5000001), -3);
  EXPECT_EQ(RoundHalfEven(0.49999999999999994), 0);
  EXPECT_EQ(CLng(1000.0 / 0.25), 4000);
  EXPECT_EQ(CInt(-0.5), 0);
}

TEST(Rounding, TheCallersRoundingModeDoesNotLeakIn) {
  std::fesetround(FE_UPWARD);
  const int r = RoundHalfEven(2.5);
  const int f = Fix(-2.7);
  std::fesetround(FE_TONEAREST);
  EXPECT_EQ(r, 2);
  EXPECT_EQ(f, -2);
}

TEST(Rounding, OverflowThrowsAtTheEdgesOfEachRange) {
  EXPECT_EQ(RoundHalfEven16(32767.4), 32767);
  EXPECT_EQ(RoundHalfEven16(-32768.5), -32768);  // the half goes to the even end, still inside
  EXPECT_THROW(RoundHalfEven16(32767.5), std::range_error);
  EXPECT_THROW(RoundHalfEven16(-32769.0), std::range_error);
  EXPECT_EQ(RoundHalfEven(2147483647.4), 2147483647);
  EXPECT_THROW(RoundHalfEven(2147483647.5), std::range_error);
  EXPECT_THROW(RoundHalfEven(-2147483649.0), std::range_error);
  EXPECT_THROW(RoundHalfEven(std::nan("")), std::range_error);
  EXPECT_THROW(RoundHalfEven(INFINITY), std::range_error);
  EXPECT_THROW(Fix(3e9), std::range_error);
  EXPECT_THROW(Int(-2147483648.5), std::range_error);
  EXPECT_EQ(Int(-2147483647.5), -2147483648);
}

TEST(Rounding, FixTruncatesAndIntFloors) {
  EXPECT_EQ(Fix(-2.7), -2);
  EXPECT_EQ(Fix(2.7), 2);
  EXPECT_EQ(Fix(-0.3), 0);
  EXPECT_EQ(Int(-2.3), -3);
  EXPECT_EQ(Int(2.3), 2);
  EXPECT_EQ(Int(-3.0), -3);
  // Against the definition on many values: Int(x) <= x < Int(x) + 1, |Fix(x)| <= |x|.
  std::mt19937 gen(7);
  std::uniform_real_distribution<double> u(-1e6, 1e6);
  for (int k = 0; k < 2000; ++k) {
    const double x = u(gen);
    EXPECT_LE(Int(x), x);
    EXPECT_GT(Int(x) + 1.0, x);
    EXPECT_LE(std::fabs(static_cast<double>(Fix(x))), std::fabs(x));
    EXPECT_LT(std::fabs(x - Fix(x)), 1.0);
    EXPECT_EQ(Fix(x), x < 0 ? -Int(-x) : Int(x));
  }
}

TEST(Rounding, DecimalHalvesGoAwayFromZeroAsWritten) {
  EXPECT_EQ(RoundDecimalHalfAway(1.005, 2), 1.01);   // binary 1.00499999999999989...
  EXPECT_EQ(RoundDecimalHalfAway(-1.005, 2), -1.01);
  EXPECT_EQ(RoundDecimalHalfAway(2.675, 2), 2.68);
  EXPECT_EQ(RoundDecimalHalfAway(0.125, 2), 0.13);
  EXPECT_EQ(RoundDecimalHalfAway(2.5, 0), 3.0);
  EXPECT_EQ(RoundDecimalHalfAway(-2.5, 0), -3.0);
  EXPECT_EQ(RoundDecimalHalfAway(9.9996, 3), 10.0);
  EXPECT_EQ(RoundDecimalHalfAway(0.00004, 4), 0.0);
  EXPECT_EQ(RoundDecimalHalfAway(0.00005, 4), 0.0001);
  EXPECT_EQ(RoundDecimalHalfAway(1234.5, -1), 1230.0);
  EXPECT_EQ(RoundDecimalHalfAway(1235.0, -1), 1240.0);
  EXPECT_TRUE(std::isnan(RoundDecimalHalfAway(std::nan(""), 2)));
  // Rounding to d decimals leaves at most d decimals and moves the value by at most half a unit.
  std::mt19937 gen(11);
  std::uniform_real_distribution<double> u(-5000.0, 5000.0);
  for (int k = 0; k < 2000; ++k) {
    const double x = u(gen);
    for (int d = 0; d <= 5; ++d) {
      const double r = RoundDecimalHalfAway(x, d);
      const double scale = std::pow(10.0, d);
      EXPECT_LE(std::fabs(r - x), 0.5 / scale * (1 + 1e-9)) << x << " " << d;
      EXPECT_NEAR(r * scale, std::round(r * scale), 1e-6) << x << " " << d;
    }
  }
}

TEST(Rounding, DecimalTextCarriesIntoANewLeadingDigit) {
  DecimalText d = ToDecimalText(99.96, 15);
  EXPECT_EQ(d.point, 2);
  RoundHalfAwayToDecimals(d, 1);
  EXPECT_EQ(d.digits, "1000");
  EXPECT_EQ(d.point, 3);
  DecimalText z = ToDecimalText(0.0004, 15);
  EXPECT_EQ(z.point, -3);
  RoundHalfAwayToDecimals(z, 2);
  EXPECT_EQ(z.digits, "0");
  DecimalText s = ToDecimalText(0.1f, 7);
  EXPECT_EQ(s.digits, "1000000");
  EXPECT_EQ(s.point, 0);
}

}  // namespace
}  // namespace tarmac
