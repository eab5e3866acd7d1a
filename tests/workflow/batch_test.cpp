// The unattended batch report: the documents read back independently, the lines of the shared
// files, the refusals and the errors that end a run.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <regex>

#include "batch_support.h"
#include "test_support.h"
#include "workflow/session.h"

namespace tarmac::testing {
namespace {

namespace fs = std::filesystem;

class BatchTest : public ::testing::Test {
 protected:
  void SetUp() override { python_ = PythonWithDocx(); }
  DocFacts Read(const std::string& path) {
    if (python_.empty()) return {};
    return ReadDoc(python_, path);
  }
  std::string python_;
  TempDir dir_;
  RecordingPrompts prompts_;
  PictureSink sink_;
};

double CellNumber(const DocFacts& d, int t, int r, int c) {
  return std::stod(d.cells.at({t, r, c}).second);
}

TEST_F(BatchTest, RunwayReportsTwoProfilesInOrderWithSevenColumnTable) {
  const std::string a = dir_.file("alpha.pro"), b = dir_.file("beta.pro");
  WriteSampleProfile(a, 3000, 11, true);
  WriteSampleProfile(b, 2600, 12, false);
  Session s(prompts_, &sink_);
  s.model().settings.Runway = true;
  ASSERT_TRUE(s.AutoProcessAll({a, b}));
  ASSERT_FALSE(prompts_.messages.empty());
  EXPECT_TRUE(std::regex_match(prompts_.messages.back().text,
                               std::regex(R"(All Processed\. ET = \d+ s)")))
      << prompts_.messages.back().text;
  EXPECT_TRUE(s.model().BatchMode);

  // One read line per profile, in order, and nothing else: the indexes append nothing.
  const auto results = ReadLines(dir_.file("Results.txt"));
  ASSERT_EQ(results.size(), 2u);
  EXPECT_EQ(results[0], "Data File Name = " + a + " File Name = alpha.pro");
  EXPECT_EQ(results[1], "Data File Name = " + b + " File Name = beta.pro");
  const auto bump = ReadLines(dir_.file("BoeingBumpPDFs.txt"));
  ASSERT_EQ(bump.size(), 2u);
  EXPECT_EQ(bump[0].rfind(a + " ", 0), 0u);
  EXPECT_EQ(bump[1].rfind(b + " ", 0), 0u);

  // Pictures: profile, speed (alpha only), five indexes, two distributions.
  EXPECT_EQ(sink_.cdfs.size(), 4u);
  EXPECT_EQ(sink_.cdfs[0].title, "Straightedge");
  EXPECT_EQ(sink_.cdfs[1].title, "Boeing Bump Index");
  EXPECT_EQ(sink_.cdfs[1].unit_label, "Index Value");
  // The charts of rows 1..10 (the last aircraft is the B-747) for each profile.
  EXPECT_EQ(sink_.charts.size(), 20u);
  EXPECT_TRUE(fs::exists(dir_.file("ChartFile/alphaChart.docx")));

  if (python_.empty()) GTEST_SKIP() << "python3 with the docx package is not available";
  const DocFacts da = Read(dir_.file("WordFile/alpha.docx"));
  const DocFacts db = Read(dir_.file("WordFile/beta.docx"));
  ASSERT_FALSE(da.paragraphs.empty());
  EXPECT_EQ(da.paragraphs[0], "Roughness Measurement and Analysis of alpha.Pro");
  EXPECT_EQ(da.pictures, 9);
  EXPECT_EQ(db.pictures, 8);  // no speed file, no speed plot
  EXPECT_NE(da.footer_fields.find("PAGE"), std::string::npos);
  EXPECT_EQ(CountParagraphsStartingWith(da, "Table 1 Indexes for alpha.pro"), 1);
  EXPECT_EQ(CountParagraphsStartingWith(da, " Simulation of Aircraft B-727 on alpha.pro (Aircraft speed = 20.0 knots)"), 1);
  EXPECT_EQ(CountParagraphsStartingWith(da, " Simulation of Aircraft B-747 on alpha.pro (Aircraft speed = 100.0 knots)"), 1);
  for (int t = 2; t <= 5; ++t)
    EXPECT_EQ(CountParagraphsStartingWith(da, "Table " + std::to_string(t) + " Aircraft Responses on alpha.pro"), 1);

  // Index table, 7 columns: the headings keep their inner blanks.
  ASSERT_EQ(da.tables.size(), 5u);
  const std::vector<std::string> heads = {"Section", "Length        (ft)", "Straightedge  (inch)",
                                          "Boeing", "IRI           (in/mile)",
                                          "BandPass      (inch)", "CA PI         (in/mile)"};
  for (int c = 1; c <= 7; ++c) EXPECT_EQ(da.cells.at({1, 1, c}).second, heads[static_cast<std::size_t>(c - 1)]);
  const auto [rows, cols] = da.tables[0];
  EXPECT_EQ(cols, 7);
  const int total = rows - 4;  // "Total" then "Step Length" and the three stretches
  EXPECT_EQ(da.cells.at({1, total, 1}).second, "Total");
  EXPECT_EQ(da.cells.at({1, total + 1, 1}).second, "Step Length(ft)");
  EXPECT_EQ(da.cells.at({1, rows, 1}).second, "Last2000");
  // About six 500-ft profilograph sections in 3000 ft; their lengths add up to the total.
  const int sections = total - 2;
  EXPECT_GE(sections, 5);
  EXPECT_LE(sections, 6);
  double sum = 0;
  for (int r = 2; r < total; ++r) {
    EXPECT_EQ(da.cells.at({1, r, 1}).second, " " + std::to_string(r - 1));
    sum += CellNumber(da, 1, r, 2);
  }
  EXPECT_NEAR(sum, CellNumber(da, 1, total, 2), 0.051);
  // Each averaging section spans two profilograph rows: merged down from rows 2, 4, ...
  for (int c = 3; c <= 6; ++c) {
    EXPECT_EQ(da.cells.at({1, 2, c}).first, "restart");
    EXPECT_EQ(da.cells.at({1, 3, c}).first, "continue");
    EXPECT_FALSE(da.cells.at({1, 2, c}).second.empty());
    EXPECT_EQ(da.cells.at({1, total, c}).first, "-");  // never into the total row
  }
  EXPECT_EQ(da.cells.at({1, 2, 7}).first, "-");  // the profilograph column is not merged

  // Response tables: parts + header + Total, Max, Min, Static Force and three stretches; the
  // B-747 has the rear main gear column.
  EXPECT_EQ(da.tables[1].second, 6);
  EXPECT_EQ(da.tables[2].second, 7);
  EXPECT_EQ(da.cells.at({3, 1, 7}).second, "MainRear Dyn-coefficient");
  const int parts = da.tables[1].first - 8;
  EXPECT_GE(parts, 2);
  EXPECT_EQ(da.cells.at({2, parts + 2, 1}).second, "Total");
  EXPECT_EQ(da.cells.at({2, parts + 5, 1}).second, "Static Force(lb)");
  // Gear loads carry the aircraft: nose plus main gears near the weight (within 5 %).
  const double weight = CellNumber(da, 3, parts + 5, 3);
  const double gears = CellNumber(da, 3, parts + 5, 5) + CellNumber(da, 3, parts + 5, 6) +
                       CellNumber(da, 3, parts + 5, 7);
  EXPECT_NEAR(gears / weight, 1.0, 0.05);
}

TEST_F(BatchTest, TaxiwayWithOtherSectionLengthsGivesEightColumnsAndTwoSimulations) {
  const std::string a = dir_.file("taxi.pro");
  WriteSampleProfile(a, 2500, 21, true);
  Session s(prompts_, &sink_);
  s.model().settings.Runway = false;
  ASSERT_TRUE(s.SetSetting("SectionLengthCAPI", "400"));
  ASSERT_TRUE(s.AutoProcessAll({a}));
  if (python_.empty()) GTEST_SKIP() << "python3 with the docx package is not available";
  const DocFacts d = Read(dir_.file("WordFile/taxi.docx"));
  ASSERT_EQ(d.tables.size(), 3u);  // the index table and the two aircraft at 20 knots
  EXPECT_EQ(CountParagraphsStartingWith(d, " Simulation of Aircraft"), 2);
  EXPECT_EQ(CountParagraphsStartingWith(d, "Table 3 Aircraft Responses"), 1);
  const auto [rows, cols] = d.tables[0];
  EXPECT_EQ(cols, 8);
  EXPECT_EQ(d.cells.at({1, 1, 8}).second, "LengthOfCAPI  (ft)");
  // 2500 ft: about six 400-ft profilograph sections and two or three averaging sections.
  const int total = rows - 4;
  EXPECT_EQ(d.cells.at({1, total, 1}).second, "Total");
  int ca = 0, avg = 0;
  double ca_sum = 0;
  for (int r = 2; r < total; ++r) {
    if (!d.cells.at({1, r, 8}).second.empty()) ++ca, ca_sum += CellNumber(d, 1, r, 8);
    if (!d.cells.at({1, r, 3}).second.empty()) ++avg;
    EXPECT_EQ(d.cells.at({1, r, 3}).first, "-");  // nothing merged in this form
  }
  EXPECT_EQ(total - 2, std::max(ca, avg));
  EXPECT_GE(ca, 5);
  EXPECT_LE(avg, 3);
  EXPECT_NEAR(ca_sum, CellNumber(d, 1, total, 8), 0.051);
}

TEST_F(BatchTest, MoreThanTwoHundredProfilesAreRefusedBeforeAnything) {
  std::vector<std::string> files;
  for (int i = 0; i < 201; ++i) files.push_back(dir_.file("p" + std::to_string(i) + ".pro"));
  Session s(prompts_, &sink_);
  EXPECT_FALSE(s.AutoProcessAll(files));
  ASSERT_EQ(prompts_.messages.size(), 1u);
  EXPECT_EQ(prompts_.messages[0].title, "Too Many Files");
  EXPECT_FALSE(fs::exists(dir_.file("Results.txt")));
  EXPECT_FALSE(fs::exists(dir_.file("WordFile")));
}

TEST_F(BatchTest, WrongExtensionGetsAnEmptyReportAndAMissingFileEndsTheRun) {
  const std::string a = dir_.file("good.pro");
  WriteSampleProfile(a, 2200, 31, false);
  const std::string txt = dir_.file("notes.txt");
  { std::ofstream(txt) << "not a profile"; }
  const std::string missing = dir_.file("gone.pro");
  const std::string after = dir_.file("after.pro");
  WriteSampleProfile(after, 2200, 32, false);

  Session s(prompts_, &sink_);
  s.model().settings.Runway = false;
  EXPECT_FALSE(s.AutoProcessAll({a, txt, missing, after}));
  bool wrong = false;
  for (const auto& m : prompts_.messages) wrong = wrong || m.title == "Wrong Extension";
  EXPECT_TRUE(wrong);
  ASSERT_FALSE(prompts_.messages.empty());
  EXPECT_EQ(prompts_.messages.back().text.rfind("Error No = 53 ", 0), 0u)
      << prompts_.messages.back().text;
  EXPECT_TRUE(fs::exists(dir_.file("WordFile/good.docx")));
  EXPECT_TRUE(fs::exists(dir_.file("WordFile/notes.docx")));
  EXPECT_FALSE(fs::exists(dir_.file("WordFile/after.docx")));  // the run ended before it
  EXPECT_EQ(ReadLines(dir_.file("Results.txt")).size(), 3u);

  if (python_.empty()) GTEST_SKIP() << "python3 with the docx package is not available";
  // The previous profile's data must not appear in the report of the file that is not one.
  const DocFacts d = Read(dir_.file("WordFile/notes.docx"));
  EXPECT_EQ(d.tables.size(), 0u);
  EXPECT_EQ(d.pictures, 0);
  ASSERT_FALSE(d.paragraphs.empty());
  EXPECT_EQ(d.paragraphs[0], "Roughness Measurement and Analysis of notes.Pro");
}

}  // namespace
}  // namespace tarmac::testing
