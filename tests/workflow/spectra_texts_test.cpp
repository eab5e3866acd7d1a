#include "workflow/spectra_texts.h"

#include <gtest/gtest.h>

#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace tarmac {
namespace {

std::vector<std::string> Tokens(const std::string& line) {
  std::istringstream in(line);
  return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

TEST(SpectraTexts, ExponentBoxRoundsHalvesToEvenAndRefusesWhatIsNoWholeNumber) {
  EXPECT_EQ(ParseSpectrumExponent("  -3 "), -3);
  EXPECT_EQ(ParseSpectrumExponent("+7"), 7);
  EXPECT_EQ(ParseSpectrumExponent("2.5"), 2);
  EXPECT_EQ(ParseSpectrumExponent("3.5"), 4);
  EXPECT_EQ(ParseSpectrumExponent("-99"), -99);
  for (const char* bad : {"", "  ", "abc", "10x", "-100", "99.6", "nan", "1e400"}) {
    try {
      ParseSpectrumExponent(bad);
      ADD_FAILURE() << "accepted " << bad;
    } catch (const std::invalid_argument& e) {
      EXPECT_EQ(std::string(e.what()), kExponentMessage) << bad;
    }
  }
}

TEST(SpectraTexts, ReadoutsKeepTheFirstSixCharactersOfTheNumber) {
  EXPECT_EQ(MarkerLabel(1, 12.5), "F1= 12.500 Hz");
  EXPECT_EQ(MarkerLabel(3, 123.4567), "F3= 123.45 Hz");
  EXPECT_EQ(MarkerLabel(2, 0.25), "F2= .250 Hz");  // no leading zero
  EXPECT_EQ(PsdAxisTitle(10, "Profile"), "  Log10(Power spectrum density)+10 Profile");
  EXPECT_EQ(PsdAxisTitle(-2, "Gcg"), "  Log10(Power spectrum density)+-2 Gcg");
  PdfResult r;
  r.amean = 1234.5678;
  r.asdev = 0.25;
  r.cskew = -0.5;
  r.ckurt = 3.0;
  const auto lines = PdfStatisticsLines(r);
  EXPECT_EQ(lines[0], "AMEAN=1234.5");
  EXPECT_EQ(lines[1], "ASDEV=.250");
  EXPECT_EQ(lines[2], "Cskew=-.500");
  EXPECT_EQ(lines[3], "Ckurt=3.000");
  EXPECT_EQ(lines[5], "AreaN=.000");
}

TEST(SpectraTexts, BumpDistributionLineLayoutAndTheSinglePrecisionFractionAsItIsHeld) {
  const auto constant = Tokens(
      BoeingBumpPdfLine("RWY09.PRO", ComputeCumulativeDistribution(std::vector<float>(37, 2.5f))));
  ASSERT_EQ(constant.size(), 201u);
  EXPECT_EQ(constant[0], "RWY09.PRO");
  EXPECT_EQ(constant[1], "0.0250");
  EXPECT_EQ(constant[198], "0.00000");  // a constant series fills only the last bin
  EXPECT_EQ(constant[199], "2.5000");
  EXPECT_EQ(constant[200], "1.00000");
  // 5/8000 held in single precision is 0.000624999986..., which rounds to 0.00062, not 0.00063.
  std::vector<float> a(8000, 1.0f);
  for (std::size_t i = 0; i < 5; ++i) a[3 * i + 1] = 0.001f;
  const std::string line = BoeingBumpPdfLine("R.PRO", ComputeCumulativeDistribution(a));
  EXPECT_EQ(line.find("  "), std::string::npos);
  EXPECT_NE(line.back(), '\n');
  const auto tokens = Tokens(line);
  EXPECT_EQ(tokens[2], "0.00062");
  EXPECT_EQ(tokens[198], "0.00062");  // bin 99 still holds only the small values
}

}  // namespace
}  // namespace tarmac
