// The batch summary's cells and files: every row as wide as the headings, whatever ran on it;
// the units in the headings; the CSV's quoting; both files written beside the reports.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "test_support.h"
#include "workflow/atomic_file.h"
#include "workflow/summary.h"

namespace tarmac {
namespace {

SummaryRow Row(const std::string& file, std::vector<SummarySimulation> sims) {
  SummaryRow r;
  r.file = file;
  r.length = 2500.25;
  r.spacing = 0.082;
  for (std::size_t k = 0; k < 5; ++k) {
    r.value[k] = 1.5 + double(k);
    r.stretch[k] = {0.1 * double(k), 0.2, 0.3};
  }
  r.bump_max = 0.75;
  r.bump_at = 1234.5;
  r.simulations = std::move(sims);
  return r;
}

std::vector<std::string> Texts(const std::vector<SummaryCell>& row) {
  std::vector<std::string> t;
  for (const auto& c : row) t.push_back(c.text);
  return t;
}

TEST(Summary, RowsLineUpWithTheHeadingsWhateverRanOnEachProfile) {
  BatchSummaryTable t;
  t.units = MakeUnits(false);
  // The first profile's B-747 run failed and its IRI did not run; the second has both runs.
  SummaryRow first = Row("a, east.pro", {{"B-727", 20, 0.1, 0.01, 0.2, 0.02, 1.3}});
  first.value[2].reset();
  first.limits = {{"Straightedge deviation", 3}};
  t.rows.push_back(first);
  t.rows.push_back(Row("b.pro", {{"B-727", 20, 0.11, 0.011, 0.21, 0.021, 1.31, 0},
                                 {"B-747", 20, 0.12, 0.012, 0.22, 0.022, 1.32, 2}}));
  t.rows.back().limits = {{"Straightedge deviation", 0}, {"Boeing Bump Index", 1}};
  t.failed = {"c.dat (wrong extension)", "d.pro (not found)"};
  const auto cells = SummaryCells(t);
  ASSERT_EQ(cells.size(), 4u);  // headings, two profiles, failed
  const auto head = Texts(cells[0]);
  // 3 + 5 x 4 + 2 + 2 runs x 5, then two kinds judged and two runs, each a count and a verdict.
  ASSERT_EQ(head.size(), 43u);
  EXPECT_EQ(head[1], "Length (ft)");
  EXPECT_EQ(head[3], "Straightedge (in)");
  EXPECT_EQ(head[4], "Straightedge First2000 (in)");
  EXPECT_EQ(head[7], "Boeing Bump");  // a ratio: no unit
  EXPECT_EQ(head[11], "IRI (in/mi)");
  EXPECT_EQ(head[19], "Bandpass (in)");
  EXPECT_EQ(head[23], "Largest Boeing Bump Index");
  EXPECT_EQ(head[24], "Largest Boeing Bump Index at (ft)");
  EXPECT_EQ(head[25], "B-727 20 kt cg peak (g)");
  EXPECT_EQ(head[30], "B-747 20 kt cg peak (g)");
  EXPECT_EQ(head[34], "B-747 20 kt largest dynamic load coefficient");
  for (std::size_t r = 1; r <= 2; ++r) EXPECT_EQ(cells[r].size(), head.size()) << r;
  // The IRI that did not run and the B-747 run that failed are empty cells, not zeros.
  for (std::size_t c : {11u, 12u, 13u, 14u, 30u, 34u})
    EXPECT_FALSE(cells[1][c].number.has_value()) << head[c];
  EXPECT_DOUBLE_EQ(*cells[1][15].number, 4.5);  // the profilograph after the empty IRI
  EXPECT_DOUBLE_EQ(*cells[2][30].number, 0.12);
  EXPECT_DOUBLE_EQ(*cells[2][24].number, 1234.5);
  EXPECT_EQ(head[35], "Straightedge deviation stretches beyond limit");
  EXPECT_EQ(head[38], "Boeing Bump Index pass");
  EXPECT_EQ(head[39], "B-727 20 kt stretches beyond limits");
  EXPECT_EQ(head[42], "B-747 20 kt pass");
  // A kind not judged and a run that failed are empty; otherwise a count and pass or fail.
  EXPECT_DOUBLE_EQ(*cells[1][35].number, 3);
  EXPECT_EQ(cells[1][36].text, "fail");
  EXPECT_EQ(Texts(cells[1]).at(38), "");
  EXPECT_FALSE(cells[1][37].number.has_value());
  EXPECT_FALSE(cells[1][41].number.has_value());
  EXPECT_EQ(cells[1][40].text, "pass");
  EXPECT_EQ(cells[2][36].text, "pass");
  EXPECT_DOUBLE_EQ(*cells[2][37].number, 1);
  EXPECT_DOUBLE_EQ(*cells[2][41].number, 2);
  EXPECT_EQ(cells[2][42].text, "fail");
  EXPECT_EQ(Texts(cells[3]), (std::vector<std::string>{
                                 "Failed", "c.dat (wrong extension); d.pro (not found)"}));

  // The CSV: a comma in a name is quoted, numbers keep ten digits, lines end in CR LF.
  const std::string csv = SummaryCsv(cells);
  std::istringstream in(csv);
  std::string line;
  std::getline(in, line);
  std::getline(in, line);
  EXPECT_EQ(line.rfind("\"a, east.pro\",2500.25,0.082,1.5,0,0.2,0.3,2.5,", 0), 0u) << line;
  EXPECT_EQ(line.back(), '\r');
  EXPECT_NE(line.find(",2.5,0.1,0.2,0.3,,,,,4.5,"), std::string::npos) << line;
}

TEST(Summary, MetricHeadingsAndBothFilesBesideTheReports) {
  BatchSummaryTable t;
  t.units = MakeUnits(true);
  t.rows.push_back(Row("quote\"d.pro", {}));
  const auto head = Texts(SummaryCells(t)[0]);
  EXPECT_EQ(head[1], "Length (m)");
  EXPECT_EQ(head[3], "Straightedge (mm)");
  EXPECT_EQ(head[11], "IRI (m/km)");
  EXPECT_EQ(head[15], "CA Profilograph (m/km)");
  EXPECT_EQ(head.back(), "Largest Boeing Bump Index at (m)");

  testing::TempDir dir;
  const std::string folder = dir.file("WordFile");  // made when missing
  ASSERT_TRUE(WriteBatchSummary(folder, t));
  const std::string csv = testing::ReadAll(folder + "/Summary.csv");
  EXPECT_NE(csv.find("\"quote\"\"d.pro\",2500.25,"), std::string::npos) << csv;
  std::ifstream x(folder + "/Summary.xlsx", std::ios::binary);
  char magic[2] = {};
  x.read(magic, 2);
  EXPECT_EQ(std::string(magic, 2), "PK");  // a zip package
  // A folder that cannot be made is a failed output, named.
  testing::WriteText(dir.file("file"), "not a folder");
  TakeOutputFailures();
  EXPECT_FALSE(WriteBatchSummary(dir.file("file") + "/WordFile", t));
  const auto failures = TakeOutputFailures();
  ASSERT_FALSE(failures.empty());
  EXPECT_NE(failures.front().path.find("Summary"), std::string::npos);
}

}  // namespace
}  // namespace tarmac
