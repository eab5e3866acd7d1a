#include "common/rounding.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <stdexcept>

namespace tarmac {
namespace {

TEST(Rounding, HalvesGoToTheEvenNeighbourWhateverTheCallersMode) {
  std::fesetround(FE_UPWARD);  // a caller's rounding mode must not leak in
  for (int k = -50; k <= 50; ++k) {
    const int even = (k % 2 == 0) ? k : k + 1;
    EXPECT_EQ(RoundHalfEven(k + 0.5), even) << k;
    EXPECT_EQ(RoundHalfEven16(k + 0.5), even) << k;
  }
  EXPECT_EQ(Fix(-2.7), -2);
  std::fesetround(FE_TONEAREST);
  EXPECT_EQ(RoundHalfEven(2.5000001), 3);
  EXPECT_EQ(RoundHalfEven(0.49999999999999994), 0);
  EXPECT_EQ(Fix(2.7), 2);
  EXPECT_EQ(Fix(-0.3), 0);
  EXPECT_EQ(Int(-2.3), -3);
  EXPECT_EQ(Int(-3.0), -3);
}

TEST(Rounding, OverflowThrowsAtTheEdgesOfEachRange) {
  EXPECT_EQ(RoundHalfEven16(32767.4), 32767);
  EXPECT_EQ(RoundHalfEven16(-32768.5), -32768);  // the half goes to the even end, still inside
  EXPECT_THROW(RoundHalfEven16(32767.5), std::range_error);
  EXPECT_EQ(RoundHalfEven(2147483647.4), 2147483647);
  EXPECT_THROW(RoundHalfEven(2147483647.5), std::range_error);
  EXPECT_THROW(RoundHalfEven(std::nan("")), std::range_error);
  EXPECT_THROW(Fix(3e9), std::range_error);
  EXPECT_THROW(Int(-2147483648.5), std::range_error);
  EXPECT_EQ(Int(-2147483647.5), -2147483648);
}

TEST(Rounding, DecimalHalvesGoAwayFromZeroAsWritten) {
  EXPECT_EQ(RoundDecimalHalfAway(1.005, 2), 1.01);  // binary 1.00499999999999989...
  EXPECT_EQ(RoundDecimalHalfAway(-1.005, 2), -1.01);
  EXPECT_EQ(RoundDecimalHalfAway(2.5, 0), 3.0);
  EXPECT_EQ(RoundDecimalHalfAway(9.9996, 3), 10.0);
  EXPECT_EQ(RoundDecimalHalfAway(0.00004, 4), 0.0);
  EXPECT_EQ(RoundDecimalHalfAway(1235.0, -1), 1240.0);
  EXPECT_TRUE(std::isnan(RoundDecimalHalfAway(std::nan(""), 2)));
}

}  // namespace
}  // namespace tarmac
