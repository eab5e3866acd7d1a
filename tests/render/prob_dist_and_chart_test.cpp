#include <gtest/gtest.h>

#include <cmath>

#include "common/units.h"
#include "render/index_chart.h"
#include "render/prob_dist_plot.h"
#include "render_test_support.h"

namespace tarmac {
namespace {

using testing::AnyNear;
using testing::CountPixels;
using testing::DecodePng;
using testing::IsDark;

bool IsBar(QColor c) { return std::abs(c.red() - 52) < 30 && std::abs(c.green() - 101) < 30 && std::abs(c.blue() - 164) < 30; }

TEST(ProbDistPlot, MappingCurveAndReadout) {
  ProbDistPlot plot;
  plot.x_max = 1.6;
  plot.title = "Boeing Bump Index";
  plot.unit_label = "Index Value";
  for (int j = 1; j <= 100; ++j) plot.cdf.push_back(static_cast<float>(1.0 - std::exp(-j / 20.0) * (1.0 - j / 100.0)));
  ProbDistPlotResult r;
  const auto png = ProbDistPlotPng(plot, 1000, 500, &r);
  testing::KeepSample("cdf.png", png);
  const QImage image = DecodePng(png);
  ASSERT_EQ(image.size(), QSize(1000, 500));
  EXPECT_DOUBLE_EQ(r.x_origin, 140.0);
  EXPECT_DOUBLE_EQ(r.y_origin, 445.0);
  EXPECT_DOUBLE_EQ(r.x_scale, 760.0 / 1.6);
  EXPECT_DOUBLE_EQ(r.y_scale, -395.0);
  // The curve's points: J = 50 lies at x = 0.8, and the last at (XMAX, 1).
  EXPECT_TRUE(AnyNear(image, 140.0 + 0.8 * 760.0 / 1.6, 445.0 - 395.0 * plot.cdf[49], 1, IsDark));
  EXPECT_TRUE(AnyNear(image, 900.0, 50.0, 1, IsDark));

  const ProbDistReadout at = ReadProbDist(r, 140.0 + 0.5 * r.x_scale, 445.0 + 0.25 * r.y_scale, " in");
  EXPECT_EQ(at.x_text, "x= 0.500 in");
  EXPECT_EQ(at.p_text, "P(x<=0.500)= 25.000 %");
  EXPECT_EQ(ReadProbDist(r, 140.0 + 0.5 * r.x_scale, 445.0, "").x_text, "x= 0.500");

  // Every value zero: the axis still spans a unit and nothing is infinite.
  ProbDistPlot flat{std::vector<float>(100, 1.0f), 0.0, "Straightedge", "mm"};
  ProbDistPlotResult rf;
  EXPECT_EQ(DecodePng(ProbDistPlotPng(flat, 400, 300, &rf)).size(), QSize(400, 300));
  EXPECT_TRUE(std::isfinite(rf.x_scale) && rf.x_scale > 0);
}

TEST(IndexChart, TitlesOfEveryRow) {
  const Units us = MakeUnits(false);
  const Units si = MakeUnits(true);
  IndexChartTextInputs in;
  in.aircraft_type = "B-727";
  in.graph_title = "ZProfile  RWY09";
  in.total = 0.5;
  in.index_chart_title = "ZProfile  RWY09,  Boeing Mean(Total Length) = 0.1234";
  in.averaging_distance_ft = 1000;
  in.ca_section_length_ft = 500;
  auto texts = [&](int row, const Units& u) {
    in.row = row;
    return ComposeIndexChartTexts(in, u);
  };
  EXPECT_EQ(texts(1, us).value_axis_title, "Straightedge Deviation(inch)");
  EXPECT_EQ(texts(1, si).value_axis_title, "Straightedge Deviation(mm)");
  EXPECT_EQ(texts(2, us).value_axis_title, "Boeing Bump Index");
  EXPECT_EQ(texts(2, us).title, in.index_chart_title);
  EXPECT_EQ(texts(3, si).value_axis_title, "IRI, m/Km");
  EXPECT_EQ(texts(3, us).value_axis_title, "IRI, inch/mile");
  EXPECT_EQ(texts(4, si).value_axis_title, "BandPass Filter(mm)");
  EXPECT_EQ(texts(5, us).value_axis_title, "CA Profilograph PI(in/mile)");
  EXPECT_EQ(texts(6, us).value_axis_title, "B-727 CG rms Acceleration, G");
  EXPECT_EQ(texts(6, us).title, "ZProfile  RWY09, RMS(Total Length) = 0.5000");
  EXPECT_EQ(texts(7, us).value_axis_title, "B-727 Cockpit rms Acceleration, G");
  EXPECT_EQ(texts(8, us).value_axis_title, "B-727 Nose Gear Dyn-coeff");
  EXPECT_EQ(texts(8, us).title, "ZProfile  RWY09,  RMS(Total Length) = .5000");
  EXPECT_EQ(texts(9, us).value_axis_title, "B-727 Main Gear Dyn-coeff");
  EXPECT_EQ(texts(10, us).value_axis_title, "B-727 Rear Main Gear Dyn-coeff");
  in.aircraft_type = "B-747";
  EXPECT_EQ(texts(9, us).value_axis_title, "B-747 Front Main Gear Dyn-coeff");
  // Section lengths in display units, the profilograph with its own section length.
  EXPECT_EQ(texts(1, us).section_axis_title, "Section 1000.0(ft)");
  EXPECT_EQ(texts(6, si).section_axis_title, "Section 304.8(m)");
  EXPECT_EQ(texts(5, si).section_axis_title, "Section 152.4(m)");
  in.ca_section_length_ft = 250;
  EXPECT_EQ(texts(5, us).section_axis_title, "Section 250.0(ft)");
}

TEST(IndexChart, ColumnHeightsFollowTheValues) {
  IndexChartTextInputs in;
  in.row = 2;
  in.index_chart_title = "ZProfile  RWY09,  Boeing Mean(Total Length) = 0.3100";
  const IndexChart chart = MakeIndexChart(in, MakeUnits(false), {1.0, 2.0, 4.0, 0.25});
  IndexChartResult r;
  const auto png = IndexChartPng(chart, 1000, 500, &r);
  testing::KeepSample("chart.png", png);
  const QImage image = DecodePng(png);
  ASSERT_EQ(image.size(), QSize(1000, 500));
  EXPECT_EQ(r.axis_min, 0.0);  // columns of positive values stand on the bottom of the chart
  EXPECT_GE(r.axis_max, 4.0);
  const double values[] = {1.0, 2.0, 4.0, 0.25};
  for (int i = 1; i <= 4; ++i) {
    for (double level : {0.2, 0.9, 1.5, 1.9, 3.0, 3.9}) {
      const bool inside = level < values[i - 1];
      EXPECT_EQ(IsBar(image.pixelColor(static_cast<int>(r.BarCenterX(i)), static_cast<int>(r.ToPixelY(level)))), inside)
          << "bar " << i << " at " << level;
    }
  }

  // A row that has not been computed: no columns, but the frame and titles.
  const IndexChart empty = MakeIndexChart(in, MakeUnits(true), {});
  const QImage none = DecodePng(IndexChartPng(empty, 800, 400));
  EXPECT_EQ(none.size(), QSize(800, 400));
  EXPECT_EQ(CountPixels(none, IsBar), 0);
  EXPECT_GT(CountPixels(none, IsDark), 200);
}

}  // namespace
}  // namespace tarmac
