// The unattended batch report: the documents read back independently, the lines of the shared
// files, the refusals and the errors that end a run.
#include <gtest/gtest.h>

#include <filesystem>

#include "batch_support.h"
#include "workflow/session.h"

namespace tarmac::testing {
namespace {

namespace fs = std::filesystem;

class BatchTest : public ::testing::Test {
 protected:
  DocFacts Read(const std::string& name) { return ReadDoc(python_, dir_.file("WordFile/" + name)); }
  std::string python_ = PythonWithDocx();
  TempDir dir_;
  RecordingPrompts prompts_;
  PictureSink sink_;
  Session s_{prompts_, &sink_};
};

#define SKIP_WITHOUT_DOCX() \
  if (python_.empty()) GTEST_SKIP() << "python3 with the docx package is not available"

TEST_F(BatchTest, RunwayReportsTwoProfilesInOrderWithSevenColumnTable) {
  const std::string a = dir_.file("alpha.pro"), b = dir_.file("beta.pro");
  WriteSampleProfile(a, 3000, 11, true);
  WriteSampleProfile(b, 2600, 12, false);
  s_.model().settings.Runway = true;
  ASSERT_TRUE(s_.AutoProcessAll({a, b}));
  // One read line per profile, in order, and nothing else: the indexes append nothing.
  EXPECT_EQ(ReadLines(dir_.file("Results.txt")),
            (std::vector<std::string>{"Data File Name = " + a + " File Name = alpha.pro",
                                      "Data File Name = " + b + " File Name = beta.pro"}));
  const auto bump = ReadLines(dir_.file("BoeingBumpPDFs.txt"));
  ASSERT_EQ(bump.size(), 2u);
  EXPECT_EQ(bump[1].rfind(b + " ", 0), 0u);
  EXPECT_EQ(sink_.charts.size(), 20u);  // rows 1..10 (the last aircraft is the B-747) per profile

  SKIP_WITHOUT_DOCX();
  const DocFacts da = Read("alpha.docx");
  ASSERT_FALSE(da.paragraphs.empty());
  EXPECT_EQ(da.paragraphs[0], "Roughness Measurement and Analysis of alpha.Pro");
  EXPECT_EQ(da.pictures, 9);  // profile, speed, five indexes, two distributions
  EXPECT_EQ(Read("beta.docx").pictures, 8);  // no speed file, no speed plot
  for (const char* p : {"Table 1 Indexes for alpha.pro", "Table 5 Aircraft Responses on alpha.pro",
                        " Simulation of Aircraft B-727 on alpha.pro (Aircraft speed = 20.0 knots)",
                        " Simulation of Aircraft B-747 on alpha.pro (Aircraft speed = 100.0 knots)",
                        "Decimation rule = spacing (factors chosen from the sample spacing: 6 for "
                        "the straightedge, IRI and CA profilograph, 10 for the Boeing Bump Index "
                        "and the simulations)"})
    EXPECT_EQ(da.CountStartingWith(p), 1) << p;
  EXPECT_EQ(da.CountStartingWith("Decimation rule"), 1);

  // Index table, 7 columns: the headings keep their inner blanks.
  ASSERT_EQ(da.tables.size(), 5u);
  EXPECT_EQ(da.Text(1, 1, 2), "Length        (ft)");
  EXPECT_EQ(da.Text(1, 1, 7), "CA PI         (in/mile)");
  const auto [rows, cols] = da.tables[0];
  EXPECT_EQ(cols, 7);
  const int total = rows - 4;  // "Total" then "Step Length" and the three stretches
  EXPECT_EQ(da.Text(1, total, 1), "Total");
  EXPECT_EQ(da.Text(1, rows, 1), "Last2000");
  // About six 500-ft profilograph sections in 3000 ft; their lengths add up to the total.
  EXPECT_GE(total - 2, 5);
  EXPECT_LE(total - 2, 6);
  double sum = 0;
  for (int r = 2; r < total; ++r) {
    EXPECT_EQ(da.Text(1, r, 1), " " + std::to_string(r - 1));
    sum += da.Number(1, r, 2);
  }
  EXPECT_NEAR(sum, da.Number(1, total, 2), 0.051);
  // Each averaging section spans two profilograph rows; never merged into the total row.
  EXPECT_EQ(da.cells.at({1, 2, 3}).first + da.cells.at({1, 3, 6}).first + da.cells.at({1, total, 4}).first,
            "restartcontinue-");
  EXPECT_EQ(da.cells.at({1, 2, 7}).first, "-");  // the profilograph column is not merged

  // Response tables: parts + header + Total, Max, Min, Static Force and three stretches; the
  // B-747 has the rear main gear column.
  EXPECT_EQ(da.tables[1].second, 6);
  EXPECT_EQ(da.tables[2].second, 7);
  EXPECT_EQ(da.Text(3, 1, 7), "MainRear Dyn-coefficient");
  const int parts = da.tables[1].first - 8;
  EXPECT_EQ(da.Text(2, parts + 2, 1), "Total");
  EXPECT_EQ(da.Text(2, parts + 5, 1), "Static Force(lb)");
  // Gear loads carry the aircraft: nose plus main gears near the weight (within 5 %).
  const double gears = da.Number(3, parts + 5, 5) + da.Number(3, parts + 5, 6) + da.Number(3, parts + 5, 7);
  EXPECT_NEAR(gears / da.Number(3, parts + 5, 3), 1.0, 0.05);
}

TEST_F(BatchTest, RefusalsAndErrorsThatEndTheRun) {
  // A wrong extension gets an empty report; a missing file ends the run.
  const std::string a = dir_.file("good.pro"), txt = dir_.file("notes.txt"), after = dir_.file("after.pro");
  WriteSampleProfile(a, 2200, 31, false);
  WriteText(txt, "not a profile");
  WriteSampleProfile(after, 2200, 32, false);
  s_.model().settings.Runway = false;
  EXPECT_FALSE(s_.AutoProcessAll({a, txt, dir_.file("gone.pro"), after}));
  EXPECT_EQ(prompts_.messages[0].title, "Wrong Extension");
  EXPECT_EQ(prompts_.messages.back().text.rfind("Error No = 53 ", 0), 0u) << prompts_.messages.back().text;
  EXPECT_TRUE(fs::exists(dir_.file("WordFile/good.docx")));
  EXPECT_FALSE(fs::exists(dir_.file("WordFile/after.docx")));
  EXPECT_EQ(ReadLines(dir_.file("Results.txt")).size(), 3u);

  SKIP_WITHOUT_DOCX();
  // The previous profile's data must not appear in the report of the file that is not one.
  const DocFacts d = Read("notes.docx");
  EXPECT_EQ(d.tables.size(), 0u);
  EXPECT_EQ(d.pictures, 0);
  ASSERT_FALSE(d.paragraphs.empty());
  EXPECT_EQ(d.paragraphs[0], "Roughness Measurement and Analysis of notes.Pro");
}

}  // namespace
}  // namespace tarmac::testing
