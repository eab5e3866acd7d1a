#include "render/session_plots.h"

#include <string_view>

#include "render/index_chart.h"
#include "render/level_plot.h"
#include "render/paint_support.h"
#include "render/prob_dist_plot.h"

namespace tarmac {

void RenderPlotSink::LevelDrawn(const ProfileModel& model, int) { metric_ = model.units.Metric; }

paint::PrintSize RenderPlotSink::PrintSizeFor(double height_in, const Units& units) const {
  paint::PrintSize size;
  size.width_in = print_width_in > 0.0 ? print_width_in : paint::TextWidthInches(units.Metric);
  size.height_in = height_in;
  size.dpi = print_dpi;
  return size;
}

LevelPlot DescribeDrawnLevel(const PlotLevel& l, int level, const Units& units) {
  LevelPlot p;
  p.values = l.data;
  p.level = level;
  p.first = l.shown_first > 0 ? l.shown_first : 1;
  p.last = l.shown_last > 0 ? l.shown_last : l.npoints();
  p.step_ft = l.step_ft;
  p.length_factor = units.LengthFactor;
  p.value_factor = l.shown_factor;
  // The value range the session recorded when it drew the level (kept by a zoom).
  p.y_max = l.plot_y_max;
  p.y_min = l.plot_y_min;
  p.title = l.drawn_title;
  p.axis_label = units.AxisLabel;
  p.value_label = l.shown_unit;
  return p;
}

IndexChart DescribeChart(const ChartRequest& c, const Units& units) {
  IndexChartTextInputs in;
  in.row = c.row;
  in.aircraft_type = c.aircraft_type;
  in.graph_title = c.graph_title;
  in.total = c.total;
  in.index_chart_title = c.index_chart_title;
  in.averaging_distance_ft = c.averaging_distance_ft;
  in.ca_section_length_ft = c.ca_section_length_ft;
  return MakeIndexChart(in, units, c.values);
}

std::vector<unsigned char> RenderPlotSink::Draw(const PlotLevel& l, int level, const Units& units) const {
  if (l.data.empty()) return {};
  return LevelPlotPrintPng(DescribeDrawnLevel(l, level, units), PrintSizeFor(kLevelHeightIn, units));
}

std::vector<unsigned char> RenderPlotSink::LevelPicture(const ProfileModel& model, int level) {
  return Draw(model.levels.at(static_cast<std::size_t>(level)), level, model.units);
}

std::vector<unsigned char> RenderPlotSink::ChartPicture(const ChartRequest& c,
                                                        const ProfileModel& model) {
  return IndexChartPrintPng(DescribeChart(c, model.units), PrintSizeFor(kChartHeightIn, model.units));
}

std::vector<unsigned char> RenderPlotSink::CdfPicture(const CdfRequest& c) {
  ProbDistPlot p;
  p.cdf = c.cdf;
  p.x_max = c.x_max;
  p.title = c.title;
  p.unit_label = c.unit_label;
  return ProbDistPlotPrintPng(p, PrintSizeFor(kCdfHeightIn, MakeUnits(metric_)));
}

}  // namespace tarmac
