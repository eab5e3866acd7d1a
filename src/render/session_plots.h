#pragma once
// A PlotSink that draws with the render layer: the pictures of plot levels, index charts and
// cumulative distributions that the reports paste, and PNG files of the levels drawn.
#include <string>
#include <vector>

#include "render/index_chart.h"
#include "render/level_plot.h"
#include "render/paint_support.h"
#include "workflow/profile_model.h"
#include "workflow/prompts.h"

namespace tarmac {

// A level as the model last drew it (its shown range, factor and title), described for the
// drawing code: the window's panels and the report pictures draw the same description.
LevelPlot DescribeDrawnLevel(const PlotLevel& l, int level, const Units& units);
// The index chart a chart request asks for, in the given units.
IndexChart DescribeChart(const ChartRequest& c, const Units& units);

class RenderPlotSink : public PlotSink {
 public:
  // Pictures are drawn at the size they are printed: the full text width of the page (0: that of
  // the report's paper, A4 in metric and Letter in US units), at print_dpi.
  double print_width_in = 0.0;
  int print_dpi = 300;
  // Heights in inches: a level is a long strip, a chart and a distribution need room to read.
  static constexpr double kLevelHeightIn = 2.4;
  static constexpr double kChartHeightIn = 3.6;
  static constexpr double kCdfHeightIn = 3.4;
  // The printed size of a picture of the given height for a report in `units`.
  paint::PrintSize PrintSizeFor(double height_in, const Units& units) const;

  void LevelDrawn(const ProfileModel& model, int level) override;
  std::vector<unsigned char> LevelPicture(const ProfileModel& model, int level) override;
  std::vector<unsigned char> ChartPicture(const ChartRequest& chart,
                                          const ProfileModel& model) override;
  std::vector<unsigned char> CdfPicture(const CdfRequest& cdf) override;
  // (A distribution request names no unit system: it is drawn at the width of the levels last
  // drawn, the same report's.)

 private:
  std::vector<unsigned char> Draw(const PlotLevel& l, int level, const Units& units) const;
  bool metric_ = false;  // the unit system of the levels last drawn
};

}  // namespace tarmac
