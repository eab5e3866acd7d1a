// The index chart: the data and titles of each row.
#include <gtest/gtest.h>

#include "batch_support.h"
#include "common/number_format.h"
#include "workflow/session.h"

namespace tarmac::testing {
namespace {

TEST(IndexChart, RowsCarryTheSectionValuesAndSimulationTitles) {
  TempDir dir;
  RecordingPrompts prompts;
  PictureSink sink;
  const std::string pro = dir.file("strip.pro");
  WriteSampleProfile(pro, 3200, 41, false);
  Session s(prompts, &sink);
  ASSERT_TRUE(s.ReadFile(pro));
  ASSERT_TRUE(s.RunIndex(1));                          // Boeing Bump -> row 2
  const ChartRequest bump = s.IndexChartRequest(2);
  const auto& t = s.model().sections;
  ASSERT_EQ(bump.values.size(), static_cast<std::size_t>(t.part_count[2]));
  for (std::size_t i = 0; i < bump.values.size(); ++i) EXPECT_EQ(bump.values[i], t.at(static_cast<int>(i) + 1, 2));

  ASSERT_TRUE(s.SetSetting("AircraftType", "B-747"));
  ASSERT_TRUE(s.SetSetting("AircraftSpeed", "20"));
  ASSERT_TRUE(s.RunSimulation());
  const auto& sim = s.model().simulation;
  EXPECT_EQ(s.IndexChartRequest(6).total, sim.cg_total_rms);
  // Row 6 uses "0.0000", row 10 "#.0000" behind two blanks.
  EXPECT_EQ(t.chart_title[6], s.model().graph_title + ", RMS(Total Length) = " + FormatNumber(sim.cg_total_rms, "0.0000"));
  EXPECT_EQ(t.chart_title[10], s.model().graph_title + ",  RMS(Total Length) = " +
                                       FormatNumber(static_cast<double>(sim.rear_total_rms), "#.0000"));
  EXPECT_EQ(s.IndexChartRequest(10).values.size(), static_cast<std::size_t>(sim.part_count));
  EXPECT_FALSE(s.ShowIndexChart(11));
}

}  // namespace
}  // namespace tarmac::testing
