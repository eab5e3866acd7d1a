// The index chart: the data of each row, the simulation titles, and the chart document that
// grows by one chart per save, across sessions too.
#include <gtest/gtest.h>

#include <filesystem>

#include "batch_support.h"
#include "common/number_format.h"
#include "test_support.h"
#include "workflow/session.h"

namespace tarmac::testing {
namespace {

namespace fs = std::filesystem;

TEST(IndexChart, RowsCarryTheSectionValuesAndSimulationTitles) {
  TempDir dir;
  RecordingPrompts prompts;
  PictureSink sink;
  const std::string pro = dir.file("strip.pro");
  WriteSampleProfile(pro, 3200, 41, false);
  Session s(prompts, &sink);
  ASSERT_TRUE(s.ReadFile(pro));
  // Before any index: rows show no bars.
  EXPECT_TRUE(s.IndexChartRequest(2).values.empty());
  ASSERT_TRUE(s.RunIndex(1));  // Boeing Bump -> row 2
  const ChartRequest bump = s.IndexChartRequest(2);
  const auto& t = s.model().sections;
  ASSERT_EQ(bump.values.size(), static_cast<std::size_t>(t.IndexPartCount[2]));
  ASSERT_GE(bump.values.size(), 3u);
  for (std::size_t i = 0; i < bump.values.size(); ++i)
    EXPECT_EQ(bump.values[i], t.at(static_cast<int>(i) + 1, 2));
  EXPECT_EQ(bump.index_chart_title, t.IndexChartTitle[2]);
  EXPECT_EQ(bump.averaging_distance_ft, s.model().settings.AveragingDistance);

  s.model().settings.AircraftType = "B-747";
  s.model().settings.AircraftSpeed = 20;
  ASSERT_TRUE(s.RunSimulation());
  const double cg = s.model().simulation.GcgTotalRMS;
  const ChartRequest r6 = s.IndexChartRequest(6);
  EXPECT_EQ(r6.total, cg);
  EXPECT_EQ(s.model().sections.IndexChartTitle[6],
            s.model().GraphTitle + ", RMS(Total Length) = " + FormatNumber(cg, "0.0000"));
  const ChartRequest r10 = s.IndexChartRequest(10);
  EXPECT_EQ(s.model().sections.IndexChartTitle[10],
            s.model().GraphTitle + ",  RMS(Total Length) = " +
                FormatNumber(static_cast<double>(s.model().simulation.RearDynTotalRMS), "#.0000"));
  EXPECT_EQ(r10.values.size(), static_cast<std::size_t>(s.model().simulation.SimPartCount));

  EXPECT_FALSE(s.ShowIndexChart(11));
  EXPECT_FALSE(s.ShowIndexChart(0));
}

TEST(IndexChart, DocumentGrowsByOneChartPerSaveAndIsReopenedLater) {
  TempDir dir;
  RecordingPrompts prompts;
  PictureSink sink;
  const std::string pro = dir.file("apron.pro");
  WriteSampleProfile(pro, 2200, 42, false);
  const std::string doc = dir.file("ChartFile/apronChart.docx");
  {
    Session s(prompts, &sink);
    ASSERT_TRUE(s.ReadFile(pro));
    EXPECT_FALSE(s.SaveToWordFile());  // nothing shown yet
    ASSERT_TRUE(s.RunIndex(0));
    ASSERT_TRUE(s.ShowIndexChart(1));
    ASSERT_TRUE(s.SaveToWordFile());
    EXPECT_TRUE(fs::exists(doc));
    EXPECT_EQ(s.model().ChartCount, 0);
    ASSERT_TRUE(s.ShowIndexChart(3));  // not computed: an empty chart is saved all the same
    ASSERT_TRUE(s.SaveToWordFile());
    EXPECT_EQ(s.model().ChartCount, 1);
    // Outside a batch run the chart window waits for the person.
    const auto before = sink.charts.size();
    EXPECT_TRUE(s.ChartAllRows());
    EXPECT_EQ(sink.charts.size(), before);
  }
  {
    Session s(prompts, &sink);
    ASSERT_TRUE(s.ReadFile(pro));
    s.model().BatchMode = true;
    s.model().settings.AircraftType = "B-727";
    sink.charts.clear();
    ASSERT_TRUE(s.ChartAllRows());  // rows 1..9 for an aircraft without rear main gears
    ASSERT_EQ(sink.charts.size(), 9u);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(sink.charts[static_cast<std::size_t>(i)].row, i + 1);
    EXPECT_EQ(s.model().ChartCount, 9);
  }
  const std::string python = PythonWithDocx();
  if (python.empty()) GTEST_SKIP() << "python3 with the docx package is not available";
  const DocFacts d = ReadDoc(python, doc);
  EXPECT_EQ(d.pictures, 11);
  // Titles: row 1 of the first session and the composed simulation rows 6..9 of the second
  // (the index rows of a fresh read have no title yet).
  EXPECT_EQ(CountParagraphsStartingWith(d, "ZProfile  APRON"), 5);
}

}  // namespace
}  // namespace tarmac::testing
