#include "workflow/delimited_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "test_support.h"
#include "workflow/erd.h"

namespace tarmac {
namespace {

using testing::ErrorOf;

// Inches and feet per unit, written out here from the definitions of the inch and the foot.
constexpr double kInPerMm = 1.0 / 25.4, kInPerM = 1000.0 / 25.4, kFtPerM = 1000.0 / 304.8;

struct Case {
  std::string text;
  DelimitedTextOptions options;
  std::vector<double> values;   // the elevations as written in the elevation column
  double in_per_unit;           // what the elevation unit must turn into inches
  double spacing_ft;
  char separator;
};

TEST(DelimitedText, UnitsFromOptionsHeadingOrTheProgramsOwn) {
  const std::vector<Case> cases = {
      {"Distance (m),Elevation (mm)\n0,25.4\n0.5,50.8\n1.0,-12.7\n", {}, {25.4, 50.8, -12.7}, kInPerMm, 0.5 * kFtPerM, ','},
      // Semicolons with decimal commas, as spreadsheets in many countries write them.
      {"Distance (m);Elevation [in]\n0,00;1,5\n0,25;2,5\n0,50;-1\n", {}, {1.5, 2.5, -1}, 1.0, 0.25 * kFtPerM, ';'},
      // Blanks, with the unit in brackets after each name, and a byte-order mark.
      {"\xEF\xBB\xBF" "Distance (ft)   Elevation (m)\n 0.0   0.01\n 0.25  0.02\n 0.5   0.03\n", {}, {0.01, 0.02, 0.03}, kInPerM, 0.25, ' '},
      {"distance_ft\televation_mm\n0\t1\n0.1\t2\n0.2\t3\n", {}, {1, 2, 3}, kInPerMm, 0.1, '\t'},
      // No unit named anywhere: feet and inches; a heading without units is the same.
      {"0,1\n0.25,2\n0.5,3\n", {}, {1, 2, 3}, 1.0, 0.25, ','},
      {"# surveyed 2024\nStation,Height\n0,1\n\n0.25,2\n0.5,3\n", {}, {1, 2, 3}, 1.0, 0.25, ','},
      // A later column; the options outrank the heading.
      {"x (ft),left (mm),right (mm)\n0,1,10\n0.5,2,20\n1,3,30\n", {3, "m", "in"}, {10, 20, 30}, 1.0, 0.5 * kFtPerM, ','},
      // Quoted names may hold the separator.
      {"\"Distance (m)\",\"Elevation, left (mm)\"\n0,1\n0.1,2\n0.2,4\n", {}, {1, 2, 4}, kInPerMm, 0.1 * kFtPerM, ','},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const DelimitedTextContents r = ParseDelimitedText(c.text, c.options);
    ASSERT_EQ(r.elevations.size(), c.values.size());
    for (std::size_t k = 0; k < c.values.size(); ++k)
      EXPECT_EQ(r.elevations[k], static_cast<float>(c.values[k] * c.in_per_unit)) << k;
    EXPECT_NEAR(r.spacing_ft, c.spacing_ft, 1e-12 * c.spacing_ft);
    EXPECT_EQ(r.separator, c.separator);
  }
  EXPECT_EQ(HeadingUnit("IRI (1/4 Car) (m/km)"), "m/km");
  EXPECT_EQ(HeadingUnit("elevation-left"), "");
}

TEST(DelimitedText, RefusalsNameTheLineTheColumnOrTheUnit) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"Distance (furlong),Elevation (in)\n0,1\n1,2\n", "\"furlong\", which is not known"},
      {"Distance,Elevation (mils)\n0,1\n1,2\n", "\"mils\""},
      // Half the units named: the other cannot be guessed.
      {"Distance (m),Elevation\n0,1\n1,2\n", "not the elevation unit"},
      {"Distance,Elevation (mm)\n0,1\n1,2\n", "--distance-unit"},
      {"0,1\n0.25,abc\n", "Line 2 of the file: the elevation in column 2, \"abc\""},
      {"0,1\nx,2\n", "Line 2 of the file: the distance \"x\""},
      {"0\n1\n", "one column"},
      {"0,1\n0.25,2\n0.75,3\n1.0,4\n", "Line 3 of the file: the distance 0.75 ft lies 0.5 ft"},
      {"Distance (m),Elevation (m)\n0,1\n0.1,3000\n", "118110.236 in at sample 2"},
      {"0,1\n", "single record"},
      {"Distance\n", "no profile records"},
      {"0,1\n10,2\n20,3\n", "(10 ft) is not a plausible spacing"},
  };
  for (const auto& [text, needle] : cases) {
    const std::string e = ErrorOf([&] { ParseDelimitedText(text, {}); });
    EXPECT_NE(e.find(needle), std::string::npos) << text << " -> " << e;
  }
  EXPECT_NE(ErrorOf([] { ParseDelimitedText("0,1,2\n1,2\n", {3, "", ""}); }).find("Line 2 of the file holds 2 columns"),
            std::string::npos);
  EXPECT_NE(ErrorOf([] { ParseDelimitedText("0,1\n1,2\n", {3, "", ""}); }).find("no column 3"), std::string::npos);
}

TEST(DelimitedText, TheProgramsOwnCsvReadsBackAsTheSameProfile) {
  std::mt19937 gen(7);
  std::uniform_real_distribution<float> u(-40.0f, 40.0f);
  std::vector<float> z(20000);
  for (float& v : z) v = u(gen);
  const double spacing = 0.08202099737532809;
  // As the export writes it in either unit system: feet and inches, or metres and centimetres.
  for (const bool metric : {false, true}) {
    SCOPED_TRACE(metric);
    const std::string csv = FormatSeriesCsv(metric ? "Distance (m)" : "Distance (ft)",
                                            metric ? "Elevation (cm)" : "Elevation (in)",
                                            spacing * (metric ? 0.3048 : 1.0), z, metric ? 2.54 : 1.0);
    const DelimitedTextContents r = ParseDelimitedText(csv, {});
    EXPECT_EQ(r.elevations, z);
    EXPECT_NEAR(r.spacing_ft, spacing, 1e-9 * spacing);
  }
}

}  // namespace
}  // namespace tarmac
