#include "common/number_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

namespace tarmac {
namespace {

// The text an exact decimal m / 10^(d+1) must give with a pattern of d decimals ("0.000"),
// worked out in integers: half a unit in the last place goes away from zero.
std::string ExpectedFixed(std::int64_t m, int d) {
  const bool negative = m < 0;
  const std::int64_t q = (std::llabs(m) + 5) / 10;
  std::int64_t scale = 1;
  for (int k = 0; k < d; ++k) scale *= 10;
  std::string s = (negative && q != 0 ? "-" : "") + std::to_string(q / scale);
  if (d > 0) {
    std::string frac = std::to_string(q % scale);
    s += "." + std::string(static_cast<std::size_t>(d) - frac.size(), '0') + frac;
  }
  return s;
}

TEST(FormatNumber, FixedDecimalsAgreeWithIntegerArithmeticAtEveryHalf) {
  const char* patterns[] = {"0", "0.0", "0.00", "0.000", "0.0000", "0.00000", "0.000000"};
  std::mt19937_64 gen(3);
  for (int d = 0; d <= 6; ++d) {
    std::int64_t limit = 1;
    for (int k = 0; k < 10 - d; ++k) limit *= 10;
    std::uniform_int_distribution<std::int64_t> u(-limit, limit);
    double scale = std::pow(10.0, d + 1);
    for (int k = 0; k < 3000; ++k) {
      // Every other draw ends in 5: exactly the half, where binary storage misleads.
      std::int64_t m = u(gen);
      if (k % 2 == 0) m = m - m % 10 + (m < 0 ? -5 : 5);
      const double v = static_cast<double>(m) / scale;
      ASSERT_EQ(FormatNumber(v, patterns[d]), ExpectedFixed(m, d)) << m << " / 10^" << d + 1;
    }
  }
}

TEST(FormatNumber, RoundsTheWrittenDecimalNotTheBinaryValue) {
  EXPECT_EQ(FormatNumber(1.005, "0.00"), "1.01");
  EXPECT_EQ(FormatNumber(2.675, "0.00"), "2.68");
  EXPECT_EQ(FormatNumber(9.99995, "0.0000"), "10.0000");
  EXPECT_EQ(FormatNumber(0.00125f, "0.0000"), "0.0012");
  EXPECT_EQ(FormatNumber(0.1f, "0.000000000"), "0.100000001");
  EXPECT_EQ(FormatNumber(0.375f, "0.00"), "0.38");  // an exact binary half still goes away from 0
}

TEST(FormatNumber, ZeroAndNegativesThatRoundToZeroHaveNoMinus) {
  EXPECT_EQ(FormatNumber(-0.0, "0.0000"), "0.0000");
  EXPECT_EQ(FormatNumber(-0.00004, "0.0000"), "0.0000");
  EXPECT_EQ(FormatNumber(-0.00005, "0.0000"), "-0.0001");
  EXPECT_EQ(FormatNumber(-0.04, "###.0"), ".0");
}

TEST(FormatNumber, GroupingByThousands) {
  EXPECT_EQ(FormatNumber(-1234567.0, "#,##0"), "-1,234,567");
  EXPECT_EQ(FormatNumber(1234.0, "0,000,000"), "0,001,234");
  EXPECT_EQ(FormatNumber(123456789.0, "0,000,000"), "123,456,789");
  // The grouped text is the ungrouped one with a comma before every third digit from the point.
  std::mt19937 gen(5);
  std::uniform_real_distribution<double> u(-1e9, 1e9);
  for (int k = 0; k < 2000; ++k) {
    const double v = u(gen);
    const std::string grouped = FormatNumber(v, "#,##0.00");
    std::string plain;
    for (char c : grouped) {
      if (c != ',') plain.push_back(c);
    }
    ASSERT_EQ(plain, FormatNumber(v, "0.00"));
    const auto point = grouped.find('.');
    for (std::size_t i = 0; i < point; ++i) {
      const bool comma_place = (point - i) % 4 == 0;
      if (grouped[i] == '-') continue;
      ASSERT_EQ(grouped[i] == ',', comma_place) << grouped;
    }
  }
}

TEST(FormatNumber, OptionalDigitsBeforeThePoint) {
  EXPECT_EQ(FormatNumber(0.5, "###.0000"), ".5000");
  EXPECT_EQ(FormatNumber(-0.5, "###.0000"), "-.5000");
  EXPECT_EQ(FormatNumber(123456.0, "###.0000"), "123456.0000");  // all digits, more than '#'s
  EXPECT_EQ(FormatNumber(0.99996, "###.0000"), "1.0000");
  EXPECT_EQ(FormatNumber(0.00049, "##.0000"), ".0005");
}

TEST(FormatNumber, OptionalDigitsAfterThePointDropTrailingZeros) {
  EXPECT_EQ(FormatNumber(0.25, "##.########"), ".25");
  EXPECT_EQ(FormatNumber(3.0, "##.########"), "3.");
  EXPECT_EQ(FormatNumber(-0.000123, "###.#######"), "-.000123");
  EXPECT_EQ(FormatNumber(1.555, "0.0#"), "1.56");
}

TEST(FormatNumber, LiteralsNonFiniteAndNoPattern) {
  EXPECT_EQ(FormatNumber(2.54, "0.0 cm"), "2.5 cm");
  EXPECT_EQ(FormatNumber(std::nan(""), "0.0000"), "NaN");
  EXPECT_EQ(FormatNumber(INFINITY, "#,##0"), "Inf");
  EXPECT_EQ(FormatNumber(0.25, ""), ".25");
  // Integers pick the exact form and are not ambiguous between the float and double forms.
  EXPECT_EQ(FormatNumber(std::int16_t{-3}, "0.0"), "-3.0");
  EXPECT_EQ(FormatNumber(2147483647, "#,##0"), "2,147,483,647");
}

TEST(BareNumber, ResultFileForm) {
  EXPECT_EQ(BareNumber(0.0), " 0 ");
  EXPECT_EQ(BareNumber(0.25), " .25 ");
  EXPECT_EQ(BareNumber(-0.5), "-.5 ");
  EXPECT_EQ(BareNumber(1.0 / 3.0), " .333333333333333 ");
  EXPECT_EQ(BareNumber(0.1 + 0.2), " .3 ");
  EXPECT_EQ(BareNumber(1.0f / 3.0f), " .3333333 ");
}

TEST(BareNumber, ExponentFormOutsideTheDigitsHeld) {
  EXPECT_EQ(BareNumber(999999999999999.0), " 999999999999999 ");
  EXPECT_EQ(BareNumber(999999999999999.9), " 1E+15 ");  // rounds up to 16 digits
  EXPECT_EQ(BareNumber(-1.5e16), "-1.5E+16 ");
  EXPECT_EQ(BareNumber(0.00001), " 1E-05 ");
  EXPECT_EQ(BareNumber(1e7f), " 1E+07 ");
  EXPECT_EQ(BareNumber(std::nan("")), " NaN ");
  EXPECT_EQ(GeneralNumber(0.25), ".25");
  EXPECT_EQ(GeneralNumber(1e-5), "1E-05");
  // Reads back to the value within its 15 significant digits.
  std::mt19937 gen(9);
  std::uniform_real_distribution<double> mant(-10.0, 10.0);
  std::uniform_int_distribution<int> ex(-30, 30);
  for (int k = 0; k < 2000; ++k) {
    const double v = mant(gen) * std::pow(10.0, ex(gen));
    const std::string s = BareNumber(v);
    ASSERT_EQ(s.back(), ' ');
    ASSERT_EQ(s.front() == '-', v < 0);
    ASSERT_NE(s.substr(0, 3), " 0.");
    ASSERT_NEAR(ValueOfText(s), v, std::fabs(v) * 1e-14) << s;
  }
}

TEST(RightAlign, PadsToTheColumnAndKeepsLongTextApart) {
  EXPECT_EQ(RightAlign(6, "12"), "    12");
  EXPECT_EQ(RightAlign(6, "123456"), "123456");
  EXPECT_EQ(RightAlign(6, "1234567"), " 1234567");
  // A report row: the three columns of an index part.
  EXPECT_EQ(RightAlign(6, FormatNumber(3, "0")) + RightAlign(12, FormatNumber(1000.05, "#,##0.0")) +
                RightAlign(20, FormatNumber(0.12345, "0.0000")),
            "     3     1,000.1              0.1235");
}

TEST(ValueOfText, ReadsShownValues) {
  EXPECT_EQ(ValueOfText("0.1234"), 0.1234);
  EXPECT_EQ(ValueOfText("1,234.5"), 1234.5);
  EXPECT_EQ(ValueOfText(" 1.5E+16 "), 1.5e16);
  EXPECT_EQ(ValueOfText("12.5 ft"), 12.5);
  for (const char* junk : {"", " ", "abc", "-", "NaN", "1e999"}) {
    EXPECT_EQ(ValueOfText(junk), 0.0) << junk;
  }
  // What the program shows reads back to the shown value.
  std::mt19937 gen(13);
  std::uniform_real_distribution<double> u(-1e6, 1e6);
  for (int k = 0; k < 2000; ++k) {
    const double v = u(gen);
    for (const char* p : {"0.0000", "#,##0.00", "###.0000"}) {
      const std::string shown = FormatNumber(v, p);
      ASSERT_EQ(FormatNumber(ValueOfText(shown), p), shown) << p;
      ASSERT_NEAR(ValueOfText(shown), v, 0.0051) << shown;
    }
  }
}

}  // namespace
}  // namespace tarmac
