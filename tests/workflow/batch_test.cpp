// The unattended batch report: the documents read back independently, the lines of the shared
// files, the refusals and the errors that end a run.
#include <gtest/gtest.h>

#include <filesystem>

#include "batch_support.h"
#include "common/version.h"
#include "workflow/atomic_file.h"
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
  s_.SetRunway(true);
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
  // The first block says when, on what, in which units, with which settings and by which
  // version; the report's own texts follow it.
  ASSERT_GT(da.paragraphs.size(), 6u);
  EXPECT_EQ(da.paragraphs[0].rfind("Made 20", 0), 0u) << da.paragraphs[0];
  EXPECT_NE(da.paragraphs[0].find(std::string(" by Tarmac ") + kVersion), std::string::npos);
  EXPECT_EQ(da.paragraphs[1], "Profile: " + a);
  // 3000 ft of 25-mm samples: the length is the samples read times the spacing.
  EXPECT_EQ(da.paragraphs[2].rfind("Length 30", 0), 0u) << da.paragraphs[2];
  EXPECT_NE(da.paragraphs[2].find("ft, sample spacing 0.0820 ft"), std::string::npos) << da.paragraphs[2];
  EXPECT_EQ(da.paragraphs[3].rfind("Units: US customary", 0), 0u);
  EXPECT_NE(da.paragraphs[4].find("averaging distance 1000.0 ft; straightedge 12.0 ft, position Full "
                                  "Length; decimation rule spacing; aircraft speeds 20.0 and 100.0 "
                                  "knots; airframe damping 0.0250; 10 modes"),
            std::string::npos) << da.paragraphs[4];
  EXPECT_EQ(da.paragraphs[5], "");
  EXPECT_EQ(da.paragraphs[6], "Roughness Measurement and Analysis of alpha.Pro");
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
  ASSERT_EQ(da.tables.size(), 6u);  // and the locations beyond limits after it
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

  // The table of locations beyond limits follows the index table, headed by its name.
  EXPECT_EQ(da.CountStartingWith("Locations beyond limits"), 1);
  EXPECT_EQ(da.Text(2, 1, 2), "Start(ft)");

  // Response tables: parts + header + Total, Max, Min, Static Force and three stretches; the
  // B-747 has the rear main gear column.
  EXPECT_EQ(da.tables[2].second, 6);
  EXPECT_EQ(da.tables[3].second, 7);
  EXPECT_EQ(da.Text(4, 1, 7), "MainRear Dyn-coefficient");
  const int parts = da.tables[2].first - 8;
  EXPECT_EQ(da.Text(3, parts + 2, 1), "Total");
  EXPECT_EQ(da.Text(3, parts + 5, 1), "Static Force(lb)");
  // Gear loads carry the aircraft: nose plus main gears near the weight (within 5 %).
  const double gears = da.Number(4, parts + 5, 5) + da.Number(4, parts + 5, 6) + da.Number(4, parts + 5, 7);
  EXPECT_NEAR(gears / da.Number(4, parts + 5, 3), 1.0, 0.05);
}

TEST_F(BatchTest, RefusedProfilesGetNoDocumentTheRunGoesOnAndTheSummarySaysSo) {
  const std::string good = dir_.file("good.pro"), txt = dir_.file("notes.txt"),
                    bad = dir_.file("bad.pro"), after = dir_.file("after.pro");
  WriteSampleProfile(good, 2200, 31, false);
  WriteText(txt, "not a profile");
  WriteText(bad, "xy");  // not one whole elevation
  WriteSampleProfile(after, 2200, 32, false);
  s_.SetRunway(false);
  EXPECT_FALSE(s_.AutoProcessAll({good, txt, dir_.file("gone.pro"), bad, after}));
  const Session::BatchOutcome& o = s_.LastBatch();
  EXPECT_EQ(o.chosen, 5);
  EXPECT_EQ(o.processed, 2);
  EXPECT_FALSE(o.interrupted);
  ASSERT_EQ(o.failed.size(), 3u);
  EXPECT_EQ(o.failed[1].position, 3);
  const std::string summary =
      "2 of 5 processed; failed: notes.txt (wrong extension), gone.pro (not found), bad.pro (could "
      "not be read)";
  EXPECT_EQ(Session::BatchSummary(o), summary);
  EXPECT_EQ(prompts_.messages.back().text.rfind(summary + ". ET = ", 0), 0u) << prompts_.messages.back().text;
  EXPECT_EQ(prompts_.messages.front().title, "Wrong Extension");
  // Documents for the profiles processed only, the one after the failures included.
  for (const char* name : {"good", "after"}) EXPECT_TRUE(fs::exists(dir_.file("WordFile/" + std::string(name) + ".docx"))) << name;
  for (const char* name : {"notes", "gone", "bad"}) EXPECT_FALSE(fs::exists(dir_.file("WordFile/" + std::string(name) + ".docx"))) << name;
  EXPECT_EQ(ReadLines(dir_.file("Results.txt")).size(), 5u);  // every file chosen is named

  // A report that cannot be written is a failure of that profile, noted as a failed output.
  TakeOutputFailures();
  const fs::path other = dir_.path() / "blocked";
  fs::create_directories(other);
  WriteText((other / "WordFile").string(), "a file where the report folder should be");
  WriteSampleProfile((other / "p.pro").string(), 2200, 33, false);
  EXPECT_FALSE(s_.AutoProcessAll({(other / "p.pro").string()}));
  EXPECT_EQ(Session::BatchSummary(s_.LastBatch()), "0 of 1 processed; failed: p.pro (report not written)");
  const auto failures = TakeOutputFailures();
  // The report, then the summary's two files, all in the folder that could not be made.
  ASSERT_EQ(failures.size(), 3u);
  EXPECT_EQ(failures[0].path, (other / "WordFile").string());
  EXPECT_EQ(failures[1].path, (other / "WordFile" / "Summary.xlsx").string());
  EXPECT_EQ(failures[2].path, (other / "WordFile" / "Summary.csv").string());

  // Ctrl-C ends the run: the profile in hand is neither failed nor reported, the next not read.
  struct Stopped final : Progress {
    void step(long long, long long) override {}
    bool cancelled() const override { return true; }
  } stopped;
  s_.SetProgress(&stopped);
  const fs::path third = dir_.path() / "stopped";
  fs::create_directories(third);
  WriteSampleProfile((third / "a.pro").string(), 2200, 34, false);
  WriteSampleProfile((third / "b.pro").string(), 2200, 35, false);
  EXPECT_FALSE(s_.AutoProcessAll({(third / "a.pro").string(), (third / "b.pro").string()}));
  EXPECT_TRUE(s_.LastBatch().interrupted);
  EXPECT_EQ(Session::BatchSummary(s_.LastBatch()), "0 of 2 processed; interrupted");
  EXPECT_FALSE(fs::exists(third / "WordFile" / "a.docx"));
  EXPECT_EQ(ReadLines((third / "Results.txt").string()).size(), 1u);
  s_.SetProgress(nullptr);
}

}  // namespace
}  // namespace tarmac::testing
